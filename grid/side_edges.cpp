// Joining the top cells of columns that stand side by side without a link
// from their generator (different blocks, or the two sides of a seam): the
// columns meet level by level from the water surface down, and each joined
// interface keeps both faces, recorded as one pair.
#include <algorithm>
#include <cmath>

#include "grid/grid_services.h"
#include "run/globals.h"
#include "run/log.h"

namespace {

enum Side { kSouth = 1, kEast = 2, kNorth = 3, kWest = 4 };

Array1<int>& NeighbourOf(int side) {
    switch (side) {
        case kSouth: return Ccells;
        case kEast: return Ccelle;
        case kNorth: return Ccelln;
        default: return Ccellw;
    }
}

Array1<int>& FaceOf(int side) {
    switch (side) {
        case kSouth: return Csurfs;
        case kEast: return Csurfe;
        case kNorth: return Csurfn;
        default: return Csurfw;
    }
}

// The two bottom corners of a side, in the order of the side numbering.
void SideCorners(int cell, int side, int* a, int* b) {
    switch (side) {
        case kSouth: *a = Cpoint1[cell]; *b = Cpoint2[cell]; break;
        case kEast: *a = Cpoint2[cell]; *b = Cpoint3[cell]; break;
        case kNorth: *a = Cpoint3[cell]; *b = Cpoint4[cell]; break;
        default: *a = Cpoint4[cell]; *b = Cpoint1[cell]; break;
    }
}

// The cell on the east or north side of an interface lies on its +i/+j side.
bool OnPlusSide(int side) { return side == kEast || side == kNorth; }

bool EdgesMatch(int pointA, int pointB, int point1, int point2) {
    return CompareEdges(Px1[pointA], Px1[pointB], Px1[point1], Px1[point2], Py1[pointA], Py1[pointB], Py1[point1],
                        Py1[point2]) != 0;
}

// Cells a walk down a column may visit; a longer walk means a broken column.
int CellLimit() { return static_cast<int>(Ccellb.size()); }

int BedCellOf(int cell) {
    for (int steps = 0; Ccellb[cell] != 0 && steps < CellLimit(); ++steps) cell = Ccellb[cell];
    return cell;
}

// The first top cell other than `cell` with an open side whose corners match
// A-B; 0 when there is none.
int FindPartner(int pointA, int pointB, int cell, int* partnerSide) {
    const int first = std::max(FirstCell, 1);
    const int last = std::min(LastCell, CellLimit() - 1);
    for (int m = first; m <= last; ++m) {
        if (m == cell || Ccellt[m] != 0) continue;
        for (int side = kSouth; side <= kWest; ++side) {
            if (NeighbourOf(side)[m] != 0) continue;
            int p1, p2;
            SideCorners(m, side, &p1, &p2);
            if (EdgesMatch(pointA, pointB, p1, p2)) {
                *partnerSide = side;
                return m;
            }
        }
    }
    return 0;
}

// The face of `own` on `side` now lies between `own` and `other`.
void GiveFaceBothCells(int own, int side, int other) {
    const int face = FaceOf(side)[own];
    if (OnPlusSide(side)) {
        Fcell1[face] = own;
        Fcell2[face] = other;
    } else {
        Fcell1[face] = other;
        Fcell2[face] = own;
    }
}

void Link(int c, int side, int m, int partnerSide) {
    NeighbourOf(partnerSide)[m] = c;
    NeighbourOf(side)[c] = m;
    GiveFaceBothCells(m, partnerSide, c);
    GiveFaceBothCells(c, side, m);
}

// The pair's faces with the face of the -i/-j cell first.
void StorePair(int pair, int c, int side, int m, int partnerSide) {
    const int fm = FaceOf(partnerSide)[m], fc = FaceOf(side)[c];
    EdgePairs[pair][0] = OnPlusSide(partnerSide) ? fm : fc;
    EdgePairs[pair][1] = OnPlusSide(partnerSide) ? fc : fm;
}

// False when the list is full: the pair is then not stored.
bool AddPair(int c, int side, int m, int partnerSide) {
    const int pair = NoEdgePairs + 1;
    if (pair >= MaxEdgePairs || static_cast<size_t>(pair) >= EdgePairs.extent1()) {
        if (LogAvailable()) {
            LogAppend("Error, increase 5th integer on F 65 data set, now at: %d\n", pair);
        } else {
            SetStatusText("cannot open file 'boogie' ");
        }
        return false;
    }
    NoEdgePairs = pair;
    StorePair(pair, c, side, m, partnerSide);
    return true;
}

// The algorithms whose bed cells of neighbouring columns meet each other.
bool BedCellsMeet() {
    return (GridAlgorithm >= 8 && GridAlgorithm <= 13) || (GridAlgorithm >= 30 && GridAlgorithm <= 40) ||
           GridAlgorithm > 99;
}

}  // namespace

int CompareEdges(double xA, double xB, double x1, double x2, double yA, double yB, double y1, double y2) {
    auto near = [](double a, double b) { return std::fabs(a - b) < EdgeMatchTolerance; };
    if (near(xA, x1) && near(yA, y1) && near(xB, x2) && near(yB, y2)) return 1;
    if (near(xA, x2) && near(yA, y2) && near(xB, x1) && near(yB, y1)) return 2;
    return 0;
}

int AddSurfaceEdge(int pointA, int pointB, int cell, int side) {
    if (side < kSouth || side > kWest) return 0;
    int partnerSide = 0;
    int m = FindPartner(pointA, pointB, cell, &partnerSide);
    if (m == 0) return 0;
    int c = cell;
    for (int level = 0;; ++level) {
        Link(c, side, m, partnerSide);
        if (!AddPair(c, side, m, partnerSide)) return -47;
        if (Ccellb[c] == 0 || Ccellb[m] == 0 || level >= CellLimit()) break;
        c = Ccellb[c];
        m = Ccellb[m];
    }
    const bool cAtBed = Ccellb[c] == 0, mAtBed = Ccellb[m] == 0;
    if (!BedCellsMeet() || (cAtBed && mAtBed)) return 1;
    // The shallower column's bed cell meets the deeper column's bed cell; the
    // deeper cell it met on the way down loses that link.
    if (cAtBed) {
        NeighbourOf(partnerSide)[m] = 0;
        (OnPlusSide(partnerSide) ? Fcell2 : Fcell1)[FaceOf(partnerSide)[m]] = 0;
        m = BedCellOf(m);
    } else {
        NeighbourOf(side)[c] = 0;
        (OnPlusSide(side) ? Fcell2 : Fcell1)[FaceOf(side)[c]] = 0;
        c = BedCellOf(c);
    }
    Link(c, side, m, partnerSide);
    StorePair(NoEdgePairs, c, side, m, partnerSide);
    return 1;
}
