// Concentration fields of the `inspace` file, per time level, and the
// bookkeeping of the sediment that enters through the inflow groups.
#pragma once

#include "run/arrays.h"

// Sizes 0..19 and coefficients 1..10 of the concentration polynomial.
inline constexpr int kInspaceSizes = 20;
inline constexpr int kInspaceValues = 20;

extern Array3<double> InspaceConcSeries;  // [time level][sediment size][value]
extern Array1<double> InspaceTimes;       // time of each level

// The A data set: 1 makes the inflow sources use the polynomials, 0 (no A)
// the discharge groups' own concentrations, any other value no source.
extern int InspaceMode;
extern double InspaceProfile[kInspaceSizes][kInspaceValues];  // B: fixed polynomial per size
extern int NoInspaceTimes;                                    // T data sets read

// Sediment that entered through the inflow groups: the total and per size.
inline constexpr int kSedimentInflowSizes = 51;
extern double SedimentInflowSum;
extern double SedimentInflowPerSize[kSedimentInflowSizes];

void ResetInspaceData();
