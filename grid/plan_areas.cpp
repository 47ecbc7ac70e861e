// Plan areas of the grid columns, and the F 94 depth thresholds that follow
// from them when the control file leaves them to the grid.
#include <algorithm>
#include <cmath>

#include "grid/grid_services.h"
#include "run/globals.h"
#include "run/log.h"

namespace {

// Calls f(i, j) for every column of the blocks of the computational grid
// (grid-level blocks keep the ranges of the grid they were made from) that
// the structured arrays hold.
template <class F>
void ForEachGridColumn(F f) {
    const int iMax = NoGridLinesX + 1, jMax = NoGridLinesY + 1;
    for (int b = 1; b <= std::min(NoBlocks, kMaxBlocks); ++b) {
        const BlockRecord& r = BlockTable[b];
        if (r.gridLevel != 0) continue;
        for (int i = std::max(r.iFirst, 1); i <= std::min(r.iLast, iMax); ++i) {
            for (int j = std::max(r.jFirst, 1); j <= std::min(r.jLast, jMax); ++j) f(i, j);
        }
    }
}

}  // namespace

void ComputePlanAreas() {
    if (!PlanArea.exists() || !Gridx.exists() || !Gridy.exists()) return;
    ForEachGridColumn([](int i, int j) {
        // Half the cross product of the diagonals.
        const double dx1 = Gridx[i][j] - Gridx[i - 1][j - 1], dy1 = Gridy[i][j] - Gridy[i - 1][j - 1];
        const double dx2 = Gridx[i - 1][j] - Gridx[i][j - 1], dy2 = Gridy[i - 1][j] - Gridy[i][j - 1];
        const double a = 0.5 * std::fabs(dx1 * dy2 - dy1 * dx2);
        PlanArea[i][j] = a < 1e-20 ? 0.0 : a;
    });
}

void ComputeF94Parameters() {
    double largest = 0.0;
    if (PlanArea.exists()) ForEachGridColumn([&](int i, int j) { largest = std::max(largest, PlanArea[i][j]); });
    SingleCellDepth = 0.1 * std::sqrt(largest);
    DryDepth = 0.05 * SingleCellDepth;
    if (DebugOption == 'D') LogAppend("Computed F 94 parameters to %lf %lf\n", DryDepth, SingleCellDepth);
}
