// The water-flow drivers and their monitoring output.
#pragma once

// Exit status of a driver refusing options it cannot combine.
inline constexpr int kSplitFaceCombinationStatus = -5;

int WaterSolve();
int SolveFlowLastBlock();
int SolveShallowWater();
int SolveFlowBlockParallel();
int watersolve_fast();
int SolveFlowGridLevels();
int SolveFlow3DHydrostatic();
int SolveFlow2D();
void WriteTimeo();

// ---- The steps of the block-parallel driver ---------------------------------

// U, V and W of inner pass `pass`: coefficients, sources, assembly,
// relaxation and solve, in regions over the F 206 chunks.
void SolveMomentumParallel(int pass);
// The pressure correction of inner pass `pass` with the SIMPLE corrections;
// the caller has pointed Cf and Cf_old at the pressure-correction arrays.
void SolvePressureCorrectionParallel(int pass);
// The k (5) or epsilon (6) equation after the pressure correction.
void SolveTransportParallel(int equation);

// Pressure-correction neighbour coefficients of the active surfaces from
// CinvAp; the caller has set Equation to 4 and recomputed the fluxes.
void ComputeFaceValuesParallel();
// Its region bodies: each thread takes an even share of the active surfaces;
// B adds the free-surface term of F 271 = 1, A the least face area of F 184.
void ComputeFaceValuesBodyA();
void ComputeFaceValuesBodyB();
// Continuity defect of every active cell into Csource, with the boundary
// discharges of the groups.
void ComputeMassDefectSource();
// The boundary discharges of the groups on a coarser grid level, carried to
// the level cells that hold the groups' cells.
void AddCoarseLevelGroupSources();

// ---- The inner pass of WaterSolve -----------------------------------------

// Largest residual of a call before its first pass.
inline constexpr double kResidualBeforeFirstPass = 10000.0;

// The steps of an inner pass after the momentum equations: the pressure
// correction with the SIMPLE corrections, k and epsilon, the water-quality
// components and the largest residual of the pass, stored in
// *largestResidual. Returns false when WaterSolve must return at once (a
// free-surface update inside the pass ended the call).
bool SolvePressureCorrectionAndTurbulence(int pass, double* largestResidual);

// The water-quality components of inner pass `pass`, after k and epsilon.
void SolveWaterQualityComponents(int pass);
// The level update of F 36 = 50 inside the pressure correction.
void UpdateLevelsF36Fifty();

// The serial pseudo-velocity step that starts every pass under F 171 = 2, 4
// and 5.
void SolvePseudoVelocityStep(int pass);

// Points Cf and Cf_old back at the arrays they designate when WaterSolve is
// entered (Cf then holds the pressure correction).
void PointAtEntryFields();

// True when the step governed by G 50 integer `step` (0..9) runs in parallel:
// threads are on (F 206) and the switch allows it.
bool StepRunsInParallel(int step);

// The K 5 acceleration of the equation `Equation` before its solve in inner
// pass `pass`: the 3D multigrid or the block correction.
void AccelerateEquation(int pass);

// True when n is a multiple of m by the floating-point remainder (magnitude
// below 0.001), the test of every "each N iterations" schedule.
bool IsMultipleOf(double n, double m);

// True when results are due at the end of outer iteration `Iter`: every P 10
// iterations, or at every iteration after the P 15 one. Every driver takes
// either test.
bool ResultsDue();

// The P 15 snapshot of inner pass `pass` around the SIMPLE corrections,
// captioned "<caption> <pass>", at every iteration after the P 15 one.
void WriteSnapshot(const char* caption, int pass);

// Time step cut to a tenth while sand slides are active (F 336).
void ReduceTimeStepDuringSlides();

// ---- Coupled tasks and decisions of the outer iteration --------------------

// The decision after every pass: 1 stops the iteration (converged, diverged,
// continuity error, debug stop), 0 goes on.
int CheckConvergence(int pass);
// The schedules at the end of every outer iteration after the running sums:
// results, the average line, trend sums and the free-surface updates.
void RunEndOfIterationSchedules(double largestResidual);
// Caps pressures more than one metre of water above the F 317 reference.
void ClipPressureToReference();
// Block-interface exchange of the field being solved, before and after the solve.
void CopyBlockBoundaryValues();
void AverageBlockInterfaces();
// Layer-block updates of F 289, for block `block`.
void UpdateLayerSlopeA(int block);
void UpdateLayerSlopeB(int block);
void UpdateLayerSlopeC(int block);
void UpdateStressCounters(int block);
// The integral of the pressure over the part of c's column above level z,
// from c down (0 when c is 0 or less).
double IntegrateAboveLevel(double z, int c);
// The driving force per unit side area of a layer cell from the side pair
// (m, n) of centre distance lever h and the column's vertical pressure and
// level differences dp and dz.
double LayerSideForce(int m, int n, double h, double dp, double dz);

// ---- Diagnostics ------------------------------------------------------------

// Tests the neighbour links, surfaces and surface points of the active cells.
void CheckGridNeighbours();
// The state of the F 218 cell in inner pass `pass`.
void DumpBugtrapCell(int pass);
// Cells of suspicious pressure corrections (F 183); arms the debug stop.
void DumpPressureCorrectionCell();
// A triangular shoreline cell with a large continuity defect.
void DumpTrekantCell(int cell, int pass);
// A central coefficient of U out of range: the cell's dump, then the run ends.
[[noreturn]] void DumpNegativeCapCell(int cell);
// Neighbour coefficients below -0.01 (F 223 = 1).
void CheckCoefficientSigns();
