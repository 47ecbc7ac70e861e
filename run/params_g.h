// Run parameters of the G data sets.
#pragma once

#include "run/param_macros.h"

#define RIVAX_PARAMS_G(X)                    \
    X(int, NoGridLinesX, 300)                \
    X(int, NoGridLinesY, 300)                \
    X(int, NoGridLinesZ, 11)                 \
    X(int, NoG7Records, 0)                   \
    X(int, ReferenceCell, 0)                 \
    X(int, ReferenceCell2, 0)                \
    X(int, ReferenceCellGroup, 0)            \
    X(int, ReferenceLevelGroup, 0)           \
    X(double, SurfaceRelaxation, 0.1)        \
    X(double, SurfaceUpdateResidual, 0.01)   \
    X(int, DepositBoxIFirst, 0)              \
    X(int, DepositBoxILast, 0)               \
    X(int, DepositBoxJFirst, 0)              \
    X(int, DepositBoxJLast, 0)               \
    X(int, NoPlotVariables, 0)               \
    X(int, NoBlockSelectionValues, 0)        \
    X(int, NoInitialProfilePoints, 0)        \
    X(int, NoG12Records, 0)                  \
    X(int, NoG13Regions, 0)                  \
    X(int, NoInitialValueSets, 0)            \
    X(int, NoDragZones, 0)                   \
    X(int, NoRatingCurves, 0)                \
    X(int, NoComponentProfiles, 0)

RIVAX_PARAMS_G(RIVAX_DECLARE_PARAM)

// Vertical distribution: relative level of each vertical grid line, from index 1.
inline constexpr int kZdistribSize = 1000;
extern double zdistrib[kZdistribSize];

// Per block (0..99): G 25 selection values and G 26 values (1 = treated by
// the free surface and the plan solver).
inline constexpr int kBlockValueSlots = 100;
extern int BlockSelection[kBlockValueSlots];
extern int G26BlockValues[kBlockValueSlots];

// G 27: partition boundaries, indexes 1..MpiPart.
inline constexpr int kDivisionMpiSize = 1000;
extern int divisionMPI[kDivisionMpiSize];

// G 31: factor on the inflow concentration of each sediment size.
inline constexpr int kInspaceSizeFactors = 51;
extern double InspaceSizeFactor[kInspaceSizeFactors];

// G 50 switches of the parallel paths (indexes 10 and 11 belong to F 269).
inline constexpr int kOpenMPSwitches = 40;
extern int OpenMPSwitches[kOpenMPSwitches];

// A (level, value) pair of a vertical start profile.
struct ProfilePair {
    double level;
    double value;
};
inline constexpr int kProfilePairs = 50;

// G 40: start profile of the first water-quality component.
extern ProfilePair G40Pairs[kProfilePairs];

// G 41: start profiles of chosen components, one entry per data set.
inline constexpr int kComponentProfiles = 10;
extern int G41Component[kComponentProfiles];
extern int G41PairCount[kComponentProfiles];
extern ProfilePair G41Pairs[kComponentProfiles][kProfilePairs];
inline auto& G41ComponentNo = G41Component;

// G 7: the first integer of record g flags discharge group g as an outflow in
// the water balance; all twelve values go back into control.new.
struct G7Record {
    int ivalue[8];
    double rvalue[4];
};
inline constexpr int kG7Capacity = 19;
extern G7Record G7Records[kG7Capacity + 1];  // records 1..NoG7Records

struct G12Record {
    int group;                 // discharge group 1..9
    double concentration[51];  // sizes 1..min(NoSizes, 50)
};
inline constexpr int kG12Capacity = 19;
extern G12Record G12Records[kG12Capacity + 1];  // records 1..NoG12Records

// A box of structured grid lines treated by kind (0..4) by the grid generators.
struct G13Region {
    int kind;
    int iFirst, iLast;
    int jFirst, jLast;
    int kFirst, kLast;
};
inline constexpr int kG13Capacity = 499;
extern G13Region G13Regions[kG13Capacity + 1];  // records 1..NoG13Regions

// G 18 start values: slots 1..6 hold U, V, W, pressure, k and epsilon (slot 0
// is unused). The run start takes the last record.
inline constexpr int kG18Capacity = 19;
inline constexpr int kInitialValueSlots = 7;
extern double InitialValueSets[kG18Capacity + 1][kInitialValueSlots];  // records 1..NoInitialValueSets
inline auto& G18Records = InitialValueSets;

// G 22 drag zone: columns iFirst..iLast x jFirst..jLast between two levels.
struct G22Record {
    int iFirst, iLast;
    int jFirst, jLast;
    double lowerLevel, upperLevel;
    double coefficient;
};
inline constexpr int kG22Capacity = 19;
extern G22Record G22Records[kG22Capacity + 1];  // records 1..NoDragZones

// G 24 output variable of the plot writers.
struct PlotVariableRecord {
    int level;
    int size;
    char letter;
};
inline constexpr int kPlotVariableCapacity = 299;
inline constexpr int kPlotVariableRecords = 300;  // room for the divergence report's additions
extern PlotVariableRecord PlotVariables[kPlotVariableRecords];  // records 0..NoPlotVariables-1

// G 28 stage-discharge line: level = baseLevel + (Q / coefficient)^(1 / exponent).
struct RatingCurveRecord {
    int iFirst, iLast;
    int jFirst, jLast;
    double baseLevel;
    double coefficient;
    double exponent;
};
inline constexpr int kRatingCurveCapacity = 20;
extern RatingCurveRecord RatingCurves[kRatingCurveCapacity];  // records 0..NoRatingCurves-1
