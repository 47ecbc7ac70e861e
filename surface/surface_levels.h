// What the free-surface updates share: the level of a cell, the top cell of
// a column, the blocks whose surface moves and the reference they move it
// from.
#pragma once

#include <algorithm>

#include "flow/cell_lookup.h"
#include "grid/grid_data.h"
#include "run/globals.h"

// 1/9810 as the level updates write it (not exactly equal).
inline constexpr double kHeadPerPascal = 0.000101937;

// The top face of a cell.
inline double CellLevel(int c) { return Czcenter[c] + Ckdist[c]; }

// The top cell of the column above c (c itself when nothing lies above, 0
// for 0). The walk is bounded so that a damaged chain cannot loop.
inline int TopCellAbove(int c) {
    if (!IsGridCell(c)) return 0;
    for (int steps = 0; IsGridCell(Ccellt[c]) && steps < NoCells; ++steps) c = Ccellt[c];
    return c;
}

// The bottom cell of the column below c.
inline int BottomCellBelow(int c) {
    if (!IsGridCell(c)) return 0;
    for (int steps = 0; IsGridCell(Ccellb[c]) && steps < NoCells; ++steps) c = Ccellb[c];
    return c;
}

// The top cell of grid column (i, j); 0 when it is dry or outside the grid.
inline int ColumnTopCell(int i, int j) { return TopCellAbove(GridColumnBottom(i, j)); }

// True when (i, j) is a node of the structured arrays.
inline bool IsGridNode(int i, int j) {
    return Gridz.exists() && i >= 0 && j >= 0 && static_cast<size_t>(i) < Gridz.extent1() &&
           static_cast<size_t>(j) < Gridz.extent2();
}

// The blocks whose water surface the updates move.
inline bool IsSurfaceBlock(int b) { return BlockTable[b].gridLevel == 0 && G26BlockValues[b] == 1; }

// Calls f(record) for every surface block, in block order.
template <class F>
void ForEachSurfaceBlock(F f) {
    for (int b = 1; b <= std::min(NoBlocks, kMaxBlocks); ++b) {
        if (IsSurfaceBlock(b)) f(BlockTable[b]);
    }
}

// The reference of one surface update. The top cells are 0 for a dry
// column (or none); `level2` is 0 unless something defines it.
struct SurfaceReference {
    int top = 0;
    int top2 = 0;
    double pressure = 0.0;
    double level2 = 0.0;
    double pressure2 = 0.0;
};

// Finds the reference of an update with `level` as its persistent reference
// level (ZRef of the option route, SurfaceZRef of the driver): counts the
// update, finds the reference group, follows `timei`, logs the F 1 D line.
// A dry reference that nothing replaces ends the run (status -5).
SurfaceReference FindSurfaceReference(double& level);

// Sets the nodes around the open sides of the reference group's columns to
// `level` (slot NoGridLinesZ only).
void SetGroupLevelsTo(double level);

// The level of a `timei` series (TimeiLevel or TimeiLevel2) at `stime`.
double ReferenceSeriesLevel(const Array1<double>& series);
