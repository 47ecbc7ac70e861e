// Limits after the SIMPLE corrections: the water-surface slope at the edge of
// a single-layer grid (F 136) and the vertical velocity at horizontal
// interior faces (F 203 1 to 3).
#include <algorithm>
#include <cmath>

#include "flow/flow_data.h"
#include "flow/flow_services.h"
#include "grid/grid_data.h"
#include "run/globals.h"

namespace {

constexpr double kNoNeighbour = 1e20;

// The pressure of a single-layer edge cell within the slope limit of the
// neighbour closest to it in pressure. When two neighbours are equally close
// neither is taken: the cell keeps its pressure.
void LimitEdgePressure(int c, double slope) {
    if (Ccellb[c] != 0 || Ccellt[c] != 0) return;
    const int count = (Ccelle[c] > 0) + (Ccellw[c] > 0) + (Ccelln[c] > 0) + (Ccells[c] > 0);
    if (count < 1 || count > 2) return;
    const struct {
        int x;
        double h;
    } sides[] = {{Ccelle[c], Cidist[c]}, {Ccellw[c], Cidist[c]}, {Ccelln[c], Cjdist[c]}, {Ccells[c], Cjdist[c]}};
    double d[4];
    for (int m = 0; m < 4; ++m) d[m] = sides[m].x > 0 ? std::fabs(Pres[sides[m].x] - Pres[c]) : kNoNeighbour;
    for (int m = 0; m < 4; ++m) {
        bool closest = true;
        for (int o = 0; o < 4; ++o) closest = closest && (o == m || d[m] < d[o]);
        if (!closest) continue;
        const int x = sides[m].x;
        const double h = m < 2 ? Cidist[x] : Cjdist[x];
        const double limit = slope * 9810.0 * (sides[m].h + h);
        Pres[c] = std::max(Pres[c], Pres[x] - limit);
        Pres[c] = std::min(Pres[c], Pres[x] + limit);
        return;
    }
}

inline double HorizontalSpeed(int c) { return std::sqrt(Cu[c] * Cu[c] + Cv[c] * Cv[c]); }

// The bound of the vertical velocity at the face between c1 and c2; negative
// when the face is left alone.
double VerticalBound(int mode, int c1, int c2) {
    const double mean = 0.5 * (HorizontalSpeed(c1) + HorizontalSpeed(c2));
    switch (mode) {
        case 1: return 0.1 * mean;
        case 2: return mean * Ckdist[c1] / Cidist[c1];
        default: {
            const double r = (Ckdist[c1] + Ckdist[c2]) / (Cidist[c1] + Cidist[c2] + Cjdist[c1] + Cjdist[c2]);
            return r < 0.01 ? mean * r : -1.0;
        }
    }
}

void LimitVerticalVelocities(int mode) {
    for (int s = FirstSurface; s <= LastSurface; ++s) {
        const int c1 = Fcell1[s], c2 = Fcell2[s];
        if (c1 <= 0 || c2 <= 0 || (Ftype1[s] != 6 && Ftype2[s] != 6)) continue;
        const double v = VerticalBound(mode, c1, c2);
        if (!(v >= 0.0)) continue;
        Cw[c1] = std::clamp(Cw[c1], -v, v);
        Cw[c2] = std::clamp(Cw[c2], -v, v);
        const double flux = Farea[s] * 1000.0 * v;
        Fflux[s] = std::max(std::min(Fflux[s], flux), -flux);
    }
}

}  // namespace

void LimitBoundarySlopes() {
    const double slope = BoundarySlopeLimit;
    if (slope > 1e-20) {
        for (int c = FirstCell; c <= LastCell; ++c) LimitEdgePressure(c, slope);
    }
    const int mode = VerticalVelocityLimit;
    if (mode >= 1 && mode <= 3) LimitVerticalVelocities(mode);
}
