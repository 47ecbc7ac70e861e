// Reading the bed fraction file back (letter O).
#pragma once

inline constexpr int kFracresMissing = 2;
inline constexpr int kFracresOutsideGrid = 88;

// Reads `fracres` (or its partition name) into the bed layers of the water
// columns and sets FracresReadFlag: 0, kFracresMissing without the file,
// also when there is no grid yet, kFracresOutsideGrid (after a line in
// `boogie`) for a line naming a position outside the grid. A layer
// whose fractions do not sum to 1 (an empty layer aside) or a line cut short
// ends the run with status -3.
int ReadFracresFile();
