// Run parameters of the data sets F 150 to F 199.
#pragma once

#include "run/param_macros.h"

// F 156 sets `PauseFlag`, which lives with the other observer state in
// run/status.h; F 182 sets `BedThicknessCheckOption` (with F 7 B).
#define RIVAX_PARAMS_F150(X)                    \
    X(int, F150Int2, 0)                         \
    X(int, NoGridLevels, 0)                     \
    X(int, CellResidualFlag, 1)                 \
    X(int, SurfaceSmoothingOption, 0)           \
    X(double, SurfaceSmoothingValue, 0.0)       \
    X(int, SimpleVariant, 0)                    \
    X(int, F159Int1, 1)                         \
    X(int, F159Int2, 0)                         \
    X(int, F159Int3, 0)                         \
    X(int, F159Int4, 1)                         \
    X(int, F159Int5, 0)                         \
    X(int, F160Int, 0)                          \
    X(double, F162Value, 0.0)                   \
    X(int, F163Int, 0)                          \
    X(int, SolverVariant, 0)                    \
    X(int, F165Flag, 0)                         \
    X(int, F166Flag, 0)                         \
    X(int, MultigridChoice, 0)                  \
    X(int, HidingOption, 0)                     \
    X(double, HidingExponent, 0.0)              \
    X(int, FastSolverFlag, 0)                   \
    X(int, SchemeVariant, 0)                    \
    X(int, F172Int1, 0)                         \
    X(double, F172Value2, 2.0)                  \
    X(double, F172Value3, 7.0 / 3.0)            \
    X(int, CyclicInterval, 0)                   \
    X(double, F175Value, 0.1)                   \
    X(int, ExtraDiffusionOption, 0)             \
    X(double, ExtraDiffusionFactor, 0.0)        \
    X(int, F178Option, 0)                       \
    X(int, F179Int1, 1)                         \
    X(int, F179Int2, 0)                         \
    X(int, F180Option, 0)                       \
    X(int, HydrostaticPressureFlag, 0)          \
    X(int, DebugStopOption, 0)                  \
    X(int, F184Option, 0)                       \
    X(int, WallEpsilonDistanceFlag, 0)          \
    X(double, WallEpsilonDistanceFactor, 0.43)  \
    X(int, LineSolverFlag, 0)                   \
    X(int, GroupLevelAdjustOption, 0)           \
    X(int, MorphologyBlock, 0)                  \
    X(double, EdgeMatchTolerance, 1e-05)        \
    X(double, F192Value, 1.0)                   \
    X(double, F193Value, 1e-08)                 \
    X(int, BedGridMoveFlag, 0)

RIVAX_PARAMS_F150(RIVAX_DECLARE_PARAM)
