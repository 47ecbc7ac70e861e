// Run parameters of the G data sets.
#pragma once

#include "run/param_macros.h"

#define RIVAX_PARAMS_G(X)            \
    X(int, NoGridLinesX, 300)        \
    X(int, NoGridLinesY, 300)        \
    X(int, NoGridLinesZ, 11)         \
    X(int, NoG7Records, 0)

RIVAX_PARAMS_G(RIVAX_DECLARE_PARAM)

inline constexpr int kZdistribSize = 1000;
extern double zdistrib[kZdistribSize];  // relative level of each vertical grid line, from index 1
