#include "run/placeholder.h"

#include "run/region_fatal.h"

// Flow operations of later work are called per chunk from parallel regions,
// so the report may come from a worker thread.
void ReportUnavailable(const char* operation) {
#pragma omp critical(rivax_log)
    LogAppendAnywhere("%s is not available in this build\n", operation);
}
