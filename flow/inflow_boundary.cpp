// Inflow and outflow of the discharge groups: the discharge of every group
// at the current time, the outflow of the water balance, the marks of the
// boundary cells and the inflow terms of the equation being built.
#include <algorithm>
#include <cmath>

#include "flow/cell_chunks.h"
#include "flow/cell_lookup.h"
#include "flow/flow_services.h"
#include "grid/column_cells.h"
#include "run/globals.h"
#include "run/log.h"
#include "run/time_series.h"

namespace {

// What an inflow surface brings into its cell's equation.
struct InflowValues {
    double u = 0.0;    // velocity normal to the surface (m/s)
    double k = 0.0;
    double eps = 0.0;
};

DischargeGroupRecord& Group(int g) { return DischargeGroups[g]; }

void DischargesAtCurrentTime() {
    const std::optional<SeriesPoint> at = TimeiInflowFlag != 0 ? LocateInTimei(stime) : std::nullopt;
    for (int g = kFirstGroup; g <= kLastGroup; ++g) {
        if (!at) {
            GroupDischarge[g] = Group(g).discharge;
        } else if (g <= 2 || Group(g).noSurfaces > 0) {
            // The helper keeps the weight within the two rows, so a time
            // before the first row takes that row instead of extrapolating
            // (which could turn an inflow into an outflow).
            GroupDischarge[g] = 1000.0 * at->of([g](int row) { return TimeiDischarge[row][g]; });
        }
    }
}

void BalanceOutflows() {
    for (int g = kFirstGroup; g <= kLastGroup; ++g) {
        if (Group(g).groupType != 0 || Group(g).noSurfaces <= 0) continue;
        const double b = ComputeBalanceOutflow(g);
        const double q = GroupDischarge[g];
        switch (ReservoirBalanceMode) {
            case 2: GroupDischarge[g] = b; break;
            case 3:
            case 7: GroupDischarge[g] = std::max(b, q); break;
            case 4: GroupDischarge[g] = std::min(b, q); break;
            case 5:
            case 6: {
                const double low = std::min(BalanceLowFactor * q, BalanceHighFactor * q);
                const double high = std::max(BalanceLowFactor * q, BalanceHighFactor * q);
                GroupDischarge[g] = std::clamp(b, low, high);
                break;
            }
            default: break;
        }
    }
}

// Highest profile position that the cyclic table holds.
constexpr int kLastCyclicPosition = kCyclicLevels - 1;

int CyclicPositions() { return std::clamp(NoGridLinesZ + 1, 0, kLastCyclicPosition); }

bool CyclicRefreshDue() {
    if (CyclicInterval <= 0 || CyclicFileFlag != 0 || Equation != 1) return false;
    return Iter <= 1 || std::fabs(std::fmod(static_cast<double>(Iter), static_cast<double>(CyclicInterval))) < 0.001;
}

// The outlet profile: the mean over the columns at the last i of block 1,
// each position counted from the bed as the inflow cells count theirs.
void RefreshCyclicProfile() {
    const int top = CyclicPositions();
    for (int n = 0; n <= top; ++n) CyclicU[n] = CyclicK[n] = CyclicE[n] = 0.0;
    const BlockRecord& b = BlockTable[1];
    for (int j = b.jFirst; j <= b.jLast; ++j) {
        int c = GridColumnBottom(b.iLast, j);
        for (int n = 1; IsGridCell(c) && n <= top; ++n, c = Ccellt[c]) {
            CyclicU[n] += Cu[c];
            CyclicK[n] += Ck[c];
            CyclicE[n] += Cepsilon[c];
        }
    }
    const double share = 1.0 / std::max(b.jLast - b.jFirst + 1, 1);
    LogAppend("Cyclic values, stime = %lf\n", stime);
    for (int n = 1; n <= top; ++n) {
        CyclicU[n] *= share;
        CyclicK[n] *= share;
        CyclicE[n] *= share;
        LogAppend("U, K, E (%d) = %lf %lf %lf\n", n, CyclicU[n], CyclicK[n], CyclicE[n]);
    }
}

// The inflow terms of surface s at cell c: mass flux q (kg/(s m2)).
void AddInflow(int group, int s, int c, double q, const InflowValues& in) {
    const double f = q * Farea[s];
    Cap[c] += f;
    CdischargeGroup[c] = group;
    switch (Equation) {
        case 1: Csource[c] += f * in.u * Fvecx[s] * Fsign[s]; break;
        case 2: Csource[c] += f * in.u * Fvecy[s] * Fsign[s]; break;
        case 5: Csource[c] += f * in.k; break;
        case 6: Csource[c] += f * in.eps; break;
        default: break;
    }
}

// Cell c, or the cell that holds it on the level being solved.
int CellOnLevel(int c) {
    for (int level = 1; level < GridLevel && IsGridCell(c); ++level) {
        if (!Cchildren.exists() || static_cast<size_t>(c) >= Cchildren.extent1()) return 0;
        c = Cchildren[c][0];
    }
    return IsGridCell(c) ? c : 0;
}

void MarkOutflow(int g, bool onLevel) {
    const DischargeGroupRecord& r = Group(g);
    for (int n = 0; n < GroupListLength(r); ++n) {
        int c = GroupSurfaceCell(r.surfaceList[n]);
        if (onLevel) c = CellOnLevel(c);
        if (c > 0) CdischargeGroup[c] = -g;
    }
}

// Marks group g when it takes water out; true when it brings water in.
bool TakesInflow(int g, bool onLevel) {
    const DischargeGroupRecord& r = Group(g);
    if (r.noSurfaces <= 0) return false;
    const double q = GroupDischarge[g];
    if (r.groupType == 0 || q < 0.0) {
        MarkOutflow(g, onLevel);
        return false;
    }
    return r.groupType == 1 && q != 0.0;
}

// Uniform treatment, on the grid's own cells or on those of a coarser level.
void UniformInflow(bool onLevel) {
    for (int g = kFirstGroup; g <= kLastGroup; ++g) {
        if (!TakesInflow(g, onLevel)) continue;
        const DischargeGroupRecord& r = Group(g);
        const double flux = GroupDischarge[g] / (r.area + 1e-30);
        const InflowValues in{0.001 * flux, r.inflowK, r.inflowEps};
        for (int n = 0; n < GroupListLength(r); ++n) {
            const int s = r.surfaceList[n];
            int c = GroupSurfaceCell(s);
            if (onLevel) c = CellOnLevel(c);
            if (c > 0) AddInflow(g, s, c, flux, in);
        }
    }
}

// Bed level under cell c: the bottom of the lowest cell of its column. Every
// column has one, whether or not the group lists it.
double ColumnBedLevel(int c) {
    const int bed = ColumnBedCell(c);
    return Czcenter[bed] - Ckdist[bed];
}

// Share of the logarithmic profile of a cell centre at z over the bed zb.
double LogWeight(double z, double zb) {
    const double x = std::log(30.0 * (z - zb) / InflowRoughness);
    // Below the roughness height (and for a centre on or under the bed,
    // where the logarithm has no value) the face keeps a small share.
    return x >= 1e-7 && std::isfinite(x) ? x : 1e-7;
}

// `firstGroup` 2 leaves group 1 to the `inflow` file profile.
void LogarithmicInflow(int firstGroup) {
    const bool perColumn = InflowProfileOption == 2;
    for (int g = firstGroup; g <= kLastGroup; ++g) {
        if (!TakesInflow(g, false)) continue;
        const DischargeGroupRecord& r = Group(g);
        const double q = GroupDischarge[g];
        const int count = GroupListLength(r);
        double groupBed = 100000.0;
        for (int n = 0; n < count; ++n) {
            const int c = GroupSurfaceCell(r.surfaceList[n]);
            if (c > 0) groupBed = std::min(groupBed, ColumnBedLevel(c));
        }
        auto bedOf = [&](int c) { return perColumn ? ColumnBedLevel(c) : groupBed; };
        double sum = 0.0;
        for (int n = count - 1; n >= 0; --n) {
            const int s = r.surfaceList[n];
            const int c = GroupSurfaceCell(s);
            if (c > 0) sum += LogWeight(Czcenter[c], bedOf(c)) * Farea[s];
        }
        double lastFlux = 0.0, lastBed = groupBed;
        InflowValues in{0.0, r.inflowK, r.inflowEps};
        for (int n = count - 1; n >= 0; --n) {
            const int s = r.surfaceList[n];
            const int c = GroupSurfaceCell(s);
            if (c == 0) continue;
            lastBed = bedOf(c);
            lastFlux = LogWeight(Czcenter[c], lastBed) * q / (sum + 1e-30);
            in.u = 0.001 * lastFlux;
            AddInflow(g, s, c, lastFlux, in);
        }
        if (Iter == 1 && DebugOption == 'R' && count > 0) {
            const int s = r.surfaceList[0];
            const int c = GroupSurfaceCell(s);
            if (c == 0) continue;
            LogAppend("Boundary condition, logarithmic inflow. uplus = %lf\n", lastFlux);
            LogAppend("levbed = %lf, k = %d, Vel = %lf, Area = %lf\n", lastBed, -1, 0.001 * lastFlux, Farea[s]);
            LogAppend("source = %lf, Equation = %d\n", Csource[c], Equation);
        }
    }
}

// True when group 1 got the terms of the file's profile.
bool InflowFileProfile() {
    for (int g = kFirstGroup; g <= kLastGroup; ++g) {
        const DischargeGroupRecord& r = Group(g);
        if (r.noSurfaces > 0 && (r.groupType == 0 || GroupDischarge[g] < 0.0)) MarkOutflow(g, false);
    }
    const DischargeGroupRecord& r = Group(1);
    if (r.noSurfaces <= 0 || r.groupType != 1 || !(GroupDischarge[1] > 0.0)) return false;
    // The record's discharge, as the mass source of the pressure correction
    // takes it: with a `timei` series the momentum and the mass brought in
    // would otherwise differ.
    const double q = r.discharge / (r.area + 1e-30);
    const int points = std::min(NoInflowPoints, kInflowPoints - 1);
    const int levels = std::min(NoInflowLevels, kInflowLevels - 1);
    // The listed surfaces run down one column after another from its top
    // cell. The point index starts at 1 and rises at each top cell before
    // the cell is used, so the n-th column (from 1) reads point n + 1, as
    // stored files are numbered and as the mass source reads them.
    int p = 1;
    for (int n = 0; n < GroupListLength(r); ++n) {
        const int s = r.surfaceList[n];
        const int c = GroupSurfaceCell(s);
        if (c == 0) continue;
        if (Ccellt[c] == 0) ++p;
        if (p > points) break;
        Cap[c] += q * Farea[s];
        CdischargeGroup[c] = 1;
        const int m = r.levelList[n] + 1;
        if (m < 0 || m > levels) continue;
        switch (Equation) {
            case 1: Csource[c] += InflowFileU[p][m] * q * Fareax[s] * Fsign[s]; break;
            case 2: Csource[c] += InflowFileV[p][m] * q * Fareay[s] * Fsign[s]; break;
            case 5: Csource[c] += InflowFileK[p][m] * q * Farea[s]; break;
            case 6: Csource[c] += InflowFileE[p][m] * q * Farea[s]; break;
            default: break;
        }
    }
    return true;
}

void CyclicInflow() {
    for (int g = kFirstGroup; g <= kLastGroup; ++g) {
        const DischargeGroupRecord& r = Group(g);
        if (r.noSurfaces <= 0) continue;
        // The record's discharge, as the mass source of the pressure
        // correction takes it, so that momentum and mass agree.
        const double q = r.discharge;
        // A group that takes water out is treated as the uniform treatment
        // treats it: inflow terms with a negative flux would make Cap
        // negative. Every other inflow group is marked, one without
        // discharge too (its terms are then zero).
        if (r.groupType == 0 || (r.groupType == 1 && q < 0.0)) {
            MarkOutflow(g, false);
            continue;
        }
        if (r.groupType != 1) continue;
        const double flux = q / (r.area + 1e-30);
        for (int n = 0; n < GroupListLength(r); ++n) {
            const int s = r.surfaceList[n];
            const int c = GroupSurfaceCell(s);
            if (c == 0) continue;
            const int level = r.levelList[n];
            InflowValues in;
            if (level >= 0 && level <= kLastCyclicPosition) in = {CyclicU[level], CyclicK[level], CyclicE[level]};
            const double f = flux * Farea[s];
            Cap[c] += f;
            CdischargeGroup[c] = g;
            if (Equation == 1) Csource[c] += f * in.u * Fvecx[s] * Fsign[s];
            if (Equation == 5) Csource[c] += f * in.k;
            if (Equation == 6) Csource[c] += f * in.eps;
        }
    }
}

bool LogarithmicWanted() { return InflowProfileOption > 0 && CyclicInterval == 0; }

void AddInflowTerms() {
    if (CyclicInterval > 0 && GridLevel <= 1 && (Iter > 1 || ResultFluxesReadFlag == 1 || CyclicFileFlag == 1)) {
        CyclicInflow();
    } else if (NoInflowPoints > 0) {
        // Group 1 takes its profile from the file; a logarithmic profile on
        // top would bring its inflow into the equations twice.
        const bool group1Done = InflowFileProfile();
        if (GridLevel > 1) {
            UniformInflow(true);
        } else if (LogarithmicWanted()) {
            LogarithmicInflow(group1Done ? 2 : kFirstGroup);
        }
    } else if (GridLevel > 1) {
        UniformInflow(true);
    } else if (LogarithmicWanted()) {
        LogarithmicInflow(kFirstGroup);
    } else if (InflowProfileOption != 0) {
        return;
    } else if (CyclicInterval != 0 && (Iter > 1 || ResultFluxesReadFlag != 0)) {
        return;
    } else {
        UniformInflow(false);
    }
}

}  // namespace

double ComputeBalanceOutflow(int g) {
    if (g < kFirstGroup || g > kLastGroup) return 0.0;
    double sum = 0.0;
    for (int h = kFirstGroup; h <= kLastGroup; ++h) {
        if (h == g) continue;
        sum += G7Records[h].ivalue[0] != 0 ? -GroupDischarge[h] : GroupDischarge[h];
    }
    // A steady run has no time step to release storage over: the change
    // divided by 1e-20 s would swamp every discharge.
    if (TimeStep > 1e-8) {
        const double dt = std::max(TimeStep, LastSurfaceUpdateTime - PreviousSurfaceUpdateTime);
        sum += 1000.0 * SurfaceVolumeChange / dt;
    }
    return std::max(0.0, sum);
}

void SetInflowBoundaryConditions() {
    DischargesAtCurrentTime();
    BalanceOutflows();
    if (NoCells > 0) {
        CdischargeGroup[NoCells] = 0;  // the bounds check of the whole range
        ForCellChunks(1, NoCells, [marks = CdischargeGroup.data()](int first, int last, int) {
            std::fill(marks + first, marks + last + 1, 0);
        });
    }
    if (CyclicRefreshDue()) RefreshCyclicProfile();
    AddInflowTerms();
}
