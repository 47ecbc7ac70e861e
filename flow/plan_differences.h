// Differences of a cell field along the grid lines i and j, for the pressure
// force and the velocity correction: side faces too low to carry water do not
// count as open, and cells at a horizontal corner get none.
#pragma once

#include "grid/grid_data.h"
#include "run/globals.h"

// The neighbour cells and the surfaces of every cell, as plain arrays for
// loops over cells.
struct CellLinks {
    const int* w = Ccellw.data();
    const int* e = Ccelle.data();
    const int* s = Ccells.data();
    const int* n = Ccelln.data();
    const int* b = Ccellb.data();
    const int* t = Ccellt.data();
    const int* sw = Csurfw.data();
    const int* se = Csurfe.data();
    const int* ss = Csurfs.data();
    const int* sn = Csurfn.data();
    const int* sb = Csurfb.data();
    const int* st = Csurft.data();
};

// Difference across cell c from its minus neighbour m and plus neighbour p
// (0 for none): central with both, one-sided with one, 0 with none. f is
// the field, indexed by cell.
template <class F>
inline double CellDifference(const F& f, int c, int m, int p) {
    if (m > 0 && p > 0) return (f[p] - f[m]) * 0.5;
    if (p > 0) return f[p] - f[c];
    if (m > 0) return f[c] - f[m];
    return 0.0;
}

// As CellDifference, but a low face on one side makes the difference
// one-sided towards the other side; the minus side is tested first.
inline double OpenFaceDifference(const double* f, int c, int m, int p, bool lowM, bool lowP) {
    if (m <= 0 && p <= 0) return 0.0;
    if (p > 0 && (m <= 0 || lowM)) return f[p] - f[c];
    if (m > 0 && (p <= 0 || lowP)) return f[c] - f[m];
    return (f[p] - f[m]) * 0.5;
}

// Two perpendicular horizontal sides without a neighbour.
inline bool HorizontalCorner(int w, int e, int s, int n) {
    return (n <= 0 && e <= 0) || (e <= 0 && s <= 0) || (n <= 0 && w <= 0) || (s <= 0 && w <= 0);
}

// The horizontal neighbours of a cell.
struct PlanNeighbours {
    int w, e, s, n;
};

// Which side faces of a cell are too low to carry water: a face's height
// (its area over the cell's width across it) below a fifth of the cell's
// half height and below a tenth of the minimum water depth.
struct SideFaceHeights {
    const double* area = Farea.data();
    const double* idist = Cidist.data();
    const double* jdist = Cjdist.data();
    const double* kdist = Ckdist.data();
    CellLinks link;
    double minDepth = MinWaterDepth;

    bool Low(double h, int c) const { return h < 0.2 * kdist[c] && h < 0.1 * minDepth; }

    // Differences along i and j with the low-face and corner rules.
    void Differences(const double* f, int c, const PlanNeighbours& nb, double* di, double* dj) const {
        if (HorizontalCorner(nb.w, nb.e, nb.s, nb.n)) {
            *di = *dj = 0.0;
            return;
        }
        const double wi = 0.5 / jdist[c], wj = 0.5 / idist[c];
        *di = OpenFaceDifference(f, c, nb.w, nb.e, Low(area[link.sw[c]] * wi, c), Low(area[link.se[c]] * wi, c));
        *dj = OpenFaceDifference(f, c, nb.s, nb.n, Low(area[link.ss[c]] * wj, c), Low(area[link.sn[c]] * wj, c));
    }
};

// Horizontal neighbours of a cell, where a missing one may be taken from the
// bed cell of its column (the bed-neighbour arrays, when they exist).
struct PlanNeighbourView {
    const int* w = Ccellw.data();
    const int* e = Ccelle.data();
    const int* s = Ccells.data();
    const int* n = Ccelln.data();
    const int* wb = nullptr;
    const int* eb = nullptr;
    const int* sb = nullptr;
    const int* nb = nullptr;

    explicit PlanNeighbourView(bool fromBed) {
        if (fromBed && Ccellw_bottom.exists() && Ccelle_bottom.exists() && Ccells_bottom.exists() &&
            Ccelln_bottom.exists()) {
            wb = Ccellw_bottom.data();
            eb = Ccelle_bottom.data();
            sb = Ccells_bottom.data();
            nb = Ccelln_bottom.data();
        }
    }

    PlanNeighbours operator()(int c) const {
        PlanNeighbours r{w[c], e[c], s[c], n[c]};
        if (wb) {
            if (r.w <= 0) r.w = wb[c];
            if (r.e <= 0) r.e = eb[c];
            if (r.s <= 0) r.s = sb[c];
            if (r.n <= 0) r.n = nb[c];
        }
        return r;
    }
};
