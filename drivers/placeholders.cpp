#include "drivers/flow_drivers.h"
#include "run/placeholder.h"

int SolveFlowLastBlock() { ReportUnavailable("SolveFlowLastBlock"); return 0; }
int SolveShallowWater() { ReportUnavailable("SolveShallowWater"); return 0; }
int SolveFlowGridLevels() { ReportUnavailable("SolveFlowGridLevels"); return 0; }
int SolveFlow3DHydrostatic() { ReportUnavailable("SolveFlow3DHydrostatic"); return 0; }
int SolveFlow2D() { ReportUnavailable("SolveFlow2D"); return 0; }
void AddCoarseLevelGroupSources() { ReportUnavailable("AddCoarseLevelGroupSources"); }
void UpdateLayerSlopeA(int) { ReportUnavailable("UpdateLayerSlopeA"); }
void UpdateLayerSlopeB(int) { ReportUnavailable("UpdateLayerSlopeB"); }
void UpdateLayerSlopeC(int) { ReportUnavailable("UpdateLayerSlopeC"); }
void UpdateStressCounters(int) { ReportUnavailable("UpdateStressCounters"); }
