// The default column-and-cell generation (F 64 = 8, 11, 13, 38 and above 99):
// levels per node from its depth, layers per column from its deepest corner,
// columns aligned at the water surface, shallow corners collapsing the lower
// layers onto the bed.
#include <algorithm>
#include <cmath>

#include "grid/grid_data.h"
#include "grid/grid_generation.h"
#include "grid/grid_services.h"
#include "run/globals.h"

namespace {

// Nodes of column (i, j) in corner order 1..4.
constexpr const int* kCornerDi = kColumnCornerDi;
constexpr const int* kCornerDj = kColumnCornerDj;

double Bed(int i, int j) { return Gridz[i][j][1]; }
double Surface(int i, int j) { return Gridz[i][j][NoGridLinesZ]; }
double Depth(int i, int j) { return Surface(i, j) - Bed(i, j); }

template <class F>
void ForEachNode(const BlockRecord& r, F f) {
    for (int i = r.iFirst - 1; i <= r.iLast; ++i) {
        for (int j = r.jFirst - 1; j <= r.jLast; ++j) f(i, j);
    }
}

bool IsAlgorithm(int a) { return GridAlgorithm == a; }

// F 238: an overlapping block takes one water or bed level everywhere.
void CoupleLevels(const BlockRecord& r) {
    if (r.overlapLevel <= 0) return;
    if (BlockCouplingOption == 1) ForEachNode(r, [](int i, int j) { Gridz[i][j][NoGridLinesZ] = F238Value2; });
    if (BlockCouplingOption == 2) ForEachNode(r, [](int i, int j) { Gridz[i][j][1] = F238Value2; });
}

int LevelCount(double d, double scale) {
    if (d < DryDepth) return 1;
    if (d < SingleCellDepth) return 2;
    const int nz = NoGridLinesZ;
    // A negative single-cell depth must not reach the power with a negative base.
    const double share = std::pow(std::max(d * scale, 0.0), LayerDepthExponent) * (nz - 2);
    return 2 + static_cast<int>(std::min(share, static_cast<double>(nz - 2)));
}

int LayerCount(int i, int j) {
    int largest = 0, sum = 0;
    double depths = 0.0;
    for (int c = 0; c < 4; ++c) {
        const int m = GridWetPoint[i + kCornerDi[c]][j + kCornerDj[c]];
        largest = std::max(largest, m);
        sum += m;
        depths += Depth(i + kCornerDi[c], j + kCornerDj[c]);
    }
    const double mean = 0.25 * depths;
    const bool dry = (IsAlgorithm(13) && GridOldBedCell[i][j] == 0 && mean < F162Value) || sum < 2 ||
                     GridRegion[i][j] == 1 || ((IsAlgorithm(111) || IsAlgorithm(113)) && depths < 0.0) ||
                     (IsAlgorithm(112) && mean < F162Value);
    return dry ? 0 : largest - 1;
}

void CountLevelsAndLayers(const BlockRecord& r) {
    const int nz = NoGridLinesZ;
    const double scale = (r.overlapLevel < 1 ? F192Value : 1.0) / (MaxDepth + 1e-10);
    ForEachNode(r, [&](int i, int j) {
        for (int k = 1; k <= nz; ++k) CellIndex3[i][j][k] = 0;
        GridWetPoint[i][j] = LevelCount(Depth(i, j), scale);
    });
    MarkWetPoints(r.iFirst, r.iLast, r.jFirst, r.jLast);
    for (int j = r.jFirst; j <= r.jLast; ++j) {
        for (int i = r.iFirst; i <= r.iLast; ++i) GridWetColumn[i][j] = LayerCount(i, j);
    }
    CleanWetColumns(r.iFirst, r.iLast, r.jFirst, r.jLast);
    // Regions are not limited to the block.
    for (int g = 1; g <= NoG13Regions; ++g) {
        const G13Region& region = G13Regions[g];
        for (int i = std::max(region.iFirst, 0); i <= std::min(region.iLast, NoGridLinesX + 1); ++i) {
            for (int j = std::max(region.jFirst, 0); j <= std::min(region.jLast, NoGridLinesY + 1); ++j) {
                GridWetColumn[i][j] = 0;
            }
        }
    }
    for (int i = r.iFirst; i <= r.iLast; ++i) {
        for (int j = r.jFirst; j <= r.jLast; ++j) {
            if (GridRegion[i][j] == 1) GridWetColumn[i][j] = 0;
        }
    }
}

// Cell numbers are fixed before any cell is built, so every neighbour is
// known from CellIndex3 whether it is built yet or not.
void NumberCells(const BlockRecord& r) {
    const int nz = NoGridLinesZ;
    const bool reversed = F165Flag != 0;
    for (int jj = r.jFirst; jj <= r.jLast; ++jj) {
        const int j = reversed ? r.jFirst + r.jLast - jj : jj;
        for (int i = r.iFirst; i <= r.iLast; ++i) {
            const int n = GridWetColumn[i][j];
            if (n <= 0) continue;
            Gridz[i][j][0] = NoCells + 1;
            for (int k = nz + 1 - n; k <= nz; ++k) CellIndex3[i][j][k] = ++NoCells;
        }
    }
}

double Slope(int i1, int j1, int i2, int j2) {
    const double dx = Gridx[i2][j2] - Gridx[i1][j1], dy = Gridy[i2][j2] - Gridy[i1][j1];
    return (Bed(i2, j2) - Bed(i1, j1)) / std::sqrt(dx * dx + dy * dy + 1e-20);
}

// The higher end of every edge steeper than 0.37 (F 159 fifth value 3).
void FlagSteepNodes(const BlockRecord& r) {
    auto flag = [](int i1, int j1, int i2, int j2) {
        const double s = Slope(i1, j1, i2, j2);
        if (s > 0.37) GenColumnWork1[i2][j2] = 1;
        if (s < -0.37) GenColumnWork1[i1][j1] = 1;
    };
    for (int j = r.jFirst; j <= r.jLast; ++j) {
        for (int i = r.iFirst; i <= r.iLast; ++i) flag(i - 1, j, i, j);
    }
    for (int j = r.jFirst; j <= r.jLast; ++j) {
        for (int i = r.iFirst; i <= r.iLast; ++i) flag(i, j - 1, i, j);
    }
}

// One column being built: its indexes, layer count and the corner offsets of
// the steep-bed variant.
struct Column {
    const BlockRecord& block;
    int i, j, n;
    int offset[4] = {};
};

// F 159 fifth value 4: how many levels each corner's bed stands above the
// lowest part of a steep bed plane.
void SteepOffsets(Column& col) {
    const int i = col.i, j = col.j;
    auto at = [](int a, int b, double v[3]) {
        v[0] = Gridx[a][b];
        v[1] = Gridy[a][b];
        v[2] = Bed(a, b);
    };
    double p11[3], p00[3], p10[3], p01[3];
    at(i, j, p11);
    at(i - 1, j - 1, p00);
    at(i, j - 1, p10);
    at(i - 1, j, p01);
    const double d1[3] = {p11[0] - p00[0], p11[1] - p00[1], p11[2] - p00[2]};
    const double d2[3] = {p10[0] - p01[0], p10[1] - p01[1], p10[2] - p01[2]};
    double nrm[3] = {d1[1] * d2[2] - d1[2] * d2[1], d1[2] * d2[0] - d1[0] * d2[2], d1[0] * d2[1] - d1[1] * d2[0]};
    const double len = std::sqrt(nrm[0] * nrm[0] + nrm[1] * nrm[1] + nrm[2] * nrm[2]) + 1e-20;
    for (double& v : nrm) v /= len;
    GenColumnWork1[i][j] = 0;
    // The diagonals of a counter-clockwise column give a downward normal, so
    // the test takes its size: a flat bed is never steep.
    if (std::fabs(nrm[2]) >= 0.93969 || std::fabs(nrm[2]) < 1e-12) return;
    // The lowest of (i, j), (i-1, j) and (i-1, j-1); (i-1, j) wins a tie with (i, j).
    const double* low = Bed(i - 1, j) <= Bed(i, j) ? p01 : p11;
    if (p00[2] < low[2]) low = p00;
    int largest = 0;
    for (int c = 0; c < 4; ++c) {
        const int a = i + kCornerDi[c], b = j + kCornerDj[c];
        const int m = GridWetPoint[a][b];
        if (m < 2) continue;
        // Height above the plane through the lowest point, along the vertical.
        const double planeZ = low[2] - (nrm[0] * (Gridx[a][b] - low[0]) + nrm[1] * (Gridy[a][b] - low[1])) / nrm[2];
        const double height = std::max(Bed(a, b) - planeZ, 0.0);
        const double level = (Surface(a, b) - Bed(a, b)) / (m - 1);
        col.offset[c] = level > 0.0 ? static_cast<int>(height / level) : 0;
        largest = std::max(largest, col.offset[c]);
    }
    GenColumnWork1[i][j] = largest;
}

double ReferenceBottom(int a, int b, int m) {
    const double bed = Bed(a, b);
    if (F159Int5 == 2 && m >= 2) return std::min(bed, Surface(a, b) - SingleCellDepth);
    if (F159Int5 == 3 && GenColumnWork1[a][b] == 1) return std::min(bed, Surface(a, b) - SingleCellDepth);
    return bed;
}

double Height(int a, int b, int m, double f) {
    const double s = Surface(a, b), r = ReferenceBottom(a, b, m);
    if (r > s) return s;
    const double w = LayerWeight(f);
    return w * r + (1.0 - w) * s;
}

// Corner heights of layer L at level k.
void PlaceCorners(const Column& col, int k, int layer) {
    const int nz = NoGridLinesZ;
    for (int c = 0; c < 4; ++c) {
        const int a = col.i + kCornerDi[c], b = col.j + kCornerDj[c];
        const int m = GridWetPoint[a][b];
        const double q = (m - 1) + 1e-10;
        double bottom = (nz - k + 1) / q;
        if (layer > 1) bottom = std::min(bottom, 1.0 - 1.0 / q);
        const double top = std::min((nz - k) / q, 1.0 - 1.0 / q);
        CellWork.z[c + 1] = Height(a, b, m, bottom);
        CellWork.z[c + 5] = Height(a, b, m, top);
        const int o = col.offset[c];
        if (o >= layer) {
            const double h = m > 1 ? std::max(Depth(a, b), 0.0) / (m - 1 + 1e-10) : 0.0;
            CellWork.z[c + 1] -= (o + 1 - layer) * h;
            CellWork.z[c + 1] -= (o - layer) * h;
        }
    }
}

// Layers of a column that lie below its steep-bed offset (F 159 fifth value
// 4); they meet no neighbour.
int LinkOffset(int i, int j, int n) { return F159Int5 == 4 ? std::clamp(GenColumnWork1[i][j], 0, n - 1) : 0; }

// The neighbour across one side: the bed cells of two columns meet, the
// layers above meet level by level from the surface down, and the extra lower
// layers of the deeper column have a wall there. With steep-bed offsets the
// same rule joins the parts of the two columns above their offsets, so the
// links stay mutual and name only cells that exist.
int SideNeighbour(const Column& col, bool exists, int i2, int j2, int k, int layer) {
    if (!exists) return 0;
    const int n2 = GridWetColumn[i2][j2];
    if (n2 <= 0) return 0;
    const int o = LinkOffset(col.i, col.j, col.n), o2 = LinkOffset(i2, j2, n2);
    const int l = layer - o;
    if (l < 1) return 0;
    const int e = (col.n - o) - (n2 - o2);
    if (e == 0) return CellIndex3[i2][j2][k];
    if (l == 1) return CellIndex3[i2][j2][NoGridLinesZ] + 1 - n2 + o2;
    if (e > 0 && l <= e + 1) return 0;
    return CellIndex3[i2][j2][k];
}

bool Shallow(int i, int j) {
    const double d = Depth(i, j);
    switch (F159Int2) {
        case 9: return d < DryDepth;
        case 10: return d < 0.0;
        case 13: return d < SingleCellDepth;
        default: return false;
    }
}

bool SideCut(int i1, int j1, int i2, int j2) { return Shallow(i1, j1) && Shallow(i2, j2); }

void LinkSides(const Column& col, int k, int layer) {
    const BlockRecord& r = col.block;
    const int i = col.i, j = col.j;
    int* nb = CellWork.neighbour;
    nb[1] = SideNeighbour(col, j > r.jFirst, i, j - 1, k, layer);
    nb[2] = SideNeighbour(col, i < r.iLast, i + 1, j, k, layer);
    nb[3] = SideNeighbour(col, j < r.jLast, i, j + 1, k, layer);
    nb[4] = SideNeighbour(col, i > r.iFirst, i - 1, j, k, layer);
    nb[5] = CellIndex3[i][j][k - 1];
    nb[6] = CellIndex3[i][j][k + 1];
    if (F159Int2 == 9 || F159Int2 == 10 || F159Int2 == 13) {
        if (SideCut(i, j - 1, i - 1, j - 1)) nb[1] = 0;
        if (SideCut(i, j, i, j - 1)) nb[2] = 0;
        if (SideCut(i, j, i - 1, j)) nb[3] = 0;
        if (SideCut(i - 1, j - 1, i - 1, j)) nb[4] = 0;
    }
}

// West, south and bottom cells are built before this one; east, north and
// top faces are always new.
void KnownFaces(const Column& col) {
    int* f = CellWork.surface;
    const int* nb = CellWork.neighbour;
    for (int s = 1; s <= 6; ++s) f[s] = 0;
    if (col.i > col.block.iFirst && nb[4] != 0) f[4] = Csurfe[nb[4]];
    if (col.j > col.block.jFirst && nb[1] != 0) f[1] = Csurfn[nb[1]];
    if (nb[5] != 0) f[5] = Csurft[nb[5]];
}

template <class F>
void ForEachWetColumn(const BlockRecord& r, F f) {
    for (int j = r.jFirst; j <= r.jLast; ++j) {
        for (int i = r.iFirst; i <= r.iLast; ++i) {
            if (GridWetColumn[i][j] > 0) f(i, j);
        }
    }
}

bool BuildColumn(Column& col) {
    const int nz = NoGridLinesZ;
    if (F159Int5 == 4) SteepOffsets(col);
    for (int c = 0; c < 4; ++c) {
        const int a = col.i + kCornerDi[c], b = col.j + kCornerDj[c];
        CellWork.x[c + 1] = CellWork.x[c + 5] = Gridx[a][b];
        CellWork.y[c + 1] = CellWork.y[c + 5] = Gridy[a][b];
    }
    for (int k = nz + 1 - col.n; k <= nz; ++k) {
        const int layer = k - (nz - col.n);
        const int cell = CellIndex3[col.i][col.j][k];
        PlaceCorners(col, k, layer);
        LinkSides(col, k, layer);
        KnownFaces(col);
        if (!RoomForCell(cell)) return false;
        AddHexCell(cell);
        if (CapacityReached()) return false;
    }
    return true;
}

}  // namespace

bool GenerateDefaultColumns() {
    for (int b = 1; b <= NoBlocks; ++b) {
        BlockRecord& r = BlockTable[b];
        if (r.depthAveraged == 1) continue;
        r.firstCell = NoCells + 1;
        r.firstSurface = NoSurfaces + 1;
        r.firstPoint = NoPoints + 1;
        CoupleLevels(r);
        if (r.field8 == 1) CountLevelsAndLayers(r);
        NumberCells(r);
        if (F159Int5 == 3) FlagSteepNodes(r);
        // Links need the offsets of the columns not built yet.
        if (F159Int5 == 4) ForEachWetColumn(r, [&r](int i, int j) {
            Column col{r, i, j, GridWetColumn[i][j]};
            SteepOffsets(col);
        });
        bool built = true;
        ForEachWetColumn(r, [&](int i, int j) {
            Column col{r, i, j, GridWetColumn[i][j]};
            built = built && BuildColumn(col);
        });
        if (!built) {
            GenerationFailedBlock = b;
            return false;
        }
        r.lastCell = NoCells;
        r.lastSurface = NoSurfaces;
        r.lastPoint = NoPoints;
    }
    return true;
}
