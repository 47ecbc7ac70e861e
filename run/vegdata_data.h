// Vegetation values of the `vegdata` file.
#pragma once

#include "run/arrays.h"

extern Array1<double> Cporosity;  // per cell
// [column][time step][0 the levels, 1..VegVariableCount the variables][level]
extern Array4<double> Bveg;
extern Array1<double> VegTimes;   // time of each vegetation time step
