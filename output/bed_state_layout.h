// The order in which the bed state file holds its nodes and bed layers. The
// writer and the restart reader both walk the file through these, so that a
// file read back lands on the nodes and layers it was written from.
#pragma once

#include <cstddef>

#include "run/globals.h"

// Only blocks with water columns of their own carry node lines: not the
// depth-averaged block nor the coarser grid levels.
inline bool BedStateBlock(const BlockRecord& r) { return r.depthAveraged == 0 && r.gridLevel == 0; }

// Calls f(i, j) for every node line in file order: block by block, i from
// one line before the block's first column, j inside i. A node shared by two
// blocks comes once per block. Nodes outside the arrays are left out.
template <class F>
void ForEachBedStateNode(F f) {
    for (int b = 1; b <= NoBlocks && b <= kMaxBlocks; ++b) {
        const BlockRecord& r = BlockTable[b];
        if (!BedStateBlock(r)) continue;
        for (int i = r.iFirst - 1; i <= r.iLast; ++i) {
            for (int j = r.jFirst - 1; j <= r.jLast; ++j) {
                if (i < 0 || j < 0 || static_cast<size_t>(i) >= Gridz.extent1() ||
                    static_cast<size_t>(j) >= Gridz.extent2()) {
                    continue;
                }
                f(i, j);
            }
        }
    }
}

// True when the bed columns hold all F 134 layers; otherwise layers 1 and 0.
inline bool BedStateMultiLayer() { return BNoLayers.exists() && NoBedLayers > 2 && FlagTSC == 3; }

// Calls f(layer) for each layer of a bed-column line, the top layer first.
// The older one-layer form (`oneLayerForm`, letter H of the size line) holds
// layer 1 only when the file has two layers.
template <class F>
void ForEachBedStateLayer(bool oneLayerForm, F f) {
    if (BedStateMultiLayer()) {
        for (int layer = NoBedLayers - 1; layer >= 0; --layer) f(layer);
        return;
    }
    f(1);
    if (!oneLayerForm) f(0);
}
