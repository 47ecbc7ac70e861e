#include "run/log.h"

#include <cstdarg>
#include <cstdio>

#include "run/fatal.h"
#include "run/status.h"

bool LogCreate() {
    FILE* fp = std::fopen(kLogFileName, "w");
    if (!fp) return false;
    return std::fclose(fp) == 0;
}

bool LogAvailable() {
    FILE* fp = std::fopen(kLogFileName, "a");
    if (!fp) return false;
    std::fclose(fp);
    return true;
}

void LogAppendV(const char* fmt, va_list ap) {
    FILE* fp = std::fopen(kLogFileName, "a");
    if (!fp) FailLogUnavailable();
    // A log that silently loses its lines would let a failed run look clean.
    const bool written = std::vfprintf(fp, fmt, ap) >= 0;
    const bool closed = std::fclose(fp) == 0;
    if (!written || !closed) FailLogUnwritable();
}

void LogAppend(const char* fmt, ...) {
    va_list ap;
    va_start(ap, fmt);
    LogAppendV(fmt, ap);
    va_end(ap);
}
