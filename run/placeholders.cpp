#include "run/placeholder.h"
#include "run/run_services.h"

int ReadTimeiFile() { ReportUnavailable("ReadTimeiFile"); return 0; }
void ReadCyclicFile() { ReportUnavailable("ReadCyclicFile"); }
void ReadInflowFile() { ReportUnavailable("ReadInflowFile"); }
void ReadInspaceFile() { ReportUnavailable("ReadInspaceFile"); }
