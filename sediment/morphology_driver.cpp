// The morphology run of letter S: start-up checks, the initial bed, and the
// time loop of water flow, suspended sediment, bed layers and bed change.
#include <omp.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "drivers/flow_drivers.h"
#include "drivers/water_pass.h"
#include "flow/cell_lookup.h"
#include "grid/grid_services.h"
#include "output/output_services.h"
#include "run/fatal.h"
#include "run/globals.h"
#include "run/log.h"
#include "run/status.h"
#include "sediment/morphology_steps.h"
#include "sediment/sediment_services.h"
#include "surface/surface_services.h"
#include "run/output_file.h"

namespace {

constexpr int kInputRefusedStatus = -8;
constexpr double kLeastTimeStep = 1e-8;
constexpr int kPausePoint = 12;
constexpr int kPauseAgain = 103;

// Block groups already reported as empty in this run.
std::vector<bool> EmptyGroupNoticed;

void StartTimingFiles() {
    FILE* fp = OpenPlainOutput("bootime", false);
    if (!fp) {
        SetStatusText("cannot open file 'bootime' ");
        EndRun(-3);
    }
    std::fclose(fp);
    // Opened to see that it is there; nothing reads it.
    if (FILE* old = std::fopen("bootimeo", "r")) {
        std::fclose(old);
    } else {
        SetStatusText("have not open file 'bootimeo' ");
    }
}

double LargestDiameter() {
    double largest = 0.0;
    for (int s = 1; s <= std::min(NoSizes, kMaxSizes); ++s) largest = std::max(largest, Diameter[s]);
    return largest;
}

int LargestGroup() {
    int groups = 1;
    for (int b = 1; b <= std::min(NoBlockSelectionValues, kBlockValueSlots - 1); ++b) {
        groups = std::max(groups, BlockSelection[b]);
    }
    return groups;
}

bool AnyPartnerBlock() {
    for (int b = 1; b <= std::min(NoBlocks, kMaxBlocks); ++b) {
        if (BlockTable[b].overlapLevel >= 1) return true;
    }
    return false;
}

void CheckInput() {
    if (FracresReadFlag == 0 && NoNDataSets < 1 && SkipFracresFlag == 0) {
        LogAppend("Error in input data: it is necessary to specify the grain size distribution\n");
        LogAppend("on the bed. This is done with an N data set in the control file or with a \n");
        FailWithLog(kInputRefusedStatus, "fracres file read with the F 2 O option\n\n");
    }
    if (FlagTSC == 0) {
        LogAppend("In RIVAX 2 you have to specify a value on the F 37 data set \n");
        FailWithLog(-9, "in the control file to compute sediment transport\n\n");
    }
    if (NoTimeoRecords > 0) {
        FILE* fp = OpenPlainOutput("timeo", false);
        if (!fp) FailWithLog(-3, "cannot open file 'timeo' \n");
        std::fclose(fp);
    }
    if (TimeStep < kLeastTimeStep) {
        LogAppend("Error in control file. To do a transient sediment computation you have\n");
        LogAppend("to include a time step in the control file, for example by using the \n");
        FailWithLog(-7, "F 33 data set\n\n");
    }
    if (NoSizes >= 50) FailWithLog(kControlRefusedStatus, "Error- Increase nsm in utsc and recompile\n");
    // Without a size there is nothing to compute, and the run must not end
    // as if it had computed something.
    if (NoSizes < 1) {
        FailWithLog(kInputRefusedStatus,
                    "Error in control file: the G 1 data set gives no sediment size (its 4th value is %d),\n"
                    "so there is no sediment transport to compute\n\n",
                    NoSizes);
    }
    if (MorphologyBlock == -1 && !AnyPartnerBlock()) {
        FailWithLog(kInputRefusedStatus,
                    "Error in control file: F 188 -1 computes the sediment in the blocks with a partner block,\n"
                    "and no block of the grid has one\n\n");
    }
    if (MorphologyBlock > std::min(NoBlocks, kMaxBlocks)) {
        FailWithLog(kInputRefusedStatus, "Error in control file: F 188 %d names a block the grid does not have (%d blocks)\n\n",
                    MorphologyBlock, NoBlocks);
    }
    // The two-layer updates would leave a stacked top layer untouched.
    if ((FlagTSC == 1 || FlagTSC == 2) && SplitFaceFlag <= 0 && NoBedLayers > 2) {
        FailWithLog(kInputRefusedStatus,
                    "Error in control file: F 37 %d updates two bed layers, and F 134 %d asks for more.\n"
                    "Use F 134 2, F 37 3 or the F 137 multi-layer bed\n\n",
                    FlagTSC, NoBedLayers);
    }
}

const char* FormulaLine() {
    switch (SedFormulaVariant) {
        case 0: return "Using van Rijns suspended load formula\n\n";
        case 1: return "Using van Rijns bed load formula\n\n";
        case 2: return "Using van Rijns suspended and bed load formulas\n\n";
        case 3: return "Using Wu's sediment transport formula\n\n";
        case 5: return "Using Mayer-Peter and M\xFCllers sediment transport formula\n\n";
        case 6: return "Using Engelund-Hansens sediment transport formula\n\n";
        case 7: return "Using Hillebrands sediment transport formulas\n\n";
        default: return nullptr;
    }
}

void WriteStartLines() {
    LogAppend("Relaxation: %lf %lf %lf %lf\n", RelaxationFactors[1], RelaxationFactors[4], RelaxationFactors[5],
              RelaxationFactors[6]);
    if (const char* line = FormulaLine()) LogAppend("%s", line);
    for (int g = kFirstGroup; g <= kLastGroup; ++g) {
        const DischargeGroupRecord& r = DischargeGroups[g];
        if (r.discharge > 1e-20) LogAppend("Discharge group %d: Discharge = %lf, Area = %lf\n", g, r.discharge, r.area);
    }
}

void StartUp() {
    stime = 0.0;
    BedMoveDefectAbs = BedMoveDefect = NonMovableBedDefect = BedOutflowDefect = 0.0;
    for (double& sum : BedLayerChangeBySize) sum = 0.0;
    SedimentBedSum = SedimentInflowSum = SedimentOutflowSum = SuspVolumeChangeDefect = 0.0;
    SelectWholeGrid();
    ResetMorphologyNotices();
    if (FlagTSC != 0) TimingMarks[0] = omp_get_wtime();
    if (DebugOption == 'H') StartTimingFiles();
    ActiveLayerLimit = F106Value > 0.0 ? F106Value : LargestDiameter();
    NoMorphologyGroups = LargestGroup();
    EmptyGroupNoticed.assign(static_cast<size_t>(NoMorphologyGroups) + 1, false);
    StartSedimentContinuity();
    UpdateWaterColumnsAfterRegrid();
    LastBedCell = NoBedCells;
    if (!LogAvailable()) FailLogUnavailable();
    CheckInput();
    WriteStartLines();
    BuildInitialBedState();
    if (conc_old.exists()) {
        const int first = NoSizes == 1 ? 1 : 0;
        for (int s = first; s <= NoSizes; ++s) {
            for (int c = FirstCell; c <= LastCell; ++c) conc_old[s][c] = 0.0;
        }
    }
    Iter = 1;
}

// The time step of the `timei` row at or after the present time.
void TimeiTimeStep() {
    if (TimeiTimeStepFlag != 1 || NoTimeiSteps < 1) return;
    int k = 0;
    while (k < NoTimeiSteps && TimeiTime[k] < stime) ++k;
    AcceptMorphologyTimeStep(TimeiSediment[std::min(k, NoTimeiSteps - 1)], "the timei file");
}

// Hydrostatic 2 computes no flow: the groups' areas follow the grid.
void RecomputeGroupAreas() {
    for (int g = kFirstGroup; g <= kLastGroup; ++g) {
        DischargeGroupRecord& r = DischargeGroups[g];
        if (std::fabs(r.discharge) > 1e-20) r.area = GroupArea(r);
    }
}

// The flow driver of the options; false when none ran.
bool SolveFlowStep() {
    if (BlockParallelFlag == 1) return SolveFlowBlockParallel(), true;
    if (FastSolverFlag >= 1) return watersolve_fast(), true;
    if (Hydrostatic == 0 && NoGridLevels == 0) return WaterSolve(), true;
    if (NoGridLevels > 0) return SolveFlowGridLevels(), true;
    switch (Hydrostatic) {
        case 1: SolveFlow3DHydrostatic(); return true;
        case 2: RecomputeGroupAreas(); return false;
        case 3: SolveFlow2D(); return true;
        case 4:
            SolveFlow2D();
            WaterSolve();
            return true;
        default: return false;
    }
}

// Step 8: the flow of every block group. Each group computes the same time
// step from the same start time. False when a flow step failed.
bool SolveFlowOfGroups(bool* flowRan) {
    const double start = stime;
    *flowRan = false;
    for (int g = 1; g <= NoMorphologyGroups; ++g) {
        SelectMorphologyBlock(g);
        if (FirstCell == 0) {
            if (!EmptyGroupNoticed[static_cast<size_t>(g)]) {
                LogAppend("Block group %d of the G 25 data set holds no block; it is left out\n", g);
                EmptyGroupNoticed[static_cast<size_t>(g)] = true;
            }
            continue;
        }
        stime = start;
        if (SolveFlowStep()) *flowRan = true;
        if (FlowFailedFlag == 1) {
            std::snprintf(ResultTitle, sizeof ResultTitle, "Written from morphology due to error");
            WriteResults();
            return false;
        }
    }
    return true;
}

void UpdateBedLayers() {
    if (SplitFaceFlag > 0) {
        UpdateBedLayersMultiLayer(ActiveLayerLimit);
        return;
    }
    switch (FlagTSC) {
        case 1: UpdateBedFractionsTsc1(ActiveLayerLimit); break;
        case 2: UpdateBedFractionsTsc2(ActiveLayerLimit); break;
        case 3: UpdateBedLayersTsc3(); break;
        default: break;
    }
}

// Step 22 without a bed-change routine: the bed moves collect at the nodes.
void CollectBedMoves() {
    for (int k = 1; k <= std::min(NoBlocks, kMaxBlocks); ++k) {
        const BlockRecord& r = BlockTable[k];
        if (r.depthAveraged != 0 || r.gridLevel != 0) continue;
        for (int i = r.iFirst; i <= r.iLast; ++i) {
            for (int j = r.jFirst; j <= r.jLast; ++j) {
                if (GridColumnBottom(i, j) == 0) continue;
                const int b = pointbed[i][j];
                if (b <= 0 || Bcellt[b] <= 0 || std::fabs(Bedmove[b]) <= 1e-12) continue;
                const double quarter = 0.25 * Bedmove[b];
                GridLevels[1][i][j] += quarter;
                GridLevels[1][i - 1][j] += quarter;
                GridLevels[1][i][j - 1] += quarter;
                GridLevels[1][i - 1][j - 1] += quarter;
            }
        }
    }
}

void ChangeBed(bool flowRan) {
    if (Hydrostatic == 2 || (BedChangeRoutine != 0 && BedChangeRoutine != 1 && BedChangeRoutine != 3)) {
        // The flow drivers advance the clock themselves: one step each.
        if (!flowRan) stime += TimeStep;
        LogAppend("Time: %lf seconds\n", stime);
        char module[kStatusTextSize];
        std::snprintf(module, sizeof module, "Morphology_tsc, %lf sec.", stime);
        SetModuleName(module);
        CollectBedMoves();
        return;
    }
    switch (BedChangeRoutine) {
        case 0: ComputeBedChange(); break;
        case 1: ComputeBedChangeRegrid1(); break;
        default: ComputeBedChangeRegrid3(); break;
    }
}

void PauseBeforeBedChange() {
    PausePoint(kPausePoint, "PauseFlag = 12");
    if (PauseFlag == kPauseAgain) PauseFlag = kPausePoint;
}

// One time step; false when the driver must return at once.
bool TimeStepOfRun() {
    PrintSkip = PrintSkipFor(Iter);
    if (NoTimeoRecords > 0 && stime >= TimeoRecords[0].startTime && (IsMultipleOf(Iter, TimeoInterval) || Iter == 2)) {
        WriteTimeo();
    }
    if (DischargeTimeStepFlag == 1) ComputeTimeStepFromDischarge();
    CopyConcentrations();
    TimeiTimeStep();
    if (LayerBlockOption > 1) SolveFlowLastBlock();
    bool flowRan = false;
    if (!SolveFlowOfGroups(&flowRan)) return false;
    if (F128Option == 1) ZeroActivePressure();
    if (F281Option > 0 && Bfroude.exists()) ComputeFroudeNumbers(BlockTable[1].firstColumn, BlockTable[1].lastColumn);
    SetSedimentRanges();
    if (DebugOption == 'P') TimingMarks[34] = omp_get_wtime();
    if (Bmorphology.exists()) AddToBmorphology(1.0);
    CopyConcentrations();
    if (SolveSuspendedSedimentStep() != 0) return false;
    if (DebugOption == 'P') TimingMarks[35] = omp_get_wtime();
    Cf.release();
    UpdateBedLayers();
    if (DebugOption == 'P' || DebugOption == 'D') TimingMarks[36] = omp_get_wtime();
    KeepSuspendedVolumesAndOldFields();
    UpdateGroupDischargesAndOutflow();
    PauseBeforeBedChange();
    ChangeBed(flowRan);
    if (OutputIntervals[0] > 0 && Iter % OutputIntervals[0] == 0) WriteUnstrucSnapshot();
    SumConcentrations();
    UpdateSedimentContinuity();
    if (DebugOption == 'P') WriteTimingReport();
    if (Bmorphology.exists()) {
        AddToBmorphology(-1.0);
        for (int b = FirstBedCell; b <= LastBedCell; ++b) Bmorphology[b] += Bedmove[b];
    }
    if (DebugOption == 'D' || DebugOption == 'E') WriteSedimentContinuityStep();
    if (DebugOption == 'H') AppendTimingRecord();
    if (Hydrostatic == 2 && ResultInterval != 0 && Iter % ResultInterval == 0) WriteResults();
    return true;
}

}  // namespace

int morphology_tsc() {
    StartUp();
    while (Iter <= iterGlobalMax) {
        if (!TimeStepOfRun()) return 0;
        if (stime > EndTime) break;
        ++Iter;
    }
    EndMorphologyRun();
    return 0;
}
