// Reads of arrays that a run may not have allocated, or at indexes that may
// lie outside them: those read as 0 instead of past the data.
#pragma once

#include <cstddef>

#include "run/arrays.h"

inline bool IndexIn(long long i, size_t n) { return i >= 0 && static_cast<size_t>(i) < n; }
template <class T>
T ValueAt(const Array1<T>& a, long long i) {
    return a.exists() && IndexIn(i, a.size()) ? a[i] : T{};
}
template <class T>
T ValueAt(const Array2<T>& a, long long n1, long long n2) {
    return a.exists() && IndexIn(n1, a.extent1()) && IndexIn(n2, a.extent2()) ? a[n1][n2] : T{};
}
template <class T>
T ValueAt(const Array3<T>& a, long long n1, long long n2, long long n3) {
    return a.exists() && IndexIn(n1, a.extent1()) && IndexIn(n2, a.extent2()) && IndexIn(n3, a.extent3())
               ? a[n1][n2][n3]
               : T{};
}
