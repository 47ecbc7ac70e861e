// Ending a run. Nothing below `main` calls exit(): a fatal condition throws
// RunExit with the run's exit status, and `main` returns that status.
#pragma once

struct RunExit {
    int status;
};

// Ends the run with `status`. The caller has already written its messages.
[[noreturn]] void EndRun(int status);

// Writes one printf-style message to `boogie`, then ends the run with `status`.
[[noreturn]] void FailWithLog(int status, const char* fmt, ...) __attribute__((format(printf, 2, 3)));

// The log cannot be opened: status text "cannot open file 'boogie' ", status -3.
[[noreturn]] void FailLogUnavailable();

// The log took a message only in part (full disk, a device that refuses
// writes): status text "cannot write file 'boogie' ", status -3.
[[noreturn]] void FailLogUnwritable();
