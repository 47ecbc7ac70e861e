// The vertical-line hybrids of the parallel solver (F 164 30 to 33):
// Gauss-Seidel up and down each column, Jacobi across the columns. A sweep is
// a forward half step from Cf into Cwork, which takes the new value of the
// cell below, and a backward one from Cwork into Cf, which takes the new value
// of the cell above.
#include <omp.h>

#include <algorithm>

#include "grid/grid_data.h"
#include "solver/parallel_solver.h"
#include "solver/solver_data.h"

namespace {

constexpr unsigned kForwardWorkTerms = TermBit(kBottom) | TermBit(kDirections + kBottom);
constexpr unsigned kBackwardWorkTerms = kAllWorkTerms & ~(TermBit(kTop) | TermBit(kDirections + kTop));

// Blocks of variant 32, which spreads the remainder over them.
constexpr int kSpreadBlocks = 16;

template <class Field, bool kFar>
inline void ForwardCells(const ParallelRange& r, int from, int to) {
    for (int c = from; c <= to; ++c) Field::store(r.work, c, CellValue<Field, kFar, kForwardWorkTerms>(r, c));
}

template <class Field, bool kFar>
inline void BackwardCells(const ParallelRange& r, int from, int to) {
    for (int c = to; c >= from; --c) Field::store(r.f, c, CellValue<Field, kFar, kBackwardWorkTerms>(r, c));
}

inline void CopyCells(const ParallelRange& r, int from, int to) {
    if (from <= to) std::copy(r.f + from, r.f + to + 1, r.work + from);
}

Share ThreadShare(int items) { return ShareOf(items, omp_get_num_threads(), omp_get_thread_num()); }

// Variant 30, on the cell chunks of the thread. Chunks ignore columns: the
// cell below (forward) or above (backward) of a chunk's end cell belongs to
// another thread, which may be writing it; relaxed atomics make those reads
// well defined and the result may then vary with the thread count.
void CopyToWorkBody(const ParallelRange& r) {
    const Share sh = ThreadShare(r.cells());
    CopyCells(r, r.first + sh.begin, r.first + sh.end - 1);
}

template <bool kFar>
void LineHybridForwardBody(const ParallelRange& r) {
    const Share sh = ThreadShare(r.cells());
    ForwardCells<SharedField, kFar>(r, r.first + sh.begin, r.first + sh.end - 1);
}

template <bool kFar>
void LineHybridBackwardBody(const ParallelRange& r) {
    const Share sh = ThreadShare(r.cells());
    BackwardCells<SharedField, kFar>(r, r.last - sh.end + 1, r.last - sh.begin);
}

template <bool kFar>
void SolveOnCellChunks(const ParallelRange& r, int sweeps) {
#pragma omp parallel
    CopyToWorkBody(r);
    for (int it = 0; it < sweeps; ++it) {
#pragma omp parallel
        LineHybridForwardBody<kFar>(r);
#pragma omp parallel
        LineHybridBackwardBody<kFar>(r);
    }
}

// Variants 31 to 33, on blocks of whole columns: each column lies in one
// block of one thread, and every other read is of the array the step does not
// write, so there is no race and the values do not depend on the thread or
// block count. The limits are read from a copy, out of reach of the stores.
struct ColumnBlocks {
    const int* limits;  // entries 0..blocks
    int blocks;
    int first(int b) const { return limits[b] + 1; }
    int last(int b) const { return limits[b + 1]; }
};

void ColumnBlockCopyBody(const ParallelRange& r, const ColumnBlocks& t) {
    const Share sh = ThreadShare(t.blocks);
    for (int b = sh.begin; b < sh.end; ++b) CopyCells(r, t.first(b), t.last(b));
}

template <bool kFar>
void ColumnBlockForwardBody(const ParallelRange& r, const ColumnBlocks& t) {
    const Share sh = ThreadShare(t.blocks);
    for (int b = sh.begin; b < sh.end; ++b) ForwardCells<PlainField, kFar>(r, t.first(b), t.last(b));
}

template <bool kFar>
void ColumnBlockBackwardBody(const ParallelRange& r, const ColumnBlocks& t) {
    const Share sh = ThreadShare(t.blocks);
    for (int b = sh.begin; b < sh.end; ++b) BackwardCells<PlainField, kFar>(r, t.first(b), t.last(b));
}

template <bool kFar>
void SolveOnColumnBlocks(const ParallelRange& r, const ColumnBlocks& t, int sweeps) {
#pragma omp parallel
    ColumnBlockCopyBody(r, t);
    for (int it = 0; it < sweeps; ++it) {
#pragma omp parallel
        ColumnBlockForwardBody<kFar>(r, t);
#pragma omp parallel
        ColumnBlockBackwardBody<kFar>(r, t);
    }
}

}  // namespace

void FillColumnBlockLimits(int* limits, int first, int last, int blocks, bool spread) {
    const int n = last - first + 1;
    const int* above = Ccellt.data();
    limits[0] = first - 1;
    for (int b = 1; b < blocks; ++b) {
        const int offset = spread ? static_cast<int>(b * (n * (1.0 / blocks))) : b * (n / blocks);
        int entry = first - 1 + offset;
        // Up to the top cell of the column, however tall, so that no column
        // is split between two blocks.
        while (entry >= first && entry < last && above[entry] > 0) ++entry;
        limits[b] = entry;
    }
    limits[blocks] = last;
}

int ColumnBlockLimitsFor(int first, int last, int blocks, bool spread) {
    blocks = std::clamp(blocks, 1, kMaxColumnBlocks);
    FillColumnBlockLimits(ColumnBlockLimits, first, last, blocks, spread);
    return blocks;
}

void SolveOnColumnBlockTable(const ParallelRange& r, const int* limits, int blocks, int sweeps) {
    const ColumnBlocks t{limits, blocks};
    if (r.s.far()) {
        SolveOnColumnBlocks<true>(r, t, sweeps);
    } else {
        SolveOnColumnBlocks<false>(r, t, sweeps);
    }
}

void SolveLineHybrid(const ParallelRange& r, int variant, int blocks, int sweeps) {
    const bool far = r.s.far();
    if (variant == 30) {
        if (far) {
            SolveOnCellChunks<true>(r, sweeps);
        } else {
            SolveOnCellChunks<false>(r, sweeps);
        }
        return;
    }
    const bool spread = variant == 32;
    const int used = ColumnBlockLimitsFor(r.first, r.last, spread ? kSpreadBlocks : blocks, spread);
    int limits[kColumnBlockLimits];
    std::copy(ColumnBlockLimits, ColumnBlockLimits + used + 1, limits);
    SolveOnColumnBlockTable(r, limits, used, sweeps);
}
