// Column-and-cell generation at fixed levels (F 64 = 0/30, 1/31): the
// levels of G 3 are elevations, the same at every node, and the bed cuts
// them: F 64 = 0 lowers the bed onto a level and flattens every face (a
// stair-step bed), F 64 = 1 keeps the bed and ends the lowest cell on it.
#include <algorithm>

#include "grid/alternative_columns.h"
#include "grid/grid_data.h"
#include "grid/grid_generation.h"
#include "grid/grid_services.h"
#include "run/globals.h"

namespace {

bool Flattened() { return GridAlgorithm == 0 || GridAlgorithm == 30; }

// F 64 = 0: the levels from the top down to the first one below the bed,
// which becomes the bed.
int FlattenedLevels(int i, int j) {
    const int nz = NoGridLinesZ;
    int m = 0;
    for (int k = nz; k >= 1; --k) {
        Gridz[i][j][k] = zdistrib[k];
        ++m;
        if (k == 1 || zdistrib[k] < Gridz[i][j][1] + 1e-8) {
            for (int l = k; l >= 1; --l) Gridz[i][j][l] = zdistrib[k];
            break;
        }
    }
    return m;
}

// F 64 = 1: the levels above the bed keep their elevations, the rest lie
// on the bed. The bed counts as a level of its own, so the water between it
// and the lowest level above it gets a cell.
int CutLevels(int i, int j) {
    const int nz = NoGridLinesZ;
    const double bed = Gridz[i][j][1];
    int m = 1;
    for (int k = nz; k >= 2; --k) {
        if (zdistrib[k] < bed + 1e-6) {
            for (int l = k; l >= 2; --l) Gridz[i][j][l] = bed;
            break;
        }
        Gridz[i][j][k] = zdistrib[k];
        ++m;
    }
    return m;
}

template <class F>
void ForEachColumn(const BlockRecord& r, F f) {
    for (int j = r.jFirst; j <= r.jLast; ++j) {
        for (int i = r.iFirst; i <= r.iLast; ++i) f(i, j);
    }
}

// Every cell face at one level: each level of a column takes the lowest of
// its four corners.
void Flatten(const BlockRecord& r) {
    const int nz = NoGridLinesZ;
    ForEachColumn(r, [nz](int i, int j) {
        const int n = GridWetColumn[i][j];
        for (int k = nz; k >= std::max(nz - n, 1); --k) {
            double low = Gridz[i][j][k];
            for (int c = 0; c < 4; ++c) low = std::min(low, Gridz[i + kColumnCornerDi[c]][j + kColumnCornerDj[c]][k]);
            for (int c = 0; c < 4; ++c) Gridz[i + kColumnCornerDi[c]][j + kColumnCornerDj[c]][k] = low;
        }
    });
}

void CountLevelsAndColumns(const BlockRecord& r) {
    const bool flat = Flattened();
    for (int i = r.iFirst - 1; i <= r.iLast; ++i) {
        for (int j = r.jFirst - 1; j <= r.jLast; ++j) {
            GridWetPoint[i][j] = flat ? FlattenedLevels(i, j) : CutLevels(i, j);
        }
    }
    ForEachColumn(r, [flat](int i, int j) {
        int n = altgrid::LargestCorner(i, j) - 1;
        if (flat && GridRegion[i][j] == 1) n = 0;
        if (!flat) n -= altgrid::ThinningLayers(i, j, altgrid::PlanSide(i, j));
        GridWetColumn[i][j] = std::max(n, 0);
    });
    if (flat) Flatten(r);
}

bool BuildBlock(const BlockRecord& r) {
    const int nz = NoGridLinesZ;
    const bool flat = Flattened();
    bool built = true;
    ForEachColumn(r, [&](int i, int j) {
        const int n = GridWetColumn[i][j];
        if (!built || n <= 0) return;
        altgrid::PlanCorners(i, j);
        for (int k = nz + 1 - n; k <= nz && built; ++k) {
            for (int c = 0; c < 4; ++c) {
                const int a = i + kColumnCornerDi[c], b = j + kColumnCornerDj[c];
                CellWork.z[c + 1] = Gridz[a][b][k - 1];
                CellWork.z[c + 5] = Gridz[a][b][k];
            }
            int* nb = CellWork.neighbour;
            // Blocks meet only through the block interfaces, never here.
            nb[1] = altgrid::InsideBlock(r, i, j - 1) ? CellIndex3[i][j - 1][k] : 0;
            nb[2] = altgrid::InsideBlock(r, i + 1, j) ? CellIndex3[i + 1][j][k] : 0;
            nb[3] = altgrid::InsideBlock(r, i, j + 1) ? CellIndex3[i][j + 1][k] : 0;
            nb[4] = altgrid::InsideBlock(r, i - 1, j) ? CellIndex3[i - 1][j][k] : 0;
            nb[5] = k > 1 ? CellIndex3[i][j][k - 1] : 0;
            nb[6] = k < nz ? CellIndex3[i][j][k + 1] : 0;
            altgrid::KnownFaces(r, i, j);
            const int cell = CellIndex3[i][j][k];
            built = altgrid::BuildGuarded(cell, [&] {
                if (flat) {
                    AddHexCellVariant(cell, i, j, k);
                } else {
                    AddHexCell(cell);
                }
            });
        }
    });
    return built;
}

}  // namespace

bool GenerateFixedLevelColumns() {
    const int nz = NoGridLinesZ;
    for (int b = 1; b <= NoBlocks; ++b) {
        BlockRecord& r = BlockTable[b];
        if (r.depthAveraged == 1) continue;
        altgrid::OpenRanges(r);
        if (r.field8 == 1) {
            CountLevelsAndColumns(r);
        } else {
            altgrid::RequireFixedLayers(b, r);
            altgrid::SetFixedLayerLevels(r);
            ForEachColumn(r, [&r](int i, int j) { GridWetColumn[i][j] = r.field9; });
        }
        for (int i = r.iFirst - 1; i <= r.iLast; ++i) {
            for (int j = r.jFirst - 1; j <= r.jLast; ++j) {
                for (int k = 1; k <= nz; ++k) CellIndex3[i][j][k] = 0;
            }
        }
        altgrid::NumberColumns(r, true);
        VariantBlock = &r;
        const bool built = BuildBlock(r);
        VariantBlock = nullptr;
        if (!built) {
            GenerationFailedBlock = b;
            return false;
        }
        altgrid::CloseRanges(r);
    }
    return true;
}
