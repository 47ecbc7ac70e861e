// The cell constructor: one hexahedral cell from the description in
// `CellWork`, sharing the points and faces of the cells built before it.
#include "grid/grid_data.h"
#include "grid/grid_services.h"
#include "run/globals.h"

namespace {

struct CellSide {
    Array1<int>* surface;
    Array1<int>* neighbour;
    int corners[4];  // the cell corners in the order of the face's points
    bool plus;       // the face lies on the +i/+j/+k side of the cell
};

// Sides 1..6: south, east, north, west, bottom, top.
const CellSide kCellSides[7] = {
    {nullptr, nullptr, {0, 0, 0, 0}, false},
    {&Csurfs, &Ccells, {1, 5, 6, 2}, false},
    {&Csurfe, &Ccelle, {2, 3, 7, 6}, true},
    {&Csurfn, &Ccelln, {4, 8, 7, 3}, true},
    {&Csurfw, &Ccellw, {1, 4, 8, 5}, false},
    {&Csurfb, &Ccellb, {1, 2, 3, 4}, false},
    {&Csurft, &Ccellt, {5, 6, 7, 8}, true},
};

Array1<int>* const kFacePoints[4] = {&Fpoint1, &Fpoint2, &Fpoint3, &Fpoint4};
Array1<int>* const kCellCorners[9] = {nullptr,  &Cpoint1, &Cpoint2, &Cpoint3, &Cpoint4,
                                      &Cpoint5, &Cpoint6, &Cpoint7, &Cpoint8};

int NewPoint(int corner) {
    const int p = ++NoPoints;
    Px1[p] = CellWork.x[corner];
    Py1[p] = CellWork.y[corner];
    Pz1[p] = CellWork.z[corner];
    return p;
}

// A face of the cell that no earlier cell holds; its missing corners become
// points, in ascending corner number.
int NewFace(int cell, const CellSide& side, int* corner) {
    const int f = ++NoSurfaces;
    Fcell1[f] = side.plus ? cell : 0;
    Fcell2[f] = side.plus ? 0 : cell;
    for (int c = 1; c <= 8; ++c) {
        bool onFace = false;
        for (int k : side.corners) onFace = onFace || k == c;
        if (onFace && corner[c] == 0) corner[c] = NewPoint(c);
    }
    for (int k = 0; k < 4; ++k) (*kFacePoints[k])[f] = corner[side.corners[k]];
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
        for (int k = 0; k < 4; ++k) corner[kCellSides[s].corners[k]] = (*kFacePoints[k])[f];
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
        const CellSide& side = kCellSides[s];
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
    for (int c = 1; c <= 8; ++c) (*kCellCorners[c])[cell] = corner[c];
    for (int s = 1; s <= 6; ++s) (*kCellSides[s].neighbour)[cell] = work.neighbour[s];
    return 0;
}
