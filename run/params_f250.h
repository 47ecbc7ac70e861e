// Run parameters of the data sets F 250 to F 299.
#pragma once

#include "run/param_macros.h"

// F 250 also sets `ReferenceLevelGroup` (with G 62), F 269 entries 10 and 11
// of `OpenMPSwitches` (G 50), F 270 `BedSlopeLimitOption` and `MaxBedSlope`
// (with F 56).
#define RIVAX_PARAMS_F250(X)                        \
    X(int, F251Option, 0)                           \
    X(double, SedimentInflowFluxWeight, 0.9)        \
    X(int, ActiveLayerErosionLimit, 0)              \
    X(double, F254Value, 0.5)                       \
    X(int, BedChangeRoutine, 0)                     \
    X(double, F256Value, 0.1)                       \
    X(int, DebugFilesOption, 0)                     \
    X(int, SimpleCorrectionMode, 0)                 \
    X(int, StressVariant, 9)                        \
    X(int, BlockInterfaceOption, 0)                 \
    X(double, BlockInterfaceRelax, 0.5)             \
    X(int, GroundwaterOption, 0)                    \
    X(double, GroundwaterConductivity, 5.3e-06)     \
    X(int, F264Option, 0)                           \
    X(double, GrainPercentile, 0.5)                 \
    X(int, BankFailureOption, 0)                    \
    X(double, BankFrictionCoef, 0.65)               \
    X(double, BankCohesion, 0.0)                    \
    X(int, PlotZoneBlock, 0)                        \
    X(double, F270Value2, 0.0)                      \
    X(int, F271Option, 0)                           \
    X(int, TurbulenceProductionVariant, 0)          \
    X(int, WallPressureGradientOption, 0)           \
    X(int, BedAngleFileOption, 0)                   \
    X(double, C1eps, 1.44)                          \
    X(double, C2eps, 1.92)                          \
    X(int, RaiseGroupTopFlag, 1)                    \
    X(int, F277Option, 0)                           \
    X(int, SurfaceWeightOption, 0)                  \
    X(int, F279Option, 0)                           \
    X(int, F280Option, 0)                           \
    X(int, F281Option, 0)                           \
    X(double, F281Value2, 1.0)                      \
    X(int, LevelCorrectionVariant, 0)               \
    X(int, F283Option, 0)                           \
    X(int, F284Option, 0)                           \
    X(int, ReservoirBalanceMode, 0)                 \
    X(double, BalanceLowFactor, 0.5)                \
    X(double, BalanceHighFactor, 2.0)               \
    X(int, LayerUpdateVariant, 0)                   \
    X(int, LayerBlockGridVariant, 0)                \
    X(int, BlockingOption, 0)                       \
    X(double, F290Value1, 0.0)                      \
    X(int, F291Int1, 0)                             \
    X(int, F291Int2, 0)                             \
    X(int, F291Int3, 0)                             \
    X(int, FalseTimeStepMode, 0)                    \
    X(double, FalseTimeStep, 0.0)                   \
    X(int, ResidualFileFlag, 0)                     \
    X(int, InspaceTimeCount, 0)                     \
    X(double, BedRoughnessFactor, 1.0)              \
    X(int, F296Option, 0)                           \
    X(int, UnstrucVersion, 3)                       \
    X(int, OpenFoamPatchOption, 0)                  \
    X(double, OpenFoamInletLevel, 1e20)             \
    X(double, OpenFoamOutlet2Level, 1e20)           \
    X(int, F299Option, 0)

RIVAX_PARAMS_F250(RIVAX_DECLARE_PARAM)

// F 263: per discharge group (entries 1..9) a value that replaces the group's
// mode when the grid file is read; -1 keeps the file's.
inline constexpr int kF263GroupSlots = 20;
extern int F263GroupValues[kF263GroupSlots];

// The residual history file that F 293 creates and the flow drivers extend.
inline constexpr const char* kResidualFileName = "quorva";
