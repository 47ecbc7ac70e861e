// A box of ni x nj x nk cells with its points and surfaces in the engine's
// global arrays: a finished grid of one block, for tests and benchmarks of
// the metric and of what reads it, without a grid file.
//
// Cells are numbered as MakeBoxGrid numbers them (column by column from the
// bed upwards, i outer, j inner); points likewise, point(i, j, k) over the
// nodes. Surfaces are made as the cell constructor makes them: each cell
// takes the faces its west, south and lower neighbours made and makes the
// others, so every surface has Fcell1 on its -i, -j or -k side.
#pragma once

#include <stdexcept>

#include "grid/grid_data.h"
#include "run/run_state.h"
#include "tools/box_grid.h"

struct BoxSpacing {
    double dx = 1.0, dy = 1.0, dz = 1.0;
    double x0 = 0.0, y0 = 0.0, z0 = 0.0;
};

inline int BoxPoint(const BoxGrid& g, int i, int j, int k) { return 1 + k + (g.nk + 1) * (j + (g.nj + 1) * i); }

namespace box_geometry_detail {

template <class A>
bool Holds(A& a, size_t n) {
    return a.allocate(n) && a.size() >= n;
}

}  // namespace box_geometry_detail

inline BoxGrid MakeBoxGeometry(int ni, int nj, int nk, const BoxSpacing& h = {}) {
    using box_geometry_detail::Holds;
    BoxGrid g = MakeBoxGrid(ni, nj, nk);
    const size_t cells = static_cast<size_t>(g.cells()) + 1;
    const size_t points = static_cast<size_t>(ni + 1) * (nj + 1) * (nk + 1) + 1;
    const size_t surfaces = 3 * static_cast<size_t>(g.cells()) + static_cast<size_t>(ni * nj + nj * nk + nk * ni) + 1;
    bool ok = true;
    for (Array1<int>* a : {&Cpoint1, &Cpoint2, &Cpoint3, &Cpoint4, &Cpoint5, &Cpoint6, &Cpoint7, &Cpoint8, &Csurfe,
                           &Csurfw, &Csurfs, &Csurfn, &Csurft, &Csurfb}) {
        ok = ok && Holds(*a, cells);
    }
    for (Array1<double>* a : {&Px1, &Py1, &Pz1}) ok = ok && Holds(*a, points);
    for (Array1<int>* a : {&Fpoint1, &Fpoint2, &Fpoint3, &Fpoint4, &Fcell1, &Fcell2}) ok = ok && Holds(*a, surfaces);
    ok = ok && Gridz.allocate(static_cast<size_t>(ni) + 2, static_cast<size_t>(nj) + 2, static_cast<size_t>(nk) + 3) &&
         Gridz.extent1() >= static_cast<size_t>(ni) + 2 && Gridz.extent2() >= static_cast<size_t>(nj) + 2;
    if (!ok) throw std::runtime_error("box geometry: the grid arrays cannot hold the box");

    for (int i = 0; i <= ni; ++i) {
        for (int j = 0; j <= nj; ++j) {
            for (int k = 0; k <= nk; ++k) {
                const int p = BoxPoint(g, i, j, k);
                Px1[p] = h.x0 + i * h.dx;
                Py1[p] = h.y0 + j * h.dy;
                Pz1[p] = h.z0 + k * h.dz;
            }
        }
    }
    int ns = 0;
    auto face = [&ns](int a, int b, int c, int d, int cell1, int cell2) {
        ++ns;
        Fpoint1[ns] = a;
        Fpoint2[ns] = b;
        Fpoint3[ns] = c;
        Fpoint4[ns] = d;
        Fcell1[ns] = cell1;
        Fcell2[ns] = cell2;
        return ns;
    };
    for (int i = 0; i < ni; ++i) {
        for (int j = 0; j < nj; ++j) {
            for (int k = 0; k < nk; ++k) {
                const int c = g.cell(i, j, k);
                const int p[9] = {0,
                                  BoxPoint(g, i, j, k),
                                  BoxPoint(g, i + 1, j, k),
                                  BoxPoint(g, i + 1, j + 1, k),
                                  BoxPoint(g, i, j + 1, k),
                                  BoxPoint(g, i, j, k + 1),
                                  BoxPoint(g, i + 1, j, k + 1),
                                  BoxPoint(g, i + 1, j + 1, k + 1),
                                  BoxPoint(g, i, j + 1, k + 1)};
                Array1<int>* const corner[9] = {nullptr,  &Cpoint1, &Cpoint2, &Cpoint3, &Cpoint4,
                                                &Cpoint5, &Cpoint6, &Cpoint7, &Cpoint8};
                for (int n = 1; n <= 8; ++n) (*corner[n])[c] = p[n];
                Csurfw[c] = i == 0 ? face(p[1], p[4], p[8], p[5], 0, c) : Csurfe[Ccellw[c]];
                Csurfs[c] = j == 0 ? face(p[1], p[5], p[6], p[2], 0, c) : Csurfn[Ccells[c]];
                Csurfb[c] = k == 0 ? face(p[1], p[2], p[3], p[4], 0, c) : Csurft[Ccellb[c]];
                Csurfe[c] = face(p[2], p[3], p[7], p[6], c, Ccelle[c]);
                Csurfn[c] = face(p[4], p[8], p[7], p[3], c, Ccelln[c]);
                Csurft[c] = face(p[5], p[6], p[7], p[8], c, Ccellt[c]);
            }
            Gridz[i + 1][j + 1][0] = g.cell(i, j, 0);
        }
    }
    NoPoints = static_cast<int>(points) - 1;
    NoSurfaces = ns;
    NoBlocks = 1;
    BlockRecord& b = BlockTable[1];
    b.iFirst = 1;
    b.iLast = ni;
    b.jFirst = 1;
    b.jLast = nj;
    b.firstCell = 1;
    b.lastCell = g.cells();
    b.firstSurface = 1;
    b.lastSurface = ns;
    b.firstPoint = 1;
    b.lastPoint = NoPoints;
    return g;
}
