// The block-parallel driver (F 328 = 1) on the channel of the grid tests:
// the work split of its three steps, the outer iteration and its running
// sums, its refusals and warnings.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "drivers/flow_drivers.h"
#include "run/globals.h"
#include "solver/solver_data.h"
#include "tests/drivers/water_solve_case.h"
#include "tests/grid/unstruc_case.h"
#include "tests/support/project_dir.h"

namespace {

class BlockParallelCase : public WaterSolveCase {
protected:
    EngineCall SolveBlock() {
        return CallEngine([] { return SolveFlowBlockParallel(); });
    }

    // The solved fields of every cell, one after the other.
    static std::vector<double> Fields() {
        std::vector<double> v;
        for (const Array1<double>* a : {&Cu, &Cv, &Cw, &Pres, &Ck, &Cepsilon}) {
            for (int c = 1; c <= NoCells; ++c) v.push_back((*a)[c]);
        }
        return v;
    }

    // `threads` stands in for F 206, which the reader takes only from 0 up.
    std::vector<double> FieldsAfterTwoIterations(const std::string& control, int threads = 0) {
        Start("K 1 2\n" + control);
        NoThreads = threads;
        const EngineCall call = SolveBlock();
        EXPECT_FALSE(call.ended) << call.log;
        return Fields();
    }
};

bool Close(const std::vector<double>& a, const std::vector<double>& b) {
    if (a.size() != b.size()) return false;
    for (size_t k = 0; k < a.size(); ++k) {
        if (!(std::fabs(a[k] - b[k]) <= 1e-9 * std::fmax(1.0, std::fabs(b[k])))) return false;
    }
    return true;
}

// G 50 integer 8 keeps the equation solver serial, whose thread blocks
// would sweep in another order.
const std::string kSerialSolver = "G 50 0 0 0 0 0 0 0 0 1 0\n";

// The chunks run the same cell and surface operations as the serial paths,
// so the solution is the same but for the summation order of the residuals;
// F 316 4 to 6 (an extra pressure-correction diagonal) acts on the serial
// path only. A negative thread count cuts nothing: it is serial everywhere,
// the solver too.
TEST_F(BlockParallelCase, ChunksGiveTheSerialSolutionApartFromTheSerialOnlyTerms) {
    const std::vector<double> serial = FieldsAfterTwoIterations("");
    EXPECT_EQ(FieldsAfterTwoIterations("", -2), serial);
    EXPECT_TRUE(Close(FieldsAfterTwoIterations(kSerialSolver, 3), serial));
    EXPECT_FALSE(Close(FieldsAfterTwoIterations("", 3), serial));

    const std::vector<double> damped = FieldsAfterTwoIterations("F 316 6\n");
    EXPECT_FALSE(Close(damped, serial));
    EXPECT_EQ(FieldsAfterTwoIterations("F 316 6\n", -2), damped);
    EXPECT_TRUE(Close(FieldsAfterTwoIterations("F 316 6\n" + kSerialSolver, 3), serial));
}

// The same steps with every G 50 switch set to serial give the serial
// solution too, on three threads.
TEST_F(BlockParallelCase, SwitchesMakeEveryStepSerial) {
    const std::vector<double> serial = FieldsAfterTwoIterations("");
    EXPECT_EQ(FieldsAfterTwoIterations("G 50 1 1 1 1 1 1 1 1 1 1\n", 3), serial);
}

TEST_F(BlockParallelCase, OuterIterationsCountOnePassAsTwo) {
    Start("K 1 3\nF 1 D\n");
    WaterFlowActiveFlag = 1;
    const EngineCall call = SolveBlock();
    ASSERT_FALSE(call.ended) << call.log;
    EXPECT_EQ(Iter, 3);
    EXPECT_EQ(BlockOuterIterCount, 3);
    EXPECT_EQ(BlockInnerIterSum, 6);
    EXPECT_EQ(LastInnerIter, 2);
    // WaterSolve's sums are its own.
    EXPECT_EQ(OuterIterCount, 0);
    EXPECT_EQ(InnerIterSum, 0);
    // The iteration limit ends the call quietly.
    EXPECT_EQ(WaterFlowActiveFlag, 0);
    EXPECT_EQ(call.log.find("Solution"), std::string::npos) << call.log;
    EXPECT_STREQ(ModuleName, " DE-Voru             ");
    size_t lines = 0;
    for (const std::string& line : SplitLines(call.log)) {
        if (line.rfind("Average max residual: ", 0) != 0) continue;
        ++lines;
        EXPECT_NE(line.find(", Average number of inner iterations: 2.000000"), std::string::npos) << line;
    }
    EXPECT_EQ(lines, 3u);
}

TEST_F(BlockParallelCase, NoPassStillCountsTheIteration) {
    Start("K 1 3\nF 33 1e-9 0\n");
    TimingMarks[1] = -1.0;
    const EngineCall call = SolveBlock();
    ASSERT_FALSE(call.ended) << call.log;
    EXPECT_EQ(LastInnerIter, 1);
    EXPECT_EQ(BlockOuterIterCount, 3);
    EXPECT_EQ(BlockInnerIterSum, 3);
    // No pass: the residual keeps its value from before the first one.
    EXPECT_DOUBLE_EQ(BlockResMaxSum, 3 * kResidualBeforeFirstPass);
    EXPECT_EQ(TimingMarks[1], -1.0);
}

TEST_F(BlockParallelCase, SecondCallKeepsTheRunningSums) {
    Start("K 1 2\n");
    ASSERT_FALSE(SolveBlock().ended);
    const double first = BlockResMaxSum;
    ASSERT_FALSE(SolveBlock().ended);
    EXPECT_EQ(BlockOuterIterCount, 4);
    EXPECT_EQ(BlockInnerIterSum, 8);
    EXPECT_GT(BlockResMaxSum, first);
}

// Option 19 keeps its sums in the line-solver arrays, which the run must
// allocate for it too.
TEST_F(BlockParallelCase, Option19HasItsScratchSums) {
    Start("K 1 2\nF 261 19 0.5\n");
    ASSERT_TRUE(CtdmaP.exists());
    ASSERT_TRUE(CtdmaQ.exists());
    EXPECT_GT(CtdmaP.size(), static_cast<size_t>(NoCells));
    EXPECT_GT(CtdmaQ.size(), static_cast<size_t>(NoCells));
    const EngineCall call = SolveBlock();
    EXPECT_FALSE(call.ended) << call.log;
}

// Turbulence models without k and epsilon leave them and their residuals
// alone.
TEST_F(BlockParallelCase, ModelWithoutTransportSkipsKAndEpsilon) {
    Start("K 1 2\nF 24 6\n");
    MaxResidual[5] = 0.125;
    MaxResidual[6] = 0.25;
    TimingMarks[18] = TimingMarks[27] = -1.0;
    ASSERT_FALSE(SolveBlock().ended);
    EXPECT_EQ(MaxResidual[5], 0.125);
    EXPECT_EQ(MaxResidual[6], 0.25);
    EXPECT_EQ(TimingMarks[18], -1.0);
    EXPECT_EQ(TimingMarks[27], -1.0);
    EXPECT_GT(TimingMarks[25], 0.0);
}

// F 224 negative: the F 36 update of the iteration waits for a pressure
// residual below 0.001, whatever the largest residual is.
struct SurfaceCase {
    const char* control;
    int failed;
};

void PrintTo(const SurfaceCase& row, std::ostream* os) {
    const std::string control = row.control;
    *os << control.substr(0, control.find('\n')) << " (" << row.failed << " failed)";
}

class BlockSurfaceSchedule : public BlockParallelCase, public ::testing::WithParamInterface<SurfaceCase> {};

TEST_P(BlockSurfaceSchedule, UpdatesOnlyBelowTheLimit) {
    // A wet reference column, so that the update that runs goes through.
    Start(std::string("K 1 2\nK 2 0 1\nF 36 2\nF 105 1\nF 91 3 3\n") + GetParam().control);
    ASSERT_FALSE(SolveBlock().ended);
    ASSERT_GT(MaxResidual[4], 0.001);
    EXPECT_EQ(NoFailedSurfaceUpdates, GetParam().failed);
}

INSTANTIATE_TEST_SUITE_P(Limits, BlockSurfaceSchedule,
                         ::testing::Values(SurfaceCase{"F 224 -1\n", 2}, SurfaceCase{"F 224 1e9\n", 0},
                                           SurfaceCase{"F 224 1e-12\n", 2}),
                         [](const ::testing::TestParamInfo<SurfaceCase>& i) {
                             const std::string limit = i.param.control;
                             return limit[6] == '-' ? "NegativeLimit" : limit == "F 224 1e9\n" ? "LargeLimit" : "TinyLimit";
                         });

const EngineCase kBlockEntryCases[] = {
    {"QueryLetterIsRefused",
     "F 2 W\nF 328 1\nF 1 Q\n",
     -5,
     {"Error: The F 1 Q data set in the control file is only used when generating\n",
      "the grid. It is not used when running the program\n\n"}},
};

class BlockParallelEntry : public ::testing::TestWithParam<EngineCase> {};

TEST_P(BlockParallelEntry, Refusals) { CheckEngineCase(GetParam()); }

INSTANTIATE_TEST_SUITE_P(Cases, BlockParallelEntry, ::testing::ValuesIn(kBlockEntryCases), EngineCaseName());

// A partitioned run is warned about, never reports convergence and ends with
// the closing results.
TEST(BlockParallelRun, PartitionedRunEndsWithItsResults) {
    ProjectDir dir;
    // Partition 1 reads its own grid file.
    const std::string grid = MakeChannelProject(GridTestChannel(3)).unstruc;
    const EngineRun r = RunChannelWater(dir, "F 328 1\nF 308 1\nK 1 5\nF 206 2\n", {{"unstruc.mpi1", grid}});
    EXPECT_EQ(r.status, 1) << JoinLines(r.boogie);
    const int warning =
        LineIndex(r.boogie, "Error for F 308 data set in the control file. The data set should not be ");
    ASSERT_GE(warning, 0) << JoinLines(r.boogie);
    EXPECT_EQ(r.boogie[warning + 1],
              "used when computing the water flow in a RIVAX version that is not MPI enabled");
    EXPECT_EQ(JoinLines(r.boogie).find("Solution converged"), std::string::npos);
    // A partition names its result file after itself.
    const std::vector<std::string> result = SplitLines(dir.read("result.mpi1"));
    ASSERT_GE(result.size(), 2u);
    EXPECT_EQ(result[1], "Results, iter = 5");
    for (const std::string& line : result) {
        EXPECT_EQ(line.find("nan"), std::string::npos) << line;
    }
}

}  // namespace
