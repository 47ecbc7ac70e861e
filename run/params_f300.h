// Run parameters of the data sets F 300 to F 355.
#pragma once

#include "run/param_macros.h"

#define RIVAX_PARAMS_F300(X)                        \
    X(double, DivergenceLimit, 1e10)                \
    X(int, F304Option, 0)                           \
    X(int, FaceWallLawFlag, 0)                      \
    X(int, SkipFracresFlag, 0)                      \
    X(int, MpiPart, 0)                              \
    X(int, InterresVariant, 0)                      \
    X(int, F310Option, 0)                           \
    X(int, ShallowWaterOption, 0)                   \
    X(int, F312Option, 0)                           \
    X(int, F314Int1, 0)                             \
    X(int, F314Int2, 0)                             \
    X(int, F316Option, 0)                           \
    X(int, InflowBedCellOption, 0)                  \
    X(int, SurfaceTimeTermOption, 0)                \
    X(int, SurfaceExtraTermsFlag, 0)                \
    X(int, SurfaceUpdateByOptionFlag, 0)            \
    X(int, NormalStressOption, 0)                   \
    X(int, SlideVariant, 0)                         \
    X(int, F327Option, 0)                           \
    X(int, BlockParallelFlag, 0)                    \
    X(double, F332Value, 1.0)                       \
    X(int, F333Option, 0)                           \
    X(double, F334Value1, 1.0)                      \
    X(double, F334Value2, 0.2)                      \
    X(double, EndTime, 1e50)                        \
    X(int, ReduceTimeStepFlag, 0)                   \
    X(double, LayerBaseViscosity, 1000.0)           \
    X(int, F339Option, 0)                           \
    X(int, F340Group, 0)                            \
    X(int, StepLossFlag, 0)                         \
    X(int, PlanSolverOption, 0)                     \
    X(int, MultigridVariant, 0)                     \
    X(double, PlanSolverTolerance, 1e-05)           \
    X(int, F346Option, 0)                           \
    X(int, F347Option, 0)                           \
    X(int, InterfaceSide, 0)                        \
    X(int, F349Option, 0)                           \
    X(double, DischargeTimeStepBase, 0.0)           \
    X(double, MinDischargeTimeStep, 0.0)            \
    X(double, ReferenceDischarge, 0.0)              \
    X(double, DischargeTimeStepExponent, 0.0)       \
    X(int, DischargeTimeStepFlag, 0)                \
    X(int, CriticalLevelFlag, 0)                    \
    X(double, CriticalFroude, 1.0)                  \
    X(int, F352Int1, 0)                             \
    X(int, F352Int2, 0)                             \
    X(int, F353Option, 1)                           \
    X(int, Alpha1PrintI, 0)                         \
    X(int, Alpha1PrintJ, 0)                         \
    X(int, SigmaCorrectionOption, 0)                \
    X(double, SigmaCorrectionFactor, 1.0)

RIVAX_PARAMS_F300(RIVAX_DECLARE_PARAM)

// F 317: values by index 1..98; entry 1 is the j grid line of the pressure
// reference of the pressure clipping (0 off).
inline constexpr int kF317Slots = 100;
extern int F317Values[kF317Slots];

// F 329: switches of the results dispatcher; the data set sets entries 0..19.
inline constexpr int kOutputFlags = 51;
inline constexpr int kOutputFlagsRead = 20;
extern int OutputFlags[kOutputFlags];

// The face-based wall laws (F 305 1) know only the laws 0, 5 and 8.
bool FaceWallLawSupported();
