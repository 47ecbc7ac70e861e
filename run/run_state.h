// Run state that the control reader sets to its start value and the
// computing subsystems change during the run. CyclicFileFlag, NoInflowPoints
// and NoInflowLevels tell whether the `cyclic` and `inflow` files were read;
// `stime` is the simulated time (s).
#pragma once

#include "run/param_macros.h"
#include "run/params_k.h"

#define RIVAX_RUN_STATE(X)                          \
    X(int, Iter, 0)                                 \
    X(int, FlowInitialisedFlag, 0)                  \
    X(int, FlowFailedFlag, 0)                       \
    X(int, CoefficientsInitialisedFlag, 0)          \
    X(int, CurrentBlock, 1)                         \
    X(int, AppendedBlockFlag, 0)                    \
    X(int, OutputRequestFlag, 0)                    \
    X(int, NoTimeiSteps, 0)                         \
    X(int, TimeiInflowFlag, 0)                      \
    X(int, TimeiTimeStepFlag, 0)                    \
    X(int, NoSurfaces, 0)                           \
    X(int, NoPoints, 0)                             \
    X(int, NoBlocks, 0)                             \
    X(int, NoEdgePairs, 0)                          \
    X(int, FileNoCells, 0)                          \
    X(int, FileNoSurfaces, 0)                       \
    X(int, FileNoBlocks, 0)                         \
    X(int, FileNoEdges, 0)                          \
    X(int, FileNoEdgePairs, 0)                      \
    X(int, NoBoundaryCells, 0)                      \
    X(int, MaxPartnerBlock, 0)                      \
    X(int, NoEdges, 0)                              \
    X(int, NoBedCells, 0)                           \
    X(int, NoGeodataPoints, 0)                      \
    X(int, MultigridLevels, 0)                      \
    X(double, MaxDepth, 0.0)                        \
    X(int, GridLevel, 0)                            \
    X(int, GridRegeneratedFlag, 0)                  \
    X(int, iPres2, 0)                               \
    X(int, jPres2, 0)                               \
    X(int, ReadUnstrucVersion, 0)                   \
    X(double, ZRef, -1e20)                          \
    X(double, ZRef2, 0.0)                           \
    X(double, PresRef, 0.0)                         \
    X(double, PresRef2, 0.0)                        \
    X(double, SurfaceZRef, -1e20)                   \
    X(int, SurfaceTraceHeaderFlag, 0)               \
    X(int, OptionTraceHeaderFlag, 0)                \
    X(int, ZRefGroup, -1)                           \
    X(int, NoSurfaceUpdates, 0)                     \
    X(int, NoFailedSurfaceUpdates, 0)               \
    X(double, LastSurfaceUpdateTime, 0.0)           \
    X(double, PreviousSurfaceUpdateTime, 0.0)       \
    X(double, SurfaceVolumeChange, 0.0)             \
    X(double, ContinuityResidualOffset, 0.0)        \
    X(int, FracresReadFlag, 0)                      \
    X(int, ResultFluxesReadFlag, 0)                 \
    X(int, ProfileAppendStartedFlag, 0)             \
    X(int, NoInterpolPoints, -1)                    \
    X(int, lnodem, 1)                               \
    X(int, bnodem, 1)                               \
    X(int, NoTimeoRecords, 0)                       \
    X(int, CyclicFileFlag, 0)                       \
    X(int, NoInflowPoints, 0)                       \
    X(int, NoInflowLevels, 0)                       \
    X(double, stime, 0.0)                           \
    X(double, RelaxVelocity, 1.0)                   \
    X(double, InvRelaxVelocity, 1.0)                \
    X(double, RelaxPressure, 1.0)                   \
    X(double, RelaxK, 1.0)                          \
    X(double, RelaxEps, 1.0)                        \
    X(int, TimeAverageCounter, 0)

RIVAX_RUN_STATE(RIVAX_DECLARE_PARAM)

// Settings that no data set changes; the reader stores them with the defaults.
#define RIVAX_FIXED_SETTINGS(X)                 \
    X(double, MinSurfaceDepth, 0.02)            \
    X(int, RoughnessSmoothingPasses, 1)         \
    X(int, MorphologyVariant, 0)                \
    X(int, SlopePlotOption, 0)                  \
    X(int, UniformSweepsFlag, 0)

RIVAX_FIXED_SETTINGS(RIVAX_DECLARE_PARAM)

// The cell count, the active cell and surface ranges and the equation at hand, which the
// grid, the drivers and the solvers share.
#define RIVAX_EQUATION_STATE(X)                 \
    X(int, NoCells, 0)                          \
    X(int, FirstCell, 0)                        \
    X(int, LastCell, 0)                         \
    X(int, FirstSurface, 0)                     \
    X(int, LastSurface, 0)                      \
    X(int, FirstBedCell, 0)                     \
    X(int, LastBedCell, 0)                      \
    X(int, Equation, 0)

RIVAX_EQUATION_STATE(RIVAX_DECLARE_PARAM)

// Per equation number: the normalised residual of the latest pass, and the
// scale the residuals are divided by (set at the start of a flow run).
extern double MaxResidual[kEquationTableSize];
extern double ResidualScale[kEquationTableSize];

// Wall-clock stamps taken at fixed points of the computation, for the
// timing report.
inline constexpr int kTimingMarks = 80;
extern double TimingMarks[kTimingMarks];

// Set by the free surface when the grid moved; cleared by the entry.
extern int GridChangedFlag;

inline constexpr int kNoErrorsTrekant = 27;
extern int NoErrorsTrekant[kNoErrorsTrekant];

inline constexpr int kGroupDischargeSlots = 20;
extern double GroupDischarge[kGroupDischargeSlots];

// Stores the settings and the start values of the run state, the block table
// and the discharge groups.
void StoreRunStateStartValues();
