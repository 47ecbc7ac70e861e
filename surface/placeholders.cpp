#include "run/placeholder.h"
#include "surface/surface_services.h"

int ComputeGroundwater() { ReportUnavailable("ComputeGroundwater"); return 0; }
void ComputeColumnConnections() { ReportUnavailable("ComputeColumnConnections"); }
void InterpolateToNewGrid() { ReportUnavailable("InterpolateToNewGrid"); }
int surface_tfs(int, int) { ReportUnavailable("surface_tfs"); return 0; }
void surface() { ReportUnavailable("surface"); }
void UpdateFreeSurfaceOption50() { ReportUnavailable("UpdateFreeSurfaceOption50"); }
