// The active cell and surface ranges that bound the loops of the flow,
// sediment and water-quality computations.
#include <algorithm>

#include "grid/grid_services.h"
#include "run/globals.h"

namespace {

void WholeGrid() {
    FirstCell = 1;
    LastCell = NoCells;
    FirstSurface = 1;
    LastSurface = NoSurfaces;
    FirstBedCell = 1;
    LastBedCell = NoBedCells;
}

// The G 25 selection: from the first cell and surface of the selected blocks
// to their last. A selection of no block leaves the range empty (first
// above last), so the loops run over nothing. Only blocks of the table are
// looked at: a selection may name the layer block before it is appended.
void SelectedBlocks() {
    FirstCell = NoCells;
    LastCell = 1;
    FirstSurface = NoSurfaces;
    LastSurface = 1;
    FirstBedCell = NoBedCells;
    LastBedCell = 1;
    const int last = std::min({NoBlockSelectionValues, NoBlocks, kBlockValueSlots - 1});
    for (int b = 1; b <= last; ++b) {
        if (BlockSelection[b] <= 0) continue;
        const BlockRecord& r = BlockTable[b];
        FirstCell = std::min(FirstCell, r.firstCell);
        LastCell = std::max(LastCell, r.lastCell);
        FirstSurface = std::min(FirstSurface, r.firstSurface);
        LastSurface = std::max(LastSurface, r.lastSurface);
        FirstBedCell = std::min(FirstBedCell, r.firstColumn);
        LastBedCell = std::max(LastBedCell, r.lastColumn);
    }
}

}  // namespace

void SetActiveCellRange() {
    // The multi-level driver sets the ranges of its levels itself.
    if (NoGridLevels != 0) return;
    const int last = std::min(NoBlocks, kMaxBlocks);
    const int layerBlock = last >= 1 ? BlockTable[last].layerBlock : 0;
    // An appended layer block stays outside the range when blocks are
    // selected or the sediment runs; it needs a block before it.
    if (layerBlock > 0 && last >= 2 && (NoBlockSelectionValues != 0 || FlagTSC != 0)) {
        FirstCell = 1;
        FirstSurface = 1;
        LastCell = BlockTable[last - 1].lastCell;
        LastSurface = BlockTable[last - 1].lastSurface;
        FirstBedCell = 1;
        LastBedCell = BlockTable[last - 1].lastColumn;
        return;
    }
    if (NoBlockSelectionValues != 0) {
        if (NoBlockSelectionValues > 0) SelectedBlocks();
        return;
    }
    if (FlagTSC == 0 || layerBlock >= 0) WholeGrid();
}
