#include "quality/quality_services.h"
#include "run/placeholder.h"

int ComputeComponents() { ReportUnavailable("ComputeComponents"); return 0; }
int WriteCompresFile() { ReportUnavailable("WriteCompresFile"); return 0; }
void ComputeComponentSources() { ReportUnavailable("ComputeComponentSources"); }
