#include "run/placeholder.h"
#include "run/run_state.h"
#include "solver/solver_services.h"

// Until the parallel solvers exist their runs are solved serially; the log
// says so once per run.
void SolveEquationParallel(int first, int last, int sweeps) {
    if (ParallelSolverNoticeFlag == 0) {
        ReportUnavailable("SolveEquationParallel");
        ParallelSolverNoticeFlag = 1;
    }
    SolveCellRange(first, last, sweeps);
}

void ApplyBlockCorrection() { ReportUnavailable("ApplyBlockCorrection"); }
void BuildMultigridLevels() { ReportUnavailable("BuildMultigridLevels"); }
void SolveMultigrid3D() { ReportUnavailable("SolveMultigrid3D"); }
void SolveLineTdma() { ReportUnavailable("SolveLineTdma"); }
void SetWaterLevelCoefficients(int, double) { ReportUnavailable("SetWaterLevelCoefficients"); }
