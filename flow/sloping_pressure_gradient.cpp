// Pressure force of the momentum equations on grids whose i and j lines
// follow the bed and the surface: the difference along a sloping line mixes
// the hydrostatic gradient into the horizontal one, so these variants take
// the horizontal part apart before they weight it with the side areas.
#include <cmath>

#include "flow/flow_data.h"
#include "flow/flow_services.h"
#include "flow/momentum_forces.h"
#include "flow/plan_differences.h"
#include "grid/grid_data.h"
#include "run/globals.h"
#include "sediment/sediment_data.h"

namespace {

// Rounded as the engine has always had it; on a level grid it leaves a tiny
// horizontal force from a purely vertical gradient.
constexpr double kRightAngle = 1.570796326;

// The vertical pressure difference across a cell and the distance it spans.
struct Vertical {
    double dk;
    double dist;
};

Vertical VerticalDifference(const double* p, const double* kd, const CellLinks& link, int c) {
    const int t = link.t[c], b = link.b[c];
    if (t > 0 && b > 0) return {(p[t] - p[b]) * 0.5, (2.0 * kd[c] + kd[t] + kd[b]) * 0.5};
    if (t > 0) return {p[t] - p[c], kd[t] + kd[c]};
    if (b > 0) return {p[c] - p[b], kd[c] + kd[b]};
    return {0.0, 1e-20};
}

// Where the cell's stress ratio exceeds 1 and the cell below stays under it,
// the vertical difference leans towards the one-sided difference upwards.
void BlendTowardsAbove(const double* p, const double* kd, const CellLinks& link, int c, Vertical* v) {
    const int t = link.t[c], b = link.b[c];
    if (t <= 0 || b <= 0 || !CstressRatio.exists()) return;
    const double* const ratio = CstressRatio.data();
    if (!(ratio[c] > 1.0 && ratio[b] < 1.0)) return;
    const double r = std::fmin(ratio[c] - ratio[b], 1.0);
    v->dist = v->dist * (1.0 - r) + (kd[c] + kd[t]) * r;
    v->dk = v->dk * (1.0 - r) + (p[t] - p[c]) * r;
}

// The difference of one horizontal direction along the line through the
// neighbour centres: `from` and `to` are the two cells it spans, `half` when
// it is the central difference (the reference lengths are then halved).
struct LineStep {
    double delta;
    int from, to;
    bool half;
};

LineStep AlongLine(const double* p, int c, int m, int pl) {
    if (m > 0 && pl > 0) return {(p[pl] - p[m]) * 0.5, m, pl, true};
    if (pl > 0) return {p[pl] - p[c], c, pl, false};
    if (m > 0) return {p[c] - p[m], m, c, false};
    return {0.0, 0, 0, false};
}

// Variants 4 and 7: the angle of the pressure gradient from the vertical,
// from the vertical gradient and the gradient along the sloping line, gives
// the horizontal difference. The guard added to dk stays for what follows.
double AngleHorizontal(const double* p, int c, int m, int pl, Vertical* v) {
    const LineStep s = AlongLine(p, c, m, pl);
    if (s.to == 0) return 0.0;
    const double dx = Cxcenter[s.to] - Cxcenter[s.from], dy = Cycenter[s.to] - Cycenter[s.from];
    const double dz = Czcenter[s.to] - Czcenter[s.from];
    const double horizontal = std::sqrt(dx * dx + dy * dy);
    const double line = std::sqrt(horizontal * horizontal + dz * dz);
    const double alpha = std::asin(dz / line);
    const double l = s.half ? 0.5 * line : line, h = s.half ? 0.5 * horizontal : horizontal;
    v->dk += 1e-20;
    const double beta = kRightAngle - alpha;
    const double gamma = std::atan(((s.delta * v->dist) / (l * v->dk) - std::cos(beta)) / std::sin(beta));
    return v->dk * std::sin(gamma) * h / (std::cos(gamma) * v->dist);
}

// q^F for a q that is negative where the neighbour lies lower: the power of
// its size with its sign, so that a non-integer factor stays defined.
double SignedPower(double q, double f) { return q == 0.0 ? 0.0 : std::copysign(std::pow(std::fabs(q), f), q); }

// Variant 8: the difference along the grid line less the hydrostatic part
// that the line's rise carries, q * dk with q the rise over the vertical
// distance. The central difference spans half the rise between the two
// neighbours, so the rise is halved with it.
double SigmaHorizontal(const double* p, int c, int m, int pl, const Vertical& v) {
    const LineStep s = AlongLine(p, c, m, pl);
    if (s.to == 0) return 0.0;
    double dz = Czcenter[s.to] - Czcenter[s.from];
    if (s.half) dz *= 0.5;
    const double q = dz / v.dist, f = SigmaCorrectionFactor;
    switch (SigmaCorrectionOption) {
        case 0: return s.delta - q * v.dk * f;
        case 1: {
            // Both directions take the two terms: with a factor of 1 they add
            // up to q * dk, which still water needs in j as much as in i.
            const double qf = SignedPower(q, f);
            return s.delta - qf * v.dk * 0.5 - qf * v.dk * std::pow(0.5, 1.0 / f);
        }
        default: return s.delta;
    }
}

template <bool Sigma, bool Blend>
void SlopingForce(int first, int last) {
    const double* const p = Pres.data();
    const double* const kd = Ckdist.data();
    const CellLinks link;
    double* const source = Csource.data();
    const double* const area = Equation == 1 ? Fareax.data() : Equation == 2 ? Fareay.data() : nullptr;
    const double* const areaz = Fareaz.data();
    for (int c = first; c <= last; ++c) {
        Vertical v = VerticalDifference(p, kd, link, c);
        if constexpr (Blend) BlendTowardsAbove(p, kd, link, c, &v);
        double di, dj;
        if constexpr (Sigma) {
            di = SigmaHorizontal(p, c, link.w[c], link.e[c], v);
            dj = SigmaHorizontal(p, c, link.s[c], link.n[c], v);
        } else {
            di = AngleHorizontal(p, c, link.w[c], link.e[c], &v);
            dj = AngleHorizontal(p, c, link.s[c], link.n[c], &v);
        }
        if (!area) {
            source[c] -= v.dk * areaz[link.st[c]];
            continue;
        }
        source[c] -= 0.5 * ((area[link.se[c]] + area[link.sw[c]]) * di + (area[link.sn[c]] + area[link.ss[c]]) * dj);
    }
}

// A missing side neighbour of a cell above the bed is taken from the same
// side of its column's bed cell.
int LevelNeighbour(int c, int nb, const int* side) {
    if (nb > 0 || Ccellb[c] <= 0 || !Cbedcell.exists() || !Bcellt.exists()) return nb;
    return side[Bcellt[Cbedcell[c]]];
}

double LevelDifference(int c, int m, int pl) {
    if (m > 0 && pl > 0) return (InterpolatePressureAtLevel(c, pl) - InterpolatePressureAtLevel(c, m)) * 0.5;
    if (pl > 0) return InterpolatePressureAtLevel(c, pl) - Pres[c];
    if (m > 0) return Pres[c] - InterpolatePressureAtLevel(c, m);
    return 0.0;
}

}  // namespace

double InterpolatePressureAtLevel(int cell, int neighbour) {
    const double* const z = Czcenter.data();
    const double* const p = Pres.data();
    const double* const kd = Ckdist.data();
    const int* const below = Ccellb.data();
    const int* const above = Ccellt.data();
    const double za = z[cell];
    int x = neighbour;
    // A neighbour that is itself the end of its column in the direction of
    // the search extrapolates from the cell next to it like any other end:
    // its own pressure would be off by the hydrostatic difference of the
    // levels, a false force on every top and bed cell of a sloping grid.
    if (z[x] > za) {
        for (int steps = 0; below[x] > 0 && !(z[x] < za) && steps < NoCells; ++steps) x = below[x];
        const int up = above[x] > 0 ? above[x] : x;
        const double f = (za - z[x]) / (kd[x] + kd[up]);
        return f * p[up] + (1.0 - f) * p[x];
    }
    if (za > z[x]) {
        for (int steps = 0; above[x] > 0 && !(z[x] > za) && steps < NoCells; ++steps) x = above[x];
        const int down = below[x] > 0 ? below[x] : x;
        const double f = (z[x] - za) / (kd[x] + kd[down]);
        return f * p[down] + (1.0 - f) * p[x];
    }
    return p[x];
}

double ComputeLevelPressureGradient(int equation, int cell) {
    const CellLinks link;
    if (equation != 1 && equation != 2) {
        return CellDifference(Pres.data(), cell, link.b[cell], link.t[cell]) * Fareaz[link.st[cell]];
    }
    const int w = LevelNeighbour(cell, link.w[cell], link.w), e = LevelNeighbour(cell, link.e[cell], link.e);
    const int s = LevelNeighbour(cell, link.s[cell], link.s), n = LevelNeighbour(cell, link.n[cell], link.n);
    const double di = LevelDifference(cell, w, e), dj = LevelDifference(cell, s, n);
    const double* const area = equation == 1 ? Fareax.data() : Fareay.data();
    return 0.5 * ((area[link.se[cell]] + area[link.sw[cell]]) * di + (area[link.sn[cell]] + area[link.ss[cell]]) * dj);
}

void AddSlopingPressureGradientForce(int first, int last) {
    switch (PressureGradientOption) {
        case 4: SlopingForce<false, false>(first, last); break;
        case 7: SlopingForce<false, true>(first, last); break;
        case 8: SlopingForce<true, false>(first, last); break;
        case 6: {
            const int equation = Equation;
            for (int c = first; c <= last; ++c) Csource[c] -= ComputeLevelPressureGradient(equation, c);
            break;
        }
        default: break;
    }
}
