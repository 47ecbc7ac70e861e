#include "run/log.h"

#include <cstdarg>
#include <cstdio>

#include <cerrno>

#include "run/fatal.h"
#include "run/output_file.h"
#include "run/status.h"

FILE* OpenLogFile(bool append) {
    FILE* fp = OpenRegularNoFollow(kLogFileName, append);
    if (!fp && errno == ELOOP) {
        std::printf("'%s' is a symbolic link: the log is never written through a link. "
                    "Remove it and start the run again\n",
                    kLogFileName);
        std::fflush(stdout);
    }
    return fp;
}

bool LogCreate() {
    FILE* fp = OpenLogFile(false);
    if (!fp) return false;
    return std::fclose(fp) == 0;
}

bool LogAvailable() {
    FILE* fp = OpenLogFile(true);
    if (!fp) return false;
    std::fclose(fp);
    return true;
}

void LogAppendV(const char* fmt, va_list ap) {
    FILE* fp = OpenLogFile(true);
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
