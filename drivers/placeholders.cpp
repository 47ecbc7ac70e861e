#include "drivers/flow_drivers.h"
#include "run/placeholder.h"

int SolveShallowWater() { ReportUnavailable("SolveShallowWater"); return 0; }
int watersolve_fast() { ReportUnavailable("watersolve_fast"); return 0; }
void UpdateLevelsF36Fifty() { ReportUnavailable("UpdateLevelsF36Fifty"); }
void UpdateLayerSlopeA(int) { ReportUnavailable("UpdateLayerSlopeA"); }
void UpdateLayerSlopeB(int) { ReportUnavailable("UpdateLayerSlopeB"); }
void UpdateLayerSlopeC(int) { ReportUnavailable("UpdateLayerSlopeC"); }
void UpdateStressCounters(int) { ReportUnavailable("UpdateStressCounters"); }
void SolvePseudoVelocityStep(int) { ReportUnavailable("SolvePseudoVelocityStep"); }
