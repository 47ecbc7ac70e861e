// Solving the assembled cell equation of the current `Equation` into `Cf`.
#pragma once

// Makes the fixed number of sweeps of K 4 (three times that for the pressure
// correction) with the kernel that the layer-block, solver-variant, thread and
// fast-solver settings choose. Never measures a residual.
void SolveEquation();

// Symmetric point Gauss-Seidel over cells first..last (1-based, inclusive):
// `sweeps` times a forward then a backward pass, in place. With split faces
// exactly one symmetric sweep is made, whatever `sweeps` says.
void SolveCellRange(int first, int last, int sweeps);

// The same sweeps over the five fields of the fast driver (`CfMulti`), which
// share the neighbour coefficients and keep their own sources and inverse
// diagonals.
void SolveCellRangeMulti(int first, int last, int sweeps);
// One thread block of the five-field sweeps, reading the border cells of the
// neighbouring blocks as SolveCellRangeInBlock does.
void SolveCellRangeMultiInBlock(int first, int last, int sweeps);

// The five-field solve of the fast driver: SolveEquation for the current
// `Equation` with the five fields of `CfMulti` in place of `Cf`. Every other
// solve of a run goes through SolveEquation and sweeps `Cf`.
void SolveFiveFields();

// The parallel solver family chosen by F 164 above 20.
void SolveEquationParallel(int first, int last, int sweeps);

// One thread block of the split: SolveCellRange for cells that other threads
// read at the same time.
void SolveCellRangeInBlock(int first, int last, int sweeps);

// The body of the thread-block region: each thread solves its consecutive
// blocks of `blockSize` cells (the last block takes the remainder) with
// `kernel`.
void SolveBlocksBody(int blockSize, int sweeps, void (*kernel)(int, int, int));

// Corrections of Cf by blocks of cells, before the point sweeps.
void ApplyBlockCorrection();
// The coarse levels of the 3D multigrid, behind the last block ...
void BuildMultigridLevels();
// ... and a multigrid correction of Cf through them.
void SolveMultigrid3D();

// Column cycles of the levels that no driver chooses: the pressure-correction
// start value from column cells summed straight from the blocks' cells ...
void SolveMultigridBlockColumns();
// ... and corrections of U, V, W, k and epsilon by the column means of their
// per-cell residuals, solved on the levels up to `levelLimit` as they stand.
void SolveMultigridResidualMeans(int levelLimit);

// The plan water-level equation of F 36 = 10 with the column of `referenceCell`
// held at `referenceLevel`, applied to the top node levels.
void SetWaterLevelCoefficients(int referenceCell, double referenceLevel);

// The kernels SolveEquation dispatches to. Tests put spies in their place.
struct EquationKernels {
    void (*serial)(int first, int last, int sweeps);
    void (*multi)(int first, int last, int sweeps);
    void (*parallel)(int first, int last, int sweeps);
    void (*block)(int first, int last, int sweeps);
    void (*multiBlock)(int first, int last, int sweeps);
};
inline constexpr EquationKernels kEquationKernels = {SolveCellRange, SolveCellRangeMulti, SolveEquationParallel,
                                                     SolveCellRangeInBlock, SolveCellRangeMultiInBlock};
extern EquationKernels SolverKernels;

// Line-by-line TDMA sweeps of Cf along the vertical lines, over the active
// cell range ...
void SolveLineTdma();
// ... and block by block over the columns of five cells or more.
void SolveLineTdmaK();
// The sum of the mean pressures of the columns below the given cells (0 or
// less: none).
double SumColumnPressures(int c1, int c2, int c3, int c4);

// The plan equation at the bed cells (one value per water column) into `Cf`.
// Modes: 4 (5-point, to the tolerance), 43 (4 bounded below by `Benergy`),
// 8 (9-point, fixed passes), 83 (8 bounded), 42 (the water-level passes),
// 41 (the column corrections `Blevelcorr`); any other mode does nothing.
void SolvePlanEquation(int mode);
// A start value of the plan equation from the plan multigrid levels.
void SolveMultigrid2D();
// Point sweeps of a range of cells linked only sideways (a multigrid level).
void SolvePlanCellRange(int first, int last, int sweeps);
// Its serial sweeps for one chunk of a range that other threads solve at the
// same time, reading their border cells as they change.
void SolvePlanCellRangeInBlock(int first, int last, int sweeps);
