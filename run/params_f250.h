// Run parameters of the data sets F 250 to F 299.
#pragma once

#include "run/param_macros.h"

#define RIVAX_PARAMS_F250(X)          \
    X(int, BedChangeRoutine, 0)       \
    X(int, GroundwaterOption, 0)      \
    X(int, BankFailureOption, 0)      \
    X(int, InspaceTimeCount, 0)

RIVAX_PARAMS_F250(RIVAX_DECLARE_PARAM)
