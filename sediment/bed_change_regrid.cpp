// The two other bed-change routines: F 255 1 spreads each column over its
// corners in three ordered passes (deposition, large erosion, small
// erosion); F 255 3 moves every node by the mean change of the columns
// around it.
#include <algorithm>
#include <cmath>
#include <vector>

#include "drivers/water_pass.h"
#include "flow/cell_lookup.h"
#include "run/globals.h"
#include "sediment/bed_change.h"
#include "sediment/sediment_services.h"
#include "surface/surface_levels.h"

namespace {

bool SelectedBlock(const BlockRecord& r) { return r.depthAveraged == 0 && r.gridLevel == 0 && r.field11 == 1; }

double LayerThickness(int layer, int b) {
    if (!BSedDistrib.exists() || static_cast<size_t>(layer) >= BSedDistrib.extent1() ||
        static_cast<size_t>(b) >= BSedDistrib.extent3()) {
        return 0.0;
    }
    return BSedDistrib[layer][0][b];
}

// Pass 1 deposition, pass 2 erosion of at least 0.9 of the two layers, pass 3
// the smaller erosion.
bool InPass(int pass, int b) {
    const double dz = Bedmove[b];
    if (pass == 1) return dz > 1e-12;
    if (!(dz < -1e-12)) return false;
    const double ratio = -dz / (LayerThickness(1, b) + LayerThickness(0, b) + 1e-20);
    return pass == 2 ? ratio >= 0.9 : ratio < 0.9;
}

// The corner water levels of a column whose mean depth falls below the depth
// that keeps its Froude number at F 132; otherwise, with F 105 above 10000,
// relaxed towards the new water level.
void KeepLeastDepth(int i, int j, int c) {
    const int k = NoGridLinesZ;
    const double hmin = (Cu[c] * Cu[c] + Cv[c] * Cv[c]) / (FroudeLimit * FroudeLimit * 9.81);
    double water = 0.0;
    for (int n = 0; n < 4; ++n) water += Gridz[i + kCornerDi[n]][j + kCornerDj[n]][k];
    const double lower = Pz1[Cpoint1[c]] + Pz1[Cpoint2[c]] + Pz1[Cpoint3[c]] + Pz1[Cpoint4[c]];
    const double depth = (water - lower) * 0.25;
    if (depth > 0.0 && depth < hmin) {
        for (int n = 0; n < 4; ++n) Gridz[i + kCornerDi[n]][j + kCornerDj[n]][k] += hmin - depth;
    } else if (SurfaceInterval > 10000 && depth > 0.0) {
        for (int n = 0; n < 4; ++n) {
            double* node = &Gridz[i + kCornerDi[n]][j + kCornerDj[n]][0];
            const double excess = node[k] - node[k + 1];
            if (excess > 0.0) node[k] = node[k + 1] + 0.97 * excess;
        }
    }
}

// The bottom cell of the column on side `link` of column cell `c`: the first
// cell up the column that has a neighbour there names it.
int ColumnAcross(int c, const Array1<int>& link) {
    for (int steps = 0; IsGridCell(c) && steps < NoCells; ++steps, c = Ccellt[c]) {
        if (IsGridCell(link[c])) return BottomCellBelow(link[c]);
    }
    return 0;
}

// The bottom cells of the four columns around node (i, j) of a block, in
// the order (i, j), (i+1, j), (i, j+1), (i+1, j+1); 0 for a dry or missing
// column. Columns outside the block's ranges are reached through the side
// links of the columns next to them, first from the block's own columns,
// then (for the diagonal column at a block corner) from a column found so.
void ColumnsAroundNode(const BlockRecord& r, int i, int j, int cells[2][2]) {
    bool known[2][2] = {};
    for (int di = 0; di < 2; ++di) {
        for (int dj = 0; dj < 2; ++dj) {
            const int ci = i + di, cj = j + dj;
            cells[di][dj] = 0;
            if (ci >= r.iFirst && ci <= r.iLast && cj >= r.jFirst && cj <= r.jLast) {
                cells[di][dj] = GridColumnBottom(ci, cj);
                known[di][dj] = true;
            }
        }
    }
    for (int round = 0; round < 2; ++round) {
        bool found[2][2] = {};
        for (int di = 0; di < 2; ++di) {
            for (int dj = 0; dj < 2; ++dj) {
                if (known[di][dj]) continue;
                // Across i first (from the column beside it), then across j.
                const int fromI = 1 - di, fromJ = 1 - dj;
                int c = 0;
                if (known[fromI][dj] && cells[fromI][dj] > 0) c = ColumnAcross(cells[fromI][dj], di == 1 ? Ccelle : Ccellw);
                if (c == 0 && known[di][fromJ] && cells[di][fromJ] > 0) {
                    c = ColumnAcross(cells[di][fromJ], dj == 1 ? Ccelln : Ccells);
                }
                if (c > 0) {
                    cells[di][dj] = c;
                    found[di][dj] = true;
                }
            }
        }
        for (int di = 0; di < 2; ++di) {
            for (int dj = 0; dj < 2; ++dj) known[di][dj] = known[di][dj] || found[di][dj];
        }
    }
}

}  // namespace

void ChangeBedLevelsDetailed(int i, int j, int b, int iFirst, int iLast, int jFirst, int jLast) {
    if (b < 1 || b > NoBedCells) return;
    const int bottom = Bcellt[b];
    const CornerRules rules{.factors = false, .plainCosine = false, .edgeCopies = false};
    if (!DistributeColumnChange(i, j, b, bottom, ColumnBlock{iFirst, iLast, jFirst, jLast}, rules)) return;
    if (FroudeLimit > 0.5) KeepLeastDepth(i, j, TopCellWalkFlag == 1 ? TopCellAbove(bottom) : bottom);
}

void ComputeBedChangeRegrid1() {
    Stamp(38);
    if (Barea.exists()) Barea[0] = 0.0;
    if (F144Option == 5) ComputeBedMoveFromFluxes();
    for (int k = 1; k <= std::min(NoBlocks, kMaxBlocks); ++k) {
        const BlockRecord& r = BlockTable[k];
        if (!SelectedBlock(r)) continue;
        for (int pass = 1; pass <= 3; ++pass) {
            for (int i = r.iFirst; i <= r.iLast; ++i) {
                for (int j = r.jFirst; j <= r.jLast; ++j) {
                    const int c = GridColumnBottom(i, j);
                    if (c < 1) continue;
                    const int b = Cbedcell[c];
                    if (b < 1 || b > NoBedCells || !InPass(pass, b)) continue;
                    ChangeBedLevelsDetailed(i, j, b, r.iFirst, r.iLast, r.jFirst, r.jLast);
                }
            }
        }
    }
    if (F144Option == 1 || F144Option == 3 || F144Option == 6) ComputeBedMoveFromFluxes();
    FollowConnectedColumns();
    FinishBedChange(true);
}

void MoveNodesByColumnMeans() {
    if (!Gridz.exists()) return;
    const size_t nj = Gridz.extent2();
    // A node line two blocks share in the structured arrays moves once.
    std::vector<char> moved(Gridz.extent1() * nj, 0);
    const double kgPerVolume = BedSolidFraction * 1000.0 * SedRelativeDensity;
    for (int k = 1; k <= std::min(NoBlocks, kMaxBlocks); ++k) {
        const BlockRecord& r = BlockTable[k];
        if (!SelectedBlock(r)) continue;
        for (int i = r.iFirst - 1; i <= r.iLast; ++i) {
            for (int j = r.jFirst - 1; j <= r.jLast; ++j) {
                if (!IsGridNode(i, j)) continue;
                char& done = moved[static_cast<size_t>(i) * nj + static_cast<size_t>(j)];
                if (done != 0) continue;
                int cells[2][2];
                ColumnsAroundNode(r, i, j, cells);
                double sum = 0.0, area = 0.0;
                int wet = 0;
                for (const auto& row : cells) {
                    for (const int c : row) {
                        if (c <= 0) continue;
                        const int b = Cbedcell[c];
                        if (b < 1 || b > NoBedCells) continue;
                        sum += Bedmove[b];
                        area += Barea[b];
                        ++wet;
                    }
                }
                if (wet == 0) continue;
                done = 1;
                const double mean = sum / wet;
                const double z = Gridz[i][j][1];
                // Erosion stops at the fixed bed (a node already below it
                // keeps its level); what it could not take is booked.
                const double level = mean < 0.0 ? std::max(z + mean, std::min(z, GridLevels[3][i][j])) : z + mean;
                const double clipped = (z + mean) - level;
                Gridz[i][j][1] = level;
                GridLevels[1][i][j] += level - z;
                if (clipped != 0.0) {
                    const double mass = clipped * 0.25 * area * kgPerVolume;
                    BedMoveDefect += mass;
                    BedMoveDefectAbs += std::fabs(mass);
                }
            }
        }
    }
}

void ComputeBedChangeRegrid3() {
    if (Barea.exists()) Barea[0] = 0.0;
    if (F144Option == 5) ComputeBedMoveFromFluxes();
    MoveNodesByColumnMeans();
    if (F144Option == 1 || F144Option == 3) ComputeBedMoveFromFluxes();
    FollowConnectedColumns();
    FinishBedChange(false);
}
