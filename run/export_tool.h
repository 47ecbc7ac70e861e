// The exports that no run letter starts, reached from the command line:
// `rivax-export openfoam DIR` and `rivax-export stl DIR`.
#pragma once

// Runs the tool on its arguments (without the program name) and returns the
// exit status: 0 when the export is written, 2 for a wrong command line,
// otherwise the status with which the engine would have ended.
int RunExportTool(int argc, const char* const* argv);
