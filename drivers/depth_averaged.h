// The drivers over a depth-averaged block and their shared steps.
#pragma once

#include <vector>

// The water columns of the three-dimensional blocks (kind 0, no partner) in
// block and cell order: the top cell of each and the depth-averaged cell at
// the same grid position (i, j).
struct ColumnPair {
    int top;
    int depthAveraged;
};
extern std::vector<ColumnPair> ColumnPairs;

// Pairs every 3D column with the depth-averaged cell of its grid position.
// False, with the message, status text and FlowFailedFlag set, when the last
// block is no depth-averaged block or a 3D column has no cell in it.
bool PairDepthAveragedColumns();

// The cells of the column whose top cell is `top`, top first.
template <typename F>
void ForEachCellOfColumn(int top, F f);

// U and V of the active range: mode 2 on the depth-averaged block, whose
// cells collect the terms of their columns, mode 3 on the 3D blocks.
void SolveMomentumSimple(int mode);
// The water-quality components of the active range, one set of neighbour
// coefficients for all of them.
void SolveComponentsSimple();

// Vertical fluxes and W of the columns of the active range from the
// continuity defects in Csource, by F 69 fourth value `option`.
void ComputeColumnFluxes(int option);

#include "drivers/depth_averaged_inl.h"
