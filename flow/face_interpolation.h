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
