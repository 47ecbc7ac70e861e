// The points of the generated cells that stand on one structured node.
#pragma once

// Moves the plan position of every point at node (i, j) of the cells of the
// columns that share the node: the node's whole vertical line, so that no
// column, however many layers it collapsed there, keeps a point behind.
void MoveNodeLine(int i, int j, double x, double y);
