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

// Stores every default, then runs the first pass over `text`. Must be called
// inside an InProjectDir.
ReadOutcome ReadFirstPass(const std::string& text);

// Stores every default, then runs the second pass over `text`.
ReadOutcome ReadSecondPass(const std::string& text);

// Runs `fn` (inside an InProjectDir) and reports whether it ended the run,
// with what status, and what `boogie` holds afterwards.
ReadOutcome CaptureRunEnd(void (*fn)());
