// How the blocks of a grid find each other: the partner cells of the
// block-boundary records, and the links between the cells of overlapping
// blocks.
#include <omp.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "grid/grid_services.h"
#include "grid/metric_steps.h"
#include "run/globals.h"

namespace {

constexpr int kPartners = 4;
constexpr double kFar = 1e30;

struct Point3 {
    double x, y, z;
};

Point3 SurfaceCentre(int s) {
    const int q[4] = {Fpoint1[s], Fpoint2[s], Fpoint3[s], Fpoint4[s]};
    Point3 m{0.0, 0.0, 0.0};
    for (int p : q) {
        m.x += Px1[p];
        m.y += Py1[p];
        m.z += Pz1[p];
    }
    return {0.25 * m.x, 0.25 * m.y, 0.25 * m.z};
}

// The cell range of block b, within the cells of the grid.
void BlockCells(int b, int* first, int* last) {
    *first = std::max(BlockTable[b].firstCell, 1);
    *last = std::min(BlockTable[b].lastCell, NoCells);
}

// The cells nearest first: a cell replaces only a strictly nearer one, so of
// equal distances the earlier cell ranks first.
struct NearestFour {
    int cell[kPartners] = {0, 0, 0, 0};
    double d2[kPartners] = {kFar, kFar, kFar, kFar};

    void offer(int c, double d) {
        if (!(d < d2[kPartners - 1])) return;
        int at = kPartners - 1;
        while (at > 0 && d < d2[at - 1]) {
            cell[at] = cell[at - 1];
            d2[at] = d2[at - 1];
            --at;
        }
        cell[at] = c;
        d2[at] = d;
    }
};

// The cell of the column of `top` (down through Ccellb) whose centre level is
// nearest to z.
int NearestInColumn(int top, double z) {
    int best = top;
    double bestGap = std::fabs(Czcenter[top] - z);
    int steps = 0;
    for (int c = Ccellb[top]; c > 0 && c <= NoCells && steps < NoCells; c = Ccellb[c], ++steps) {
        const double gap = std::fabs(Czcenter[c] - z);
        if (gap < bestGap) {
            best = c;
            bestGap = gap;
        }
    }
    return best;
}

// The four top cells of block 1 nearest in plan to the face centre that lie
// in front of the face, each then moved down its column to the level of the
// face centre.
void PartnersInFront(int s, const Point3& f, const std::vector<int>& topCells, int* partner) {
    const double sign = Fcell1[s] == 0 ? -1.0 : 1.0;
    const double nx = Fvecx[s], ny = Fvecy[s];
    NearestFour best;
    for (int c : topCells) {
        const double dx = Cxcenter[c] - f.x, dy = Cycenter[c] - f.y;
        if (!(sign * (dx * nx + dy * ny) > 0.0)) continue;
        best.offer(c, dx * dx + dy * dy);
    }
    for (int k = 0; k < kPartners; ++k) partner[k] = best.cell[k] != 0 ? NearestInColumn(best.cell[k], f.z) : 0;
}

// F 241: a top face takes the nearest cell of block 1 above it.
void PartnerAbove(const Point3& f, int* partner) {
    int first = 0, last = -1;
    if (NoBlocks >= 1) BlockCells(1, &first, &last);
    int best = 0;
    double bestD2 = kFar;
    for (int c = first; c <= last; ++c) {
        if (!(Czcenter[c] > f.z)) continue;
        const double dx = Cxcenter[c] - f.x, dy = Cycenter[c] - f.y, dz = Czcenter[c] - f.z;
        const double d2 = dx * dx + dy * dy + dz * dz;
        if (d2 < bestD2) {
            best = c;
            bestD2 = d2;
        }
    }
    partner[0] = best;
    partner[1] = partner[2] = partner[3] = 0;
}

struct ColumnSpan {
    int first = 0;
    int last = -1;
};

// Over the blocks with a positive overlap level: the smallest first and the
// largest last column.
ColumnSpan OverlapColumns() {
    ColumnSpan span;
    bool any = false;
    for (int b = 1; b <= NoBlocks; ++b) {
        const BlockRecord& r = BlockTable[b];
        if (r.overlapLevel <= 0) continue;
        span.first = any ? std::min(span.first, r.firstColumn) : r.firstColumn;
        span.last = any ? std::max(span.last, r.lastColumn) : r.lastColumn;
        any = true;
    }
    return span;
}

int ColumnBottom(int column) {
    if (column <= 0 || static_cast<size_t>(column) >= Bkooi.size()) return 0;
    return ColumnBottomCell(Bkooi[column], Bkooj[column]);
}

// With the columns numbered: each column of an overlapping block is linked,
// level by level, to the nearest of the partner column and its neighbours
// to the north, east and north-east.
void LinkColumns() {
    const ColumnSpan span = OverlapColumns();
    const int first = std::max(span.first, 1);
    const int last = std::min({span.last, NoBedCells, static_cast<int>(Bconnection.size()) - 1});
    for (int b = first; b <= last; ++b) {
        const int c0 = ColumnBottom(b);
        const int partner = Bconnection[b];
        // A column without a partner column keeps its cells unlinked.
        if (c0 == 0 || partner <= 0) continue;
        const int c1 = ColumnBottom(partner);
        if (c1 == 0) continue;
        const int north = Ccelln[c1], east = Ccelle[c1];
        const int diagonal = Ccelle[north] != 0 ? Ccelle[north] : Ccelln[east];
        int chosen = 0;
        double nearest = kFar;
        for (int c : {c1, north, east, diagonal}) {
            if (c == 0) continue;
            const double dx = Cxcenter[c] - Cxcenter[c0], dy = Cycenter[c] - Cycenter[c0];
            const double d2 = dx * dx + dy * dy;
            if (d2 < nearest) {
                chosen = c;
                nearest = d2;
            }
        }
        if (chosen == 0) continue;
        int bottom = chosen;
        for (int steps = 0; Ccellb[bottom] != 0 && steps < NoCells; ++steps) bottom = Ccellb[bottom];
        ForEachCellUp(c0, [&](int c) {
            int link = 0;
            double gap = kFar;
            ForEachCellUp(bottom, [&](int d) {
                const double g = std::fabs(Czcenter[d] - Czcenter[c]);
                if (g < gap) {
                    link = d;
                    gap = g;
                }
            });
            Clink[c] = link;
        });
    }
}

// The nearest centre among the cells of the blocks one overlap level below
// block b, within the cell's own reach, for the cells first..last of b.
void LinkBlockCellsBody(int b, int first, int last, double verticalWeight) {
    const int below = BlockTable[b].overlapLevel - 1;
    const double* const xc = Cxcenter.data();
    const double* const yc = Cycenter.data();
    const double* const zc = Czcenter.data();
    const double* const idist = Cidist.data();
    const double* const jdist = Cjdist.data();
    const double* const kdist = Ckdist.data();
    int* const link = Clink.data();
    for (int c = first; c <= last; ++c) {
        const double x = xc[c], y = yc[c], z = zc[c];
        const double ri = 2.0 * idist[c], rj = 2.0 * jdist[c], rk = 2.0 * kdist[c];
        double bestD2 = ri * ri + rj * rj + verticalWeight * rk * rk;
        int best = 0;
        // The last block of the table is never a partner.
        for (int b2 = 1; b2 <= NoBlocks - 1; ++b2) {
            if (BlockTable[b2].overlapLevel != below) continue;
            int f2 = 0, l2 = -1;
            BlockCells(b2, &f2, &l2);
            for (int d = f2; d <= l2; ++d) {
                const double dx = xc[d] - x, dy = yc[d] - y, dz = zc[d] - z;
                const double d2 = dx * dx + dy * dy + dz * dz;
                if (d2 < bestD2) {
                    bestD2 = d2;
                    best = d;
                }
            }
        }
        link[c] = best;
    }
}

// Before the columns are numbered (or without the table of partner columns):
// a search over the cells, one parallel region per block when threads are
// given, serial otherwise. The serial search reaches ten times as far
// vertically.
void LinkBySearch() {
    const bool parallel = NoThreads > 0 && OpenMPSwitches[11] != 1;
    for (int b = 1; b <= NoBlocks; ++b) {
        if (BlockTable[b].overlapLevel <= 0) continue;
        int first = 0, last = -1;
        BlockCells(b, &first, &last);
        if (last < first) continue;
        if (!parallel) {
            LinkBlockCellsBody(b, first, last, 10.0);
            continue;
        }
        const int n = last - first + 1;
#pragma omp parallel num_threads(NoThreads)
        {
            const int threads = omp_get_num_threads();
            const int chunk = (n + threads - 1) / threads;
            const int from = first + omp_get_thread_num() * chunk;
            const int to = std::min(from + chunk - 1, last);
            if (from <= to) LinkBlockCellsBody(b, from, to, 1.0);
        }
    }
}

}  // namespace

void FindBoundaryPartners() {
    if (!BoundaryCellSurface.exists() || !BoundaryCellPartner.exists() || !BoundaryCellPartnerXyz.exists()) return;
    std::vector<int> topCells;
    if (NoBlocks >= 1) {
        int first = 0, last = -1;
        BlockCells(1, &first, &last);
        for (int c = first; c <= last; ++c) {
            if (Ccellt[c] == 0) topCells.push_back(c);
        }
    }
    for (int r = 1; r <= NoBoundaryCells; ++r) {
        const int s = BoundaryCellSurface[r];
        if (s <= 0 || s > NoSurfaces) continue;
        const Point3 f = SurfaceCentre(s);
        int partner[kPartners];
        if (F241Option > 0 && Ftype1[s] == 6) {
            PartnerAbove(f, partner);
        } else {
            PartnersInFront(s, f, topCells, partner);
        }
        for (int k = 0; k < kPartners; ++k) {
            const int c = partner[k];
            BoundaryCellPartner[r][k] = c;
            double v[3] = {0.0, 0.0, 0.0};
            if (c != 0) {
                const double dx = Cxcenter[c] - f.x, dy = Cycenter[c] - f.y, dz = Czcenter[c] - f.z;
                const double len = std::sqrt(dx * dx + dy * dy + dz * dz + 1e-20);
                v[0] = dx / len;
                v[1] = dy / len;
                v[2] = dz / len;
            }
            for (int a = 0; a < 3; ++a) BoundaryCellPartnerXyz[r][k][a] = v[a];
        }
    }
}

void LinkBlockCells() {
    if (!Clink.exists()) return;
    if (NoBedCells >= 1 && Bconnection.exists()) {
        LinkColumns();
    } else {
        LinkBySearch();
    }
}
