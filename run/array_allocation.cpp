#include "run/array_allocation.h"

#include "run/log.h"

size_t AllocationLimitBytes = SIZE_MAX;

void ArrayAllocation::ReportOutOfMemory() const {
    LogAppend("Allocated %lf Mbyte when out of memory\n", static_cast<double>(total_) * 1e-6);
}
