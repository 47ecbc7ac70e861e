// The restart reader's parts: the bed state file and the two forms of the
// result file, read back onto the present grid.
#pragma once

#include <string>

// Ends the run when a bed state file does not fit the grid or is damaged.
inline constexpr int kBedStateFailureStatus = -3;
// Ends the run when `resultb` cannot be opened ...
inline constexpr int kResultbMissingStatus = -3;
// ... or does not hold exactly the arrays of the present grid.
inline constexpr int kResultbSizeStatus = -4;
// Ends the run when `result` is a directory, a device or a pipe.
inline constexpr int kResultNotRegularStatus = -4;

// The name the restart reads: `base`, or "<base>.mpi<MpiPart>" when MpiPart
// is at least 1.
std::string RestartFileName(const std::string& base);

// Reads `bedres` (or its partition name): node levels, then the grid rebuilt
// from them, then the water columns. False, after logging it, when there is
// no such file; a file that does not fit the grid or is damaged ends the run
// with kBedStateFailureStatus, naming the line.
bool ReadBedStateFile();
