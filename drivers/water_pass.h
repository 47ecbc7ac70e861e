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
