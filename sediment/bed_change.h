// The bed change of a morphology time step: each water column's level change
// (Bedmove) carried to the grid nodes at its corners, and what follows it up
// to the regenerated grid.
#pragma once

// Corner k of a column (i, j): 0 NE (i, j), 1 SE (i, j-1), 2 SW (i-1, j-1),
// 3 NW (i-1, j); the diagnostic lines number them 1 to 4.
inline constexpr int kCornerDi[4] = {0, 0, -1, -1};
inline constexpr int kCornerDj[4] = {0, -1, -1, 0};

// How one column's change is spread over its corners.
struct CornerRules {
    bool factors = true;      // F 205 8 to 10 act (the default bed change)
    bool plainCosine = true;  // F 205 5, 6 through CosAngle2D
    bool edgeCopies = true;   // the block-edge nodes of neighbouring blocks follow
};

// The column ranges of the block a column belongs to.
struct ColumnBlock {
    int iFirst, iLast, jFirst, jLast;
};

// Spreads Bedmove[b] of column (i, j) over its four corner nodes (Gridz slot 1
// and plane 1 of GridLevels), limited per corner; what cannot be placed goes
// to BedMoveDefect and BedMoveDefectAbs. `c` is the cell whose neighbours and
// geometry are used. Returns the moves (signed) through `moves` when given,
// and false when the column was passed over.
bool DistributeColumnChange(int i, int j, int b, int c, const ColumnBlock& block, const CornerRules& rules,
                            double moves[4] = nullptr);

// One column of the F 255 1 bed change: its own four corners only, without
// the F 205 factors; with F 132 above 0.5 a least water depth at the corners.
void ChangeBedLevelsDetailed(int i, int j, int b, int iFirst, int iLast, int jFirst, int jLast);

// The corner distribution of every selected block (F 255 0), column by
// column in block, i, j order.
void DistributeBedChangeToCorners();

// The parent block's nodes follow the linked nodes of its child block.
void FollowChildBlockNodes();
// The nodes of columns linked across a coupled-block interface follow.
void FollowConnectedColumns();

// Outflow defect, slope limiter, intermediate results, regeneration every
// F 99 iterations and the suspended mass the regeneration changed; with
// `timeStamps` the wall-clock marks 39 to 51.
void FinishBedChange(bool timeStamps);

// The F 255 3 node move: each node by the mean change of the wet columns
// around it, never below its fixed bed; the clipped part is booked.
void MoveNodesByColumnMeans();
