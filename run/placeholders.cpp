#include "run/placeholder.h"
#include "run/run_services.h"

int AllocateStructuredArrays() { ReportUnavailable("AllocateStructuredArrays"); return 0; }
double AllocateUnstructuredArrays() { ReportUnavailable("AllocateUnstructuredArrays"); return 0.0; }
int ReadTimeiFile() { ReportUnavailable("ReadTimeiFile"); return 0; }
void ReadCyclicFile() { ReportUnavailable("ReadCyclicFile"); }
void ReadInflowFile() { ReportUnavailable("ReadInflowFile"); }
void ReadInspaceFile() { ReportUnavailable("ReadInspaceFile"); }
