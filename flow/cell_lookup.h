// Cells and surfaces named by other tables: the surface lists of the
// discharge groups (from the grid file or the group search) and the bottom
// cells of the structured grid columns. An entry that names no cell or
// surface of the current grid is passed over rather than trusted as an index.
#pragma once

#include <algorithm>

#include "grid/grid_data.h"
#include "run/run_state.h"

inline constexpr int kFirstGroup = 1;
inline constexpr int kLastGroup = 9;

inline bool IsGridCell(int c) { return c > 0 && c <= NoCells; }

// Number of list entries that may be read.
inline int GroupListLength(const DischargeGroupRecord& g) { return std::clamp(g.noSurfaces, 0, kGroupSurfaces); }

inline bool IsGridSurface(int s) { return s > 0 && s <= NoSurfaces; }

// The cell whose boundary surface s is (Fcell1, or Fcell2 when Fcell1 is
// missing); 0 when there is none.
inline int GroupSurfaceCell(int s) {
    if (!IsGridSurface(s)) return 0;
    const int c = Fcell1[s] != 0 ? Fcell1[s] : Fcell2[s];
    return IsGridCell(c) ? c : 0;
}

// Total area of a group's listed surfaces.
inline double GroupArea(const DischargeGroupRecord& g) {
    double a = 0.0;
    for (int n = 0; n < GroupListLength(g); ++n) {
        if (IsGridSurface(g.surfaceList[n])) a += Farea[g.surfaceList[n]];
    }
    return a;
}

// The bottom cell of column (i, j) of the structured grid; 0 for a dry
// column or indexes outside the grid.
inline int GridColumnBottom(int i, int j) {
    if (!Gridz.exists() || i < 0 || j < 0 || static_cast<size_t>(i) >= Gridz.extent1() ||
        static_cast<size_t>(j) >= Gridz.extent2()) {
        return 0;
    }
    const double slot = Gridz[i][j][0];
    return slot >= 1.0 && slot <= NoCells ? static_cast<int>(slot) : 0;
}
