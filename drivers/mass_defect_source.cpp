// Source of the pressure-correction equation: the mass each cell gains or
// loses with the current surface fluxes, the water the discharge groups bring
// in or take out at their boundary surfaces, and the terms of the free-surface
// and water-level options. A positive source is water the correction has to
// let out of the cell again.
#include <algorithm>
#include <cmath>
#include <optional>

#include "flow/cell_chunks.h"
#include "drivers/depth_averaged.h"
#include "drivers/flow_drivers.h"
#include "flow/cell_lookup.h"
#include "run/globals.h"
#include "run/time_series.h"

namespace {

constexpr double kDensity = 1000.0;
constexpr double kGravity = 9.81;
constexpr double kLeastProfileWeight = 1e-7;

bool FreeSurfaceOutflow() {
    return FreeSurfaceOption == 1 || (FreeSurfaceOption >= 15 && FreeSurfaceOption <= 17);
}

// Walks the cells of a column from its bottom cell upwards. The walk ends at
// the top, at a cell beyond the grid or after as many steps as the grid has
// cells.
template <class Visit>
void ForColumnCells(int bottom, Visit&& visit) {
    for (int c = bottom, steps = 0; c > 0 && c <= NoCells && steps < NoCells; c = Ccellt[c], ++steps) visit(c);
}

int ColumnCellCount(int bottom) {
    int n = 0;
    ForColumnCells(bottom, [&n](int) { ++n; });
    return n;
}

void SubtractFromColumn(int bottom, double q) {
    ForColumnCells(bottom, [q](int c) { Csource[c] -= q; });
}

// ---- Mass defect and column terms ---------------------------------------

void MassDefects() {
    ForCellChunks(FirstCell, LastCell, [f = Fflux.data(), source = Csource.data()](int first, int last, int) {
        for (int c = first; c <= last; ++c) {
            source[c] = -(f[Csurfe[c]] - f[Csurfw[c]] + f[Csurfn[c]] - f[Csurfs[c]] + f[Csurft[c]] - f[Csurfb[c]]);
        }
    });
}

// The level corrections of the columns, spread over the interval between the
// last two surface updates (at least one time step).
void ColumnLevelCorrections() {
    if (F271Option <= 0 || !Blevelcorr.exists()) return;
    const double dt = std::max(TimeStep, LastSurfaceUpdateTime - PreviousSurfaceUpdateTime);
    if (!(dt > 1e-8)) return;
    for (int b = 1; b <= NoBedCells; ++b) {
        if (Bcellt[b] <= 0 || Bnocells[b] <= 0) continue;
        SubtractFromColumn(Bcellt[b], Blevelcorr[b] * kDensity * Barea[b] / (Bnocells[b] * dt));
    }
}

// Mean of the level change over the four nodes around column (i, j).
double NodeLevelChange(int i, int j) {
    return 0.25 * (GridLevels[4][i - 1][j - 1] + GridLevels[4][i][j - 1] + GridLevels[4][i - 1][j] +
                   GridLevels[4][i][j]);
}

// The nodes around the column must be on the level planes too.
bool LevelsAround(int i, int j) {
    return i >= 1 && j >= 1 && static_cast<size_t>(i) < GridLevels.extent2() &&
           static_cast<size_t>(j) < GridLevels.extent3();
}

// The reservoir balance: the level change of the nodes over the surface
// interval becomes a sink of every cell of the column.
void ReservoirLevelChange() {
    if (FreeSurfaceOption <= 0 || ReservoirBalanceMode != 7) return;
    if (!(TimeStep > 1e-8) || SurfaceInterval <= 0 || !GridLevels.exists() || GridLevels.extent1() <= 4) return;
    const int blocks = std::min(NoBlocks, kBlockValueSlots - 1);
    for (int k = 1; k <= blocks; ++k) {
        const BlockRecord& r = BlockTable[k];
        if (r.gridLevel != 0 || G26BlockValues[k] != 1) continue;
        for (int i = r.iFirst - 1; i <= r.iLast; ++i) {
            for (int j = r.jFirst - 1; j <= r.jLast; ++j) {
                const int bottom = GridColumnBottom(i, j);
                if (bottom == 0 || !LevelsAround(i, j)) continue;
                const int cells = ColumnCellCount(bottom);
                const double q = NodeLevelChange(i, j) * kDensity * Barea[Cbedcell[bottom]] /
                                 (SurfaceInterval * TimeStep) / cells;
                SubtractFromColumn(bottom, q);
            }
        }
    }
}

// Extra diagonal of the columns that ties the correction to the water level.
void FreeSurfaceDiagonals() {
    if (F284Option < 1 || F284Option > 3) return;
    if (FreeSurfaceOption <= 0 || !(TimeStep > 1e-8) || NoBedCells <= 0) return;
    for (int b = 1; b <= NoBedCells; ++b) {
        const int bottom = Bcellt[b];
        if (bottom <= 0) continue;
        const double area = Barea[b];
        if (F284Option == 1) {
            if (Bnocells[b] <= 0) continue;
            const double add = area * RelaxPressure * NoIterPerStep / (Bnocells[b] * kGravity * TimeStep);
            ForColumnCells(bottom, [add](int c) { Cap[c] += add; });
        } else if (F284Option == 2) {
            int top = bottom;
            ForColumnCells(bottom, [&top](int c) { top = c; });
            Cap[top] += area * area * kDensity * CinvAp[top];
        } else {
            ForColumnCells(bottom, [area](int c) { Cap[c] += area * area * kDensity * CinvAp[c]; });
        }
    }
}

// ---- Discharges of the groups -------------------------------------------

// Sets GroupDischarge[1..9] for `stime` and returns the water level of the
// series (0 without one).
double GroupDischargesNow() {
    std::optional<SeriesPoint> series;
    if (TimeiInflowFlag != 0) series = LocateInTimei(stime);
    if (!series) {
        for (int g = kFirstGroup; g <= kLastGroup; ++g) GroupDischarge[g] = DischargeGroups[g].discharge;
        return 0.0;
    }
    for (int g = kFirstGroup; g <= kLastGroup; ++g) {
        if (DischargeGroups[g].noSurfaces > 0 || g <= 2) {
            GroupDischarge[g] = kDensity * series->of([g](int r) { return TimeiDischarge[r][g]; });
        }
    }
    return series->of([](int r) { return TimeiLevel[r]; });
}

void SetContinuityOffset() {
    ContinuityResidualOffset = 0.0;
    if (MpiPart != 0) return;
    for (int g = kFirstGroup; g <= kLastGroup; ++g) {
        const DischargeGroupRecord& group = DischargeGroups[g];
        if (group.noSurfaces <= 0 || !(GroupDischarge[g] > 1e-8)) continue;
        ContinuityResidualOffset += group.groupType == 0 ? -GroupDischarge[g] : GroupDischarge[g];
    }
}

// ---- Boundary groups on the finest level ----------------------------------

// The surfaces of one group that exist in the grid, with the cell of each.
struct GroupSurfaces {
    const DischargeGroupRecord& group;
    int count;

    explicit GroupSurfaces(const DischargeGroupRecord& g) : group(g), count(GroupListLength(g)) {}

    int surface(int n) const { return group.surfaceList[n]; }
    int cell(int n) const { return GroupSurfaceCell(surface(n)); }
    bool usable(int n) const { return cell(n) > 0; }
    template <class Visit>
    void forEach(Visit&& visit) const {
        for (int n = 0; n < count; ++n) {
            if (usable(n)) visit(n, surface(n), cell(n));
        }
    }
    double area() const { return GroupArea(group); }
};

// Outward discharge through surface s of cell c (m3/s), by the area vector.
double OutwardFlow(int s, int c) { return (Cu[c] * Fareax[s] + Cv[c] * Fareay[s] + 1e-20) * -Fsign[s]; }

// Outward velocity through surface s of cell c, by the unit normal.
double OutwardVelocity(int s, int c) { return (Cu[c] * Fvecx[s] + Cv[c] * Fvecy[s]) * -Fsign[s]; }

double BedLevel(int c) { return Czcenter[c] - Ckdist[c]; }
bool IsBedCell(int c) { return Ccellb[c] == 0; }
bool IsTopCell(int c) { return Ccellt[c] == 0; }

// Free outflow: whatever the cells carry out, never in.
void FreeOutflow(const GroupSurfaces& g) {
    g.forEach([](int, int s, int c) { Csource[c] -= std::max(OutwardVelocity(s, c) * Farea[s] * kDensity, 0.0); });
}

// The outflow of a free overfall: the stored discharge scaled by the ratio of
// a critical velocity over the section to the stored mean velocity.
void CriticalOutflow(const GroupSurfaces& g) {
    if (g.count <= 0 || !g.usable(0) || !g.usable(g.count - 1)) return;
    const double area = g.area() + 1e-20;
    const int c1 = g.cell(0), cn = g.cell(g.count - 1);
    const double d = std::hypot(Cxcenter[cn] - Cxcenter[c1], Cycenter[cn] - Cycenter[c1]);
    const double v = std::sqrt(kGravity * area / (d + 1e-20 + Cjdist[cn] + Cjdist[c1]));
    const double q0 = g.group.discharge;
    // Without a stored discharge there is nothing to scale.
    if (q0 == 0.0) return;
    const double r = kDensity * v / q0;
    double q;
    if (r > 3.0) {
        q = 1.316 * q0;
    } else if (r < 0.3) {
        q = 0.74 * q0;
    } else {
        q = std::pow(r, 0.25) * q0;
    }
    g.forEach([q, area](int, int s, int c) { Csource[c] -= Farea[s] * q / area; });
}

// Logarithmic velocity profile over the inflow section: each surface's share
// follows ln(30 z / ks), z measured from the lowest bed of the section, or
// with option 2 from the bed of each surface's own column (the list runs
// down each column, so walking it backwards meets the bed cell first).
void LogarithmicInflow(const GroupSurfaces& g, double discharge) {
    double lowest = 100000.0;
    g.forEach([&lowest](int, int, int c) {
        if (IsBedCell(c)) lowest = std::min(lowest, BedLevel(c));
    });
    auto walk = [&](auto&& use) {
        double zb = lowest;
        for (int n = g.count - 1; n >= 0; --n) {
            if (!g.usable(n)) continue;
            const int s = g.surface(n), c = g.cell(n);
            if (InflowProfileOption == 2 && IsBedCell(c)) zb = BedLevel(c);
            double weight = std::log(30.0 * (Czcenter[c] - zb) / InflowRoughness);
            if (!(weight >= kLeastProfileWeight)) weight = kLeastProfileWeight;
            use(s, c, weight);
        }
    };
    double sum = 0.0;
    walk([&sum](int s, int, double weight) { sum += weight * Farea[s]; });
    walk([&](int s, int c, double weight) { Csource[c] += weight * Farea[s] * discharge / (sum + 1e-30); });
}

bool CyclicProfileReady() {
    return CyclicInterval >= 2 && (Iter >= 2 || ResultFluxesReadFlag == 1 || CyclicFileFlag == 1);
}

// The cyclic profile: each surface's share follows the velocity of its level.
void CyclicInflow(const GroupSurfaces& g) {
    auto velocity = [&g](int n) {
        const int level = g.group.levelList[n];
        return level >= 0 && level < kCyclicLevels ? CyclicU[level] : 0.0;
    };
    double sum = 0.0;
    g.forEach([&](int n, int s, int) { sum += Farea[s] * velocity(n); });
    const double q0 = g.group.discharge;
    g.forEach([&](int n, int s, int c) { Csource[c] += Farea[s] * velocity(n) * q0 / (sum + 1e-30); });
}

// The profile of the `inflow` file: the listed surfaces run down one column
// after another, each from its top cell. The point index starts at 1 and
// rises at each top cell before the cell is used, so the n-th column (from
// 1) takes point n + 1 of the file, as stored files are numbered.
void InflowFileInflow(const GroupSurfaces& g) {
    auto walk = [&g](auto&& use) {
        int point = 1;
        for (int n = 0; n < g.count; ++n) {
            if (!g.usable(n)) continue;
            const int s = g.surface(n), c = g.cell(n);
            if (IsTopCell(c)) ++point;
            if (point > NoInflowPoints || point >= kInflowPoints) break;
            const int level = g.group.levelList[n] + 1;
            if (level < 0 || level > NoInflowLevels || level >= kInflowLevels) continue;
            use(c, Fareax[s] * InflowFileU[point][level] + Fareay[s] * InflowFileV[point][level]);
        }
    };
    double sum = 0.0;
    walk([&sum](int, double f) { sum += f; });
    const double q0 = g.group.discharge;
    walk([&](int c, double f) { Csource[c] += f * q0 / (sum + 1e-30); });
}

// Outflow by the state of the section: the mean outflow velocity of the
// group against the flow each surface's cell carries, the larger of the two
// where the test passes and the smaller where it does not.
void SectionStateOutflow(const GroupSurfaces& g, int index, double seriesLevel) {
    const double area = g.group.area > 0.0 ? g.group.area : g.area();
    const double u = area > 0.0 ? 0.001 * GroupDischarge[index] / area : 0.0;
    double surfaceSum = 0.0, bedSum = 0.0;
    int tops = 0, beds = 0;
    g.forEach([&](int, int, int c) {
        if (IsTopCell(c)) {
            surfaceSum += Czcenter[c] + Ckdist[c];
            ++tops;
        }
        if (IsBedCell(c)) {
            bedSum += BedLevel(c);
            ++beds;
        }
    });
    // A section without bed cells has no depth and one without top cells no
    // level to compare; the test then fails.
    bool passed = false;
    if (F234Option == 3) {
        passed = beds > 0 && u * u / kGravity < (surfaceSum - bedSum) / beds;
    } else {
        passed = tops > 0 && seriesLevel < surfaceSum / tops;
    }
    g.forEach([&](int, int s, int c) {
        const double mean = Farea[s] * u;
        const double own = OutwardFlow(s, c);
        Csource[c] -= kDensity * (passed ? std::max(mean, own) : std::min(mean, own));
    });
}

// Mode 0 and inflow groups share the discharge by area; mode 1 outflow groups
// take part of it by the flow each surface carries out.
void AreaOrFluxShare(const GroupSurfaces& g, int index) {
    const double q = GroupDischarge[index];
    if (g.group.groupMode == 0 || g.group.groupType == 1) {
        const double area = g.area();
        const double sign = g.group.groupType == 1 ? 1.0 : -1.0;
        g.forEach([&](int, int s, int c) { Csource[c] += sign * Farea[s] * q / (area + 1e-30); });
        return;
    }
    if (g.group.groupMode != 1) return;
    double outflow = 0.0;
    g.forEach([&outflow](int, int s, int c) { outflow += std::max(OutwardFlow(s, c), 0.0); });
    const double w = SedimentInflowFluxWeight;
    const double total = g.group.area;
    g.forEach([&](int, int s, int c) {
        Csource[c] -= std::max(OutwardFlow(s, c), 0.0) * w * q / (outflow + 1e-40);
        Csource[c] -= (1.0 - w) * Farea[s] * q / (total + 1e-30);
    });
}

void BoundaryGroupSources(double seriesLevel) {
    for (int k = kFirstGroup; k <= kLastGroup; ++k) {
        const GroupSurfaces g(DischargeGroups[k]);
        if (g.count <= 0) continue;
        const int type = g.group.groupType;
        if (type == 0 && FreeSurfaceOutflow() && F180Option == 3) {
            FreeOutflow(g);
        } else if (type == 0 && FreeSurfaceOutflow() && F180Option == 1) {
            CriticalOutflow(g);
        } else if (type == 1 && InflowProfileOption > 0 && GroupDischarge[k] > 0.0) {
            LogarithmicInflow(g, GroupDischarge[k]);
        } else if (type == 1 && CyclicProfileReady()) {
            CyclicInflow(g);
        } else if (k == 1 && type == 1 && NoInflowPoints > 0) {
            InflowFileInflow(g);
        } else if (type == 0 && (F234Option == 3 || F234Option == 4)) {
            SectionStateOutflow(g, k, seriesLevel);
        } else {
            AreaOrFluxShare(g, k);
        }
    }
}

// ---- Depth-averaged range ------------------------------------------------

bool ThreeDimensionalBlock(int b) { return BlockTable[b].overlapLevel == 0 && BlockTable[b].depthAveraged == 0; }

// A depth-averaged range is solved for the water of the 3D blocks: their
// sources are gathered here and handed over column by column afterwards.
bool ClearThreeDimensionalSources() {
    if (FirstCell < 1 || FirstCell > NoCells || C2DFlag[FirstCell] != 1) return false;
    for (int b = 1; b <= NoBlocks - 1; ++b) {
        if (!ThreeDimensionalBlock(b)) continue;
        for (int c = std::max(BlockTable[b].firstCell, 1); c <= std::min(BlockTable[b].lastCell, NoCells); ++c) {
            Csource[c] = 0.0;
        }
    }
    return true;
}

// Each column's water goes to the depth-averaged cell of its own grid
// position (see PairDepthAveragedColumns).
void CarryColumnsToDepthAveraged() {
    for (const ColumnPair& pair : ColumnPairs) {
        if (pair.depthAveraged < FirstCell || pair.depthAveraged > LastCell) continue;
        double sum = 0.0;
        ForEachCellOfColumn(pair.top, [&sum](int k) { sum += Csource[k]; });
        Csource[pair.depthAveraged] += sum;
    }
}

// ---- Coarser grid levels ---------------------------------------------------

// The cell of the current grid level that holds cell c of level 1.
int LevelCellOf(int c) {
    for (int l = 1; l < GridLevel && c > 0; ++l) {
        if (!Cchildren.exists() || static_cast<size_t>(c) >= Cchildren.extent1()) return 0;
        c = Cchildren[c][0];
    }
    return c > 0 && c <= NoCells ? c : 0;
}

// ---- Hydrostatic outflow --------------------------------------------------

void HydrostaticOutflow() {
    if (HydrostaticPressureFlag <= 0 || (F234Option != 1 && F234Option != 2)) return;
    for (int k = kFirstGroup; k <= kLastGroup; ++k) {
        const GroupSurfaces g(DischargeGroups[k]);
        if (g.group.groupType != 0) continue;
        g.forEach([](int, int, int c) {
            Csource[c] = 0.0;
            if (F234Option != 1) return;
            double above = 0.0;
            for (int t = Ccellt[c], steps = 0; t > 0 && steps < NoCells; t = Ccellt[t], ++steps) above += Ckdist[t];
            Pres[c] = kDensity * kGravity * (Ckdist[c] + 2.0 * above);
        });
    }
}

}  // namespace

void AddCoarseLevelGroupSources() {
    for (int k = kFirstGroup; k <= kLastGroup; ++k) {
        const GroupSurfaces g(DischargeGroups[k]);
        if (g.count <= 0) continue;
        const double q = GroupDischarge[k];
        if (g.group.groupMode == 0 || g.group.groupType == 1) {
            const double area = g.area();
            const double sign = g.group.groupType == 1 ? 1.0 : -1.0;
            g.forEach([&](int, int s, int c) {
                const int l = LevelCellOf(c);
                if (l > 0) Csource[l] += sign * Farea[s] * q / (area + 1e-30);
            });
            continue;
        }
        if (g.group.groupMode != 1) continue;
        double outflow = 0.0;
        g.forEach([&outflow](int, int s, int c) { outflow += std::max(OutwardVelocity(s, c), 0.0) * Farea[s]; });
        g.forEach([&](int, int s, int c) {
            const int l = LevelCellOf(c);
            if (l > 0) Csource[l] -= std::max(OutwardVelocity(s, l), 0.0) * Farea[s] * q / (outflow + 1e-20);
        });
    }
}

void ComputeMassDefectSource() {
    MassDefects();
    ColumnLevelCorrections();
    ReservoirLevelChange();
    FreeSurfaceDiagonals();
    const double seriesLevel = GroupDischargesNow();
    SetContinuityOffset();
    const bool depthAveraged = ClearThreeDimensionalSources();
    if (GridLevel <= 1) {
        BoundaryGroupSources(seriesLevel);
    } else {
        AddCoarseLevelGroupSources();
    }
    if (depthAveraged) CarryColumnsToDepthAveraged();
    HydrostaticOutflow();
#pragma omp barrier
}
