// The three steps of an inner pass of the block-parallel driver: momentum,
// pressure correction and the k and epsilon transport. They share the
// assembly operations of WaterSolve; where this driver builds its equations
// differently the difference is its own: the dead-end cells, doublings and
// drag zones enter the diagonal with the sources, the split-face sums only
// on the serial path, the thin-column averaging of F 327 only on the chunked
// path, and the k and epsilon steps take their relaxation from K 3 itself.
#include <algorithm>

#include "drivers/flow_drivers.h"
#include "drivers/momentum_sources.h"
#include "drivers/residuals.h"
#include "drivers/water_pass.h"
#include "flow/flow_services.h"
#include "run/globals.h"
#include "solver/solver_services.h"

namespace {

constexpr double kUnsteadyTimeStep = 1e-8;

// G 50 integers of these steps.
constexpr int kSwitchTransportFaces = 0;
constexpr int kSwitchMomentumAssembly = 2;
constexpr int kSwitchTransportCoefficients = 5;
constexpr int kSwitchTransportAssembly = 9;

bool Unsteady() { return TimeStep > kUnsteadyTimeStep; }
bool FarTerms() { return ConvectionScheme[Equation] == 1 && FarArraysExist(); }

// ---- Momentum ---------------------------------------------------------------

void ClearAndAddWallAndPressure(int first, int last) {
    for (int c = first; c <= last; ++c) {
        Cap[c] = 0.0;
        Csource[c] = 0.0;
    }
    ApplyWallLaws(first, last);
    AddPressureGradientForce(first, last);
}

double CompleteMomentumChunk(int first, int last) {
    if (first > last) return 0.0;
    if (Unsteady()) AddTransientTerms(first, last);
    if (SchemeVariant == 1 && Equation == 1) FormTransientInverse(first, last);
    CompleteCellEquations(first, last, RelaxVelocity, Cf.data(), FarTerms());
    if (Equation == 1) FormInverseCoefficients(first, last);
    return ComputeResidualRange(first, last);
}

void AssembleChunked(int eq) {
    RunOverRange(true, FirstCell, LastCell, ClearAndAddWallAndPressure);
    AddMomentumSources();
    Stamp(6);
    DesignateVelocityField(eq);
    const double sum = SumOverChunks(FirstCell, LastCell, CompleteMomentumChunk);
    ReportOutOfRangeCap();
    // The columns cross chunk ends, so they are averaged once every chunk
    // has its inverses.
    if (eq == 1 && F327Option == 1) AverageThinColumnInverses();
    StoreResidualSum(sum);
}

void AssembleSerially(int eq) {
    for (int c = FirstCell; c <= LastCell; ++c) {
        Cap[c] = 0.0;
        Csource[c] = 0.0;
    }
    ApplyWallLaws(FirstCell, LastCell);
    if (LayerBlockOption == 0) {
        AddPressureGradientForce(FirstCell, LastCell);
    } else {
        PressureGradientWithOption(5, BlockTable[1].firstCell, BlockTable[1].lastCell);
        if (NoBlocks >= 2) PressureGradientWithOption(6, BlockTable[2].firstCell, BlockTable[2].lastCell);
    }
    AddMomentumSources();
    Stamp(6);
    DesignateVelocityField(eq);
    if (F74Flag == 0 && Unsteady()) AddTransientTerms(FirstCell, LastCell);
    if (SchemeVariant == 1 && eq == 1) FormTransientInverse(FirstCell, LastCell);
    const bool far = FarTerms();
    AddSplitFaceSums(FirstCell, LastCell, far);
    CompleteCellEquations(FirstCell, LastCell, RelaxVelocity, Cf.data(), far);
    if (F74Flag != 0 && Unsteady()) AddTransientTerms(FirstCell, LastCell);
    if (eq == 1) {
        FormInverseCoefficients(FirstCell, LastCell);
        ReportOutOfRangeCap();
    }
    MaxResidual[eq] = 0.0;
    ComputeResidual(FirstCell, LastCell);
}

// ---- k and epsilon ------------------------------------------------------------

// The relaxation of the equation being assembled, read by the chunks of one
// region and written only between regions.
double g_transportRelax = 1.0;

double CompleteTransportChunk(int first, int last) {
    if (first > last) return 0.0;
    CompleteTurbulenceCells(first, last, g_transportRelax);
    return ComputeResidualRange(first, last);
}

void BuildTransportCoefficients() {
    if (!StepRunsInParallel(kSwitchTransportCoefficients)) {
        ResetTurbulenceCoefficients(FirstCell, LastCell);
        ZeroSlotZeroOfSurfaceData();
        ComputeConvectionDiffusionCoefficients(FirstSurface, LastSurface);
        return;
    }
    RunOverRange(true, FirstCell, LastCell, ResetTurbulenceCoefficients);
    ZeroSlotZeroOfSurfaceData();
    if (StepRunsInParallel(kSwitchTransportFaces)) {
        RunOverRange(true, FirstSurface, LastSurface, ComputeConvectionDiffusionRange);
        FinishConvectionDiffusion(FirstSurface, LastSurface);
    } else {
        ComputeNeighbourCoefficients(FirstSurface, LastSurface);
    }
}

}  // namespace

void SolveMomentumParallel(int pass) {
    BuildMomentumCoefficients();
    for (int eq = 1; eq <= 3; ++eq) {
        Equation = eq;
        if (eq == 3 && ColumnFluxOption != 0) return;
        DesignateVelocityField(eq);
        if (eq > 1 && ConvectionScheme[eq] != ConvectionScheme[eq - 1]) RefreshCoefficients(eq);
        Stamp(4);
        if (StepRunsInParallel(kSwitchMomentumAssembly)) {
            AssembleChunked(eq);
        } else {
            AssembleSerially(eq);
        }
        if (BlockInterfaceOption >= 11 && BlockInterfaceOption <= 19) CopyBlockBoundaryValues();
        SolveVelocityEquation(pass);
    }
}

void SolvePressureCorrectionParallel(int pass) {
    Equation = 4;
    ComputePressureCorrectionFluxes();
    Stamp(10);
    BuildAndSolvePressureCorrection(pass);
    FinishPressureCorrection(pass, LayerBlockOption > 0 && BlockingOption > 0);
}

void SolveTransportParallel(int equation) {
    const bool k = equation == 5;
    Array1<double>& field = k ? Ck : Cepsilon;
    Array1<double>& old = k ? Ck_old : Cepsilon_old;
    const int mark = k ? 18 : 27;
    Cf.designate(field);
    Cf_old.designate(old);
    // k and epsilon keep no second old level.
    if (TimeOrder >= 1) Cf_old2.designate(old);
    Equation = equation;
    Stamp(mark);
    Cu[0] = Cv[0] = Cw[0] = 0.0;
    BuildTransportCoefficients();
    Stamp(mark + 1);
    SetInflowBoundaryConditions();
    Stamp(mark + 2);
    AddTurbulenceExtraSources();
    Stamp(mark + 3);
    Cf.designate(field);
    // A factor of 0 or below would make Cap infinite or negative.
    const double relax = ClampRelaxation(RelaxationFactors[equation], 0.01);
    if (StepRunsInParallel(kSwitchTransportAssembly)) {
        g_transportRelax = relax;
        StoreResidualSum(SumOverChunks(FirstCell, LastCell, CompleteTransportChunk));
    } else {
        AddSplitFaceSums(FirstCell, LastCell, FarTerms());
        CompleteTurbulenceCells(FirstCell, LastCell, relax);
        MaxResidual[equation] = 0.0;
        ComputeResidual(FirstCell, LastCell);
    }
    if (SolverAcceleration[equation] == 10 && MultigridChoice > 0) SolveMultigrid3D();
    Stamp(mark + 4);
    SolveEquation();
    Stamp(mark + 5);
    if (BlockInterfaceOption == 3) AverageBlockInterfaces();
    if (k) {
        for (int c = FirstCell; c <= LastCell; ++c) Ck[c] = std::max(Ck[c], MinK);
    }
    Stamp(mark + 6);
}
