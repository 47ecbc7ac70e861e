// Run parameters of the data sets F 100 to F 149.
#pragma once

#include "run/param_macros.h"

#define RIVAX_PARAMS_F100(X)                    \
    X(int, ShorelineOption, 0)                  \
    X(int, F103Flag, 0)                         \
    X(int, IsolatedCellDamping, 0)              \
    X(int, SurfaceInterval, 10)                 \
    X(double, F106Value, -1.0)                  \
    X(double, CotAngle1, 1.23)                  \
    X(double, CotAngle2, 0.78)                  \
    X(double, AngleFactor, 0.2)                 \
    X(double, F110Value1, 2.0)                  \
    X(double, F110Value2, 0.01)                 \
    X(int, RegenerateGridFlag, 0)               \
    X(int, FluxInterpolationOption, 0)          \
    X(int, F113InitialValue, 0)                 \
    X(int, PressureGradientOption, 0)           \
    X(int, VegetationOption, 0)                 \
    X(int, Surface2DOption, 0)                  \
    X(int, F121Flag, 0)                         \
    X(int, F126Flag, 0)                         \
    X(int, F128Option, 0)                       \
    X(int, F129Flag, 0)                         \
    X(int, F130Int1, 0)                         \
    X(int, F130Int2, 0)                         \
    X(int, F130Int3, 0)                         \
    X(int, F130Int4, 0)                         \
    X(double, FroudeLimit, 0.0)                 \
    X(int, NoBedLayers, 2)                      \
    X(int, SurfaceSlopeGravityFlag, 0)          \
    X(double, BoundarySlopeLimit, 0.0)          \
    X(int, SplitFaceFlag, 0)                    \
    X(double, MinK, 1e-20)                      \
    X(double, MinUplus, 1.0)                    \
    X(double, MinUplusWall, 1.0)                \
    X(int, TimeAveragingOption, 0)              \
    X(int, F144Option, 0)                       \
    X(double, F144Value, 0.0)                   \
    X(int, ExtrapolationPasses, 20)             \
    X(int, F147Int2, 2)                         \
    X(int, F147Int3, 1)                         \
    X(double, F147Value4, 0.2)                  \
    X(double, F147Value5, 1.0)                  \
    X(double, F147Value6, 1.0)                  \
    X(double, MaxLevelSlope, -0.1)              \
    X(double, VerticalEddyViscFactor, 1.0)      \
    X(double, HorizontalEddyViscFactor, 1.0)

RIVAX_PARAMS_F100(RIVAX_DECLARE_PARAM)

// F 101: entries 1..4 are the snapshot intervals in iterations, entry 0 the
// smallest positive of them (1000000 when none is).
inline constexpr int kOutputIntervals = 8;
extern int OutputIntervals[kOutputIntervals];

// F 131: cohesion per sediment size, sizes 1..20 accepted.
inline constexpr int kCohesionSize = 51;
inline constexpr int kCohesionMaxIndex = 20;
extern double Cohesion[kCohesionSize];
