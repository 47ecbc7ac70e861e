// Locating a time among the rows of a series.
#include <gtest/gtest.h>

#include <vector>

#include "run/globals.h"
#include "run/time_series.h"
#include "tests/support/project_dir.h"

namespace {

struct SeriesCase {
    const char* name;
    std::vector<double> times;
    double t;
    double expected;  // the series' value at t when row r holds 10 * (r + 1)
};

void PrintTo(const SeriesCase& c, std::ostream* os) { *os << c.name; }

class SeriesTable : public ::testing::TestWithParam<SeriesCase> {};

TEST_P(SeriesTable, ValueAtTime) {
    const SeriesCase& c = GetParam();
    auto p = LocateInSeries(c.times.data(), static_cast<int>(c.times.size()), c.t);
    ASSERT_TRUE(p.has_value());
    EXPECT_GE(p->lower, 0);
    EXPECT_LT(p->upper, static_cast<int>(c.times.size()));
    EXPECT_GE(p->lowerWeight, 0.0);
    EXPECT_LE(p->lowerWeight, 1.0);
    EXPECT_NEAR(p->of([](int r) { return 10.0 * (r + 1); }), c.expected, 1e-12);
}

const SeriesCase kSeriesCases[] = {
    {"OneRowAnyTime", {5.0}, 100.0, 10.0},
    {"OneRowBeforeIt", {5.0}, -3.0, 10.0},
    {"BeforeTheFirstRow", {10.0, 20.0, 30.0}, 0.0, 10.0},
    {"AtTheFirstRow", {10.0, 20.0, 30.0}, 10.0, 10.0},
    {"HalfwayInTheFirstInterval", {10.0, 20.0, 30.0}, 15.0, 15.0},
    {"AtAnInnerRow", {10.0, 20.0, 30.0}, 20.0, 20.0},
    {"QuarterIntoTheLastInterval", {10.0, 20.0, 30.0}, 22.5, 22.5},
    {"AtTheLastRow", {10.0, 20.0, 30.0}, 30.0, 30.0},
    {"AfterTheLastRow", {10.0, 20.0, 30.0}, 1e9, 30.0},
    {"TwoRowsAtOneTime", {10.0, 10.0}, 10.0, 20.0},
    {"TwoRowsAtOneTimeBefore", {10.0, 10.0}, 5.0, 10.0},
};

INSTANTIATE_TEST_SUITE_P(Rows, SeriesTable, ::testing::ValuesIn(kSeriesCases),
                         EngineCaseName());

TEST(Series, NoRowsNoSeries) {
    const double times[] = {1.0};
    EXPECT_FALSE(LocateInSeries(times, 0, 1.0).has_value());
    EXPECT_FALSE(LocateInSeries(nullptr, 3, 1.0).has_value());
}

TEST(Series, TimeiRowsInASteadyRunGiveNoSeries) {
    ResetGlobals();
    NoTimeiSteps = 3;
    EXPECT_FALSE(LocateInTimei(1.0).has_value());
}

TEST(Series, TimeiRowsAreTheRowsRead) {
    ResetGlobals();
    ASSERT_TRUE(TimeiTime.allocate(5));
    TimeiTime[0] = 0.0;
    TimeiTime[1] = 100.0;
    TimeiTime[2] = 50.0;  // beyond the rows read: never looked at
    NoTimeiSteps = 2;
    auto p = LocateInTimei(500.0);
    ASSERT_TRUE(p.has_value());
    EXPECT_EQ(p->upper, 1);
    EXPECT_EQ(p->lowerWeight, 0.0);
    ResetGlobals();
}

}  // namespace
