// The cell metric: the geometry of every cell and surface from the points,
// and what the equation builders read of the topology through it (the side
// of each cell a surface lies on, the distances to the cell centres, the
// cells beyond, the flow flags).
//
// It runs after every generation and every move of the grid, so the cell and
// surface loops work on raw pointers taken once per loop.
#include <omp.h>

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "grid/grid_services.h"
#include "grid/metric_steps.h"
#include "run/globals.h"

namespace {

constexpr double kMinVolume = 1e-30;
// Absolute, in metres: the columns of the grid stand vertical.
constexpr double kMaxLean = 1e-7;

// Sides of a cell, numbered as the surfaces record them.
enum Side : int { kNoSide = 0, kSouth = 1, kEast = 2, kNorth = 3, kWest = 4, kBottom = 5, kTop = 6 };

void CellGeometry() {
    const int n = NoCells;
    const int* const p1 = Cpoint1.data();
    const int* const p2 = Cpoint2.data();
    const int* const p3 = Cpoint3.data();
    const int* const p4 = Cpoint4.data();
    const int* const p5 = Cpoint5.data();
    const int* const p6 = Cpoint6.data();
    const int* const p7 = Cpoint7.data();
    const int* const p8 = Cpoint8.data();
    const double* const px = Px1.data();
    const double* const py = Py1.data();
    const double* const pz = Pz1.data();
    double* const xc = Cxcenter.data();
    double* const yc = Cycenter.data();
    double* const zc = Czcenter.data();
    double* const dxdi = Cdxdi.data();
    double* const dydi = Cdydi.data();
    double* const dzdi = Cdzdi.data();
    double* const dxdj = Cdxdj.data();
    double* const dydj = Cdydj.data();
    double* const dzdj = Cdzdj.data();
    double* const dxdk = Cdxdk.data();
    double* const dydk = Cdydk.data();
    double* const dzdk = Cdzdk.data();
    double* const idist = Cidist.data();
    double* const jdist = Cjdist.data();
    double* const kdist = Ckdist.data();
    double* const areax = Careax.data();
    double* const areay = Careay.data();
    double* const areaz = Careaz.data();
    double* const vol = Cvol.data();

    for (int c = 1; c <= n; ++c) {
        const int a1 = p1[c], a2 = p2[c], a3 = p3[c], a4 = p4[c];
        const int a5 = p5[c], a6 = p6[c], a7 = p7[c], a8 = p8[c];
        const double x1 = px[a1], x2 = px[a2], x3 = px[a3], x4 = px[a4];
        const double x5 = px[a5], x6 = px[a6], x7 = px[a7], x8 = px[a8];
        const double y1 = py[a1], y2 = py[a2], y3 = py[a3], y4 = py[a4];
        const double y5 = py[a5], y6 = py[a6], y7 = py[a7], y8 = py[a8];
        const double z1 = pz[a1], z2 = pz[a2], z3 = pz[a3], z4 = pz[a4];
        const double z5 = pz[a5], z6 = pz[a6], z7 = pz[a7], z8 = pz[a8];

        // Four times the mean edge along i, j and k.
        const double xi = (x2 + x3 + x6 + x7) - (x1 + x4 + x5 + x8);
        const double yi = (y2 + y3 + y6 + y7) - (y1 + y4 + y5 + y8);
        const double zi = (z2 + z3 + z6 + z7) - (z1 + z4 + z5 + z8);
        const double xj = (x3 + x4 + x7 + x8) - (x1 + x2 + x5 + x6);
        const double yj = (y3 + y4 + y7 + y8) - (y1 + y2 + y5 + y6);
        const double zj = (z3 + z4 + z7 + z8) - (z1 + z2 + z5 + z6);
        const double xk = (x5 + x6 + x7 + x8) - (x1 + x2 + x3 + x4);
        const double yk = (y5 + y6 + y7 + y8) - (y1 + y2 + y3 + y4);
        const double zk = (z5 + z6 + z7 + z8) - (z1 + z2 + z3 + z4);

        // Every result comes from these locals: a store to one result array
        // could alias any other, so nothing is read back.
        const double dxi = 0.25 * xi, dyi = 0.25 * yi;
        const double dxj = 0.25 * xj, dyj = 0.25 * yj;
        const double kd = 0.125 * std::sqrt(xk * xk + yk * yk + zk * zk);
        const double az = 0.5 * ((x1 - x3) * (y2 - y4) - (y1 - y3) * (x2 - x4));
        dxdi[c] = dxi;
        dydi[c] = dyi;
        dzdi[c] = 0.25 * zi;
        idist[c] = 0.125 * std::sqrt(xi * xi + yi * yi + zi * zi);
        xc[c] = 0.125 * (x1 + x2 + x3 + x4 + x5 + x6 + x7 + x8);
        dxdj[c] = dxj;
        dydj[c] = dyj;
        dzdj[c] = 0.25 * zj;
        jdist[c] = 0.125 * std::sqrt(xj * xj + yj * yj + zj * zj);
        yc[c] = 0.125 * (y1 + y2 + y3 + y4 + y5 + y6 + y7 + y8);
        dxdk[c] = 0.25 * xk;
        dydk[c] = 0.25 * yk;
        dzdk[c] = 0.25 * zk;
        kdist[c] = kd;
        zc[c] = 0.125 * (z1 + z2 + z3 + z4 + z5 + z6 + z7 + z8);
        areaz[c] = az;
        vol[c] = 2.0 * az * kd;
        areay[c] = 2.0 * kd * std::sqrt(dxi * dxi + dyi * dyi);
        areax[c] = 2.0 * kd * std::sqrt(dxj * dxj + dyj * dyj);
    }
}

// In cell order, so the first bad cell is the one reported. A volume that is
// not a number counts as none.
void CheckCells() {
    const int n = NoCells;
    const double* const vol = Cvol.data();
    const double* const dxdk = Cdxdk.data();
    const double* const dydk = Cdydk.data();
    const double* const dzdk = Cdzdk.data();
    for (int c = 1; c <= n; ++c) {
        if (!(vol[c] >= kMinVolume)) [[unlikely]] ReportZeroVolumeCell(c);
        if (!(std::fabs(dxdk[c]) <= kMaxLean && std::fabs(dydk[c]) <= kMaxLean)) [[unlikely]] ReportSkewedCell(c);
        if (dzdk[c] < 0.0) [[unlikely]] ReportUpsideDownCell(c);
    }
}

// The per-cell tables through which a surface finds its side of a cell.
struct SideTables {
    const int* surf[7];
    const double* dist[7];
    const int* far[7];

    SideTables()
        : surf{nullptr, Csurfs.data(), Csurfe.data(), Csurfn.data(), Csurfw.data(), Csurfb.data(), Csurft.data()},
          dist{nullptr, Cjdist.data(), Cidist.data(), Cjdist.data(), Cidist.data(), Ckdist.data(), Ckdist.data()},
          far{nullptr, Ccelln.data(), Ccellw.data(), Ccells.data(), Ccelle.data(), Ccellt.data(), Ccellb.data()} {}

    // The side of cell c that surface s is (the last that matches), with the
    // cell's half length across it and the cell beyond; all 0 for none.
    void find(int c, int s, int* type, double* dist1, int* far1) const {
        int t = kNoSide;
        if (c != 0) {
            for (int k = kSouth; k <= kTop; ++k) {
                if (surf[k][c] == s) t = k;
            }
        }
        *type = t;
        *dist1 = t != kNoSide ? dist[t][c] : 0.0;
        *far1 = t != kNoSide ? far[t][c] : 0;
    }
};

void SurfaceGeometry() {
    const int n = NoSurfaces;
    const int* const q1 = Fpoint1.data();
    const int* const q2 = Fpoint2.data();
    const int* const q3 = Fpoint3.data();
    const int* const q4 = Fpoint4.data();
    const double* const px = Px1.data();
    const double* const py = Py1.data();
    const double* const pz = Pz1.data();
    const int* const cell1 = Fcell1.data();
    const int* const cell2 = Fcell2.data();
    double* const area = Farea.data();
    double* const vx = Fvecx.data();
    double* const vy = Fvecy.data();
    double* const vz = Fvecz.data();
    double* const ax = Fareax.data();
    double* const ay = Fareay.data();
    double* const az = Fareaz.data();
    int* const type1 = Ftype1.data();
    int* const type2 = Ftype2.data();
    double* const dist1 = Fdist1.data();
    double* const dist2 = Fdist2.data();
    int* const far1 = Fcellfar1.data();
    int* const far2 = Fcellfar2.data();
    const SideTables sides;

    for (int s = 1; s <= n; ++s) {
        const int a1 = q1[s], a2 = q2[s], a3 = q3[s], a4 = q4[s];
        const double dx13 = px[a1] - px[a3], dy13 = py[a1] - py[a3], dz13 = pz[a1] - pz[a3];
        const double dx24 = px[a2] - px[a4], dy24 = py[a2] - py[a4], dz24 = pz[a2] - pz[a4];
        const double nx = dy13 * dz24 - dz13 * dy24;
        const double ny = dz13 * dx24 - dx13 * dz24;
        const double nz = dx13 * dy24 - dy13 * dx24;
        const double len = std::sqrt(nx * nx + ny * ny + nz * nz);
        area[s] = 0.5 * len;
        const double d = len + 1e-20;
        vx[s] = nx / d;
        vy[s] = ny / d;
        vz[s] = nz / d;
        ax[s] = 0.5 * nx;
        ay[s] = 0.5 * ny;
        az[s] = 0.5 * nz;
        sides.find(cell1[s], s, &type1[s], &dist1[s], &far1[s]);
        sides.find(cell2[s], s, &type2[s], &dist2[s], &far2[s]);
    }
}

// Shoreline triangle cells (F 235).
void TriangleCellCorrections() {
    const int option = TrekantOption;
    if (option != 2 && option != 3 && option != 4 && option != 22) return;
    const int n = NoCells;
    const int* const trekant = Ctrekant.data();
    double* const area = Farea.data();
    const int* const surf[4] = {Csurfe.data(), Csurfn.data(), Csurfs.data(), Csurfw.data()};
    const int* const nb[4] = {Ccelle.data(), Ccelln.data(), Ccells.data(), Ccellw.data()};
    const double factor = option == 2 ? 2.0 : 0.5;
    for (int c = 1; c <= n; ++c) {
        if (trekant[c] == 0) continue;
        if (option == 3) {
            Cvol[c] *= 2.0;
        } else if (option == 22) {
            Careax[c] = std::max(area[Csurfe[c]], area[Csurfw[c]]);
            Careay[c] = std::max(area[Csurfs[c]], area[Csurfn[c]]);
        } else {
            for (int k = 0; k < 4; ++k) {
                if (nb[k][c] != 0) area[surf[k][c]] *= factor;
            }
        }
    }
}

// A side of a shallow top cell faces several cells of the deeper column
// beside it (split faces); each of their faces gets the top cell as its cell
// on that hand.
struct SplitSide {
    const Array1<int>* count;
    const Array2<int>* list;
    const Array1<int>* facedSurface;  // the face of a listed cell towards the top cell
    bool topCellFirst;                // the top cell is Fcell1 of those faces
    Side type;
    const Array1<double>* halfLength;
    const Array1<int>* farCell;   // the cell beyond the top cell
    const Array1<int>* nextCell;  // the top cell's own neighbour on that side
};

void SplitFaceSides() {
    if (SplitFaceFlag <= 0 || !Cnocellse.exists() || !CnbMultiE.exists()) return;
    const SplitSide sides[4] = {
        {&Cnocellse, &CnbMultiE, &Csurfw, true, kEast, &Cidist, &Ccellw, &Ccelle},
        {&Cnocellsw, &CnbMultiW, &Csurfe, false, kWest, &Cidist, &Ccelle, &Ccellw},
        {&Cnocellsn, &CnbMultiN, &Csurfs, true, kNorth, &Cjdist, &Ccells, &Ccelln},
        {&Cnocellss, &CnbMultiS, &Csurfn, false, kSouth, &Cjdist, &Ccelln, &Ccells},
    };
    const int n = NoCells;
    for (const SplitSide& side : sides) {
        const int* const count = side.count->data();
        const int* const list = side.list->data();
        const size_t stride = side.list->extent2();
        const int* const faced = side.facedSurface->data();
        const double* const half = side.halfLength->data();
        const int* const far = side.farCell->data();
        const int* const next = side.nextCell->data();
        int* const cell = side.topCellFirst ? Fcell1.data() : Fcell2.data();
        double* const dist = side.topCellFirst ? Fdist1.data() : Fdist2.data();
        double* const otherDist = side.topCellFirst ? Fdist2.data() : Fdist1.data();
        int* const farOut = side.topCellFirst ? Fcellfar1.data() : Fcellfar2.data();
        int* const type = side.topCellFirst ? Ftype1.data() : Ftype2.data();
        for (int c = 1; c <= n; ++c) {
            const int m = count[c];
            if (m <= 0) continue;
            const int first = list[static_cast<size_t>(c) * stride];
            for (int f = std::max(first, 1); f < first + m && f <= n; ++f) {
                const int s = faced[f];
                if (s == 0) continue;
                cell[s] = c;
                dist[s] = half[c];
                farOut[s] = far[c];
                type[s] = side.type;
            }
            const int e = next[c];
            if (e != 0 && faced[e] != 0) otherDist[faced[e]] = half[e];
        }
    }
}

// F 230 1: near-vertical interior faces lean as the tops of their cells do.
void TiltNearVerticalNormals() {
    if (F230Option != 1) return;
    const int n = NoSurfaces;
    const int* const cell1 = Fcell1.data();
    const int* const cell2 = Fcell2.data();
    const int* const top = Csurft.data();
    double* const vx = Fvecx.data();
    double* const vy = Fvecy.data();
    double* const vz = Fvecz.data();
    for (int s = 1; s <= n; ++s) {
        const int c1 = cell1[s], c2 = cell2[s];
        if (!(vz[s] < 0.01) || c1 == 0 || c2 == 0) continue;
        const double t = 0.5 * (vz[top[c1]] + vz[top[c2]]);
        // Rounding may carry t a hair past 1.
        const double lean = std::sqrt(std::max(0.0, 1.0 - t * t));
        const double m = std::sqrt(vx[s] * vx[s] + vy[s] * vy[s] + lean * lean) + 1e-20;
        vx[s] /= m;
        vy[s] /= m;
        vz[s] = lean / m;
        Fareax[s] = Farea[s] * vx[s];
        Fareay[s] = Farea[s] * vy[s];
        Fareaz[s] = Farea[s] * vz[s];
    }
}

// Two surfaces that stand for one interface of joined columns: each lends
// its filled side to the other's empty side.
void JoinEdgePairs() {
    struct Hand {
        int type;
        int far;
        double dist;
    };
    auto filled = [](int s) {
        return Ftype1[s] == kNoSide ? Hand{Ftype2[s], Fcellfar2[s], Fdist2[s]} : Hand{Ftype1[s], Fcellfar1[s], Fdist1[s]};
    };
    auto fillEmpty = [](int s, const Hand& h) {
        if (Ftype1[s] == kNoSide) {
            Ftype1[s] = h.type;
            Fcellfar1[s] = h.far;
            Fdist1[s] = h.dist;
        } else {
            Ftype2[s] = h.type;
            Fcellfar2[s] = h.far;
            Fdist2[s] = h.dist;
        }
    };
    for (int p = 1; p <= NoEdgePairs; ++p) {
        const int s1 = EdgePairs[p][0], s2 = EdgePairs[p][1];
        if (s1 <= 0 || s2 <= 0 || s1 > NoSurfaces || s2 > NoSurfaces) continue;
        const Hand h1 = filled(s1), h2 = filled(s2);
        fillEmpty(s1, h2);
        fillEmpty(s2, h1);
    }
}

// 1 between two cells, -1 where a wall law acts, 0 elsewhere (F 70, F 193).
void FlowFlags() {
    const int n = NoSurfaces;
    const int variant = WallLawVariant;
    const double tiny = F193Value;
    const int* const cell1 = Fcell1.data();
    const int* const cell2 = Fcell2.data();
    const int* const type1 = Ftype1.data();
    const int* const type2 = Ftype2.data();
    const double* const area = Farea.data();
    int* const flag = Fflagflow.data();
    int* const sign = Fsign.data();
    for (int s = 1; s <= n; ++s) {
        const int c1 = cell1[s], c2 = cell2[s], t1 = type1[s], t2 = type2[s];
        const bool topOfCell1 = c1 != 0 && c2 == 0 && t1 == kTop;
        int f;
        if (c1 != 0 && c2 != 0) {
            f = 1;
        } else if (variant == 5) {
            f = topOfCell1 ? -1 : 0;
        } else if (topOfCell1 && variant != 4) {
            f = 0;
        } else if (c2 != 0 && c1 == 0 && t2 == kBottom) {
            f = -1;
        } else if (area[s] < tiny) {
            f = 0;
        } else if (variant == 0 || variant == 3 || variant == 4) {
            f = -1;
        } else if (variant == 1) {
            f = t1 == kNoSide && t2 == kBottom ? -1 : 0;
        } else {
            f = 0;
        }
        flag[s] = f;
        sign[s] = t2 == kSouth || t2 == kWest || t2 == kBottom ? 1 : -1;
    }
}

// A partitioned run: the first and last rows of block 1 border the next
// partition, not a wall.
void OpenPartitionEdges() {
    if (MpiPart <= 0 || NoBlocks < 1) return;
    const BlockRecord& b = BlockTable[1];
    const struct {
        int i;
        const Array1<int>* surface;
    } rows[] = {{b.iFirst, &Csurfw}, {b.iLast, &Csurfe}};
    for (const auto& row : rows) {
        for (int j = b.jFirst; j <= b.jLast; ++j) {
            ForEachCellUp(ColumnBottomCell(row.i, j), [&](int c) {
                const int s = (*row.surface)[c];
                if (Fflagflow[s] < 0) Fflagflow[s] = 0;
            });
        }
    }
}

// F 159 5 or 6: interior side faces too small to carry a flux are cut.
void CutTinyFaces() {
    if (F159Int5 != 5 && F159Int5 != 6) return;
    int* const neighbour[5] = {nullptr, Ccells.data(), Ccelle.data(), Ccelln.data(), Ccellw.data()};
    const int n = NoSurfaces;
    const double tiny = F193Value;
    for (int s = 1; s <= n; ++s) {
        const int c1 = Fcell1[s], c2 = Fcell2[s], t1 = Ftype1[s], t2 = Ftype2[s];
        if (c1 == 0 || c2 == 0 || !(Farea[s] < tiny)) continue;
        if (t1 >= kBottom || t2 >= kBottom) continue;
        if (t1 != kNoSide) neighbour[t1][c1] = 0;
        if (t2 != kNoSide) neighbour[t2][c2] = 0;
        Fcell1[s] = 0;
        Fcell2[s] = 0;
        Fflagflow[s] = 0;
    }
}

// Block-edge surfaces carry no flux of their own; only a bottom face of a
// block whose layers follow the depth keeps its flag.
void CloseBoundaryRecordSurfaces() {
    if (NoBoundaryCells <= 0 || !BoundaryCellSurface.exists() || !BoundaryCellBlock.exists()) return;
    for (int r = 1; r <= NoBoundaryCells; ++r) {
        const int s = BoundaryCellSurface[r], b = BoundaryCellBlock[r];
        if (s < 0 || s > NoSurfaces) continue;
        const bool bottom = Ftype1[s] == kBottom || Ftype2[s] == kBottom;
        const bool depthLayers = b >= 0 && b < kBlockTableSize && BlockTable[b].field8 == 1;
        if (!(bottom && depthLayers)) Fflagflow[s] = 0;
    }
}

// Inflow and outflow surfaces take their own boundary conditions.
void CloseGroupSurfaces() {
    for (int g = 1; g < kDischargeGroups; ++g) {
        const DischargeGroupRecord& r = DischargeGroups[g];
        for (int k = 0; k < r.noSurfaces; ++k) {
            const int s = r.surfaceList[k];
            if (s >= 0 && s <= NoSurfaces) Fflagflow[s] = 0;
        }
    }
}

// The level in its column (1 for the bed cell) of the cell of each surface of
// the inflow groups, for the inflow profiles.
void InflowGroupLevels() {
    if (CyclicInterval <= 0 && NoInflowPoints <= 0) return;
    for (int g = 1; g < kDischargeGroups; ++g) {
        DischargeGroupRecord& r = DischargeGroups[g];
        if (r.groupType != 1) continue;
        for (int k = 0; k < r.noSurfaces; ++k) {
            const int s = r.surfaceList[k];
            int level = 0;
            if (s > 0 && s <= NoSurfaces) {
                int c = Fcell1[s] != 0 ? Fcell1[s] : Fcell2[s];
                for (; c != 0 && level < NoCells; c = Ccellb[c]) ++level;
            }
            r.levelList[k] = level;
        }
    }
}

bool LinkingWanted() {
    return BlockLinkWeight > 1e-8 || (BlockInterfaceOption > 0 && BlockInterfaceOption != 10) ||
           BlockCouplingOption == 4;
}

void LinkOverlappingBlocks() {
    if (!Clink.exists()) return;
    int* const link = Clink.data();
    std::fill(link + 1, link + NoCells + 1, 0);
    if (LinkingWanted()) LinkBlockCells();
}

// Cigrid: 0, the cells of every column of the blocks of the computational
// grid from the bed upwards, 0. Grid-level blocks keep the column ranges of
// the grid they were made from, so they are left out; a list that would not
// fit its array ends where the array does.
void ListColumnCells() {
    const size_t capacity = Cigrid.size();
    if (capacity == 0) return;
    int* const list = Cigrid.data();
    const size_t room = capacity - 1;  // the last slot keeps the closing 0
    size_t n = 0;
    if (n < room) list[n++] = 0;
    for (int b = 1; b <= NoBlocks && n < room; ++b) {
        const BlockRecord& r = BlockTable[b];
        if (r.depthAveraged != 0 || r.gridLevel != 0) continue;
        for (int i = r.iFirst; i <= r.iLast && n < room; ++i) {
            for (int j = r.jFirst; j <= r.jLast && n < room; ++j) {
                for (int c = ColumnBottomCell(i, j); c != 0 && n < room; c = Ccellt[c]) list[n++] = c;
            }
        }
    }
    list[n] = 0;
}

}  // namespace

int ColumnBottomCell(int i, int j) {
    if (!Gridz.exists() || i < 0 || j < 0 || static_cast<size_t>(i) >= Gridz.extent1() ||
        static_cast<size_t>(j) >= Gridz.extent2()) {
        return 0;
    }
    const double slot = Gridz[i][j][0];
    return slot >= 1.0 && slot <= NoCells ? static_cast<int>(slot) : 0;
}

void metric() {
    if (!Cvol.exists() || !Farea.exists()) return;
    CellGeometry();
    CheckCells();
    SurfaceGeometry();
    TriangleCellCorrections();
    SplitFaceSides();
    TiltNearVerticalNormals();
    JoinEdgePairs();
    TimingMarks[44] = omp_get_wtime();
    FlowFlags();
    OpenPartitionEdges();
    CutTinyFaces();
    CloseBoundaryRecordSurfaces();
    CloseGroupSurfaces();
    InflowGroupLevels();
    TimingMarks[45] = omp_get_wtime();
    if (NoBoundaryCells > 1 && F126Flag < 1) FindBoundaryPartners();
    TimingMarks[46] = omp_get_wtime();
    LinkOverlappingBlocks();
    TimingMarks[47] = omp_get_wtime();
    if (DiagnosticOutputOption == 12) WriteCellHistogram();
    ListColumnCells();
}
