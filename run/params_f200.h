// Run parameters of the data sets F 200 to F 249.
#pragma once

#include "run/param_macros.h"

#define RIVAX_PARAMS_F200(X)               \
    X(int, BedChangeVariant, 0)            \
    X(int, NoThreads, 0)                   \
    X(int, LayerBlockOption, 0)            \
    X(int, StressComputationOption, 0)

RIVAX_PARAMS_F200(RIVAX_DECLARE_PARAM)
