// Values and differences of a per-cell field across the columns of the grid,
// for the elastic stress computation. Fields are read through raw rows
// indexed by cell number, element 0 the no-cell slot.
#pragma once

// The value of f in the column of cell k at the centre level of cell r:
// linear between the two cells of that column around the level, the
// column's end cell's own value beyond its end.
double InterpolateAtCellLevel(const double* f, int r, int k);

// Differences of f at cell c in direction dir (1 x, 2 y, 3 z; any other 0):
// A weighted by the area components of the faces (the vertical one by the
// top face's plan area), B by the unit normals, C a derivative (the side
// parts per cell volume).
double GradientDirA(const double* f, int dir, int c);
double GradientDirB(const double* f, int dir, int c);
double GradientDirC(const double* f, int dir, int c);
