// Run parameters of the K data sets.
#pragma once

#include "run/param_macros.h"

#define RIVAX_PARAMS_K(X)

RIVAX_PARAMS_K(RIVAX_DECLARE_PARAM)
