// The transfers between the grid levels of the grid-level driver.
#pragma once

// Every coarse level from the level below it: a level-2 cell takes the mean
// of its column, a coarser cell the mean of its four cells. Leaves the range,
// CurrentBlock and GridLevel at the coarsest level.
void SetGridLevelStartValues();

// After a solve of level GridLevel on the active range: every cell of the
// level below is shifted by what the solve moved its coarse cell away from
// their mean; k and epsilon are then held at their least values.
void CorrectGridLevelBelow();

// Makes level `level` the active one: its cells and surfaces, and for the
// finest level the water columns of the structured blocks (none for a
// coarse level).
void SelectGridLevel(int level);
