// The parallel point solvers chosen by F 164 above 20: two-field Jacobi
// (27, 29), block Gauss-Seidel (28), the vertical-line hybrids (30 to 33, in
// line_hybrid.cpp) and the serial kernel that every other value runs.
#include <omp.h>

#include <algorithm>

#include "flow/flow_data.h"
#include "run/params_f100.h"
#include "run/params_f150.h"
#include "run/params_f200.h"
#include "run/params_g.h"
#include "solver/parallel_solver.h"
#include "solver/solver_data.h"
#include "solver/solver_services.h"

namespace {

// The G 50 switch that makes the equation solver serial; here it leaves one block.
constexpr int kSolverSwitch = 8;

Share ForwardShare(const ParallelRange& r) {
    return ShareOf(r.cells(), omp_get_num_threads(), omp_get_thread_num());
}

// One Jacobi half step over the thread's share: Cf into Cwork, or back. Each
// half step reads only the array the other one writes, so the plain accesses
// do not race.
template <bool kFar, bool kFromWork>
void JacobiHalfStep(const ParallelRange& r, Share sh) {
    const int from = r.first + sh.begin, to = r.first + sh.end;
    if constexpr (kFromWork) {
        for (int c = from; c < to; ++c) r.f[c] = CellValue<PlainField, kFar, kAllWorkTerms>(r, c);
    } else {
        for (int c = from; c < to; ++c) r.work[c] = CellValue<PlainField, kFar, kNoWorkTerms>(r, c);
    }
}

// Variant 27: one region for the whole solve, two Jacobi iterations per
// sweep with a barrier after each. Threads without cells still meet every
// barrier. kFar selects the 13-point form.
template <bool kFar>
void JacobiRegionBody(const ParallelRange& r, int sweeps) {
    const Share sh = ForwardShare(r);
    for (int it = 0; it < sweeps; ++it) {
        JacobiHalfStep<kFar, false>(r, sh);
#pragma omp barrier
        JacobiHalfStep<kFar, true>(r, sh);
#pragma omp barrier
    }
}

// Variant 29: the same half steps, each its own region.
template <bool kFar>
void JacobiHalfStepBody(const ParallelRange& r) {
    JacobiHalfStep<kFar, false>(r, ForwardShare(r));
}
template <bool kFar>
void JacobiHalfStepBackBody(const ParallelRange& r) {
    JacobiHalfStep<kFar, true>(r, ForwardShare(r));
}

// Variant 28: Gauss-Seidel in place over the thread's chunk, upwards in the
// forward pass and downwards over the mirrored chunk in the backward pass. A
// neighbour in another chunk may be changing at that moment and is read with
// either value, hence the relaxed atomics.
void BlockGaussSeidelBody(const ParallelRange& r, int sweeps) {
    const Share sh = ForwardShare(r);
    for (int it = 0; it < sweeps; ++it) {
        for (int c = r.first + sh.begin; c < r.first + sh.end; ++c) {
            SharedField::store(r.f, c, CellValue<SharedField, false, kNoWorkTerms>(r, c));
        }
#pragma omp barrier
        for (int c = r.last - sh.begin; c > r.last - sh.end; --c) {
            SharedField::store(r.f, c, CellValue<SharedField, false, kNoWorkTerms>(r, c));
        }
#pragma omp barrier
    }
}

void SolveJacobi(const ParallelRange& r, int sweeps, bool far) {
    if (sweeps < 1) return;
    if (far) {
#pragma omp parallel
        JacobiRegionBody<true>(r, sweeps);
    } else {
#pragma omp parallel
        JacobiRegionBody<false>(r, sweeps);
    }
}

template <bool kFar>
void SolveJacobiByHalfSteps(const ParallelRange& r, int sweeps) {
    for (int it = 0; it < sweeps; ++it) {
#pragma omp parallel
        JacobiHalfStepBody<kFar>(r);
#pragma omp parallel
        JacobiHalfStepBackBody<kFar>(r);
    }
}

// The serial kernel of every other variant, on the calling thread. It
// multiplies by the stored reciprocal of Cap instead of dividing.
class SerialFallback {
public:
    SerialFallback(const ParallelRange& r, double* invAp) : r_(r), inv_(invAp) {
        for (int c = r_.first; c <= r_.last; ++c) inv_[c] = 1.0 / r_.s.ap[c];
    }

    // Symmetric Gauss-Seidel, in place.
    void GaussSeidel(int sweeps) const {
        for (int it = 0; it < sweeps; ++it) {
            for (int c = r_.first; c <= r_.last; ++c) r_.f[c] = value<false>(c);
            for (int c = r_.last; c >= r_.first; --c) r_.f[c] = value<false>(c);
        }
    }

    // Two Jacobi iterations per sweep, Cf into Cwork and copied back, upwards
    // and then downwards; `sum` gives the neighbour sum plus source of a cell.
    template <class Sum>
    void JacobiPairs(int sweeps, Sum sum) const {
        double* const end = r_.work + r_.last + 1;
        for (int it = 0; it < sweeps; ++it) {
            for (int c = r_.first; c <= r_.last; ++c) r_.work[c] = sum(c) * inv_[c];
            std::copy(r_.work + r_.first, end, r_.f + r_.first);
            for (int c = r_.last; c >= r_.first; --c) r_.work[c] = sum(c) * inv_[c];
            std::copy(r_.work + r_.first, end, r_.f + r_.first);
        }
    }

    template <bool kFar>
    double value(int c) const {
        return CellSum<PlainField, kFar, kNoWorkTerms>(r_, c) * inv_[c];
    }

private:
    const ParallelRange& r_;
    double* inv_;
};

void SolveSerially(const ParallelRange& r, int sweeps, bool far) {
    const SerialFallback fallback(r, CinvCap.data());
    if (SplitFaceFlag > 0) {
        const SplitFaces sf = CurrentSplitFaces(r.s);
        if (SplitFacesInRange(sf, r.first, r.last)) {
            // The equation's own sweep count (at least one), as in the
            // serial kernel.
            const int n = std::max(sweeps, 1);
            if (far) {
                fallback.JacobiPairs(n, [&](int c) {
                    return SplitNeighbourSum<PlainField, true>(r.s, sf, r.f, c, r.s.source[c]);
                });
            } else {
                fallback.JacobiPairs(n, [&](int c) {
                    return SplitNeighbourSum<PlainField, false>(r.s, sf, r.f, c, r.s.source[c]);
                });
            }
            return;
        }
    }
    if (far) {
        fallback.JacobiPairs(sweeps, [&](int c) { return CellSum<PlainField, true, kNoWorkTerms>(r, c); });
    } else {
        fallback.GaussSeidel(sweeps);
    }
}

// Blocks of the column-block hybrids: one per thread of F 206, or one when
// G 50 makes the solver serial; never more than the limit table holds.
int ColumnBlockCount() {
    if (OpenMPSwitches[kSolverSwitch] == 1 || NoThreads <= 0) return 1;
    return std::min(NoThreads, kMaxColumnBlocks);
}

}  // namespace

void SolveEquationParallel(int first, int last, int sweeps) {
    ParallelRange r{CurrentCellStencil(CurrentConvectionScheme() == 1), Cf.data(), Cwork.data(), first, last};
    if (!PrepareCellRange(r.first, r.last, std::min({r.s.cells, Cf.size(), Cwork.size(), CinvCap.size()}))) return;
    // A missing neighbour is cell 0, which must read as 0 in both fields
    // whatever other code left there.
    r.f[0] = 0.0;
    r.work[0] = 0.0;
    const bool far = r.s.far();
    switch (SolverVariant) {
        case 27: SolveJacobi(r, sweeps, far); break;
        case 28:
            if (far) {
                SolveSerially(r, sweeps, far);
            } else if (sweeps >= 1) {
#pragma omp parallel
                BlockGaussSeidelBody(r, sweeps);
            }
            break;
        case 29:
            if (far) {
                SolveJacobiByHalfSteps<true>(r, sweeps);
            } else {
                SolveJacobiByHalfSteps<false>(r, sweeps);
            }
            break;
        case 30:
        case 31:
        case 32:
        case 33: SolveLineHybrid(r, SolverVariant, ColumnBlockCount(), sweeps); break;
        default: SolveSerially(r, sweeps, far); break;
    }
}
