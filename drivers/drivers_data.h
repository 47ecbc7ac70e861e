// Global work data of the water-flow drivers.
#pragma once

#include "run/arrays.h"

// Work arrays of the shallow-water solver: [3][cell] and [4][surface].
extern Array2<double> ShallowWork3A;
extern Array2<double> ShallowWork3B;
extern Array2<double> ShallowWork3C;
extern Array2<double> ShallowWork4A;
extern Array2<double> ShallowWork4B;
