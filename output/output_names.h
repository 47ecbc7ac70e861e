// Names of the result files: fixed, partition and numbered names, and the
// end of a run whose results cannot be written.
#pragma once

#include <string>

// Numbers go from 0 up to this; when all are taken the last is written over.
inline constexpr int kMaxOutputNumber = 999998;

// True when P 10 or P 15 asks for a new numbered file per output and call.
bool NumberedOutputOn();

// `prefix`, the first number from 0 whose file does not exist, zero-padded to
// `width` digits, then `suffix`. With every number taken, the name of
// `maxNumber` (logged).
std::string NextNumberedName(const std::string& prefix, int width, const std::string& suffix = "",
                             int maxNumber = kMaxOutputNumber);

// `base`, or "<base>.mpi<MpiPart>" when MpiPart is non-zero.
std::string PartitionName(const std::string& base);

// Logs that `name` could not be written, shows "cannot open file '<shown>' "
// and ends the run with status -3.
[[noreturn]] void FailOutputFile(const std::string& name, const std::string& shown);
