// Run parameters of the data sets F 100 to F 149.
#pragma once

#include "run/param_macros.h"

#define RIVAX_PARAMS_F100(X) \
    X(int, F144Option, 0)

RIVAX_PARAMS_F100(RIVAX_DECLARE_PARAM)
