// The data sets B, H, I, L, M, N, P and S: values, checks with their
// messages, list capacities and the re-check against the final sizes.
#include <string>

#include <gtest/gtest.h>

#include "tests/support/read_cases.h"

namespace {

// "P 12 1 n v v v ..." with n values.
std::string PList(int number, int count, const std::string& value) {
    std::string text = "P " + std::to_string(number) + " 1 " + std::to_string(count);
    for (int k = 0; k < count; ++k) text += " " + value;
    return text;
}

const std::string kSFirst = "Input error for S in control: incorrect first integer\n";
const std::string kNWarning =
    "Input error for N data set in control file: in RIVAX 2 there is only\n"
    "one grain size distribution for the N data sets, and it has number 0.\n"
    "If you want a spatially varying grain size distribution, use the fracres file\n\n";
const std::string kMSecond = "Second integer less than zero, or larger than what is given on F 50 data set\n";

std::string SFloats(int i) { return "Input error for S in control in second or third float for i=" + std::to_string(i) + "\n"; }
std::string SOrder(int i) {
    return "Input error for S " + std::to_string(i) +
           " in control file: The coarsest sediment sizes have to be given first\n";
}

TEST(DataSetsLetters, Defaults) {
    ResetGlobals();
    EXPECT_EQ(NoBRecords, -1);
    EXPECT_EQ(PlanNumber, 2);
    EXPECT_EQ(PlanCellLevel, 2);
    EXPECT_EQ(P3Int1, 2);
    EXPECT_EQ(P3Int4, 1);
    EXPECT_EQ(PlotModeLetter, 'g');
    EXPECT_EQ(P2Value3, 1.0);
    EXPECT_EQ(P2Value4, 0.0);
    EXPECT_EQ(GrainFractions[0][1], 1.0);
    EXPECT_EQ(MDataSetValues[1].order[0], -1);
    EXPECT_EQ(MDataSetValues[9].order[19], -1);
    EXPECT_EQ(HRecords[13].hcount, 0);
    const HRecord& r = HRecords[14];
    ASSERT_EQ(r.hcount, 7);
    EXPECT_EQ(r.hvalue[0], -1.0);
    EXPECT_EQ(r.hint1[0], 3);
    EXPECT_EQ(r.hvalue[4], 0.1);
    EXPECT_EQ(r.hint1[4], 8);
    EXPECT_EQ(r.hvalue[6], 100.0);
    EXPECT_EQ(r.hint1[6], 7);
    EXPECT_EQ(r.hint2[6], 2);
}

TEST(DataSetsLetters, SedimentSizes) {
    CheckReadCases({
        {"S 1 0.002 0.2\nS 2 0.001 0.1", "", kAccepted,
         [] { return Diameter[1] == 0.002 && FallVelocity[1] == 0.2 && Diameter[2] == 0.001 && FallVelocity[2] == 0.1; }},
        {"S 1 0.002 0.2\nS 2 0.002 0.1", "", kAccepted},
        // Size 1 still has diameter 0 when S 2 comes first.
        {"S 2 0.001 0.1\nS 1 0.002 0.2", SOrder(2), kRefused},
        {"S 1 0.001 0.1\nS 2 0.002 0.1", SOrder(2), kRefused},
        {"S 3 0.001 0.1", kSFirst, kRefused},
        {"S 0 0.001 0.1", kSFirst, kRefused},
        {"S -1 0.001 0.1", kSFirst, kRefused},
        {"S 1 0.002", SFloats(1), kRefused},
        {"S 1 -0.002 0.1", SFloats(1), kRefused},
        {"S 1 0.002 2e6", SFloats(1), kRefused},
        // NoSizes + 1 is accepted, but size 51 has no slot; a grain of no
        // size is refused.
        {"F 79 0 50\nS 50 0 0", SFloats(50), kRefused},
        {"S 1 0 0.1", SFloats(1), kRefused},
        {"F 79 0 50\nS 51 0 0", kSFirst, kRefused},
        // Checked again against the final number of sizes.
        {"G 1 20 20 11 3\nS 1 .3 .1\nS 2 .2 .1\nS 3 .1 .1\nS 4 .05 .1\nG 1 20 20 11 3", "", kAccepted},
        {"G 1 20 20 11 3\nS 1 .3 .1\nS 2 .2 .1\nS 3 .1 .1\nS 4 .05 .1\nG 1 20 20 11 2", kSFirst, kRefused},
    });
}

TEST(DataSetsLetters, GrainFractions) {
    CheckReadCases({
        {"F 79 0 2\nN 0 1 0.6\nN 0 2 0.4", "", kAccepted,
         [] { return NoNDataSets == 2 && GrainFractions[0][1] == 0.6 && GrainFractions[0][2] == 0.4; }},
        {"N 1 1 0.5", kNWarning, kAccepted,
         [] { return NoNDataSets == 1 && GrainFractions[1][1] == 0.5 && GrainFractions[0][1] == 1.0; }},
        {"N 19 49 0.5", kNWarning, kAccepted, [] { return GrainFractions[19][49] == 0.5; }},
        {"N 0 50 0.1", "Input error for N data set in control file, size 50, fraction 0.100000\n", kRefused},
        {"N 0 0 0.1", "Input error for N data set in control file, size 0, fraction 0.100000\n", kRefused},
        {"N 0 1 1.5", "Input error for N data set in control file, size 1, fraction 1.500000\n", kRefused},
        {"N 0 1 -0.25", "Input error for N data set in control file, size 1, fraction -0.250000\n", kRefused},
        // Distributions outside the table are refused before anything is stored.
        {"N 20 1 0.5", kNWarning + "Input error for N data set in control file, distribution 20\n", kRefused},
        {"N -1 1 0.5", "Input error for N data set in control file, distribution -1\n", kRefused,
         [] { return NoNDataSets == 0; }},
    });
}

TEST(DataSetsLetters, InflowConcentrations) {
    CheckReadCases({
        {"M 10 1 5.0", "Error for M 10 data set\nFirst integer must be between 1 and 9\n", kRefused},
        {"M 0 1 5.0", "Error for M 0 data set\nFirst integer must be between 1 and 9\n", kRefused},
        {"F 79 0 3\nM 1 3 5.0", "", kAccepted,
         [] { return MDataSetValues[1].mvalue[3] == 5.0 && MDataSetValues[1].order[3] == 0 && NoMDataSets == 1; }},
        {"F 79 0 2\nM 1 3 5.0", "Error for M 1 3 data set\n" + kMSecond, kRefused},
        {"M 1 -1 5.0", "Error for M 1 -1 data set\n" + kMSecond, kRefused},
        {"F 50 3\nF 79 0 0\nM 9 2 1.5", "", kAccepted, [] { return MDataSetValues[9].mvalue[2] == 1.5; }},
        {"M 2 1 3.0\nM 3 0 1.0\nM 2 1 4.0", "", kAccepted,
         [] {
             return MDataSetValues[2].mvalue[1] == 4.0 && MDataSetValues[2].order[1] == 2 &&
                    MDataSetValues[3].order[0] == 1 && MDataSetValues[2].order[0] == -1 && NoMDataSets == 3;
         }},
        {"M 1 1 x", "Error for M 1 1 data set\n", kRefused},
        // A row holds 20 values, whatever F 50 and the sizes allow.
        {"F 79 0 25\nM 1 19 1.0", "", kAccepted, [] { return MDataSetValues[1].mvalue[19] == 1.0; }},
        {"F 79 0 25\nM 1 20 1.0", "Error for M 1 20 data set\nSecond integer must be below 20\n", kRefused},
        // Checked again against the final sizes.
        {"F 79 0 3\nM 1 3 5.0\nF 79 0 2", "Error for M 1 3 data set\n" + kMSecond, kRefused},
        {"F 50 3\nM 1 2 5.0\nF 50 3", "", kAccepted},
    });
}

TEST(DataSetsLetters, OutdatedLAndHLists) {
    CheckReadCases({
        {"I 1 2.5",
         "Warning, the values on the I data set in the control file are not used in RIVAX 2\n"
         "Use the timei file or the M data set instead\n\n",
         kAccepted, [] { return IValues[1] == 2.5; }},
        {"I 2 2.5", "Input error for I in control", kRefused},
        {"I -1 2.5", "Input error for I in control", kRefused},
        {"L 3 1 2 3", "", kAccepted, [] { return NoLValues == 3 && LValues[2] == 3.0; }},
        {"L 20" + RepeatLines(" 7", 20), "", kAccepted,
         [] { return NoLValues == 20 && LValues[19] == 7.0; }},
        {"L 21" + RepeatLines(" 7", 21), "Input error for L 21 in control\n", kRefused, [] { return LValues[0] == 0.0; }},
        {"H 14 0", "", kAccepted, [] { return HRecords[14].hcount == 0; }},
        {"H 15 1 1.0 1 1\nH 20 0", "", kAccepted, [] { return HRecords[14].hcount == 7; }},
        {"H 3 2 0.5 1 2 1.5 16 0", "", kAccepted,
         [] {
             const HRecord& r = HRecords[3];
             return r.hcount == 2 && r.hvalue[1] == 1.5 && r.hint1[1] == 16 && r.hint2[1] == 0;
         }},
        {"H 3 21", "Input error for H 3 in control\nData points must not exceed 20\n", kRefused},
        {"H 3 1 0.5 17 2", "Input error for H 3 in control\n", kRefused},
        {"H 3 1 0.5 1 -1", "Input error for H 3 in control\n", kRefused},
        {"H -1 0", "Input error for H -1 in control\n", kRefused},
    });
}

TEST(DataSetsLetters, OutputSettings) {
    const std::string kP3 = "Input error for P 3 in control";
    const std::string kP16 = "Error reading P 16 data set\n";
    CheckReadCases({
        {"P 0", "Error in boogie file: data set P 0 does not exist\n\n", -1},
        {"P -3 1", "Error in boogie file: data set P -3 does not exist\n\n", -1},
        {"P 1 5\nP 17 5", "", kAccepted},
        {"P 2 1 2 3 4 5", "", kAccepted, [] { return P2Value1 == 1 && P2Value3 == 3 && P2Value5 == 5; }},
        {"P 3 1 5 3 0", "", kAccepted, [] { return PlanNumber == 5 && PlanCellLevel == 3 && P3Int4 == 0; }},
        {"P 3 1 301 12 1", "", kAccepted},
        {"P 3 0 2 2 1", kP3, kRefused},
        {"P 3 1 -1 2 1", kP3, kRefused},
        {"P 3 1 302 2 1", kP3, kRefused},
        {"P 3 1 2 0 1", kP3, kRefused},
        {"P 3 1 2 13 1", kP3, kRefused},
        {"P 3 1 2 2 2", kP3, kRefused},
        {"P 3 1 30 2 1\nG 1 20 20 11 1", kP3, kRefused},
        {"P 3 1 30 2 1\nG 1 40 40 11 1", "", kAccepted},
        // Without a P 3 the defaults are not checked against the sizes.
        {"F 79 0 0", "", kAccepted},
        {"P 4 Z\nP 7 q", "", kAccepted, [] { return PlotModeLetter == 'Z' && P7Letter == 'q'; }},
        {"P 5 3\nP 8 4\nP 9 10\nP 10 20\nP 11 2\nP 15 100", "", kAccepted,
         [] {
             return P5Int == 3 && P8Int == 4 && CompresInterval == 10 && ResultInterval == 20 && MonitorOption == 2 &&
                    ResultStartIteration == 100;
         }},
        {"P 6 1.0 2.0", "", kAccepted, [] { return P6Flag == 1 && P6Value2 == 2.0; }},
        {"P 6 2.0 1.0", "Input error for P 6 in control", kRefused},
        {"P 6 1.0", "Input error for P 6 in control", kRefused},
        {"P 12 1 3 5 6 7", "", kAccepted,
         [] { return P12Count == 3 && P12List[1] == 5 && P12List[3] == 7 && P12List[4] == 0; }},
        {"P 12 1 3 5 0 7", "Error 2 reading P 12 data set\n", kRefused},
        {"P 12 1 3 5 6", "Error 2 reading P 12 data set\n", kRefused},
        {"P 12 0 1 5", "Error 1 reading P 12 data set\n", kRefused},
        {"P 12 1 0", "", kAccepted, [] { return P12Count == 0 && P12Int1 == 1; }},
        {PList(12, 50, "10000"), "", kAccepted, [] { return P12List[50] == 10000; }},
        {PList(12, 51, "1"), "Error 1 reading P 12 data set\n", kRefused, [] { return P12List[1] == 0; }},
        {"P 13 1 2 10000 10001", "Error 2 reading P 13 data set\n", kRefused},
        {"P 13 2 1 9", "", kAccepted, [] { return P13Int1 == 2 && P13List[1] == 9; }},
        {"P 14 0.25", "", kAccepted, [] { return P14Value == 0.25; }},
        {"P 14 -0.5", "Error reading P 14 data set\n", kRefused},
        {"P 14 x", "Error reading P 14 data set\n", kRefused},
        {"P 15 -1", "Error reading P 15 data set\n", kRefused},
        {"P 16 -1 301 1 301", "", kAccepted, [] { return P16Int1 == -1 && P16Int4 == 301; }},
        {"P 16 -2 0 1 0", kP16, kRefused},
        {"P 16 0 302 1 0", kP16, kRefused},
        {"P 16 0 0 0 0", kP16, kRefused},
        {"P 16 0 0 1 302", kP16, kRefused},
        {"P 16 0 0 1", kP16, kRefused},
        {"P 16 0 100 1 0\nG 1 20 20 11 1", kP16, kRefused},
    });
}

struct BCase {
    std::string control;
    bool refused;
};

TEST(DataSetsLetters, BlockRangesOfTheSecondPass) {
    InProjectDir here;
    const BCase refused[] = {
        {"B 1 5 3 2 8", true},    {"B 20 2 3 2 3", true},   {"B -1 2 3 2 3", true},
        {"B 1 301 302 2 3", true}, {"B 1 2 1 2 3", true},   {"B 1 2 3 301 302", true},
        {"B 1 2 3 5 4", true},    {"B 1 2 3 2 1", true},    {"B 1 2 3", true},
        {RepeatLines("B 1 2 3 2 3", 21), true},
        {RepeatLines("B 1 2 3 2 3", 20), false},
        {"B 19 300 300 300 300", false},
    };
    for (const BCase& c : refused) {
        SCOPED_TRACE(c.control);
        ReadOutcome out = ReadSecondPass(c.control + "\n");
        EXPECT_EQ(out.ended, c.refused);
        if (c.refused) {
            EXPECT_EQ(out.status, kRefused);
            EXPECT_EQ(out.log, "Input error for B in control");
        }
    }
    ReadOutcome out = ReadSecondPass("B 0 9 9 9 9\nB 4 3 5 6 8\n");
    EXPECT_FALSE(out.ended);
    EXPECT_EQ(NoBRecords, 1);
    const BRecord& whole = BRecords[0];
    EXPECT_EQ(whole.block, 0);
    EXPECT_EQ(whole.ifirst, 2);
    EXPECT_EQ(whole.ilast, 300);
    EXPECT_EQ(whole.jfirst, 2);
    EXPECT_EQ(whole.jlast, 300);
    const BRecord& b = BRecords[1];
    EXPECT_EQ(b.block, 4);
    EXPECT_EQ(b.ifirst, 3);
    EXPECT_EQ(b.ilast, 5);
    EXPECT_EQ(b.jfirst, 6);
    EXPECT_EQ(b.jlast, 8);
}

}  // namespace
