// What the eddy viscosity, the turbulence sources and the wall laws share:
// the models that split the epsilon diffusion from its production, wall
// cells, and the walk over the water columns that a cell range holds.
#pragma once

#include <limits>

#include "flow/flow_data.h"
#include "grid/column_cells.h"
#include "grid/grid_data.h"

// Models whose epsilon production is multiplied by 1.3.
inline bool SplitsEpsilonPrandtl(int model) {
    return model == 0 || model == 2 || (model >= 8 && model <= 14) || (model >= 17 && model <= 20);
}

// Models whose epsilon pass diffuses with the eddy viscosity divided by 1.3
// (times 0.7692): the standard model, model 2 and the column models 8 to 13.
// Models 14 and 17 to 20 keep their full viscosity there.
inline bool DividesEpsilonViscosity(int model) { return model == 0 || model == 2 || (model >= 8 && model <= 13); }

// A cell with at least one wall-law face among its six surfaces.
inline bool IsWallCell(int c) {
    const int* flag = Fflagflow.data();
    return flag[Csurfe[c]] == -1 || flag[Csurfw[c]] == -1 || flag[Csurfs[c]] == -1 || flag[Csurfn[c]] == -1 ||
           flag[Csurft[c]] == -1 || flag[Csurfb[c]] == -1;
}

// Height of the centre of cell c above the bed of its column, when that bed
// is a wall-law face; otherwise no bed limits the wall distance.
inline double HeightAboveWallBed(int c) {
    double height = Ckdist[c];
    int bottom = c;
    for (int below = Ccellb[c]; below > 0; below = Ccellb[below]) {
        height += 2.0 * Ckdist[below];
        bottom = below;
    }
    return Fflagflow[Csurfb[bottom]] == -1 ? height : std::numeric_limits<double>::infinity();
}

// Calls fn(bed, lowest) once for every run of consecutive cells of one water
// column inside first..last: `bed` is the column's bed cell (which may lie
// outside the range) and `lowest` the lowest cell of the run. The run goes
// up from `lowest` through Ccellt while the cells stay in the range, so each
// cell of the range belongs to exactly one run. Column quantities gathered
// from `bed` are the same whichever chunk holds a cell, so chunked calls
// write only their own cells and give the result of one call over the whole
// range.
template <class Fn>
void ForEachColumnRun(int first, int last, Fn fn) {
    const int* below = Ccellb.data();
    for (int c = first; c <= last; ++c) {
        const int b = below[c];
        if (b >= first && b <= last && b > 0) continue;
        fn(ColumnBedCell(c), c);
    }
}

// True while cell p continues a run of ForEachColumnRun.
inline bool InRun(int p, int first, int last) { return p > 0 && p >= first && p <= last; }
