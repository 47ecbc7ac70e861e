// Run parameters of the G data sets.
#pragma once

#include "run/param_macros.h"

#define RIVAX_PARAMS_G(X)            \
    X(int, NoGridLinesX, 300)        \
    X(int, NoGridLinesY, 300)        \
    X(int, NoGridLinesZ, 11)         \
    X(int, NoG7Records, 0)           \
    X(int, ReferenceLevelGroup, 0)

RIVAX_PARAMS_G(RIVAX_DECLARE_PARAM)

inline constexpr int kZdistribSize = 1000;
extern double zdistrib[kZdistribSize];  // relative level of each vertical grid line, from index 1

// G 50 switches of the parallel paths (entries 0..9); F 269 sets 10 and 11.
inline constexpr int kOpenMPSwitches = 40;
extern int OpenMPSwitches[kOpenMPSwitches];
