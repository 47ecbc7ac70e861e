// Global work data of the water-flow drivers.
#pragma once

#include <cstdint>

#include "run/arrays.h"
#include "run/param_macros.h"
#include "run/timei_data.h"

// State of the water-flow drivers. The running sums outlive a call and are
// zeroed only when a run starts its flow fields (the block-parallel driver
// keeps its own three); FirstTimeStep is the time
// step seen at the first cut for sand slides (-1 until then); the chunk sizes
// and the print decision are renewed every outer iteration; the continuity
// summary is left by the pressure-correction step; the largest residuals
// of the latest two convergence checks outlive a run; the notice flag keeps
// an unusable pressure reference to one log line per run.
#define RIVAX_DRIVER_STATE(X)                   \
    X(double, ResMaxSum, 0.0)                   \
    X(int, InnerIterSum, 0)                     \
    X(int, OuterIterCount, 0)                   \
    X(double, BlockResMaxSum, 0.0)              \
    X(int, BlockInnerIterSum, 0)                \
    X(int, BlockOuterIterCount, 0)              \
    X(int, LastInnerIter, 0)                    \
    X(double, FirstTimeStep, -1.0)              \
    X(int, CellsPerChunk, 0)                    \
    X(int, SurfacesPerChunk, 0)                 \
    X(int, PrintSkip, 0)                        \
    X(double, ContDefect, 0.0)                  \
    X(double, DefMax, 0.0)                      \
    X(int, DefMaxCell, 0)                       \
    X(int, NoFlushes, 0)                        \
    X(double, ResMax, 0.0)                      \
    X(double, ResMaxPrevious, 0.0)              \
    X(int, ClipReferenceNoticeFlag, 0)

RIVAX_DRIVER_STATE(RIVAX_DECLARE_PARAM)

// Monitor items of `timeo` already reported as unusable: bit k of entry r
// for item k of record r, so each is logged once per run.
static_assert(kTimeoItems <= 32, "one bit per monitor item");
extern std::uint32_t TimeoItemNotices[kTimeoRecords];

// Stores the start values of the driver state.
void StoreDriverStartValues();

// Work arrays of the shallow-water solver: [3][cell] and [4][surface].
extern Array2<double> ShallowWork3A;
extern Array2<double> ShallowWork3B;
extern Array2<double> ShallowWork3C;
extern Array2<double> ShallowWork4A;
extern Array2<double> ShallowWork4B;
