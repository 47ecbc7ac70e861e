// Concentration fields of the `inspace` file, per time level.
#pragma once

#include "run/arrays.h"

extern Array3<double> InspaceConcSeries;  // [time level][sediment size][value]
extern Array1<double> InspaceTimes;       // time of each level
