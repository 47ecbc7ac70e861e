// Global data of the results writers.
#pragma once

#include "run/arrays.h"

// The user points of `interpol`, numbered from 0, and the top cell nearest to
// each as the section files found it.
inline constexpr int kInterpolPointCapacity = 10000;
extern Array1<double> InterpolX;
extern Array1<double> InterpolY;
extern Array1<int> InterpolCell;
