// The pressure post-step of the surface updates (F 128): cleared (-1), or
// raised upstream of supercritical column faces to the pressure of the
// critical-flow energy level (2).
#include <algorithm>
#include <cmath>

#include "flow/flow_data.h"
#include "surface/surface_levels.h"
#include "surface/surface_services.h"

namespace {

struct FaceFlow {
    double area = 0.0, flux = 0.0, height = 0.0;
};

// The flow through one side of the column from top cell t down; `high` and
// `low` pick the surface's upper and lower corner points.
template <class Height>
FaceFlow SideFlow(int t, const Array1<int>& side, Height height) {
    FaceFlow f;
    for (int c = t, steps = 0; IsGridCell(c) && steps < NoCells; c = Ccellb[c], ++steps) {
        const int s = side[c];
        if (s <= 0 || s > NoSurfaces) continue;
        f.area += Farea[s];
        f.flux += Fflux[s];
        f.height += height(s);
    }
    return f;
}

void RaiseColumn(int t, double p) {
    for (int c = t, steps = 0; IsGridCell(c) && steps < NoCells; c = Ccellb[c], ++steps) Pres[c] = std::max(Pres[c], p);
}

// One face between the column of top cell t and the neighbour column of top
// cell tn, with zb the bed level under the face.
void RaiseAtFace(int t, int tn, const FaceFlow& f, double zb, double zref, double pref) {
    const double q = f.flux * 0.001 / (f.area + 1e-20);
    const double c = std::sqrt(f.height * 9.81 + 1e-20);
    if (!(std::fabs(q) / c > 1.0) || q == 0.0) return;
    const int upstream = q > 0.0 ? t : tn;
    const double u = Cu[upstream], v = Cv[upstream];
    const double level = zb + 1.5 * q * q / 9.81 - (u * u + v * v) / 19.62;
    RaiseColumn(upstream, (level - zref) * 9810.0 + pref);
}

double PointLevel(const Array1<int>& point, int s) { return Pz1[point[s]]; }

}  // namespace

void RaiseSupercriticalPressure(double referenceLevel, double referencePressure) {
    if (F128Option == -1) {
        for (int c = 0; c <= NoCells; ++c) Pres[c] = 0.0;
        return;
    }
    if (F128Option != 2) return;
    auto eastHeight = [](int s) {
        return 0.5 * (PointLevel(Fpoint4, s) + PointLevel(Fpoint3, s) - PointLevel(Fpoint2, s) - PointLevel(Fpoint1, s));
    };
    auto northHeight = [](int s) {
        return 0.5 * (PointLevel(Fpoint2, s) + PointLevel(Fpoint3, s) - PointLevel(Fpoint4, s) - PointLevel(Fpoint1, s));
    };
    ForEachSurfaceBlock([&](const BlockRecord& r) {
        for (int i = r.iFirst; i <= r.iLast; ++i) {
            for (int j = r.jFirst; j <= r.jLast; ++j) {
                const int t = ColumnTopCell(i, j);
                if (t == 0) continue;
                const int te = ColumnTopCell(i + 1, j);
                if (te != 0) {
                    const double zb = 0.5 * (Gridz[i][j][1] + Gridz[i][j - 1][1]);
                    RaiseAtFace(t, te, SideFlow(t, Csurfe, eastHeight), zb, referenceLevel, referencePressure);
                }
                const int tn = ColumnTopCell(i, j + 1);
                if (tn != 0) {
                    const double zb = 0.5 * (Gridz[i][j][1] + Gridz[i - 1][j][1]);
                    RaiseAtFace(t, tn, SideFlow(t, Csurfn, northHeight), zb, referenceLevel, referencePressure);
                }
            }
        }
    });
}
