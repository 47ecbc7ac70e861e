#include "flow/flow_services.h"
#include "run/placeholder.h"

void InitialiseFlowRun() { ReportUnavailable("InitialiseFlowRun"); }
void ComputeSplitFaceCoefficients() { ReportUnavailable("ComputeSplitFaceCoefficients"); }
