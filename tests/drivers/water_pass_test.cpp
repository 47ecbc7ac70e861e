// The rules of one outer iteration and one inner pass of WaterSolve: the
// print schedule, the G 50 switches, the K 5 acceleration, the relaxation
// of the momentum equations and the clamps of the working factors.
#include <gtest/gtest.h>

#include "drivers/flow_drivers.h"
#include "drivers/water_pass.h"
#include "flow/face_interpolation.h"
#include "tests/support/equation_fixture.h"

namespace {

class WaterPass : public EquationTest {};

TEST_F(WaterPass, PrintScheduleTable) {
    iterGlobalMax = 250;
    PrintInterval = 100;
    struct Row {
        int iter, skip;
    };
    const Row rows[] = {{1, 0},  {9, 0},  {10, 0},  {11, 1},  {20, 0},  {55, 1},  {90, 0}, {99, 1},
                        {100, 0}, {110, 1}, {150, 1}, {200, 0}, {250, 0}, {300, 0}, {301, 1}};
    for (const Row& r : rows) EXPECT_EQ(PrintSkipFor(r.iter), r.skip) << r.iter;
    PrintInterval = 7;
    EXPECT_EQ(PrintSkipFor(14), 0);  // a multiple of the interval prints below 100 too
    EXPECT_EQ(PrintSkipFor(15), 1);
    EXPECT_EQ(PrintSkipFor(105), 0);
    DebugOption = 'D';
    EXPECT_EQ(PrintSkipFor(111), 0);
    DebugOption = 'E';
    EXPECT_EQ(PrintSkipFor(111), 0);
}

TEST_F(WaterPass, ChunksOfTheActiveCells) {
    struct Row {
        int first, last, chunks, n, chunkFirst, chunkLast;
    };
    // 10 cells in 3 chunks: 3, 3 and the remainder 4; a range starting at 5.
    const Row rows[] = {{1, 10, 3, 0, 1, 3}, {1, 10, 3, 1, 4, 6}, {1, 10, 3, 2, 7, 10},
                        {5, 14, 2, 0, 5, 9}, {5, 14, 2, 1, 10, 14}, {1, 1, 1, 0, 1, 1}};
    for (const Row& r : rows) {
        const ChunkBounds b = Chunk(r.first, r.last, r.chunks, r.n);
        EXPECT_EQ(b.first, r.chunkFirst) << r.first << ".." << r.last << " / " << r.chunks << " #" << r.n;
        EXPECT_EQ(b.last, r.chunkLast);
    }
}

TEST_F(WaterPass, MultipleTestUsesTheRemainder) {
    EXPECT_TRUE(IsMultipleOf(20, 10));
    EXPECT_FALSE(IsMultipleOf(21, 10));
    EXPECT_TRUE(IsMultipleOf(5, 1));
    EXPECT_FALSE(IsMultipleOf(5, 0));  // no interval: never due
}

TEST_F(WaterPass, OpenMPSwitchTable) {
    struct Row {
        int step, value;
        bool parallel;
    };
    // Integers 0, 2 and 9 turn their step serial at any value; the others at 1.
    const Row rows[] = {{0, 0, true},  {0, 1, false}, {0, 2, false}, {1, 0, true},  {1, 1, false},
                        {1, 2, true},  {2, 0, true},  {2, 1, false}, {2, 2, false}, {3, 2, true},
                        {4, 1, false}, {7, 1, false}, {8, 2, true},  {9, 0, true},  {9, 2, false}};
    for (const Row& r : rows) {
        OpenMPSwitches[r.step] = r.value;
        NoThreads = 4;
        EXPECT_EQ(StepRunsInParallel(r.step), r.parallel) << r.step << " " << r.value;
        NoThreads = 0;
        EXPECT_FALSE(StepRunsInParallel(r.step)) << "no threads, no regions";
        OpenMPSwitches[r.step] = 0;
    }
}

TEST_F(WaterPass, AccelerationSchedule) {
    using A = Acceleration;
    struct Row {
        int v, pass, iter;
        bool turbulence;
        A expected;
    };
    const Row rows[] = {
        {0, 1, 1, false, A::kNone},           {1, 3, 5, false, A::kBlockCorrection},
        {2, 1, 5, false, A::kBlockCorrection}, {2, 2, 5, false, A::kNone},
        {3, 1, 1, false, A::kBlockCorrection}, {3, 1, 2, false, A::kNone},
        {10, 2, 5, false, A::kMultigrid},     {11, 1, 5, false, A::kMultigrid},
        {11, 2, 5, false, A::kNone},          {12, 1, 1, false, A::kMultigrid},
        {12, 1, 2, false, A::kNone},          {10, 3, 3, true, A::kMultigrid},
        {11, 1, 1, true, A::kNone},           {12, 1, 1, true, A::kNone},
        {2, 1, 4, true, A::kBlockCorrection}, {4, 1, 1, false, A::kNone},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(AccelerationFor(r.v, r.pass, r.iter, r.turbulence), r.expected)
            << r.v << " " << r.pass << " " << r.iter << " " << r.turbulence;
    }
}

TEST_F(WaterPass, WorkingRelaxationFactorsAreClamped) {
    struct Row {
        double given, velocity, k;
    };
    const Row rows[] = {{0.0, 0.001, 0.01}, {0.0005, 0.001, 0.01}, {0.005, 0.005, 0.01},
                        {0.8, 0.8, 0.8},    {2.0, 0.001, 0.01},    {2.5, 0.001, 0.01}};
    for (const Row& r : rows) {
        for (int eq = 1; eq <= 6; ++eq) RelaxationFactors[eq] = r.given;
        SetWorkingRelaxationFactors();
        EXPECT_EQ(RelaxVelocity, r.velocity) << r.given;
        EXPECT_EQ(InvRelaxVelocity, 1.0 / r.velocity);
        EXPECT_EQ(RelaxPressure, r.velocity);
        EXPECT_EQ(RelaxK, r.k);
        EXPECT_EQ(RelaxEps, r.k);
    }
}

TEST_F(WaterPass, MomentumRelaxationOnOneCell) {
    MakeBoxGrid(1, 1, 1);
    ASSERT_TRUE(Cu.allocate(2));
    ASSERT_TRUE(Cvol.allocate(2));
    Equation = 1;
    Cf.designate(Cu);
    RelaxVelocity = 0.5;
    Cu[1] = 4.0;
    Cap[1] = 2.0;
    Cae[1] = 1.0;
    Caw[1] = 2.0;
    Csource[1] = 1.0;
    CompleteMomentumCells(1, 1);
    // Cap = (2 + 1 + 2) / 0.5, Csource = 1 + (1 - 0.5) * Cap * U.
    EXPECT_DOUBLE_EQ(Cap[1], 10.0);
    EXPECT_DOUBLE_EQ(Csource[1], 21.0);

    // A triangular shoreline cell under F 235 = 11 doubles its relaxed
    // coefficient and keeps its value with the added half.
    ASSERT_TRUE(Ctrekant.allocate(2));
    Ctrekant[1] = 2;
    TrekantOption = 11;
    Cap[1] = 2.0;
    Csource[1] = 1.0;
    CompleteMomentumCells(1, 1);
    EXPECT_DOUBLE_EQ(Cap[1], 20.0);
    EXPECT_DOUBLE_EQ(Csource[1], 21.0 + 0.5 * 4.0 * 20.0);
}

TEST_F(WaterPass, ThinColumnsShareTheirMeanInverse) {
    MakeBoxGrid(2, 1, 2);
    for (Array1<double>* a : {&CinvAp, &Ckdist, &Fareaz}) ASSERT_TRUE(a->allocate(8));
    ASSERT_TRUE(Csurfb.allocate(5));
    for (int c = 1; c <= 4; ++c) {
        Csurfb[c] = c;
        CinvAp[c] = c;
        Ckdist[c] = 0.005;
    }
    Fareaz[1] = 1.0;   // 0.005 / 1 is thin
    Fareaz[3] = 0.01;  // 0.005 / 0.1 is not
    AverageThinColumnInverses();
    EXPECT_EQ(CinvAp[1], 1.5);
    EXPECT_EQ(CinvAp[2], 1.5);
    EXPECT_EQ(CinvAp[3], 3.0);
    EXPECT_EQ(CinvAp[4], 4.0);
}

TEST_F(WaterPass, TimeStepFollowsTheSlides) {
    TimeStep = 10.0;
    ActiveSlides[0] = 3;
    ReduceTimeStepDuringSlides();
    EXPECT_DOUBLE_EQ(TimeStep, 1.0);
    ReduceTimeStepDuringSlides();
    EXPECT_DOUBLE_EQ(TimeStep, 1.0) << "the first time step stays the reference";
    ActiveSlides[0] = 0;
    ReduceTimeStepDuringSlides();
    EXPECT_DOUBLE_EQ(TimeStep, 10.0);
}

}  // namespace
