// Column-and-cell generation that spreads a per-node number of layers over
// the local water depth (F 64 = 2/32, 3/4/33, 5/35, 6/36, 7/37, 10, 12):
// layers anchored at the surface or at the bed, or numbered from the bed.
#include <algorithm>
#include <cmath>
#include <vector>

#include "grid/alternative_columns.h"
#include "grid/grid_data.h"
#include "grid/grid_generation.h"
#include "grid/grid_services.h"
#include "run/globals.h"

namespace {

using altgrid::Bed;
using altgrid::Depth;
using altgrid::Surface;

enum class Heights { SurfaceAnchored, BedNumbered, BedNumberedFullTop, BedAnchored, SteepBank };
enum class Links { SameLevel, TopCellsJoined, BedCellsJoined };

struct Member {
    int value;             // F 64 without the +30 of the shoreline variants
    Heights heights;
    Links links;
    bool topAligned;
    bool variant;          // AddHexCellVariant instead of AddHexCell
};

Member MemberOf(int a) {
    const int x = a >= 30 ? a - 30 : a;
    switch (x) {
        case 2: return {2, Heights::SurfaceAnchored, Links::SameLevel, true, true};
        case 3: return {3, Heights::BedNumbered, Links::SameLevel, false, false};
        case 4: return {4, Heights::BedNumberedFullTop, Links::TopCellsJoined, false, false};
        case 5: return {5, Heights::SurfaceAnchored, Links::SameLevel, true, false};
        case 6: return {6, Heights::BedAnchored, Links::BedCellsJoined, true, false};
        case 7: return {7, Heights::SteepBank, Links::BedCellsJoined, true, true};
        case 10: return {10, Heights::BedAnchored, Links::BedCellsJoined, true, false};
        default: return {12, Heights::BedAnchored, Links::BedCellsJoined, true, false};
    }
}

bool EveryBlockCounted(const Member& m) { return m.value == 3 || m.value == 4; }

int LevelCount(const Member& mem, double d) {
    const int nz = NoGridLinesZ;
    const double pass = GenerationLargestDepth;
    switch (mem.value) {
        case 2:
            if (d < DryDepth) return 1;
            if (d < SingleCellDepth) return 2;
            return altgrid::PowerLevels(d, MaxDepth + 1e-10, LayerDepthExponent, nz - 2, 2);
        case 5:
            if (d < DryDepth) return 1;
            if (d < SingleCellDepth) return 2;
            return altgrid::PowerLevels(d, pass, 0.6, nz - 2, 2);
        case 6:
            if (d < MinWaterDepth) return 1;
            return std::min(std::max(altgrid::PowerLevels(d, pass, 0.6, nz - 2, 2), 3), nz);
        case 10:
            if (d < MinWaterDepth) return 1;
            return altgrid::PowerLevels(d, pass, LayerDepthExponent, nz - 2, 2);
        default:  // 3, 4, 7, 12
            if (d < DryDepth) return 1;
            if (d < SingleCellDepth) return 2;
            return std::max(altgrid::PowerLevels(d, pass, LayerDepthExponent, nz - 2, 2), 2);
    }
}

template <class F>
void ForEachNode(const BlockRecord& r, F f) {
    for (int i = r.iFirst - 1; i <= r.iLast; ++i) {
        for (int j = r.jFirst - 1; j <= r.jLast; ++j) f(i, j);
    }
}

template <class F>
void ForEachColumn(const BlockRecord& r, F f) {
    for (int j = r.jFirst; j <= r.jLast; ++j) {
        for (int i = r.iFirst; i <= r.iLast; ++i) f(i, j);
    }
}

void FormColumnCounts(const BlockRecord& r) {
    ForEachColumn(r, [](int i, int j) { GridWetColumn[i][j] = altgrid::LargestCorner(i, j) - 1; });
}

// F 231: where a side's two nodes have no more levels than the shallower of
// its two columns has layers, the deeper node gets as many levels.
void BalanceLevels(const BlockRecord& r) {
    auto raise = [](int ia, int ja, int ib, int jb, int cells) {
        const int ma = GridWetPoint[ia][ja], mb = GridWetPoint[ib][jb];
        if (std::max(ma, mb) > cells) return;
        if (Depth(ib, jb) > Depth(ia, ja)) {
            GridWetPoint[ib][jb] = cells;
        } else {
            GridWetPoint[ia][ja] = cells;
        }
    };
    for (int j = r.jFirst; j <= r.jLast - 1; ++j) {
        for (int i = r.iFirst; i <= r.iLast - 1; ++i) {
            raise(i, j - 1, i, j, std::min(GridWetColumn[i][j], GridWetColumn[i + 1][j]));
            raise(i - 1, j, i, j, std::min(GridWetColumn[i][j], GridWetColumn[i][j + 1]));
        }
    }
    FormColumnCounts(r);
}

void CountLevelsAndColumns(const Member& mem, const BlockRecord& r) {
    const int nz = NoGridLinesZ;
    ForEachNode(r, [&](int i, int j) {
        for (int k = 1; k <= nz; ++k) CellIndex3[i][j][k] = 0;
        GridWetPoint[i][j] = LevelCount(mem, Depth(i, j));
    });
    if (mem.value == 3 || mem.value == 4 || mem.value == 7) MarkWetPoints(r.iFirst, r.iLast, r.jFirst, r.jLast);
    FormColumnCounts(r);
    if (mem.value == 2) {
        ForEachColumn(r, [](int i, int j) {
            GridWetColumn[i][j] -= altgrid::ThinningLayers(i, j, altgrid::ShorterSide(i, j));
        });
    }
    if (mem.value == 3 || mem.value == 4) {
        if (F231Option == 1) BalanceLevels(r);
        CleanWetColumns(r.iFirst, r.iLast, r.jFirst, r.jLast);
    }
    if (mem.value == 10 || mem.value == 12) {
        ForEachColumn(r, [](int i, int j) {
            if (altgrid::CornerSum(i, j) < 2) GridWetColumn[i][j] = 0;
        });
    }
}

void FixedLayerColumns(const BlockRecord& r) {
    const int nz = NoGridLinesZ;
    ForEachNode(r, [nz](int i, int j) {
        for (int k = 1; k <= nz; ++k) CellIndex3[i][j][k] = 0;
    });
    altgrid::SetFixedLayerLevels(r);
    ForEachColumn(r, [&r](int i, int j) { GridWetColumn[i][j] = r.field9; });
}

double SlopeBetween(int i1, int j1, int i2, int j2) {
    const double dx = Gridx[i2][j2] - Gridx[i1][j1], dy = Gridy[i2][j2] - Gridy[i1][j1];
    return (Bed(i2, j2) - Bed(i1, j1)) / std::sqrt(dx * dx + dy * dy + 1e-20);
}

// F 64 = 7: the upper end of every grid segment steeper than 2.
void MarkSteepBanks(const BlockRecord& r) {
    auto mark = [](int i1, int j1, int i2, int j2) {
        const double s = SlopeBetween(i1, j1, i2, j2);
        if (s > 2.0) GenColumnWork1[i2][j2] = 1;
        if (s < -2.0) GenColumnWork1[i1][j1] = 1;
    };
    for (int i = r.iFirst; i <= r.iLast; ++i) {
        for (int j = r.jFirst - 1; j <= r.jLast; ++j) mark(i - 1, j, i, j);
    }
    for (int j = r.jFirst; j <= r.jLast; ++j) {
        for (int i = r.iFirst - 1; i <= r.iLast; ++i) mark(i, j - 1, i, j);
    }
}

double Clamp01(double f) { return LayerWeight(f); }

// The spacing divisor of a node's level fractions. The small addend of the
// rules only keeps a one-level node from dividing by zero; a node with
// levels divides by their exact count, so a level reached through two of the
// rules lands on one height.
double Spacing(int m, double guard) { return m > 1 ? m - 1.0 : guard; }

double HeightAt(int a, int b, double f) { return Surface(a, b) - f * std::max(0.0, Depth(a, b)); }

struct Cell {
    const BlockRecord& block;
    const Member& mem;
    int i, j, n, k, layer;
};

void PlaceCorners(const Cell& cell) {
    const int nz = NoGridLinesZ;
    const int k = cell.k, layer = cell.layer;
    for (int c = 0; c < 4; ++c) {
        const int a = cell.i + kColumnCornerDi[c], b = cell.j + kColumnCornerDj[c];
        const int m = GridWetPoint[a][b];
        double fb = 0.0, ft = 0.0;
        switch (cell.mem.heights) {
            case Heights::SurfaceAnchored: {
                const double q = Spacing(m, cell.mem.value == 2 ? 1e-20 : 1e-10);
                fb = Clamp01((nz - k + 1) / q);
                ft = Clamp01((nz - k) / q);
                break;
            }
            case Heights::BedNumbered:
            case Heights::BedNumberedFullTop: {
                const double q = Spacing(m, 1e-10);
                fb = 1.0 - (layer - 1) / q;
                ft = 1.0 - layer / q;
                if (cell.mem.heights == Heights::BedNumberedFullTop && m > 2) {
                    fb = std::max(fb, 1.0 / q);
                    if (layer < cell.n && layer >= m - 1) ft = std::max(ft, 1.0 / q);
                }
                fb = Clamp01(fb);
                ft = Clamp01(ft);
                break;
            }
            case Heights::BedAnchored: {
                const double q = Spacing(m, 1e-10);
                fb = (nz - k + 1) / q;
                if (layer > 1) fb = std::min(fb, 1.0 - 1.0 / q);
                fb = Clamp01(fb);
                ft = Clamp01(std::min((nz - k) / q, 1.0 - 1.0 / q));
                break;
            }
            case Heights::SteepBank: {
                const double q = Spacing(m, 1e-10);
                fb = (nz - k + 1) / q;
                ft = (nz - k) / q;
                int& mark = GenColumnWork1[a][b];
                if (mark == 1) {
                    // Layers of the node's own spacing continue below its bed.
                    if (fb < 1e-10) fb = 0.0;
                    if (ft < 1e-10) ft = 0.0;
                    break;
                }
                if (fb > 1.0) {
                    mark = -1;
                    if (layer > 1 && fb >= 1.0 - 1.0 / q) fb = 1.0 - 1.0 / q;
                }
                if (fb >= 1.0) fb = 1.0;
                fb = Clamp01(fb);
                if (mark == -1 && ft >= 1.0 - 1.0 / q) ft = 1.0 - 1.0 / q;
                ft = Clamp01(ft);
                break;
            }
        }
        CellWork.z[c + 1] = HeightAt(a, b, fb);
        CellWork.z[c + 5] = HeightAt(a, b, ft);
    }
}

// Nodes of the sides 1..4 (south, east, north, west) of column (i, j).
constexpr int kSideNodeDi[5][2] = {{0, 0}, {-1, 0}, {0, 0}, {-1, 0}, {-1, -1}};
constexpr int kSideNodeDj[5][2] = {{0, 0}, {-1, -1}, {-1, 0}, {0, 0}, {-1, 0}};
constexpr int kSideDi[5] = {0, 0, 1, 0, -1};
constexpr int kSideDj[5] = {0, -1, 0, 1, 0};

double WetPart(int i, int j) { return std::max(Depth(i, j), 0.0); }

int Neighbour(const Cell& cell, int side) {
    const BlockRecord& r = cell.block;
    const int i2 = cell.i + kSideDi[side], j2 = cell.j + kSideDj[side];
    // Blocks meet only through the block interfaces, never here.
    if (!altgrid::InsideBlock(r, i2, j2)) return 0;
    const int n2 = GridWetColumn[i2][j2];
    if (n2 <= 0) return 0;
    const int nz = NoGridLinesZ, k = cell.k, layer = cell.layer;
    switch (cell.mem.links) {
        case Links::SameLevel: return CellIndex3[i2][j2][k];
        case Links::TopCellsJoined:
            if (layer <= 1) return CellIndex3[i2][j2][k];
            if (layer == cell.n) return CellIndex3[i2][j2][n2];
            if (n2 <= layer) return 0;
            return CellIndex3[i2][j2][k];
        case Links::BedCellsJoined: break;
    }
    const int na[2] = {cell.i + kSideNodeDi[side][0], cell.i + kSideNodeDi[side][1]};
    const int nb[2] = {cell.j + kSideNodeDj[side][0], cell.j + kSideNodeDj[side][1]};
    const bool shallowContact = WetPart(na[0], nb[0]) + WetPart(na[1], nb[1]) < MinWaterDepth;
    if (cell.mem.value == 12 && cell.n == 1 && n2 == 1 && shallowContact) {
        return 0;
    }
    const bool steep = cell.mem.value == 7 && (GenColumnWork1[na[0]][nb[0]] >= 1 || GenColumnWork1[na[1]][nb[1]] >= 1);
    const int d = cell.n - n2;
    if (!steep && d != 0 && layer == 1) return CellIndex3[i2][j2][nz] + 1 - n2;
    if (!steep && d > 0 && layer <= d + 1) return 0;
    return CellIndex3[i2][j2][k];
}

void LinkCell(const Cell& cell) {
    int* nb = CellWork.neighbour;
    for (int s = 1; s <= 4; ++s) nb[s] = Neighbour(cell, s);
    const int k = cell.k;
    nb[5] = k > 1 ? CellIndex3[cell.i][cell.j][k - 1] : 0;
    nb[6] = k < NoGridLinesZ ? CellIndex3[cell.i][cell.j][k + 1] : 0;
}

// A moved shoreline node: its new plan position.
struct MovedNode {
    int i, j;
    double x, y;
};

bool ColumnEmpty(int i, int j) { return GridWetColumn[i][j] <= 0; }

// F 64 = 10: the dry corners of a bed cell move in plan towards the wet/dry
// crossing on an open side.
void MoveShorelineCorners(const Cell& cell, std::vector<MovedNode>& moved) {
    const int i = cell.i, j = cell.j;
    double d[5], nx[5], ny[5];
    for (int c = 1; c <= 4; ++c) {
        const int a = i + kColumnCornerDi[c - 1], b = j + kColumnCornerDj[c - 1];
        d[c] = Depth(a, b);
        nx[c] = Gridx[a][b];
        ny[c] = Gridy[a][b];
    }
    const int* nb = CellWork.neighbour;
    const bool south = nb[1] == 0, east = nb[2] == 0, north = nb[3] == 0, west = nb[4] == 0;
    const bool diag[5] = {false, ColumnEmpty(i - 1, j - 1), ColumnEmpty(i + 1, j - 1), ColumnEmpty(i + 1, j + 1),
                          ColumnEmpty(i - 1, j + 1)};
    bool changed[5] = {};
    auto towards = [&](int c, int w) {
        const double t = std::min(-d[c] / (d[w] - d[c]), ShorelineMoveLimit);
        CellWork.x[c] = CellWork.x[c + 4] = (1.0 - t) * nx[c] + t * nx[w];
        CellWork.y[c] = CellWork.y[c + 4] = (1.0 - t) * ny[c] + t * ny[w];
        changed[c] = true;
    };
    struct Rule {
        int c, w;
        bool open, closed;
    };
    const Rule rules[8] = {{1, 4, south, !west}, {2, 3, south, !east}, {4, 1, north, !west}, {3, 2, north, !east},
                           {1, 2, west, !south}, {4, 3, west, !north}, {2, 1, east, !south}, {3, 4, east, !north}};
    for (const Rule& rule : rules) {
        if (d[rule.c] < 0.0 && d[rule.w] > 0.0 && rule.open && rule.closed && diag[rule.c]) towards(rule.c, rule.w);
    }
    // Corners dry on two open sides; P and Q their neighbours, `tie` the one
    // taken at equal distance.
    struct Corner {
        int c, p, q, tie;
        bool open;
    };
    const Corner corners[4] = {{1, 4, 2, 4, south && west}, {2, 1, 3, 3, south && east},
                               {3, 2, 4, 4, north && east}, {4, 3, 1, 1, north && west}};
    for (const Corner& k : corners) {
        const int c = k.c;
        if (!(d[c] < 0.0) || !k.open || !diag[c]) continue;
        if (d[k.p] > 0.0 && d[k.q] < 0.0) {
            towards(c, k.p);
        } else if (d[k.q] > 0.0 && d[k.p] < 0.0) {
            towards(c, k.q);
        } else if (d[k.p] < 0.0 && d[k.q] < 0.0) {
            auto dist = [c](int o) {
                const double dx = CellWork.x[o] - CellWork.x[c], dy = CellWork.y[o] - CellWork.y[c];
                return dx * dx + dy * dy;
            };
            const double dp = dist(k.p), dq = dist(k.q);
            int o = dp < dq ? k.p : (dq < dp ? k.q : k.tie);
            CellWork.x[c] = CellWork.x[c + 4] = CellWork.x[o];
            CellWork.y[c] = CellWork.y[c + 4] = CellWork.y[o];
            changed[c] = true;
        }
    }
    for (int c = 1; c <= 4; ++c) {
        if (!changed[c]) continue;
        moved.push_back({i + kColumnCornerDi[c - 1], j + kColumnCornerDj[c - 1], CellWork.x[c], CellWork.y[c]});
    }
}

// A moved node takes every point at it along: the cells above the bed cell
// and the cells of the neighbouring columns, so no cell leans.
void MoveNodePoints(const BlockRecord& r, const std::vector<MovedNode>& moved) {
    if (moved.empty()) return;
    Array1<int>* const corners[8] = {&Cpoint1, &Cpoint2, &Cpoint3, &Cpoint4, &Cpoint5, &Cpoint6, &Cpoint7, &Cpoint8};
    for (const MovedNode& node : moved) {
        for (int j = std::max(node.j, r.jFirst); j <= std::min(node.j + 1, r.jLast); ++j) {
            for (int i = std::max(node.i, r.iFirst); i <= std::min(node.i + 1, r.iLast); ++i) {
                const int n = GridWetColumn[i][j];
                if (n <= 0) continue;
                const int c = node.i - i == -1 ? (node.j - j == -1 ? 0 : 3) : (node.j - j == -1 ? 1 : 2);
                const int first = static_cast<int>(Gridz[i][j][0]);
                for (int cell = first; cell < first + n; ++cell) {
                    for (int corner : {c, c + 4}) {
                        const int p = (*corners[corner])[cell];
                        Px1[p] = node.x;
                        Py1[p] = node.y;
                    }
                }
            }
        }
    }
}

bool BuildBlock(const Member& mem, const BlockRecord& r) {
    const int nz = NoGridLinesZ;
    std::vector<MovedNode> moved;
    bool built = true;
    ForEachColumn(r, [&](int i, int j) {
        const int n = GridWetColumn[i][j];
        if (!built || n <= 0) return;
        altgrid::PlanCorners(i, j);
        const int first = mem.topAligned ? nz + 1 - n : 1;
        for (int layer = 1; layer <= n && built; ++layer) {
            const Cell cell{r, mem, i, j, n, first + layer - 1, layer};
            const int number = CellIndex3[i][j][cell.k];
            PlaceCorners(cell);
            LinkCell(cell);
            if (mem.value == 10 && layer == 1) MoveShorelineCorners(cell, moved);
            altgrid::KnownFaces(r, i, j);
            built = altgrid::BuildGuarded(number, [&] {
                if (mem.variant) {
                    AddHexCellVariant(number, i, j, cell.k);
                } else {
                    AddHexCell(number);
                }
            });
        }
    });
    if (built) MoveNodePoints(r, moved);
    return built;
}

}  // namespace

bool GenerateLayeredColumns() {
    const Member mem = MemberOf(GridAlgorithm);
    for (int b = 1; b <= NoBlocks; ++b) {
        BlockRecord& r = BlockTable[b];
        if (r.depthAveraged == 1) continue;
        altgrid::OpenRanges(r);
        const bool counted = r.field8 == 1 || EveryBlockCounted(mem);
        if (!counted) altgrid::RequireFixedLayers(b, r);
        if (counted) {
            CountLevelsAndColumns(mem, r);
        } else {
            FixedLayerColumns(r);
        }
        altgrid::NumberColumns(r, mem.topAligned);
        if (mem.value == 7) MarkSteepBanks(r);
        VariantBlock = &r;
        const bool built = BuildBlock(mem, r);
        VariantBlock = nullptr;
        if (!built) {
            GenerationFailedBlock = b;
            return false;
        }
        altgrid::CloseRanges(r);
    }
    return true;
}
