// The state of a soil layer block during the flow iterations: per cell the
// ratio of a driving stress to the soil strength (CstressRatio) and a
// failure counter (CstressCount), per column a level (BlayerSlope) that
// follows the top of the cells that hold. Four variants of F 289.
#include <algorithm>
#include <climits>
#include <cmath>

#include "drivers/flow_drivers.h"
#include "flow/flow_data.h"
#include "flow/flow_services.h"
#include "grid/grid_data.h"
#include "run/globals.h"
#include "sediment/sediment_data.h"
#include "solver/solver_services.h"

namespace {

// One count may grow by at most this much in one call: a strength near zero
// gives ratios far beyond what an int holds.
constexpr int kCountStep = 1000;

struct LayerRange {
    int first = 1, last = 0;
};

LayerRange RangeOf(int block) {
    LayerRange r;
    if (block < 1 || block > kMaxBlocks) return r;
    r.first = std::max(BlockTable[block].firstCell, 1);
    r.last = std::min(BlockTable[block].lastCell, NoCells);
    return r;
}

bool IsTopCell(const LayerRange& r, int c) { return Ccellt[c] < r.first; }

// Calls f(k, top) for every cell from each top cell of the block down its
// column through Ccellb; the step bound keeps a damaged chain from looping.
template <class F>
void ForEachColumnDown(const LayerRange& r, F f) {
    for (int t = r.first; t <= r.last; ++t) {
        if (!IsTopCell(r, t)) continue;
        int k = t;
        for (int steps = 0; k > 0 && steps <= NoCells; ++steps) {
            f(k, t);
            k = Ccellb[k];
        }
    }
}

// Calls f(k, below) for every cell above a bed cell of the block, going up
// through Ccellt while the cells belong to the block; `below` is the cell the
// walk came from.
template <class F>
void ForEachColumnUp(const LayerRange& r, F f) {
    for (int b = r.first; b <= r.last; ++b) {
        if (Ccellb[b] != 0) continue;
        int below = b;
        int k = Ccellt[b];
        for (int steps = 0; k >= r.first && k <= NoCells && steps <= NoCells; ++steps) {
            f(k, below);
            below = k;
            k = Ccellt[k];
        }
    }
}

bool HasLevels() { return BlayerSlope.exists() && Cbedcell.exists(); }

// The level of c's column; null when the column has no slot.
double* LevelOf(int c) {
    const int n = Cbedcell[c];
    return n > 0 && static_cast<size_t>(n) < BlayerSlope.size() ? &BlayerSlope[n] : nullptr;
}

double Strength(int k) { return Pres[k] * SoilFrictionCoef + SoilCohesion + 1e-20; }

// The bed face of a layer cell; a face without plan area takes the ratio
// nowhere near infinity.
double BedArea(int k) {
    const double a = Fareaz[Csurfb[k]];
    return std::fabs(a) > 1e-20 ? a : 1e-20;
}

// The storage of the cell's horizontal momentum. A steady run has no time
// step (its TimeStep is a tiny placeholder): the term is left out there, as
// the other storage terms of the engine leave it.
double MomentumTerm(int k) {
    if (!(TimeStep > 1e-8) || !Cu_old.exists()) return 0.0;
    return 2.0 * Cu_old[k] * Ckdist[k] * 1000.0 / TimeStep;
}

double HorizontalDistance(int a, int b) {
    const double dx = Cxcenter[b] - Cxcenter[a], dy = Cycenter[b] - Cycenter[a];
    return std::sqrt(dx * dx + dy * dy);
}

struct Vertical {
    double dp, dz;
};

// The pressure and level differences along the column through k.
Vertical VerticalDifference(const LayerRange& r, int k, bool blend) {
    const int t = Ccellt[k], b = Ccellb[k];
    const bool above = t > r.first, below = b > 0;
    if (above && below) {
        Vertical v{Pres[t] - Pres[b], Czcenter[t] - Czcenter[b]};
        if (!blend) return v;
        const int bb = Ccellb[b];
        if (bb > 0) {
            v.dp = 0.67 * v.dp + 0.33 * (Pres[t] - Pres[bb]);
            v.dz = 0.67 * v.dz + 0.33 * (Czcenter[t] - Czcenter[bb]);
        }
        const int tt = Ccellt[t];
        if (tt > 0) {
            v.dp = 0.67 * v.dp + 0.33 * (Pres[tt] - Pres[b]);
            v.dz = 0.67 * v.dz + 0.33 * (Czcenter[tt] - Czcenter[b]);
        }
        return v;
    }
    if (above && !below) return {Pres[t] - Pres[k], Czcenter[t] - Czcenter[k]};
    if (below && t < r.first) return {Pres[k] - Pres[b], Czcenter[k] - Czcenter[b]};
    return {0.0, 1e-20};
}

}  // namespace

// The horizontal pressure difference of the cell's side pair, taken along the
// line through their centres and corrected with the column's vertical
// gradient, times the lever h: the force per unit side area.
double LayerSideForce(int m, int n, double h, double dp, double dz) {
    const double dx = Cxcenter[n] - Cxcenter[m], dy = Cycenter[n] - Cycenter[m], dzc = Czcenter[n] - Czcenter[m];
    const double length = std::sqrt(dx * dx + dy * dy + dzc * dzc);
    if (!(length > 0.0)) return 0.0;
    // Rounding can take the ratio just past 1.
    const double theta = std::asin(std::clamp(dzc / length, -1.0, 1.0));
    const double alpha = 1.570796326 - theta;
    const double dph = Pres[n] - Pres[m];
    const double phi = std::atan(((dph * dz) / (length * (dp + 1e-20)) - std::cos(alpha)) / std::sin(alpha));
    return (dp + 1e-20) / (dz * std::cos(phi)) * std::sin(phi) * h;
}

namespace {

double CellForce(const LayerRange& r, int k, bool blend) {
    const int w = Ccellw[k], e = Ccelle[k];
    if (w <= 0 && e <= 0) return 0.0;
    const Vertical v = VerticalDifference(r, k, blend);
    if (w > 0 && e > 0) return LayerSideForce(w, e, 0.5 * HorizontalDistance(w, e), v.dp, v.dz);
    if (e > 0) return LayerSideForce(k, e, HorizontalDistance(k, e), v.dp, v.dz);
    return LayerSideForce(w, k, HorizontalDistance(w, k), v.dp, v.dz);
}

double SideArea(int k) {
    const double a = 4.0 * Ckdist[k] * Cjdist[k];
    return Ccellt[k] == 0 ? 0.5 * a : a;
}

void SmoothWithSides(int k) {
    const int w = Ccellw[k], e = Ccelle[k];
    double* R = CstressRatio.data();
    if (w > 0 && e > 0) {
        R[k] = 0.75 * R[k] + 0.125 * R[e] + 0.125 * R[w];
    } else if (w > 0) {
        R[k] = 0.875 * R[k] + 0.125 * R[w];
    } else if (e > 0) {
        R[k] = 0.875 * R[k] + 0.125 * R[e];
    }
}

// Step 1 of the slope variants: f(k, G) with G the force accumulated down
// the column to k.
template <class F>
void AccumulateForces(const LayerRange& r, bool blend, F f) {
    double force = 0.0;
    int column = 0;
    ForEachColumnDown(r, [&](int k, int top) {
        if (top != column) {
            column = top;
            force = 0.0;
        }
        force += CellForce(r, k, blend) * SideArea(k);
        f(k, std::fabs(force));
    });
}

// Counts saturate instead of wrapping round.
void AddCount(int k, int step) {
    int& n = CstressCount[k];
    if (step > 0) {
        n = n > INT_MAX - step ? INT_MAX : n + step;
    } else {
        n = n < INT_MIN - step ? INT_MIN : n + step;
    }
}

// Step 2 of variant 0 and of the stress counters: a failing cell counts up
// while the layer level lies below the cell above it.
void CountFailures(const LayerRange& r, bool byRatio) {
    CstressCount[0] = 0;
    const bool levels = HasLevels();
    ForEachColumnDown(r, [&](int k, int) {
        if (Ccellb[k] == 0) {
            CstressCount[k] = 0;
            return;
        }
        const double R = CstressRatio[k];
        if (R > 1.1) {
            const int u = Ccellt[k];
            const double* level = levels ? LevelOf(k) : nullptr;
            if (u == 0 || u > NoCells || level == nullptr || Czcenter[u] > *level) {
                AddCount(k, byRatio ? static_cast<int>(std::min(R, static_cast<double>(kCountStep))) : 1);
            }
        } else if (R < 0.9) {
            AddCount(k, -1);
        }
    });
}

// Step 3: a failed cell makes the column above it fail.
void SpreadUp(const LayerRange& r) {
    ForEachColumnUp(r, [](int k, int below) {
        if (CstressCount[k] <= 1 && CstressCount[below] >= 2) CstressCount[k] = 2;
    });
    CstressCount[0] = 0;
}

// Step 4 of variant 0 and the counters: the level of a column relaxes towards
// the top of its cells that hold, `aboveCount` being the count from which the
// cell above counts as failed.
void RelaxLevelsByCount(const LayerRange& r, int aboveCount) {
    for (int c = r.first; c <= r.last; ++c) {
        if (CstressCount[c] > 1) continue;
        double* B = LevelOf(c);
        if (B == nullptr) continue;
        const int u = Ccellt[c];
        if (u == 0) {
            *B = 0.9 * *B + 0.1 * (Czcenter[c] + Ckdist[c]);
        } else if (u <= NoCells && CstressCount[u] > aboveCount) {
            *B = 0.9 * *B + 0.05 * (Czcenter[c] + Czcenter[u]);
        }
    }
}

// Step 4 of variants 1 and 2: towards the height where the ratio, linear
// between two centres, passes 1; by a tenth of the difference, as the other
// moves of the level.
void RelaxLevelsByRatio(const LayerRange& r) {
    const double* R = CstressRatio.data();
    for (int c = r.first; c <= r.last; ++c) {
        if (!(R[c] < 1.0)) continue;
        double* B = LevelOf(c);
        if (B == nullptr) continue;
        const int u = Ccellt[c];
        if (u == 0) {
            *B = 0.9 * *B + 0.1 * (Czcenter[c] + Ckdist[c]);
        } else if (u <= NoCells && R[u] > 1.0) {
            const double q = (1.0 - R[c]) / (R[u] - R[c]);
            *B = 0.9 * *B + 0.1 * ((1.0 - q) * Czcenter[c] + q * Czcenter[u]);
        }
    }
}

// Step 5: no column's level stands above both neighbours, nor more than its
// bottom cell below the lower of them.
void ClipLevels(const LayerRange& r) {
    const int from = Cbedcell[r.first] + 1, to = Cbedcell[r.last] - 1;
    const int size = static_cast<int>(BlayerSlope.size());
    const int lo = std::max(from, 1), hi = std::min(to, size - 2);
    double* B = BlayerSlope.data();
    for (int n = lo; n <= hi; ++n) B[n] = std::min(B[n], std::max(B[n - 1], B[n + 1]));
    for (int n = lo; n <= hi; ++n) {
        const int bottom = static_cast<size_t>(n) < Bcellt.size() ? Bcellt[n] : 0;
        B[n] = std::max(B[n], std::min(B[n - 1], B[n + 1]) - 2.0 * Ckdist[bottom]);
    }
}

void CountAgainstLevel(const LayerRange& r) {
    for (int c = r.first; c <= r.last; ++c) {
        const double* s = LevelOf(c);
        if (s == nullptr) continue;
        if (Czcenter[c] > *s && CstressCount[c] <= 1) AddCount(c, 1);
        if (Czcenter[c] < *s && CstressCount[c] > 0) AddCount(c, -1);
    }
}

// Variants 1 and 2 after their ratios: a failed cell fails the column above.
void RaiseUpColumns(const LayerRange& r) {
    double* R = CstressRatio.data();
    ForEachColumnUp(r, [R](int k, int below) { R[k] = std::max(R[k], R[below]); });
    R[0] = 0.0;
}

void CountByLevel(const LayerRange& r) {
    CstressCount[0] = 0;
    for (int c = r.first; c <= r.last; ++c) {
        const double* s = LevelOf(c);
        if (s != nullptr) CstressCount[c] = *s <= Czcenter[c] ? 2 : 0;
    }
}

void FinishByRatio(const LayerRange& r) {
    RaiseUpColumns(r);
    if (!HasLevels()) return;
    RelaxLevelsByRatio(r);
    ClipLevels(r);
    CountByLevel(r);
}

// A cell standing out above both side neighbours is cut to a little above
// their mean, column by column from the bottom cell up.
void CutPeaks(const LayerRange& r) {
    double* R = CstressRatio.data();
    R[0] = 0.0;
    if (!Cbedcell.exists()) return;
    const int from = std::max(Cbedcell[r.first], 1);
    const int to = std::min(Cbedcell[r.last], static_cast<int>(Bcellt.size()) - 1);
    for (int n = from; n <= to; ++n) {
        int k = Bcellt[n];
        for (int steps = 0; k > 0 && k <= NoCells && steps <= NoCells; ++steps, k = Ccellt[k]) {
            const int w = Ccellw[k], e = Ccelle[k];
            if (w > 0 && e > 0 && R[k] > R[e] && R[k] > R[w]) R[k] = std::min(R[k], 0.525 * (R[e] + R[w]));
        }
    }
}

}  // namespace

double IntegrateAboveLevel(double z, int c) {
    double sum = 0.0;
    for (int steps = 0; c > 0 && c <= NoCells && steps <= NoCells; ++steps) {
        const double bottom = Czcenter[c] - Ckdist[c], top = Czcenter[c] + Ckdist[c];
        if (bottom > z) {
            sum += 2.0 * Ckdist[c] * Pres[c];
        } else {
            if (top > z) sum += (top - z) * Pres[c];
            break;
        }
        c = Ccellb[c];
    }
    return sum;
}

void UpdateLayerSlopeA(int block) {
    const LayerRange r = RangeOf(block);
    if (r.first > r.last) return;
    double* R = CstressRatio.data();
    AccumulateForces(r, false, [R](int k, double G) {
        R[k] = 0.9 * R[k] + 0.1 * (MomentumTerm(k) + G / BedArea(k)) / Strength(k);
        SmoothWithSides(k);
    });
    CountFailures(r, false);
    SpreadUp(r);
    if (!HasLevels()) return;
    RelaxLevelsByCount(r, 1);
    ClipLevels(r);
    CountAgainstLevel(r);
}

void UpdateLayerSlopeB(int block) {
    const LayerRange r = RangeOf(block);
    if (r.first > r.last) return;
    const BlockRecord& rec = BlockTable[block];
    ComputeConvectionDiffusionCoefficients(rec.firstSurface, rec.lastSurface);
    // A cell no column walk reaches keeps the mean of its neighbours; the
    // small diagonal keeps a cell without coefficients finite.
    for (int c = r.first; c <= r.last; ++c) {
        Cap[c] = Caw[c] + Cae[c] + Can[c] + Cas[c] + Cat[c] + Cab[c] + 1e-20;
        Csource[c] = 0.0;
    }
    AccumulateForces(r, false, [](int k, double G) {
        Csource[k] = (G / BedArea(k) / Strength(k) - 1.0) * (Cap[k] + 1e-20);
    });
    // The solve covers the block's own cells only: the active range of a
    // layer-block run ends before the block, and the flow cells' ratios must
    // not be overwritten from stale coefficients.
    const auto saved = Cf.save();
    const int firstCell = FirstCell, lastCell = LastCell;
    Cf.designate(CstressRatio);
    FirstCell = r.first;
    LastCell = r.last;
    SolveEquation();
    FirstCell = firstCell;
    LastCell = lastCell;
    Cf.restore(saved);
    FinishByRatio(r);
}

void UpdateLayerSlopeC(int block) {
    const LayerRange r = RangeOf(block);
    if (r.first > r.last) return;
    double* R = CstressRatio.data();
    AccumulateForces(r, true, [R](int k, double G) {
        R[k] = 0.95 * R[k] + 0.05 * (G / BedArea(k)) / Strength(k);
        SmoothWithSides(k);
    });
    CutPeaks(r);
    FinishByRatio(r);
}

void UpdateStressCounters(int block) {
    const LayerRange r = RangeOf(block);
    if (r.first > r.last) return;
    CstressCount[0] = 0;
    double* R = CstressRatio.data();
    ForEachColumnDown(r, [R](int k, int t) {
        const int w = Ccellw[t], e = Ccelle[t];
        const double z = Czcenter[k];
        double F = 0.0;
        if (w > 0 && e > 0) {
            F = IntegrateAboveLevel(z, w) - IntegrateAboveLevel(z, e);
        } else if (w > 0) {
            F = 2.0 * (IntegrateAboveLevel(z, w) - IntegrateAboveLevel(z, t));
        } else if (e > 0) {
            F = 2.0 * (IntegrateAboveLevel(z, t) - IntegrateAboveLevel(z, e));
        }
        R[k] = (MomentumTerm(k) + Cjdist[k] * std::fabs(F) / BedArea(k)) / Strength(k);
    });
    CountFailures(r, true);
    SpreadUp(r);
    if (!HasLevels()) return;
    RelaxLevelsByCount(r, 0);
    ClipLevels(r);
    CountAgainstLevel(r);
}
