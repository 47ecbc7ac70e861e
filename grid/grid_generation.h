// What the grid generator's frame shares with its column-and-cell algorithms.
#pragma once

// The block whose cells did not fit the F 65 capacities, 0 while none.
extern int GenerationFailedBlock;

// True when one more cell, numbered `cell`, with up to 8 new points and 6 new
// faces, can be stored below the capacities.
bool RoomForCell(int cell);
// The capacity test after a cell: a count has reached its capacity less one.
bool CapacityReached();
