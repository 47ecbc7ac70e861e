// Carrying cell quantities to the surface between two cells.
#pragma once

// Weight of the first cell of a surface whose cell centres lie d1 and d2 from
// it: the nearer cell weighs more. The guard keeps a degenerate surface
// (both distances 0) finite.
inline double FaceWeight1(double d1, double d2) { return d2 / (d1 + d2 + 1e-20); }

// q1 of the first cell and q2 of the second, interpolated to the surface.
inline double FaceValue(double d1, double d2, double q1, double q2) { return (d1 * q2 + d2 * q1) / (d1 + d2 + 1e-20); }

// A centre coefficient from this value on marks a cell whose value is imposed.
inline constexpr double kFixedValueCap = 1e15;
inline constexpr double kFixedValueWeight = 1e30;

// Splits first..last into `chunks` pieces the way the flow drivers do: each
// of length (last - first + 1) / chunks, the last one ending at `last`.
// Returns the bounds of piece n (first > last for an empty piece).
struct ChunkBounds {
    int first, last;
};
inline ChunkBounds Chunk(int first, int last, int chunks, int n) {
    const int len = chunks > 0 ? (last - first + 1) / chunks : 0;
    const int a = first + n * len;
    return {a, n == chunks - 1 ? last : a + len - 1};
}

// Items (cells, surfaces) below which one more thread costs more than it
// brings: a pass over this many cells takes tens of microseconds, about what
// waking a thread and meeting it at the join cost on a busy machine, where a
// thread that lost its core holds up every barrier.
inline constexpr int kItemsPerThread = 10000;

// The threads for a region over `items` items: at most `threads`, at least
// one, and no more than the work feeds. The chunk count stays the caller's, so
// a region on fewer threads computes the same chunks, one thread taking
// several in turn.
inline int ThreadsForItems(int items, int threads) {
    const int fed = items / kItemsPerThread;
    return threads < 1 ? 1 : (fed < 1 ? 1 : (fed < threads ? fed : threads));
}
