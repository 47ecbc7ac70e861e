// The end of an outer iteration of WaterSolve: the results schedule, the
// average line, the trend sums and the free-surface schedules; and the
// pressure clipping against the reference column.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "drivers/flow_drivers.h"
#include "grid/metric_steps.h"
#include "run/globals.h"
#include "tests/drivers/water_solve_case.h"
#include "tests/support/project_dir.h"

namespace {

std::string NumberedResult(int n) {
    const std::string digits = std::to_string(n);
    return "result." + std::string(4 - digits.size(), '0') + digits;
}

// P 10 2 over four outer iterations writes after iterations 1 and 3, each
// into the first number not yet taken.
TEST(ResultSchedule, NumberedFilesFollowTheIntervalFromTheFirstFreeNumber) {
    ProjectDir dir;
    const EngineRun r = RunChannelWater(dir, "K 1 4\nP 10 2\n", {{"result.0000", "kept\n"}});
    ASSERT_EQ(r.status, 1) << JoinLines(r.boogie);
    std::vector<int> due;
    for (int iter = 1; iter <= 4; ++iter) {
        if ((iter + 1) % 2 == 0) due.push_back(iter);
    }
    EXPECT_EQ(dir.read("result.0000"), "kept\n");
    for (size_t k = 0; k < due.size(); ++k) {
        const std::string name = NumberedResult(static_cast<int>(k) + 1);
        ASSERT_TRUE(dir.exists(name)) << name;
        const std::vector<std::string> lines = SplitLines(dir.read(name));
        ASSERT_GE(lines.size(), 2u) << name;
        EXPECT_EQ(lines[1], "Results, iter = " + std::to_string(due[k])) << name;
    }
    EXPECT_FALSE(dir.exists(NumberedResult(static_cast<int>(due.size()) + 1)));
}

struct ResultRow {
    int interval;  // P 10
    int start;     // P 15
    int iter;
    bool written;
};

class EndOfIteration : public WaterSolveCase {
protected:
    void SetUp() override { Start("K 1 1\nF 143 1\n"); }
};

TEST_F(EndOfIteration, ResultsFollowPTenAndPFifteen) {
    const ResultRow rows[] = {
        {10, 0, 9, true},  {10, 0, 10, false}, {10, 0, 19, true}, {10, 0, 29, true},
        {0, 5, 5, false},  {0, 5, 6, true},    {0, 5, 40, true},  {0, 0, 9, false},
        {10, 5, 4, false}, {10, 5, 9, true},
    };
    for (const ResultRow& row : rows) {
        ResultInterval = row.interval;
        ResultStartIteration = row.start;
        Iter = row.iter;
        StatusText[0] = '\0';
        const EngineCall call = CallEngine([] {
            RunEndOfIterationSchedules(1.0);
            return 0;
        });
        ASSERT_FALSE(call.ended) << call.log;
        EXPECT_EQ(std::string(StatusText) == "have written result file  ", row.written)
            << "P 10 " << row.interval << ", P 15 " << row.start << ", Iter " << row.iter;
    }
}

TEST_F(EndOfIteration, AverageLineUnderLetterDOnPrintedIterations) {
    ResMaxSum = 3.0;
    OuterIterCount = 2;
    InnerIterSum = 4;
    const std::string line = "Average max residual: 1.500000, Average number of inner iterations: 2.000000";
    DebugOption = 'D';
    PrintSkip = 1;
    RunEndOfIterationSchedules(1.0);
    EXPECT_FALSE(HasLine(SplitLines(ReadHere("boogie")), line));
    PrintSkip = 0;
    RunEndOfIterationSchedules(1.0);
    EXPECT_TRUE(HasLine(SplitLines(ReadHere("boogie")), line));
}

// The sample number and its square are summed at every wet node; a long
// run takes them past the 32-bit range.
TEST_F(EndOfIteration, TrendSumsOfALongRunDoNotOverflow) {
    const BlockRecord& b = BlockTable[1];
    int wi = -1, wj = -1;
    for (int i = b.iFirst; i <= b.iLast && wi < 0; ++i) {
        for (int j = b.jFirst; j <= b.jLast && wi < 0; ++j) {
            if (ColumnBottomCell(i, j) != 0) wi = i, wj = j;
        }
    }
    ASSERT_GE(wi, 0);
    int top = ColumnBottomCell(wi, wj);
    while (Ccellt[top] != 0) top = Ccellt[top];
    Pres[top] = 2.5;
    TimeAverageCounter = 99999;
    GridTrendSumXX[wi][wj] = std::int64_t{3} << 32;
    RunEndOfIterationSchedules(1.0);
    const std::int64_t n = 100000;
    EXPECT_EQ(TimeAverageCounter, n);
    EXPECT_EQ(GridTrendN[wi][wj], 1);
    EXPECT_EQ(GridTrendSumX[wi][wj], n);
    EXPECT_EQ(GridTrendSumXX[wi][wj], (std::int64_t{3} << 32) + n * n);
    EXPECT_DOUBLE_EQ(GridTrendSumY[wi][wj], 2.5);
    EXPECT_DOUBLE_EQ(GridTrendSumXY[wi][wj], 2.5e5);
}

struct SurfaceRow {
    const char* name;
    int option;      // F 36
    double limit;    // F 224
    double residual; // largest residual of the last pass
    double pressure; // MaxResidual[4]
    int iter;
    int layerBlock;  // F 236
    int slides;      // ActiveSlides[0]
    int appended;    // AppendedBlockFlag
    std::vector<std::string> called;
    int failed;
};

void PrintTo(const SurfaceRow& r, std::ostream* os) { *os << r.name; }

class SurfaceSchedules : public EndOfIteration, public ::testing::WithParamInterface<SurfaceRow> {};

const SurfaceRow kSurfaceRows[] = {
    {"ResidualBelowLimit", 2, 100.0, 5.0, 1.0, 10, 0, 0, 0, {"surface"}, 0},
    {"ResidualAboveLimitCounts", 2, 100.0, 500.0, 1.0, 10, 0, 0, 0, {}, 1},
    {"NegativeLimitTakesPressureResidual", 2, -1.0, 5.0, 0.0005, 10, 0, 0, 0, {"surface"}, 0},
    {"NegativeLimitPressureTooHigh", 2, -1.0, 5.0, 0.002, 10, 0, 0, 0, {}, 1},
    {"OptionThreeAlwaysRuns", 3, 100.0, 500.0, 1.0, 10, 0, 0, 0, {"surface"}, 0},
    {"NotOnTheInterval", 2, 100.0, 5.0, 1.0, 7, 0, 0, 0, {}, 0},
    {"OptionSixBelongsToThePass", 6, 100.0, 5.0, 1.0, 10, 0, 0, 0, {}, 0},
    {"AppendedBlockHoldsIt", 2, 100.0, 5.0, 1.0, 10, 0, 0, 1, {}, 0},
    {"TfsEveryIteration", 12, 100.0, 500.0, 1.0, 7, 0, 0, 0, {"surface_tfs"}, 0},
    {"TfsNotWithLayerBlockAndNoSlide", 1, 100.0, 5.0, 1.0, 7, 2, 0, 1, {}, 0},
    // The grid holds no layer block 2: its update has nothing to move.
    {"TfsOfTheSlidingBlock", 0, 100.0, 5.0, 1.0, 7, 2, 3, 1, {}, 0},
    {"OptionFiftyOnTheInterval", 50, 100.0, 5.0, 1.0, 10, 0, 0, 0, {"UpdateFreeSurfaceOption50"}, 0},
    {"OptionFiftyOffTheInterval", 50, 100.0, 5.0, 1.0, 7, 0, 0, 0, {}, 0},
};

TEST_P(SurfaceSchedules, RunOrCount) {
    const SurfaceRow& r = GetParam();
    FreeSurfaceOption = r.option;
    SurfaceResidualLimit = r.limit;
    MaxResidual[4] = r.pressure;
    Iter = r.iter;
    SurfaceInterval = 5;
    LayerBlockOption = r.layerBlock;
    ActiveSlides[0] = r.slides;
    AppendedBlockFlag = r.appended;
    // A wet reference column, so that a surface update that runs counts
    // itself in NoSurfaceUpdates.
    iPres = 3;
    jPres = 3;
    WriteHere("boogie", "");
    RunEndOfIterationSchedules(r.residual);
    std::vector<std::string> called;
    if (NoSurfaceUpdates > 0) called.push_back("surface");
    // The updates without a reference count nothing; they leave the grid
    // changed.
    if (NoSurfaceUpdates == 0 && GridChangedFlag == 1) {
        called.push_back(r.option == 50 ? "UpdateFreeSurfaceOption50" : "surface_tfs");
    }
    for (const std::string& l : SplitLines(ReadHere("boogie"))) {
        const size_t at = l.find(" is not available in this build");
        if (at != std::string::npos) called.push_back(l.substr(0, at));
    }
    EXPECT_EQ(called, r.called);
    EXPECT_EQ(NoFailedSurfaceUpdates, r.failed);
}

INSTANTIATE_TEST_SUITE_P(Rows, SurfaceSchedules, ::testing::ValuesIn(kSurfaceRows),
                         [](const auto& i) { return std::string(i.param.name); });

// The reference column lies at the first i line of block 1 and the F 317 j
// line.
class PressureClip : public EndOfIteration {
protected:
    int ReferenceCell(int j) { return ColumnBottomCell(BlockTable[1].iFirst, j); }
};

TEST_F(PressureClip, CellsMoreThanAMetreAboveTheReferenceTakeIt) {
    const int j = BlockTable[1].jFirst;
    const int reference = ReferenceCell(j);
    ASSERT_GT(reference, 0);
    ASSERT_TRUE(reference != 2 && reference != 3 && reference != NoCells);
    for (int c = 1; c <= NoCells; ++c) Pres[c] = 100.0;
    Pres[reference] = 1000.0;
    Pres[2] = 1000.0 + 9810.0;    // exactly one metre above: kept
    Pres[3] = 1000.0 + 9810.5;    // above it: clipped
    Pres[NoCells] = 50000.0;
    std::vector<double> before(Pres.data(), Pres.data() + NoCells + 1);

    F317Values[1] = 0;
    ClipPressureToReference();
    EXPECT_EQ(std::vector<double>(Pres.data(), Pres.data() + NoCells + 1), before);

    F317Values[1] = j;
    ClipPressureToReference();
    EXPECT_EQ(Pres[2], 1000.0 + 9810.0);
    EXPECT_EQ(Pres[3], 1000.0);
    EXPECT_EQ(Pres[NoCells], 1000.0);
    EXPECT_EQ(Pres[reference], 1000.0);
    for (int c = 4; c < NoCells; ++c) {
        if (c != reference) {
            EXPECT_EQ(Pres[c], 100.0) << c;
        }
    }
}

TEST_F(PressureClip, UnusableReferenceIsLoggedOnceAndChangesNothing) {
    for (int c = 1; c <= NoCells; ++c) Pres[c] = 1e6 * c;
    const std::vector<double> before(Pres.data(), Pres.data() + NoCells + 1);
    for (int j : {BlockTable[1].jLast + 1, -4, 100000}) {
        F317Values[1] = j;
        ClipPressureToReference();
    }
    // A node whose bottom-cell slot names no cell of the grid.
    Gridz[BlockTable[1].iFirst][BlockTable[1].jFirst][0] = NoCells + 7.0;
    F317Values[1] = BlockTable[1].jFirst;
    ClipPressureToReference();
    EXPECT_EQ(std::vector<double>(Pres.data(), Pres.data() + NoCells + 1), before);
    int lines = 0;
    for (const std::string& l : SplitLines(ReadHere("boogie"))) lines += l.find("F 317") != std::string::npos;
    EXPECT_EQ(lines, 1);
}

}  // namespace
