// The metric through the built engine, after the grid file is read.
#include <gtest/gtest.h>

#include "tests/grid/unstruc_case.h"
#include "tests/support/project_dir.h"

namespace {

const std::string kCube = Fixture("unit_cube", "unstruc");
const char* const kReadOnly = "F 2 UX\nG 1 4 4 2 1\n";

// The cube's cell line is line 10, its points lines 2 to 9.
const std::string kMirroredCube = WithLine(kCube, 10, "1 4 3 2 5 8 7 6 1 2 3 4 5 6 0 0 0 0 0 0 ");
const std::string kSkewedCube = WithLine(kCube, 6, "0.001000 0.000000 1.000000");
const std::string kUpsideDownCube = WithLine(kCube, 10, "5 6 7 8 1 2 3 4 1 2 3 4 5 6 0 0 0 0 0 0 ");

class MetricEngineTable : public ::testing::TestWithParam<EngineCase> {};

TEST_P(MetricEngineTable, LogAndStatus) { CheckEngineCase(GetParam()); }

const EngineCase kMetricEngineCases[] = {
    {"CornersClockwiseHaveNoVolume", kReadOnly, -1,
     {"In metric, Error for cell 1, zero volume: -1.000000\n", "Iter = 0\n",
      "Careax = 1.000000, Careay = 1.000000, Careaz = -1.000000\n",
      "Coordinates: x: 0.000000 0.000000 1.000000 1.000000\n"},
     {},
     {{"unstruc", kMirroredCube}}},
    {"TopCornerOffTheColumnIsSkewed", kReadOnly, -1,
     {"In metric, Error for cell 1, skewed in horizontal direction\n", "Cdxdk,Cdydk = 0.000250 0.000000\n",
      "Point 1: 0.000000 0.000000\nPoint 5: 0.001000 0.000000\n", "Point 8: 8\n",
      "North: 0, South: 0, East: 0, West: 0, Top: 0, Bottom: 0\n"},
     {},
     {{"unstruc", kSkewedCube}}},
    {"UpsideDownCellIsReportedAndTheRunGoesOn", kReadOnly, 0,
     {"In metric, Error for cell 1, negative vertical direction\n"},
     {},
     {{"unstruc", kUpsideDownCube}}},
    {"UpsideDownCellHaltsWhenAsked", "F 2 UX\nG 1 4 4 2 1\nF 156 10073\n", -1,
     {"In metric, Error for cell 1, negative vertical direction\n", "Point 8: 0.000000 1.000000 0.000000e+00\n"},
     {},
     {{"unstruc", kUpsideDownCube}}},
};

INSTANTIATE_TEST_SUITE_P(Rows, MetricEngineTable, ::testing::ValuesIn(kMetricEngineCases), EngineCaseName());

TEST(MetricEngine, BedLevelHistogramOfTheCube) {
    ProjectDir dir;
    dir.write("control", std::string(kReadOnly) + "F 212 12\n");
    dir.write("unstruc", kCube);
    EngineRun r = dir.run();
    EXPECT_EQ(r.status, 0) << JoinLines(r.boogie);
    const std::vector<std::string> lines = SplitLines(dir.read("cellvol"));
    ASSERT_EQ(lines.size(), 101u);
    EXPECT_EQ(lines.front(), "0.000000 1.000000");
    EXPECT_EQ(lines.back(), "0.500000 0.000000");
}

}  // namespace
