// The reader's checks after the first pass and its level scan of `geodata`.
#include <gtest/gtest.h>

#include <string>

#include "run/globals.h"
#include "run/kread.h"
#include "tests/support/control_text.h"

namespace {

class KreadChecks : public ::testing::Test {
protected:
    void SetUp() override { ResetGlobals(); }
    InProjectDir here;
};

TEST_F(KreadChecks, SedimentWithoutFractionsEndsWithFailureStatus) {
    FlagTSC = 1;
    NoSizes = 2;
    ReadOutcome out = CaptureRunEnd(CheckBeforeAllocation);
    EXPECT_TRUE(out.ended);
    EXPECT_EQ(out.status, -1);  // never 0, the status of a successful stop
    EXPECT_EQ(out.log,
              "For sediment computations (F 37) it is necessary to specify N data sets\n"
              "in the control file, or use a 'fracres' file with an 'O' in the F 2 data set\n");
}

TEST_F(KreadChecks, FracresFileStandsInForFractions) {
    FlagTSC = 1;
    NoSizes = 2;
    here.dir().write("fracres", "");
    ReadOutcome out = CaptureRunEnd(CheckBeforeAllocation);
    EXPECT_FALSE(out.ended);
    EXPECT_EQ(NoNDataSets, -1);
}

TEST_F(KreadChecks, PartitionRunLooksForItsOwnFracres) {
    FlagTSC = 1;
    NoSizes = 2;
    MpiPart = 3;
    here.dir().write("fracres", "");
    EXPECT_TRUE(CaptureRunEnd(CheckBeforeAllocation).ended);
    here.dir().write("fracres.mpi3", "");
    EXPECT_FALSE(CaptureRunEnd(CheckBeforeAllocation).ended);
}

TEST_F(KreadChecks, ThreadsWithPressureOptionRefused) {
    F7EFlag = 1;
    NoThreads = 2;
    ReadOutcome out = CaptureRunEnd(CheckBeforeAllocation);
    EXPECT_EQ(out.status, -1);
    EXPECT_NE(out.log.find("pressure-correction function\n\n"), std::string::npos);
}

TEST_F(KreadChecks, FaceWallLawsWithoutTheirLawRefused) {
    const struct {
        int law, faceBased;
        bool refused;
    } rows[] = {{19, 1, true}, {1000, 1, true}, {3, 1, true}, {8, 1, false}, {0, 1, false}, {19, 0, false}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.law);
        ResetGlobals();
        WallLaw = row.law;
        FaceWallLawFlag = row.faceBased;
        ReadOutcome out = CaptureRunEnd(CheckBeforeAllocation);
        EXPECT_EQ(out.ended, row.refused);
        if (!row.refused) continue;
        EXPECT_EQ(out.status, -1);
        const std::string line = "The combination F 305 1 and F 15 " + std::to_string(row.law) +
                                 " has no wall law: use F 15 0, 5 or 8 with F 305 1\n";
        EXPECT_TRUE(out.log.ends_with(line)) << out.log;
    }
}

TEST_F(KreadChecks, MultigridWithSurfaceOptionRefused) {
    MultigridChoice = 1;
    for (int option : {12, 13, 19, 20}) {
        FreeSurfaceOption = option;
        ReadOutcome out = CaptureRunEnd(CheckBeforeAllocation);
        bool refused = option >= 13 && option <= 19;
        EXPECT_EQ(out.ended, refused) << option;
        if (refused) {
            EXPECT_EQ(out.status, -1);
            EXPECT_NE(out.log.find("your choise of F 36 data set.\n\n"), std::string::npos);
        }
    }
}

struct AfterCase {
    const char* name;
    void (*set)();
    int status;
    const char* message;
};

void PrintTo(const AfterCase& c, std::ostream* os) { *os << c.name; }

class AfterAllocation : public ::testing::TestWithParam<AfterCase> {};

TEST_P(AfterAllocation, Refused) {
    InProjectDir here;
    ResetGlobals();
    GetParam().set();
    ReadOutcome out = CaptureRunEnd(CheckAfterAllocation);
    EXPECT_TRUE(out.ended);
    EXPECT_EQ(out.status, GetParam().status);
    EXPECT_NE(out.log.find(GetParam().message), std::string::npos) << out.log;
}

const AfterCase kAfterCases[] = {
    {"NegativeG7Count", [] { NoG7Records = -2; }, -1, "Input error for G 7 in control\nError = -2\n"},
    {"SedimentWithGridAlgorithmZero", [] { FlagTSC = 1; GridAlgorithm = 0; }, -1,
     "Often F 64 11 is used in combination with F 37\n"},
    {"BedChangeRoutineWithVariant", [] { BedChangeRoutine = 1; BedChangeVariant = 2; }, -1,
     "Error in control file: Remove the F 255 data set when using one of the F 144, F 205 or F 266 data sets\n"},
    {"BedChangeRoutineWithBankFailure", [] { BedChangeRoutine = 1; BankFailureOption = 1; }, -1, "Remove the F 255"},
    {"BedChangeRoutineWithF144", [] { BedChangeRoutine = 1; F144Option = 1; }, -1, "Remove the F 255"},
    {"FractionsShort", [] { NoSizes = 2; GrainFractions[0][1] = 0.5; GrainFractions[0][2] = 0.4998; }, -4,
     "Error, N - data sets : Sum of fractions = 9.998000e-01\nNumber of N data sets read: 0\n\n"},
};

INSTANTIATE_TEST_SUITE_P(Rows, AfterAllocation, ::testing::ValuesIn(kAfterCases),
                         [](const auto& i) { return std::string(i.param.name); });

TEST_F(KreadChecks, AcceptedCombinationsOnlyWarn) {
    FlagTSC = 1;  // with the default grid algorithm
    ArtificialViscosity = 2.5;
    F23Value1 = 0.5;
    NoSizes = 2;
    GrainFractions[0][1] = 0.5;
    GrainFractions[0][2] = 0.49995;
    ReadOutcome out = CaptureRunEnd(CheckAfterAllocation);
    EXPECT_FALSE(out.ended) << out.log;
    EXPECT_EQ(out.log, "Warning: using artificial viscosity of 2.500000e+00\nUsing accellertated deposition routine\n");
}

TEST(KreadGeodata, LevelsFromBedPoints) {
    ProjectDir dir;
    dir.write("control", "F 2 X\n");
    dir.write("geodata", "E 0 0 12.5\nE 1 0 10\nE 2 0 20\nE 3 0 15\n");
    EXPECT_EQ(dir.runInProcess(), 0);
    EXPECT_DOUBLE_EQ(InitialWaterLevel, 21.0);
    for (int k = 0; k <= 10; ++k) EXPECT_DOUBLE_EQ(zdistrib[1 + k], 10.0 + k) << k;
    EXPECT_DOUBLE_EQ(zdistrib[12], 0.0);
}

TEST(KreadGeodata, UnreadableFileKeepsDefaultsWithWarning) {
    ProjectDir dir;
    dir.write("control", "F 2 X\n");
    dir.write("geodata", "x y z\n");
    EXPECT_EQ(dir.runInProcess(), 0);
    EXPECT_DOUBLE_EQ(InitialWaterLevel, 1.0);
    EXPECT_DOUBLE_EQ(zdistrib[11], 1.0);
    std::vector<std::string> log = dir.boogieLines();
    bool warned = false;
    for (const std::string& l : log) warned |= l.rfind("Warning: no bed points could be read", 0) == 0;
    EXPECT_TRUE(warned);
}

TEST(KreadGeodata, MissingFileIsNoError) {
    ProjectDir dir;
    dir.write("control", "F 2 X\n");
    EXPECT_EQ(dir.runInProcess(), 0);
    EXPECT_DOUBLE_EQ(InitialWaterLevel, 1.0);
    for (const std::string& l : dir.boogieLines()) EXPECT_EQ(l.find("geodata"), std::string::npos) << l;
}

}  // namespace

#include "run/run_driver.h"

namespace {

TEST(SedimentInflowSources, BothTimeiAndMDataSetsRefused) {
    InProjectDir here;
    ResetGlobals();
    FlagTSC = 1;
    TimeiInflowFlag = 1;
    NoMDataSets = 1;
    ReadOutcome out = CaptureRunEnd(CheckSedimentInflowSources);
    EXPECT_EQ(out.status, -6);
    EXPECT_EQ(out.log,
              "Error: Sediment inflow can not be specified in both the timei file and\n"
              "on the M data sets in the control file\n\n");
    NoMDataSets = 0;
    EXPECT_FALSE(CaptureRunEnd(CheckSedimentInflowSources).ended);
}

}  // namespace

#include "sediment/sediment_data.h"

namespace {

TEST(LetterI, CopiesEverySizeButTheTotalToOldValues) {
    ResetGlobals();
    NoSizes = 2;
    NoCells = 3;
    ASSERT_TRUE(conc.allocate(3, 5));
    ASSERT_TRUE(conc_old.allocate(3, 5));
    for (int s = 0; s <= 2; ++s) {
        for (int c = 0; c <= 4; ++c) conc[s][c] = 10 * s + c;
    }
    CopyConcentrationsToOld();
    EXPECT_EQ(conc_old[0][1], 0.0);  // the total is not copied
    EXPECT_EQ(conc_old[1][0], 0.0);  // nor cell 0
    EXPECT_EQ(conc_old[1][3], 13.0);
    EXPECT_EQ(conc_old[2][1], 21.0);
    EXPECT_EQ(conc_old[2][4], 0.0);  // beyond NoCells
    ResetGlobals();
}

}  // namespace
