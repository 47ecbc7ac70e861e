// Run parameters of the Q data sets (water-quality components).
#pragma once

#include "run/param_macros.h"

#define RIVAX_PARAMS_Q(X) \
    X(int, NoQDataSets, 0)

RIVAX_PARAMS_Q(RIVAX_DECLARE_PARAM)

inline constexpr int kQNames = 200;
inline constexpr int kQNameSize = 40;
extern char QNames[kQNames][kQNameSize];  // name of component c in entry c

// One accepted Q data set: the component it belongs to, its Q number, then
// its integers and reals in the order given (entries not given stay 0).
inline constexpr int kQInts = 6;
inline constexpr int kQReals = 10;
struct QDataSetRecord {
    int component;
    int qtype;
    int ivalue[kQInts];
    double rvalue[kQReals];
};
inline constexpr int kQDataSets = 200;
extern QDataSetRecord QDataSets[kQDataSets];  // records 0..NoQDataSets-1, in file order
