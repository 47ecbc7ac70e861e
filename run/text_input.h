// Reading the engine's text inputs: a file that closes itself on every way
// out, and the byte scan that finds data-set letters wherever they stand.
#pragma once

#include <cstdio>
#include <functional>
#include <string>

// Opens the input file `name` like fopen. A directory of that name opens as
// well on Linux and then reads as an empty file, so a run would go on with
// defaults: it is refused instead, naming it, and the run ends with status
// kInputNotAFileStatus.
FILE* OpenInputFile(const char* name, const char* mode = "r");

// Closes its FILE* on every way out, including a run that ends.
class InputFile {
public:
    // How a directory of the name is taken: refused (every input file), or
    // opened so that the caller reports it in its own words (`control`).
    enum Directory { kRefuseDirectory, kOpenDirectory };
    explicit InputFile(const char* name, const char* mode = "r", Directory directory = kRefuseDirectory)
        : fp_(directory == kRefuseDirectory ? OpenInputFile(name, mode) : std::fopen(name, mode)) {}
    ~InputFile() {
        if (fp_) std::fclose(fp_);
    }
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;
    FILE* get() const { return fp_; }
    explicit operator bool() const { return fp_ != nullptr; }

private:
    FILE* fp_;
};

// How a scan ended.
enum class ScanEnd { EndOfFile, Budget, Stopped };

// Reads `fp` one byte at a time. A byte among `letters` starts a data set,
// which `handle` reads with formatted input from the same stream; every other
// byte is skipped. Each skipped byte and each data set costs one step of
// `budget`. The scan ends at the end of the file or a byte 255, when the
// budget is used up, or when `handle` returns false.
ScanEnd ScanDataSets(FILE* fp, long long budget, const char* letters, const std::function<bool(int letter)>& handle);

// True when `name` exists and is something else than a regular file (after
// symbolic links): a directory, a device such as /dev/zero, a pipe. Such an
// input reads as empty, endless or blocks the open, so readers refuse it
// before opening it.
bool ExistsButNotRegularFile(const char* name);

// Formatted reads of one value that refuse what is not a finite number of
// its type: such a value counts as not converted and its target keeps what
// it had.
bool ReadFiniteReal(FILE* fp, double* value);
bool ReadInt32(FILE* fp, int* value);

// The line (from 1) that byte `offset` of the open file `fp` stands on; the
// file is read again from its start and left at `offset`. For error messages:
// it costs a pass over the file up to there.
long LineAtOffset(FILE* fp, long offset);

// A value of file `name` that is not a finite number (nan, inf) would reach
// the grid and every field computed on it: refuses the file with the line
// it stands on (the line of the stream's position) and ends the run with
// `status`.
[[noreturn]] void RefuseNotFiniteValue(FILE* fp, const std::string& name, int status);

// Levels (bed, water surface, fixed bed) in metres. One beyond this magnitude
// is a damaged value whatever the datum of the project: it would stretch
// every cell of its column and the metric built on it.
inline constexpr double kLevelLimit = 1e6;
inline bool LevelInRange(double z) { return z >= -kLevelLimit && z <= kLevelLimit; }

// A value of file `name` that no run can use (`what` says why, e.g. "a level
// of 1e+300 m lies beyond 1e+06 m"): refuses the file with the line of the
// stream's position and ends the run with `status`.
[[noreturn]] void RefuseValueAtLine(FILE* fp, const std::string& name, int status, const std::string& what);

// Refuses level `z` of file `name` as out of range; see kLevelLimit.
[[noreturn]] void RefuseLevel(FILE* fp, const std::string& name, int status, double z);
