// End-to-end rows for the letter and Q data sets, and the check that the
// grain fractions sum to 1.
#include <string>

#include <gtest/gtest.h>

#include "run/globals.h"
#include "run/kread.h"
#include "tests/support/control_text.h"
#include "tests/support/project_dir.h"

namespace {

class LettersEngineTable : public ::testing::TestWithParam<EngineCase> {};

TEST_P(LettersEngineTable, LogAndStatus) { CheckEngineCase(GetParam()); }

const EngineCase kLettersEngineCases[] = {
    {"FractionsShortOfOne", "G 1 300 300 11 2\nN 0 1 0.5\nN 0 2 0.4998\nF 2 X\n", -4,
     {"Error, N - data sets : Sum of fractions = 9.998000e-01\n", "Number of N data sets read: 2\n\n"}},
    {"FractionsWithinTolerance", "G 1 300 300 11 2\nN 0 1 0.5\nN 0 2 0.49995\nF 2 X\n", 0,
     {"Number of threads: 0 (F 206)\n"}, {"Sum of fractions"}},
    {"NoSizesSkipsFractionSum", "G 1 300 300 11 0\nF 2 X\n", 0, {"Number of threads: 0 (F 206)\n"},
     {"Sum of fractions"}},
    {"SizesCoarsestFirst", "S 1 0.0005 0.05\nS 2 0.001 0.1\n", kRefused,
     {"Input error for S 2 in control file: The coarsest sediment sizes have to be given first\n"}},
    {"PZero", "P 0\n", -1, {"Error in boogie file: data set P 0 does not exist\n\n"}},
    {"BInvertedRange", "B 1 5 3 2 8\n", kRefused, {"Input error for B in control"}},
    // The second pass sees the grid size of a G 1 that stands after the B.
    {"BBeyondFinalGrid", "B 1 25 30 2 5\nG 1 20 20 11 1\n", kRefused, {"Input error for B in control"}},
    {"QComponentNotBelowF50", "F 50 2\nQ 3 0 2 1 0.5\n", kRefused, {"Input error for Q 3 0 in control\n"}},
    {"Q201stRecord", "F 50 1\n" + RepeatLines("Q 1 0 0.5", 201), kRefused, {"Input error for Q 1 0 in control\n"}},
};

INSTANTIATE_TEST_SUITE_P(Rows, LettersEngineTable, ::testing::ValuesIn(kLettersEngineCases), EngineCaseName());

struct SumCase {
    int sizes;
    double first, second;
    bool refused;
};

TEST(GrainFractionSum, ToleranceEdges) {
    InProjectDir here;
    const SumCase cases[] = {
        {2, 0.5, 0.49995, false}, {2, 0.5, 0.50005, false}, {2, 0.5, 0.4998, true},
        {2, 0.5, 0.5002, true},   {1, 1.0, 0.0, false},     {1, 0.5, 0.5, true},
        {0, 0.5, 0.2, false},     {3, 0.5, 0.5, false},
    };
    for (const SumCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.sizes << " sizes: " << c.first << " + " << c.second);
        ResetGlobals();
        NoSizes = c.sizes;
        GrainFractions[0][1] = c.first;
        GrainFractions[0][2] = c.second;
        ReadOutcome out = CaptureRunEnd(CheckGrainFractionSum);
        EXPECT_EQ(out.ended, c.refused);
        if (c.refused) {
            EXPECT_EQ(out.status, -4);
        }
    }
}

}  // namespace
