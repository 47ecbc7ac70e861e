#include "run/region_fatal.h"

#include <omp.h>

#include <atomic>
#include <cstdarg>
#include <cstdio>

#include "run/fatal.h"
#include "run/log.h"

namespace {

enum RecordState : int { kEmpty = 0, kWriting = 1, kReady = 2 };

// Only the thread that moves the state from empty to writing fills the
// record; the master reads it after the region's closing barrier.
std::atomic<int> g_state{kEmpty};
int g_status = 0;
bool g_log_unavailable = false;
char g_message[1024];

// True for the one thread that may fill the record.
bool Claim() {
    int expected = kEmpty;
    return g_state.compare_exchange_strong(expected, kWriting, std::memory_order_acq_rel);
}

void Publish(int status, bool logUnavailable) {
    g_status = status;
    g_log_unavailable = logUnavailable;
    g_state.store(kReady, std::memory_order_release);
}

}  // namespace

bool InParallelRegion() { return omp_get_level() > 0; }

void FailAnywhere(int status, const char* fmt, ...) {
    va_list ap;
    va_start(ap, fmt);
    if (!InParallelRegion()) {
        LogAppendV(fmt, ap);
        va_end(ap);
        EndRun(status);
    }
    if (Claim()) {
        std::vsnprintf(g_message, sizeof g_message, fmt, ap);
        Publish(status, false);
    }
    va_end(ap);
}

void LogAppendAnywhere(const char* fmt, ...) {
    va_list ap;
    va_start(ap, fmt);
    if (!InParallelRegion()) {
        LogAppendV(fmt, ap);
    } else if (FILE* fp = OpenLogFile(true)) {
        std::vfprintf(fp, fmt, ap);
        std::fclose(fp);
    } else if (Claim()) {
        g_message[0] = '\0';
        Publish(-3, true);
    }
    va_end(ap);
}

void ReportRegionFatal() {
    if (g_state.load(std::memory_order_acquire) != kReady) return;
    const int status = g_status;
    const bool logUnavailable = g_log_unavailable;
    g_state.store(kEmpty, std::memory_order_release);
    if (logUnavailable) FailLogUnavailable();
    FailWithLog(status, "%s", g_message);
}

void ClearRegionFatal() { g_state.store(kEmpty, std::memory_order_release); }
