#include "drivers/flow_drivers.h"
#include "run/placeholder.h"

int SolveShallowWater() { ReportUnavailable("SolveShallowWater"); return 0; }
