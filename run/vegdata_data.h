// Vegetation values of the `vegdata` file.
#pragma once

#include "run/arrays.h"

extern Array1<double> Cporosity;  // per cell
// [column][time step][0 the levels, 1..VegVariableCount the variables][level]
extern Array4<double> Bveg;
extern Array1<double> VegTimes;   // time of each vegetation time step

extern int VegdataReadFlag;  // 1 once `vegdata` has been read
// 0 before any profile, 1 after V data sets only, 2 after A or C data sets
// only, 3 when both kinds were given.
extern int VegFileFormat;
extern int iTime;    // the vegetation time step in use
extern double midt;  // weight of time step iTime against iTime - 1

void ResetVegdataState();
