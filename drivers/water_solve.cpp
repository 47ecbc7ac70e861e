// The default water-flow driver: entry checks, start-up, the outer
// iterations (time steps of an unsteady run) and the end of a call.
#include <omp.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "drivers/flow_drivers.h"
#include "drivers/water_pass.h"
#include "flow/flow_services.h"
#include "grid/grid_services.h"
#include "output/output_services.h"
#include "run/fatal.h"
#include "run/globals.h"
#include "run/log.h"
#include "sediment/sediment_services.h"
#include "solver/solver_services.h"
#include "surface/surface_services.h"
#include "run/output_file.h"

namespace {

constexpr int kQueryLetterStatus = -5;
constexpr int kNoActiveCellsStatus = -1;
constexpr int kGridLevelOuterBound = 300;
constexpr double kUnsteadyTimeStep = 1e-8;

bool Unsteady() { return TimeStep > kUnsteadyTimeStep; }

bool ColumnsNeededAtStart() {
    return RoughnessOption > 0 || FreeSurfaceOption == 1 || FreeSurfaceOption > 10 || VegetationOption > 0;
}

// The last cell of the active range that `a` holds.
int LastHeld(const ArrayStorage<int>& a, int last) { return std::min<int>(last, static_cast<int>(a.count()) - 1); }
int LastHeld(const ArrayStorage<double>& a, int last) { return std::min<int>(last, static_cast<int>(a.count()) - 1); }

}  // namespace

void CheckFlowDriverEntry() {
    DefMaxCell = 0;
    ContDefect = 0.0;
    NoFlushes = 0;
    if (DebugOption == 'Q') {
        LogAppend("Error: The F 1 Q data set in the control file is only used when generating\n");
        FailWithLog(kQueryLetterStatus, "the grid. It is not used when running the program\n\n");
    }
    if (MpiPart > 0) {
        LogAppend("Error for F 308 data set in the control file. The data set should not be \n");
        LogAppend("used when computing the water flow in a RIVAX version that is not MPI enabled\n\n");
    }
}

// A range without cells would "converge" on nothing computed.
void CheckActiveRange() {
    if (FirstCell >= 1 && LastCell >= FirstCell && LastCell <= NoCells) return;
    FailWithLog(kNoActiveCellsStatus,
                "Error: the water flow computation has no active cells (first cell %d, last cell %d, %d cells)\n",
                FirstCell, LastCell, NoCells);
}

void ZeroStressCounters() {
    if (!CstressCount.exists()) return;
    for (int c = FirstCell; c <= LastHeld(CstressCount, LastCell); ++c) CstressCount[c] = 0;
    if (!CstressRatio.exists()) return;
    for (int c = FirstCell; c <= LastHeld(CstressRatio, LastCell); ++c) CstressRatio[c] = 0.0;
}

void CreateEmptyTimeo() {
    FILE* fp = OpenPlainOutput("timeo", false);
    if (!fp) EndRun(-3);
    std::fclose(fp);
}

int OuterIterationBound() {
    if (NoGridLevels >= 1) return kGridLevelOuterBound;
    if (FlagTSC >= 1) return 1;
    return iterGlobalMax;
}

namespace {

void StartUp() {
    metric();
    if (NoBedCells == 0 && ColumnsNeededAtStart() && (FlagTSC == 0 || Iter == 0)) UpdateWaterColumnsAfterRegrid();
    InitialiseFlowRun();
    if (FlagTSC == 0) SetActiveCellRange();
    CheckActiveRange();
    if (FlowInitialisedFlag == 0) {
        ComputeSurfaceFluxes(FirstSurface, LastSurface);
        ResMaxSum = 0.0;
        InnerIterSum = 0;
        OuterIterCount = 0;
    }
    FlowInitialisedFlag = 1;
    if (FlagTSC == 0 && FreeSurfaceOption >= 2 && FreeSurfaceOption <= 10 && NoBedCells == 0) {
        UpdateWaterColumnsAfterRegrid();
    }
    if (stime < 1e-9) ZeroStressCounters();
    if (NoTimeoRecords > 0 && FlagTSC == 0) CreateEmptyTimeo();
    if (FlagTSC == 0 && Unsteady()) stime = 0.0;
    // The levels follow the last block and leave its record alone, so they
    // are built again at every call.
    const int last = std::min(NoBlocks, kMaxBlocks);
    if (MultigridChoice > 0 && last >= 1 && BlockTable[last].depthAveraged == 0) BuildMultigridLevels();
    if (FlagTSC == 0) TimingMarks[0] = omp_get_wtime();
}

void CopyActiveCells(Array1<double>& to, const Array1<double>& from) {
    if (!to.exists() || !from.exists()) return;
    const int last = std::min(LastHeld(to, LastCell), LastHeld(from, LastCell));
    for (int c = FirstCell; c <= last; ++c) to[c] = from[c];
}

void CopyActiveComponents() {
    if (!ComponentsOld.exists() || !Components.exists()) return;
    const int components = std::min({NoComponents, static_cast<int>(Components.extent1()),
                                     static_cast<int>(ComponentsOld.extent1())});
    const int last = std::min({LastCell, static_cast<int>(Components.extent2()) - 1,
                               static_cast<int>(ComponentsOld.extent2()) - 1});
    for (int k = 0; k < components; ++k) {
        for (int c = FirstCell; c <= last; ++c) ComponentsOld[k][c] = Components[k][c];
    }
}

}  // namespace

void BeginTimeStep() {
    if (TimeOrder >= 1) {
        CopyActiveCells(Cu_old2, Cu_old);
        CopyActiveCells(Cv_old2, Cv_old);
        CopyActiveCells(Cw_old2, Cw_old);
    }
    CopyActiveCells(Cu_old, Cu);
    CopyActiveCells(Cv_old, Cv);
    CopyActiveCells(Cw_old, Cw);
    CopyActiveCells(Ck_old, Ck);
    CopyActiveCells(Cepsilon_old, Cepsilon);
    if (TransientComponentsFlag == 1) CopyActiveComponents();
    stime += TimeStep;
}

namespace {

// A flush goes back to the fields this outer iteration started from. A time
// step has already copied its velocities and turbulence; a steady run and
// the pressure have nothing else that keeps them.
void KeepFlushCopies() {
    CopyActiveCells(Pres_old, Pres);
    if (Unsteady()) return;
    CopyActiveCells(Cu_old, Cu);
    CopyActiveCells(Cv_old, Cv);
    CopyActiveCells(Cw_old, Cw);
    CopyActiveCells(Ck_old, Ck);
    CopyActiveCells(Cepsilon_old, Cepsilon);
}

void GroundwaterAndSlides() {
    if (GroundwaterOption == 2) ComputeGroundwater();
    ComputeSandSlide();
    if (ReduceTimeStepFlag == 1) ReduceTimeStepDuringSlides();
}

// Monitoring and the F 289 = 5 tasks, before the passes of an iteration.
void StartOfIterationTasks() {
    WriteTimeoWhenDue();
    if (FlagTSC == 0 && LayerUpdateVariant == 5) GroundwaterAndSlides();
}

}  // namespace

void WriteTimeoWhenDue() {
    if (NoTimeoRecords > 0 && FlagTSC == 0 && stime >= TimeoRecords[0].startTime &&
        (IsMultipleOf(Iter, TimeoInterval) || Iter == 2)) {
        WriteTimeo();
    }
}

void ReferenceCellSurfaceUpdate(double largestResidual) {
    if (IsMultipleOf(Iter, SurfaceUpdateInterval) && ReferenceCell > 0 && largestResidual < SurfaceUpdateResidual &&
        FreeSurfaceOption == 0 && SurfaceUpdateFlag == 1) {
        surface();
    }
}

bool IsMultipleOf(double n, double m) { return std::fabs(std::fmod(n, m)) < 0.001; }

int PrintSkipFor(int iter) {
    if (DebugOption == 'D' || DebugOption == 'E' || iter <= 9 || iter == iterGlobalMax ||
        (iter <= 99 && IsMultipleOf(iter, 10))) {
        return 0;
    }
    return IsMultipleOf(iter, PrintInterval) ? 0 : 1;
}

double ClampRelaxation(double value, double least) { return value <= least || value >= 2.0 ? least : value; }

// A factor of 0 or below would make Cap infinite or negative: the copies
// are held to the same bounds as at the start of a run.
void SetWorkingRelaxationFactors() {
    RelaxVelocity = ClampRelaxation(RelaxationFactors[1], 0.001);
    InvRelaxVelocity = 1.0 / RelaxVelocity;
    RelaxPressure = ClampRelaxation(RelaxationFactors[4], 0.001);
    RelaxK = ClampRelaxation(RelaxationFactors[5], 0.01);
    RelaxEps = ClampRelaxation(RelaxationFactors[6], 0.01);
}

void ReduceTimeStepDuringSlides() {
    if (FirstTimeStep < 0.0) FirstTimeStep = TimeStep;
    TimeStep = ActiveSlides[0] > 0 ? 0.1 * FirstTimeStep : FirstTimeStep;
}

void RunLayerBlockUpdate(int pass) {
    if (LayerBlockOption > 1 && (pass > 1 || Iter == 1)) {
        const int block = NoBlocks >= 2 && BlockTable[2].layerBlock > 0 ? 2 : 1;
        switch (LayerUpdateVariant) {
            case 0: UpdateLayerSlopeA(block); break;
            case 1: UpdateLayerSlopeB(block); break;
            case 2: UpdateLayerSlopeC(block); break;
            case 3: UpdateStressCounters(block); break;
            default: break;
        }
    }
}

void RunLayerBlockTasks(int pass) {
    RunLayerBlockUpdate(pass);
    if (pass == 1 && LayerUpdateVariant == 4) GroundwaterAndSlides();
}

int WaterSolve() {
    CheckFlowDriverEntry();
    RefuseTransientInverseWithoutTimeStep();
    StartUp();
    const int bound = OuterIterationBound();
    double largestResidual = kResidualBeforeFirstPass;
    for (int n = 1; n <= bound; ++n) {
        if (FlagTSC == 0 && NoGridLevels == 0) Iter = n;
        SetWorkingRelaxationFactors();
        if (NoThreads > 0) {
            CellsPerChunk = (LastCell + 1 - FirstCell) / NoThreads;
            SurfacesPerChunk = (LastSurface + 1 - FirstSurface) / NoThreads;
        }
        if (FlagTSC == 0) PrintSkip = PrintSkipFor(Iter);
        if (Unsteady()) BeginTimeStep();
        if (FlushLimit >= 1) KeepFlushCopies();
        StartOfIterationTasks();

        // The pass at which the step ended: one beyond the last when all ran.
        int pass = 1;
        for (; pass <= NoIterPerStep; ++pass) {
            if (!RunInnerPass(pass, &largestResidual)) return 0;
            if (CheckConvergence(pass) == 1) return 0;
            ReferenceCellSurfaceUpdate(largestResidual);
            if (Unsteady() && MpiPart == 0 && largestResidual < InnerConvergence) break;
        }
        OuterIterCount += 1;
        InnerIterSum += pass;
        ResMaxSum += largestResidual;
        LastInnerIter = pass;
        RunEndOfIterationSchedules(largestResidual);
        if (stime > EndTime) break;
    }
    if (MpiPart >= 1) {
        if (F316Option == 8) ClipPressureToReference();
        if (FlagTSC == 0) {
            WriteResults();
            return 0;
        }
    }
    EndFlowDriverCall();
    return 0;
}

void EndFlowDriverCall() {
    WaterFlowActiveFlag = 0;
    SetWorkingRelaxationFactors();
    FluxInterpolationOption = F113InitialValue;
}
