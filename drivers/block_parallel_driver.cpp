// The block-parallel water-flow driver (F 328 = 1): outer iterations or time
// steps of inner passes built from the three parallel steps, with its own
// running sums of the average line. Unlike WaterSolve it solves no
// water-quality components, runs no groundwater and cuts no time step.
#include <omp.h>

#include "drivers/flow_drivers.h"
#include "drivers/water_pass.h"
#include "flow/flow_services.h"
#include "grid/grid_services.h"
#include "output/output_services.h"
#include "run/globals.h"
#include "run/run_services.h"
#include "run/status.h"
#include "sediment/sediment_services.h"
#include "solver/solver_services.h"
#include "surface/surface_services.h"

namespace {

constexpr double kUnsteadyTimeStep = 1e-8;
constexpr char kPassModuleName[] = " DE-Voru             ";

bool Unsteady() { return TimeStep > kUnsteadyTimeStep; }

void StartUp() {
    metric();
    UpdateWaterColumnsAfterRegrid();
    InitialiseFlowRun();
    if (FlagTSC == 0) SetActiveCellRange();
    CheckActiveRange();
    if (FlowInitialisedFlag == 0) {
        ComputeSurfaceFluxes(FirstSurface, LastSurface);
        BlockResMaxSum = 0.0;
        BlockInnerIterSum = 0;
        BlockOuterIterCount = 0;
    }
    FlowInitialisedFlag = 1;
    if (stime < 1e-8) ZeroStressCounters();
    if (NoTimeoRecords > 0 && FlagTSC == 0) CreateEmptyTimeo();
    if (FlagTSC == 0 && Unsteady()) stime = 0.0;
    // The levels follow the last block and leave its record alone, so they
    // are built again at every call.
    const int last = NoBlocks < kMaxBlocks ? NoBlocks : kMaxBlocks;
    if (MultigridChoice > 0 && last >= 1 && BlockTable[last].depthAveraged == 0) BuildMultigridLevels();
    if (FlagTSC == 0) TimingMarks[0] = omp_get_wtime();
}

// The velocity and pressure factors of K 3 at every outer iteration; k and
// epsilon take theirs from K 3 in their own step.
void SetVelocityAndPressureRelaxation() {
    RelaxVelocity = ClampRelaxation(RelaxationFactors[1], 0.001);
    InvRelaxVelocity = 1.0 / RelaxVelocity;
    RelaxPressure = ClampRelaxation(RelaxationFactors[4], 0.001);
}

bool TurbulenceTransported() { return !(TurbulenceModel >= 4 && TurbulenceModel <= 7); }

// One inner pass; the largest residual of the pass into *largest. False
// when the convergence decision ends the call.
bool RunBlockPass(int pass, double* largest) {
    SetModuleName(kPassModuleName);
    Stamp(1);
    if (GridChangedFlag == 1) RebuildAfterGridChange();
    RunLayerBlockUpdate(pass);
    if (pass == 1 && LayerUpdateVariant == 4) ComputeSandSlide();
    if (DebugOption == 'A') CheckGridNeighbours();
    Stamp(2);
    SolveMomentumParallel(pass);
    Stamp(9);
    PointAtEntryFields();
    SolvePressureCorrectionParallel(pass);
    Stamp(17);
    if (TurbulenceTransported()) {
        SolveTransportParallel(5);
        SolveTransportParallel(6);
    }
    Stamp(25);
    *largest = LargestResidualOfPass();
    PointAtEntryFields();
    CountTrekantErrors(pass);
    if (CheckConvergence(pass) == 1) return false;
    ReferenceCellSurfaceUpdate(*largest);
    return true;
}

bool SurfaceUpdateAccepted(double largest) {
    return largest < SurfaceResidualLimit || (SurfaceResidualLimit < 0.0 && MaxResidual[4] < 0.001) || MpiPart > 0;
}

void FreeSurfaceSchedules(double largest) {
    const bool byResidual = FreeSurfaceOption >= 2 && FreeSurfaceOption <= 10 && FreeSurfaceOption != 6;
    if (byResidual && SurfaceUpdateFlag == 1 && Iter != 0 && IsMultipleOf(Iter, SurfaceInterval)) {
        if (SurfaceUpdateAccepted(largest)) {
            surface();
        } else {
            NoFailedSurfaceUpdates += 1;
        }
    }
    if (Iter != 0) {
        const bool tfsOption = FreeSurfaceOption == 1 || (FreeSurfaceOption >= 11 && FreeSurfaceOption <= 19);
        if (LayerBlockOption > 1) {
            surface_tfs(0, 2);
        } else if (tfsOption && SurfaceUpdateFlag == 1) {
            surface_tfs(0, 1);
        }
    }
    if (FreeSurfaceOption == 50 && IsMultipleOf(Iter, SurfaceInterval)) UpdateFreeSurfaceOption50();
}

}  // namespace

int SolveFlowBlockParallel() {
    CheckFlowDriverEntry();
    StartUp();
    const int bound = OuterIterationBound();
    double largest = kResidualBeforeFirstPass;
    for (int n = 1; n <= bound; ++n) {
        if (FlagTSC == 0) {
            if (NoGridLevels == 0) Iter = n;
            PrintSkip = PrintSkipFor(Iter);
        }
        SetVelocityAndPressureRelaxation();
        if (Unsteady()) BeginTimeStep();
        WriteTimeoWhenDue();
        // The pass at which the step ended: one beyond the last when all ran.
        int pass = 1;
        for (; pass <= NoIterPerStep; ++pass) {
            if (!RunBlockPass(pass, &largest)) return 0;
            if (Unsteady() && largest < InnerConvergence && MpiPart == 0) break;
        }
        WriteResultsWhenDue();
        BlockInnerIterSum += pass;
        BlockOuterIterCount += 1;
        BlockResMaxSum += largest;
        LastInnerIter = pass;
        LogAverageLine(BlockResMaxSum, BlockInnerIterSum, BlockOuterIterCount);
        if (TimeAveragingOption > 0) AddTrendSample();
        FreeSurfaceSchedules(largest);
    }
    if (MpiPart > 0) {
        if (F316Option == 8) ClipPressureToReference();
        if (FlagTSC == 0) {
            WriteResults();
            return 0;
        }
    }
    EndFlowDriverCall();
    return 0;
}
