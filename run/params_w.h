// Run parameters of the W data sets.
#pragma once

#include "run/param_macros.h"

#define RIVAX_PARAMS_W(X)               \
    X(double, InitialWaterLevel, 1.0)   \
    X(int, W1Given, 0)

RIVAX_PARAMS_W(RIVAX_DECLARE_PARAM)
