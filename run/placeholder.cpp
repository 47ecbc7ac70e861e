#include "run/placeholder.h"

#include "run/log.h"

void ReportUnavailable(const char* operation) { LogAppend("%s is not available in this build\n", operation); }
