// The level equation of F 36 = 9: the water level of each column is coupled
// to its neighbours' by the Strickler conveyance of their common side,
// linearised around the present flow, per plan area of the column. The
// equation is held at the bed cells, where the plan solver and the level
// correction read it, whichever cell the neighbours are found from.
#include <algorithm>
#include <cmath>

#include "flow/flow_data.h"
#include "surface/level_equations.h"
#include "surface/surface_data.h"

namespace {

// The conveyance divides by the speed across the side; still water would
// make it infinite. Below this speed the conveyance stays that of 1 mm/s,
// large enough to give still water one level.
constexpr double kSlowestSpeed = 0.001;

double HorizontalSpeed(int c) { return std::sqrt(Cu[c] * Cu[c] + Cv[c] * Cv[c]); }

double NodeDepth(int i, int j) { return Gridz[i][j][NoGridLinesZ] - Gridz[i][j][1]; }

double CornerMean(int i, int j) {
    const int k = NoGridLinesZ;
    return 0.25 * (Gridz[i - 1][j - 1][k] + Gridz[i - 1][j][k] + Gridz[i][j - 1][k] + Gridz[i][j][k]);
}

int StartCell(int c) { return TopCellWalkFlag == 1 ? TopCellAbove(c) : c; }

// One side of the column of bed cell c (found at t0) to neighbour n: the
// conveyance m (m2/s), or 0 when there is no neighbour.
struct Side {
    const Array1<int>* surfaces;  // the side's surfaces of the column's cells
    const Array1<double>* spacing;  // Cidist or Cjdist
};

double Conveyance(int c, int t0, int n, const Side& side, double h) {
    h = std::max({h, Ckdist[t0], Ckdist[n]});
    double area = 0.0, flux = 0.0;
    ForEachCellUp(c, [&](int x) {
        const int s = (*side.surfaces)[x];
        area += Farea[s];
        flux += Fflux[s];
    });
    const double least = 0.1 * h * (std::sqrt(Fareaz[Csurfb[t0]]) + std::sqrt(Fareaz[Csurfb[n]]));
    if (!(area > least)) area = least;
    if (!(area > 0.0)) return 0.0;
    const double v = std::max({std::fabs(0.001 * flux / area), 0.01 * (HorizontalSpeed(t0) + HorizontalSpeed(n)),
                               kSlowestSpeed});
    const double k = StricklerCoefficient;
    const double length = (*side.spacing)[t0] + (*side.spacing)[n];
    if (!(length > 0.0)) return 0.0;
    return area * k * k * std::pow(h, 1.33333) / (length * v);
}

double TimeTermFactor() {
    if (SurfaceTimeTermOption == 2 && FalseTimeStepMode != 0 && FalseTimeStep > 0.0) return 1.0 / FalseTimeStep;
    return 1.0 / TimeStep;
}

// The mean normal speed of the cells of column `own` at the levels where
// column `other` has a cell (0 over no level).
double MeanNormalSpeed(int own, int other, double nx, double ny) {
    double sum = 0.0;
    int levels = 0;
    int a = own, b = other;
    for (int steps = 0; (a > 0 || b > 0) && steps < NoCells; ++steps) {
        if (b > 0) {
            if (a > 0) sum += Cu[a] * nx + Cv[a] * ny;
            ++levels;
        }
        a = a > 0 ? Ccellt[a] : 0;
        b = b > 0 ? Ccellt[b] : 0;
    }
    return levels > 0 ? sum / levels : 0.0;
}

void AddSideTerm(int c, int t0, int n, int i1, int j1, int i2, int j2, const Side& side) {
    if (n == 0) return;
    const double h = 0.5 * (NodeDepth(i1, j1) + NodeDepth(i2, j2));
    double area = 0.0;
    ForEachCellUp(c, [&](int x) { area += Farea[(*side.surfaces)[x]]; });
    const int face = (*side.surfaces)[t0];
    const double nx = Fvecx[face], ny = Fvecy[face];
    const int otherBed = side.surfaces == &Csurfw ? Ccellw[c] : Ccells[c];
    const double own = MeanNormalSpeed(c, otherBed, nx, ny);
    const double across = MeanNormalSpeed(otherBed, c, nx, ny);
    const double length = (*side.spacing)[t0] + (*side.spacing)[n];
    const double ownBed = Fareaz[Csurfb[t0]], otherBedArea = Fareaz[Csurfb[n]];
    if (!(length > 0.0) || !(ownBed > 0.0) || !(otherBedArea > 0.0)) return;
    const double t = h * area * (own - across) / length;
    Csource[c] -= t / ownBed;
    Csource[BottomCellBelow(n)] += t / otherBedArea;
}

}  // namespace

void BuildSurfaceEquationF36Nine() {
    for (int c = std::max(FirstCell, 0); c <= std::min(LastCell, NoCells); ++c) {
        Caw[c] = Cas[c] = Can[c] = Cae[c] = Cat[c] = Cab[c] = Csource[c] = Cf[c] = 0.0;
        Cap[c] = 0.0;
    }
    const Side west{&Csurfw, &Cidist}, south{&Csurfs, &Cjdist};
    ForEachSurfaceColumn(0, [&](int i, int j, int c) {
        const int t0 = StartCell(c);
        const int w = Ccellw[t0], e = Ccelle[t0], s = Ccells[t0], n = Ccelln[t0];
        if (w > 0) {
            const double m = Conveyance(c, t0, w, west, 0.5 * (NodeDepth(i - 1, j - 1) + NodeDepth(i - 1, j)));
            Caw[c] = m / PlanArea[i][j];
            Cae[BottomCellBelow(w)] = m / PlanArea[i - 1][j];
        } else {
            Caw[c] = 0.0;
        }
        if (e == 0) Cae[c] = 0.0;
        if (s > 0) {
            const double m = Conveyance(c, t0, s, south, 0.5 * (NodeDepth(i - 1, j - 1) + NodeDepth(i, j - 1)));
            Cas[c] = m / PlanArea[i][j];
            Can[BottomCellBelow(s)] = m / PlanArea[i][j - 1];
        } else {
            Cas[c] = 0.0;
        }
        if (n == 0) Can[c] = 0.0;
    });
    const double r = SurfaceTimeTermOption > 0 ? TimeTermFactor() : 0.0;
    ForEachSurfaceColumn(0, [r](int i, int j, int c) {
        Cap[c] = Cae[c] + Caw[c] + Can[c] + Cas[c];
        Cf[c] = CornerMean(i, j);
        if (SurfaceTimeTermOption > 0) {
            Csource[c] += Cf[c] * r;
            Cap[c] += r;
        }
        // A column tied to nothing keeps its level.
        if (Cap[c] == 0.0) {
            Cap[c] = 1.0;
            Csource[c] = Cf[c];
        }
    });
}

void AddSurfaceEquationTermsF36Nine() {
    Farea[0] = 0.0;
    const Side west{&Csurfw, &Cidist}, south{&Csurfs, &Cjdist};
    ForEachSurfaceColumn(0, [&](int i, int j, int c) {
        const int t0 = StartCell(c);
        AddSideTerm(c, t0, Ccellw[t0], i - 1, j - 1, i - 1, j, west);
        AddSideTerm(c, t0, Ccells[t0], i - 1, j - 1, i, j - 1, south);
    });
}
