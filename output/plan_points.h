// The points of the plan files: one per cell column of a block, plus a ring
// on the block's outer grid lines, rows j outer and i inner.
#pragma once

#include <vector>

#include "grid/grid_data.h"

struct PlanPoint {
    int i, j;          // the point's own column
    int ci, cj;        // the column that gives its values: on the ring, the adjacent column of the block
    int ni[2], nj[2];  // its node lines; the point stands for the four nodes they form
};

struct PlanLayout {
    int pointsPerRow = 0;
    int rows = 0;
    std::vector<PlanPoint> points;
};

// The layout of block b; false (logged, naming `file`) when the block's nodes
// do not lie inside the structured grid.
bool LayoutPlanBlock(int b, const char* file, PlanLayout* layout);

// The mean over the point's four nodes of nodeValue(i, j).
template <class NodeValue>
double PlanNodeMean(const PlanPoint& p, NodeValue nodeValue) {
    return (nodeValue(p.ni[0], p.nj[0]) + nodeValue(p.ni[1], p.nj[0]) + nodeValue(p.ni[1], p.nj[1]) +
            nodeValue(p.ni[0], p.nj[1])) /
           4.0;
}

// The bottom cell of column (i, j) and the cell PlanCellLevel - 1 levels
// above it (the top cell when the column is shorter); 0 for a dry column.
int PlanCell(int i, int j);

// The value of a plot entry that the plan files take from the grid nodes
// (s, t, v, y, z): the mean over the point's nodes.
double PlanNodeLetterValue(char letter, const PlanPoint& p);
