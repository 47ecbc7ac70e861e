// Global work data of the linear equation solvers.
#pragma once

#include "run/arrays.h"

// Work arrays of the cell-equation solvers, per cell.
extern Array1<double> Cwork;
extern Array1<double> CinvCap;
extern Array1<double> CtdmaP;
extern Array1<double> CtdmaQ;

// Per grid line: the largest of the three line counts plus 2.
extern Array1<double> BlockCorrLineA;
extern Array1<double> BlockCorrLineB;

// Multigrid links, [cell][0 parent, 1..4 children] (two ints with two grid levels only).
extern Array2<int> Cchildren;

// Fields of the fast solver, [5][cell]; CsourceMulti is shared with the per-size sediment systems.
extern Array2<double> InvApMulti;
extern Array2<double> CfMulti;
extern Array2<double> CsourceMulti;

// Block limits of the vertical-line hybrids (F 164 31 to 33): entry 0 is the
// cell before the range, entry B its last cell, block k the cells after entry
// k up to entry k + 1. Rewritten by every call that uses it.
inline constexpr int kColumnBlockLimits = 33;
extern int ColumnBlockLimits[kColumnBlockLimits];
