#include "run/fatal.h"

#include <cstdarg>

#include "run/log.h"
#include "run/status.h"

void EndRun(int status) { throw RunExit{status}; }

void FailWithLog(int status, const char* fmt, ...) {
    va_list ap;
    va_start(ap, fmt);
    LogAppendV(fmt, ap);
    va_end(ap);
    EndRun(status);
}

void FailLogUnavailable() {
    SetStatusText("cannot open file 'boogie' ");
    EndRun(-3);
}

void FailLogUnwritable() {
    SetStatusText("cannot write file 'boogie' ");
    EndRun(-3);
}
