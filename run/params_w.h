// Run parameters of the W data sets.
#pragma once

#include "run/param_macros.h"

#define RIVAX_PARAMS_W(X)                   \
    X(double, StricklerCoefficient, 50.0)   \
    X(double, W1SecondValue, 1.0)           \
    X(double, InitialWaterLevel, 1.0)       \
    X(int, W1Given, 0)                      \
    X(int, NoW2Values, 0)                   \
    X(int, MWallNo, 0)                      \
    X(int, NoFixedPoints, 0)                \
    X(int, NoAttractors, 0)

RIVAX_PARAMS_W(RIVAX_DECLARE_PARAM)

// W 2: rising i grid-line indexes in entries 1..NoW2Values.
inline constexpr int kW2Values = 300;
extern int W2Values[kW2Values];

// W 4: a wall inside the grid, normal to direction `dir` (1 i, 2 j, 3 k) at
// grid line `node`, over from1..to1 and from2..to2 of the other two
// directions in the order i, j, k.
struct MWallRecord {
    int dir, posneg, node, from1, to1, from2, to2;
};
inline constexpr int kMaxMWalls = 29;
extern MWallRecord MWall[kMaxMWalls + 1];  // records 1..MWallNo

// W 6: grid points that the grid editing keeps fixed, entries 1..NoFixedPoints.
inline constexpr int kFixedPointSlots = 20000;
extern int FixedPointI[kFixedPointSlots];
extern int FixedPointJ[kFixedPointSlots];

// W 7: attractor points of the grid editing, records 1..NoAttractors.
struct AttractorRecord {
    int i, j, type;
    double amplitude, decay;
};
inline constexpr int kMaxAttractors = 199;
extern AttractorRecord Attractors[kMaxAttractors + 1];
