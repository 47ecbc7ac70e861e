// The cells around each grid point, from which the 3D plot files average
// their point values.
#pragma once

#include <string>
#include <vector>

// Pkooi and Pkooj of the corners of every cell of every structured column:
// the structured node each point stands on.
void SetPointGridNodes();

// Pmerge[p] = p for p = first..last; then the corners of the first surface of
// each edge pair take the corners of the second, so that the two sides of a
// joined interface show the same values.
void SetPointMerges(int first, int last);

// The cells that have point Pmerge[p] as a corner, from the four columns
// around the point's structured node, each column walked from its bottom cell
// up. With `substitute`, a dry column of a grid of several blocks is replaced
// by the diagonal neighbour of an adjacent column's bottom cell.
void CellsAtPoint(int p, bool substitute, std::vector<int>* cells);

// Ends the run as for a plot file `name` that cannot be written when the
// point, cell or edge-pair counts pass the arrays they index.
void RequirePointCellCounts(const std::string& name);
