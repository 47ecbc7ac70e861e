// Run parameters of the data sets F 50 to F 99.
#pragma once

#include "run/param_macros.h"

#define RIVAX_PARAMS_F50(X)      \
    X(int, GridAlgorithm, 11)    \
    X(int, Hydrostatic, 0)       \
    X(int, NoSizes, 1)           \
    X(int, MaxCeller, 50000)     \
    X(int, BedSlopeLimitOption, 0) \
    X(double, MaxBedSlope, 1.0)  \
    X(int, F227Int, 1)           \
    X(int, F60Int1, 0)

RIVAX_PARAMS_F50(RIVAX_DECLARE_PARAM)
