// The structured grid nodes of the bed as the node-level bed operations see
// them: the blocks of the morphology step, their wet columns, the corner
// nodes of a column and the areas the nodes stand for.
#pragma once

#include <algorithm>

#include "flow/cell_lookup.h"
#include "run/globals.h"

// A block of the computational grid that the morphology step has selected.
inline bool IsMorphologyBlock(const BlockRecord& r) {
    return r.depthAveraged == 0 && r.gridLevel == 0 && r.field11 == 1;
}

// True when the node arrays hold every node of the block (node lines
// iFirst - 1..iLast and jFirst - 1..jLast), planes 0 to 3 included; a block
// they cannot hold is left alone rather than indexed out of bounds.
inline bool BlockNodesHeld(const BlockRecord& r) {
    if (!Gridz.exists() || !GridLevels.exists() || GridLevels.extent1() < 4 || Gridz.extent3() < 2) return false;
    if (r.iFirst < 1 || r.jFirst < 1 || r.iLast < r.iFirst || r.jLast < r.jFirst) return false;
    const auto ni = static_cast<size_t>(r.iLast), nj = static_cast<size_t>(r.jLast);
    return ni < Gridz.extent1() && nj < Gridz.extent2() && ni < GridLevels.extent2() && nj < GridLevels.extent3();
}

// Calls f(record) for every selected block whose nodes the arrays hold, in
// block order.
template <class F>
void ForEachMorphologyBlock(F f) {
    for (int k = 1; k <= std::min(NoBlocks, kMaxBlocks); ++k) {
        const BlockRecord& r = BlockTable[k];
        if (IsMorphologyBlock(r) && BlockNodesHeld(r)) f(r);
    }
}

// The bed cell (water column) of cell c; 0 for none.
inline int BedCellOf(int c) {
    if (!IsGridCell(c) || !Cbedcell.exists()) return 0;
    const int b = Cbedcell[c];
    return b > 0 && b <= NoBedCells ? b : 0;
}

// Calls f(i, j, c, b) for the wet columns of the block (bottom cell c, bed
// cell b), i ascending outside, j ascending inside.
template <class F>
void ForEachWetColumn(const BlockRecord& r, F f) {
    for (int i = r.iFirst; i <= r.iLast; ++i) {
        for (int j = r.jFirst; j <= r.jLast; ++j) {
            const int c = GridColumnBottom(i, j);
            const int b = BedCellOf(c);
            if (c > 0 && b > 0) f(i, j, c, b);
        }
    }
}

struct GridNode {
    int i = 0, j = 0;
};

inline double& NodeBedLevel(GridNode n) { return Gridz[n.i][n.j][1]; }
inline double NodeFixedLevel(GridNode n) { return GridLevels[3][n.i][n.j]; }

// Moves the bed level of a node and its cumulative movement alike.
inline void MoveNodeAndRecord(GridNode n, double dz) {
    Gridz[n.i][n.j][1] += dz;
    GridLevels[1][n.i][n.j] += dz;
}
