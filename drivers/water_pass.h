// The pieces of WaterSolve that its files share, and that the tests reach.
#pragma once

// Runs inner pass `pass`: the pass start, the momentum equations and then
// the pressure correction and turbulence. False when WaterSolve must return
// at once.
bool RunInnerPass(int pass, double* largestResidual);

// Copies of the K 3 relaxation factors into the working factors, held to
// the bounds the run start gives them.
void SetWorkingRelaxationFactors();

// 0 when the residual line of outer iteration `iter` is printed, 1 if not.
int PrintSkipFor(int iter);

// What the K 5 value v asks for before a solve in inner pass `pass` of
// outer iteration `iter`; the turbulence equations take only v = 10 as a
// multigrid request.
enum class Acceleration { kNone, kBlockCorrection, kMultigrid };
Acceleration AccelerationFor(int v, int pass, int iter, bool turbulence);

// The layer-block and groundwater tasks at the start of a pass.
void RunLayerBlockTasks(int pass);

// The U, V and W equations of one pass: coefficients, sources, assembly,
// relaxation and solve.
void SolveMomentumEquations(int pass);

// Sets the neighbour coefficients of cells first..last to -10, so that a
// coefficient no surface sets shows in the sign check.
void MarkCoefficientsUnset(int first, int last);

// Cell equations of one velocity component for cells first..last after the
// sources: the transient and dead-end terms, the neighbour sums with the far
// and split-face coefficients, relaxation and the doublings of F 235 = 11
// and F 291 (second value 1 or 2).
void CompleteMomentumCells(int first, int last);

// The inverse central coefficient of U for cells first..last. A coefficient
// out of range is noted (the lowest cell wins) and left for
// ReportOutOfRangeCap.
void FormInverseCoefficients(int first, int last);
// Ends the run through DumpNegativeCapCell when a cell was noted.
void ReportOutOfRangeCap();

// F 327: CinvAp of every column whose bed cell is thin against its plan
// size becomes the column mean.
void AverageThinColumnInverses();

// Stores the wall clock into slot `slot` of TimingMarks.
void Stamp(int slot);

// True when all six far coefficient arrays exist.
bool FarArraysExist();

// Runs work over first..last: in chunks inside a region when `parallel`,
// else in one call. A condition a worker met is reported by the master once
// the region has ended.
void RunOverRange(bool parallel, int first, int last, void (*work)(int, int));

// The sum of work over the chunks of first..last, one region; empty chunks
// add nothing.
double SumOverChunks(int first, int last, double (*work)(int, int));

// Adds the split-face coefficients of cells first..last to Cap, and their
// far coefficients too when `far`.
void AddSplitFaceSums(int first, int last, bool far);

// ---- Steps that the block-parallel driver shares with WaterSolve ----------

// Entry of a flow driver: the continuity summary cleared, F 1 Q refused
// (status -5) and F 308 warned about.
void CheckFlowDriverEntry();
// Ends the run (status -1) when the active range holds no cell.
void CheckActiveRange();
// Clears the per-cell stress counters of the active range.
void ZeroStressCounters();
// Creates `timeo` empty (status -3 when it cannot be created).
void CreateEmptyTimeo();
// The outer limit of a call: 300 with grid levels, 1 for a sediment step,
// else K 1.
int OuterIterationBound();
// The old time levels of the active cells, then the clock moves to the end
// of the step.
void BeginTimeStep();
// The `timeo` line of the outer iteration when it is due.
void WriteTimeoWhenDue();
// The G 6 reference-level surface update after a pass, when it is due.
void ReferenceCellSurfaceUpdate(double largestResidual);
// A relaxation factor outside (least, 2) becomes `least`.
double ClampRelaxation(double value, double least);
// The F 289 layer-block update of the pass.
void RunLayerBlockUpdate(int pass);
// The working relaxation factors and the F 113 option given back at the end
// of a call that ran to its outer limit; WaterFlowActiveFlag cleared.
void EndFlowDriverCall();
// What a pass does first after a grid change.
void RebuildAfterGridChange();

// The coefficients of U, V and W of a pass (eddy viscosity, surface fluxes,
// neighbour coefficients), serial or chunked by G 50 integer 1.
void BuildMomentumCoefficients();
// Points Cf, Cf_old (and Cf_old2) at the velocity component `eq`.
void DesignateVelocityField(int eq);
// Rebuilds the neighbour coefficients for component `eq` whose K 6 scheme
// differs from the one before it.
void RefreshCoefficients(int eq);
// The pressure force of cells first..last under variant `option` of F 114,
// which keeps its value.
void PressureGradientWithOption(int option, int first, int last);
// Cap and Csource cleared, then the wall laws (and, without a layer block,
// the pressure force) of cells first..last.
void ClearAndAddWallSources(int first, int last);
// From the boundary conditions to the TVD correction: the momentum sources
// of component `eq` over the active range, on the master thread. The first
// call sets the boundary terms and reads the vegetation ...
void SetMomentumBoundarySources();
// ... the second adds the forces.
void AddMomentumForces(int eq);
// CinvAp_transient of cells first..last from the diagonal so far (0 where
// there is none).
void FormTransientInverse(int first, int last);
// The solve of the velocity equation `Equation` and what follows it: the
// start value or block correction, the blends with the old values and the
// block-interface averaging.
void SolveVelocityEquation(int pass);

// The pressure correction of a pass after the surface fluxes: face
// coefficients, mass defect, diagonal and residual, start value and solve.
void BuildAndSolvePressureCorrection(int pass);
// After the solve: the dumps, the reference shift, the SIMPLE corrections
// and the continuity summary. `blocking` runs the velocity blocking.
void FinishPressureCorrection(int pass, bool blocking);
// The surface fluxes of the pressure correction, serial or chunked by G 50
// integer 4.
void ComputePressureCorrectionFluxes();
// Pause point `flag` (3 before, 4 after the SIMPLE corrections).
void PausePoint(int flag);
// U, V and W of every cell with a linked cell blended towards the link's by
// F 66.
void BlendLinkedVelocities();
// The continuity sum, the largest defect and its cell from Csource over the
// active range.
void SummariseContinuity();

// Eddy viscosity, cleared coefficients, turbulence sources and wall laws of
// the k or epsilon equation over cells first..last.
void ResetTurbulenceCoefficients(int first, int last);
// Slot 0 of Cidist, Cjdist and Fflux set to 0 before a surface assembly.
void ZeroSlotZeroOfSurfaceData();
// Vegetation, block-interface, dead-end and wind terms of k or epsilon.
void AddTurbulenceExtraSources();
// Transient term, neighbour sums and relaxation by `relax` of the k or
// epsilon cells first..last.
void CompleteTurbulenceCells(int first, int last, double relax);
// The largest residual of a pass; residuals below 1e-90 become 0.
double LargestResidualOfPass();
// The triangle-cell bookkeeping of the last pass.
void CountTrekantErrors(int pass);

// ---- The momentum scheme variants of F 171 ---------------------------------

// Ends the run (status -5) when F 171 is 1 in a run without a time step.
void RefuseTransientInverseWithoutTimeStep();
// Value 1: CinvAp and CinvAp_transient exchange their storage for the face
// coefficients of the pressure correction ...
void ExchangeTransientInverse();
// ... and exchange it back (nothing when they were not exchanged).
void RestoreTransientInverse();
// Fluxes of surfaces first..last with a far cell on one side only from the
// quadratic upwind weights 0.75, 0.375 and -0.125 of Cu, Cv and Cw.
void SetQuadraticPseudoFluxes(int first, int last);
// Value 3: the velocities before the pressure correction ...
void KeepVelocitiesBeforeCorrection();
// ... and the second corrector after the continuity summary.
void SecondPressureCorrector(int pass);

// ---- End of an outer iteration --------------------------------------------

// WriteResults when P 10 or P 15 asks for it.
void WriteResultsWhenDue();
// The F 1 D average line from the running sums.
void LogAverageLine(double resMaxSum, int innerIterSum, int outerIterCount);
// One sample of the per-column trend sums of F 143.
void AddTrendSample();
