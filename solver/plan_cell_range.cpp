// Point sweeps over a range of cells linked only sideways: the plan levels of
// the multigrid, whose cells stand for whole columns or groups of them.
#include <omp.h>

#include <algorithm>

#include "flow/flow_data.h"
#include "run/params_f100.h"
#include "run/params_f150.h"
#include "solver/cell_stencil.h"
#include "solver/parallel_solver.h"
#include "solver/solver_data.h"
#include "solver/solver_services.h"

namespace {

// Ranges up to this many cells beyond the first are not worth two regions per sweep.
constexpr int kHalfStepMinSpan = 300;

// The four side neighbours, then in the far form the cells one further, then
// the source, added in that order.
template <bool kFar, class Field = PlainField>
inline double PlanSum(const CellStencil& s, double* f, int c) {
    const int e = s.next[kEast][c], w = s.next[kWest][c], n = s.next[kNorth][c], so = s.next[kSouth][c];
    double sum = s.a[kEast][c] * Field::load(f, e) + s.a[kWest][c] * Field::load(f, w) +
                 s.a[kNorth][c] * Field::load(f, n) + s.a[kSouth][c] * Field::load(f, so);
    if constexpr (kFar) {
        sum = sum + s.a[kDirections + kEast][c] * Field::load(f, s.next[kEast][e]) +
              s.a[kDirections + kWest][c] * Field::load(f, s.next[kWest][w]) +
              s.a[kDirections + kNorth][c] * Field::load(f, s.next[kNorth][n]) +
              s.a[kDirections + kSouth][c] * Field::load(f, s.next[kSouth][so]);
    }
    return sum + s.source[c];
}

// The Jacobi value of cell c from the field pair: neighbours inside the range
// from `from`, every other cell (slot 0 included) from Cf, which is the only
// field that holds values outside the range.
template <bool kFar>
inline double PlanJacobiValue(const ParallelRange& r, const double* from, int c) {
    const CellStencil& s = r.s;
    auto at = [&](int nb) { return r.holds(nb) ? from[nb] : r.f[nb]; };
    const int e = s.next[kEast][c], w = s.next[kWest][c], n = s.next[kNorth][c], so = s.next[kSouth][c];
    double sum = s.a[kEast][c] * at(e) + s.a[kWest][c] * at(w) + s.a[kNorth][c] * at(n) + s.a[kSouth][c] * at(so);
    if constexpr (kFar) {
        sum = sum + s.a[kDirections + kEast][c] * at(s.next[kEast][e]) +
              s.a[kDirections + kWest][c] * at(s.next[kWest][w]) +
              s.a[kDirections + kNorth][c] * at(s.next[kNorth][n]) +
              s.a[kDirections + kSouth][c] * at(s.next[kSouth][so]);
    }
    return (sum + s.source[c]) / s.ap[c];
}

// One half step over the calling thread's chunk: Cf into Cwork, or back.
template <bool kFar, bool kFromWork>
void PlanHalfStep(const ParallelRange& r) {
    const Share sh = ShareOf(r.cells(), omp_get_num_threads(), omp_get_thread_num());
    const int from = r.first + sh.begin, to = r.first + sh.end;
    double* const out = kFromWork ? r.f : r.work;
    const double* const in = kFromWork ? r.work : r.f;
    for (int c = from; c < to; ++c) out[c] = PlanJacobiValue<kFar>(r, in, c);
}

template <bool kFar>
void JacobiSweeps(const ParallelRange& r, int sweeps) {
    for (int it = 0; it < sweeps; ++it) {
        PlanHalfStep<kFar, false>(r);
#pragma omp barrier
        PlanHalfStep<kFar, true>(r);
#pragma omp barrier
    }
}

// Variant 27: all sweeps in one region, a barrier after each half step so
// that every thread reads the complete field of the one before.
void SolvePlanCellRangeJacobiBody(const ParallelRange& r, int sweeps) { JacobiSweeps<false>(r, sweeps); }
void SolvePlanCellRangeJacobiFarBody(const ParallelRange& r, int sweeps) { JacobiSweeps<true>(r, sweeps); }

// Variants 29, 30 and 33 on long ranges: each half step its own region.
void SolvePlanCellRangeHalfStepBody(const ParallelRange& r) { PlanHalfStep<false, false>(r); }
void SolvePlanCellRangeHalfStepBackBody(const ParallelRange& r) { PlanHalfStep<false, true>(r); }

template <class Field, bool kFar>
void GaussSeidelSweeps(const CellStencil& stencil, double* f, int first, int last, int sweeps) {
    const CellStencil s = stencil;
    for (int it = 0; it < sweeps; ++it) {
        for (int c = first; c <= last; ++c) Field::store(f, c, PlanSum<kFar, Field>(s, f, c) / s.ap[c]);
        for (int c = last; c >= first; --c) Field::store(f, c, PlanSum<kFar, Field>(s, f, c) / s.ap[c]);
    }
}

// Split faces: the source first, then east, west, south and north, each side
// by its count. Without the lists every side is an ordinary face.
template <class Field, bool kFar>
double PlanSplitValue(const CellStencil& s, const SplitFaces& sf, double* f, int c) {
    if (!sf.present) return PlanSum<kFar, Field>(s, f, c) / s.ap[c];
    double sum = s.source[c];
    for (const SplitSide& d : sf.side) sum = AddSplitSide<Field, kFar>(d, f, c, sum);
    return sum / s.ap[c];
}

// One symmetric sweep whatever the count: the split sides couple levels whose
// coefficients were not restricted for them, and more sweeps do not help.
template <class Field, bool kFar>
void SplitFaceSweep(const CellStencil& s, const SplitFaces& sf, double* f, int first, int last) {
    for (int c = first; c <= last; ++c) Field::store(f, c, PlanSplitValue<Field, kFar>(s, sf, f, c));
    for (int c = last; c >= first; --c) Field::store(f, c, PlanSplitValue<Field, kFar>(s, sf, f, c));
}

template <class Field>
void SolveSerially(int first, int last, int sweeps) {
    const CellStencil s = CurrentCellStencil(CurrentConvectionScheme() == 1);
    if (!PrepareCellRange(first, last, std::min(s.cells, Cf.size()))) return;
    double* const f = Cf.data();
    if (SplitFaceFlag != 0) {
        // A range without a split side (every level above the cells) keeps
        // its sweep count and the ordinary sum, so F 137 alone changes nothing.
        const SplitFaces sf = CurrentSplitFaces(s);
        if (SplitFacesInRange(sf, first, last)) {
            if (s.far()) {
                SplitFaceSweep<Field, true>(s, sf, f, first, last);
            } else {
                SplitFaceSweep<Field, false>(s, sf, f, first, last);
            }
            return;
        }
    }
    if (s.far()) {
        GaussSeidelSweeps<Field, true>(s, f, first, last, sweeps);
    } else {
        GaussSeidelSweeps<Field, false>(s, f, first, last, sweeps);
    }
}

}  // namespace

void SolvePlanCellRange(int first, int last, int sweeps) {
    const CellStencil s = CurrentCellStencil(CurrentConvectionScheme() == 1);
    const bool halfSteps = SolverVariant == 29 || SolverVariant == 30 || SolverVariant == 33;
    if (SolverVariant != 27 && !(halfSteps && last - first > kHalfStepMinSpan && !s.far())) {
        SolveSerially<PlainField>(first, last, sweeps);
        return;
    }
    ParallelRange r{s, Cf.data(), Cwork.data(), first, last};
    if (!PrepareCellRange(r.first, r.last, std::min({s.cells, Cf.size(), Cwork.size()})) || sweeps <= 0) return;
    if (SolverVariant == 27) {
        if (s.far()) {
#pragma omp parallel
            SolvePlanCellRangeJacobiFarBody(r, sweeps);
        } else {
#pragma omp parallel
            SolvePlanCellRangeJacobiBody(r, sweeps);
        }
        return;
    }
    for (int it = 0; it < sweeps; ++it) {
#pragma omp parallel
        SolvePlanCellRangeHalfStepBody(r);
#pragma omp parallel
        SolvePlanCellRangeHalfStepBackBody(r);
    }
}

void SolvePlanCellRangeInBlock(int first, int last, int sweeps) { SolveSerially<SharedField>(first, last, sweeps); }
