// Run parameters of the data sets F 200 to F 249.
#pragma once

#include "run/param_macros.h"

// F 202 also sets `InflowRoughness` (with F 16); F 227 sets `F227Int` (with F 58).
#define RIVAX_PARAMS_F200(X)                    \
    X(int, InitialTurbulenceOption, 0)          \
    X(double, InitialK, 0.0001)                 \
    X(double, InitialEpsilon, 0.0001)           \
    X(double, F200Value4, 0.001)                \
    X(double, F200Value5, 0.001)                \
    X(int, VegVariableCount, 1)                 \
    X(int, VegLevelCount, 4)                    \
    X(int, VegTimeCount, 1)                     \
    X(int, InflowProfileOption, 0)              \
    X(int, VerticalVelocityLimit, 0)            \
    X(double, F204Value, 0.0)                   \
    X(int, BedChangeVariant, 0)                 \
    X(int, NoThreads, 0)                        \
    X(int, TimeOrder, 0)                        \
    X(double, MaxGridDepth, -1.0)               \
    X(int, DiagnosticOutputOption, 0)           \
    X(int, BedSlopeCorrectionA, 0)              \
    X(double, BedSlopeAngleA, 0.0)              \
    X(double, BedSlopeCoefA1, 0.0)              \
    X(double, BedSlopeCoefA2, 0.0)              \
    X(double, BedSlopeCoefA3, 0.0)              \
    X(int, BedSlopeCorrectionB, 0)              \
    X(double, BedSlopeCoefB, 0.0)               \
    X(int, BedSlopeCorrectionC, 0)              \
    X(double, BedSlopeAngleC, 0.0)              \
    X(int, BedSlopeCorrectionD, 0)              \
    X(double, BedSlopeCoefD, 0.0)               \
    X(double, BedSlopeAngleD, 0.0)              \
    X(int, BugtrapIter, -10)                    \
    X(int, BugtrapCell, 0)                      \
    X(int, FlushLimit, 0)                       \
    X(int, UnsteadyConvergenceFlag, 0)          \
    X(int, BedOutflowDefectOption, 1)           \
    X(int, CoefficientCheckOption, 0)           \
    X(double, SurfaceResidualLimit, 100.0)      \
    X(double, GeodataScale, 1.0)                \
    X(double, GeodataOffset, 0.0)               \
    X(int, F226Option, 0)                       \
    X(int, FroudeLevelLimitOption, 0)           \
    X(int, F230Option, 0)                       \
    X(int, F231Option, 0)                       \
    X(int, F232Int1, 1)                         \
    X(int, F232Int2, 0)                         \
    X(double, F232Value3, 0.0)                  \
    X(int, SurfaceVariant, 0)                   \
    X(int, F234Option, 0)                       \
    X(int, TrekantOption, 0)                    \
    X(int, LayerBlockOption, 0)                 \
    X(double, LayerBlockViscosity, 0.0)         \
    X(double, SoilCohesion, 0.0)                \
    X(double, SoilFrictionCoef, 0.8)            \
    X(int, BlockCouplingOption, 0)              \
    X(double, F238Value2, -20000.0)             \
    X(int, PlanSolverSweeps1, 50)               \
    X(int, PlanSolverSweeps2, 350)              \
    X(int, F241Option, 0)                       \
    X(int, F242Int, 100)                        \
    X(double, TrekantValueRelax, 0.5)           \
    X(double, TrekantRelax, 0.8)                \
    X(int, F245Int2, 0)                         \
    X(int, F246Int1, 1)                         \
    X(int, F246Int2, 0)                         \
    X(int, F246Int3, 0)                         \
    X(double, SurfaceSlopeLimit, 0.1)           \
    X(double, YoungModulus, 65000000.0)         \
    X(double, PoissonRatio, 0.4)                \
    X(double, LameLambda, 0.0)                  \
    X(double, TwiceShearModulus, 0.0)           \
    X(int, StressComputationOption, 0)          \
    X(int, F249Option, 0)

RIVAX_PARAMS_F200(RIVAX_DECLARE_PARAM)

// F 237: discharge in m3/s given per discharge group (entries 1..9).
inline constexpr int kGivenGroupDischargeSlots = 20;
extern double GivenGroupDischarge[kGivenGroupDischargeSlots];
