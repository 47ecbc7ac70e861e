// Free surface, moving grid and groundwater operations used elsewhere.
#pragma once

int ComputeGroundwater();
// Numbers the water columns on the first call, then rebuilds each column's
// bottom cell, cell count, depth and the cell-to-column table from the cells,
// and finds the discharge-group surfaces again.
void UpdateWaterColumnsAfterRegrid();
void ComputeColumnConnections();
// Carries the flow fields and concentrations of each water column from the
// cells before the last regeneration to its new cells, fills the columns
// that became wet, and makes the results the new old fields.
void InterpolateToNewGrid();
// Fill the columns that were dry before the regeneration and are wet now
// from their wet neighbours: A from the old fields of the neighbour columns
// (and, with F 147 third integer 1, from columns filled in earlier passes),
// B from the current values of the neighbour cells.
void ExtrapolateNewColumnA();
void ExtrapolateNewColumnB();
// With F 1 D, reports the filled columns left without a pressure or with
// too steep a pressure step to a neighbour.
void CheckExtrapolatedPressure();
// Searches every group that has points and a discharge (in parallel with
// F 206) and clears `GridRegeneratedFlag`.
void FindDischargeGroupsParallel();
// Rebuilds the surface list and area of group 1..9 from its locating points.
void FindDischargeGroupSurfaces(int group);
// The free-surface update of F 36 = 1 and 11 to 19 for block `block`;
// mode 0 is the water drivers' call.
int surface_tfs(int mode, int block);
// The free-surface update of the water-flow drivers: the reference, new
// node levels by F 36, the grid regenerated under them, GridChangedFlag = 1.
void surface();
// The grid update of F 36 = 50 after its level update.
void UpdateFreeSurfaceOption50();

// The reference of the option route: counts the update and sets ZRef, ZRef2,
// PresRef and PresRef2 (and ZRefGroup once). A dry reference that nothing
// replaces ends the run with status -5.
void FindReferenceCell();
// Holds the reference columns (and groups) at the reference in the plan
// level equation held at the columns' bed cells.
void FixReferenceLevel();
// The nodes around the open sides of the reference group's columns take ZRef.
void SetGroupLevelsToZRef();

// The node pressure method of F 36 = 0 and 2 on the option route.
void SolveSurfaceFromPressure();
// The level difference between top cells a and b, d apart, that their
// pressure difference implies (slope within F 246), minus the difference of
// their present levels.
double LevelDifferenceFromPressure(double d, int a, int b);

// Depth, Froude number (and mean pressure, critical energy level) of the
// water columns first..last.
void ComputeFroudeNumbers(int first, int last);
// Smooths the new node levels of the surface blocks by F 154.
void SmoothWaterSurface();
// Warns in the log of suspicious coefficients of a solved plan equation.
void CheckSurfaceCoefficients();
// Hands the solved level correction to Blevelcorr by F 271 = 3 or 4.
void CopyLevelToColumns();
// The volume of the cells of the surface blocks' columns (m3).
double SumWaterVolume();

// Operations of later work on the free surface.
void UpdateFreeSurfaceByOption();
void surface2DLL();
// F 128 = 2: raises the pressure upstream of supercritical column faces to
// that of the critical-flow energy level, referred to the level and pressure
// given.
void RaiseSupercriticalPressure(double referenceLevel, double referencePressure);
void AverageCoupledPressure();
void AdjustCoupledBlockLevels();
// F 187: levels the nodes towards dry sides (1), holds the open sides of
// the reference group at `referenceLevel` (above 1) or keeps the edges of
// the reference level group wet (-1).
void AdjustLevelsAtGroups(double referenceLevel);
// Holds the columns of every G 28 line at its stage-discharge level in the
// F 36 = 9 level equation.
void SetRatingCurveLevels();
// Holds the reference columns and groups at the `timei` level in a plan
// correction equation (no run path calls it).
void ForceWaterLevelFromTable();
// The bounds of F 178 on the node levels of block `block`.
void SurfaceTfsLevels(int block);
// The weight (0 to 1) of the column of bed cell c for node (i, j) by the
// flow direction and the column's Froude number.
double UpdateFroudeSurfaceFlow(int c, int i, int j);
void BuildSurfaceEquationColumnFlux();
// The update driver's plan level equation of F 36 = 4, 7, 8 and 9, held at
// the reference level (and the second level) with the reference top cell.
void SolveDriverLevelEquation(double referenceLevel, double secondLevel, int referenceTop);
