#include "drivers/flow_drivers.h"
#include "run/placeholder.h"

void UpdateLayerSlopeA(int) { ReportUnavailable("UpdateLayerSlopeA"); }
void UpdateLayerSlopeB(int) { ReportUnavailable("UpdateLayerSlopeB"); }
void UpdateLayerSlopeC(int) { ReportUnavailable("UpdateLayerSlopeC"); }
void UpdateStressCounters(int) { ReportUnavailable("UpdateStressCounters"); }
