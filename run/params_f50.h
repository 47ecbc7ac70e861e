// Run parameters of the data sets F 50 to F 99.
#pragma once

#include "run/param_macros.h"

// F 51 and F 80 both set `Coriolis`; F 86 and F 94 the three depths; F 79 and
// G 1 `NoSizes`; F 58 and F 227 `F227Int`.
#define RIVAX_PARAMS_F50(X)                      \
    X(int, NoComponents, 0)                      \
    X(double, Coriolis, 0.0)                     \
    X(int, CoriolisFlag, 0)                      \
    X(int, PrintInterval, 100)                   \
    X(int, TimeoInterval, 1)                     \
    X(double, InnerConvergence, 0.002)           \
    X(int, BedSlopeLimitOption, 0)               \
    X(double, MaxBedSlope, 1.0)                  \
    X(int, F60Int1, 0)                           \
    X(double, Theta, 0.0)                        \
    X(int, TransientComponentsFlag, 0)           \
    X(int, F63Option, 0)                         \
    X(int, GridAlgorithm, 11)                    \
    X(int, TopCellWalkFlag, 0)                   \
    X(int, MaxCeller, 50000)                     \
    X(int, MaxFlater, 80000)                     \
    X(int, MaxPoints, 50000)                     \
    X(int, MaxBoundaryCells, 10000)              \
    X(int, MaxEdgePairs, 1000)                   \
    X(double, BlockLinkWeight, 0.0)              \
    X(int, TemperatureFlag, 0)                   \
    X(int, Hydrostatic, 0)                       \
    X(int, F69Int1, 0)                           \
    X(int, F69Int2, 0)                           \
    X(int, F69Int3, 0)                           \
    X(int, ColumnFluxOption, 0)                  \
    X(int, F69Int5, 0)                           \
    X(int, F69Int6, 0)                           \
    X(int, F69Int7, 0)                           \
    X(int, WallLawVariant, 0)                    \
    X(int, TurbDensFlag, 0)                      \
    X(double, MinGamma, 0.001)                   \
    X(int, WindDragFormula, 0)                   \
    X(int, F74Flag, 0)                           \
    X(double, WaterTemperature, 0.0)             \
    X(int, WaterTemperatureFlag, 0)              \
    X(double, DiffusivityFactor, 1.0)            \
    X(double, BedDiffusivityFactor, 1.0)         \
    X(double, DampingExponent, 0.0)              \
    X(double, ConstEddyViscosity, 1.0)           \
    X(double, ConstEddyViscosityBed, 1.0)        \
    X(int, LateralSlopeOption, 0)                \
    X(double, LateralSlopeFactor, 0.6)           \
    X(int, ComponentWorkRows, 0)                 \
    X(int, NoSizes, 1)                           \
    X(double, CoriolisImplicitFactor, 0.0)       \
    X(int, MaxTimeiSteps, 200)                   \
    X(double, DampingExpMomentum, -0.5)          \
    X(double, DampingCoefMomentum, 10.0)         \
    X(double, DampingExpScalar, -1.5)            \
    X(double, DampingCoefScalar, 3.33)           \
    X(double, VanRijnBedLoadCoef, 0.053)         \
    X(double, VanRijnBedLoadExpT, 2.1)           \
    X(double, VanRijnBedLoadExpD, 0.3)           \
    X(double, VanRijnBedLoadExpDiam, 1.5)        \
    X(int, SedFormulaVariant, 0)                 \
    X(int, F85Flag, 0)                           \
    X(double, MinWaterDepth, 0.001)              \
    X(double, SingleCellDepth, 0.01)             \
    X(double, DryDepth, -0.001)                  \
    X(double, LayerDepthExponent, 0.6)           \
    X(double, MaxEddyViscosity, 1000.0)          \
    X(double, ShorelineMoveLimit, 0.5)           \
    X(int, RoughnessOption, 0)                   \
    X(int, iPres, 0)                             \
    X(int, jPres, 0)                             \
    X(int, NearBedOption, 0)                     \
    X(int, SupercriticalAveragingFlag, 0)        \
    X(double, F95Value1, 0.5)                    \
    X(double, F95Value2, 0.2)                    \
    X(int, DeadEndCellFlag, 0)                   \
    X(int, SkipBlockCorrection, 0)               \
    X(int, RegridInterval, 1)                    \
    X(int, F227Int, 1)

RIVAX_PARAMS_F50(RIVAX_DECLARE_PARAM)

extern double WindSpeed[3];  // F 52: speed, x part, y part
