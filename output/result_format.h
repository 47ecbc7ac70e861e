// What the result writer and the restart reader share about the result file.
#pragma once

#include <array>
#include <cstddef>

#include "run/globals.h"

// F 48 value of the binary form `resultb`.
inline constexpr int kBinaryResultSelector = 15;

// The per-cell arrays in the order both forms hold them (u v w k e p).
inline std::array<Array1<double>*, 6> ResultCellArrays() { return {&Cu, &Cv, &Cw, &Ck, &Cepsilon, &Pres}; }

// Bytes of the binary form of a grid: the six cell arrays and `Fflux`, each
// whole from element 0.
inline size_t BinaryResultBytes(int cells, int surfaces) {
    return sizeof(double) * (6 * (static_cast<size_t>(cells) + 1) + static_cast<size_t>(surfaces) + 1);
}

// True when cells 0..`cells` and surfaces 0..`surfaces` lie inside the arrays
// of the result file.
inline bool ResultListsFitArrays(int cells, int surfaces) {
    if (cells < 0 || surfaces < 0 || static_cast<size_t>(surfaces) + 1 > Fflux.size()) return false;
    for (const Array1<double>* a : ResultCellArrays()) {
        if (static_cast<size_t>(cells) + 1 > a->size()) return false;
    }
    return true;
}
