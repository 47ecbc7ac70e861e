// One water column's level change spread over its four corner nodes: the
// corner weights from the areas of the columns sharing each corner, the
// F 205 weightings, the F 163 limits, the passes that hand back what a full
// corner cannot take, the booking of what is left and the copies of block-edge
// nodes in the neighbouring blocks.
#include <algorithm>
#include <cmath>

#include "flow/cell_lookup.h"
#include "run/globals.h"
#include "run/log.h"
#include "sediment/bed_change.h"
#include "sediment/bed_concentration.h"
#include "surface/surface_levels.h"

namespace {

// The eight neighbour columns, by their bottom cells (0 for none).
enum Side { kE, kS, kW, kN, kSE, kSW, kNW, kNE, kSides };
constexpr int kSideDi[kSides] = {1, 0, -1, 0, 1, -1, -1, 1};
constexpr int kSideDj[kSides] = {0, -1, 0, 1, -1, -1, 1, 1};
// The columns that share each corner (besides the column itself).
constexpr int kCornerSides[4][3] = {{kE, kN, kNE}, {kE, kS, kSE}, {kW, kS, kSW}, {kW, kN, kNW}};

constexpr double kNoLimit = 1000.0;

int Link(const Array1<int>& a, int c) { return IsGridCell(c) ? a[c] : 0; }

struct Column {
    int i = 0, j = 0, b = 0, c = 0;
    double dz = 0.0, area = 0.0;
    int nb[kSides] = {};
    // w: the plain corner weights (the area each corner node stands for,
    // times four); share: the F 205 1 to 7 weighting as each corner's share
    // of the change (sum 4); f: the F 205 8 to 10 factors (sum 4).
    double w[4] = {}, share[4] = {1.0, 1.0, 1.0, 1.0}, f[4] = {1.0, 1.0, 1.0, 1.0}, limit[4] = {}, m[4] = {};
    int nodeI[4] = {}, nodeJ[4] = {};
};

void FindNeighbours(Column& col) {
    const int c = col.c;
    int* nb = col.nb;
    nb[kE] = Link(Ccelle, c);
    nb[kS] = Link(Ccells, c);
    nb[kW] = Link(Ccellw, c);
    nb[kN] = Link(Ccelln, c);
    auto diagonal = [](int first, const Array1<int>& a, int second, const Array1<int>& b) {
        const int d = Link(a, first);
        return d != 0 ? d : Link(b, second);
    };
    nb[kSE] = diagonal(nb[kS], Ccelle, nb[kE], Ccells);
    nb[kSW] = diagonal(nb[kS], Ccellw, nb[kW], Ccells);
    nb[kNW] = diagonal(nb[kN], Ccellw, nb[kW], Ccelln);
    nb[kNE] = diagonal(nb[kN], Ccelle, nb[kE], Ccelln);
    for (int& n : col.nb) n = BottomCellBelow(n);
}

bool InBlock(const ColumnBlock& r, int i, int j) { return i >= r.iFirst && i <= r.iLast && j >= r.jFirst && j <= r.jLast; }

double NeighbourArea(const Column& col, const ColumnBlock& r, int side) {
    const int i = col.i + kSideDi[side], j = col.j + kSideDj[side];
    if (InBlock(r, i, j)) return PlanArea[i][j];
    const int n = col.nb[side];
    return n > 0 ? Barea[Cbedcell[n]] : 0.0;
}

void ComputeWeights(Column& col, const ColumnBlock& r) {
    double side[kSides];
    for (int s = 0; s < kSides; ++s) side[s] = NeighbourArea(col, r, s);
    for (int k = 0; k < 4; ++k) {
        col.w[k] = col.area;
        for (const int s : kCornerSides[k]) col.w[k] += side[s];
    }
}

double Sum4(const double v[4]) { return v[0] + v[1] + v[2] + v[3]; }

// A corner moves as its share over its plain weight, so the node moves always
// add up to the column's change: the weighted corner weights become shares
// in proportion to plain / weighted, which keeps the shape the weighting
// gives the moves (a smaller weight, a larger move) but not the volume error
// that moving as 1 / weighted would bring.
void SharesFromWeights(Column& col, const double weighted[4]) {
    double ratio[4];
    for (int k = 0; k < 4; ++k) ratio[k] = col.w[k] / weighted[k];
    const double sum = Sum4(ratio);
    for (int k = 0; k < 4; ++k) col.share[k] = 4.0 * ratio[k] / sum;
}

// A weight of zero would send an infinite move to its corner: the level
// weighting without a base value (F 205 4) keeps a thousandth of the plain
// weight at the extreme corner instead.
constexpr double kLeastLevelFactor = 1e-3;

// The cell corner point at corner k minus the cell centre.
void CornerOffset(int c, int k, double& dx, double& dy) {
    const Array1<int>* const point[4] = {&Cpoint3, &Cpoint2, &Cpoint1, &Cpoint4};
    const int p = (*point[k])[c];
    dx = Px1[p] - Cxcenter[c];
    dy = Py1[p] - Cycenter[c];
}

double CornerCosine(const Column& col, int k, bool plain) {
    double dx = 0.0, dy = 0.0;
    CornerOffset(col.c, k, dx, dy);
    const double u = Cu[col.c], v = Cv[col.c];
    if (plain) return CosAngle2D(u, v, dx, dy);
    return (dx * u + dy * v) / ((std::sqrt(dx * dx + dy * dy) + 1e-20) * (std::sqrt(u * u + v * v) + 1e-20));
}

bool DryColumn(int i, int j) { return GridColumnBottom(i, j) == 0; }

// The two corners on each side, east, west, north, south, and the corner
// opposite each of them.
constexpr int kSideCorners[4][2] = {{0, 1}, {3, 2}, {0, 3}, {1, 2}};
constexpr int kOppositeCorners[4][2] = {{3, 2}, {0, 1}, {1, 2}, {0, 3}};
constexpr int kSideOrderDi[4] = {1, -1, 0, 0};
constexpr int kSideOrderDj[4] = {0, 0, 1, -1};

void ApplyWeighting(Column& col, const CornerRules& rules) {
    const int variant = BedChangeVariant;
    const bool erosion = col.dz < 0.0;
    double w[4];
    std::copy(col.w, col.w + 4, w);
    if (variant >= 1 && variant <= 4) {
        const double g = variant == 1 ? 1.0 : variant == 2 ? 0.5 : variant == 3 ? 0.1 : 0.0;
        double z[4];
        for (int k = 0; k < 4; ++k) z[k] = Gridz[col.nodeI[k]][col.nodeJ[k]][1];
        const double zmax = *std::max_element(z, z + 4), zmin = *std::min_element(z, z + 4);
        const double r = 1.0 / (zmax - zmin + 1e-20);
        for (int k = 0; k < 4; ++k) {
            w[k] *= std::max((erosion ? (zmax - z[k]) : (z[k] - zmin)) * r + g, kLeastLevelFactor);
        }
        SharesFromWeights(col, w);
    } else if (variant == 5 || (variant == 6 && erosion)) {
        for (int k = 0; k < 4; ++k) {
            const double cosine = CornerCosine(col, k, rules.plainCosine);
            if (cosine > 0.0) w[k] *= cosine + 1.0;
        }
        SharesFromWeights(col, w);
    } else if (variant == 7 && erosion && rules.factors) {
        // What a halved corner gives up goes to the corner facing it across
        // the column.
        for (int s = 0; s < 4; ++s) {
            if (DryColumn(col.i + kSideOrderDi[s], col.j + kSideOrderDj[s])) continue;
            for (int n = 0; n < 2; ++n) {
                const double half = 0.5 * w[kSideCorners[s][n]];
                w[kSideCorners[s][n]] -= half;
                w[kOppositeCorners[s][n]] += half;
            }
        }
        SharesFromWeights(col, w);
    }
    if (!rules.factors) return;
    if (variant == 8 && erosion) {
        for (int s = 0; s < 4; ++s) {
            if (!DryColumn(col.i + kSideOrderDi[s], col.j + kSideOrderDj[s])) continue;
            for (int n = 0; n < 2; ++n) {
                col.f[kSideCorners[s][n]] = 2.0;
                col.f[kOppositeCorners[s][n]] = 0.0;
            }
        }
    } else if (variant == 9 || variant == 10) {
        if (variant == 10) {
            bool dryNeighbour = false;
            for (int s = 0; s < 4; ++s) dryNeighbour = dryNeighbour || DryColumn(col.i + kSideOrderDi[s], col.j + kSideOrderDj[s]);
            if (!dryNeighbour) return;
        }
        const int bottom = Link(Csurfb, col.c);
        const double nx = IsGridSurface(bottom) ? Fvecx[bottom] : 0.0, ny = IsGridSurface(bottom) ? Fvecy[bottom] : 0.0;
        // A steep bed under a small F 109 would give factors below zero, so
        // the slope share stays within -1..1.
        const double s = std::clamp(nx / CotAngle1, -1.0, 1.0);
        const double h = erosion ? -1.0 : s;
        for (int k = 0; k < 4; ++k) {
            double dx = 0.0, dy = 0.0;
            CornerOffset(col.c, k, dx, dy);
            col.f[k] = 1.0 + h * CosAngle2D(nx, ny, dx, dy);
        }
    } else {
        return;
    }
    const double scale = 4.0 / (Sum4(col.f) + 1e-20);
    for (double& f : col.f) f *= scale;
}

void ComputeLimits(Column& col) {
    for (int k = 0; k < 4; ++k) {
        const int ni = col.nodeI[k], nj = col.nodeJ[k];
        const double bed = Gridz[ni][nj][1];
        if (F163Int == 2) {
            col.limit[k] = kNoLimit;
        } else if (col.dz < 0.0) {
            col.limit[k] = std::max(0.0, bed - GridLevels[3][ni][nj]);
        } else if (F163Int == 1) {
            col.limit[k] = std::max(0.0, Gridz[ni][nj][NoGridLinesZ] - bed);
        } else {
            col.limit[k] = kNoLimit;
        }
    }
}

struct PassResult {
    double rest;
    int lastPass;
    int pathMark;
};

// Each pass puts f(k) rest A / w(k) on corner k, which is f(k) rest A / 4 of
// volume, and takes back into rest, as volume, what passes a corner's limit:
// with the f summing to 4 the moves and the rest always hold the change.
PassResult RunPasses(Column& col, bool useFactors, double tolerance) {
    double rest = std::fabs(col.dz);
    double f[4];
    for (int k = 0; k < 4; ++k) f[k] = col.share[k] * (useFactors ? col.f[k] : 1.0);
    int pass = 0;
    for (; pass < F242Int; ++pass) {
        for (int k = 0; k < 4; ++k) {
            col.m[k] += f[k] * rest * col.area / col.w[k];
        }
        rest = 0.0;
        for (int k = 0; k < 4; ++k) {
            if (col.m[k] > col.limit[k]) {
                rest += (col.m[k] - col.limit[k]) * col.w[k] * 0.25 / col.area;
                col.m[k] = col.limit[k];
            }
        }
        if (rest < tolerance) break;
    }
    return {rest, pass, 5};
}

void WriteDiagnostics(const Column& col, const PassResult& p) {
    const int b = col.b, c = col.c;
    double available = 0.0, eroded = 0.0, sumL = 0.0, sumM = 0.0;
    for (int k = 0; k < 4; ++k) {
        available += 0.25 * col.w[k] * col.limit[k];
        eroded += 0.25 * col.w[k] * col.m[k];
        sumL += col.limit[k];
        sumM += col.m[k];
    }
    const bool layers = BSedDistrib.exists() && BSedDistrib.extent1() > 1 && static_cast<size_t>(b) < BSedDistrib.extent3();
    const double top = layers ? BSedDistrib[1][0][b] : 0.0, bed = layers ? BSedDistrib[0][0][b] : 0.0;
    LogAppend("Warning in bed change, i,j,ii,l,rest,dz,area = %d %d %d %d %lg %lg %lg\n", col.i, col.j, p.pathMark, p.lastPass,
              p.rest, col.dz, col.area);
    LogAppend("Iter: %d, Thickness top: %lg bottom: %lg\n", Iter, top, bed);
    LogAppend("Volume available: %lg, eroded: %lg, supp_eroded: %lg, avl_box_2: %lg, avl_box_1: %lg\n", available, eroded,
              col.dz * col.area, 0.25 * col.area * sumL, col.area * top);
    auto flux = [](int s) { return IsGridSurface(s) ? Fflux[s] : 0.0; };
    LogAppend("Fluxes through cell (tenws): %e %e %e %e %e\n", flux(Csurft[c]), flux(Csurfe[c]), flux(Csurfn[c]),
              flux(Csurfw[c]), flux(Csurfs[c]));
    LogAppend("Neighbour cell indexes (tenws): %d %d %d %d %d\n", Ccellt[c], Ccelle[c], Ccelln[c], Ccellw[c], Ccells[c]);
    LogAppend("Distances: i: %lf j: %lf k: %lf\n", Cidist[c], Cjdist[c], Ckdist[c]);
    LogAppend("Barea: %lf, m_armap: %lf, Careaz: %lf\n", Barea[b], col.area, Careaz[c]);
    LogAppend("Distances: av_minmove: %lg, av_move: %lg, vaval/area: %lg, BSedDistrib[TOP]: %lg, BSedDistrib[BED]: %lg, dz: %lg\n",
              0.25 * sumL, 0.25 * sumM, available / col.area, top, bed, col.dz);
    for (int k = 0; k < 4; ++k) {
        LogAppend("Corner %d, move, factor, minmove = %lg %lg %lg\n", k + 1, col.m[k], col.w[k], col.limit[k]);
    }
    for (int s = 1; s <= NoSizes; ++s) {
        const double concentration =
            conc.exists() && static_cast<size_t>(s) < conc.extent1() && static_cast<size_t>(c) < conc.extent2() ? conc[s][c] : 0.0;
        const double fraction = layers && static_cast<size_t>(s) < BSedDistrib.extent2() ? BSedDistrib[1][s][b] : 0.0;
        LogAppend("Cell P: Size %d, Conc: %lg, Fraction: %lg\n", s, concentration, fraction);
    }
}

void MoveNode(int i, int j, double move) {
    if (!IsGridNode(i, j)) return;
    Gridz[i][j][1] += move;
    GridLevels[1][i][j] += move;
}

// The node of neighbour column n at offset (di, dj) from its own (i', j').
// A node the column itself owns (blocks that share a node line in the
// structured arrays) has moved already and is left alone.
void MoveNeighbourNode(const Column& col, int n, int di, int dj, double move) {
    if (n <= 0) return;
    const int b = Cbedcell[n];
    if (b <= 0 || b > NoBedCells) return;
    const int i = Bkooi[b] + di, j = Bkooj[b] + dj;
    for (int k = 0; k < 4; ++k) {
        if (col.nodeI[k] == i && col.nodeJ[k] == j) return;
    }
    MoveNode(i, j, move);
}

void CopyEdgeMoves(const Column& col, const ColumnBlock& r) {
    const int* nb = col.nb;
    const double* m = col.m;
    const bool iFirst = col.i == r.iFirst, iLast = col.i == r.iLast, jFirst = col.j == r.jFirst, jLast = col.j == r.jLast;
    enum { NE, SE, SW, NW };
    if (iLast && nb[kE] > 0) {
        MoveNeighbourNode(col, nb[kE], -1, 0, m[NE]);
        MoveNeighbourNode(col, nb[kE], -1, -1, m[SE]);
    }
    if (jFirst && nb[kS] > 0) {
        MoveNeighbourNode(col, nb[kS], -1, 0, m[SW]);
        MoveNeighbourNode(col, nb[kS], 0, 0, m[SE]);
    }
    if (iFirst && nb[kW] > 0) {
        MoveNeighbourNode(col, nb[kW], 0, 0, m[NW]);
        MoveNeighbourNode(col, nb[kW], 0, -1, m[SW]);
    }
    if (jLast && nb[kN] > 0) {
        MoveNeighbourNode(col, nb[kN], 0, -1, m[NE]);
        MoveNeighbourNode(col, nb[kN], -1, -1, m[NW]);
    }
    if (jFirst && !iFirst && nb[kS] == 0) MoveNeighbourNode(col, nb[kSW], 0, 0, m[SW]);
    if (jFirst && !iLast && nb[kS] == 0) MoveNeighbourNode(col, nb[kSE], -1, 0, m[SE]);
    if (jLast && !iFirst && nb[kN] == 0) MoveNeighbourNode(col, nb[kNW], 0, -1, m[NW]);
    if (jLast && !iLast && nb[kN] == 0) MoveNeighbourNode(col, nb[kNE], -1, -1, m[NE]);
    if (iFirst && !jFirst && nb[kW] == 0) MoveNeighbourNode(col, nb[kSW], 0, 0, m[SW]);
    if (iFirst && !jLast && nb[kW] == 0) MoveNeighbourNode(col, nb[kNW], 0, -1, m[NW]);
    if (iLast && !jFirst && nb[kE] == 0) MoveNeighbourNode(col, nb[kSE], -1, 0, m[SE]);
    if (iLast && !jLast && nb[kE] == 0) MoveNeighbourNode(col, nb[kNE], -1, -1, m[NE]);
}

}  // namespace

bool DistributeColumnChange(int i, int j, int b, int c, const ColumnBlock& block, const CornerRules& rules, double moves[4]) {
    if (moves != nullptr) std::fill(moves, moves + 4, 0.0);
    if (!IsGridCell(c) || b < 1 || b > NoBedCells || Bcellt[b] < 1) return false;
    Column col;
    col.i = i;
    col.j = j;
    col.b = b;
    col.c = TopCellWalkFlag == 1 ? TopCellAbove(c) : c;
    col.dz = Bedmove[b];
    if (!(std::fabs(col.dz) > 1e-12)) return false;
    col.area = PlanArea[i][j];
    if (!(col.area > 0.0)) return false;
    for (int k = 0; k < 4; ++k) {
        col.nodeI[k] = i + kCornerDi[k];
        col.nodeJ[k] = j + kCornerDj[k];
        if (!IsGridNode(col.nodeI[k], col.nodeJ[k])) return false;
    }
    FindNeighbours(col);
    ComputeWeights(col, block);
    ApplyWeighting(col, rules);
    ComputeLimits(col);
    // The odd-numbered columns keep the finer tolerance and their path mark
    // in the diagnostics; the factors act on every column.
    const bool even = std::fabs(std::fmod(static_cast<double>(col.c), 2.0)) < 0.001;
    PassResult p = RunPasses(col, rules.factors, even ? 1e-9 : 1e-10);
    if (!even && F242Int >= 1) p.pathMark = 3;
    const double mass = p.rest * col.area * BedSolidFraction * 1000.0 * SedRelativeDensity;
    BedMoveDefect += mass * col.dz / std::fabs(col.dz + 1e-20);
    BedMoveDefectAbs += mass;
    if (std::fabs(p.rest) > 1e-6 && DebugOption == 'S') WriteDiagnostics(col, p);
    if (col.dz < 0.0) {
        for (double& m : col.m) m = -m;
    }
    for (int k = 0; k < 4; ++k) MoveNode(col.nodeI[k], col.nodeJ[k], col.m[k]);
    if (rules.edgeCopies) CopyEdgeMoves(col, block);
    if (moves != nullptr) std::copy(col.m, col.m + 4, moves);
    return true;
}
