// Data sets F 1 to F 49: accepted values, refusals and derived settings.
#include <gtest/gtest.h>

#include <string>

#include "run/globals.h"
#include "tests/support/control_text.h"

namespace {

struct CheckCase {
    const char* text;
    int status;           // 0 when the data set is accepted
    const char* message;  // the log text of a refusal
};

void PrintTo(const CheckCase& c, std::ostream* os) { *os << '"' << c.text << '"'; }

class F1Checks : public ::testing::TestWithParam<CheckCase> {};

TEST_P(F1Checks, AcceptedOrRefused) {
    InProjectDir here;
    const CheckCase& c = GetParam();
    ReadOutcome out = ReadFirstPass(std::string(c.text) + "\n");
    if (c.status == 0) {
        EXPECT_FALSE(out.ended) << out.log;
    } else {
        EXPECT_TRUE(out.ended);
        EXPECT_EQ(out.status, c.status);
        EXPECT_NE(out.log.find(c.message), std::string::npos) << out.log;
    }
}

const CheckCase kF1Checks[] = {
    {"F 8 1.0", 0, ""},          {"F 8 1.01", kRefused, "Error for F 8 in control"},
    {"F 9 0.09", kRefused, "Error for F 9 in control"},
    {"F 10 Y", 0, ""},           {"F 10 X", kRefused, "Error for F 10 in control"},
    {"F 11 2.65 -1", 0, ""},     {"F 11 0.5", kRefused, "Error for F 11 in control"},
    {"F 11 2.65 1.5", kRefused, "Error for F 11 in control"},
    {"F 12 5", 0, ""},           {"F 12 0", kRefused, "Error for F 12 in control"},
    {"F 13 6", kRefused, "Error for F 13 in control"},
    {"F 14 5e10", 0, ""},        {"F 14 -1", kRefused, "Error for F 14 in control"},
    {"F 15 0", 0, ""},           {"F 15 20", 0, ""},
    {"F 15 -1", kRefused, "Error for F 15 in control"}, {"F 15 21", kRefused, "Error for F 15 in control"},
    {"F 16 -3", 0, ""},          {"F 16 10.5", kRefused, "Error for F 16 in control"},
    {"F 17 1e-10", 0, ""},       {"F 17 1e-11", kRefused, "Error for F 17 in control"},
    {"F 17", kRefused, "Error for F 17 in control"},  // the default 1e-20 fails the check
    {"F 18 0.00001", kRefused, "Error for F 18 in control"},
    {"F 19 11", kRefused, "Error for F 19 in control"},
    {"F 20 0", kRefused, "Error for F 20 in control"},
    {"F 21 -1.5", kRefused, "Error for F 21 in control"},
    {"F 22 0.5 -2", kRefused, "Error for F 22 in control"},
    {"F 23 0.5 -1", kRefused, "Error for F 23 in control"},
    {"F 24 21", kRefused, "Error for F 24 in control"},
    {"F 25 0.35 2 0.5 0.8 8", kRefused, "Error for F 25 in control"},
    {"F 25 0.35 2 0.5 0 5", kRefused, "Error for F 25 in control"},
    {"F 26 15", 0, ""},          {"F 26 16", kRefused, "Error for F 26 in control"},
    {"F 27 11", kRefused, "Error for F 27 in control"},
    {"F 27 2", 0, "Using SOU scheme for sediment calculations\n"},
    {"F 28 1 0 0 100", 0, ""},   {"F 28 1 -1 0 1", kRefused, "Error for F 28 in control"},
    {"F 30 0 1 2 3 4 7", kRefused, "Error for F 30 in control"},
    {"F 31 1 11", kRefused, "Error for F 31 in control"},
    {"F 32 1001", kRefused, "Error for F 32 in control"},
    {"F 33 1e-20 1", 0, ""},     {"F 33 1e-21 1", kRefused, "Error for F 33 in control"},
    {"F 33 1 -1", kRefused, "Error for F 33 in control"},
    {"F 33 5\nF 24 1", kRefused, "Two numbers are required on F 33 data set\n"},
    {"F 34 -1", kRefused, "Error for F 34 in control"},
    {"F 35 1.1", kRefused, "Error for F 35 in control"},
    {"F 36 200", 0, ""},         {"F 36 201", kRefused, "Error for F 36 in control"},
    {"F 37 3", 0, ""},           {"F 37 4", kRefused, "Error for F 37 in control"},
    {"F 37 -1", kRefused, "Error for F 37 in control"},
    {"F 38 -1", kRefused, "Error for F 38 in control"},
    {"F 39 -1", kRefused, "Error for F 39 in control"},
    {"F 40 10.5", kRefused, "Error for F 40 in control"},
    {"F 41 10001", kRefused, "Error for F 41 in control"},
    {"F 42 -10001", kRefused, "Error for F 42 in control"},
    {"F 47 -1", kRefused, "Error for F 47 in control"},
    {"F 48 101", kRefused, "Error for F 48 in control"},
    {"F 7 S", -1, "Error for F 7 data set in control file\nUse 10 spaces after the letters on the F 7 data set\n"},
    {"F 7 xF", -1, "Use 10 spaces after the letters on the F 7 data set\n"},
    {"F 14 nan", kRefused, "Error for F 14 in control"},
    {"F 17 inf", kRefused, "Error for F 17 in control"},
    {"F 20 99999999999", kRefused, "Error for F 20 in control"},
};

INSTANTIATE_TEST_SUITE_P(Rows, F1Checks, ::testing::ValuesIn(kF1Checks));

class InDir : public ::testing::Test {
protected:
    InProjectDir here;
};

using F1Values = InDir;

TEST_F(F1Values, RoughnessSetsBedAndInflow) {
    ReadFirstPass("F 16 0.05\n");
    EXPECT_DOUBLE_EQ(WallRoughness, 0.05);
    EXPECT_DOUBLE_EQ(InflowRoughness, 0.05);
}

TEST_F(F1Values, FreeSurfaceOptionDerivesPressureAndSimpleSettings) {
    ReadFirstPass("F 36 11\n");
    EXPECT_EQ(FreeSurfaceOption, 11);
    EXPECT_EQ(HydrostaticPressureFlag, 1);
    EXPECT_EQ(SimpleVariant, 30);
    ReadFirstPass("F 36 17\n");
    EXPECT_EQ(HydrostaticPressureFlag, 1);
    EXPECT_EQ(SimpleVariant, 0);
    ReadFirstPass("F 36 18\n");
    EXPECT_EQ(HydrostaticPressureFlag, 0);
}

TEST_F(F1Values, LaterKoominDataSetDecidesTheMode) {
    ReadFirstPass("F 41 2.0\nF 42 100.0\n");
    EXPECT_EQ(KoominMode, 42);
    ReadFirstPass("F 42 100.0\nF 41 2.0\n");
    EXPECT_EQ(KoominMode, 41);
    EXPECT_DOUBLE_EQ(KoominLevel, 100.0);
    EXPECT_DOUBLE_EQ(KoominDepth, 2.0);
}

TEST_F(F1Values, GeodataSearchRadiusIsOptional) {
    ReadFirstPass("F 47 0.1\nF 24 3\n");
    EXPECT_DOUBLE_EQ(GeodataReportDistance, 0.1);
    EXPECT_DOUBLE_EQ(GeodataSearchRadius, 1e10);
    EXPECT_EQ(TurbulenceModel, 3);
    ReadFirstPass("F 47 0.1 250\n");
    EXPECT_DOUBLE_EQ(GeodataSearchRadius, 250.0);
}

TEST_F(F1Values, TimeStepFromF17ThenF33InFileOrder) {
    ReadFirstPass("F 17 2.0\nF 33 0.5 4\n");
    EXPECT_DOUBLE_EQ(TimeStep, 0.5);
    EXPECT_EQ(NoIterPerStep, 4);
    ReadFirstPass("F 33 0.5 4\nF 17 2.0\n");
    EXPECT_DOUBLE_EQ(TimeStep, 2.0);
}

TEST_F(F1Values, ValuesContinueOnNextLines) {
    ReadFirstPass("F 4 0.7\n 20\n 0.02\nF 6 0.02 1.4 0.2\nF 30 1 2 3 4 5 6\n");
    EXPECT_DOUBLE_EQ(F4Value1, 0.7);
    EXPECT_EQ(NoSedIterations, 20);
    EXPECT_DOUBLE_EQ(F4Value3, 0.02);
    EXPECT_DOUBLE_EQ(VanRijnExpD, 0.2);
    EXPECT_EQ(F30Values[5], 6);
    EXPECT_EQ(F30Values[6], 0);
}

TEST_F(F1Values, RunOptionLettersSetTheirFlags) {
    ReadFirstPass("F 7 B\n");
    EXPECT_EQ(RunOptions[0], '\0');
    EXPECT_EQ(RunOptions[1], ' ');
    EXPECT_EQ(RunOptions[2], 'B');
    EXPECT_EQ(RunOptions[3], '\n');
    EXPECT_EQ(BedThicknessCheckOption, 1);
    EXPECT_EQ(F7EFlag, 0);
    ReadFirstPass("F 7 EG\n");
    EXPECT_EQ(F7EFlag, 1);
    EXPECT_EQ(F7PGOption, 2);
    ReadFirstPass("F 7 GP\n");
    EXPECT_EQ(F7PGOption, 1);
}

TEST_F(F1Values, DebugAndFormulaLettersSkipWhiteSpace) {
    ReadFirstPass("F 1 \n D\nF 10   E\n");
    EXPECT_EQ(DebugOption, 'D');
    EXPECT_EQ(SedFormula, 'E');
}

TEST_F(F1Values, DefaultsWithoutDataSets) {
    ReadFirstPass("no values given\n");
    EXPECT_EQ(DebugOption, 'N');
    EXPECT_DOUBLE_EQ(TimeStep, 1e-20);
    EXPECT_EQ(NoRunPasses, 1);
    EXPECT_DOUBLE_EQ(CriticalShields, -0.047);
    EXPECT_DOUBLE_EQ(LargeResidualFactor, 1e12);
    EXPECT_EQ(std::string(RunChoice, 20), std::string(20, '\0'));
}

}  // namespace
