// The suspended-sediment solver: five double sweeps (forward and backward) of
// the 7-point concentration equation of one grain size over the active cells,
// into the field Cf designates, with no convergence test.
//
// The sediment equation has no far coefficients (its convection is always the
// power-law form), so every variant solves the per-size system: the shared
// side coefficients with the size's own vertical coefficients, diagonal and
// source.
#include <omp.h>

#include <algorithm>
#include <cstddef>
#include <vector>

#include "run/globals.h"
#include "run/region_fatal.h"
#include "sediment/sediment_services.h"
#include "solver/parallel_solver.h"

namespace {

constexpr int kDoubleSweeps = 5;
// G 50 switch that puts the column-aligned variant on one block.
constexpr int kSolverSwitch = 8;
// A bottom cell held at a value (1e30 on the diagonal) takes no erosion.
constexpr double kFixedDiagonal = 1e29;

// The solver's own block table of the column-aligned variant: entries
// 0..blocks, sized from the thread count. It grows only when the thread count
// does, so the sweeps never allocate.
std::vector<int> g_columnBlockLimits;

// The 7-point system of size s; `cells` 0 when an array is missing.
CellStencil SizeStencil(int s) {
    CellStencil st{};
    const Array1<int>* next[kDirections] = {&Ccelle, &Ccellw, &Ccelln, &Ccells, &Ccellt, &Ccellb};
    const Array1<double>* side[4] = {&Cae, &Caw, &Can, &Cas};
    const size_t size = static_cast<size_t>(s);
    const Array2<double>* perSize[4] = {&CapMulti, &CsourceMulti, &CatMulti, &CabMulti};
    for (const Array2<double>* a : perSize) {
        if (!a->exists() || a->extent1() <= size) return st;
    }
    size_t cells = CapMulti.extent2();
    for (const Array2<double>* a : perSize) cells = std::min(cells, a->extent2());
    for (int d = 0; d < kDirections; ++d) {
        st.next[d] = next[d]->data();
        cells = std::min(cells, next[d]->size());
    }
    for (int d = 0; d < 4; ++d) {
        st.a[d] = side[d]->data();
        cells = std::min(cells, side[d]->size());
    }
    st.a[kTop] = &CatMulti[s][0];
    st.a[kBottom] = &CabMulti[s][0];
    st.ap = &CapMulti[s][0];
    st.source = &CsourceMulti[s][0];
    st.cells = cells;
    return st;
}

// The run's threads: F 206, one without it.
int RunThreads() { return NoThreads > 0 ? NoThreads : 1; }

// Blocks of the column-aligned variant: one per thread of F 206, or one when
// G 50 asks for a single block.
int ColumnBlockCount() { return OpenMPSwitches[kSolverSwitch] < 1 && NoThreads > 0 ? NoThreads : 1; }

// F 164 21 to 29, and every variant on one thread: in place, upwards and
// then downwards through the range.
void SolveSerially(const ParallelRange& r) {
    for (int it = 0; it < kDoubleSweeps; ++it) {
        for (int c = r.first; c <= r.last; ++c) r.f[c] = CellValue<PlainField, false, kNoWorkTerms>(r, c);
        for (int c = r.last; c >= r.first; --c) r.f[c] = CellValue<PlainField, false, kNoWorkTerms>(r, c);
    }
}

// The column-aligned block table for `blocks` blocks over the range.
const int* ColumnAlignedLimits(const ParallelRange& r, int blocks) {
    if (g_columnBlockLimits.size() < static_cast<size_t>(blocks) + 1) {
        g_columnBlockLimits.resize(static_cast<size_t>(blocks) + 1);
    }
    int* limits = g_columnBlockLimits.data();
    FillColumnBlockLimits(limits, r.first, r.last, blocks, false);
    return limits;
}

// Cell ranges per thread, in place: equal shares of the cells with their
// bounds moved up to the column tops, so that each column is swept by one
// thread in the order of the serial kernel. Split columns would couple their
// cells only with the lag of a pass, and the sweeps would no longer carry a
// bed value up a column in one pass. A thread still reads the side
// neighbours in other ranges while their threads update them and accepts
// the old or the new value: relaxed atomics make those reads well defined.
void SolveSediment3DBlockA(const ParallelRange& r, const int* limits, int ranges) {
    const Share sh = ShareOf(ranges, omp_get_num_threads(), omp_get_thread_num());
    for (int k = sh.begin; k < sh.end; ++k) {
        for (int c = limits[k] + 1; c <= limits[k + 1]; ++c) {
            SharedField::store(r.f, c, CellValue<SharedField, false, kNoWorkTerms>(r, c));
        }
    }
}

void SolveSediment3DBlockB(const ParallelRange& r, const int* limits, int ranges) {
    const Share sh = ShareOf(ranges, omp_get_num_threads(), omp_get_thread_num());
    for (int k = sh.end - 1; k >= sh.begin; --k) {
        for (int c = limits[k + 1]; c > limits[k]; --c) {
            SharedField::store(r.f, c, CellValue<SharedField, false, kNoWorkTerms>(r, c));
        }
    }
}

void SolveOnCellRanges(const ParallelRange& r) {
    const int threads = RunThreads();
    if (threads == 1) {
        SolveSerially(r);
        return;
    }
    const int* limits = ColumnAlignedLimits(r, threads);
    for (int it = 0; it < kDoubleSweeps; ++it) {
#pragma omp parallel num_threads(threads)
        SolveSediment3DBlockA(r, limits, threads);
#pragma omp parallel num_threads(threads)
        SolveSediment3DBlockB(r, limits, threads);
    }
}

// F 164 31 and 33: whole columns per block, Gauss-Seidel up and down each
// column and Jacobi across them; the values do not depend on the thread or
// block count.
void SolveOnColumnBlocks(const ParallelRange& r) {
    const int blocks = ColumnBlockCount();
    SolveOnColumnBlockTable(r, ColumnAlignedLimits(r, blocks), blocks, kDoubleSweeps);
}

// The F 253 erosion of the bottom cells: settling plus the erodible sediment
// of the active layer, at most the pick-up at the bed concentration (kg/s).
struct ErosionLimit {
    const int* bedcell;
    const double* area;
    const double* fraction;   // layer 1, size s
    const double* thickness;  // layer 1
    const double* bedConc;    // size s
    double* erosion;          // BSolverErosion[s]
    size_t columns;
    double fall, supply;      // w, BedSolidFraction / TimeStep

    // The column of bottom cell c, 0 for a cell with a cell below, outside
    // the columns, or held at a fixed value.
    int column(const ParallelRange& r, int c) const {
        const int b = bedcell[c];
        if (r.s.next[kBottom][c] != 0 || b <= 0 || static_cast<size_t>(b) >= columns || r.s.ap[c] >= kFixedDiagonal) {
            return 0;
        }
        return b;
    }
    double at(const ParallelRange& r, int c, int b) const {
        const double a = area[b];
        const double f = fraction[b];
        return std::min(r.f[c] * fall * 1000.0 * a + supply * a * f * thickness[b] * 1000.0,
                        f * bedConc[b] * fall * a * 1000.0);
    }
};

bool MakeErosionLimit(int s, ErosionLimit* e) {
    if (!Cbedcell.exists() || !Barea.exists() || !BSedDistrib.exists() || BSedDistrib.extent1() < 2 ||
        BSedDistrib.extent2() <= static_cast<size_t>(s) || !BpotentialConc.exists() ||
        BpotentialConc.extent1() <= static_cast<size_t>(s) || !BSolverErosion.exists() ||
        BSolverErosion.extent1() <= static_cast<size_t>(s)) {
        return false;
    }
    e->bedcell = Cbedcell.data();
    e->area = Barea.data();
    e->fraction = &BSedDistrib[1][s][0];
    e->thickness = &BSedDistrib[1][0][0];
    e->bedConc = &BpotentialConc[s][0];
    e->erosion = &BSolverErosion[s][0];
    e->columns = std::min({Barea.size(), BSedDistrib.extent3(), BpotentialConc.extent2(), BSolverErosion.extent2()});
    e->fall = FallVelocity[s];
    e->supply = TimeStep > 0.0 ? BedSolidFraction / TimeStep : 0.0;
    return true;
}

// F 253 = 1: serial, in place, with the erosion in the bottom cells'
// numerators; the backward passes leave theirs in BSolverErosion.
void SolveWithErosionLimit(const ParallelRange& r, const ErosionLimit& e) {
    for (int c = r.first; c <= r.last; ++c) {
        const int b = e.bedcell[c];
        if (r.s.next[kBottom][c] == 0 && b > 0 && static_cast<size_t>(b) < e.columns) e.erosion[b] = 0.0;
    }
    for (int it = 0; it < kDoubleSweeps; ++it) {
        for (int c = r.first; c <= r.last; ++c) {
            const int b = e.column(r, c);
            const double erosion = b > 0 ? e.at(r, c, b) : 0.0;
            r.f[c] = (CellSum<PlainField, false, kNoWorkTerms>(r, c) + erosion) / r.s.ap[c];
        }
        for (int c = r.last; c >= r.first; --c) {
            const int b = e.column(r, c);
            double erosion = 0.0;
            if (b > 0) erosion = e.erosion[b] = e.at(r, c, b);
            r.f[c] = (CellSum<PlainField, false, kNoWorkTerms>(r, c) + erosion) / r.s.ap[c];
        }
    }
}

}  // namespace

void SolveSediment3D(int s) {
    if (s < 1 || s > NoSizes) {
        FailAnywhere(-1, "Error, the sediment solver was called for size %d of %d\n", s, NoSizes);
        return;
    }
    const CellStencil st = SizeStencil(s);
    if (st.cells == 0) {
        FailAnywhere(-1, "Error, the sediment solver has no equation for size %d\n", s);
        return;
    }
    ParallelRange r{st, Cf.data(), Cwork.data(), FirstCell, LastCell};
    if (!PrepareCellRange(r.first, r.last, std::min({st.cells, Cf.size(), Cwork.size()}))) return;
    // A missing neighbour is cell 0, which must read as 0 in both fields.
    r.f[0] = 0.0;
    r.work[0] = 0.0;
    if (ActiveLayerErosionLimit == 1) {
        ErosionLimit e{};
        if (!MakeErosionLimit(s, &e)) {
            FailAnywhere(-1, "Error, F 253 1 limits the erosion by the bed, and the bed arrays are missing\n");
            return;
        }
        SolveWithErosionLimit(r, e);
    } else if (SolverVariant == 31 || SolverVariant == 33) {
        SolveOnColumnBlocks(r);
    } else if (SolverVariant >= 21 && SolverVariant <= 29) {
        SolveSerially(r);
    } else {
        SolveOnCellRanges(r);
    }
    ReportRegionFatal();
}
