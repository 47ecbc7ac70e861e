// The diagonals, sources and residuals of the five fields that the fast
// driver solves together: rows 0..4 (U, V, W, k, epsilon) of `InvApMulti`,
// `CsourceMulti` and `CfMulti`. While the pass assembles, a row of
// `InvApMulti` holds a_P; CheckResidualFast expects 1/a_P there.
#pragma once

inline constexpr int kFastRows = 5;

// Gradient production and dissipation of k and epsilon over the active cells.
void ComputeKEpsilonSourcesFast();
// Wall friction of U, V, W and the wall values of k and epsilon.
void ComputeWallLawsFast();
// Pressure force of U, V and W from grid-direction pressure differences.
void ComputePressureGradients();
// Inflow terms of the discharge groups and the group marks of their cells.
void SetInflowBoundaryConditionsFast();
// Residuals of the five rows into MaxResidual[1, 2, 3, 5, 6]; CfMulti keeps
// the field values.
void CheckResidualFast();

// True when every five-row array holds rows 0..4 for all cells.
bool FastArraysReady();
