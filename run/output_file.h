// Output files appear complete or not at all: the text goes to a temporary
// name beside the target and is renamed into place once it is closed, so a
// run that dies (or a full disk) never leaves a half-written file.
#pragma once

#include <cstdio>
#include <functional>
#include <string>

class OutputFile {
public:
    // Opens the temporary file; test the object before writing. Temporary
    // files of `name` left by processes that no longer run are removed.
    explicit OutputFile(std::string name);
    // Removes the temporary file unless it was committed.
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    explicit operator bool() const { return fp_ != nullptr; }
    FILE* get() const { return fp_; }
    const std::string& name() const { return name_; }

    // Closes the file and renames it into place. False when any write, the
    // close or the rename failed; the target is then left as it was.
    bool commit();

private:
    void discard();
    void release();

    std::string name_;
    std::string temp_;
    FILE* fp_ = nullptr;
    int slot_ = -1;  // the temporary name's entry for the stop-signal handler
};

// Writes `name` whole through `body`. False when it cannot be created or
// written; the target is then left as it was.
bool WriteOutputFile(const std::string& name, const std::function<void(FILE*)>& body);

// Opens an output that is written in place (a log or a time series that
// grows while the run goes on), afresh or for appending, without ever
// following a symbolic link: the project's files must not lead the run to
// write outside it. Null when `name` is a link (errno ELOOP), not a regular
// file, or cannot be opened.
FILE* OpenRegularNoFollow(const char* name, bool append);

// The same, but a symbolic link of that name is replaced by a new regular
// file, as a renamed output replaces it; the link's target is not touched.
FILE* OpenPlainOutput(const char* name, bool append);

// Test seam: when set, commit() calls it with the target name and the open
// temporary file before anything is closed or renamed, where a run that is
// killed or meets a full disk mid-write would be. Returning false makes the
// write fail.
using OutputFileFaultHook = bool (*)(const std::string& name, FILE* fp);
void SetOutputFileFaultHook(OutputFileFaultHook hook);

// A numbered file name: `prefix`, n zero-padded to `width` digits, `suffix`
// ("result." 3 4 "" gives "result.0003").
std::string NumberedName(const std::string& prefix, int n, int width, const std::string& suffix);

// The first numbered name for n = 0..maxNumber that names no existing file;
// empty when every one is taken.
std::string FirstFreeNumberedName(const std::string& prefix, int width, const std::string& suffix, int maxNumber);
