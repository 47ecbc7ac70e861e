// End-to-end rows for the F 100 to F 355, K and W data sets: control text in,
// log lines and exit status out.
#include <sys/stat.h>

#include <gtest/gtest.h>

#include "tests/support/project_dir.h"

namespace {

const std::string kQuorvaHeader = "Iteration, Residuals: Ux, Uy, Uz, Continuity, k, epsilon\n";

class DataSetsEngineTable : public ::testing::TestWithParam<EngineCase> {};

TEST_P(DataSetsEngineTable, LogAndStatus) { CheckEngineCase(GetParam()); }

const EngineCase kDataSetsEngineCases[] = {
    {"K3FactorAbove5", "K 3 0.7 0.7 5.5\n", kRefused, {"Input error for K 3 in control"}},
    {"K4SweepsAbove200", "K 4 1 1 1 300\n", kRefused, {"Input error for K 4 in control"}},
    {"K2FlagAbove1", "K 2 0 2\n", kRefused, {"Input error for K 2 in control"}},
    {"F206CappedByTheRuntime", "F 206 4\nF 2 X\n", 0,
     {"Max. number of threads: 2, value F 206: 4\n", "Number of threads: 2 (F 206)\n"}, {}, {},
     {"OMP_NUM_THREADS=2"}},
    {"F206NegativeRefused", "F 206 -1\n", kRefused, {"Error for F 206 in control"}, {"Max. number of threads"}},
    {"F206ZeroRunsOneThread", "F 206 0\nF 2 X\n", 0,
     {"Max. number of threads: 2, value F 206: 0\n", "Number of threads: 0 (F 206)\n"}, {}, {},
     {"OMP_NUM_THREADS=2"}},
    {"F329StopsAt150", "F 329 1 1 150\nF 2 X\n", 0, {"Have read 2 integers from the F 329 data set\n"}},
    {"F337WithoutF308", "F 337 1 3 0.5\n", -1,
     {"Error in control file. The F 337 data set can only be used\n", "when preceded by an F 308 (MPI) data set\n\n"}},
    {"F337AfterF308", "F 308 2\nF 337 1 3 0.5\nF 2 X\n", 0, {"TurbulenceModel = 0 (F 24)\n"}, {"F 337"}},
    {"W2CountBeyondTheTable", "W 2 400 1 2 3\n", kRefused, {"Input error for W 2 in control"}},
    {"F247PoissonRatioHalf", "F 247 2e7 0.5\n", kRefused, {"Error for F 247 in control\n"}},
    {"F292ModeWithoutAStep", "F 292 1 0\n", kRefused, {"Error for F 292 in control\n"}},
    {"F305WithWallLaw19", "F 305 1\nF 15 19\n", -1,
     {"The combination F 305 1 and F 15 19 has no wall law: use F 15 0, 5 or 8 with F 305 1\n"}},
    {"F255WithF205", "F 255 1\nF 205 2\n", -1, {"Remove the F 255 data set"}},
};

INSTANTIATE_TEST_SUITE_P(Rows, DataSetsEngineTable, ::testing::ValuesIn(kDataSetsEngineCases), EngineCaseName());

TEST(DataSetsEngine, ResidualFileHoldsOnlyItsHeader) {
    ProjectDir dir;
    dir.write("control", "F 293 0\nF 2 X\n");
    EngineRun r = dir.run();
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(dir.read("quorva"), kQuorvaHeader);
}

TEST(DataSetsEngine, ResidualFileThatCannotBeOpenedEndsTheRun) {
    ProjectDir dir;
    dir.write("control", "F 293 1\n");
    ASSERT_EQ(mkdir(dir.file("quorva").c_str(), 0755), 0);
    EngineRun r = dir.run();
    EXPECT_EQ(r.status, -4);
    ASSERT_FALSE(r.boogie.empty());
    EXPECT_EQ(r.boogie.back(), "Error, cannot open file 'quorva'");
    EXPECT_EQ(r.out.find("Have read data file"), std::string::npos) << r.out;
}

}  // namespace
