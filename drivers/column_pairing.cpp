// Which depth-averaged cell stands for which 3D water column. The block is
// built over every block, overlap blocks included, and the generator may
// number its columns in either direction, so the pairing goes by the grid
// position each depth-averaged cell records, never by counting.
#include <vector>

#include "drivers/depth_averaged.h"
#include "grid/grid_data.h"
#include "grid/level_blocks.h"
#include "grid/metric_steps.h"
#include "run/globals.h"
#include "run/log.h"
#include "run/status.h"

std::vector<ColumnPair> ColumnPairs;

namespace {

bool ThreeDimensionalBlock(const BlockRecord& r) { return r.depthAveraged == 0 && r.overlapLevel == 0; }

int BottomOf(int top) {
    int bottom = top;
    ForEachCellOfColumn(top, [&](int c) { bottom = c; });
    return bottom;
}

bool Refuse() {
    ColumnPairs.clear();
    LogAppend("Error in computation of depth-averaged flow: 2D block not correctly made\n");
    SetStatusText("Error in 2D block  ");
    FlowFailedFlag = 1;
    return false;
}

}  // namespace

bool PairDepthAveragedColumns() {
    ColumnPairs.clear();
    if (NoBlocks < 1 || NoBlocks > kMaxBlocks || BlockTable[NoBlocks].depthAveraged != 1) return Refuse();
    const BlockRecord& block = BlockTable[NoBlocks];
    if (block.firstCell < 1 || block.lastCell > NoCells) return Refuse();
    std::vector<int> byBottom(static_cast<size_t>(NoCells) + 1, 0);
    for (int n = block.firstCell; n <= block.lastCell; ++n) {
        const int bottom = ColumnBottomCell(CellColumnI(n), CellColumnJ(n));
        if (bottom >= 1 && bottom < block.firstCell) byBottom[bottom] = n;
    }
    for (int b = 1; b <= NoBlocks - 1; ++b) {
        const BlockRecord& r = BlockTable[b];
        if (!ThreeDimensionalBlock(r)) continue;
        for (int c = std::max(r.firstCell, 1); c <= std::min(r.lastCell, NoCells); ++c) {
            if (Ccellt[c] != 0) continue;
            const int n = byBottom[BottomOf(c)];
            if (n == 0) return Refuse();
            ColumnPairs.push_back({c, n});
        }
    }
    return true;
}
