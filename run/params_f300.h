// Run parameters of the data sets F 300 to F 355.
#pragma once

#include "run/param_macros.h"

#define RIVAX_PARAMS_F300(X)        \
    X(int, MpiPart, 0)              \
    X(int, BlockParallelFlag, 0)

RIVAX_PARAMS_F300(RIVAX_DECLARE_PARAM)
