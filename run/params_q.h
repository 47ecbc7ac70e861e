// Run parameters of the Q data sets (water-quality components).
#pragma once

#include "run/param_macros.h"

#define RIVAX_PARAMS_Q(X)

RIVAX_PARAMS_Q(RIVAX_DECLARE_PARAM)
