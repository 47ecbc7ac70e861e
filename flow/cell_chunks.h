// Cell-local loops split over the threads the way the
// assembly steps split them (F 206 static chunks), so the short loops between
// the big steps do not run on the master thread alone.
#pragma once

#include <omp.h>

#include "flow/face_interpolation.h"
#include "run/globals.h"

// f(first, last, n) for the chunks n = 0..NoThreads-1 of first..last, on the
// threads; one call with the whole range when there is one thread or the
// caller already runs inside a parallel region. `f` must only touch the cells
// of its own range, or read what no chunk writes.
template <class F>
void ForCellChunks(int first, int last, F f) {
    const int chunks = NoThreads;
    if (first > last) return;
    if (chunks <= 1 || omp_in_parallel()) {
        f(first, last, 0);
        return;
    }
    const int threads = ThreadsForItems(last - first + 1, chunks);
#pragma omp parallel for num_threads(threads) schedule(static, 1) if (threads > 1)
    for (int n = 0; n < chunks; ++n) {
        const ChunkBounds b = Chunk(first, last, chunks, n);
        if (b.first <= b.last) f(b.first, b.last, n);
    }
}
