#include "run/placeholder.h"

#include <set>
#include <string>

#include "run/region_fatal.h"

namespace {

// Operations already reported in this run. Many are called every iteration,
// and one line each says all there is to say.
std::set<std::string>& Reported() {
    static std::set<std::string> reported;
    return reported;
}

}  // namespace

// Flow operations of later work are called per chunk from parallel regions,
// so the report may come from a worker thread.
void ReportUnavailable(const char* operation) {
#pragma omp critical(rivax_log)
    {
        if (Reported().insert(operation).second) LogAppendAnywhere("%s is not available in this build\n", operation);
    }
}

void ForgetUnavailableReports() {
#pragma omp critical(rivax_log)
    Reported().clear();
}
