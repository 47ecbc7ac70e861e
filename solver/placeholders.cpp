#include "run/placeholder.h"
#include "solver/solver_services.h"

void ApplyBlockCorrection() { ReportUnavailable("ApplyBlockCorrection"); }
void BuildMultigridLevels() { ReportUnavailable("BuildMultigridLevels"); }
void SolveMultigrid3D() { ReportUnavailable("SolveMultigrid3D"); }
void SolveLineTdma() { ReportUnavailable("SolveLineTdma"); }
