// Cell velocities from the gradient of the pressure correction, written in
// the cell's own grid directions so that it holds for distorted cells.
#include <cmath>

#include "flow/column_walk.h"
#include "flow/flow_data.h"
#include "flow/flow_services.h"
#include "flow/plan_differences.h"
#include "grid/grid_data.h"
#include "run/globals.h"
#include "sediment/sediment_data.h"

namespace {

enum class Rule {
    Basic,
    RegularCells,     // cells of no shoreline code only
    PlanAreaDamped,   // damped where the column is wider than the cell's bed
    NotShallowSingle,
    NotShallowSingleOnWideBed,
    ColumnLimit,
    CornerArea,       // corner single cells with the areas across i and j
    CornerClipped,    // corner single cells, U change limited to a fifth of U
    DepthWeighted,
    NotDry,
    ThinSides,        // one-sided differences halved at closed side faces
    ThinSidesStress,  // ... and damped by the stress ratio
    OpenFaces,
    OpenFacesBed,
    VerticalOnlyW,    // W from the vertical difference alone
    BelowTop,         // cells with a cell above, upward vertical difference
    None,
};

struct Choice {
    Rule rule;
    bool w;  // W is corrected too
};

Choice ChooseRule() {
    const int v = SimpleVariant;
    if (F69Int3 == 0 && v == 0) return {Rule::Basic, true};
    if (v == 50) return {Rule::RegularCells, true};
    if (F291Int3 > 0) return {Rule::PlanAreaDamped, true};
    if (F69Int3 != 2 && v == 0) return {Rule::Basic, false};
    const bool w = F69Int3 == 0;
    switch (v) {
        case 1: return {Rule::NotShallowSingle, w};
        case 2: return {Rule::NotShallowSingleOnWideBed, w};
        case 3: return {Rule::ColumnLimit, true};
        case 4: return {Rule::CornerArea, w};
        case 5: return {Rule::CornerClipped, w};
        case 6: return {Rule::DepthWeighted, true};
        case 7: return {Rule::NotDry, true};
        case 8: return {Rule::ThinSides, true};
        case 9: return {Rule::ThinSidesStress, true};
        case 10: return {Rule::OpenFaces, w};
        case 11: return {Rule::VerticalOnlyW, true};
        case 20: return {Rule::OpenFacesBed, w};
        case 30: return FreeSurfaceOption == 11 ? Choice{Rule::BelowTop, w} : Choice{Rule::None, false};
        default: return {Rule::None, false};
    }
}

constexpr double kClosedArea = 1e-10;

// A one-sided difference is halved when the face on the missing side is
// closed (areaM and areaP are the areas of the minus and plus side faces).
inline double ThinSideDifference(const double* f, int c, int m, int p, double areaM, double areaP) {
    if (m > 0 && p > 0) return (f[p] - f[m]) * 0.5;
    if (p > 0) return (f[p] - f[c]) * (areaM < kClosedArea ? 0.5 : 1.0);
    if (m > 0) return (f[c] - f[m]) * (areaP < kClosedArea ? 0.5 : 1.0);
    return 0.0;
}

// Limit of the U and V changes of a shallow column (2 d / sqrt(A) at most
// 0.1), from its bed cell; a column that is not limited has none.
struct ColumnLimit {
    bool limited;
    double limit;
};

ColumnLimit LimitOfColumn(int bed) {
    const int* const above = Ccellt.data();
    double d = 0.0;
    for (int x = bed, steps = 0; x > 0 && above[x] > 0 && steps <= NoCells; x = above[x], ++steps) d += Ckdist[x];
    const double a = Farea[Csurfb[bed]];
    if (!(2.0 * d / std::sqrt(a) <= 0.1)) return {false, 0.0};
    const double k = std::fmax(Ck[bed], 0.0);
    const double depthRatio = std::fmax(2.0 * d / (Croughness[bed] + 1e-20), 0.0);
    return {true, 4.54 * std::sqrt(k) * std::pow(depthRatio, 0.166667)};
}

// One value per column, kept while the cells of one column follow each other
// (a cell right above the last one asked for needs no walk to its bed).
template <class T, class F>
struct ColumnCache {
    F compute;
    int bed = -1;
    int lastCell = -1;
    T value{};
    const T& operator()(int c) {
        if (bed < 0 || Ccellb[c] != lastCell || lastCell <= 0) {
            const int b = ColumnBedCell(c);
            if (b != bed) {
                bed = b;
                value = compute(b);
            }
        }
        lastCell = c;
        return value;
    }
};
template <class T, class F>
ColumnCache<T, F> MakeColumnCache(F f) {
    return ColumnCache<T, F>{f};
}

inline double Clip(double x, double limit) { return std::fmax(-limit, std::fmin(limit, x)); }

template <Rule R>
void Correct(int first, int last, bool correctW) {
    const double* const pc = Cf.data();
    const double* const invAp = CinvAp.data();
    const CellLinks link;
    const double* const area = Farea.data();
    const double* const vol = Cvol.data();
    const double* const ax = Careax.data();
    const double* const ay = Careay.data();
    const double* const az = Careaz.data();
    const double* const dxdi = Cdxdi.data();
    const double* const dxdj = Cdxdj.data();
    const double* const dydi = Cdydi.data();
    const double* const dydj = Cdydj.data();
    const double* const dzdi = Cdzdi.data();
    const double* const dzdj = Cdzdj.data();
    const double* const dzdk = Cdzdk.data();
    const double* const kdist = Ckdist.data();
    double* const u = Cu.data();
    double* const v = Cv.data();
    double* const wv = Cw.data();
    const double minDepth = MinWaterDepth;
    const double dryDepth = DryDepth;
    const SideFaceHeights faces;
    const PlanNeighbourView plan(R == Rule::OpenFacesBed);
    const double* const stress = CstressRatio.exists() ? CstressRatio.data() : nullptr;

    auto limits = MakeColumnCache<ColumnLimit>(LimitOfColumn);
    auto depthFactor = MakeColumnCache<double>([minDepth](int bed) {
        const double half = 0.5 * minDepth, h = HalfDepthAbove(bed);
        const double r = h < half ? h / half : 1.0;
        return r * r;
    });
    auto wideBed = MakeColumnCache<bool>([](int bed) { return HorizontalNeighbourCount(bed) >= 2; });

    for (int c = first; c <= last; ++c) {
        // Cells that keep their velocities.
        if constexpr (R == Rule::RegularCells) {
            if (Ctrekant[c] != 0) continue;
        } else if constexpr (R == Rule::NotShallowSingle || R == Rule::NotShallowSingleOnWideBed) {
            const bool deep =
                kdist[c] > 0.5 * minDepth || link.t[c] > 0 || link.b[c] > 0 || HorizontalNeighbourCount(c) == 4;
            if (!deep) continue;
            if constexpr (R == Rule::NotShallowSingleOnWideBed) {
                if (!wideBed(c)) continue;
            }
        } else if constexpr (R == Rule::NotDry) {
            const bool stacked = link.t[c] > 0 || link.b[c] > 0;
            const bool sidesOpen = area[link.se[c]] > kClosedArea && area[link.sn[c]] > kClosedArea &&
                                   area[link.ss[c]] > kClosedArea && area[link.sw[c]] > kClosedArea;
            if (!stacked && !(kdist[c] > 0.5 * dryDepth) && !sidesOpen) continue;
        } else if constexpr (R == Rule::BelowTop) {
            if (link.t[c] <= 0) continue;
        }

        double dpi, dpj, dpk;
        if constexpr (R == Rule::OpenFaces || R == Rule::OpenFacesBed) {
            faces.Differences(pc, c, plan(c), &dpi, &dpj);
        } else if constexpr (R == Rule::ThinSides || R == Rule::ThinSidesStress) {
            dpi = ThinSideDifference(pc, c, link.w[c], link.e[c], area[link.sw[c]], area[link.se[c]]);
            dpj = ThinSideDifference(pc, c, link.s[c], link.n[c], area[link.ss[c]], area[link.sn[c]]);
        } else {
            dpi = CellDifference(pc, c, link.w[c], link.e[c]);
            dpj = CellDifference(pc, c, link.s[c], link.n[c]);
        }
        if constexpr (R == Rule::BelowTop) {
            dpk = link.b[c] > 0 ? (pc[link.t[c]] - pc[link.b[c]]) * 0.5 : pc[link.t[c]] - pc[c];
        } else {
            dpk = CellDifference(pc, c, link.b[c], link.t[c]);
        }

        double f = 1.0 / vol[c];
        if constexpr (R == Rule::PlanAreaDamped) {
            if (Barea[Cbedcell[c]] / Fareaz[link.sb[c]] > 1.1) f = 0.5 / (vol[c] * F291Int3);
        } else if constexpr (R == Rule::DepthWeighted) {
            f *= depthFactor(c);
        } else if constexpr (R == Rule::ThinSidesStress) {
            // A ratio outside 0..1 (or none kept) must not reverse or amplify
            // the correction.
            const double r = stress ? stress[c] : 1.0;
            const double q = r > 0.0 ? (r < 1.0 ? r : 1.0) : 0.0;
            f *= q * q * q;
        }

        const double inv = invAp[c];
        if constexpr (R == Rule::CornerArea || R == Rule::CornerClipped) {
            const bool cornerSingle =
                link.t[c] == 0 && link.b[c] == 0 && HorizontalCorner(link.w[c], link.e[c], link.s[c], link.n[c]);
            if (cornerSingle) {
                const double a = R == Rule::CornerArea ? inv * ax[c] * ay[c] : inv * ax[c] * ax[c];
                const double du = a * (dxdi[c] * dpi + dxdj[c] * dpj) * f;
                const double dv = a * (dydi[c] * dpi + dydj[c] * dpj) * f;
                u[c] -= R == Rule::CornerClipped ? Clip(du, 0.2 * std::fabs(u[c])) : du;
                v[c] -= dv;
                continue;
            }
        }

        const double aI = inv * ax[c] * ax[c], aJ = inv * ay[c] * ay[c], aK = inv * az[c] * az[c];
        const double du = (aI * dxdi[c] * dpi + aJ * dxdj[c] * dpj) * f;
        const double dv = (aI * dydi[c] * dpi + aJ * dydj[c] * dpj) * f;
        if constexpr (R == Rule::ColumnLimit) {
            const ColumnLimit& lim = limits(c);
            if (lim.limited) {
                u[c] -= Clip(du, lim.limit);
                v[c] -= Clip(dv, lim.limit);
                continue;
            }
        }
        u[c] -= du;
        v[c] -= dv;
        if constexpr (R == Rule::VerticalOnlyW) {
            wv[c] -= aK * dzdk[c] * dpk * f;
        } else {
            if (correctW) wv[c] -= (aI * dzdi[c] * dpi + aJ * dzdj[c] * dpj + aK * dzdk[c] * dpk) * f;
        }
    }
}

}  // namespace

void CorrectCellVelocities(int first, int last) {
    if (first > last) return;
    const Choice ch = ChooseRule();
    switch (ch.rule) {
        case Rule::Basic: Correct<Rule::Basic>(first, last, ch.w); break;
        case Rule::RegularCells: Correct<Rule::RegularCells>(first, last, ch.w); break;
        case Rule::PlanAreaDamped: Correct<Rule::PlanAreaDamped>(first, last, ch.w); break;
        case Rule::NotShallowSingle: Correct<Rule::NotShallowSingle>(first, last, ch.w); break;
        case Rule::NotShallowSingleOnWideBed: Correct<Rule::NotShallowSingleOnWideBed>(first, last, ch.w); break;
        case Rule::ColumnLimit: Correct<Rule::ColumnLimit>(first, last, ch.w); break;
        case Rule::CornerArea: Correct<Rule::CornerArea>(first, last, ch.w); break;
        case Rule::CornerClipped: Correct<Rule::CornerClipped>(first, last, ch.w); break;
        case Rule::DepthWeighted: Correct<Rule::DepthWeighted>(first, last, ch.w); break;
        case Rule::NotDry: Correct<Rule::NotDry>(first, last, ch.w); break;
        case Rule::ThinSides: Correct<Rule::ThinSides>(first, last, ch.w); break;
        case Rule::ThinSidesStress: Correct<Rule::ThinSidesStress>(first, last, ch.w); break;
        case Rule::OpenFaces: Correct<Rule::OpenFaces>(first, last, ch.w); break;
        case Rule::OpenFacesBed: Correct<Rule::OpenFacesBed>(first, last, ch.w); break;
        case Rule::VerticalOnlyW: Correct<Rule::VerticalOnlyW>(first, last, ch.w); break;
        case Rule::BelowTop: Correct<Rule::BelowTop>(first, last, ch.w); break;
        case Rule::None: break;
    }
}
