// The `timei` reader: the series it fills, its flags and every error code.
#include <gtest/gtest.h>

#include <string>

#include "run/globals.h"
#include "run/log.h"
#include "run/run_services.h"
#include "tests/support/control_text.h"

namespace {

// An unsteady run with its arrays, reading the `timei` text given. The grid
// capacities are small: only the series matter here.
class Timei : public ::testing::Test {
protected:
    void SetUp() override {
        ResetGlobals();
        TimeStep = 1.0;
        MaxCeller = MaxFlater = MaxPoints = 100;
        NoGridLinesX = NoGridLinesY = 5;
    }
    void TearDown() override { ResetGlobals(); }

    int read(const std::string& text) {
        here.dir().write("timei", text);
        if (!TimeiTime.exists()) allocate();
        if (!LogCreate()) ADD_FAILURE() << "cannot create boogie";
        const int code = ReadTimeiFile();
        log = here.dir().read("boogie");
        return code;
    }

    void allocate() { ASSERT_GT(AllocateUnstructuredArrays(), 0.0); }

    InProjectDir here;
    std::string log;
};

// One inflow group with a surface, so concentrations per group are read.
void OneInflowGroup() { DischargeGroups[1].noSurfaces = 1; }

void TwoSizesOneGroup() {
    OneInflowGroup();
    NoSizes = 2;
    FlagTSC = 1;
}

struct TimeiErrorCase {
    const char* name;
    const char* text;
    int code;
    const char* lines;  // the code's own lines, before the row dump
    void (*setup)() = nullptr;
};

void PrintTo(const TimeiErrorCase& c, std::ostream* os) { *os << c.name; }

class TimeiErrors : public Timei, public ::testing::WithParamInterface<TimeiErrorCase> {};

TEST_P(TimeiErrors, CodeAndLines) {
    const TimeiErrorCase& c = GetParam();
    if (c.setup) c.setup();
    EXPECT_EQ(read(c.text), c.code);
    const std::string head = "Error in timei file: code " + std::to_string(c.code) + "\n" + c.lines + "Have read ";
    EXPECT_EQ(log.substr(0, head.size()), head) << log;
    if (c.code == 11) {
        EXPECT_STREQ(StatusText, "Error in 'timei': use F 81 or increase its value");
    } else {
        EXPECT_EQ(std::string(StatusText), "Error in 'timei' file: code " + std::to_string(c.code) + " ");
    }
}

const char* const kI = "I 0 1 1 1 1\n";
const std::string kTwentyRecords = [] {
    std::string s;
    for (int r = 0; r < 20; ++r) s += "O " + std::to_string(r) + " 1 u 5\n";
    return s;
}();

const TimeiErrorCase kErrorCases[] = {
    {"OHeadShort", "O 0", 1, ""},
    {"OTooManyItems", "O 0 26", 1, ""},
    {"ONegativeItemCount", "O 0 -1", 1, ""},
    {"ONegativeStart", "O -1 1 u 1", 2, ""},
    {"OStartFalls", "O 10 0\nO 5 0", 3, ""},
    {"OItemWithoutNumber", "O 0 1 u", 4, ""},
    {"OItemNegativeNumber", "O 0 1 u -1", 4, ""},
    {"OUnknownLetter", "O 0 1 x 1", 5, ""},
    {"OLevelWithoutSecond", "O 0 1 h 1", 6, ""},
    {"OSizeOutOfRange", "O 0 1 c 1 2", 6, ""},
    {"OComponentOutOfRange", "O 0 1 q 1 2", 17, "", [] { NoComponents = 2; }},
    {"IFourValues", "I 0 1 1 1", 8, "Have not read five floats on the I data set, or the time is negative\n"},
    {"INegativeTime", "I -1 1 1 1 1", 8, "Have not read five floats on the I data set, or the time is negative\n"},
    {"CommentWordStartsAnIDataSet", "Inflow from the river\n", 8,
     "Have not read five floats on the I data set, or the time is negative\n"},
    {"NotANumberIsNoValue", "I 0 1 1 1 nan", 8,
     "Have not read five floats on the I data set, or the time is negative\n"},
    {"DWithoutTime", "D", 8, "Have not read five floats on the I data set, or the time is negative\n"},
    {"ITimesFall", "I 0 1 1 1 1\nI 10 1 1 1 1\nI 5 1 1 1 1", 9,
     "The times on the data set are not in increasing order\n"},
    {"HTimesFall", "H 10 1 1\nH 5 1 1", 9, "The times on the data set are not in increasing order\n"},
    {"DTimesFall", "D 10 1 2 3 4 5 6 7 8 9\nD 5 1 2 3 4 5 6 7 8 9", 9,
     "The times on the data set are not in increasing order\n"},
    {"MTooFewConcentrations", "M 0 1 0.5", 10, "Not read enough numbers on the data set\n", [] { NoMDataSets = 2; }},
    {"NTooFewDischarges", "N 0 1 1 2 3", 10, "Not read enough numbers on the data set\n"},
    {"TooManyRows", "I 0 1 1 1 1\nI 1 1 1 1 1\nI 2 1 1 1 1", 11,
     "Too many time steps given in the timei file. Use F 81 in the control file or increase its existing value",
     [] { MaxTimeiSteps = 2; }},
    {"TooManyDRows", "D 0 1 2 3 4 5 6 7 8 9\nD 1 1 2 3 4 5 6 7 8 9\nD 2 1 2 3 4 5 6 7 8 9", 11,
     "Too many time steps given in the timei file. Use F 81 in the control file or increase its existing value",
     [] { MaxTimeiSteps = 2; }},
    {"IWithoutWind", kI, 12, "Have not read three wind parameters on the I data set\n", [] { WindSpeed[0] = 1.0; }},
    {"JNegativeSediment", "J 0 1 1 1 1 -0.1", 12, "Have not read three wind parameters on the I data set\n"},
    {"IWithoutKinetics", kI, 13, "Have not read irradiance parameter on the I data set\n",
     [] {
         QDataSets[0].qtype = 42;
         NoQDataSets = 1;
     }},
    {"NWithoutLevel", "N 0 1 1 2 3 4 5 6 7 8 9", 14, "", [] { ReferenceCell = 1; }},
    // The heat exchange reads the radiation, then the air temperature.
    {"MWithoutComponentInflow", "M 0 1 100", 14, "",
     [] {
         QDataSets[0].qtype = 1060;
         NoQDataSets = 1;
     }},
    {"MWithoutRadiationForHeat", "M 0 1", 13, "Have not read irradiance parameter on the I data set\n",
     [] {
         QDataSets[0].qtype = 1060;
         NoQDataSets = 1;
     }},
    {"DTimeDiffers", "I 0 1 1 1 1\nD 1 1 2 3 4 5 6 7 8 9", 15,
     "The times on the I/J and D data sets are not the same\n"},
    {"QTimeDiffers", "I 0 1 1 1 1\nQ 0.001 1 2 3 4 5 6 7 8 9", 15,
     "The times on the I/J and D data sets are not the same\n"},
    {"CTimeDiffers", "I 0 1 1 1 1\nC 2 0.1", 15, "The times on the I/J and D data sets are not the same\n",
     OneInflowGroup},
    {"CTooFew", "I 0 1 1 1 1\nC 0", 20, "Not read enough concentration numbers on the C data set\n", OneInflowGroup},
    {"QTooFew", "I 0 1 1 1 1\nQ 0 1 2 3", 30, "Not read enough discharge numbers on the Q data set\n"},
    {"QWithoutTime", "Q x", 63, "Have not read time step on the Q data set\n"},
    {"CNegativeTime", "C -1", 64, "Have not read time step on the C data set\n"},
    {"HTwoValues", "H 0 1", 65, "Have not read three numbers on the H data set\n"},
    {"ITooFewConcentrations", "I 0 1 1 1 1 0.1", 101,
     "Not read enough sediment concentrations on the I data set\n"
     "The number of floats should be 2 * 1 (sediment sizes * number of inflow groups)\n",
     TwoSizesOneGroup},
    {"DTooFewDischarges", "D 0 1 2 3", 102, "Have not read 9 discharges on the D data set\n"},
    {"JTooFewConcentrations", "J 0 1 1 1 1 0 0.1", 103,
     "Not read enough sediment concentrations on the J data set\n"
     "The number of floats should be 2 * 1 (sediment sizes * number of inflow groups)\n",
     TwoSizesOneGroup},
};

INSTANTIATE_TEST_SUITE_P(Rows, TimeiErrors, ::testing::ValuesIn(kErrorCases),
                         EngineCaseName());

// Code 7: the record is refused before anything of it is stored.
TEST_F(Timei, TwentyFirstORecordRefusedBeforeStored) {
    EXPECT_EQ(read(kTwentyRecords + "O 20 1 v 7\n"), 7);
    EXPECT_EQ(NoTimeoRecords, 20);
    EXPECT_EQ(TimeoRecords[19].startTime, 19.0);
    EXPECT_EQ(log.substr(0, 27), "Error in timei file: code 7");
}

TEST_F(Timei, ErrorDumpsTheRowsRead) {
    EXPECT_EQ(read("I 0 1 2 3 4\nI 10 5 6 7 8\nI 5 1 1 1 1\n"), 9);
    EXPECT_EQ(log,
              "Error in timei file: code 9\n"
              "The times on the data set are not in increasing order\n"
              "Have read 2 data sets from timei file: \n"
              "0.000000  2.000000 0.000000 0.000000 0.000000 0.000000 0.000000 0.000000 0.000000 0.000000\n"
              "10.000000  6.000000 0.000000 0.000000 0.000000 0.000000 0.000000 0.000000 0.000000 0.000000\n"
              "Reading of the timei file stopped at line 3\n");
}

TEST_F(Timei, MissingFileIsNoError) {
    allocate();
    NoTimeiSteps = 4;
    EXPECT_EQ(ReadTimeiFile(), 0);
    EXPECT_EQ(NoTimeiSteps, 0);
    EXPECT_STREQ(StatusText, "have not used 'timei' file ");
}

TEST_F(Timei, ILinesFillTheRows) {
    EXPECT_EQ(read("comment in lower case\nI 0 1 2 3 4\nI 60 5 6 7 8\n"), 0);
    EXPECT_EQ(log, "");
    ASSERT_EQ(NoTimeiSteps, 2);
    EXPECT_EQ(TimeiTime[1], 60.0);
    EXPECT_EQ(TimeiDischarge[1][0], 5.0);
    EXPECT_EQ(TimeiDischarge[1][1], 6.0);
    EXPECT_EQ(TimeiLevel2[1], 7.0);
    EXPECT_EQ(TimeiLevel[1], 8.0);
    EXPECT_EQ(TimeiTimeStepFlag, 0);
    EXPECT_EQ(TimeiInflowFlag, 0);
}

TEST_F(Timei, JAndMLinesSetTheTimeStepFlag) {
    NoMDataSets = 2;
    EXPECT_EQ(read("J 0 1 2 3 4 0.5\nM 10 0.7 0.01 0.02\n"), 0);
    ASSERT_EQ(NoTimeiSteps, 2);
    EXPECT_EQ(TimeiSediment[0], 0.5);
    EXPECT_EQ(TimeiSediment[1], 0.7);
    EXPECT_EQ(TimeiConc[1][0], 0.01);
    EXPECT_EQ(TimeiConc[1][1], 0.02);
    EXPECT_EQ(TimeiTimeStepFlag, 1);
}

TEST_F(Timei, DLinesAloneGiveTheRows) {
    ReferenceCell = 3;
    EXPECT_EQ(read("D 0 1 2 3 4 5 6 7 8 9 100.5\nD 30 9 8 7 6 5 4 3 2 1 101\n"), 0);
    ASSERT_EQ(NoTimeiSteps, 2);
    EXPECT_EQ(TimeiTime[1], 30.0);
    EXPECT_EQ(TimeiDischarge[0][9], 9.0);
    EXPECT_EQ(TimeiDischarge[1][1], 9.0);
    EXPECT_EQ(TimeiLevel[0], 100.5);
    EXPECT_EQ(TimeiInflowFlag, 1);
}

TEST_F(Timei, DAndQLinesRepeatTheTimesOfEarlierRows) {
    EXPECT_EQ(read("I 0 1 1 1 1\nI 50 1 1 1 1\nD 0.00005 1 2 3 4 5 6 7 8 9\nQ 50 9 8 7 6 5 4 3 2 1\n"), 0);
    EXPECT_EQ(NoTimeiSteps, 2);
    EXPECT_EQ(TimeiDischarge[0][2], 2.0);
    EXPECT_EQ(TimeiDischarge[1][2], 8.0);
    EXPECT_EQ(TimeiTime[0], 0.0);  // the I time stays
    EXPECT_EQ(TimeiInflowFlag, 1);
}

TEST_F(Timei, ConcentrationsGoToTheColumnsOfTheirGroupAndSize) {
    DischargeGroups[1].noSurfaces = 1;
    DischargeGroups[2].groupType = 2;  // an outflow group carries none
    DischargeGroups[2].noSurfaces = 1;
    DischargeGroups[4].noSurfaces = 1;
    NoSizes = 3;
    FlagTSC = 1;
    EXPECT_EQ(read("I 0 1 1 1 1 0.11 0.12 0.13 0.41 0.42 0.43\nC 0 1 2 3 4 5 6\n"), 0);
    EXPECT_EQ(TimeiConc[0][1], 1.0);  // C overwrote the I concentrations of row 0
    EXPECT_EQ(TimeiConc[0][3], 3.0);
    EXPECT_EQ(TimeiConc[0][4], 4.0);
    EXPECT_EQ(TimeiConc[0][6], 6.0);
}

// Nine inflow groups of three sizes need 28 columns, beyond the 20 of the
// M concentrations.
TEST_F(Timei, EveryGroupAndSizeHasAColumn) {
    for (int g = 1; g <= 9; ++g) DischargeGroups[g].noSurfaces = 1;
    NoSizes = 3;
    FlagTSC = 1;
    std::string line = "I 0 1 1 1 1";
    for (int k = 1; k <= 27; ++k) line.append(" ").append(std::to_string(k));
    EXPECT_EQ(read(line + "\n"), 0);
    EXPECT_EQ(TimeiConc[0][27], 27.0);
}

TEST_F(Timei, ORecordsHoldTheirItems) {
    NoSizes = 2;
    NoComponents = 3;
    EXPECT_EQ(read("O 5 5 u 10 h 3 7 c 4 2 q 6 1 Q 9\nO 5 0\n"), 0);
    ASSERT_EQ(NoTimeoRecords, 2);
    const TimeoRecord& r = TimeoRecords[0];
    EXPECT_EQ(r.startTime, 5.0);
    EXPECT_EQ(r.noItems, 5);
    EXPECT_EQ(std::string(r.letter, 5), "uhcqQ");
    EXPECT_EQ(r.value[0], 10);
    EXPECT_EQ(r.value[1], 3);
    EXPECT_EQ(r.value2[1], 3);
    EXPECT_EQ(r.value3[1], 7);
    EXPECT_EQ(r.size[2], 2);
    EXPECT_EQ(r.size[3], 1);
    EXPECT_EQ(r.size[4], 0);
    EXPECT_EQ(r.value2[0], 0);
}

TEST_F(Timei, ASecondCallReadsAfresh) {
    EXPECT_EQ(read("I 0 1 1 1 1\nI 10 1 1 1 1\nI 20 1 1 1 1\nO 0 0\n"), 0);
    EXPECT_EQ(read("I 0 7 7 7 7\n"), 0);
    EXPECT_EQ(NoTimeiSteps, 1);
    EXPECT_EQ(NoTimeoRecords, 0);
    EXPECT_EQ(TimeiDischarge[0][0], 7.0);
}

TEST_F(Timei, ByteTwoFiftyFiveEndsTheFile) {
    EXPECT_EQ(read("I 0 1 1 1 1\n\xffI 5 1 1 1 1\n"), 0);
    EXPECT_EQ(NoTimeiSteps, 1);
}

}  // namespace
