#include "flow/face_interpolation.h"
#include "flow/flow_services.h"

void RunInChunks(int first, int last, int chunks, void (*work)(int, int)) {
    if (chunks <= 1) {
        work(first, last);
        return;
    }
#pragma omp parallel for num_threads(chunks) schedule(static, 1)
    for (int n = 0; n < chunks; ++n) {
        const ChunkBounds b = Chunk(first, last, chunks, n);
        work(b.first, b.last);
    }
}
