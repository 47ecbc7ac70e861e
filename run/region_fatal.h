// Fatal conditions met on the threads of an OpenMP region.
//
// An exception must not leave a parallel region, so code that may run on a
// worker thread does not end the run itself: it records the condition (the
// first record wins, later ones are dropped) and the master thread reports it
// with ReportRegionFatal once the region has ended. Outside any region the
// same calls end the run at once.
#pragma once

// True on any thread inside a parallel region, also one of a single thread.
bool InParallelRegion();

// Ends the run with `status` after logging the message, or inside a region
// records both for the master.
void FailAnywhere(int status, const char* fmt, ...) __attribute__((format(printf, 2, 3)));

// LogAppend that may run on a worker thread: a log that cannot be opened is
// recorded as the fatal condition of the region (status -3) instead of ending
// the run from the worker.
void LogAppendAnywhere(const char* fmt, ...) __attribute__((format(printf, 1, 2)));

// Master thread, after a region: logs and ends the run if a worker recorded a
// fatal condition; otherwise does nothing.
void ReportRegionFatal();

// Forgets a recorded condition (start of a run).
void ClearRegionFatal();
