// The column-layer block: a soil block under the bed of a structured block.
// Its nodes sit in the structured index plane beside the block, shifted by
// o = J1 - J0 + 3 rows, so layer column (i, j + o) lies under column (i, j).
// Each layer column holds a base cell from the base level (plane 3) up to the
// lower level (plane 5) and graded layer cells from there up to the bed; the
// alternative variant fills base level to bed with graded cells only.
#include <algorithm>
#include <cmath>

#include "grid/grid_data.h"
#include "grid/grid_generation.h"
#include "grid/grid_services.h"
#include "run/fatal.h"
#include "run/globals.h"
#include "sediment/sediment_data.h"

bool LayerBlockFirstRunDone = false;

namespace {

constexpr int kBasePlane = 3;
constexpr int kLowerPlane = 5;

// Index geometry of the layer block of block b.
struct LayerGeometry {
    int b;
    int i0, i1;    // columns of block b along i
    int j0, j1;    // columns of block b along j
    int o;         // row offset from a block node to its layer node
    int jFirst;    // first layer column row
    int j2;        // last layer column row
};

LayerGeometry GeometryOf(int b) {
    const BlockRecord& r = BlockTable[b];
    LayerGeometry g{b, r.iFirst, r.iLast, r.jFirst, r.jLast, 0, 0, 0};
    g.o = g.j1 - g.j0 + 3;
    g.jFirst = g.j1 + 3;
    g.j2 = 2 * g.j1 - g.j0 + 3;
    return g;
}

double& Lower(int i, int j) { return GridLevels[kLowerPlane][i][j]; }
double Base(int i, int j) { return GridLevels[kBasePlane][i][j]; }

// The record after block b may be free or hold this block's layer block
// (built now, or read back from a grid file that does not store the flag);
// anything else is a second structured block the layer block would overwrite.
bool SameShape(const BlockRecord& r, const LayerGeometry& g) {
    return r.iFirst == g.i0 && r.iLast == g.i1 && r.jFirst == g.jFirst && r.jLast == g.j2;
}

bool RecordFree(const LayerGeometry& g) {
    const BlockRecord& r = BlockTable[g.b + 1];
    return r.layerBlock == 1 || (r.iLast <= 0 && r.jLast <= 0) || SameShape(r, g);
}

// The layer block needs the rows up to J2 + 1 of the structured arrays (and
// J2 below NoGridLinesY, which the grid reader demands of every block),
// record b + 1 of the block table and the planes 3 and 5 of GridLevels.
void RefuseWithoutRoom(const LayerGeometry& g) {
    if (g.b < 1 || g.b + 1 > kMaxBlocks || g.i0 < 1 || g.j0 < 1 || g.j1 < g.j0 || g.i1 < g.i0) {
        FailWithLog(kGridOverflowStatus, "Error: block %d has no columns for a layer block (G 1)\n", g.b);
    }
    if (NoGridLinesY <= g.j2) {
        FailWithLog(kGridOverflowStatus,
                    "Error: the layer block under block %d needs more than %d grid lines in j. "
                    "Increase the second G 1 value to %d or more\n",
                    g.b, g.j2, g.j2 + 1);
    }
    if (NoBlocks > g.b + 1 || !RecordFree(g)) {
        FailWithLog(kGridOverflowStatus,
                    "Error: the layer block needs block %d for itself, but G 1 gives the grid another "
                    "block there\n",
                    g.b + 1);
    }
    if (!GridLevels.exists() || GridLevels.extent1() <= static_cast<size_t>(kLowerPlane)) {
        FailWithLog(kGridOverflowStatus, "Error: the layer block has no level planes (G 1)\n");
    }
}

// Step 1 and the start of the record.
void StartRecord(const LayerGeometry& g, bool resetCounts) {
    BlockRecord& base = BlockTable[g.b];
    BlockRecord& r = BlockTable[g.b + 1];
    if (r.layerBlock != 1) NoBedCells = 0;
    NoBlocks = g.b + 1;
    if (resetCounts) {
        NoCells = base.lastCell;
        NoSurfaces = base.lastSurface;
        NoPoints = base.lastPoint;
    }
    r.iFirst = g.i0;
    r.iLast = g.i1;
    r.jFirst = g.jFirst;
    r.jLast = g.j2;
    r.layerBlock = 1;
    r.firstCell = NoCells + 1;
    r.firstSurface = NoSurfaces + 1;
    r.firstPoint = NoPoints + 1;
    r.lastCell = NoCells;
    r.lastSurface = NoSurfaces;
    r.lastPoint = NoPoints;
}

// Sums over the (up to four) columns of the previous layer block around
// layer node (i, j): their level, how many exist, how many are slide-marked.
struct AroundNode {
    double sum = 0.0;
    int count = 0;
    int marked = 0;
};

template <class Keep>
AroundNode ColumnsAround(int i, int j, Keep keep) {
    AroundNode a;
    const int di[4] = {0, 1, 0, 1}, dj[4] = {0, 0, 1, 1};
    for (int c = 0; c < 4; ++c) {
        const int n = pointbed[i + di[c]][j + dj[c]];
        if (n <= 0 || !keep(n)) continue;
        ++a.count;
        if (BlayerSlope.exists() && static_cast<size_t>(n) < BlayerSlope.size()) a.sum += BlayerSlope[n];
        if (static_cast<size_t>(n) < Bslide.size() && Bslide[n] > 0) ++a.marked;
    }
    return a;
}

bool ExistingColumn(int n) { return n > 0; }

// Step 4 of the main variant. A node without columns around it, or one of a
// one-row block, is bounded by the base level like every other node: a
// lower level below the base would give the base cell a negative height.
void LowerLevelFromSlides(const LayerGeometry& g) {
    auto mirroredBed = [&g](int i, int j) { return Gridz[i][j - g.o][1]; };
    auto mirroredBase = [&g](int i, int j) { return Base(i, j - g.o); };
    if (g.j0 < g.j1) {
        for (int i = g.i0; i <= g.i1 - 1; ++i) {
            for (int j = g.jFirst; j <= g.j2 - 1; ++j) {
                const AroundNode a = ColumnsAround(i, j, ExistingColumn);
                const double v = a.marked >= 3 ? a.sum / (a.count + 1e-20) : mirroredBed(i, j);
                Lower(i, j) = std::max(v, mirroredBase(i, j));
            }
        }
        for (int j : {g.jFirst - 1, g.j2}) {
            for (int i = g.i0 - 1; i <= g.i1; ++i) Lower(i, j) = std::max(Lower(i, j), mirroredBase(i, j));
        }
        return;
    }
    for (int j : {g.jFirst - 1, g.jFirst}) {
        for (int i = g.i0 - 1; i <= g.i1; ++i) {
            const AroundNode a = ColumnsAround(i, j, ExistingColumn);
            const double v = a.count > 0 ? a.sum / (a.count + 1e-20) : mirroredBed(i, j);
            Lower(i, j) = std::max(v, mirroredBase(i, j));
        }
    }
}

// Step 4 of the alternative variant: the mean level of the columns that had
// cells; the lower level is stored only, its cells do not use it.
void LowerLevelFromCells(const LayerGeometry& g) {
    auto withCells = [](int n) { return static_cast<size_t>(n) < Bcellt.size() && Bcellt[n] > 0; };
    for (int j = g.jFirst - 1; j <= g.j2; ++j) {
        for (int i = g.i0 - 1; i <= g.i1; ++i) {
            const AroundNode a = ColumnsAround(i, j, withCells);
            Lower(i, j) = a.count > 0 ? a.sum / (a.count + 1e-20) : 0.0;
        }
    }
}

// Step 5: the layer nodes take the plan position of the block nodes, the
// base level below and the bed on top; no lower level lies above the bed.
void MirrorNodes(const LayerGeometry& g, bool onBed) {
    const int nz = NoGridLinesZ;
    for (int i = g.i0 - 1; i <= g.i1; ++i) {
        for (int j = g.j0 - 1; j <= g.j1; ++j) {
            const int jl = j + g.o;
            const double bed = Gridz[i][j][1];
            Gridx[i][jl] = Gridx[i][j];
            Gridy[i][jl] = Gridy[i][j];
            Gridz[i][jl][1] = Base(i, j);
            Gridz[i][jl][nz] = bed;
            Lower(i, jl) = onBed ? bed : std::min(Lower(i, jl), bed);
            Lower(i, j) = Lower(i, jl);
        }
    }
}

// Level count of a node from a thickness d; `reach` levels above the second
// at most. No thickness is no layer, whatever the dry depth says: a layer of
// zero height would be a cell without volume.
int LevelCount(double d, double scale, int reach) {
    if (d < DryDepth || d <= 0.0) return 1;
    if (d < SingleCellDepth) return 2;
    const double share = std::pow(std::max(d * scale, 0.0), LayerDepthExponent) * reach;
    return 2 + static_cast<int>(std::min(share, static_cast<double>(reach)));
}

// Step 6: the thickness counted from the lower level (main variant) or the
// base level (alternative).
void CountLevels(const LayerGeometry& g, bool main) {
    const int nz = NoGridLinesZ;
    for (int i = g.i0 - 1; i <= g.i1; ++i) {
        for (int j = g.jFirst - 1; j <= g.j2; ++j) {
            for (int k = 1; k <= nz; ++k) CellIndex3[i][j][k] = 0;
            Gridz[i][j][0] = 0.0;
            if (main) {
                const double d = Gridz[i][j][nz] - Lower(i, j);
                GridWetPoint[i][j] = LevelCount(d, 7.0 * F192Value / (MaxDepth + 1e-10), nz - 3);
                GenColumnWork3[i][j] = 2;
            } else {
                const double d = Gridz[i][j][nz] - Gridz[i][j][1];
                GridWetPoint[i][j] = LevelCount(d, F192Value / (MaxDepth + 1e-10), nz - 2);
            }
        }
    }
}

// Step 7. A G 13 region clears the layer columns inside its own rows and
// never the columns of block b, which are built already.
void CountLayers(const LayerGeometry& g, bool main) {
    for (int j = g.jFirst; j <= g.j2; ++j) {
        for (int i = g.i0; i <= g.i1; ++i) {
            int largest = 0, sum = 0;
            for (int c = 0; c < 4; ++c) {
                const int m = GridWetPoint[i + kColumnCornerDi[c]][j + kColumnCornerDj[c]];
                largest = std::max(largest, m);
                sum += m;
            }
            int n = sum < 2 ? 0 : largest - 1;
            if (main) GenColumnWork2[i][j] = 1;
            if (GridRegion[i][j] == 1) {
                n = 0;
                if (main) GenColumnWork2[i][j] = 0;
            }
            GridWetColumn[i][j] = n;
        }
    }
    for (int r = 1; r <= std::min(NoG13Regions, kG13Capacity); ++r) {
        const G13Region& region = G13Regions[r];
        for (int i = std::max(region.iFirst, g.i0); i <= std::min(region.iLast, g.i1); ++i) {
            for (int j = std::max(region.jFirst, g.jFirst); j <= std::min(region.jLast, g.j2); ++j) {
                GridWetColumn[i][j] = 0;
                if (main) GenColumnWork2[i][j] = 0;
            }
        }
    }
}

template <class F>
void ForEachLayerColumn(const LayerGeometry& g, F f) {
    for (int j = g.jFirst; j <= g.j2; ++j) {
        for (int i = g.i0; i <= g.i1; ++i) f(i, j);
    }
}

bool HasBaseCell(int i, int j) { return GenColumnWork2[i][j] == 1 || GridWetColumn[i][j] > 0; }

void NumberLayerCells(int i, int j) {
    const int nz = NoGridLinesZ, n = GridWetColumn[i][j];
    for (int k = nz + 1 - n; k <= nz; ++k) CellIndex3[i][j][k] = ++NoCells;
}

// Step 8 of the main variant; F 339 numbers all base cells first.
void NumberMain(const LayerGeometry& g) {
    auto base = [](int i, int j) {
        const int c = ++NoCells;
        Gridz[i][j][0] = c;
        CellIndex3[i][j][2] = c;
    };
    if (F339Option == 0) {
        ForEachLayerColumn(g, [&](int i, int j) {
            if (!HasBaseCell(i, j)) return;
            base(i, j);
            NumberLayerCells(i, j);
        });
        return;
    }
    ForEachLayerColumn(g, [&](int i, int j) {
        if (HasBaseCell(i, j)) base(i, j);
    });
    ForEachLayerColumn(g, [&](int i, int j) {
        if (HasBaseCell(i, j)) NumberLayerCells(i, j);
    });
}

void NumberAlt(const LayerGeometry& g) {
    ForEachLayerColumn(g, [](int i, int j) {
        if (GridWetColumn[i][j] <= 0) return;
        Gridz[i][j][0] = NoCells + 1;
        NumberLayerCells(i, j);
    });
}

void PlanCorners(int i, int j) {
    for (int c = 0; c < 4; ++c) {
        const int a = i + kColumnCornerDi[c], b = j + kColumnCornerDj[c];
        CellWork.x[c + 1] = CellWork.x[c + 5] = Gridx[a][b];
        CellWork.y[c + 1] = CellWork.y[c + 5] = Gridy[a][b];
    }
}

double Height(double r, double s, double f) {
    if (r > s) return s;
    const double w = LayerWeight(f);
    return w * r + (1.0 - w) * s;
}

// Corner heights of the layer cell at level k (layer L) between the level r
// of each corner (lower level or base level) and the bed.
void PlaceLayerCell(int i, int j, int k, int layer, bool main) {
    const int nz = NoGridLinesZ;
    for (int c = 0; c < 4; ++c) {
        const int a = i + kColumnCornerDi[c], b = j + kColumnCornerDj[c];
        const int m = GridWetPoint[a][b];
        const double r = main ? Lower(a, b) : Gridz[a][b][1], s = Gridz[a][b][nz];
        const double q = (m - 1) + 1e-10;
        double bottom = (nz - k + 1) / q;
        if (layer > 1) bottom = std::min(bottom, 1.0 - 1.0 / q);
        const double top = std::min((nz - k) / q, 1.0 - 1.0 / q);
        CellWork.z[c + 1] = Height(r, s, bottom);
        CellWork.z[c + 5] = Height(r, s, top);
    }
}

// Layer cells meet level by level from the bed down; the extra lower
// layers of the thicker column have a wall on that side.
int SideLayerCell(bool exists, int i2, int j2, int n, int k, int layer) {
    if (!exists) return 0;
    const int n2 = GridWetColumn[i2][j2];
    if (n2 <= 0) return 0;
    const int e = n - n2;
    if (e == 0) return CellIndex3[i2][j2][k];
    if (layer == 1) return CellIndex3[i2][j2][NoGridLinesZ] + 1 - n2;
    if (e > 0 && layer <= e + 1) return 0;
    return CellIndex3[i2][j2][k];
}

// West and south were built before this cell; with `bottom` the face of the
// cell below too.
void KnownFaces(const LayerGeometry& g, int i, int j, bool bottom) {
    int* f = CellWork.surface;
    const int* nb = CellWork.neighbour;
    for (int s = 1; s <= 6; ++s) f[s] = 0;
    if (i > g.i0 && nb[4] != 0) f[4] = Csurfe[nb[4]];
    if (j > g.jFirst && nb[1] != 0) f[1] = Csurfn[nb[1]];
    if (bottom && nb[5] != 0) f[5] = Csurft[nb[5]];
}

void BuildCell(int cell) {
    if (!RoomForCell(cell)) ReportGenerationOverflow();
    AddHexCell(cell);
}

void BuildBaseCell(const LayerGeometry& g, int i, int j) {
    const int nz = NoGridLinesZ;
    for (int c = 0; c < 4; ++c) {
        const int a = i + kColumnCornerDi[c], b = j + kColumnCornerDj[c];
        CellWork.z[c + 1] = Gridz[a][b][1];
        CellWork.z[c + 5] = Lower(a, b);
    }
    int* nb = CellWork.neighbour;
    nb[1] = j > g.jFirst ? CellIndex3[i][j - 1][2] : 0;
    nb[2] = i < g.i1 ? CellIndex3[i + 1][j][2] : 0;
    nb[3] = j < g.j2 ? CellIndex3[i][j + 1][2] : 0;
    nb[4] = i > g.i0 ? CellIndex3[i - 1][j][2] : 0;
    nb[5] = 0;
    nb[6] = nz >= 3 ? CellIndex3[i][j][3] : 0;
    KnownFaces(g, i, j, false);
    BuildCell(CellIndex3[i][j][2]);
}

void BuildLayerCells(const LayerGeometry& g, int i, int j, bool main) {
    const int nz = NoGridLinesZ, n = GridWetColumn[i][j];
    const int base = main ? CellIndex3[i][j][2] : 0;
    for (int k = nz + 1 - n; k <= nz; ++k) {
        const int layer = k - (nz - n);
        const int cell = CellIndex3[i][j][k];
        PlaceLayerCell(i, j, k, layer, main);
        int* nb = CellWork.neighbour;
        nb[1] = SideLayerCell(j > g.jFirst, i, j - 1, n, k, layer);
        nb[2] = SideLayerCell(i < g.i1, i + 1, j, n, k, layer);
        nb[3] = SideLayerCell(j < g.j2, i, j + 1, n, k, layer);
        nb[4] = SideLayerCell(i > g.i0, i - 1, j, n, k, layer);
        nb[5] = CellIndex3[i][j][k - 1];
        nb[6] = k < nz ? CellIndex3[i][j][k + 1] : 0;
        // The base cell names the lowest layer cell above it; no face couples
        // the two.
        if (main && layer == 1 && k >= 4 && nb[5] == 0) Ccellt[base] = cell;
        KnownFaces(g, i, j, true);
        BuildCell(cell);
        if (main && base > 0 && Ccellb[cell] == base) {
            Ccellb[cell] = 0;
            Fcell2[Csurfb[cell]] = 0;
        }
    }
}

void BuildMain(const LayerGeometry& g) {
    ForEachLayerColumn(g, [&g](int i, int j) {
        if (!HasBaseCell(i, j)) return;
        PlanCorners(i, j);
        BuildBaseCell(g, i, j);
        BuildLayerCells(g, i, j, true);
    });
}

void BuildAlt(const LayerGeometry& g) {
    ForEachLayerColumn(g, [&g](int i, int j) {
        if (GridWetColumn[i][j] <= 0) return;
        PlanCorners(i, j);
        BuildLayerCells(g, i, j, false);
    });
}

void CloseRecord(int b) {
    BlockRecord& r = BlockTable[b + 1];
    r.lastCell = NoCells;
    r.lastSurface = NoSurfaces;
    r.lastPoint = NoPoints;
}

}  // namespace

bool IsColumnLayerBlock(int b) {
    if (b != 2 || !(LayerBlockOption > 1 || GroundwaterOption > 0)) return false;
    const BlockRecord& r = BlockTable[b];
    return r.layerBlock == 1 || SameShape(r, GeometryOf(1));
}

void AppendColumnLayerBlock(int b) {
    const LayerGeometry g = GeometryOf(b);
    RefuseWithoutRoom(g);
    GenerationFailedBlock = b + 1;
    StartRecord(g, true);
    G26BlockValues[b + 1] = 0;
    LowerLevelFromSlides(g);
    MirrorNodes(g, !LayerBlockFirstRunDone);
    LayerBlockFirstRunDone = true;
    CountLevels(g, true);
    CountLayers(g, true);
    NumberMain(g);
    BuildMain(g);
    CloseRecord(b);
    GenerationFailedBlock = 0;
    SetActiveCellRange();
}

void AppendColumnLayerBlockAlt(int b) {
    const LayerGeometry g = GeometryOf(b);
    RefuseWithoutRoom(g);
    GenerationFailedBlock = b + 1;
    StartRecord(g, false);
    LowerLevelFromCells(g);
    MirrorNodes(g, false);
    CountLevels(g, false);
    CountLayers(g, false);
    NumberAlt(g);
    BuildAlt(g);
    CloseRecord(b);
    GenerationFailedBlock = 0;
}
