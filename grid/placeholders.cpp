#include "grid/grid_services.h"
#include "run/placeholder.h"
#include "run/run_state.h"

void ComputeBedRoughness() { ReportUnavailable("ComputeBedRoughness"); }
void InterpolateGeodata() { ReportUnavailable("InterpolateGeodata"); }
int Unstructure() { ReportUnavailable("Unstructure"); return 0; }
