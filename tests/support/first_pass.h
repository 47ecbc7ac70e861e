// Feeds a `control` text through the first pass of the reader inside the
// test process, so big tables of data sets run without starting the binary.
#pragma once

#include <climits>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "run/fatal.h"
#include "run/globals.h"
#include "run/kread.h"
#include "run/log.h"
#include "tests/support/project_dir.h"

struct FirstPassResult {
    bool ended = false;  // a handler ended the run
    int status = 0;      // the exit status it ended with
    std::string log;     // everything the handlers wrote to `boogie`
};

// Stores every default, then reads `control` with the working directory
// switched to `dir`, where the handlers write `boogie` and their files.
// `before` runs after the defaults, to stand for data sets read earlier.
inline FirstPassResult ReadFirstPass(const ProjectDir& dir, const std::string& control,
                                     const std::function<void()>& before = nullptr) {
    namespace fs = std::filesystem;
    const fs::path old = fs::current_path();
    fs::current_path(dir.path());
    ResetGlobals();
    if (before) before();
    FirstPassResult r;
    std::string text = control + "\n";
    FILE* fp = fmemopen(text.data(), text.size(), "r");
    if (LogCreate() && fp) {
        try {
            FirstPass(fp);
        } catch (const RunExit& e) {
            r.ended = true;
            r.status = e.status;
        }
    }
    if (fp) std::fclose(fp);
    fs::current_path(old);
    r.log = dir.read("boogie");
    return r;
}

inline constexpr int kAccepted = INT_MIN;

// One row of a data-set table: the control text, the exact log the handlers
// write, the exit status (kAccepted when reading goes on) and, for accepted
// rows, what must hold afterwards.
struct ReadCase {
    std::string control;
    std::string log;
    int status = kAccepted;
    std::function<bool()> holds = nullptr;
    std::function<void()> before = nullptr;
};

inline void CheckReadCases(const std::vector<ReadCase>& cases) {
    ProjectDir dir;
    for (const ReadCase& c : cases) {
        SCOPED_TRACE("control: " + c.control);
        FirstPassResult r = ReadFirstPass(dir, c.control, c.before);
        EXPECT_EQ(r.log, c.log);
        if (c.status == kAccepted) {
            EXPECT_FALSE(r.ended) << "ended with status " << r.status;
        } else {
            EXPECT_TRUE(r.ended);
            EXPECT_EQ(r.status, c.status);
        }
        if (c.holds) {
            EXPECT_TRUE(c.holds());
        }
    }
}
