// A box of ni x nj x nk cells held in the engine's global arrays, for tests
// and benchmarks of the cell-equation kernels without a grid file.
//
// Cells are numbered column by column from the bed upwards, as the grid
// generator numbers them: cell(i, j, k) = 1 + k + nk (j + nj i). Sets the
// neighbour links, NoCells and the active range 1..NoCells, and allocates the
// equation arrays and the solver work arrays (zeroed) with the far
// coefficients on request.
#pragma once

#include <stdexcept>

#include "flow/flow_data.h"
#include "grid/grid_data.h"
#include "run/run_state.h"
#include "solver/solver_data.h"

struct BoxGrid {
    int ni = 0, nj = 0, nk = 0;
    int cells() const { return ni * nj * nk; }
    int cell(int i, int j, int k) const { return 1 + k + nk * (j + nj * i); }
};

inline BoxGrid MakeBoxGrid(int ni, int nj, int nk, bool far = false) {
    BoxGrid g{ni, nj, nk};
    const size_t slots = static_cast<size_t>(g.cells()) + 1;
    // Arrays that exist already are kept; they must be large enough.
    bool ok = true;
    for (Array1<int>* a : {&Ccelle, &Ccellw, &Ccelln, &Ccells, &Ccellt, &Ccellb}) {
        ok = ok && a->allocate(slots) && a->size() >= slots;
    }
    for (Array1<double>* a : {&Cap, &Cae, &Caw, &Can, &Cas, &Cat, &Cab, &Csource, &CfHome, &Cwork, &CinvCap}) {
        ok = ok && a->allocate(slots) && a->size() >= slots;
    }
    if (far) {
        for (Array1<double>* a : {&Caee, &Caww, &Cann, &Cass, &Catt, &Cabb}) {
            ok = ok && a->allocate(slots) && a->size() >= slots;
        }
    }
    if (!ok) throw std::runtime_error("box grid: the cell arrays cannot hold the box");
    for (int i = 0; i < ni; ++i) {
        for (int j = 0; j < nj; ++j) {
            for (int k = 0; k < nk; ++k) {
                const int c = g.cell(i, j, k);
                Ccelle[c] = i + 1 < ni ? g.cell(i + 1, j, k) : 0;
                Ccellw[c] = i > 0 ? g.cell(i - 1, j, k) : 0;
                Ccelln[c] = j + 1 < nj ? g.cell(i, j + 1, k) : 0;
                Ccells[c] = j > 0 ? g.cell(i, j - 1, k) : 0;
                Ccellt[c] = k + 1 < nk ? g.cell(i, j, k + 1) : 0;
                Ccellb[c] = k > 0 ? g.cell(i, j, k - 1) : 0;
            }
        }
    }
    NoCells = g.cells();
    FirstCell = 1;
    LastCell = g.cells();
    return g;
}
