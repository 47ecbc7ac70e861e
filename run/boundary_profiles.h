// Boundary profiles of the `cyclic` and `inflow` files, which the flow
// boundary conditions apply. CyclicFileFlag, NoInflowPoints and
// NoInflowLevels (run/run_state.h) tell whether they were read.
#pragma once

// U, k and epsilon of the cyclic inflow, per vertical level 1..499.
inline constexpr int kCyclicLevels = 500;
extern double CyclicU[kCyclicLevels];
extern double CyclicK[kCyclicLevels];
extern double CyclicE[kCyclicLevels];

// U, V, W, k and epsilon over the inflow section, [point 0..499][level 0..49].
inline constexpr int kInflowPoints = 501;
inline constexpr int kInflowLevels = 51;
extern double InflowFileU[kInflowPoints][kInflowLevels];
extern double InflowFileV[kInflowPoints][kInflowLevels];
extern double InflowFileW[kInflowPoints][kInflowLevels];
extern double InflowFileK[kInflowPoints][kInflowLevels];
extern double InflowFileE[kInflowPoints][kInflowLevels];

void ResetBoundaryProfiles();
