// The cell constructor for columns whose neighbours do not share all their
// levels: a corner may already exist on a neighbour cell one level up, or on
// a deeper neighbour column below it.
#include "grid/alternative_columns.h"
#include "grid/cell_sides.h"
#include "grid/grid_data.h"
#include "run/globals.h"

namespace {

// A new face; its missing corners become points in the order of its slots.
int NewFace(int cell, const HexSide& side, int* corner) {
    const int f = ++NoSurfaces;
    Fcell1[f] = side.plus ? cell : 0;
    Fcell2[f] = side.plus ? 0 : cell;
    for (int k = 0; k < 4; ++k) {
        int& c = corner[side.corners[k]];
        if (c == 0) c = NewCellPoint(side.corners[k]);
        (*kHexFacePoints[k])[f] = c;
    }
    return f;
}

// The cell of column (i, j) at level k when that column lies in the block
// being built, else 0.
int CellAt(int i, int j, int k) {
    const BlockRecord* r = VariantBlock;
    if (r != nullptr && !altgrid::InsideBlock(*r, i, j)) return 0;
    if (k < 1 || k > NoGridLinesZ) return 0;
    return CellIndex3[i][j][k];
}

// The lowest cell of column (i, j) at level k or above.
int FirstCellFrom(int i, int j, int k) {
    for (int l = k; l <= NoGridLinesZ; ++l) {
        const int c = CellAt(i, j, l);
        if (c != 0) return c;
    }
    return 0;
}

// Takes `point` for corners `low` and `high` when it lies at or below `low`.
void TakeIfBelow(int* corner, int low, int high, int point) {
    if (corner[low] != 0 || point <= 0) return;
    if (Pz1[point] - CellWork.z[low] < 1e-8) corner[low] = corner[high] = point;
}

// Points of the built neighbours one level up (and, for F 64 = 2, of the
// deeper neighbour columns) that the new cell's corners fall on.
void SearchNeighbours(int* corner, int i, int j, int k) {
    const int* f = CellWork.surface;
    if (f[4] == 0) {
        const int w = CellAt(i - 1, j, k + 1);
        if (w > 0 && corner[5] == 0 && corner[8] == 0) {
            corner[5] = Cpoint2[w];
            corner[8] = Cpoint3[w];
        }
    }
    if (f[1] == 0) {
        const int s = CellAt(i, j - 1, k + 1);
        if (s > 0 && corner[5] == 0 && corner[6] == 0) {
            corner[5] = Cpoint4[s];
            corner[6] = Cpoint3[s];
        }
    }
    if (GridAlgorithm != 2) return;
    if (f[1] == 0) {
        const int s = FirstCellFrom(i, j - 1, k);
        if (s > 0) {
            TakeIfBelow(corner, 1, 5, Cpoint4[s]);
            TakeIfBelow(corner, 2, 6, Cpoint3[s]);
        }
    }
    if (f[4] == 0) {
        const int w = FirstCellFrom(i - 1, j, k);
        if (w > 0) {
            TakeIfBelow(corner, 1, 5, Cpoint2[w]);
            TakeIfBelow(corner, 4, 8, Cpoint3[w]);
        }
    }
}

// Where bottom corner c lies: at its point when a face gave it one (the
// algorithm's own height for it may differ), else at the height asked for.
double BottomZ(const int* corner, int c) { return corner[c] != 0 ? Pz1[corner[c]] : CellWork.z[c]; }

}  // namespace

int AddHexCellVariant(int cell, int i, int j, int k) {
    CellWorkRecord& work = CellWork;
    int corner[9] = {};
    TakeKnownFaceCorners(corner);
    // A top corner held by a known face keeps its point (see AddHexCell).
    if (F299Option > 0) {
        for (int c = 1; c <= 4; ++c) {
            const bool flat = work.z[c + 4] - BottomZ(corner, c) < 1e-8;
            if (corner[c] != 0 && corner[c + 4] == 0 && flat) corner[c + 4] = corner[c];
        }
    }
    SearchNeighbours(corner, i, j, k);
    if (GridAlgorithm == 2 && CellAt(i, j, k - 1) == 0 && work.surface[5] <= 0) {
        // The bottom face first, so its points are numbered before the sides'.
        work.surface[5] = NewFace(cell, kHexSides[5], corner);
        for (int c = 1; c <= 4; ++c) {
            if (corner[c + 4] == 0 && work.z[c + 4] - BottomZ(corner, c) < 1e-8) corner[c + 4] = corner[c];
        }
    }
    for (int s = 1; s <= 6; ++s) {
        const HexSide& side = kHexSides[s];
        int f = work.surface[s];
        if (f > 0) {
            if (s == 5) {
                Fcell2[f] = cell;
            } else if (s == 6) {
                Fcell1[f] = cell;
            } else if (Fcell1[f] == 0) {
                Fcell1[f] = cell;
            } else {
                Fcell2[f] = cell;
            }
        } else {
            f = NewFace(cell, side, corner);
        }
        (*side.surface)[cell] = f;
    }
    for (int c = 1; c <= 8; ++c) (*kHexCorners[c])[cell] = corner[c];
    for (int s = 1; s <= 6; ++s) (*kHexSides[s].neighbour)[cell] = work.neighbour[s];
    return 0;
}
