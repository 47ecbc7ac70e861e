// Column-and-cell generation with split faces (F 137): the layers are aligned
// at the bed, so neighbouring columns share their levels from the bed up, and
// the top cell of a column with fewer layers faces several cells of its
// deeper neighbour across one side. Those sides are listed per cell for the
// equation builders and solvers.
#include <algorithm>
#include <cmath>
#include <utility>

#include "grid/grid_data.h"
#include "grid/grid_generation.h"
#include "grid/grid_services.h"
#include "run/globals.h"

namespace {

double Bed(int i, int j) { return Gridz[i][j][1]; }
double Surface(int i, int j) { return Gridz[i][j][NoGridLinesZ]; }

template <class F>
void ForEachNode(const BlockRecord& r, F f) {
    for (int i = r.iFirst - 1; i <= r.iLast; ++i) {
        for (int j = r.jFirst - 1; j <= r.jLast; ++j) f(i, j);
    }
}

// Columns with j outer and i inner, as they are numbered.
template <class F>
void ForEachColumn(const BlockRecord& r, F f) {
    for (int j = r.jFirst; j <= r.jLast; ++j) {
        for (int i = r.iFirst; i <= r.iLast; ++i) f(i, j);
    }
}

int LevelCount(double d) {
    if (d < DryDepth) return 1;
    if (d < SingleCellDepth) return 2;
    const int nz = NoGridLinesZ;
    // Without any wet node there is no scale: every deeper node takes all
    // levels.
    const double largest = GenerationLargestDepth;
    if (!(largest > 0.0)) return nz;
    const double share = std::pow(std::clamp(d / largest, 0.0, 1.0), LayerDepthExponent) * (nz - 2);
    return 2 + static_cast<int>(std::min(share, static_cast<double>(nz - 2)));
}

void CountLevelsAndLayers(const BlockRecord& r) {
    const int nz = NoGridLinesZ;
    ForEachNode(r, [&](int i, int j) {
        for (int k = 1; k <= nz; ++k) CellIndex3[i][j][k] = 0;
        GridWetPoint[i][j] = LevelCount(Surface(i, j) - Bed(i, j));
    });
    ForEachColumn(r, [&](int i, int j) {
        int largest = 0, sum = 0;
        for (int c = 0; c < 4; ++c) {
            const int m = GridWetPoint[i + kColumnCornerDi[c]][j + kColumnCornerDj[c]];
            largest = std::max(largest, m);
            sum += m;
        }
        const bool dry = sum < 2 || GridRegion[i][j] == 1;
        GridWetColumn[i][j] = dry ? 0 : std::min(largest - 1, nz - 1);
    });
    // The smallest and the largest layer count of the wet columns around
    // each node.
    ForEachNode(r, [](int i, int j) {
        int mn = 0, mx = 0;
        for (const auto& [a, b] : {std::pair{i, j}, std::pair{i + 1, j}, std::pair{i + 1, j + 1}, std::pair{i, j + 1}}) {
            const int n = GridWetColumn[a][b];
            if (n <= 0) continue;
            mn = mn == 0 ? n : std::min(mn, n);
            mx = std::max(mx, n);
        }
        GenColumnWork3[i][j] = mn;
        GenColumnWork2[i][j] = mx;
    });
}

// Level k = L + 1 holds layer L; the bed cell sits at level 2.
void NumberCells(const BlockRecord& r) {
    ForEachColumn(r, [](int i, int j) {
        const int n = GridWetColumn[i][j];
        if (n <= 0) return;
        Gridz[i][j][0] = NoCells + 1;
        for (int k = 2; k <= n + 1; ++k) CellIndex3[i][j][k] = ++NoCells;
    });
}

// The share of the depth below the bottom (`top` false) or the top of layer
// `layer` of a column of n layers at node (a, b): the lowest layers of the
// shallowest column around the node are even, and the deeper columns divide
// its top layer among their extra layers.
double CornerHeight(int a, int b, int n, int layer, bool top) {
    const int m = GridWetPoint[a][b];
    const double s = Surface(a, b);
    if (m <= 1 || (top && layer == n)) return s;
    const int mn = GenColumnWork3[a][b], mx = GenColumnWork2[a][b];
    const int k = layer + 1;
    double f;
    if (mn < k && mn < n) {
        f = 1.0 - static_cast<double>(mx + (top ? 1 : 2) - k) / (static_cast<double>(mx + 1 - mn) * mn);
    } else {
        f = (top ? layer : layer - 1) / (mn + 1e-10);
    }
    const double w = LayerWeight(f);
    return (1.0 - w) * Bed(a, b) + w * s;
}

void PlaceCorners(int i, int j, int n, int layer) {
    for (int c = 0; c < 4; ++c) {
        const int a = i + kColumnCornerDi[c], b = j + kColumnCornerDj[c];
        CellWork.x[c + 1] = CellWork.x[c + 5] = Gridx[a][b];
        CellWork.y[c + 1] = CellWork.y[c + 5] = Gridy[a][b];
        CellWork.z[c + 1] = CornerHeight(a, b, n, layer, false);
        CellWork.z[c + 5] = CornerHeight(a, b, n, layer, true);
    }
}

// The neighbour of layer L across one side: the cell at the same level, or
// the top cell of a shallower neighbour from its top layer up.
int SideNeighbour(bool exists, int i2, int j2, int k, int layer) {
    if (!exists) return 0;
    const int n2 = GridWetColumn[i2][j2];
    if (n2 <= 0) return 0;
    return layer >= n2 ? CellIndex3[i2][j2][n2 + 1] : CellIndex3[i2][j2][k];
}

// Two cells meet one to one below the top cell of the shallower column.
bool OneToOne(int n, int n2, int layer) {
    const int e = n - n2;
    return e == 0 || (e < 0 && layer < n) || (e > 0 && layer < n2);
}

void LinkAndShare(const BlockRecord& r, int i, int j, int n, int layer) {
    const int k = layer + 1;
    int* nb = CellWork.neighbour;
    nb[1] = SideNeighbour(j > r.jFirst, i, j - 1, k, layer);
    nb[2] = SideNeighbour(i < r.iLast, i + 1, j, k, layer);
    nb[3] = SideNeighbour(j < r.jLast, i, j + 1, k, layer);
    nb[4] = SideNeighbour(i > r.iFirst, i - 1, j, k, layer);
    nb[5] = CellIndex3[i][j][k - 1];
    nb[6] = CellIndex3[i][j][k + 1];
    int* f = CellWork.surface;
    for (int s = 1; s <= 6; ++s) f[s] = 0;
    if (j > r.jFirst && nb[1] != 0 && OneToOne(n, GridWetColumn[i][j - 1], layer)) f[1] = Csurfn[nb[1]];
    if (i > r.iFirst && nb[4] != 0 && OneToOne(n, GridWetColumn[i - 1][j], layer)) f[4] = Csurfe[nb[4]];
    if (nb[5] != 0) f[5] = Csurft[nb[5]];
}

bool BuildBlockCells(const BlockRecord& r) {
    bool built = true;
    ForEachColumn(r, [&](int i, int j) {
        const int n = GridWetColumn[i][j];
        for (int layer = 1; built && layer <= n; ++layer) {
            const int cell = CellIndex3[i][j][layer + 1];
            PlaceCorners(i, j, n, layer);
            LinkAndShare(r, i, j, n, layer);
            if (!RoomForCell(cell)) {
                built = false;
                break;
            }
            AddHexCell(cell);
            if (CapacityReached()) built = false;
        }
    });
    return built;
}

// One side of a top cell that may face several cells of a deeper neighbour.
struct SplitSide {
    int di, dj;
    Array1<int>& count;
    Array2<int>& list;
    Array1<int>& facingFace;  // of a facing cell, towards the top cell
    Array1<int>& ownFace;     // the top cell's own face on the side
    bool topCellFirst;        // the top cell is Fcell1 of the side's faces
};

bool Inside(const BlockRecord& r, int i, int j) {
    return i >= r.iFirst && i <= r.iLast && j >= r.jFirst && j <= r.jLast;
}

void ListSplitSides(const BlockRecord& r) {
    SplitSide sides[4] = {
        {0, -1, Cnocellss, CnbMultiS, Csurfn, Csurfs, false},
        {1, 0, Cnocellse, CnbMultiE, Csurfw, Csurfe, true},
        {0, 1, Cnocellsn, CnbMultiN, Csurfs, Csurfn, true},
        {-1, 0, Cnocellsw, CnbMultiW, Csurfe, Csurfw, false},
    };
    ForEachColumn(r, [&](int i, int j) {
        const int n = GridWetColumn[i][j];
        if (n <= 0) return;
        const int c = CellIndex3[i][j][n + 1];
        for (SplitSide& side : sides) {
            const int i2 = i + side.di, j2 = j + side.dj;
            if (!Inside(r, i2, j2)) continue;
            const int n2 = GridWetColumn[i2][j2];
            if (n2 <= n) continue;
            // The neighbour's cells from the level of c up to its top.
            const int count = std::min(n2 - n + 1, static_cast<int>(side.list.extent2()));
            side.count[c] = count;
            for (int e = 0; e < count; ++e) {
                const int nb = CellIndex3[i2][j2][n + 1 + e];
                side.list[c][e] = nb;
                (side.topCellFirst ? Fcell1 : Fcell2)[side.facingFace[nb]] = c;
            }
            // The cell's own face stands for the side in the surface loops,
            // with the middle facing cell behind it.
            const int own = side.ownFace[c];
            (side.topCellFirst ? Fcell2 : Fcell1)[own] = side.list[c][count / 2];
            Fgenflag[own] = 1;
        }
    });
}

bool SplitListsExist() {
    for (const Array1<int>* a : {&Cnocellss, &Cnocellse, &Cnocellsn, &Cnocellsw}) {
        if (!a->exists()) return false;
    }
    for (const Array2<int>* a : {&CnbMultiS, &CnbMultiE, &CnbMultiN, &CnbMultiW}) {
        if (!a->exists() || a->extent2() < 1) return false;
    }
    return true;
}

}  // namespace

bool GenerateSplitFaceColumns() {
    for (int b = 1; b <= NoBlocks; ++b) {
        BlockRecord& r = BlockTable[b];
        if (r.depthAveraged == 1) continue;
        r.firstCell = NoCells + 1;
        r.firstSurface = NoSurfaces + 1;
        r.firstPoint = NoPoints + 1;
        if (r.field8 == 1) {
            CountLevelsAndLayers(r);
            NumberCells(r);
            if (!BuildBlockCells(r)) {
                GenerationFailedBlock = b;
                return false;
            }
        }
        r.lastCell = NoCells;
        r.lastSurface = NoSurfaces;
        r.lastPoint = NoPoints;
    }
    if (!SplitListsExist()) return true;
    for (int b = 1; b <= NoBlocks; ++b) {
        if (BlockTable[b].depthAveraged != 1) ListSplitSides(BlockTable[b]);
    }
    return true;
}
