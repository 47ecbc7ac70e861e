#include "run/placeholder.h"
#include "surface/surface_services.h"

void ComputeColumnConnections() { ReportUnavailable("ComputeColumnConnections"); }
int surface_tfs(int, int) { ReportUnavailable("surface_tfs"); return 0; }
void UpdateFreeSurfaceOption50() { ReportUnavailable("UpdateFreeSurfaceOption50"); }
// The levels are left as they are.
void UpdateFreeSurfaceByOption() { ReportUnavailable("UpdateFreeSurfaceByOption"); }
void surface2DLL() { ReportUnavailable("surface2DLL"); }
void RaiseSupercriticalPressure(double, double) { ReportUnavailable("RaiseSupercriticalPressure"); }
void AverageCoupledPressure() { ReportUnavailable("AverageCoupledPressure"); }
void AdjustCoupledBlockLevels() { ReportUnavailable("AdjustCoupledBlockLevels"); }
void AdjustLevelsAtGroups(double) { ReportUnavailable("AdjustLevelsAtGroups"); }
