// Symmetric point Gauss-Seidel kernels of the cell equations.
#include <algorithm>

#include "flow/flow_data.h"
#include "run/params_f100.h"
#include "solver/cell_stencil.h"
#include "solver/solver_data.h"
#include "solver/solver_services.h"

namespace {

constexpr int kMultiFields = 5;

template <class Update>
inline void SymmetricSweeps(int first, int last, int sweeps, Update update) {
    for (int it = 0; it < sweeps; ++it) {
        for (int c = first; c <= last; ++c) update(c);
        for (int c = last; c >= first; --c) update(c);
    }
}

// One way of a sweep. The cells of a column are numbered from the bed up, so
// the cell solved just before is the bottom neighbour on the way up and the
// top one on the way down: the updates form one chain through that neighbour,
// and the time of a sweep is the latency of that chain, not the loads. So the
// terms that do not wait for it (the other neighbours and the source) are
// summed first, off the chain, and the diagonal is applied as a stored
// reciprocal: the chain is one multiply, one add and one multiply instead of
// ending in a division. That changes the rounding of the plain form
// ((sum of the terms in order + source) / Cap) by round-off only.
template <class Field, bool kFar, Direction kBehind, int kStep>
inline void PointPass(const CellStencil& s, const double* inv, double* f, int from, int to) {
    int solved = -1;
    double value = 0.0;
    for (int c = from; c != to + kStep; c += kStep) {
        const CellTerms t = LoadCellTerms<kFar>(s, c);
        double rest = s.source[c];
        constexpr int kTerms = kFar ? 2 * kDirections : kDirections;
#pragma GCC unroll 12
        for (int i = 0; i < kTerms; ++i) {
            if (i != kBehind) rest = rest + t.a[i] * Field::load(f, t.nb[i]);
        }
        const double behind = t.nb[kBehind] == solved ? value : Field::load(f, t.nb[kBehind]);
        value = (rest + t.a[kBehind] * behind) * inv[c];
        Field::store(f, c, value);
        solved = c;
    }
}

// The stencil is copied so that its pointers live in a local that no store
// into the field can alias. `inv` takes the reciprocals of the diagonal over
// the range (the caller's own slots of CinvCap: thread blocks never share a
// cell).
template <class Field, bool kFar>
void PointSweeps(const CellStencil& stencil, double* inv, double* f, int first, int last, int sweeps) {
    const CellStencil s = stencil;
    if (sweeps <= 0) return;
    for (int c = first; c <= last; ++c) inv[c] = 1.0 / s.ap[c];
    for (int it = 0; it < sweeps; ++it) {
        PointPass<Field, kFar, kBottom, 1>(s, inv, f, first, last);
        PointPass<Field, kFar, kTop, -1>(s, inv, f, last, first);
    }
}

template <class Field, bool kFar>
void SplitFaceSweeps(const CellStencil& s, const SplitFaces& sf, double* f, int first, int last, int sweeps) {
    SymmetricSweeps(first, last, sweeps, [&](int c) {
        Field::store(f, c, SplitNeighbourSum<Field, kFar>(s, sf, f, c, s.source[c]) / s.ap[c]);
    });
}

template <class Field>
void SolveRange(int first, int last, int sweeps) {
    const CellStencil s = CurrentCellStencil(CurrentConvectionScheme() == 1);
    if (!PrepareCellRange(first, last, std::min({s.cells, Cf.size(), CinvCap.size()}))) return;
    double* f = Cf.data();
    const bool far = s.far();
    if (SplitFaceFlag != 0) {
        const SplitFaces sf = CurrentSplitFaces(s);
        if (SplitFacesInRange(sf, first, last)) {
            // The equation's own sweep count, as without split faces: a
            // single sweep starves the pressure correction and the run
            // crawls. At least one, so a count of 0 still couples the
            // split sides.
            const int n = std::max(sweeps, 1);
            if (far) {
                SplitFaceSweeps<Field, true>(s, sf, f, first, last, n);
            } else {
                SplitFaceSweeps<Field, false>(s, sf, f, first, last, n);
            }
            return;
        }
    }
    double* inv = CinvCap.data();
    if (far) {
        PointSweeps<Field, true>(s, inv, f, first, last, sweeps);
    } else {
        PointSweeps<Field, false>(s, inv, f, first, last, sweeps);
    }
}

struct MultiFields {
    double* f[kMultiFields];
    const double* source[kMultiFields];
    const double* invAp[kMultiFields];
};

template <class Field, bool kFar>
void MultiSweeps(const CellStencil& s, const MultiFields& m, int first, int last, int sweeps) {
    SymmetricSweeps(first, last, sweeps, [&](int c) {
        const CellTerms t = LoadCellTerms<kFar>(s, c);
        for (int r = 0; r < kMultiFields; ++r) {
            Field::store(m.f[r], c, (SumCellTerms<Field, kFar>(t, m.f[r]) + m.source[r][c]) * m.invAp[r][c]);
        }
    });
}

template <class Field>
void SolveMultiRange(int first, int last, int sweeps) {
    // The split-face lists are not used here; split faces only bring in the far terms.
    const CellStencil s = CurrentCellStencil(CurrentConvectionScheme() == 1 || SplitFaceFlag != 0);
    size_t cells = 0;
    if (CfMulti.extent1() >= kMultiFields && CsourceMulti.extent1() >= kMultiFields &&
        InvApMulti.extent1() >= kMultiFields) {
        cells = std::min({s.cells, CfMulti.extent2(), CsourceMulti.extent2(), InvApMulti.extent2()});
    }
    if (!PrepareCellRange(first, last, cells) || sweeps <= 0) return;
    MultiFields m;
    for (int r = 0; r < kMultiFields; ++r) {
        m.f[r] = CfMulti.data() + static_cast<size_t>(r) * CfMulti.extent2();
        m.source[r] = CsourceMulti.data() + static_cast<size_t>(r) * CsourceMulti.extent2();
        m.invAp[r] = InvApMulti.data() + static_cast<size_t>(r) * InvApMulti.extent2();
    }
    if (s.far()) {
        MultiSweeps<Field, true>(s, m, first, last, sweeps);
    } else {
        MultiSweeps<Field, false>(s, m, first, last, sweeps);
    }
}

}  // namespace

void SolveCellRange(int first, int last, int sweeps) { SolveRange<PlainField>(first, last, sweeps); }

void SolveCellRangeInBlock(int first, int last, int sweeps) { SolveRange<SharedField>(first, last, sweeps); }

void SolveCellRangeMulti(int first, int last, int sweeps) { SolveMultiRange<PlainField>(first, last, sweeps); }

void SolveCellRangeMultiInBlock(int first, int last, int sweeps) { SolveMultiRange<SharedField>(first, last, sweeps); }
