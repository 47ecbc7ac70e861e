// Head losses where the bed steps between two water columns of block 1: the
// flow between them is shallow against their bottom cells, and every cell of
// both columns loses momentum with the velocity across the face between them.
#include <cmath>

#include "flow/flow_data.h"
#include "flow/flow_services.h"
#include "grid/grid_data.h"
#include "grid/metric_steps.h"
#include "run/globals.h"

namespace {

// Water depth at grid node (i, j); 0 where the node table does not reach.
double NodeDepth(int i, int j) {
    if (!Gridz.exists() || i < 0 || j < 0 || static_cast<size_t>(i) >= Gridz.extent1() ||
        static_cast<size_t>(j) >= Gridz.extent2() || static_cast<size_t>(NoGridLinesZ) >= Gridz.extent3()) {
        return 0.0;
    }
    return Gridz[i][j][NoGridLinesZ] - Gridz[i][j][1];
}

// The pair of column c and its neighbour column across the face of c's
// bottom cell on the east (`alongI`) or north side; `depthSum` is the water
// depth at the face's two end nodes. The loss per unit of face area is
// 1000 (1 - r^2) |u.n| in kg/(m2 s); each cell takes it over its own face
// on that side, which makes it a coefficient in kg/s like the rest of Cap.
void AddPairLoss(int c, bool alongI, double depthSum) {
    const int other = alongI ? Ccelle[c] : Ccelln[c];
    const int s = alongI ? Csurfe[c] : Csurfn[c];
    if (other <= 0 || Fflagflow[s] != 1) return;
    const double h = depthSum > 0.0 ? 0.5 * depthSum : 0.0;
    const double r = h / (Ckdist[c] + Ckdist[other]);
    if (!(r < 0.5)) return;
    const double a = 1000.0 * (1.0 - r * r);
    const double nx = Fvecx[s], ny = Fvecy[s];
    const Array1<int>& ownFace = alongI ? Csurfe : Csurfn;
    const Array1<int>& otherFace = alongI ? Csurfw : Csurfs;
    int x = c, y = other;
    for (int steps = 0; x > 0 && y > 0 && steps < NoCells; ++steps) {
        Cap[x] += std::fabs(Cu[x] * nx + Cv[x] * ny) * a * Farea[ownFace[x]];
        Cap[y] += std::fabs(Cu[y] * nx + Cv[y] * ny) * a * Farea[otherFace[y]];
        x = Ccellt[x];
        y = Ccellt[y];
    }
}

}  // namespace

void AddStepLossTerms() {
    const BlockRecord& b = BlockTable[1];
    for (int i = b.iFirst; i < b.iLast; ++i) {
        for (int j = b.jFirst; j <= b.jLast; ++j) {
            const int c = ColumnBottomCell(i, j);
            if (c > 0) AddPairLoss(c, true, NodeDepth(i, j) + NodeDepth(i, j - 1));
        }
    }
    for (int i = b.iFirst; i <= b.iLast; ++i) {
        for (int j = b.jFirst; j < b.jLast; ++j) {
            const int c = ColumnBottomCell(i, j);
            if (c > 0) AddPairLoss(c, false, NodeDepth(i - 1, j) + NodeDepth(i, j));
        }
    }
}
