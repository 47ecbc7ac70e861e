// The boundary profile files `cyclic`, `inflow` and `inspace`.
#include <gtest/gtest.h>

#include <string>

#include "run/globals.h"
#include "run/log.h"
#include "run/run_services.h"
#include "tests/support/control_text.h"
#include "tests/support/read_cases.h"

namespace {

// Reads one file of the kind named by the table, in a fresh project.
ReadOutcome ReadProfile(const char* file, void (*reader)(), const FileCase& c) {
    InProjectDir here;
    ResetGlobals();
    if (c.setup) c.setup();
    EXPECT_EQ(AllocateStructuredArrays(), 0);
    here.dir().write(file, c.text);
    EXPECT_TRUE(LogCreate());
    return CaptureRunEnd(reader);
}

void CheckOutcome(const FileCase& c, const ReadOutcome& out) {
    ExpectOutcome(out, c.log, c.status);
    if (c.holds) {
        EXPECT_TRUE(c.holds());
    }
}

// ---- cyclic

class CyclicFile : public ::testing::TestWithParam<FileCase> {};

TEST_P(CyclicFile, LogAndProfile) {
    const FileCase& c = GetParam();
    CheckOutcome(c, ReadProfile("cyclic", ReadCyclicFile, c));
    ResetGlobals();
}

void CyclicOn() { CyclicInterval = 5; }

std::string CyclicLines(int count) {
    std::string s;
    for (int k = 1; k <= count; ++k) s += std::to_string(k) + " 1.5 0.01 0.001\n";
    return s;
}

const FileCase kCyclicCases[] = {
    {"ThreeLevels", "1 0.5 0.01 0.001\n2 0.7 0.02 0.002\n3 0.9 0.03 0.003\n", kAccepted,
     "Have read 3 points from cyclic file\n", CyclicOn,
     [] { return CyclicFileFlag == 1 && CyclicU[3] == 0.9 && CyclicK[2] == 0.02 && CyclicE[1] == 0.001; }},
    {"MismatchedLevelStoredThenStops", "2 0.5 0.01 0.001\n3 0.7 0.02 0.002\n", kAccepted,
     "Have read 2 points from cyclic file\n", CyclicOn,
     [] { return CyclicFileFlag == 1 && CyclicU[1] == 0.5 && CyclicU[2] == 0.0; }},
    {"Empty", "", kAccepted, "Have read 0 points from cyclic file\n", CyclicOn, [] { return CyclicFileFlag == 0; }},
    {"OneLevelSetsNoFlag", "1 0.5 0.01 0.001\n", kAccepted, "Have read 1 points from cyclic file\n", CyclicOn,
     [] { return CyclicFileFlag == 0; }},
    {"UnreadableLineEndsTheProfile", "1 0.5 0.01 0.001\n2 0.7 nan 0.002\n3 0.9 0.03 0.003\n", kAccepted,
     "Have read 1 points from cyclic file\n", CyclicOn, [] { return CyclicK[2] == 0.0; }},
    {"NoMoreThanTheGridLevels", CyclicLines(4), kAccepted, "Have read 2 points from cyclic file\n",
     [] {
         CyclicOn();
         NoGridLinesZ = 2;
     },
     [] { return CyclicU[3] == 0.0; }},
    {"NoMoreThanTheTableHolds", CyclicLines(600), kAccepted,
     "Warning: only the first 499 levels of the cyclic file can be stored; the rest is not read\n"
     "Have read 499 points from cyclic file\n",
     [] {
         CyclicOn();
         NoGridLinesZ = 600;
         NoGridLinesX = NoGridLinesY = 10;
     },
     [] { return CyclicU[499] == 1.5; }},
    {"NotReadWithoutF174", "1 0.5 0.01 0.001\n2 0.7 0.02 0.002\n", kAccepted, "", nullptr,
     [] { return CyclicFileFlag == 0 && CyclicU[1] == 0.0; }},
    {"NotReadAgainOnceRead", "1 0.5 0.01 0.001\n2 0.7 0.02 0.002\n", kAccepted, "",
     [] {
         CyclicOn();
         CyclicFileFlag = 1;
     },
     [] { return CyclicU[1] == 0.0; }},
};

INSTANTIATE_TEST_SUITE_P(Rows, CyclicFile, ::testing::ValuesIn(kCyclicCases), EngineCaseName());

// ---- inflow

class InflowFile : public ::testing::TestWithParam<FileCase> {};

TEST_P(InflowFile, LogAndTable) {
    const FileCase& c = GetParam();
    CheckOutcome(c, ReadProfile("inflow", ReadInflowFile, c));
    ResetGlobals();
}

const FileCase kInflowCases[] = {
    {"TwoLines", "D 1 1 0.5 0.1 0.2 0.01 0.001\nD 3 2 0.6 0.0 0.0 0.02 0.002\n", kAccepted,
     "Have read 2 points in a 3 x 2 array from inflow file\n", nullptr,
     [] {
         return NoInflowPoints == 3 && NoInflowLevels == 2 && InflowFileU[3][2] == 0.6 && InflowFileV[1][1] == 0.1 &&
                InflowFileW[1][1] == 0.2 && InflowFileK[3][2] == 0.02 && InflowFileE[1][1] == 0.001;
     }},
    {"LargestIndexes", "D 499 49 1 2 3 4 5\n", kAccepted, "Have read 1 points in a 499 x 49 array from inflow file\n",
     nullptr, [] { return InflowFileE[499][49] == 5.0; }},
    {"IndexTooLarge", "D 500 3 1 2 3 4 5\n", -2,
     "Error in reading inflow file, too large indexes in inflow file: 500 3\n"},
    {"LevelTooLarge", "D 3 50 1 2 3 4 5\n", -2, "Error in reading inflow file, too large indexes in inflow file: 3 50\n"},
    {"NegativeIndex", "D -1 3 1 2 3 4 5\n", -8,
     "Error in reading inflow file, negative indexes in inflow file: -1 3\n"},
    {"NegativeLevel", "D 1 -3 1 2 3 4 5\n", -8,
     "Error in reading inflow file, negative indexes in inflow file: 1 -3\n"},
    {"BlankBeforeTheLetter", " D 1 1 1 2 3 4 5\n", -8, "Error in reading inflow file, the D data set has to be used\n"},
    {"OtherLetter", "E 1 1 1 2 3 4 5\n", -8, "Error in reading inflow file, the D data set has to be used\n"},
    {"FourReals", "D 1 1 1 2 3 4\n", -3,
     "Error in reading inflow file for line: 1 1\nNote that five floating point numbers must be given\n"},
    {"InfiniteValue", "D 1 1 1 2 3 4 inf\n", -3,
     "Error in reading inflow file for line: 1 1\nNote that five floating point numbers must be given\n"},
    {"Empty", "", kAccepted, "Have read 0 points in a 0 x 0 array from inflow file\n"},
};

INSTANTIATE_TEST_SUITE_P(Rows, InflowFile, ::testing::ValuesIn(kInflowCases), EngineCaseName());

// ---- inspace

class InspaceFile : public ::testing::TestWithParam<FileCase> {};

TEST_P(InspaceFile, LogAndProfiles) {
    const FileCase& c = GetParam();
    CheckOutcome(c, ReadProfile("inspace", ReadInspaceFile, c));
    ResetGlobals();
}

const std::string kTen = " 0.5 0 0 0 0 0 0 0 0 0.25\n";
const char* const kRead = "Inspace file read: \n";

void SeriesOf3() { InspaceTimeCount = 3; }
void ManySizes() { NoSizes = 25; }

std::string Times(int count) {
    std::string s = "A 1\n";
    for (int k = 0; k < count; ++k) s += "T " + std::to_string(10 * k) + "\n";
    return s;
}

const FileCase kInspaceCases[] = {
    {"FixedProfile", "A 1\nB 1" + kTen, kAccepted, kRead, nullptr,
     [] { return InspaceMode == 1 && InspaceProfile[1][1] == 0.5 && InspaceProfile[1][10] == 0.25; }},
    {"FirstByteIsAlwaysTaken", "B 1" + kTen, kAccepted, kRead, nullptr,
     [] { return InspaceMode == 0 && InspaceProfile[1][1] == 0.0; }},
    {"ModeTwoIsKept", "A 2\nB 1" + kTen, kAccepted, kRead, nullptr, [] { return InspaceMode == 2; }},
    {"AWithoutInteger", "A x", -8,
     "Error in reading the inspace file, the A data set has to be used with an integer\n"},
    {"AZero", "A 0", -8, "Error in reading the inspace file, the A data set has to be used with an integer\n"},
    {"BWithF294", "A 1\nB 1" + kTen, -12,
     "Error in inspace file or F 294 data set: The B data set in the inspace\n"
     "file can not be used with the F 294 data set in the control file\n",
     SeriesOf3},
    {"BSizeNotOfTheRun", "A 1\nB 2" + kTen, -8,
     "Error in reading the inspace file, not correct first integer on the B data set\n"},
    {"BSizeBeyondTheTable", "A 1\nB 20" + kTen, -8,
     "Error in reading the inspace file: size 20 on the B data set is above the 19 sizes the file can give\n",
     ManySizes},
    {"BLargestSize", "A 1\nB 19" + kTen, kAccepted, kRead, ManySizes, [] { return InspaceProfile[19][1] == 0.5; }},
    {"BTooFewReals", "A 1\nB 1 0.5 0 0\n", -8, "Error in reading the inspace file, not enough data on the B data set\n"},
    {"TWithoutF294", "A 1\nT 0\n", -9,
     "Error in reading inspace file, the T data set has to be used together with the F 294 data set\n"},
    {"CWithoutF294", "A 1\nC 1" + kTen, -9,
     "Error in reading inspace file, the C data set has to be used together with the F 294 data set\n"},
    {"CBeforeAnyT", "A 1\nC 1" + kTen, -9,
     "Error in reading inspace file, a T data set has to come before the first C data set\n", SeriesOf3},
    {"TimesFall", "A 1\nT 0\nT 100\nT 50\n", -11,
     "Error in reading inspace file, time steps has to increase for time step 2\n", SeriesOf3},
    {"FiveTimesFitF294Three", Times(5), kAccepted, kRead, SeriesOf3,
     [] { return NoInspaceTimes == 5 && InspaceTimes[4] == 40.0; }},
    {"SixTimesDoNot", Times(6), -10, "Error in reading inspace file, increase F 294 integer\n", SeriesOf3,
     [] { return NoInspaceTimes == 5; }},
    {"TWithoutTime", "A 1\nT x\n", -8, "Error in reading the inspace file, no time on the T data set number 1\n",
     SeriesOf3},
    {"CSizeNotOfTheRun", "A 1\nT 5\nC 3" + kTen, -8,
     "Error in reading the inspace file, not correct first integer on the C data set\nfor time step 5.000000\n\n",
     SeriesOf3},
    {"CTooFewReals", "A 1\nT 5\nC 1 1 2 3\n", -8,
     "Error in reading the inspace file, not enough data on the C data set\n"
     "for time step 5.000000, size no: 1, point no: 4\n\n",
     SeriesOf3},
    {"ProfilesPerTime", "A 1\nT 0\nC 1" + kTen + "T 100\nC 1 0.1 0 0 0 0 0 0 0 0 0\n", kAccepted, kRead, SeriesOf3,
     [] {
         return NoInspaceTimes == 2 && InspaceConcSeries[0][1][1] == 0.5 && InspaceConcSeries[0][1][10] == 0.25 &&
                InspaceConcSeries[1][1][1] == 0.1 && InspaceTimes[1] == 100.0;
     }},
};

INSTANTIATE_TEST_SUITE_P(Rows, InspaceFile, ::testing::ValuesIn(kInspaceCases), EngineCaseName());

TEST(InspaceFile, MissingFileLogsNothing) {
    InProjectDir here;
    ResetGlobals();
    ASSERT_TRUE(LogCreate());
    ReadOutcome out = CaptureRunEnd(ReadInspaceFile);
    EXPECT_FALSE(out.ended);
    EXPECT_EQ(out.log, "");
}

TEST(CyclicFile, MissingFileIsReported) {
    InProjectDir here;
    ResetGlobals();
    CyclicOn();
    ASSERT_TRUE(LogCreate());
    EXPECT_EQ(CaptureRunEnd(ReadCyclicFile).log, "Have not used cyclic file\n");
    EXPECT_EQ(CaptureRunEnd(ReadInflowFile).log, "Have not used cyclic file\nHave not used inflow file\n");
}

// ---- through the engine

class ProfileFilesEngine : public ::testing::TestWithParam<EngineCase> {};

TEST_P(ProfileFilesEngine, LogAndStatus) { CheckEngineCase(GetParam()); }

const EngineCase kEngineCases[] = {
    {"CyclicRead", "F 174 5\nF 2 X\n", 0, {"Have read 3 points from cyclic file\n", "Have not used inflow file\n"}, {},
     {{"cyclic", "1 0.5 0.01 0.001\n2 0.7 0.02 0.002\n3 0.9 0.03 0.003\n"}}},
    {"CyclicMissing", "F 174 5\nF 2 X\n", 0, {"Have not used cyclic file\n"}},
    {"InflowRead", "F 2 X\n", 0, {"Have read 2 points in a 3 x 2 array from inflow file\n"}, {},
     {{"inflow", "D 1 1 0.5 0.1 0.2 0.01 0.001\nD 3 2 0.6 0.0 0.0 0.02 0.002\n"}}},
    {"InflowBadIndex", "F 2 X\n", -8, {"Error in reading inflow file, negative indexes in inflow file: 0 -1\n"},
     {"Inspace file read"}, {{"inflow", "D 0 -1 0.5 0.1 0.2 0.01 0.001\n"}}},
    {"InspaceRead", "F 2 X\n", 0, {"Have not used inflow file\n", "Inspace file read: \n"}, {},
     {{"inspace", "A 1\nB 1 0.5 0 0 0 0 0 0 0 0 0\n"}}},
};

INSTANTIATE_TEST_SUITE_P(Rows, ProfileFilesEngine, ::testing::ValuesIn(kEngineCases), EngineCaseName());

}  // namespace
