// Blocks appended behind the structured blocks of a generated grid: the
// depth-averaged block (one cell per water column) and the grid-level blocks
// of the multi-level driver, with the column each of their cells stands for.
#pragma once

#include <vector>

// The structured column (i, j) of every depth-averaged or level-2 cell,
// indexed by cell number; 0 for every other cell and beyond the vectors.
// Kept apart from Cigrid, which the metric fills with its column-cell list.
extern std::vector<int> CcolumnI;
extern std::vector<int> CcolumnJ;

// Stores (i, j) as the column of cell `cell`, growing the vectors on demand.
void SetCellColumn(int cell, int i, int j);
// Forgets the columns of cells from `first` on.
void ClearCellColumns(int first);
int CellColumnI(int cell);
int CellColumnJ(int cell);

// The message of a builder that ran out of room; false when it was written.
void ReportBlockCapacity();

// Appends the grid levels 2 to NoGridLevels (F 152) behind the structured
// blocks, after restoring the block and surface counts of the grid file.
void BuildGridLevelBlocks();
