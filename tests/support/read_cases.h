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

inline void CheckReadCases(const std::vector<ReadCase>& cases) {
    InProjectDir here;
    for (const ReadCase& c : cases) {
        SCOPED_TRACE("control: " + c.control);
        ReadOutcome out = ReadFirstPass(c.control + "\n", c.before);
        EXPECT_EQ(out.log, c.log);
        if (c.status == kAccepted) {
            EXPECT_FALSE(out.ended) << "ended with status " << out.status;
        } else {
            EXPECT_TRUE(out.ended);
            EXPECT_EQ(out.status, c.status);
        }
        if (c.holds) {
            EXPECT_TRUE(c.holds());
        }
    }
}
