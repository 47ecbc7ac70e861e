// Run parameters of the data sets F 1 to F 49.
#pragma once

#include "run/param_macros.h"

#define RIVAX_PARAMS_F1(X)                      \
    X(char, DebugOption, 'N')                   \
    X(double, F4Value1, 0.5)                    \
    X(int, NoSedIterations, 50)                 \
    X(double, F4Value3, 0.01)                   \
    X(double, VanRijnCoef, 0.015)               \
    X(double, VanRijnExpT, 1.5)                 \
    X(double, VanRijnExpD, 0.3)                 \
    X(int, BedThicknessCheckOption, 0)          \
    X(int, F7EFlag, 0)                          \
    X(int, F7PGOption, 0)                       \
    X(double, F8Value, 0.1)                     \
    X(double, F9Value, 1.0)                     \
    X(char, SedFormula, 'R')                    \
    X(double, SedRelativeDensity, 2.65)         \
    X(double, CriticalShields, -0.047)          \
    X(double, F12Value, 1.0)                    \
    X(double, ArtificialViscosity, 0.0)         \
    X(int, WallLaw, 0)                          \
    X(double, WallRoughness, -2.0)              \
    X(double, InflowRoughness, 0.0)             \
    X(double, TimeStep, 1e-20)                  \
    X(double, SedBuoyancyFactor, 0.0)           \
    X(int, NoRunPasses, 1)                      \
    X(double, RhieChowRelax, 1.0)               \
    X(double, F25Value1, 0.35)                  \
    X(double, F25Value2, 2.0)                   \
    X(double, F25Value3, 0.5)                   \
    X(double, F25Value4, 0.8)                   \
    X(int, F25Int5, 5)                          \
    X(double, F23Value1, 0.0)                   \
    X(double, F23Value2, 0.0)                   \
    X(int, TurbulenceModel, 0)                  \
    X(double, BedSolidFraction, 0.5)            \
    X(int, F27Int, 0)                           \
    X(int, NoIterPerStep, 1)                    \
    X(double, ArtEddyVisc, 0.0)                 \
    X(int, FreeSurfaceOption, 0)                \
    X(int, FlagTSC, 0)                          \
    X(double, LargeResidualFactor, 1e12)        \
    X(double, StratificationFactor, 0.0)        \
    X(double, KoominDepth, 0.0)                 \
    X(int, KoominMode, 0)                       \
    X(double, KoominLevel, 0.0)                 \
    X(double, GeodataReportDistance, 0.05)      \
    X(double, GeodataSearchRadius, 1e10)        \
    X(int, OutputSelector, 0)

RIVAX_PARAMS_F1(RIVAX_DECLARE_PARAM)

inline constexpr int kRunChoiceSize = 20;
extern char RunChoice[kRunChoiceSize];   // F 2: positions 0..9 are the run letters
extern char RunOptions[kRunChoiceSize];  // F 7: option letters in positions 1..8
extern int F30Values[10];                // F 30: entries 0..5
