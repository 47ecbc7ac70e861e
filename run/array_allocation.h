// Creation of the engine's arrays by the allocators, with the running byte
// total that they log.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>

#include "run/arrays.h"

// The most bytes that one allocator call may take. The default leaves the
// limit to the machine; tests lower it to reach the out-of-memory paths
// without exhausting memory.
extern size_t AllocationLimitBytes;

class ArrayAllocation {
public:
    // Creates `array` with the given extents unless it exists already, and
    // adds its bytes to the total. False when it cannot be created: an extent
    // below zero, a size beyond size_t, the limit, or no memory. A failing
    // array of two or more dimensions logs "Allocated %lf Mbyte when out of
    // memory" with the bytes counted so far.
    template <class A, class... Extents>
    bool make(A& array, Extents... extents) {
        if (array.exists()) return true;
        size_t sizes[] = {Extent(extents)...};
        size_t bytes = sizeof(*array.data());
        bool fits = true;
        for (long long e : {static_cast<long long>(extents)...}) fits = fits && e >= 0;
        for (size_t n : sizes) fits = fits && CheckedMul(bytes, n, &bytes);
        fits = fits && bytes <= AllocationLimitBytes && total_ <= AllocationLimitBytes - bytes;
        if (fits && allocateWith(array, sizes)) {
            total_ += array.bytes();
            return true;
        }
        if (sizeof...(extents) >= 2) ReportOutOfMemory();
        return false;
    }

    // make() for each array of a list that shares its extents.
    template <class A, class... Extents>
    bool makeAll(std::initializer_list<A*> arrays, Extents... extents) {
        for (A* array : arrays) {
            if (!make(*array, extents...)) return false;
        }
        return true;
    }

    size_t bytes() const { return total_; }

private:
    static size_t Extent(long long e) { return e < 0 ? 0 : static_cast<size_t>(e); }
    template <class A, size_t N>
    static bool allocateWith(A& array, const size_t (&s)[N]) {
        if constexpr (N == 1) return array.allocate(s[0]);
        if constexpr (N == 2) return array.allocate(s[0], s[1]);
        if constexpr (N == 3) return array.allocate(s[0], s[1], s[2]);
        if constexpr (N == 4) return array.allocate(s[0], s[1], s[2], s[3]);
    }
    void ReportOutOfMemory() const;

    size_t total_ = 0;
};
