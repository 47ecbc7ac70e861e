// Byte rules of the control reader: separators, pass ends, budgets, titles.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "run/globals.h"
#include "run/kread.h"
#include "tests/support/control_text.h"

namespace {

struct SyntaxCase {
    const char* name;
    std::string text;
    int passes;  // NoRunPasses after the first pass
    int turbulence;  // TurbulenceModel after the first pass
};

void PrintTo(const SyntaxCase& c, std::ostream* os) { *os << c.name; }

class ControlSyntax : public ::testing::TestWithParam<SyntaxCase> {};

TEST_P(ControlSyntax, ValuesReadAsExpected) {
    InProjectDir here;
    const SyntaxCase& c = GetParam();
    ReadOutcome out = ReadFirstPass(c.text);
    ASSERT_FALSE(out.ended) << out.log;
    EXPECT_EQ(NoRunPasses, c.passes);
    EXPECT_EQ(TurbulenceModel, c.turbulence);
}

const std::string kBlanks29999(29999, ' ');
const std::string kBlanks30000(30000, ' ');

const SyntaxCase kSyntaxCases[] = {
    {"Blanks", "F 20 2\nF 24 3\n", 2, 3},
    {"Tabs", "F\t20\t4\tF\t24\t5", 4, 5},
    {"CrLf", "F 20 5\r\nF 24 6\r\n", 5, 6},
    {"ValueOnNextLine", "F 20\n7\nF\n24\n\n8\n", 7, 8},
    {"Byte255EndsThePass", std::string("F 20 2\n\xff\nF 24 3\n"), 2, 0},
    {"LowerCaseCommentIgnored", "this is a comment with numbers 20 4\nF 20 3\n", 3, 0},
    {"LetterWithoutNumberIsOrdinaryByte", "F 20 2\nFlow at the inlet 9\n", 2, 0},
    {"WordLetterBeforeDataSetDoesNotSwallowIt", "Flow\nF 24 4\n", 1, 4},
    {"LastOccurrenceWins", "F 20 2\nF 20 6\n", 6, 0},
    {"NumbersWithoutHandlerIgnored", "F 29 9\nF 356 1\nF -2 1\nF 0 1\nF 24 2\n", 1, 2},
    {"PartialNumberLeavesRestToThePass", "F 20 3.5\n", 3, 0},
    {"LastByteOfBudgetStartsDataSet", kBlanks29999 + "F 20 3\n", 3, 0},
    {"DataSetBeyondBudgetNotRead", kBlanks30000 + "F 20 3\n", 1, 0},
};

INSTANTIATE_TEST_SUITE_P(Rows, ControlSyntax, ::testing::ValuesIn(kSyntaxCases),
                         [](const auto& i) { return std::string(i.param.name); });

TEST(ControlSyntax, DataSetCostsOneStepWhateverItReads) {
    InProjectDir here;
    // 29998 blanks, one data set whose values span many bytes, then one more:
    // the second data set is step 30000 and is still read.
    std::string text = std::string(29998, ' ') + "F 4 0.5          50          0.01" + "F 24 2";
    ReadOutcome out = ReadFirstPass(text);
    ASSERT_FALSE(out.ended);
    EXPECT_EQ(NoSedIterations, 50);
    EXPECT_EQ(TurbulenceModel, 2);
}

TEST(ControlSyntax, RunLettersKeepSeparatorAndLineEnd) {
    InProjectDir here;
    ReadFirstPass("F 2 W\nF 24 1\n");
    EXPECT_EQ(std::string(RunChoice, 20), std::string(" W\n") + std::string(17, ' '));
    EXPECT_EQ(TurbulenceModel, 1);
    ReadFirstPass("F 2 W\r\n");
    EXPECT_EQ(std::string(RunChoice, 4), " W\r ");
}

TEST(ControlSyntax, RunLettersStopAfterTwentyPositions) {
    InProjectDir here;
    ReadFirstPass("F 2 ABCDEFGHIJKLMNOPQRSTUVWXYZ\n");
    EXPECT_EQ(std::string(RunChoice, 20), " ABCDEFGHIJKLMNOPQRS");
}

TEST(ControlSyntax, TitleIsRestOfLineWithBlank) {
    InProjectDir here;
    ReadFirstPass("This is a test\nF 24 2\n");
    EXPECT_EQ(Title[0], '\0');
    EXPECT_STREQ(Title + 1, "his is a test ");
    EXPECT_EQ(TurbulenceModel, 2);
}

TEST(ControlSyntax, TitleKeepsTabsAndHoldsSixtyEightCharacters) {
    InProjectDir here;
    std::string long_title(80, 'x');
    ReadFirstPass("T\tA\n");
    EXPECT_STREQ(Title + 1, "\tA ");
    ReadFirstPass("T" + long_title + "\n");
    EXPECT_EQ(std::strlen(Title + 1), 69u);
    EXPECT_EQ(std::string(Title + 1, 68), std::string(68, 'x'));
    EXPECT_EQ(Title[69], ' ');
    ReadFirstPass("T" + long_title + "\nTshort\n");
    EXPECT_STREQ(Title + 1, "short ");
}

TEST(ControlSyntax, SecondPassSkipsTextOfF2F7AndT) {
    InProjectDir here;
    // Nothing in these texts is a data set of the second pass, and the
    // skipped stretches must not run past the end of the file.
    for (const char* text : {"F 2 B", "F 7 B\n", "T B title", "F 2\n"}) {
        ReadOutcome out = ReadSecondPass(text);
        EXPECT_FALSE(out.ended) << text;
    }
}

}  // namespace
