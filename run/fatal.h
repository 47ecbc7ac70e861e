// Ending a run. Nothing below `main` calls exit(): a fatal condition throws
// RunExit with the run's exit status, and `main` returns that status.
#pragma once

struct RunExit {
    int status;
};

// Statuses of runs that stop on an error which has no status of its own
// elsewhere. None is 0 or 1, the statuses of a normal end, so that a script
// can tell a refused run from a finished one without reading `boogie`.
inline constexpr int kControlRefusedStatus = -70;  // a data set of `control` is refused
inline constexpr int kRestartRefusedStatus = -71;  // letter R: `result` gives no restart
inline constexpr int kShallowWaterRefusedStatus = -72;  // letter L: no F 311 or no 2D block
inline constexpr int kPartitionRefusedStatus = -73;  // letter A: more partitions than the boundaries hold
inline constexpr int kReadBackRefusedStatus = -74;  // letter O: a file read back is damaged
inline constexpr int kInputNotAFileStatus = -75;  // an input file is a directory
inline constexpr int kOutputUnwritableStatus = -3;  // an output file cannot be written

// Ends the run with `status`. The caller has already written its messages.
[[noreturn]] void EndRun(int status);

// Writes one printf-style message to `boogie`, then ends the run with `status`.
[[noreturn]] void FailWithLog(int status, const char* fmt, ...) __attribute__((format(printf, 2, 3)));

// The log cannot be opened: status text "cannot open file 'boogie' ", status -3.
[[noreturn]] void FailLogUnavailable();

// The log took a message only in part (full disk, a device that refuses
// writes): status text "cannot write file 'boogie' ", status -3.
[[noreturn]] void FailLogUnwritable();
