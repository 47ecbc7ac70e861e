// Editing of the structured grid: node-column levels from the Z data sets,
// bed levels copied between overlapping blocks, edge re-spacing,
// interpolations and smoothing of `CurrentBlock`, the filling of lines
// between the last W 6 points, and the plan and cell helpers they share.
// None of them rebuilds the cells.
#pragma once

#include "run/arrays.h"

// Re-spaces the levels of the node columns that the Z data sets of `control`
// name, by percentages of the depth from bed to top. A Z data set out of range
// ends the run with "Input error for Z in control" (status 1).
void gridchange();

// Nodes of lower-level blocks take the bed of the nearest column of an
// overlapping block above them.
void CopyBedFromOverlappingBlocks();

// On the four edge lines of `CurrentBlock`: x, y and bed linear between the
// line ends, the fixed nodes and the nodes of the edge records.
void EditGridLinesAtFixedPoints();
// Interior rows linear along j between the edges and the fixed nodes.
void InterpolateGridBetweenFixedPoints();
// Interior nodes linear along i between the first and the last row.
void InterpolateGridBetweenEdges();
// Interior nodes: the mean of the interpolations along i and along j.
void InterpolateGridBilinear();
// 501 passes of averaging over the diagonal neighbours; fixed nodes stay.
void SmoothGridLaplace();
// Elliptic smoothing pulled towards the W 7 attractors.
void ApplyGridAttractors();

// Fills the nodes between the last two W 6 points (one shared index) and
// appends them to the list while it has room.
void InterpolateGridLineSegment();
// Places the nodes between the third-last and the last W 6 point (the same i)
// on the circle through the last three, along the arc through the middle one.
void InterpolateGridLineArc();

// 1 when (px, py) lies strictly right of every edge of the corners in the
// order given (inside, for clockwise corners), else 0.
int PointInTriangle(double px, double py, double x1, double y1, double x2, double y2, double x3, double y3);
int PointInQuadrilateral(double px, double py, double x1, double y1, double x2, double y2, double x3, double y3,
                         double x4, double y4);

// Differences of the per-cell field f at cell c in direction d (1 x, 2 y,
// 3 vertical; any other 0), weighted with the face areas as each variant
// needs.
double CellDerivativeA(const Array1<double>& f, int d, int c);
double CellDerivativeB(const Array1<double>& f, int d, int c);
double CellDerivativeC(const Array1<double>& f, int d, int c);
