// The cells of a water column, walked through the neighbour links.
#pragma once

#include "grid/grid_data.h"
#include "run/run_state.h"

// The bed cell of c's column: down through Ccellb until there is no cell
// below. The walk stops after NoCells steps so a damaged chain cannot loop.
inline int ColumnBedCell(int c) {
    const int* const below = Ccellb.data();
    for (int steps = 0; below[c] > 0 && steps < NoCells; ++steps) c = below[c];
    return c;
}
