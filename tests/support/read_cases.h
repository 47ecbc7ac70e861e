// Tables of data sets fed through the first pass inside the test process:
// the exact log each row writes, how it ends, and what holds afterwards.
#pragma once

#include <climits>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "run/globals.h"
#include "tests/support/control_text.h"

inline constexpr int kAccepted = INT_MIN;

struct ReadCase {
    std::string control;
    std::string log;               // everything the handlers write to `boogie`
    int status = kAccepted;        // exit status, or kAccepted when reading goes on
    std::function<bool()> holds = nullptr;  // checked after the row
    void (*before)() = nullptr;    // stands for data sets read earlier
};

// The log a read wrote, and whether it went on (kAccepted) or ended with
// the status given.
inline void ExpectOutcome(const ReadOutcome& out, const std::string& log, int status) {
    EXPECT_EQ(out.log, log);
    if (status == kAccepted) {
        EXPECT_FALSE(out.ended) << "ended with status " << out.status;
    } else {
        EXPECT_TRUE(out.ended);
        EXPECT_EQ(out.status, status);
    }
}

// One row of a table over an input file other than `control`.
struct FileCase {
    const char* name;
    std::string text;  // the file's content
    int status;        // exit status, or kAccepted
    std::string log;   // everything written to `boogie`
    void (*setup)() = nullptr;
    bool (*holds)() = nullptr;
};

inline void PrintTo(const FileCase& c, std::ostream* os) { *os << c.name; }

inline void CheckReadCases(const std::vector<ReadCase>& cases) {
    InProjectDir here;
    for (const ReadCase& c : cases) {
        SCOPED_TRACE("control: " + c.control);
        ReadOutcome out = ReadFirstPass(c.control + "\n", c.before);
        ExpectOutcome(out, c.log, c.status);
        if (c.holds) {
            EXPECT_TRUE(c.holds());
        }
    }
}
