// Sand slides of the appended layer block: the stability of every soil
// column, the slides the unstable columns form, and the shear surface under
// each slide lowered until the slide meets its target.
//
// The working shear-surface levels live in BslideLevel (per column): inside
// a flow run Cf designates the field solved last and CstressRatio is read by
// the velocity correction and the velocity blocking, so neither may hold them.
#include <algorithm>
#include <cmath>

#include "flow/flow_data.h"
#include "grid/grid_data.h"
#include "run/globals.h"
#include "run/log.h"
#include "run/status.h"
#include "sediment/sand_slides.h"
#include "sediment/sediment_data.h"
#include "sediment/sediment_services.h"
#include "surface/surface_data.h"
#include "surface/surface_services.h"

namespace {

constexpr double kHeld = 1e20;
constexpr double kStiffness = 2e8;
constexpr int kStabilitySolves = 201;
constexpr int kShearIterations = 101;
constexpr int kShearSweeps = 30;
constexpr int kPausePoint = 4;
constexpr int kPauseLater = 101;

double Neighbour(const double* x, int c, const Array1<int>& side) { return x[Cbedcell[side[c]]]; }

// The new value of bed cell b's equation from its four neighbour columns.
double ColumnValue(const double* x, int c) {
    return (Cae[c] * Neighbour(x, c, Ccelle) + Caw[c] * Neighbour(x, c, Ccellw) + Can[c] * Neighbour(x, c, Ccelln) +
            Cas[c] * Neighbour(x, c, Ccells) + Csource[c]) /
           Cap[c];
}

void HoldAt(int c, double level) {
    Cap[c] = kHeld;
    Csource[c] = level * kHeld;
}

// The pull of the groundwater slope towards `plus` (N/m3): the level at the
// `minus` neighbour less that at the `plus` one over their distance, 0
// without both neighbours. Both plan directions take the level of the lower
// index first, so that the pull points down the groundwater slope in each.
double GroundwaterGradient(int c, const Array1<int>& minus, const Array1<int>& plus) {
    const int m = minus[c], p = plus[c];
    if (m == 0 || p == 0 || !Bgroundwater.exists()) return 0.0;
    const double d = PlanDistance(m, p);
    if (!(d > 0.0)) return 0.0;
    return (Bgroundwater[Cbedcell[m]] - Bgroundwater[Cbedcell[p]]) * 9810.0 / d;
}

bool IsBorder(int c) {
    if (Ccelle[c] == 0 || Ccellw[c] == 0) return true;
    return F159Int1 == 1 && (Ccelln[c] == 0 || Ccells[c] == 0);
}

// Steps 2 to 4: the stability equation of every column, its shear-surface
// level, the held border columns and the sources of the others.
void StabilityEquation(const SlideBlock& L, bool firstCall) {
    const bool weakened = ActiveSlides[0] > 0;
    const double coh = SoilCohesion;
    for (int b = L.first; b <= L.last; ++b) {
        const int c = Bcellt[b];
        if (c <= 0) continue;
        Cae[c] = Ccelle[c] != 0 ? kStiffness * Cjdist[c] : 0.0;
        Caw[c] = Ccellw[c] != 0 ? kStiffness * Cjdist[c] : 0.0;
        Cas[c] = Ccells[c] != 0 ? kStiffness * Cidist[c] : 0.0;
        Can[c] = Ccelln[c] != 0 ? kStiffness * Cidist[c] : 0.0;
        Cap[c] = std::max(1.0, Cae[c] + Caw[c] + Cas[c] + Can[c]);
        Cat[c] = Cab[c] = 0.0;
        Csource[c] = 0.0;
        const int t = TopCellOf(c);
        const double ground = Czcenter[t] + Ckdist[t];
        if (firstCall) {
            BlayerSlope[b] = BslideWork[b] = ground;
            BslideChange[b] = 0.0;
            if (BlayerValue.exists() && BlayerValue.extent1() > 1 && static_cast<size_t>(b) < BlayerValue.extent2()) {
                BlayerValue[1][b] = 0.5;
            }
        }
        BslideLevel[b] = BlayerSlope[b];
        if (IsBorder(c)) {
            HoldAt(c, 0.0);
            continue;
        }
        const int top = Csurft[t];
        const double A = Fareaz[Csurft[c]];
        const double nx = Fvecx[top], ny = Fvecy[top], nz = std::clamp(Fvecz[top], -1.0, 1.0);
        Csource[c] = -std::fabs(std::tan(std::acos(nz)) * 13600.0) * A;
        if (GroundwaterOption > 0) {
            const double n = std::sqrt(nx * nx + ny * ny + 1e-20);
            const double gx = GroundwaterGradient(c, Ccellw, Ccelle), gy = GroundwaterGradient(c, Ccells, Ccelln);
            Csource[c] -= (nx / n * gx + ny / n * gy) * A;
        }
        Csource[c] += 13600.0 * SoilFrictionCoef * A;
        double above = 0.0;
        for (int k = Ccellt[c], steps = 0; k > 0 && steps <= NoCells; k = Ccellt[k], ++steps) above += Ckdist[k];
        const double h = std::max({2.0 * above, 8.0 * coh / 17903.25, ground - BslideWork[b]});
        const double w = BlayerSlope[b] > BslideWork[b] + 0.01 && weakened ? F334Value2 : 1.0;
        Csource[c] += Farea[Csurfb[c]] * coh * w / (h + 1e-20);
    }
}

// Step 7: the shear-surface equation, a mean of the neighbour levels in the
// slides and the present level elsewhere.
void ShearSurfaceEquation(const SlideBlock& L) {
    for (int b = L.first; b <= L.last; ++b) {
        const int c = Bcellt[b];
        if (c <= 0) continue;
        BslideLevel[b] = BlayerSlope[b];
        if (Bslide[b] < 1) {
            HoldAt(c, BlayerSlope[b]);
            continue;
        }
        Cae[c] = Ccelle[c] != 0 ? 0.25 : 0.0;
        Caw[c] = Ccellw[c] != 0 ? 0.25 : 0.0;
        Cas[c] = Ccells[c] != 0 ? 0.25 : 0.0;
        Can[c] = Ccelln[c] != 0 ? 0.25 : 0.0;
        Cap[c] = Cae[c] + Caw[c] + Cas[c] + Can[c];
        Csource[c] = 0.0;
    }
}

template <class F>
void ForEachSlideColumn(const SlideBlock& L, int label, F f) {
    for (int b = L.first; b <= L.last; ++b) {
        const int c = Bcellt[b];
        if (c > 0 && Bslide[b] == label) f(c);
    }
}

void ScaleSources(const SlideBlock& L, int s, double factor) {
    ForEachSlideColumn(L, ActiveSlides[s], [factor](int c) { Csource[c] *= factor; });
}

// A slide column's level: the mean of its neighbours' plus its source, never
// above the top of its bottom cell.
void ShearSweep(int b) {
    const int c = Bcellt[b];
    if (c <= 0 || Bslide[b] <= 0 || !(Cap[c] > 0.0)) return;
    BslideLevel[b] = std::min(ColumnValue(BslideLevel.data(), c), Czcenter[c] + Ckdist[c]);
}

// The level of slide s's middle column.
double MidLevel(int s) { return BslideLevel[SlideMidColumn[s]]; }

struct ShearResult {
    double diff = 0.0;
    double fsOld = 10.0, fs = 10.0;
};

// Step 9 for F 325 = 5: scale each slide's sources by how its factor of
// safety moves.
double BySafetyFactor(const SlideBlock& L, ShearResult& r) {
    double largest = 0.0;
    for (int s = 0; s < kMaxSlides && ActiveSlides[s] > 0; ++s) {
        const double old = SlideAverage[s];
        const double fs = ComputeSlideGeometry(s);
        largest = std::max(largest, std::fabs(old - fs));
        double f = SlideSourceFactor[s];
        if (fs > old) f = (SlideSourceFactor[s] > 1.0 ? 1.02 : 0.98) / SlideSourceFactor[s];
        if (old - fs > 1e-8 && fs > 1e-8) ScaleSources(L, s, f);
        SlideSourceFactor[s] = f;
        SlideAverage[s] = fs;
        r.fsOld = old;
        r.fs = fs;
    }
    return largest;
}

// Step 9 for the other variants: move each slide's middle column towards
// the slide's target level. A slide without height has no target: its
// highest and lowest columns coincide.
double ByTargetLevel(const SlideBlock& L) {
    double largest = 0.0;
    for (int s = 0; s < kMaxSlides && ActiveSlides[s] > 0; ++s) {
        double d = 0.0;
        if (SlideKHeight[s] != 0.0) d = std::clamp(0.5 * (SlideKLevel[s] - MidLevel(s)) / SlideKHeight[s], -0.2, 0.2);
        if (std::isnan(d)) d = 0.0;
        largest = std::max(largest, std::fabs(d));
        ScaleSources(L, s, 1.0 - d);
    }
    return largest;
}

ShearResult ShearSurfaceIteration(const SlideBlock& L) {
    ShearResult r;
    for (int s = 0; s < kMaxSlides && ActiveSlides[s] > 0; ++s) {
        SlideAverage[s] = 1000.0;
        SlideSourceFactor[s] = 1.2;
        const double source = -(SlideKLength[s] * 0.01 / (SlideCellCount[s] + 1e-20));
        ForEachSlideColumn(L, ActiveSlides[s], [source](int c) { Csource[c] = source; });
    }
    for (int iteration = 0; iteration < kShearIterations; ++iteration) {
        for (int sweep = 0; sweep < kShearSweeps; ++sweep) {
            for (int b = L.first; b <= L.last; ++b) ShearSweep(b);
            for (int b = L.last; b >= L.first; --b) ShearSweep(b);
        }
        if (SlideVariant < 1) {
            r.diff = 0.0;
            return r;
        }
        r.diff = SlideVariant == 5 ? BySafetyFactor(L, r) : ByTargetLevel(L);
        if (r.diff < 0.001) break;
    }
    return r;
}

double MidDifference(int s) { return (SlideKLevel[s] - MidLevel(s)) / (SlideKHeight[s] + 1e-20); }

void ReportSlides(const ShearResult& r) {
    if (DebugOption != 'D') return;
    LogAppend("Sand slide data, diffmax = %lf, sf1, sf2 = %lf %lf\n", r.diff, r.fsOld, r.fs);
    for (int s = 0; s < kMaxSlides - 1; ++s) {
        if (ActiveSlides[s] == 0) continue;
        LogAppend("%d, BNo = %d, BVal = %d, diff = %lf, kLevel = %lf kHeight = %lf, kLength = %lf\n", s,
                  SlideCellCount[s], ActiveSlides[s], MidDifference(s), SlideKLevel[s], SlideKHeight[s],
                  SlideKLength[s]);
    }
}

// Removes slide s from the list; the slides above it move down with their
// data, so that every per-slide entry keeps describing its slide.
void RemoveSlide(int s) {
    for (int k = s; k < kMaxSlides - 1; ++k) {
        ActiveSlides[k] = ActiveSlides[k + 1];
        SlideAverage[k] = SlideAverage[k + 1];
        SlideKLevel[k] = SlideKLevel[k + 1];
        SlideKHeight[k] = SlideKHeight[k + 1];
        SlideKLength[k] = SlideKLength[k + 1];
        SlideMidColumn[k] = SlideMidColumn[k + 1];
        SlideCellCount[k] = SlideCellCount[k + 1];
        SlideSourceFactor[k] = SlideSourceFactor[k + 1];
    }
    ActiveSlides[kMaxSlides - 1] = 0;
}

// Step 13: slides that have become stable end.
void EndStableSlides(const SlideBlock& L, bool strict) {
    ActiveSlides[kMaxSlides - 1] = 0;
    for (int s = kMaxSlides - 2; s >= 0; --s) {
        if (ActiveSlides[s] == 0) continue;
        const double fs = ComputeSlideGeometry(s);
        if (!(fs > (strict ? 1.0 : F334Value1))) continue;
        const int label = ActiveSlides[s];
        for (int b = L.first; b <= L.last; ++b) {
            if (Bslide[b] != label || Bcellt[b] <= 0) continue;
            BlayerSlope[b] = BslideLevel[b] = GroundLevel(b);
            Bslide[b] = 0;
        }
        if (DebugOption == 'D') LogAppend("Stopped slide no. %d\n", s);
        RemoveSlide(s);
    }
}

}  // namespace

void SolveBedEquation2D(double* x, int first, int last, double cap) {
    auto update = [x, cap](int b) {
        const int c = Bcellt[b];
        if (c > 0) x[b] = std::min(cap, ColumnValue(x, c));
    };
    for (int sweep = 0; sweep < 3; ++sweep) {
        for (int b = first; b <= last; ++b) update(b);
        for (int b = last; b >= first; --b) update(b);
    }
}

void ComputeSandSlide() {
    if (LayerBlockNumber(true) == 0) return;
    if (NoBedCells == 0) UpdateWaterColumnsAfterRegrid();
    const SlideBlock L = FindSlideBlock(true);
    if (L.block == 0) return;
    Cvol[0] = 0.0;
    const bool firstCall = SandSlideStarted == 0;
    const bool noneActive = ActiveSlides[0] == 0;
    BslideLevel[0] = 0.0;
    BslideChange[0] = 0.0;
    StabilityEquation(L, firstCall);
    Csource[0] = 0.0;
    for (int n = 0; n < kStabilitySolves; ++n) SolveBedEquation2D(BslideChange.data(), L.first, L.last, 0.0);
    for (int b = L.first; b <= L.last; ++b) {
        const int c = Bcellt[b];
        if (c > 0 && BslideChange[b] > -1e-8) HoldAt(c, BlayerSlope[b]);
    }
    ComputeSlideCoefficients();
    ShearSurfaceEquation(L);
    const ShearResult r = ShearSurfaceIteration(L);
    SandSlideStarted = 1;
    if (r.diff < 0.02 && ActiveSlides[0] >= 1) {
        for (int b = L.first; b <= L.last; ++b) {
            const int c = Bcellt[b];
            if (c <= 0) continue;
            BslideWork[b] = std::min({BslideWork[b], BlayerSlope[b], BslideLevel[b]});
            BlayerSlope[b] = std::max(Czcenter[c] - Ckdist[c] + 0.01, BslideLevel[b]);
        }
    } else if (DebugOption == 'D') {
        LogAppend("Sand slide not converged, BVal = %d, diff = %lf\n", ActiveSlides[0], MidDifference(0));
    }
    ReportSlides(r);
    if (SlideVariant > 0) EndStableSlides(L, firstCall || noneActive);
    PausePoint(kPausePoint, "PauseFlag = 4");
    if (PauseFlag == kPauseLater && FlagTSC == 0) PauseFlag = kPausePoint;
}
