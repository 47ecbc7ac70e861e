// Start of a flow computation: group areas and inflow turbulence, the
// residual references, the working relaxation factors, the start fields,
// the component profiles, the roughness of every cell and the resets of the
// running time averages.
#include <algorithm>
#include <cmath>

#include "flow/flow_services.h"
#include "flow/cell_lookup.h"
#include "flow/start_profiles.h"
#include "quality/quality_data.h"
#include "run/globals.h"
#include "run/log.h"

namespace {

constexpr double kRhoG = 9810.0;

// Start values of k and epsilon and the residual references of the run.
struct StartTurbulence {
    double k0;
    double e0;
    double momentum;   // M
    double discharge;  // D
};

void ComputeGroupAreas() {
    // Every group with surfaces needs its area, also one whose record holds
    // no discharge: a `timei` series may give it one, and the inflow would
    // then be spread over an area of 0.
    for (int g = kFirstGroup; g <= kLastGroup; ++g) DischargeGroups[g].area = GroupArea(DischargeGroups[g]);
}

void InflowTurbulence(StartTurbulence* t) {
    if (MpiPart != 0) {
        DischargeGroupRecord& r = DischargeGroups[1];
        if (InitialTurbulenceOption == 0) t->k0 = t->e0 = 0.01;
        r.inflowK = t->k0;
        r.inflowEps = t->e0;
        t->momentum = t->discharge = r.discharge;
        ResidualScale[5] = r.discharge * t->k0;
        ResidualScale[6] = r.discharge * t->e0;
        return;
    }
    t->momentum = 0.1;
    t->discharge = 10.0;
    for (int g = kFirstGroup; g <= kLastGroup; ++g) {
        DischargeGroupRecord& r = DischargeGroups[g];
        const double q = r.discharge;
        // A group without surfaces brings no water; its velocity over the
        // guard area of 1e-5 m2 would give every cell an absurd start k.
        if (r.groupType != 1 || !(std::fabs(q) > 1e-20) || r.noSurfaces <= 0) continue;
        t->discharge += q;
        const double v = 0.001 * q / (r.area + 1e-5);
        t->momentum += q * v;
        if (InitialTurbulenceOption == 0) {
            t->k0 = std::max(0.0025 * v * v, 1e-6);
            t->e0 = 0.8 * t->k0 * std::sqrt(t->k0 / (r.area + 1e-10));
        }
        r.inflowK = t->k0;
        r.inflowEps = t->e0;
        ResidualScale[5] = t->discharge * t->k0;
        ResidualScale[6] = t->discharge * t->e0;
    }
}

double FreeSurfaceArea() {
    double a = 0.0;
    for (int c = 1; c <= NoCells; ++c) {
        if (Ccellt[c] == 0 && IsGridSurface(Csurft[c])) a += Farea[Csurft[c]];
    }
    return a;
}

void WindTurbulence(StartTurbulence* t) {
    const double w = WindSpeed[0];
    if (w > 1e-5) {
        const double as = FreeSurfaceArea();
        t->momentum += w * w * as;
        t->discharge += 0.1 * w * w * as;
        if (InitialTurbulenceOption == 0) {
            t->k0 = 0.0033333 * 1.2 * 0.5 * 0.001 * std::pow(std::fabs(w), 2.5);
            const double kdist = NoCells >= 1 ? Ckdist[1] : 0.0;
            t->e0 = 0.164317 * 2.5 * std::pow(t->k0, 1.5) / (kdist + 1e-20);
        }
        ResidualScale[5] = t->discharge * t->k0;
        ResidualScale[6] = t->discharge * t->e0;
    } else if (w > 1e-10) {
        const double as = FreeSurfaceArea();
        t->momentum += 0.0001 * as;
        t->discharge += 0.00001 * as;
        if (InitialTurbulenceOption == 0) {
            t->k0 = 1.9999800000000003e-11;
            t->e0 = 3.599928000360001e-17;
        }
        ResidualScale[5] = ResidualScale[6] = 0.0001 * t->discharge;
    }
}

double Bounded(double factor, double low, double high) { return factor > low && factor < high ? factor : low; }

void SetRelaxationFactors() {
    RelaxVelocity = Bounded(RelaxationFactors[1], 0.001, 2.0);
    InvRelaxVelocity = 1.0 / RelaxVelocity;
    RelaxPressure = Bounded(RelaxationFactors[4], 0.001, 2.0);
    RelaxK = Bounded(RelaxationFactors[5], 0.01, 2.0);
    RelaxEps = Bounded(RelaxationFactors[6], 0.01, 2.0);
}

void LogStartSettings() {
    LogAppend("Relaxation: %lf %lf %lf %lf\n", RelaxVelocity, RelaxPressure, RelaxK, RelaxEps);
    if (NoThreads > 0 && DebugOption == 'D') {
        LogAppend("OpenMP G 50");
        for (int n = 0; n < 10; ++n) LogAppend(" %d", OpenMPSwitches[n]);
        LogAppend("\n");
    }
}

// Fills sediment size 0 of the cells; the concentration table may hold no
// cells at all.
void ClearTotalConcentration() {
    if (!conc.exists() || conc.extent1() < 1) return;
    const int last = std::min(NoCells, static_cast<int>(conc.extent2()) - 1);
    for (int c = 1; c <= last; ++c) conc[0][c] = 0.0;
}

// Element 0 is the "none" slot that neighbour reads rely on, so only the
// cells themselves get start values.
void SetStartFields(double u, double v, double w, double k, double e) {
    for (int c = 1; c <= NoCells; ++c) {
        CinvAp[c] = 0.0;
        Cu[c] = u;
        Cv[c] = v;
        Cw[c] = w;
        Ck[c] = k;
        Cepsilon[c] = e;
    }
    ClearTotalConcentration();
}

// Adds (or sets, when `replace`) 9810 times the depth of each cell centre
// below the top of the column, walking down from `top`.
void HydrostaticColumn(int top, bool replace) {
    double d = 0.0;
    int c = top;
    for (int steps = 0; IsGridCell(c) && steps < NoCells; ++steps, c = Ccellb[c]) {
        d += Ckdist[c];
        Pres[c] = replace ? kRhoG * d : Pres[c] + kRhoG * d;
        d += Ckdist[c];
    }
}

void LayerBlockPressure() {
    int block = 0;
    if (LayerBlockOption >= 2) {
        if (NoBlocks < 2 || BlockTable[2].layerBlock <= 0) return;
        block = 2;
    } else if (LayerBlockOption == 1) {
        if (NoBlocks < 1) return;
        block = 1;
    } else {
        return;
    }
    const BlockRecord& b = BlockTable[block];
    const int first = std::max(b.firstCell, 1);
    const int last = std::min(b.lastCell, NoCells);
    for (int c = first; c <= last; ++c) {
        if (Ccellt[c] < b.firstCell) HydrostaticColumn(c, false);
    }
}

void FirstTimeFields(const StartTurbulence& t) {
    LogStartSettings();
    if (NoInitialValueSets <= 0) {
        SetStartFields(0.0, 0.0, 0.0, t.k0, t.e0);
        // A second first-time start in one run (letter N, then W) would add
        // the layer block's hydrostatic pressure onto the first one's.
        for (int c = 1; c <= NoCells; ++c) Pres[c] = 0.0;
    }
    if (HydrostaticPressureFlag == 1) {
        for (int c = 1; c <= NoCells; ++c) {
            if (Ccellt[c] == 0) HydrostaticColumn(c, true);
        }
    }
    LayerBlockPressure();
    if (NoInitialValueSets > 0) {
        const double* r = G18Records[std::min(NoInitialValueSets, kG18Capacity)];
        SetStartFields(r[1], r[2], r[3], r[5], r[6]);
        if (r[4] > 0.0) {
            for (int c = 1; c <= NoCells; ++c) Pres[c] = r[4];
        }
    }
}

// Writes a component's start value into the current (and, in an unsteady
// run, the previous) field.
void ApplyProfile(int component, const ProfilePair* pairs, int count, bool old) {
    if (!Components.exists() || component < 0 || static_cast<size_t>(component) >= Components.extent1()) return;
    const int last = std::min(NoCells, static_cast<int>(Components.extent2()) - 1);
    const bool withOld = old && ComponentsOld.exists() && static_cast<size_t>(component) < ComponentsOld.extent1() &&
                         ComponentsOld.extent2() >= Components.extent2();
    for (int c = 1; c <= last; ++c) {
        const double value = ProfileValueAt(pairs, count, Czcenter[c]);
        Components[component][c] = value;
        if (withOld) ComponentsOld[component][c] = value;
    }
}

void LayeredTemperature() {
    if (!Components.exists() || Components.extent1() < 1) return;
    const int lastCell = std::min(NoCells, static_cast<int>(Components.extent2()) - 1);
    if (F69Int7 == 1) {
        for (int b = 1; b <= std::min(NoBlocks, kMaxBlocks); ++b) {
            const int first = BlockTable[b].firstCell, last = BlockTable[b].lastCell;
            const int mid = first + (last - first) / 2;
            for (int c = std::max(first, 1); c <= std::min(last, lastCell); ++c) Components[0][c] = c <= mid ? 10.0 : 20.0;
        }
    } else if (F69Int7 == 2) {
        for (int c = 1; c <= lastCell; ++c) Components[0][c] = InitialWaterLevel - Czcenter[c] <= 2.0 ? 20.0 : 10.0;
    }
}

void ComponentStartProfiles() {
    if (TemperatureFlag == 1 && NoInitialProfilePoints > 0 && F69Int7 == 0) {
        ApplyProfile(0, G40Pairs, NoInitialProfilePoints, false);
    }
    for (int p = 0; p < std::min(NoComponentProfiles, kComponentProfiles); ++p) {
        ApplyProfile(G41ComponentNo[p], G41Pairs[p], G41PairCount[p], TimeStep > 1e-8);
    }
    if (TemperatureFlag == 1) LayeredTemperature();
}

int ParentCell(int c) {
    if (!Cchildren.exists() || !IsGridCell(c) || static_cast<size_t>(c) >= Cchildren.extent1()) return 0;
    const int p = Cchildren[c][0];
    return IsGridCell(p) ? p : 0;
}

void CoarseLevelRoughness() {
    if (!Cchildren.exists()) return;
    for (int i = 2; i <= NoGridLinesX; ++i) {
        for (int j = 2; j <= NoGridLinesY; ++j) {
            const int c = GridColumnBottom(i, j);
            const int parent = ParentCell(c);
            if (parent > 0) Croughness[parent] = Croughness[c];
        }
    }
    const int block = NoBlocks + 2 - NoGridLevels;
    if (NoGridLevels <= 2 || block < 1 || block > std::min(NoBlocks, kMaxBlocks) || Cchildren.extent2() < 5) return;
    const int last = std::min(NoCells, static_cast<int>(Cchildren.extent1()) - 1);
    for (int c = std::max(BlockTable[block].firstCell, 1); c <= last; ++c) {
        // A coarse cell on an odd edge holds fewer than four cells; the
        // missing ones must not pull its mean towards 0.
        double sum = 0.0;
        int n = 0;
        for (int e = 1; e <= 4; ++e) {
            const int child = Cchildren[c][e];
            if (!IsGridCell(child)) continue;
            sum += Croughness[child];
            ++n;
        }
        if (n > 0) Croughness[c] = sum / n;
    }
}

void SetRoughness() {
    if (WallRoughness < 0.0) WallRoughness = std::pow(26.0 / StricklerCoefficient, 6.0);
    WallRoughness = std::max(WallRoughness, 1e-5);
    for (int c = 1; c <= NoCells; ++c) Croughness[c] = WallRoughness;

    if (FlowInitialisedFlag == 1 && RoughnessOption >= 2 && RoughnessOption <= 6 && Broughness.exists() &&
        Bcellt.exists()) {
        const int columns = std::min({NoBedCells, static_cast<int>(Broughness.size()) - 1,
                                      static_cast<int>(Bcellt.size()) - 1});
        for (int b = 1; b <= columns; ++b) {
            if (!(Broughness[b] > 1e-10)) continue;
            int c = Bcellt[b];
            for (int steps = 0; IsGridCell(c) && steps < NoCells; ++steps, c = Ccellt[c]) Croughness[c] = Broughness[b];
        }
    }
    if (RoughnessOption == 1 && GridBedRough.exists()) {
        for (int i = 2; i <= NoGridLinesX; ++i) {
            for (int j = 2; j <= NoGridLinesY; ++j) {
                const int c = GridColumnBottom(i, j);
                if (c == 0 || static_cast<size_t>(i) >= GridBedRough.extent1() ||
                    static_cast<size_t>(j) >= GridBedRough.extent2()) {
                    continue;
                }
                Croughness[c] = GridBedRough[i][j];
                const int column = Cbedcell[c];
                if (Broughness.exists() && column > 0 && static_cast<size_t>(column) < Broughness.size()) {
                    Broughness[column] = GridBedRough[i][j];
                }
            }
        }
    }
    if (NoGridLevels > 0) CoarseLevelRoughness();
}

template <class T>
void ClearGridBox(Array2<T>& a, const BlockRecord& b) {
    if (!a.exists()) return;
    const int iLast = std::min(b.iLast, static_cast<int>(a.extent1()) - 1);
    const int jLast = std::min(b.jLast, static_cast<int>(a.extent2()) - 1);
    for (int i = std::max(b.iFirst, 0); i <= iLast; ++i) {
        for (int j = std::max(b.jFirst, 0); j <= jLast; ++j) a[i][j] = T{};
    }
}

void ResetTimeAverages() {
    TimeAverageCounter = 0;
    for (int n = 1; n <= std::min(NoBlocks, kMaxBlocks); ++n) {
        const BlockRecord& b = BlockTable[n];
        if (b.depthAveraged != 0) continue;
        ClearGridBox(GridTrendSumX, b);
        ClearGridBox(GridTrendSumXX, b);
        ClearGridBox(GridTrendSumY, b);
        ClearGridBox(GridTrendSumXY, b);
        ClearGridBox(GridTrendN, b);
    }
}

}  // namespace

double ProfileValueAt(const ProfilePair* pairs, int count, double z) {
    const int n = std::min(count, kProfilePairs);
    if (n <= 0) return 0.0;
    if (n == 1 || z >= pairs[0].level) return pairs[0].value;
    for (int m = 1; m < n; ++m) {
        const double upper = pairs[m - 1].level, lower = pairs[m].level;
        if (lower <= z && z < upper) {
            const double w = (upper - z) / (upper - lower + 1e-20);
            return w * pairs[m].value + (1.0 - w) * pairs[m - 1].value;
        }
    }
    return pairs[n - 1].value;
}

void InitialiseFlowRun() {
    StartTurbulence t{InitialK, InitialEpsilon, 0.0, 0.0};
    ComputeGroupAreas();
    InflowTurbulence(&t);
    WindTurbulence(&t);
    SetRelaxationFactors();
    if (FlowInitialisedFlag == 0) FirstTimeFields(t);
    if (InitialTurbulenceOption == 2) {
        ResidualScale[5] = InitialK;
        ResidualScale[6] = InitialEpsilon;
        t.momentum = F200Value4;
        t.discharge = F200Value5;
    }
    ResidualScale[4] = t.discharge;
    ResidualScale[1] = ResidualScale[2] = ResidualScale[3] = t.momentum;
    BlockTable[0].firstCell = 1;
    BlockTable[0].lastCell = NoCells;
    if (FlowInitialisedFlag == 0) {
        for (int s = 0; s <= NoSurfaces; ++s) Fflux[s] = 0.0;
    }
    ComponentStartProfiles();
    SetRoughness();
    if (TimeAveragingOption > 0 && FlowInitialisedFlag == 0) ResetTimeAverages();
}
