#include <algorithm>
#include <cmath>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/equation_fixture.h"

namespace {

using GaussSeidel = EquationTest;

std::vector<double> Field(int first, int last) {
    std::vector<double> v;
    for (int c = first; c <= last; ++c) v.push_back(Cf[c]);
    return v;
}

TEST_F(GaussSeidel, ChainWithFixedEndsConvergesToTheLine) {
    MakeChain(10, 0.0);
    FixCell(1, 0.0);
    FixCell(10, 9.0);
    Equation = 1;
    SolverSweeps[1] = 200;
    SolveEquation();
    for (int c = 1; c <= 10; ++c) EXPECT_NEAR(Cf[c], c - 1.0, 1e-10) << "cell " << c;
    EXPECT_EQ(Cf[0], 0.0);
}

// Forward then backward, in place: the forward pass already uses the new
// value of cell 1 for cell 2, the backward pass the new value of cell 3.
TEST_F(GaussSeidel, OneSymmetricSweepUpdatesInPlace) {
    MakeChain(3, 1.0);
    SolveCellRange(1, 3, 1);
    EXPECT_EQ(Field(1, 3), (std::vector<double>{1.09375, 1.1875, 0.875}));
}

TEST_F(GaussSeidel, NoSweepsLeaveTheFieldAndFixedCellsKeepTheirValue) {
    MakeChain(4, 5.0);
    for (int c = 1; c <= 4; ++c) Cf[c] = 0.5 * c;
    SolveCellRange(1, 4, 0);
    EXPECT_EQ(Field(1, 4), (std::vector<double>{0.5, 1.0, 1.5, 2.0}));

    FixCell(2, 123.456);
    SolveCellRange(1, 4, 7);
    EXPECT_DOUBLE_EQ(Cf[2], 123.456);
}

TEST_F(GaussSeidel, LoneCellTakesSourceOverDiagonal) {
    MakeBoxGrid(1, 1, 1);
    Cap[1] = 4.0;
    Csource[1] = 3.0;
    Cf[1] = 99.0;
    SolveCellRange(1, 1, 5);
    EXPECT_EQ(Cf[1], 0.75);
}

// The far coefficient of cell 1 weights cell 3, two cells east.
TEST_F(GaussSeidel, ThirteenPointFormOnlyWithK6OneAndFarCoefficients) {
    struct Case {
        int scheme;
        bool farArrays;
        double expected;
    };
    for (const Case& k : {Case{1, true, 1.5}, Case{0, true, 0.75}, Case{1, false, 0.75}}) {
        SCOPED_TRACE(testing::Message() << "K 6 " << k.scheme << ", far arrays " << k.farArrays);
        ResetGlobals();
        MakeBoxGrid(4, 1, 1, k.farArrays);
        Equation = 2;
        ConvectionScheme[2] = k.scheme;
        Cap[1] = 4.0;
        Cae[1] = 1.0;
        Csource[1] = 1.0;
        if (k.farArrays) Caee[1] = 1.0;
        Cf[2] = 2.0;
        Cf[3] = 3.0;
        SolveCellRange(1, 1, 1);
        EXPECT_EQ(Cf[1], k.expected);
    }
}

// The kernels against a plain symmetric sweep (the terms in order, the source,
// a division by Cap), to round-off: the kernels add the terms in another
// order and multiply by the reciprocal of Cap. On a box the cell solved just
// before is the bottom (top) neighbour, on a chain it is the west (east) one,
// and the far terms reach two cells back. Unequal coefficients make any
// stale or misplaced neighbour value show far above round-off.
TEST_F(GaussSeidel, SweepsEqualAPlainSweepToRoundOff) {
    struct Case {
        const char* name;
        int ni, nj, nk;
        bool far;
    };
    for (const Case& k : {Case{"box", 5, 4, 6, false}, Case{"box, 13 points", 5, 4, 6, true},
                          Case{"chain", 30, 1, 1, false}}) {
        for (bool inBlock : {false, true}) {
            SCOPED_TRACE(testing::Message() << k.name << (inBlock ? ", thread block" : ", serial"));
            ResetGlobals();
            const BoxGrid g = MakeBoxGrid(k.ni, k.nj, k.nk, k.far);
            Equation = 1;
            ConvectionScheme[1] = k.far ? 1 : 0;
            unsigned seed = 12345;
            auto next = [&seed] {
                seed = seed * 1103515245u + 12345u;
                return 0.1 + (seed >> 16) % 1000 / 1000.0;
            };
            for (int c = 1; c <= g.cells(); ++c) {
                double sum = 0.0;
                for (Array1<double>* a : {&Cae, &Caw, &Can, &Cas, &Cat, &Cab}) sum += ((*a)[c] = next());
                if (k.far) {
                    for (Array1<double>* a : {&Caee, &Caww, &Cann, &Cass, &Catt, &Cabb}) sum += ((*a)[c] = 0.1 * next());
                }
                Cap[c] = sum + next();
                Csource[c] = next() - 0.5;
                Cf[c] = next();
            }
            std::vector<double> f(Cf.data(), Cf.data() + g.cells() + 1);
            const Array1<int>* nb[6] = {&Ccelle, &Ccellw, &Ccelln, &Ccells, &Ccellt, &Ccellb};
            const Array1<double>* a[6] = {&Cae, &Caw, &Can, &Cas, &Cat, &Cab};
            const Array1<double>* af[6] = {&Caee, &Caww, &Cann, &Cass, &Catt, &Cabb};
            auto update = [&](int c) {
                double sum = (*a[0])[c] * f[(*nb[0])[c]];
                for (int d = 1; d < 6; ++d) sum = sum + (*a[d])[c] * f[(*nb[d])[c]];
                for (int d = 0; k.far && d < 6; ++d) sum = sum + (*af[d])[c] * f[(*nb[d])[(*nb[d])[c]]];
                f[c] = (sum + Csource[c]) / Cap[c];
            };
            const int sweeps = 3;
            for (int it = 0; it < sweeps; ++it) {
                for (int c = 1; c <= g.cells(); ++c) update(c);
                for (int c = g.cells(); c >= 1; --c) update(c);
            }
            if (inBlock) {
                SolveCellRangeInBlock(1, g.cells(), sweeps);
            } else {
                SolveCellRange(1, g.cells(), sweeps);
            }
            // Round-off of sums whose terms are of the field's size.
            double scale = 0.0;
            for (int c = 1; c <= g.cells(); ++c) scale = std::max(scale, std::abs(f[c]));
            const std::vector<double> solved = Field(1, g.cells());
            for (int c = 1; c <= g.cells(); ++c) EXPECT_NEAR(solved[c - 1], f[c], 1e-14 * scale) << "cell " << c;
        }
    }
}

// Two columns of three cells: cell 1 faces cells 4 and 5 on its east side.
TEST_F(GaussSeidel, SplitFacesTakeTheFacingCellsAndTheSweepCount) {
    MakeBoxGrid(2, 1, 3);
    AllocateSplitFaces(3);
    SplitFaceFlag = 1;
    for (int c = 1; c <= 6; ++c) Cf[c] = c;
    Cap[1] = 5.0;
    Cat[1] = 1.0;
    Csource[1] = 1.0;
    Cae[1] = 100.0;  // not used: the side is split
    Cnocellse[1] = 2;
    CnbMultiE[1][0] = 4;
    CaMultiE[1][0] = 1.0;
    CaMultiE[1][1] = 2.0;
    Cap[2] = 1.0;
    Cae[2] = 1.0;  // an ordinary face
    Cap[4] = 2.0;
    Caw[4] = 7.0;
    Cnocellsw[4] = -1;  // a side that contributes nothing
    Csource[4] = 4.0;

    SolveCellRange(1, 1, 0);
    EXPECT_EQ(Cf[1], (2.0 + 1.0 + 4.0 + 2.0 * 5.0) / 5.0);
    SolveCellRange(2, 2, 0);  // no split side in the range: no sweep asked, none made
    EXPECT_EQ(Cf[2], 2.0);
    SolveCellRange(2, 2, 1);
    EXPECT_EQ(Cf[2], 5.0);
    SolveCellRange(4, 4, 0);
    EXPECT_EQ(Cf[4], 2.0);

    // A coupled range: 0 requested sweeps still give one symmetric sweep, and
    // 15 give fifteen, as without split faces (one sweep alone starves the
    // pressure correction).
    auto solve = [](int sweeps, int calls) {
        for (int c = 1; c <= 6; ++c) {
            Cf[c] = c;
            Cap[c] = 3.0;
            Cat[c] = Cab[c] = Cae[c] = Caw[c] = 1.0;
        }
        for (int n = 0; n < calls; ++n) SolveCellRange(1, 6, sweeps);
        return Field(1, 6);
    };
    EXPECT_EQ(solve(0, 1), solve(1, 1));
    EXPECT_EQ(solve(15, 1), solve(1, 15));
    EXPECT_NE(solve(15, 1), solve(1, 1));
}

// F 137 on a grid where no side is split solves exactly as without it, in
// both forms: the same sweeps, the same terms, the same rounding.
TEST_F(GaussSeidel, SplitFaceFlagWithoutSplitSidesChangesNothing) {
    for (bool far : {false, true}) {
        SCOPED_TRACE(far ? "13-point" : "7-point");
        const BoxGrid g = MakeBoxGrid(3, 2, 3, far);
        AllocateSplitFaces(2);
        Equation = 1;
        ConvectionScheme[1] = far ? 1 : 0;
        auto solve = [&](int flag) {
            SplitFaceFlag = flag;
            for (int c = 1; c <= g.cells(); ++c) {
                double sum = 0.0;
                for (Array1<double>* a : {&Cae, &Caw, &Can, &Cas, &Cat, &Cab}) sum += ((*a)[c] = 0.1 + 0.01 * (c % 7));
                if (far) {
                    for (Array1<double>* a : {&Caee, &Caww, &Cann, &Cass, &Catt, &Cabb}) sum += ((*a)[c] = -0.02);
                }
                Cap[c] = sum + 0.3;
                Csource[c] = 0.05 * c;
                Cf[c] = 1.0 / c;
            }
            SolveCellRange(1, g.cells(), 4);
            return Field(1, g.cells());
        };
        EXPECT_EQ(solve(1), solve(0));
    }
}

TEST_F(GaussSeidel, FiveFieldsAreSolvedAsIfAlone) {
    constexpr int kFields = 5;
    const BoxGrid g = MakeBoxGrid(3, 2, 2);
    const int n = g.cells();
    ASSERT_TRUE(CfMulti.allocate(kFields, n + 1));
    ASSERT_TRUE(CsourceMulti.allocate(kFields, n + 1));
    ASSERT_TRUE(InvApMulti.allocate(kFields, n + 1));
    for (int c = 1; c <= n; ++c) {
        Cae[c] = 1.0 + 0.1 * c;
        Caw[c] = 0.5;
        Can[c] = 0.25 * (c % 3);
        Cas[c] = 0.75;
        Cat[c] = 0.3;
        Cab[c] = 0.6;
        for (int m = 0; m < kFields; ++m) {
            CfMulti[m][c] = 0.01 * m * c;
            CsourceMulti[m][c] = m - 0.2 * c;
            InvApMulti[m][c] = 1.0 / (6.0 + m + 0.05 * c);
        }
    }
    std::vector<std::vector<double>> start(kFields);
    for (int m = 0; m < kFields; ++m) {
        for (int c = 0; c <= n; ++c) start[m].push_back(CfMulti[m][c]);
    }
    SolveCellRangeMulti(1, n, 3);
    for (int m = 0; m < kFields; ++m) {
        for (int c = 1; c <= n; ++c) {
            Cf[c] = start[m][c];
            Cap[c] = 6.0 + m + 0.05 * c;
            Csource[c] = CsourceMulti[m][c];
        }
        SolveCellRange(1, n, 3);
        for (int c = 1; c <= n; ++c) EXPECT_NEAR(CfMulti[m][c], Cf[c], 1e-12) << "field " << m << " cell " << c;
    }
}

TEST_F(GaussSeidel, RangeNeverTouchesTheNoneSlotNorLeavesTheArrays) {
    MakeBoxGrid(3, 1, 1);
    for (int c = 1; c <= 3; ++c) Cap[c] = 1.0;
    SolveCellRange(0, 3, 1);
    EXPECT_EQ(Cf[0], 0.0);

    ReadOutcome out = CaptureRunEnd([] { SolveCellRange(1, 50, 1); });
    EXPECT_TRUE(out.ended);
    EXPECT_EQ(out.status, -1);
    EXPECT_EQ(out.log, "Error, cells 1 to 50 lie outside the equation arrays, which end at cell 3\n");
}

// A 3D Laplace problem on a channel-shaped box of unequal spacings whose exact
// solution is linear; the boundary cells are fixed at it. Serially and in
// thread blocks the interior must reproduce it.
TEST_F(GaussSeidel, LinearSolutionOfA3DProblemIsReproduced) {
    for (int threads : {0, 3}) {
        SCOPED_TRACE(testing::Message() << "NoThreads " << threads);
        ResetGlobals();
        const BoxGrid g = MakeBoxGrid(24, 6, 5);
        const double ax = 4.0, ay = 1.0, az = 9.0;
        auto exact = [](int i, int j, int k) { return 1.0 + 0.5 * i - 0.25 * j + 2.0 * k; };
        for (int i = 0; i < g.ni; ++i) {
            for (int j = 0; j < g.nj; ++j) {
                for (int k = 0; k < g.nk; ++k) {
                    const int c = g.cell(i, j, k);
                    Cae[c] = Caw[c] = ax;
                    Can[c] = Cas[c] = ay;
                    Cat[c] = Cab[c] = az;
                    Cap[c] = 2.0 * (ax + ay + az);
                    const bool edge = i == 0 || j == 0 || k == 0 || i == g.ni - 1 || j == g.nj - 1 || k == g.nk - 1;
                    if (edge) FixCell(c, exact(i, j, k));
                }
            }
        }
        Equation = 4;  // three times K 4
        SolverSweeps[4] = 100;
        NoThreads = threads;
        double worst = 1.0;
        for (int call = 0; call < 10 && worst > 1e-9; ++call) {
            SolveEquation();
            worst = 0.0;
            for (int i = 0; i < g.ni; ++i) {
                for (int j = 0; j < g.nj; ++j) {
                    for (int k = 0; k < g.nk; ++k) worst = std::max(worst, std::fabs(Cf[g.cell(i, j, k)] - exact(i, j, k)));
                }
            }
        }
        EXPECT_LT(worst, 1e-8);
    }
}

}  // namespace
