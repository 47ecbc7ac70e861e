// Column-and-cell generation without a cell constructor (F 64 = 14, 15):
// every node gets one point per level it has, cells take their corners from
// that table and their faces are written directly. F 64 = 15 gives the bed
// cell of an unthinned column a full layer and joins the bed cells of
// neighbouring columns of different depth.
#include <algorithm>

#include "grid/alternative_columns.h"
#include "grid/grid_data.h"
#include "grid/grid_generation.h"
#include "grid/grid_services.h"
#include "run/globals.h"

namespace {

using altgrid::Bed;
using altgrid::Depth;
using altgrid::Surface;

bool Joining() { return GridAlgorithm == 15; }

template <class T>
bool Holds(const Array1<T>& a, long long index) {
    return index >= 0 && static_cast<size_t>(index) < a.size();
}

bool RoomForPoints(int count) {
    const long long last = static_cast<long long>(NoPoints) + count;
    return last < MaxPoints - 1 && Holds(Px1, last);
}

// The node's points from the bed up, at its top levels; the levels below
// them name the bed point.
bool CreateNodePoints(int i, int j) {
    const int nz = NoGridLinesZ;
    const double d = Depth(i, j);
    int m = 1;
    if (d >= DryDepth) {
        m = d < SingleCellDepth ? 2 : altgrid::PowerLevels(d, GenerationLargestDepth, LayerDepthExponent, nz - 1, 1);
    }
    m = std::clamp(m, 1, nz);
    GridWetPoint[i][j] = m;
    if (!RoomForPoints(m)) return false;
    const double b = Bed(i, j), s = Surface(i, j);
    for (int q = 0; q < m; ++q) {
        const int p = ++NoPoints;
        Px1[p] = Gridx[i][j];
        Py1[p] = Gridy[i][j];
        // A node of one level has only its bed point.
        Pz1[p] = m > 1 ? b + static_cast<double>(q) / (m - 1) * (s - b) : b;
        GenLevelWork[i][j][nz - m + 1 + q] = p;
    }
    for (int k = 1; k < nz - m + 1; ++k) GenLevelWork[i][j][k] = GenLevelWork[i][j][nz - m + 1];
    return true;
}

template <class F>
void ForEachColumn(const BlockRecord& r, F f) {
    for (int j = r.jFirst; j <= r.jLast; ++j) {
        for (int i = r.iFirst; i <= r.iLast; ++i) f(i, j);
    }
}

// F 64 = 15 raises a node (its cells never reach below its second point)
// for every column at it or for none, so the cells on both sides of a face
// agree on its corners. A thinned column is not raised, and a node raised
// next to one that is not would leave a bed cell and the cell beside it at
// one level with different corners; so a block with a thinned column keeps
// all its nodes as they are (and its bed cells then meet no differently
// shaped face to join). A node of one level has no second point.
bool RaiseBlock = false;

bool Raised(int i, int j) { return RaiseBlock && GridWetPoint[i][j] > 1; }

bool AnyThinned(const BlockRecord& r) {
    for (int j = r.jFirst; j <= r.jLast; ++j) {
        for (int i = r.iFirst; i <= r.iLast; ++i) {
            if (GridWetColumn[i][j] > 0 && GenColumnWork1[i][j] > 0) return true;
        }
    }
    return false;
}

int NewFace(int cell1, int cell2, int p1, int p2, int p3, int p4) {
    const int f = ++NoSurfaces;
    Fcell1[f] = cell1;
    Fcell2[f] = cell2;
    Fpoint1[f] = p1;
    Fpoint2[f] = p2;
    Fpoint3[f] = p3;
    Fpoint4[f] = p4;
    return f;
}

int CellAt(const BlockRecord& r, int i, int j, int k) {
    if (!altgrid::InsideBlock(r, i, j) || k < 1 || k > NoGridLinesZ) return 0;
    return CellIndex3[i][j][k];
}

void BuildCell(const BlockRecord& r, int i, int j, int k, int c) {
    const int nz = NoGridLinesZ;
    int p[9];
    const bool raise = Joining() && GenColumnWork1[i][j] < 1;
    const int below = k > 1 ? CellIndex3[i][j][k - 1] : 0;
    for (int q = 0; q < 4; ++q) {
        const int a = i + kColumnCornerDi[q], b = j + kColumnCornerDj[q];
        p[q + 1] = GenLevelWork[a][b][k - 1];
        p[q + 5] = GenLevelWork[a][b][k];
        if (raise && Raised(a, b)) {
            const int second = GenLevelWork[a][b][nz - GridWetPoint[a][b] + 2];
            if (below != 0) p[q + 1] = std::max(p[q + 1], second);
            p[q + 5] = std::max(p[q + 5], second);
        }
    }
    Array1<int>* const corners[8] = {&Cpoint1, &Cpoint2, &Cpoint3, &Cpoint4, &Cpoint5, &Cpoint6, &Cpoint7, &Cpoint8};
    for (int q = 0; q < 8; ++q) (*corners[q])[c] = p[q + 1];
    const int w = CellAt(r, i - 1, j, k), e = CellAt(r, i + 1, j, k);
    const int s = CellAt(r, i, j - 1, k), n = CellAt(r, i, j + 1, k);
    const int t = k < nz ? CellIndex3[i][j][k + 1] : 0;
    Ccellw[c] = w;
    Ccelle[c] = e;
    Ccells[c] = s;
    Ccelln[c] = n;
    Ccellb[c] = below;
    Ccellt[c] = t;
    Csurfb[c] = NewFace(below, c, p[1], p[2], p[3], p[4]);
    if (below != 0) Csurft[below] = Csurfb[c];
    // Every side gets its face once: the west and south ones from this cell,
    // the east and north ones from the cell beyond or, on the boundary, here.
    // A side of zero height gets a face of zero area.
    Csurfw[c] = NewFace(w, c, p[1], p[4], p[8], p[5]);
    if (w != 0) Csurfe[w] = Csurfw[c];
    Csurfs[c] = NewFace(s, c, p[1], p[5], p[6], p[2]);
    if (s != 0) Csurfn[s] = Csurfs[c];
    if (k == nz) Csurft[c] = NewFace(c, 0, p[5], p[6], p[7], p[8]);
    if (e == 0) Csurfe[c] = NewFace(c, 0, p[2], p[3], p[7], p[6]);
    if (n == 0) Csurfn[c] = NewFace(c, 0, p[4], p[8], p[7], p[3]);
}

bool SameFace(int f, int g) {
    return f > 0 && g > 0 && Fpoint1[f] == Fpoint1[g] && Fpoint2[f] == Fpoint2[g] && Fpoint3[f] == Fpoint3[g] &&
           Fpoint4[f] == Fpoint4[g];
}

// One side of the bed-cell joining. `own`/`far` are the face arrays of the
// joining side of `a` and of the facing side of `b`; `ownCell`/`farCell` the
// neighbour arrays; `wallCorners` the corner arrays of a face on the facing
// side, in face order.
struct JoinSide {
    Array1<int>* ownFace;   // a's side (west or south)
    Array1<int>* farFace;   // b's side (east or north)
    Array1<int>* ownCell;
    Array1<int>* farCell;
    Array1<int>* const* farCorners;  // a face on b's side, from its cell's corners
    Array1<int>* const* ownCorners;  // a face on a's side, from its cell's corners
};

void TakeCorners(int f, int cell, Array1<int>* const* corners) {
    Fpoint1[f] = (*corners[0])[cell];
    Fpoint2[f] = (*corners[1])[cell];
    Fpoint3[f] = (*corners[2])[cell];
    Fpoint4[f] = (*corners[3])[cell];
}

void Join(const JoinSide& side, int a, int na, int b, int nb) {
    const int fa = (*side.ownFace)[a], fb = (*side.farFace)[b];
    // The bed cells meet only where their faces are one; never take over a
    // face that is not there.
    if (fa <= 0 || fb <= 0 || !SameFace(fa, fb)) return;
    if (na < nb) {
        // a's old neighbour keeps the face a gives up as its wall.
        const int x = (*side.ownCell)[a];
        if (x > 0) {
            (*side.farCell)[x] = 0;
            Fcell2[fa] = 0;
            TakeCorners(fa, x, side.farCorners);
        }
        (*side.ownFace)[a] = fb;
        Fcell2[fb] = a;
    } else {
        const int y = (*side.farCell)[b];
        if (y > 0) {
            (*side.ownCell)[y] = 0;
            Fcell1[fb] = 0;
            TakeCorners(fb, y, side.ownCorners);
        }
        (*side.farFace)[b] = fa;
        Fcell1[fa] = b;
    }
    (*side.ownCell)[a] = b;
    (*side.farCell)[b] = a;
}

Array1<int>* const kEastCorners[4] = {&Cpoint2, &Cpoint3, &Cpoint7, &Cpoint6};
Array1<int>* const kWestCorners[4] = {&Cpoint1, &Cpoint4, &Cpoint8, &Cpoint5};
Array1<int>* const kNorthCorners[4] = {&Cpoint4, &Cpoint8, &Cpoint7, &Cpoint3};
Array1<int>* const kSouthCorners[4] = {&Cpoint1, &Cpoint5, &Cpoint6, &Cpoint2};

void JoinBedCells(const BlockRecord& r) {
    const JoinSide west{&Csurfw, &Csurfe, &Ccellw, &Ccelle, kEastCorners, kWestCorners};
    const JoinSide south{&Csurfs, &Csurfn, &Ccells, &Ccelln, kNorthCorners, kSouthCorners};
    ForEachColumn(r, [&](int i, int j) {
        const int n = GridWetColumn[i][j];
        if (n <= 0 || GenColumnWork1[i][j] != 0) return;
        const int a = static_cast<int>(Gridz[i][j][0]);
        auto joinWith = [&](const JoinSide& side, int i2, int j2) {
            if (!altgrid::InsideBlock(r, i2, j2)) return;
            const int n2 = GridWetColumn[i2][j2];
            if (n2 <= 0 || n2 == n || GenColumnWork1[i2][j2] != 0) return;
            Join(side, a, n, static_cast<int>(Gridz[i2][j2][0]), n2);
        };
        joinWith(west, i - 1, j);
        joinWith(south, i, j - 1);
    });
}

bool BuildBlock(const BlockRecord& r) {
    const int nz = NoGridLinesZ;
    for (int i = r.iFirst - 1; i <= r.iLast; ++i) {
        for (int j = r.jFirst - 1; j <= r.jLast; ++j) {
            for (int k = 1; k <= nz; ++k) CellIndex3[i][j][k] = GenLevelWork[i][j][k] = 0;
        }
    }
    for (int j = r.jFirst - 1; j <= r.jLast; ++j) {
        for (int i = r.iFirst - 1; i <= r.iLast; ++i) {
            if (!CreateNodePoints(i, j)) return false;
        }
    }
    ForEachColumn(r, [&](int i, int j) {
        int n = altgrid::LargestCorner(i, j) - 1;
        GenColumnWork1[i][j] = 0;
        if (altgrid::CornerSum(i, j) < 2) n = 0;
        if (n > 0) {
            const int thinned = altgrid::ThinningLayers(i, j, altgrid::ShorterSide(i, j));
            if (Joining()) GenColumnWork1[i][j] = thinned;
            n -= thinned;
        }
        GridWetColumn[i][j] = std::max(n, 0);
    });
    altgrid::NumberColumns(r, true);
    RaiseBlock = Joining() && !AnyThinned(r);
    bool built = true;
    ForEachColumn(r, [&](int i, int j) {
        for (int k = 1; k <= nz && built; ++k) {
            const int c = CellIndex3[i][j][k];
            if (c <= 0) continue;
            built = altgrid::BuildGuarded(c, [&] { BuildCell(r, i, j, k, c); });
        }
    });
    if (built && Joining()) JoinBedCells(r);
    return built;
}

}  // namespace

bool BuildColumnsDirect() {
    for (int b = 1; b <= NoBlocks; ++b) {
        BlockRecord& r = BlockTable[b];
        if (r.depthAveraged == 1) continue;
        altgrid::OpenRanges(r);
        if (!BuildBlock(r)) {
            GenerationFailedBlock = b;
            return false;
        }
        altgrid::CloseRanges(r);
    }
    return true;
}
