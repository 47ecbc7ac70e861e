// Run parameters of the data sets B, H, I, L, M, N, P, S and T.
#pragma once

#include "run/param_macros.h"

#define RIVAX_PARAMS_LETTERS(X)            \
    X(int, NoNDataSets, 0)                 \
    X(int, NoMDataSets, 0)                 \
    X(int, NoLValues, 0)                   \
    X(int, NoBRecords, -1)                 \
    X(double, P2Value1, 1.0)               \
    X(double, P2Value2, 1.0)               \
    X(double, P2Value3, 1.0)               \
    X(double, P2Value4, 0.0)               \
    X(double, P2Value5, 0.0)               \
    X(int, P3Int1, 2)                      \
    X(int, PlanNumber, 2)                  \
    X(int, PlanCellLevel, 2)               \
    X(int, P3Int4, 1)                      \
    X(char, PlotModeLetter, 'g')           \
    X(int, P5Int, 0)                       \
    X(double, P6Value1, 0.0)               \
    X(double, P6Value2, 0.0)               \
    X(int, P6Flag, 0)                      \
    X(char, P7Letter, '\0')                \
    X(int, P8Int, 0)                       \
    X(int, CompresInterval, 0)             \
    X(int, ResultInterval, 0)              \
    X(int, MonitorOption, 0)               \
    X(int, P12Int1, 0)                     \
    X(int, P12Count, 0)                    \
    X(int, P13Int1, 0)                     \
    X(int, P13Count, 0)                    \
    X(double, P14Value, 0.0)               \
    X(int, ResultStartIteration, 0)        \
    X(int, P16Int1, 0)                     \
    X(int, P16Int2, 0)                     \
    X(int, P16Int3, 0)                     \
    X(int, P16Int4, 0)

RIVAX_PARAMS_LETTERS(RIVAX_DECLARE_PARAM)

// S: grain diameter (m) and fall velocity (m/s) per size 1..NoSizes, coarsest first.
inline constexpr int kMaxSizes = 50;
extern double Diameter[kMaxSizes + 1];
extern double FallVelocity[kMaxSizes + 1];

// N: fractions per [distribution][size]; only distribution 0 is used.
inline constexpr int kGrainDistributions = 20;
inline constexpr int kMaxNSize = 49;  // N accepts sizes 1..49
extern double GrainFractions[kGrainDistributions][kMaxSizes + 1];

// M: inflow concentration per discharge group (rows 1..9) and component or
// size j. order[j] is the running number of the M data set that gave it, -1
// for none.
inline constexpr int kMRows = 10;
inline constexpr int kMValues = 20;
struct MDataSetRow {
    int order[kMValues];
    double mvalue[kMValues];
};
extern MDataSetRow MDataSetValues[kMRows];

// I: outdated inflow concentration per size; only written back to control.new.
extern double IValues[kMaxSizes + 1];

inline constexpr int kTitleSize = 80;
extern char Title[kTitleSize];  // run title, printed from its second character

// L: a list of reals that nothing uses.
inline constexpr int kLValues = 20;
extern double LValues[kLValues];

// H: tables of points that nothing uses; points 0..hcount-1.
inline constexpr int kHRecords = 15;
inline constexpr int kHPoints = 21;
inline constexpr int kMaxHCount = 20;
struct HRecord {
    double hvalue[kHPoints];
    int hint1[kHPoints];
    int hint2[kHPoints];
    int hcount;
};
extern HRecord HRecords[kHRecords];

// B: block ranges of the second pass, records 0..NoBRecords.
inline constexpr int kBRecords = 20;
struct BRecord {
    int block, ifirst, ilast, jfirst, jlast;
};
extern BRecord BRecords[kBRecords];

// P 12 and P 13: lists in entries 1..count.
inline constexpr int kPListSlots = 51;
extern int P12List[kPListSlots];
extern int P13List[kPListSlots];
