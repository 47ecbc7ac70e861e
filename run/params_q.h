// Run parameters of the Q data sets (water-quality components).
#pragma once

#include "run/param_macros.h"

#define RIVAX_PARAMS_Q(X)

RIVAX_PARAMS_Q(RIVAX_DECLARE_PARAM)

inline constexpr int kQNames = 200;
inline constexpr int kQNameSize = 40;
extern char QNames[kQNames][kQNameSize];  // name of component c in entry c
