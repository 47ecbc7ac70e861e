// Program entry and run driver: the F 2 letters, pass after pass.
#include "run/run_driver.h"
#include "run/placeholder.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <exception>
#include <new>

#include <fcntl.h>
#include <unistd.h>

#include "drivers/flow_drivers.h"
#include "flow/flow_services.h"
#include "grid/grid_services.h"
#include "output/output_services.h"
#include "quality/quality_services.h"
#include "run/fatal.h"
#include "run/globals.h"
#include "run/kread.h"
#include "run/log.h"
#include "run/run_services.h"
#include "run/stop_signals.h"
#include "sediment/sediment_services.h"
#include "surface/surface_services.h"

namespace {

constexpr int kRunPositions = 10;
constexpr int kAllocationFailedStatus = -3;
constexpr int kNoTaskStatus = -4;
constexpr char kNoValuesText[] = "no values given\n";

// Creates `control` with its placeholder text only when no file of that name
// exists: an existing file that merely cannot be read is never truncated.
void EnsureControlFile() {
    FILE* fp = std::fopen("control", "r");
    if (fp) {
        std::fclose(fp);
        return;
    }
    int fd = open("control", O_WRONLY | O_CREAT | O_EXCL, 0644);
    if (fd < 0) return;  // the reader reports the missing file
    ssize_t len = static_cast<ssize_t>(sizeof kNoValuesText - 1);
    ssize_t written = write(fd, kNoValuesText, static_cast<size_t>(len));
    close(fd);
    if (written != len) unlink("control");
}

// A `timei` that cannot be read ends the run: its reader has said why in
// `boogie`, and the status is the negative of the reader's error code.
void ReadTimeiIfTransient() {
    if (TimeStep <= 1e-8) return;
    const int code = ReadTimeiFile();
    if (code > 0) EndRun(-code);
    CheckSedimentInflowSources();
}

void CheckNoF37ForWaterFlow() {
    if (FlagTSC > 0) {
        LogAppend("Error in control file. The F 37 data set should not be used\n");
        FailWithLog(-5, "when computing only water flow (F 2 W)\n\n");
    }
    if (FlagTSC < 0) {
        FailWithLog(-7, "Error in control file: Remove the F 37 data set when computing the water flow only\n");
    }
}

void RunWaterFlowDriver() {
    if (BlockParallelFlag == 1) {
        SolveFlowBlockParallel();
    } else if (FastSolverFlag >= 1) {
        watersolve_fast();
    } else if (NoGridLevels > 0) {
        SolveFlowGridLevels();
    } else if (Hydrostatic == 0 && NoGridLevels == 0) {
        WaterSolve();
    } else if (Hydrostatic == 1) {
        SolveFlow3DHydrostatic();
    } else if (Hydrostatic == 3) {
        SolveFlow2D();
    }
}

// A grid that cannot be read leaves nothing to compute on: the run ends with
// the reader's (negative) result, and `boogie` gets the status text as well,
// since some of these faults have no message of their own there.
[[noreturn]] void FailGridRead(int result) {
    switch (result) {
        case -58: SetStatusText(" Error in x or y values in koomin file       "); break;
        case -54: SetStatusText(" Error on 2nd integer, G 1 data set "); break;
        case -55: SetStatusText(" Error on 1st integer, G 1 data set "); break;
        case -1: break;  // the arrays could not be allocated: the reader said so
        default: SetStatusText(" Error reading unstruc file  "); break;
    }
    FailWithLog(result, "%s\n", StatusText);
}

// A grid file that cannot be written must not pass for a written one.
void WriteUnstrucOrFail() {
    WritingFilesFlag = 1;
    const int result = WriteUnstrucFile();
    WritingFilesFlag = 0;
    if (result == kOutputUnwritableStatus) EndRun(result);  // a companion file: the writer said which
    if (result < 0) {
        SetStatusText(" Error writing unstruc file  ");
        EndRun(result);
    }
}

// Runs one letter.
void RunLetter(char letter, int pass) {
    switch (letter) {
        case 'A': WriteKoosurfMpi(); break;
        case 'C':
            ReadTimeiIfTransient();
            ComponentsActiveFlag = 1;
            ComputeComponents();
            ComponentsActiveFlag = 0;
            break;
        case 'D': SolveFlowLastBlock(); break;
        case 'E':
            WritingFilesFlag = 1;
            WriteCompresFile();
            WritingFilesFlag = 0;
            break;
        case 'F':
            WritingFilesFlag = 1;
            if (WriteCon2resFile() != 0) EndRun(kOutputUnwritableStatus);
            WritingFilesFlag = 0;
            break;
        case 'G':
            ReadTimeiIfTransient();
            if (GroundwaterOption == 1) ComputeGroundwater();
            break;
        case 'H': WriteUnstrucOrFail(); break;
        case 'I':
            concRijn();
            if (FlagTSC > 0) CopyConcentrationsToOld();
            break;
        case 'K': ComputeBedRoughness(); break;
        case 'L': SolveShallowWater(); break;
        case 'M':
            WritingFilesFlag = 1;
            std::snprintf(ResultTitle, sizeof ResultTitle, "Written from initial");
            WriteResults();
            WritingFilesFlag = 0;
            break;
        case 'N':
            if (StressComputationOption == 1) {
                InitialiseFlowRun();
                ComputeElasticStresses();
            } else if (StressComputationOption == 2) {
                InitialiseFlowRun();
                ComputeSandSlide();
            }
            break;
        case 'O':
            ReadingFilesFlag = 1;
            ReadCon2resFiles();
            ReadingFilesFlag = 0;
            break;
        case 'R':
            ReadingFilesFlag = 1;
            readres();
            ReadingFilesFlag = 0;
            break;
        case 'S':
            ReadTimeiIfTransient();
            SedimentActiveFlag = 1;
            ActiveTaskCode = 2;
            morphology_tsc();
            SedimentActiveFlag = 0;
            ActiveTaskCode = 0;
            break;
        case 'U': {
            if (pass != 1) break;
            ReadingFilesFlag = 1;
            int result = ReadUnstructure();
            if (result < 0) FailGridRead(result);
            ReadingFilesFlag = 0;
            break;
        }
        case 'V': InterpolateGeodata(); break;
        case 'W':
            ReadTimeiIfTransient();
            CheckNoF37ForWaterFlow();
            WaterFlowActiveFlag = 1;
            SetActiveCellRange();
            ActiveTaskCode = 1;
            if (LayerBlockOption > 0) AppendedBlockFlag = 1;
            RunWaterFlowDriver();
            WaterFlowActiveFlag = 0;
            ActiveTaskCode = 0;
            break;
        case 'X': EndRun(0);
        case 'Y':
            Unstructure();
            // The new grid numbers its cells and surfaces afresh: the geometry,
            // the columns and the discharge groups' surfaces must follow it, or
            // the boundary discharges land on whatever cells now hold the old
            // surface numbers.
            if (GridRegeneratedFlag == 1 && NoCells > 0) {
                metric();
                UpdateWaterColumnsAfterRegrid();
            }
            break;
        default: break;
    }
}

// A `control` that names no task would end as a finished run that did
// nothing; say what is missing instead.
void CheckRunLetters() {
    constexpr char kTaskLetters[] = "ACDEFGHIKLMNORSUVWXY";
    for (int pos = 0; pos < kRunPositions; ++pos) {
        if (RunChoice[pos] != '\0' && std::strchr(kTaskLetters, RunChoice[pos])) return;
    }
    if (RunChoice[0] == '\0') {
        SetStatusText(" No F 2 data set in control  ");
        FailWithLog(kNoTaskStatus, "Error in control: no F 2 data set, so there is no task to run\n");
    }
    SetStatusText(" Error for F 2 in control  ");
    LogAppend("Error for F 2 in control\n");
    FailWithLog(kNoTaskStatus, "The F 2 data set names no task: its letters (A to Y) must be capitals, "
                               "as in F 2 UW\n");
}

}  // namespace

// Sizes 1..NoSizes only: size 0 holds the total, which the transient
// sediment computation forms anew.
void CopyConcentrationsToOld() {
    if (!conc_old.exists() || !conc.exists() || NoSizes < 1) return;
    const size_t sizes = std::min<size_t>(static_cast<size_t>(NoSizes) + 1, std::min(conc.extent1(), conc_old.extent1()));
    const size_t cells = std::min<size_t>(static_cast<size_t>(NoCells) + 1, std::min(conc.extent2(), conc_old.extent2()));
    for (size_t s = 1; s < sizes; ++s) {
        for (size_t c = 1; c < cells; ++c) conc_old[s][c] = conc[s][c];
    }
}

// A run that takes sediment inflow from both `timei` and the M data sets
// cannot be told which to use; refuse it as soon as both are known.
void CheckSedimentInflowSources() {
    if (FlagTSC > 0 && TimeiInflowFlag > 0 && NoMDataSets > 0) {
        LogAppend("Error: Sediment inflow can not be specified in both the timei file and\n");
        FailWithLog(-6, "on the M data sets in the control file\n\n");
    }
}

namespace {

// The configuration and the arrays that every task needs.
void StartRun() {
    kread();
    ControlReadFlag = 1;
    CheckRunLetters();

    if (AllocateUnstructuredArrays() < -0.01) {
        LogAppend("Error in allocation of arrays. The array size is probably\n");
        LogAppend("larger than what is available of memory on your computer\n\n");
        SetStatusText(" Error in array allocation       ");
        EndRun(kAllocationFailedStatus);
    }

    PartitionRunFlag = std::memchr(RunChoice, 'A', kRunPositions) ? 1 : 0;
}

}  // namespace

void ReadProjectGrid() {
    StartRun();
    for (int pos = 0; pos < kRunPositions; ++pos) {
        if (std::strchr("UVY", RunChoice[pos]) && RunChoice[pos] != '\0') RunLetter(RunChoice[pos], 1);
    }
}

void RunDriver() {
    StartRun();

    for (int pass = 1; pass <= NoRunPasses; ++pass) {
        ForgetUnavailableReports();
        for (int pos = 0; pos < kRunPositions; ++pos) {
            RunLetter(RunChoice[pos], pass);
        }
    }
    SetStatusText(" Initial run finished       ");
    CheckSedimentInflowSources();
}

int CallFracresWriter() {
    WriteFracresFile(0);
    return 0;
}

void EmptyStub() {}

namespace {
constexpr int kFlowFailedStatus = -1;
}  // namespace

void ClearRunState() {
    ReadingFilesFlag = WritingFilesFlag = WaterFlowActiveFlag = 0;
    SedimentActiveFlag = ComponentsActiveFlag = ControlReadFlag = EngineStartedFlag = 0;
    GridChangedFlag = 0;
    ResetGlobals();
    EngineStartedFlag = 1;
}

int RunEngine() {
    int status = 1;
    InstallStopSignals();
    try {
        ClearRunState();
        EnsureControlFile();
        RunDriver();
    } catch (const RunExit& e) {
        status = e.status;
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "rivax: out of memory\n");
        status = -3;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "rivax: %s\n", e.what());
        status = -1;
    }
    // A flow computation that diverged or stopped on an error must not end
    // with the status of a normal end, or a script would take its results.
    if (FlowFailedFlag == 1 && (status == 0 || status == 1)) status = kFlowFailedStatus;
    StatusFlush();
    RestoreStopSignals();
    return status;
}
