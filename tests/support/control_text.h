// Feeding a `control` text through the reader inside the test process.
#pragma once

#include <string>

#include "tests/support/project_dir.h"

struct ReadOutcome {
    bool ended = false;  // the reader ended the run
    int status = 0;      // the run's exit status when it ended
    std::string log;     // everything written to `boogie`
};

// Switches the working directory to a fresh project directory for the
// lifetime of the object, so the log and other files land there.
class InProjectDir {
public:
    InProjectDir();
    ~InProjectDir();
    InProjectDir(const InProjectDir&) = delete;
    InProjectDir& operator=(const InProjectDir&) = delete;
    const ProjectDir& dir() const { return dir_; }

private:
    ProjectDir dir_;
    std::string old_;
};

// Starts an empty `boogie`, stores every default, then runs the first pass
// over `text` and the re-check against the final sizes that follows it.
// Must be called inside an InProjectDir. `afterDefaults`, when given, runs
// between the defaults and the pass, to stand for data sets read earlier.
ReadOutcome ReadFirstPass(const std::string& text, void (*afterDefaults)() = nullptr);

// The same for the second pass.
ReadOutcome ReadSecondPass(const std::string& text);

// Runs `fn` (inside an InProjectDir) and reports whether it ended the run,
// with what status, and what `boogie` holds afterwards.
ReadOutcome CaptureRunEnd(void (*fn)());

// `times` copies of one data set, each on its own line.
inline std::string RepeatLines(const std::string& dataSet, int times) {
    std::string text;
    for (int k = 0; k < times; ++k) text += dataSet + "\n";
    return text;
}
