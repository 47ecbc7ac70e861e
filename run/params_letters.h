// Run parameters of the data sets B, H, I, L, M, N, P, S and T.
#pragma once

#include "run/param_macros.h"

#define RIVAX_PARAMS_LETTERS(X)   \
    X(int, NoNDataSets, 0)        \
    X(int, NoMDataSets, 0)

RIVAX_PARAMS_LETTERS(RIVAX_DECLARE_PARAM)

inline constexpr int kGrainDistributions = 20;
inline constexpr int kMaxSizes = 50;
extern double GrainFractions[kGrainDistributions][kMaxSizes + 1];  // [distribution][size]

inline constexpr int kTitleSize = 80;
extern char Title[kTitleSize];  // run title, printed from its second character
