#include "run/placeholder.h"
#include "surface/surface_services.h"

int ComputeGroundwater() { ReportUnavailable("ComputeGroundwater"); return 0; }
