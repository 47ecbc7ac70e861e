#include "flow/face_interpolation.h"
#include "flow/flow_services.h"

void RunInChunks(int first, int last, int chunks, void (*work)(int, int)) {
    if (chunks <= 1) {
        work(first, last);
        return;
    }
    const int threads = ThreadsForItems(last - first + 1, chunks);
#pragma omp parallel for num_threads(threads) schedule(static, 1) if (threads > 1)
    for (int n = 0; n < chunks; ++n) {
        const ChunkBounds b = Chunk(first, last, chunks, n);
        work(b.first, b.last);
    }
}
