// New node levels from one reference level: a plan equation that ties each
// column to the columns downstream along the surface flow, fixes the
// supercritical columns at critical depth, and is solved by the water-level
// passes of the plan solver.
#include <algorithm>
#include <cmath>

#include "flow/cell_lookup.h"
#include "flow/flow_data.h"
#include "grid/grid_data.h"
#include "run/globals.h"
#include "run/params_f50.h"
#include "run/params_g.h"
#include "solver/solver_services.h"
#include "surface/surface_data.h"
#include "surface/surface_levels.h"

namespace {

constexpr double kFixed = 1e20;
constexpr double kHeadPerPascal = 0.0001019;

// The positions a block's levels are computed for: one line wider than the
// block on its low sides, since a node line lies below its first column.
template <class F>
void ForEachBlockPosition(F f) {
    ForEachSurfaceBlock([&](const BlockRecord& r) {
        for (int i = r.iFirst - 1; i <= r.iLast; ++i) {
            for (int j = r.jFirst - 1; j <= r.jLast; ++j) f(i, j);
        }
    });
}

double ColumnFroude(int c) {
    const int b = Cbedcell.exists() ? Cbedcell[c] : 0;
    return Bfroude.exists() && b > 0 && static_cast<size_t>(b) < Bfroude.size() ? Bfroude[b] : 0.0;
}

// The level the critical depth of a supercritical column gives.
double CriticalLevel(int bed, int top) {
    double half = 0.0;
    for (int c = bed, steps = 0; IsGridCell(c) && steps < NoCells; c = Ccellt[c], ++steps) half += Ckdist[c];
    const double h = 2.0 * half;
    const double q = std::sqrt(9.81 * h) * ColumnFroude(bed) * h;
    const double hc = std::pow(q * q / 9.81, 0.3333333);
    return (Czcenter[bed] - Ckdist[bed]) + hc - kHeadPerPascal * Pres[top];
}

double Towards(int c, int nb, int top) {
    if (nb == 0) return 0.0;
    return std::max(1e-20, (Cxcenter[nb] - Cxcenter[c]) * Cu[top] + (Cycenter[nb] - Cycenter[c]) * Cv[top]);
}

void AssembleColumn(int c, double referenceLevel) {
    const int t = TopCellAbove(c);
    Caw[c] = Towards(c, Ccellw[c], t);
    Can[c] = Towards(c, Ccelln[c], t);
    Cae[c] = Towards(c, Ccelle[c], t);
    Cas[c] = Towards(c, Ccells[c], t);
    Cap[c] = Caw[c] + Cae[c] + Cas[c] + Can[c];
    if (ColumnFroude(c) > 1.0) {
        const double level = std::max(CriticalLevel(c, t), referenceLevel);
        Cap[c] = kFixed;
        Csource[c] = level * kFixed;
    } else if (Cap[c] == 0.0) {
        // A column with no neighbour has no equation: it keeps its start value.
        Cap[c] = 1.0;
        Csource[c] = Cf[c];
    }
}

// The bed cells around node (i, j): (i, j), (i, j + 1), (i + 1, j + 1), (i + 1, j).
struct NodeColumns {
    int a, b, d, e;
};

void FillFromLinks(NodeColumns& n) {
    if (n.a == 0 && n.b != 0) n.a = Ccells[n.b];
    if (n.a == 0 && n.e != 0) n.a = Ccellw[n.e];
    if (n.b == 0 && n.a != 0) n.b = Ccelln[n.a];
    if (n.b == 0 && n.d != 0) n.b = Ccellw[n.d];
    if (n.d == 0 && n.b != 0) n.d = Ccelle[n.b];
    if (n.d == 0 && n.e != 0) n.d = Ccelln[n.e];
    if (n.e == 0 && n.a != 0) n.e = Ccelle[n.a];
    if (n.e == 0 && n.d != 0) n.e = Ccells[n.d];
}

void MoveNode(int i, int j) {
    NodeColumns n{GridColumnBottom(i, j), GridColumnBottom(i, j + 1), GridColumnBottom(i + 1, j + 1),
                  GridColumnBottom(i + 1, j)};
    if (n.a == 0 && n.b == 0 && n.d == 0 && n.e == 0) return;
    if (!IsGridNode(i, j)) return;
    if (NoBlocks != 1) FillFromLinks(n);
    double sum = 0.0;
    int count = 0;
    for (int c : {n.a, n.b, n.d, n.e}) {
        if (!IsGridCell(c)) continue;
        if (TopCellWalkFlag == 1) c = TopCellAbove(c);
        sum += Cf[c] + kHeadPerPascal * Pres[c];
        ++count;
    }
    const double level = sum / count;
    double& node = Gridz[i][j][NoGridLinesZ];
    const double moved = node + SurfaceRelaxation * (level - node);
    node = moved;
    Gridz[i][j][NoGridLinesZ + 1] = moved;
}

}  // namespace

void SetWaterLevelCoefficients(int referenceCell, double referenceLevel) {
    Pres[0] = 0.0;
    Cf[0] = 0.0;
    for (int c = std::max(FirstCell, 1); c <= std::min(LastCell, NoCells); ++c) {
        if (Ccellb[c] != 0) continue;
        Caw[c] = Cas[c] = Can[c] = Cae[c] = Csource[c] = 0.0;
        Cap[c] = 0.0001;
        Cf[c] = referenceLevel;
    }
    ForEachBlockPosition([&](int i, int j) {
        if (const int c = GridColumnBottom(i, j)) AssembleColumn(c, referenceLevel);
    });
    if (const int bed = BottomCellBelow(referenceCell)) {
        Cap[bed] = kFixed;
        Csource[bed] = referenceLevel * kFixed;
    }
    SolvePlanEquation(42);
    if (!Gridz.exists() || Gridz.extent3() < static_cast<size_t>(NoGridLinesZ) + 2) return;
    ForEachBlockPosition(MoveNode);
}
