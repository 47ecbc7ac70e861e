// A run stopped by SIGTERM or SIGINT (a batch system's kill, Ctrl-C) ends at
// once with status -1 and a line in `boogie`, and takes with it the temporary
// files it was writing: a kill never leaves a full-size temporary file behind.
#pragma once

// Installs the handlers for the run; RestoreStopSignals puts back what was
// there before (a test process runs the engine in-process).
void InstallStopSignals();
void RestoreStopSignals();

// The temporary files being written now, for the handler to remove. A name
// is entered before its file is created and left after it was renamed or
// removed, so the handler never misses one. Returns the slot, -1 when the
// table is full or the name too long (the file is then written unguarded).
int RegisterTempFile(const char* name);
void UnregisterTempFile(int slot);

// Status of a run stopped by a signal.
inline constexpr int kStoppedBySignalStatus = -1;
