#include "run/placeholder.h"
#include "run/run_services.h"

void WriteControlNew() { ReportUnavailable("WriteControlNew"); }
void WriteMinimalControl() { ReportUnavailable("WriteMinimalControl"); }
