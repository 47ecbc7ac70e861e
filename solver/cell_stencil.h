// The cell equation as the point solvers and the residuals read it.
//
// Cap f[c] = sum over the neighbours of a_nb f[nb] + Csource, with six near
// neighbours and, in the 13-point form, the six cells one further in the same
// directions. Raw pointers are taken once per call so that the cell loops hold
// no index checks; a missing neighbour is cell 0, whose field value is 0.
#pragma once

#include <algorithm>
#include <atomic>
#include <cstddef>

// Field access on the serial paths.
struct PlainField {
    static double load(double* f, int i) { return f[i]; }
    static void store(double* f, int i, double v) { f[i] = v; }
};

// Field access where thread blocks solve side by side: a block reads the
// border cells of its neighbours while they are being updated, and accepts
// the old or the new value. Relaxed atomics make that well defined and cost
// nothing on x86-64.
struct SharedField {
    static double load(double* f, int i) { return std::atomic_ref<double>(f[i]).load(std::memory_order_relaxed); }
    static void store(double* f, int i, double v) {
        std::atomic_ref<double>(f[i]).store(v, std::memory_order_relaxed);
    }
};

// Directions in the order the neighbour sum adds them.
enum Direction : int { kEast, kWest, kNorth, kSouth, kTop, kBottom, kDirections };

struct CellStencil {
    const int* next[kDirections];  // Ccelle, Ccellw, Ccelln, Ccells, Ccellt, Ccellb
    const double* a[2 * kDirections];  // Cae .. Cab, then Caee .. Cabb (null without far coefficients)
    const double *ap, *source;
    size_t cells;  // cells every array above holds (0 when one is missing)
    bool far() const { return a[kDirections] != nullptr; }
};

// The arrays of the current equation. `far` asks for the far coefficients;
// they are left null when any of them is not allocated.
CellStencil CurrentCellStencil(bool far);

// The neighbours and coefficients of one cell, loaded once and used for one
// or several fields.
struct CellTerms {
    int nb[2 * kDirections];  // E, W, N, S, T, B, then EE, WW, NN, SS, TT, BB
    double a[2 * kDirections];
};

template <bool kFar>
inline CellTerms LoadCellTerms(const CellStencil& s, int c) {
    CellTerms t;
#pragma GCC unroll 6
    for (int d = 0; d < kDirections; ++d) {
        t.nb[d] = s.next[d][c];
        t.a[d] = s.a[d][c];
    }
    if constexpr (kFar) {
#pragma GCC unroll 6
        for (int d = 0; d < kDirections; ++d) {
            t.nb[kDirections + d] = s.next[d][t.nb[d]];
            t.a[kDirections + d] = s.a[kDirections + d][c];
        }
    }
    return t;
}

// The neighbour sum, added strictly in the order east, west, north, south,
// top, bottom and then the far terms in the same order.
template <class Field, bool kFar>
inline double SumCellTerms(const CellTerms& t, double* f) {
    double sum = t.a[0] * Field::load(f, t.nb[0]);
    constexpr int kTerms = kFar ? 12 : 6;
#pragma GCC unroll 12
    for (int i = 1; i < kTerms; ++i) sum = sum + t.a[i] * Field::load(f, t.nb[i]);
    return sum;
}

template <class Field, bool kFar>
inline double NeighbourSum(const CellStencil& s, double* f, int c) {
    return SumCellTerms<Field, kFar>(LoadCellTerms<kFar>(s, c), f);
}

// One horizontal side of a cell that may face several cells of the
// neighbouring column: count 0 an ordinary face, count m > 0 the m
// consecutive cells from the first entry of the cell's list, negative no
// term at all.
struct SplitSide {
    const int* count;
    const int* list;      // [cell][width], entry 0 the lowest facing cell
    const double* a;      // [cell][width], coefficients of the facing cells
    const double* afar;   // [cell][width], coefficients of the cells beyond them
    size_t width;
    const int* next;      // neighbour array of this direction
    const double* anear;  // ordinary coefficient of this side
    const double* anearfar;
};

struct SplitFaces {
    SplitSide side[4];  // east, west, south, north
    bool present;       // every list array is allocated
};

SplitFaces CurrentSplitFaces(const CellStencil& s);

// True when the lists are allocated and some cell of first..last has a side
// that is not an ordinary face. A range without one takes the ordinary
// stencil, so F 137 on a grid without split sides changes no result.
bool SplitFacesInRange(const SplitFaces& sf, int first, int last);

template <class Field, bool kFar>
inline double AddSplitSide(const SplitSide& d, double* f, int c, double sum) {
    const int m = d.count[c];
    if (m == 0) {
        const int nb = d.next[c];
        sum = sum + d.anear[c] * Field::load(f, nb);
        if constexpr (kFar) sum = sum + d.anearfar[c] * Field::load(f, d.next[nb]);
    } else if (m > 0) {
        const size_t row = static_cast<size_t>(c) * d.width;
        const int first = d.list[row];
        const int facing = static_cast<int>(std::min(static_cast<size_t>(m), d.width));
        for (int k = 0; k < facing; ++k) {
            sum = sum + d.a[row + k] * Field::load(f, first + k);
            if constexpr (kFar) sum = sum + d.afar[row + k] * Field::load(f, d.next[first + k]);
        }
    }
    return sum;
}

// The split-face neighbour sum: top and bottom (never split; in the 13-point
// form with their far terms, which Cap holds as well), then `start`, then the
// sides east, west, south, north.
template <class Field, bool kFar>
inline double SplitNeighbourSum(const CellStencil& s, const SplitFaces& sf, double* f, int c, double start) {
    const int top = s.next[kTop][c], bottom = s.next[kBottom][c];
    double sum = s.a[kTop][c] * Field::load(f, top) + s.a[kBottom][c] * Field::load(f, bottom);
    if constexpr (kFar) {
        sum = sum + s.a[kDirections + kTop][c] * Field::load(f, s.next[kTop][top]) +
              s.a[kDirections + kBottom][c] * Field::load(f, s.next[kBottom][bottom]);
    }
    sum = sum + start;
    for (const SplitSide& d : sf.side) sum = AddSplitSide<Field, kFar>(d, f, c, sum);
    return sum;
}

// ConvectionScheme of the current equation, 0 for a number beyond the table.
int CurrentConvectionScheme();

// Prepares a cell range for a kernel over arrays of `cells` slots: the range
// never starts below cell 1 (slot 0 is the "none" cell, whose value must stay
// 0). False for an empty range, and for one that reaches beyond the arrays,
// which is a fault of the caller and is reported (FailAnywhere, status -1)
// instead of being written past the arrays.
bool PrepareCellRange(int& first, int last, size_t cells);
