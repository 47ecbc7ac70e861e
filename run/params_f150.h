// Run parameters of the data sets F 150 to F 199.
#pragma once

#include "run/param_macros.h"

#define RIVAX_PARAMS_F150(X)              \
    X(int, NoGridLevels, 0)               \
    X(int, SimpleVariant, 0)              \
    X(int, MultigridChoice, 0)            \
    X(int, FastSolverFlag, 0)             \
    X(int, CyclicInterval, 0)             \
    X(int, HydrostaticPressureFlag, 0)

RIVAX_PARAMS_F150(RIVAX_DECLARE_PARAM)
