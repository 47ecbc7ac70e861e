// The one entry through which every computation solves its cell equation.
#include <omp.h>

#include <algorithm>

#include "flow/face_interpolation.h"
#include "grid/grid_data.h"
#include "run/params_f150.h"
#include "run/params_f200.h"
#include "run/params_g.h"
#include "run/params_k.h"
#include "run/region_fatal.h"
#include "run/run_state.h"
#include "solver/solver_services.h"

EquationKernels SolverKernels = kEquationKernels;

namespace {

// The G 50 switch that makes the equation solver serial.
constexpr int kSolverSwitch = 8;

int SweepCount() {
    if (Equation < 0 || Equation >= kEquationTableSize) {
        FailAnywhere(-1, "Error, equation no. %d has no solver settings\n", Equation);
        return 0;
    }
    const int sweeps = SolverSweeps[Equation];
    return Equation == 4 && UniformSweepsFlag == 0 ? 3 * sweeps : sweeps;
}

void SolveInThreadBlocks(int sweeps, void (*kernel)(int, int, int)) {
    const int cells = LastCell + 1 - FirstCell;
    if (cells <= 0) return;
    const int blockSize = cells / NoThreads;
    const int threads = ThreadsForItems(cells, std::min(NoThreads, omp_get_max_threads()));
#pragma omp parallel num_threads(threads) if (threads > 1)
    SolveBlocksBody(blockSize, sweeps, kernel);
    ReportRegionFatal();
}

// Set only for the duration of the fast driver's five-field solve.
bool g_fiveFieldSolve = false;

}  // namespace

void SolveBlocksBody(int blockSize, int sweeps, void (*kernel)(int, int, int)) {
    const int threads = omp_get_num_threads();
    const int thread = omp_get_thread_num();
    const int perThread = (NoThreads + threads - 1) / threads;
    const int end = std::min((thread + 1) * perThread, NoThreads);
    for (int k = thread * perThread; k < end; ++k) {
        const int first = FirstCell + k * blockSize;
        const int last = k == NoThreads - 1 ? LastCell : first + blockSize - 1;
        kernel(first, last, sweeps);
    }
}

void SolveEquation() {
    const int sweeps = SweepCount();
    // Without threads every run is serial; a negative F 206 counts as none.
    const bool serial = NoThreads <= 0;
    if (g_fiveFieldSolve) {
        // The five fields share one sweep; every setting that makes a
        // single-field solve serial makes this one serial too.
        if (serial || OpenMPSwitches[kSolverSwitch] == 1 || SolverVariant > 20 || LayerBlockOption >= 1) {
            SolverKernels.multi(FirstCell, LastCell, sweeps);
        } else {
            SolveInThreadBlocks(sweeps, SolverKernels.multiBlock);
        }
        return;
    }
    if (LayerBlockOption >= 2) {
        SolverKernels.serial(FirstCell, LastCell, sweeps);
    } else if (LayerBlockOption == 1) {
        SolverKernels.serial(BlockTable[1].firstCell, BlockTable[1].lastCell, sweeps);
    } else if (SolverVariant > 20) {
        SolverKernels.parallel(FirstCell, LastCell, sweeps);
    } else if (serial || OpenMPSwitches[kSolverSwitch] == 1) {
        SolverKernels.serial(FirstCell, LastCell, sweeps);
    } else {
        SolveInThreadBlocks(sweeps, SolverKernels.block);
    }
}

void SolveFiveFields() {
    g_fiveFieldSolve = true;
    try {
        SolveEquation();
    } catch (...) {
        g_fiveFieldSolve = false;
        throw;
    }
    g_fiveFieldSolve = false;
}
