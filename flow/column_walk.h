// Walks along the water column of a cell, for the corrections that depend on
// the depth of a column or on its bed cell.
#pragma once

#include "grid/column_cells.h"
#include "grid/grid_data.h"
#include "run/run_state.h"

// Sum of Ckdist over c and every cell above it (half the depth of water from
// the bottom of c up to the surface).
inline double HalfDepthAbove(int c) {
    const int* const above = Ccellt.data();
    const double* const kdist = Ckdist.data();
    double sum = 0.0;
    for (int steps = 0; c > 0 && steps <= NoCells; ++steps, c = above[c]) sum += kdist[c];
    return sum;
}

// Sum of Ckdist over the whole column of c: half the water depth.
inline double ColumnHalfDepth(int c) { return HalfDepthAbove(ColumnBedCell(c)); }

// The number of c's horizontal neighbours that exist.
inline int HorizontalNeighbourCount(int c) {
    return (Ccellw[c] > 0) + (Ccelle[c] > 0) + (Ccells[c] > 0) + (Ccelln[c] > 0);
}

// A cell alone in its column, shallower than half the minimum water depth,
// with at least one side open to no neighbour: the corrections leave it out.
inline bool ShallowSingleCell(int c, double minDepth) {
    return Ckdist[c] < 0.5 * minDepth && Ccellt[c] == 0 && Ccellb[c] == 0 && HorizontalNeighbourCount(c) < 4;
}
