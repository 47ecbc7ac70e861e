// The level equation of F 36 = 5 and 6: the net inflow through a column's
// sides over a time step raises its level, A dz = Q dt. The diagonal is the
// column's bed area over the time step and every flux is taken in m3/s, so
// that the solved value is the level change of the step (a steady run's
// tiny time step holds the levels rather than throw them).
#include <algorithm>

#include "flow/flow_data.h"
#include "solver/solver_services.h"
#include "surface/level_equations.h"
#include "surface/surface_services.h"

namespace {

constexpr double kFixed = 1e20;
constexpr double kCubicMetresPerKilogram = 0.001;

double Z(const Array1<int>& corner, int c) { return Pz1[corner[c]]; }

struct ColumnSides {
    double s = 0.0, w = 0.0, n = 0.0, e = 0.0;
};

void BuildColumn(int c) {
    Cap[c] = TimeStep > 0.0 ? Farea[Csurfb[c]] / TimeStep : kFixed;
    ColumnSides f;
    ForEachCellUp(c, [&f](int x) {
        f.s += Fflux[Csurfs[x]];
        f.w += Fflux[Csurfw[x]];
        f.n += Fflux[Csurfn[x]];
        f.e += Fflux[Csurfe[x]];
    });
    const int t = TopCellAbove(c);
    Csource[c] = (Fflux[Csurfs[t]] + Fflux[Csurfw[t]] - Fflux[Csurfn[t]] - Fflux[Csurfe[t]]) * kCubicMetresPerKilogram;
    // Twice the mean height of each side.
    const double hs = Z(Cpoint5, t) + Z(Cpoint6, t) - Z(Cpoint1, c) - Z(Cpoint2, c);
    const double hn = Z(Cpoint7, t) + Z(Cpoint8, t) - Z(Cpoint3, c) - Z(Cpoint4, c);
    const double hw = Z(Cpoint5, t) + Z(Cpoint8, t) - Z(Cpoint1, c) - Z(Cpoint4, c);
    const double he = Z(Cpoint7, t) + Z(Cpoint6, t) - Z(Cpoint3, c) - Z(Cpoint2, c);
    const double k = kCubicMetresPerKilogram;
    const double cs = k * f.s / (hs + 1e-20), cn = k * f.n / (hn + 1e-20);
    const double cw = k * f.w / (hw + 1e-20), ce = k * f.e / (he + 1e-20);
    // Inflow couples the column to the neighbour upstream; outflow weighs on
    // its own diagonal.
    Cas[c] = std::max(cs, 0.0);
    Can[c] = std::max(-cn, 0.0);
    Caw[c] = std::max(cw, 0.0);
    Cae[c] = std::max(-ce, 0.0);
    Cap[c] += std::max(-cs, 0.0) + std::max(cn, 0.0) + std::max(-cw, 0.0) + std::max(ce, 0.0);
}

}  // namespace

void BuildSurfaceEquationColumnFlux() {
    for (int c = 1; c <= NoCells; ++c) {
        Csource[c] = Cas[c] = Can[c] = Cae[c] = Caw[c] = 0.0;
        if (Ccellb[c] != 0) {
            Cap[c] = kFixed;
        } else {
            BuildColumn(c);
        }
    }
    for (int c = 1; c <= NoCells; ++c) Cf[c] = 0.0;
    SolveEquation();
    Cf[0] = 0.0;
    const int k = NoGridLinesZ;
    for (int i = 1; i <= NoGridLinesX; ++i) {
        for (int j = 1; j <= NoGridLinesY; ++j) {
            const NodeColumns nc = FillNodeColumns(i, j);
            if (nc.n == 0) continue;
            double sum = 0.0;
            for (const int c : nc.c) sum += Cf[c];
            Gridz[i][j][k] += sum / (nc.n + 1e-20);
            Gridz[i][j][k + 1] = Gridz[i][j][k];
        }
    }
}
