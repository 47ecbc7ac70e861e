// End-to-end rows: a control text in, the log and the exit status out.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "tests/support/grid_engine.h"
#include "tests/support/project_dir.h"

namespace {

const char* const kNotAvailable = " is not available in this build\n";

// Logged once by every set-up of a grid just read.
const char* const kGridSetUp = "G 6/62 2D reference indexes: 0 0 0 0\n";

std::string Ran(const char* op) {
    std::string text(op);
    text.append(kNotAvailable);
    return text;
}

// The water-flow driver of letter W, started without a grid.
const char* const kFlowWithoutCells = "Error: the water flow computation has no active cells";

// Letter C starts the component computation; letter E without components
// writes nothing.
const char* const kComponents = "Started components\n";
const char* const kNoComponentsToWrite = "No water-quality components (F 50), so 'compres' is not written\n";

// Letter S without an N data set stops at its first check.
const char* const kNoGrainSizes = "Error in input data: it is necessary to specify the grain size distribution\n";

// Rows at 0, 10 and 5 s: the third row's time falls.
const char* const kFallingTimei = "I 0 1 1 1 1\nI 10 1 1 1 1\nI 5 1 1 1 1\n";

class RunDriverTable : public ::testing::TestWithParam<EngineCase> {};

TEST_P(RunDriverTable, LogAndStatus) { CheckEngineCase(GetParam()); }

const EngineCase kRunDriverCases[] = {
    {"XEndsBeforeW", "F 2 XW\n", 0, {"TurbulenceModel = 0 (F 24)\n"},
     {Ran("SetActiveCellRange"), kFlowWithoutCells}},
    {"F37RefusedForWaterFlow", "F 37 1\nF 2 W\n", -5,
     {"Error in control file. The F 37 data set should not be used\n",
      "when computing only water flow (F 2 W)\n\n"},
     {kFlowWithoutCells}},
    {"F37ZeroRunsTheFlow", "F 37 0\nF 2 W\n", -1, {kFlowWithoutCells}},
    {"LettersRunInOrderAndOnlyTenPositions", "F 2 ABCDEFGNIX\n", 1,
     {kComponents, kNoComponentsToWrite},
     {Ran("ComputeGroundwater"), Ran("concRijn"), Ran("WriteCon2resFile")}},
    {"GridReadOncePerRunTaskEveryPass", "F 20 3\nF 2 UC\n", 1,
     {kGridSetUp, kComponents, kComponents, kComponents},
     {kComponents + std::string("\n") + kGridSetUp, kComponents + std::string(kGridSetUp)},
     {{"unstruc", Fixture("unit_cube", "unstruc")}}},
    {"LowerCaseLettersIgnored", "F 2 wyW\n", -1, {kFlowWithoutCells}, {"Generating grid"}},
    {"F7WithSRefused", "F 7 S\nF 2 W\n", -1,
     {"Error for F 7 data set in control file\n", "Use 10 spaces after the letters on the F 7 data set\n"},
     {kFlowWithoutCells}},
    {"SteadyRunNeverReadsTimei", "F 2 CGSW\n", -8, {kNoGrainSizes}, {"Error in timei file"},
     {{"timei", kFallingTimei}}},
    {"TimeStepAtThresholdIsSteady", "F 17 1e-8\nF 2 W\n", -1, {kFlowWithoutCells}, {"Error in timei file"},
     {{"timei", kFallingTimei}}},
    {"UnsteadyRunReadsTimeiBeforeEachTask", "F 17 1.0\nF 2 CGSW\n", -8,
     {kComponents, kNoGrainSizes}, {"Error in timei file"},
     {{"timei", "I 0 1 1 1 1\nI 10 2 2 2 2\n"}}},
    {"BrokenTimeiStopsComponents", "F 17 1.0\nF 2 CW\n", -9, {"Error in timei file: code 9\n"},
     {kComponents, kFlowWithoutCells}, {{"timei", kFallingTimei}}},
    {"BrokenTimeiStopsGroundwater", "F 17 1.0\nF 262 1 0.1\nF 2 GW\n", -9, {"Error in timei file: code 9\n"},
     {Ran("ComputeGroundwater"), kFlowWithoutCells}, {{"timei", kFallingTimei}}},
    {"BrokenTimeiStopsSediment", "F 17 1.0\nF 2 SW\n", -9, {"Error in timei file: code 9\n"},
     {Ran("morphology_tsc"), kFlowWithoutCells}, {{"timei", kFallingTimei}}},
    {"BrokenTimeiStopsWaterFlow", "F 17 1.0\nF 2 W\n", -9,
     {"Error in timei file: code 9\n", "The times on the data set are not in increasing order\n",
      "Have read 2 data sets from timei file: \n",
      "0.000000  1.000000 0.000000 0.000000 0.000000 0.000000 0.000000 0.000000 0.000000 0.000000\n",
      "10.000000  1.000000 0.000000 0.000000 0.000000 0.000000 0.000000 0.000000 0.000000 0.000000\n"},
     {Ran("SetActiveCellRange"), kFlowWithoutCells}, {{"timei", kFallingTimei}}},
    {"NoF2RunsNothing", "F 24 2\n", -4,
     {"TurbulenceModel = 2 (F 24)\n", "Error in control: no F 2 data set, so there is no task to run\n"},
     {kFlowWithoutCells, Ran("SetActiveCellRange"), kGridSetUp, "Error: can not open 'unstruc'"}},
    {"ValueRefusedEndsWithItsOwnStatus", "F 24 21\nF 2 W\n", kRefused, {"Error for F 24 in control"}, {kFlowWithoutCells}},
    {"StressOptionZeroLeavesLetterNIdle", "F 2 N\n", 1, {}, {Ran("InitialiseFlowRun")}},
    {"ResultsWrittenByLetterM", "F 2 MRO\n", 1,
     {"Warning: Have not been able to open interpol file\n\n", "Have not used 'bedres' file\n",
      "Have read 0 cell values from result file\n"},
     {Ran("ReadCon2resFiles")}},
    {"RemainingLettersReachTheirTasks", "F 2 KYL\n", kShallowWaterRefusedStatus,
     {"Bed roughness: no bed points, so 'bedrough.new' is not written\n",
      "Generating grid with F 64 11 algorithm\n",
      "The F 311 data set has to be used in the control file when computing the \nShallow-Water equations\n\n"}},
    {"LetterVWithoutBedPointsEndsTheRun", "F 2 V\n", -2,
     {"Error, cannot open the geodata file; the bed levels are not interpolated\n"}},
};

INSTANTIATE_TEST_SUITE_P(Rows, RunDriverTable, ::testing::ValuesIn(kRunDriverCases), EngineCaseName());

TEST(RunDriver, EmptyDirectoryCreatesControlAndSaysThatItNamesNoTask) {
    ProjectDir dir;
    EngineRun r = dir.run();
    EXPECT_EQ(r.status, -4);
    EXPECT_TRUE(HasLine(r.boogie, "Error in control: no F 2 data set, so there is no task to run"));
    EXPECT_EQ(dir.read("control"), "no values given\n");
    ASSERT_GE(r.boogie.size(), 3u);
    EXPECT_EQ(r.boogie[0], "RIVAX 2 2013 output file.");
    EXPECT_EQ(r.boogie[1], "In kread ");
    EXPECT_EQ(r.boogie[2], "");
    EXPECT_TRUE(HasLine(r.boogie, "TurbulenceModel = 0 (F 24)"));
    EXPECT_TRUE(HasLine(r.boogie, "Number of threads: 0 (F 206)"));
}

TEST(RunDriver, LastStatusTextAfterAllPasses) {
    ProjectDir dir;
    dir.write("control", "F 20 2\nF 2 D\n");
    EngineRun r = dir.run();
    EXPECT_EQ(r.status, 1);
    ASSERT_FALSE(r.out.empty());
    std::string last = r.out.substr(r.out.rfind('\n', r.out.size() - 2) + 1);
    EXPECT_EQ(last, " Initial run finished       \n");
}

TEST(RunDriver, ExistingControlIsNeverReplaced) {
    ProjectDir dir;
    // A dangling link cannot be opened for reading, yet a file of that name
    // exists: it must be left alone and the run refused.
    ASSERT_EQ(symlink("missing-target", dir.file("control").c_str()), 0);
    EngineRun r = dir.run();
    EXPECT_EQ(r.status, -4);
    EXPECT_TRUE(HasLine(r.boogie, "Error, cannot open file 'control'"));
    EXPECT_TRUE(std::filesystem::is_symlink(dir.file("control")));
    EXPECT_FALSE(dir.exists("missing-target"));
    EXPECT_NE(r.out.find("cannot open file 'control' "), std::string::npos);
}

TEST(RunDriver, UnreadableControlKeepsItsContent) {
    if (geteuid() == 0) GTEST_SKIP() << "root reads any file";
    ProjectDir dir;
    dir.write("control", "F 2 W\n");
    ASSERT_EQ(chmod(dir.file("control").c_str(), 0), 0);
    EngineRun r = dir.run();
    chmod(dir.file("control").c_str(), 0644);
    EXPECT_EQ(r.status, -4);
    EXPECT_EQ(dir.read("control"), "F 2 W\n");
}

TEST(RunDriver, LogThatCannotBeCreatedEndsWithMinusThree) {
    ProjectDir dir;
    dir.write("control", "F 2 W\n");
    std::filesystem::create_directory(dir.file("boogie"));
    EngineRun r = dir.run();
    EXPECT_EQ(r.status, -3);
    EXPECT_NE(r.out.find("cannot open file 'boogie' "), std::string::npos);
}

TEST(RunDriver, RunsTwiceInOneProcess) {
    ProjectDir first, second;
    first.write("control", "F 20 2\nF 24 3\nF 2 C\n");
    second.write("control", "F 2 C\n");
    EXPECT_EQ(first.runInProcess(), 1);
    EXPECT_EQ(second.runInProcess(), 1);
    std::vector<std::string> log = second.boogieLines();
    EXPECT_TRUE(HasLine(log, "TurbulenceModel = 0 (F 24)"));
    int flows = 0;
    for (const std::string& l : log) flows += l == "Started components";
    EXPECT_EQ(flows, 1);
}

}  // namespace
