#include "drivers/flow_drivers.h"
#include "run/placeholder.h"

int WaterSolve() { ReportUnavailable("WaterSolve"); return 0; }
int SolveFlowLastBlock() { ReportUnavailable("SolveFlowLastBlock"); return 0; }
int SolveShallowWater() { ReportUnavailable("SolveShallowWater"); return 0; }
int SolveFlowBlockParallel() { ReportUnavailable("SolveFlowBlockParallel"); return 0; }
int watersolve_fast() { ReportUnavailable("watersolve_fast"); return 0; }
int SolveFlowGridLevels() { ReportUnavailable("SolveFlowGridLevels"); return 0; }
int SolveFlow3DHydrostatic() { ReportUnavailable("SolveFlow3DHydrostatic"); return 0; }
int SolveFlow2D() { ReportUnavailable("SolveFlow2D"); return 0; }
void WriteTimeo() { ReportUnavailable("WriteTimeo"); }
void AddCoarseLevelGroupSources() { ReportUnavailable("AddCoarseLevelGroupSources"); }
