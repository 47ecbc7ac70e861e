#include "run/placeholder.h"
#include "surface/surface_services.h"

int ComputeGroundwater() { ReportUnavailable("ComputeGroundwater"); return 0; }
void UpdateWaterColumnsAfterRegrid() { ReportUnavailable("UpdateWaterColumnsAfterRegrid"); }
void FindDischargeGroupSurfaces(int) { ReportUnavailable("FindDischargeGroupSurfaces"); }
int surface_tfs() { ReportUnavailable("surface_tfs"); return 0; }
