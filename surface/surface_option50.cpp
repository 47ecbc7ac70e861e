// The grid update of F 36 = 50: the level corrections that the water-flow
// drivers computed per column (`Blevelcorr`) taken to the nodes, plainly or
// weighed by flow direction and Froude number, then the grid regenerated.
#include <algorithm>
#include <cmath>

#include "flow/flow_data.h"
#include "surface/level_equations.h"
#include "surface/surface_data.h"
#include "surface/surface_levels.h"
#include "surface/surface_regeneration.h"
#include "surface/surface_services.h"

namespace {

// Calls f(i, j, columns) for every node of the blocks of grid level 0 with
// a wet column around it.
template <class F>
void ForEachWetNodeOfLevelZero(F f) {
    for (int b = 1; b <= std::min(NoBlocks, kMaxBlocks); ++b) {
        const BlockRecord& r = BlockTable[b];
        if (r.gridLevel != 0) continue;
        for (int i = r.iFirst - 1; i <= r.iLast; ++i) {
            for (int j = r.jFirst - 1; j <= r.jLast; ++j) {
                if (!IsGridNode(i, j)) continue;
                const NodeColumns nc = FillNodeColumns(i, j);
                if (nc.n > 0) f(i, j, nc);
            }
        }
    }
}

double Correction(int c) { return c > 0 ? Blevelcorr[Cbedcell[c]] : 0.0; }

void MoveNode(int i, int j, double by) {
    const int k = NoGridLinesZ;
    Gridz[i][j][k] += by;
    Gridz[i][j][k + 1] = Gridz[i][j][k];
}

void MoveByMeanCorrection() {
    ForEachWetNodeOfLevelZero([](int i, int j, const NodeColumns& nc) {
        double sum = 0.0;
        for (const int c : nc.c) sum += Correction(c);
        MoveNode(i, j, sum / nc.n);
    });
}

void MoveByWeightedCorrection() {
    for (int b = 1; b <= std::min(NoBlocks, kMaxBlocks); ++b) {
        if (BlockTable[b].gridLevel == 0) ComputeFroudeNumbers(BlockTable[b].firstColumn, BlockTable[b].lastColumn);
    }
    ForEachWetNodeOfLevelZero([](int i, int j, const NodeColumns& nc) {
        double weighted = 0.0, weights = 0.0;
        for (const int c : nc.c) {
            if (c == 0) continue;
            const double w = UpdateFroudeSurfaceFlow(c, i, j);
            weighted += w * Correction(c);
            weights += w;
        }
        // Columns that all weigh nothing leave the node where it is.
        if (weights > 0.0) MoveNode(i, j, weighted / (nc.n * weights));
    });
}

}  // namespace

double UpdateFroudeSurfaceFlow(int c, int i, int j) {
    const double fr = Bfroude[Cbedcell[c]];
    const double dx = Gridx[i][j] - Cxcenter[c], dy = Gridy[i][j] - Cycenter[c];
    const double d = std::hypot(dx, dy);
    const double s = std::sqrt(Cu[c] * Cu[c] + Cv[c] * Cv[c] + 1e-20);
    // A node at the column centre has no direction: it weighs both ways.
    const double cosine = d > 0.0 ? (dx * Cu[c] + dy * Cv[c]) / (d * s) : 0.0;
    const double a = 0.5 * (1.0 - cosine);
    const double b = 1.0 - a;
    if (fr < 0.5) return a;
    if (fr > 1.5) return b;
    return a + (b - a) * (fr - 0.5);
}

void UpdateFreeSurfaceOption50() {
    if (Blevelcorr.exists()) {
        if (F227Int < 2) {
            MoveByMeanCorrection();
        } else if (F227Int == 2) {
            MoveByWeightedCorrection();
        }
    }
    if (SurfaceSmoothingOption == 1) SmoothWaterSurface();
    if (FlagTSC == 0 || F166Flag == 1) RegenerateUnderSurface({.secondOld = false});
    GridChangedFlag = 1;
}
