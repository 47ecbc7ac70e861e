// What the grid generator's frame shares with its column-and-cell algorithms.
#pragma once

// The block whose cells did not fit the F 65 capacities, 0 while none.
extern int GenerationFailedBlock;

// True when one more cell, numbered `cell`, with up to 8 new points and 6 new
// faces, can be stored below the capacities.
bool RoomForCell(int cell);
// Reports a grid that outgrew the F 65 capacities, keeps the blocks before
// GenerationFailedBlock and ends the run with kGridOverflowStatus.
[[noreturn]] void ReportGenerationOverflow();

// Set by the first column-layer block of a run: that one has its lower
// level on the bed everywhere.
extern bool LayerBlockFirstRunDone;
// Whether block b is the column-layer block of block 1 (built in this run,
// or read back from a grid file, which does not store the flag).
bool IsColumnLayerBlock(int b);

// The capacity test after a cell: a count has reached its capacity less one.
bool CapacityReached();

// The largest water depth over the nodes of the blocks with columns, as the
// frame found it before MaxDepth and F 209 apply (0 when all are dry).
extern double GenerationLargestDepth;

// Plan corners 1..4 of column (i, j) lie at the nodes (i + dx, j + dy).
inline constexpr int kColumnCornerDi[4] = {-1, 0, 0, -1};
inline constexpr int kColumnCornerDj[4] = {-1, -1, 0, 0};

// The weight of the bed in a corner height from a layer fraction f: the
// ends snap to 0 and 1.
inline double LayerWeight(double f) {
    if (f > 0.99999) return 1.0;
    if (f >= 1e-10) return f;
    return 0.0;
}
