// Neighbour coefficients of the pressure-correction equation: each face
// conducts d A 1000 A, d being the velocity-correction factor of the momentum
// equation interpolated to the face.
#include <omp.h>

#include <algorithm>
#include <cstddef>

#include "drivers/flow_drivers.h"
#include "flow/face_interpolation.h"
#include "run/globals.h"
#include "solver/cell_stencil.h"

namespace {

constexpr double kDensity = 1000.0;
constexpr double kGravity = 9.81;

// The coefficient array of each side type (1 south .. 6 top).
double* SideSlot(int type) {
    switch (type) {
        case 1: return Cas.data();
        case 2: return Cae.data();
        case 3: return Can.data();
        case 4: return Caw.data();
        case 5: return Cab.data();
        case 6: return Cat.data();
        default: return nullptr;
    }
}

// A side that faces several cells has all its faces name the same slot, so
// threads may meet there; a relaxed store keeps that well defined. Cell 0
// ("none") keeps its zeros.
void StoreSide(int cell, int type, double a) {
    double* const slot = SideSlot(type);
    if (slot != nullptr && cell > 0) SharedField::store(slot, cell, a);
}

// d A 1000 A of surface s between c1 (its Fcell1 side) and c2, with area A.
double FaceCoefficient(int s, int c1, int c2, double area) {
    const double d = FaceValue(Fdist1[s], Fdist2[s], CinvAp[c1], CinvAp[c2]);
    return d * area * kDensity * area;
}

// Whether the surface joins a cell to the one directly above it.
bool StackedCells(int c1, int c2) { return c2 == c1 + 1; }

// The free-surface term of a face between two columns: the water that a
// level change over the plan areas of both cells moves in one time step,
// shared by the cells of the first cell's column.
double FreeSurfaceTerm(int c1, int c2) {
    if (!(TimeStep > 1e-8)) return 0.0;
    const int column = Cbedcell[c1];
    const int cells = column > 0 ? Bnocells[column] : 0;
    if (cells <= 0) return 0.0;
    const double plan = Farea[Csurft[c1]] + Farea[Csurft[c2]];
    return plan * 0.125 / (TimeStep * kGravity) / cells;
}

// Surfaces of this thread: an even share of the active surfaces.
struct SurfaceShare {
    int first, last;
};
SurfaceShare ThreadShare() {
    const int n = LastSurface + 1 - FirstSurface;
    const int threads = omp_get_num_threads();
    const int t = omp_get_thread_num();
    const int q = (n + threads - 1) / threads;
    return {FirstSurface + t * q, FirstSurface + std::min((t + 1) * q, n) - 1};
}

template <bool kFreeSurface>
void FaceValuesOfShare() {
    const SurfaceShare share = ThreadShare();
    const bool floorArea = !kFreeSurface && F184Option == 1;
    for (int s = share.first; s <= share.last; ++s) {
        const int c1 = Fcell1[s], c2 = Fcell2[s];
        double a = 0.0;
        if (c1 != 0 && c2 != 0) {
            double area = Farea[s];
            if (floorArea && !StackedCells(c1, c2)) area = std::max(area, 0.05 * (Careaz[c1] + Careaz[c2]));
            a = FaceCoefficient(s, c1, c2, area);
            if (kFreeSurface && !StackedCells(c1, c2)) a += FreeSurfaceTerm(c1, c2);
        }
        StoreSide(c1, Ftype1[s], a);
        StoreSide(c2, Ftype2[s], a);
    }
}

// One side of a cell that may face several cells of the neighbouring column.
struct SplitSide {
    const Array1<int>& count;
    const Array2<int>& first;
    Array2<double>& multi;
    const Array1<int>& facingSurface;  // the listed cell's face towards the cell
    Array1<double>& own;               // the cell's coefficient on this side
    Array1<double>& back;              // the listed cell's coefficient towards it
    bool cellFirst;                    // the cell is Fcell1 of the faces
};

bool SplitFacesPresent() {
    for (const Array1<int>* a : {&Cnocellse, &Cnocellsw, &Cnocellsn, &Cnocellss}) {
        if (!a->exists()) return false;
    }
    for (const Array2<int>* a : {&CnbMultiE, &CnbMultiW, &CnbMultiN, &CnbMultiS}) {
        if (!a->exists()) return false;
    }
    for (const Array2<double>* a : {&CaMultiE, &CaMultiW, &CaMultiN, &CaMultiS}) {
        if (!a->exists()) return false;
    }
    return true;
}

void SplitFaceValues(int c, const SplitSide& side) {
    // A list longer than its row, or cells beyond the grid, cannot be meant.
    const int count = std::min<int>(side.count[c], static_cast<int>(side.multi.extent2()));
    if (count <= 0) return;
    const int first = side.first[c][0];
    for (int k = 0; k < count; ++k) {
        const int n = first + k;
        if (n < 1 || n > NoCells) continue;
        const int s = side.facingSurface[n];
        if (s <= 0) continue;
        const double a = side.cellFirst ? FaceCoefficient(s, c, n, Farea[s]) : FaceCoefficient(s, n, c, Farea[s]);
        side.back[n] = a;
        side.multi[c][k] = a;
    }
    side.own[c] = 0.0;
}

void ComputeSplitFaceValues() {
    if (!SplitFacesPresent()) return;
    const SplitSide sides[4] = {
        {Cnocellse, CnbMultiE, CaMultiE, Csurfw, Cae, Caw, true},
        {Cnocellsw, CnbMultiW, CaMultiW, Csurfe, Caw, Cae, false},
        {Cnocellsn, CnbMultiN, CaMultiN, Csurfs, Can, Cas, true},
        {Cnocellss, CnbMultiS, CaMultiS, Csurfn, Cas, Can, false},
    };
    for (int c = FirstCell; c <= LastCell; ++c) {
        for (const SplitSide& side : sides) SplitFaceValues(c, side);
    }
}

}  // namespace

void ComputeFaceValuesBodyA() { FaceValuesOfShare<false>(); }

void ComputeFaceValuesBodyB() { FaceValuesOfShare<true>(); }

void ComputeFaceValuesParallel() {
    // Each surface writes only its own two cell sides: any thread count
    // gives the same values.
    const int threads = ThreadsForItems(LastSurface + 1 - FirstSurface, omp_get_max_threads());
    if (F271Option != 1) {
#pragma omp parallel num_threads(threads) if (threads > 1)
        ComputeFaceValuesBodyA();
    } else {
#pragma omp parallel num_threads(threads) if (threads > 1)
        ComputeFaceValuesBodyB();
    }
    if (SplitFaceFlag > 0) ComputeSplitFaceValues();
}
