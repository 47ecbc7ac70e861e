// Run parameters of the K data sets.
#pragma once

#include "run/param_macros.h"

#define RIVAX_PARAMS_K(X)                   \
    X(int, iterGlobalMax, 40000)            \
    X(int, SurfaceUpdateInterval, 50000)    \
    X(int, K2Int1, 0)                       \
    X(int, SurfaceUpdateFlag, 1)

RIVAX_PARAMS_K(RIVAX_DECLARE_PARAM)

// Per-equation tables, indexed by the equation number (1 U, 2 V, 3 W,
// 4 pressure correction, 5 k, 6 epsilon, higher for sediment and
// water-quality components). K 3..K 6 set entries 1..6.
inline constexpr int kEquationTableSize = 50;
inline constexpr int kKEquations = 6;
extern double RelaxationFactors[kEquationTableSize];
extern int SolverSweeps[kEquationTableSize];
extern int SolverAcceleration[kEquationTableSize];
extern int ConvectionScheme[kEquationTableSize];
