// The cell constructor: one hexahedral cell from the description in
// `CellWork`, sharing the points and faces of the cells built before it.
#include <cmath>

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

bool SamePlace(int p, int q) {
    constexpr double kTolerance = 1e-9;
    return std::fabs(Px1[p] - Px1[q]) < kTolerance && std::fabs(Py1[p] - Py1[q]) < kTolerance &&
           std::fabs(Pz1[p] - Pz1[q]) < kTolerance;
}

void ReplaceInCell(int c, int from, int to) {
    for (int k = 1; k <= 8; ++k) {
        int& v = (*kHexCorners[k])[c];
        if (v == from) v = to;
    }
    for (int s = 1; s <= 6; ++s) {
        const int f = (*kHexSides[s].surface)[c];
        if (f <= 0) continue;
        for (Array1<int>* points : kHexFacePoints) {
            if ((*points)[f] == from) (*points)[f] = to;
        }
    }
}

// Replaces the point in the cells beyond `owner` through the faces `face`
// (Csurfb or Csurft), whose cell slot `slot` holds the next cell.
void ReplaceBeyond(int owner, int from, int to, const Array1<int>& face, const Array1<int>& slot) {
    int c = owner;
    for (int steps = 0, bound = NoGridLinesZ + 2; steps < bound; ++steps) {
        const int f = face[c];
        const int next = f > 0 ? slot[f] : 0;
        if (next <= 0 || next == c) break;
        ReplaceInCell(next, from, to);
        c = next;
    }
}

// Replaces a point in every cell of the column of `owner`, walking through
// the faces below and above (a layer cell on a base cell has no link down,
// but shares its face).
void ReplaceInColumn(int owner, int from, int to) {
    ReplaceInCell(owner, from, to);
    ReplaceBeyond(owner, from, to, Csurfb, Fcell1);
    ReplaceBeyond(owner, from, to, Csurft, Fcell2);
}

// A column whose diagonal neighbour across a node is missing creates its own
// point at that node, though the column on the other side of the gap already
// has one there. The cell that meets both columns through two side faces
// would take one point as its corner and keep a face holding the other: the
// later face's point gives way to the earlier one in its whole column, so
// that every face of the cell lies on the cell's own corners. Points at
// different places are a real conflict of the generator, and the bottom face
// is left as it is (two points on a zero-height edge are F 299's business):
// the later face gives the corner there.
void TakeFaceCorners(int s, int f, int* corner, bool* fromSide) {
    const bool side = s <= 4;
    const int owner = Fcell1[f] != 0 ? Fcell1[f] : Fcell2[f];
    for (int k = 0; k < 4; ++k) {
        const int c = kHexSides[s].corners[k];
        const int q = (*kHexFacePoints[k])[f];
        const int p = corner[c];
        if (side && fromSide[c] && p > 0 && q > 0 && p != q && owner > 0 && SamePlace(p, q)) {
            ReplaceInColumn(owner, q, p);
            continue;
        }
        corner[c] = q;
        fromSide[c] = side;
    }
}

}  // namespace

void TakeKnownFaceCorners(int* corner) {
    bool fromSide[9] = {};
    for (int s = 1; s <= 6; ++s) {
        const int f = CellWork.surface[s];
        if (f > 0) TakeFaceCorners(s, f, corner, fromSide);
    }
}

int AddHexCell(int cell) {
    const CellWorkRecord& work = CellWork;
    int corner[9] = {};
    TakeKnownFaceCorners(corner);
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
