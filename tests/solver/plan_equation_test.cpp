// The plan equation at the bed cells: the modes, their pass orders, bounds
// and stop test.
#include <cmath>
#include <vector>

#include <gtest/gtest.h>

#include "run/params_f150.h"
#include "run/params_f200.h"
#include "run/params_f300.h"
#include "run/params_g.h"
#include "surface/surface_data.h"
#include "tests/support/equation_fixture.h"

namespace {

// An n x n plan of columns two cells high, as block 1 at grid lines 1..n;
// the bed cells carry the plan equation.
class PlanEquation : public EquationTest {
protected:
    void MakePlan(int n) {
        ResetGlobals();
        g_ = MakeBoxGrid(n, n, 2, true);
        NoBlocks = 1;
        BlockTable[1] = BlockRecord{};
        BlockTable[1].iFirst = BlockTable[1].jFirst = 1;
        BlockTable[1].iLast = BlockTable[1].jLast = n;
        BlockTable[1].firstCell = 1;
        BlockTable[1].lastCell = NoCells;
        G26BlockValues[1] = 1;
        ASSERT_TRUE(Gridz.allocate(n + 2, n + 2, NoGridLinesZ + 2));
        ASSERT_TRUE(Cbedcell.allocate(NoCells + 1));
        ASSERT_TRUE(Benergy.allocate(n * n + 1));
        int column = 0;
        for (int i = 0; i < n; ++i) {
            for (int j = 0; j < n; ++j) {
                const int c = bed(i, j);
                Gridz[i + 1][j + 1][0] = c;
                Cbedcell[c] = Cbedcell[c + 1] = ++column;
                Benergy[column] = -1e30;
            }
        }
    }
    int bed(int i, int j) const { return g_.cell(i, j, 0); }
    // phi = x + 2y held on the edge, Laplace inside (weight 1 per side).
    void LinearProblem(int n) {
        MakePlan(n);
        for (int i = 0; i < n; ++i) {
            for (int j = 0; j < n; ++j) {
                const int c = bed(i, j);
                if (i == 0 || j == 0 || i == n - 1 || j == n - 1) {
                    Cap[c] = 1e20;
                    Csource[c] = 1e20 * Exact(i, j);
                } else {
                    Cap[c] = 4.0;
                    Cae[c] = Caw[c] = Can[c] = Cas[c] = 1.0;
                }
            }
        }
    }
    static double Exact(int i, int j) { return i + 2.0 * j; }
    double WorstError(int n) {
        double worst = 0.0;
        for (int i = 0; i < n; ++i) {
            for (int j = 0; j < n; ++j) worst = std::max(worst, std::fabs(Cf[bed(i, j)] - Exact(i, j)));
        }
        return worst;
    }
    std::vector<double> Beds(int n) {
        std::vector<double> v;
        for (int i = 0; i < n; ++i) {
            for (int j = 0; j < n; ++j) v.push_back(Cf[bed(i, j)]);
        }
        return v;
    }
    BoxGrid g_;
};

TEST_F(PlanEquation, LinearFieldIsSolvedByEachMode) {
    struct Case {
        int mode;
        double tolerance;
    };
    for (const Case k : {Case{4, 1e-3}, Case{43, 1e-3}, Case{8, 1e-6}, Case{83, 1e-6}}) {
        LinearProblem(10);
        SolvePlanEquation(k.mode);
        EXPECT_LT(WorstError(10), k.tolerance) << "mode " << k.mode;
        // The cells above the bed are not part of the plan equation.
        EXPECT_EQ(Cf[g_.cell(4, 4, 1)], 0.0) << "mode " << k.mode;
        EXPECT_EQ(Cf[0], 0.0);
    }
}

TEST_F(PlanEquation, BoundedModesNeverLeaveAColumnBelowItsBound) {
    for (const int mode : {43, 83}) {
        LinearProblem(10);
        for (int i = 2; i < 6; ++i) Benergy[Cbedcell[bed(i, 3)]] = 20.0 + i;
        PlanSolverSweeps2 = 1;  // the bound holds after any number of iterations
        PlanSolverSweeps1 = 1;
        SolvePlanEquation(mode);
        for (int i = 1; i < 9; ++i) {
            for (int j = 1; j < 9; ++j) {
                const int c = bed(i, j);
                EXPECT_GE(Cf[c], Benergy[Cbedcell[c]]) << "mode " << mode << " at " << i << ", " << j;
            }
        }
        EXPECT_EQ(Cf[bed(3, 3)], 23.0) << "mode " << mode;
    }
}

// The mean change of the backward pass ends the solve: with a huge
// tolerance exactly one iteration is made.
TEST_F(PlanEquation, StopTestEndsAfterTheFirstIterationWhenMet) {
    LinearProblem(6);
    PlanSolverSweeps2 = 1;
    SolvePlanEquation(4);
    const std::vector<double> once = Beds(6);

    LinearProblem(6);
    PlanSolverSweeps2 = 2;
    SolvePlanEquation(4);
    const std::vector<double> twice = Beds(6);
    EXPECT_NE(once, twice);

    LinearProblem(6);
    PlanSolverSweeps2 = 350;
    PlanSolverTolerance = 1e30;
    SolvePlanEquation(4);
    EXPECT_EQ(Beds(6), once);
}

// Mode 8 runs four passes per iteration whatever the change, mode 42 one
// pass three times. A cell and its east neighbour that copies it halve the
// distance to 1 once per pass; where two passes in a row meet the pair in
// opposite orders (the fourth pass and the first of the next iteration, the
// two sweeps along j of mode 42) the second repeats the same value.
TEST_F(PlanEquation, FixedPassCounts) {
    struct Case {
        int mode;
        int sweeps1;
        int passes;
    };
    for (const Case k : {Case{8, 1, 4}, Case{8, 3, 10}, Case{83, 2, 7}, Case{42, 7, 3}, Case{5, 7, 0}, Case{41, 0, 0}}) {
        MakePlan(3);
        PlanSolverSweeps1 = k.sweeps1;
        for (int c = 1; c <= NoCells; ++c) Cf[c] = 0.0;
        const int c = bed(1, 1), e = bed(2, 1);
        for (int i = 0; i < 3; ++i) {
            for (int j = 0; j < 3; ++j) Cap[bed(i, j)] = 1.0;
        }
        Cae[c] = 0.5;
        Csource[c] = 0.5;
        // The east cell follows its west neighbour.
        Caw[e] = 1.0;
        SolvePlanEquation(k.mode);
        double expect = 0.0;
        for (int p = 0; p < k.passes; ++p) expect = 0.5 * expect + 0.5;
        EXPECT_NEAR(Cf[c], expect, 1e-15) << "mode " << k.mode << " sweeps " << k.sweeps1;
    }
}

TEST_F(PlanEquation, NinePointCornerFallsBackToTheOtherSide) {
    struct Case {
        bool breakNorthEast;
        bool breakEastNorth;
        double expect;
    };
    for (const Case k : {Case{false, false, 7.0}, Case{true, false, 7.0}, Case{true, true, 0.0}}) {
        MakePlan(3);
        for (int c = 1; c <= NoCells; ++c) {
            Cap[c] = 1.0;
            Csource[c] = 0.0;
        }
        const int c = bed(1, 1), ne = bed(2, 2);
        Csource[ne] = 7.0;
        Cf[ne] = 7.0;
        Caee[c] = 1.0;
        if (k.breakNorthEast) Ccelle[Ccelln[c]] = 0;
        if (k.breakEastNorth) Ccelln[Ccelle[c]] = 0;
        PlanSolverSweeps1 = 1;
        SolvePlanEquation(8);
        EXPECT_EQ(Cf[c], k.expect) << k.breakNorthEast << k.breakEastNorth;
    }
}

TEST_F(PlanEquation, OnlyBlocksWithG26OneAndSkipFlagZeroAreSolved) {
    struct Case {
        int g26;
        int skip;
        bool solved;
    };
    for (const Case k : {Case{1, 0, true}, Case{0, 0, false}, Case{1, 2, false}}) {
        for (const int mode : {4, 8, 42}) {
            LinearProblem(4);
            G26BlockValues[1] = k.g26;
            BlockTable[1].gridLevel = k.skip;
            SolvePlanEquation(mode);
            EXPECT_EQ(Cf[bed(1, 1)] != 0.0, k.solved) << "mode " << mode << " G 26 " << k.g26;
        }
    }
}

// A bed cell without a diagonal keeps its value instead of becoming NaN.
TEST_F(PlanEquation, ZeroDiagonalKeepsTheValue) {
    for (const int mode : {4, 8, 42}) {
        LinearProblem(4);
        const int c = bed(1, 1);
        Cap[c] = 0.0;
        Cf[c] = 3.5;
        SolvePlanEquation(mode);
        EXPECT_EQ(Cf[c], 3.5) << "mode " << mode;
        EXPECT_TRUE(std::isfinite(Cf[bed(2, 2)])) << "mode " << mode;
    }
}

TEST_F(PlanEquation, LevelCorrectionsFromTheirOwnSource) {
    MakePlan(3);
    ASSERT_TRUE(Blevelcorr.allocate(10));
    ASSERT_TRUE(Bplanwork.allocate(10));
    for (int c = 1; c <= NoCells; ++c) Cap[c] = 2.0;
    const int c = bed(1, 1);
    Bplanwork[Cbedcell[c]] = 1.0;
    Bplanwork[Cbedcell[bed(0, 0)]] = 1e-85;
    Blevelcorr[Cbedcell[bed(0, 0)]] = 5.0;
    Cae[c] = 1.0;
    Cap[bed(2, 1)] = 1.0;  // an identity row holding 3
    Bplanwork[Cbedcell[bed(2, 1)]] = 3.0;
    PlanSolverSweeps1 = 1;
    SolvePlanEquation(41);
    EXPECT_EQ(Blevelcorr[Cbedcell[c]], 2.0);  // (1 * 3 + 1) / 2
    // Tiny values become 0 on the way forward; the backward pass stores them as computed.
    EXPECT_EQ(Blevelcorr[Cbedcell[bed(0, 0)]], 0.5e-85);
    EXPECT_EQ(Cf[c], 0.0);
}

}  // namespace
