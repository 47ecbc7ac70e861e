#include "grid/grid_services.h"
#include "run/placeholder.h"
#include "run/run_state.h"

void AppendColumnLayerBlock(int) { ReportUnavailable("AppendColumnLayerBlock"); }
void AppendColumnLayerBlockAlt(int) { ReportUnavailable("AppendColumnLayerBlockAlt"); }
