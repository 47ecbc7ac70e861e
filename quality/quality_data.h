// Global data of the water-quality components.
#pragma once

#include "run/arrays.h"

// Water-quality components [component][cell] (component 0 the temperature with F 67).
extern Array2<double> Components;
extern Array2<double> ComponentsOld;

// [row][column]
extern Array2<double> ComponentWork;
