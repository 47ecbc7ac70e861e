// Shared pieces of the parallel point solvers (F 164 above 20): the range
// they solve, the share of cells or blocks of each thread, and the cell value
// formed from two fields.
#pragma once

#include <algorithm>
#include <cstdint>

#include "solver/cell_stencil.h"

// The cells and arrays of one call. Raw pointers so that the cell loops hold
// no index checks; the range has been checked against the arrays.
struct ParallelRange {
    CellStencil s;
    double* f;     // Cf
    double* work;  // Cwork
    int first, last;

    int cells() const { return last - first + 1; }
    // Whether a neighbour is one of the cells being solved. Cwork holds the
    // current iterate only there; every other cell (slot 0 included) is read
    // from Cf, as the serial kernel reads it.
    bool holds(int c) const {
        return static_cast<uint32_t>(c - first) <= static_cast<uint32_t>(last - first);
    }
};

// Positions [begin, end) of part `part` of `parts` equal shares of n items,
// ceil(n / parts) each; the last shares can be short or empty.
struct Share {
    int begin, end;
};
inline Share ShareOf(int n, int parts, int part) {
    if (n <= 0 || parts <= 0) return {0, 0};
    const int64_t q = n / parts + (n % parts != 0 ? 1 : 0);
    const int64_t begin = std::min<int64_t>(part * q, n);
    return {static_cast<int>(begin), static_cast<int>(std::min<int64_t>(begin + q, n))};
}

// The bit of neighbour term i (E, W, N, S, T, B, then the far ones).
constexpr unsigned TermBit(int i) { return 1u << i; }
inline constexpr unsigned kNoWorkTerms = 0;
inline constexpr unsigned kAllWorkTerms = 0xfff;

// The neighbour sum plus the source of cell c, strictly in the order of the
// serial kernel. Terms whose bit is set in kWorkTerms read Cwork for the
// neighbours inside the range, the others read Cf. The compile-time mask keeps
// the choice out of the inner loop except for the range test of the Cwork
// terms, which is a compare and a select.
template <class Field, bool kFar, unsigned kWorkTerms>
inline double CellSum(const ParallelRange& r, int c) {
    const CellTerms t = LoadCellTerms<kFar>(r.s, c);
    constexpr int kTerms = kFar ? 2 * kDirections : kDirections;
    double sum = 0.0;
#pragma GCC unroll 12
    for (int i = 0; i < kTerms; ++i) {
        double v;
        if constexpr (kWorkTerms != 0) {
            if ((kWorkTerms & TermBit(i)) != 0) {
                v = Field::load(r.holds(t.nb[i]) ? r.work : r.f, t.nb[i]);
            } else {
                v = Field::load(r.f, t.nb[i]);
            }
        } else {
            v = Field::load(r.f, t.nb[i]);
        }
        sum = i == 0 ? t.a[0] * v : sum + t.a[i] * v;
    }
    return sum + r.s.source[c];
}

template <class Field, bool kFar, unsigned kWorkTerms>
inline double CellValue(const ParallelRange& r, int c) {
    return CellSum<Field, kFar, kWorkTerms>(r, c) / r.s.ap[c];
}

// The vertical-line hybrids (F 164 30 to 33), and the table of their block
// limits: entry 0 is first - 1, entry B is last, block k the cells after entry
// k up to entry k + 1.
inline constexpr int kMaxColumnBlocks = 32;
void SolveLineHybrid(const ParallelRange& r, int variant, int blocks, int sweeps);

// Fills ColumnBlockLimits for `blocks` blocks over first..last (variant 32
// spreads the remainder, the others leave it to the last block), every inner
// entry moved up to the top cell of its column. Returns the block count used.
int ColumnBlockLimitsFor(int first, int last, int blocks, bool spread);
// The same into a caller's table of blocks + 1 entries, for any block count.
void FillColumnBlockLimits(int* limits, int first, int last, int blocks, bool spread);
// The column-block hybrid (variants 31 and 33) on a caller's table
// limits[0..blocks]: a copy of Cf into Cwork, then `sweeps` upward half steps
// into Cwork and downward ones into Cf, each its own parallel region. The
// table must not change during the call.
void SolveOnColumnBlockTable(const ParallelRange& r, const int* limits, int blocks, int sweeps);
