// Progress state for an outside observer of the process.
//
// Nothing inside the engine reads these back. The observer is the terminal:
// every new status text is echoed to standard output, as one updating line on
// a terminal and at most one line a second otherwise; the last text is always
// shown when the run ends.
#pragma once

inline constexpr int kStatusTextSize = 200;

extern char StatusText[kStatusTextSize];
extern char ModuleName[kStatusTextSize];
extern int PauseFlag;
// Caption of the next results written, set by the caller of the dispatcher.
extern char ResultTitle[kStatusTextSize];

extern int EngineStartedFlag;
extern int ControlReadFlag;
extern int ReadingFilesFlag;
extern int WritingFilesFlag;
extern int ComponentsActiveFlag;
extern int SedimentActiveFlag;
extern int WaterFlowActiveFlag;
extern int ActiveTaskCode;
extern int PartitionRunFlag;

// printf-style; the text is cut to the buffer size.
void SetStatusText(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
void SetModuleName(const char* text);

// A pause point: with PauseFlag equal to `flag` the run would wait for the
// observer. A batch run has no observer to lift a pause, so the point is
// reported once (status text and log) and the run goes on.
void PausePoint(int flag, const char* text);

// Shows the latest status text if the terminal has not seen it yet.
void StatusFlush();

// Clears the texts and every progress flag and forgets what the terminal saw.
void ResetStatus();
