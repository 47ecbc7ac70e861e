// The sides and corners of a hexahedral cell as the cell constructors lay
// them out, and the new point at a corner of the cell being built.
#pragma once

#include "grid/grid_data.h"
#include "run/globals.h"

struct HexSide {
    Array1<int>* surface;
    Array1<int>* neighbour;
    int corners[4];  // the cell corners in the order of the face's points
    bool plus;       // the face lies on the +i/+j/+k side of the cell
};

// Sides 1..6: south, east, north, west, bottom, top.
inline const HexSide kHexSides[7] = {
    {nullptr, nullptr, {0, 0, 0, 0}, false},
    {&Csurfs, &Ccells, {1, 5, 6, 2}, false},
    {&Csurfe, &Ccelle, {2, 3, 7, 6}, true},
    {&Csurfn, &Ccelln, {4, 8, 7, 3}, true},
    {&Csurfw, &Ccellw, {1, 4, 8, 5}, false},
    {&Csurfb, &Ccellb, {1, 2, 3, 4}, false},
    {&Csurft, &Ccellt, {5, 6, 7, 8}, true},
};

inline Array1<int>* const kHexFacePoints[4] = {&Fpoint1, &Fpoint2, &Fpoint3, &Fpoint4};
inline Array1<int>* const kHexCorners[9] = {nullptr,  &Cpoint1, &Cpoint2, &Cpoint3, &Cpoint4,
                                             &Cpoint5, &Cpoint6, &Cpoint7, &Cpoint8};

// Step 1 of both cell constructors: the corners 1..8 of `corner` from the
// known faces of `CellWork`, a later face overriding an earlier one except
// where two side faces hold two points at one place (those become one).
void TakeKnownFaceCorners(int* corner);

inline int NewCellPoint(int corner) {
    const int p = ++NoPoints;
    Px1[p] = CellWork.x[corner];
    Py1[p] = CellWork.y[corner];
    Pz1[p] = CellWork.z[corner];
    return p;
}
