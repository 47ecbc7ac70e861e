// The log file `boogie`. Every message opens it, appends and closes it again,
// so the log is complete up to the last line even when the process dies.
#pragma once

#include <cstdarg>
#include <cstdio>

// Creates `boogie` afresh (an existing log is emptied). False when it cannot.
bool LogCreate();

// Appends one printf-style message. A log that cannot be opened ends the run
// with status -3 and "cannot open file 'boogie' " in the status text; one
// that cannot take the message whole ends it with status -3 and "cannot
// write file 'boogie' ".
void LogAppend(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
void LogAppendV(const char* fmt, va_list ap) __attribute__((format(printf, 1, 0)));

// Opens `boogie` afresh or for appending. A symbolic link named `boogie` is
// refused, with a line on standard output: the log is never written through
// it. Null when the log cannot be opened.
FILE* OpenLogFile(bool append);

// True when `boogie` can be opened for appending.
bool LogAvailable();

// The name of the log file, relative to the project directory.
inline constexpr const char* kLogFileName = "boogie";
