#include "run/placeholder.h"
#include "sediment/sediment_services.h"

void ComputeBedChange() { ReportUnavailable("ComputeBedChange"); }
void ComputeBedChangeRegrid1() { ReportUnavailable("ComputeBedChangeRegrid1"); }
void ComputeBedChangeRegrid3() { ReportUnavailable("ComputeBedChangeRegrid3"); }
int SolveSuspendedSedimentStep() { ReportUnavailable("SolveSuspendedSedimentStep"); return 0; }
