// The cell constructor: one hexahedral cell from the description in
// `CellWork`, sharing the points and faces of the cells built before it.
#include "grid/cell_sides.h"
#include "grid/grid_data.h"
#include "grid/grid_services.h"
#include "run/globals.h"

namespace {

// A face of the cell that no earlier cell holds; its missing corners become
// points, in ascending corner number.
int NewFace(int cell, const HexSide& side, int* corner) {
    const int f = ++NoSurfaces;
    Fcell1[f] = side.plus ? cell : 0;
    Fcell2[f] = side.plus ? 0 : cell;
    for (int c = 1; c <= 8; ++c) {
        bool onFace = false;
        for (int k : side.corners) onFace = onFace || k == c;
        if (onFace && corner[c] == 0) corner[c] = NewCellPoint(c);
    }
    for (int k = 0; k < 4; ++k) (*kHexFacePoints[k])[f] = corner[side.corners[k]];
    return f;
}

}  // namespace

int AddHexCell(int cell) {
    const CellWorkRecord& work = CellWork;
    int corner[9] = {};
    // A later known face overrides the corners an earlier one gave.
    for (int s = 1; s <= 6; ++s) {
        const int f = work.surface[s];
        if (f <= 0) continue;
        for (int k = 0; k < 4; ++k) corner[kHexSides[s].corners[k]] = (*kHexFacePoints[k])[f];
    }
    // A top corner that a known face already holds keeps that point: taking
    // the bottom point instead would leave the face with a corner the cell
    // does not have.
    if (F299Option > 0) {
        for (int c = 1; c <= 4; ++c) {
            if (corner[c + 4] == 0 && work.z[c + 4] - work.z[c] < 1e-8) corner[c + 4] = corner[c];
        }
    }
    for (int s = 1; s <= 6; ++s) {
        const HexSide& side = kHexSides[s];
        int f = work.surface[s];
        if (f > 0) {
            if (Fcell1[f] == 0) {
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
