#include "flow/flow_services.h"
#include "run/placeholder.h"

void SetLayerBlockViscosity(int, int) { ReportUnavailable("SetLayerBlockViscosity"); }
void AddBedViscosity(int, int) { ReportUnavailable("AddBedViscosity"); }
void ApplyVelocityBlocking() { ReportUnavailable("ApplyVelocityBlocking"); }
