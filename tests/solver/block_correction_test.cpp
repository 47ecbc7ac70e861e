// Line corrections of whole column lines, and the column TDMA solves.
#include <cmath>
#include <vector>

#include <gtest/gtest.h>

#include "flow/flow_data.h"
#include "grid/grid_data.h"
#include "run/params_f100.h"
#include "run/params_f50.h"
#include "run/params_k.h"
#include "run/run_state.h"
#include "solver/solver_data.h"
#include "tests/support/equation_fixture.h"

namespace {

// Blocks of ni x nj columns of nk cells, numbered as the box numbers them,
// placed in the grid index from (i0, j0).
class LineSolvers : public EquationTest {
protected:
    BoxGrid Grid(int ni, int nj, int nk, int i0 = 2, int j0 = 2) {
        ResetGlobals();
        g_ = MakeBoxGrid(ni, nj, nk);
        EXPECT_TRUE(Gridz.allocate(i0 + ni + 2, j0 + nj + 2, 3));
        EXPECT_TRUE(CtdmaP.allocate(NoCells + 1) && CtdmaQ.allocate(NoCells + 1));
        for (int i = 0; i < ni; ++i) {
            for (int j = 0; j < nj; ++j) Gridz[i0 + i][j0 + j][0] = g_.cell(i, j, 0);
        }
        NoBlocks = 0;
        AddActiveBlock(i0, i0 + ni - 1, j0, j0 + nj - 1);
        Equation = 1;
        return g_;
    }

    // Weights 1 along i and 0.5 across and vertically, 0 towards walls; one
    // more on the diagonal at both ends with sources 0 and ni + 1, so that
    // Cf = i + 1 (i from 0) solves every equation.
    void AlongChannel() {
        for (int c = 1; c <= NoCells; ++c) {
            Cae[c] = Ccelle[c] ? 1.0 : 0.0;
            Caw[c] = Ccellw[c] ? 1.0 : 0.0;
            Can[c] = Ccelln[c] ? 0.5 : 0.0;
            Cas[c] = Ccells[c] ? 0.5 : 0.0;
            Cat[c] = Ccellt[c] ? 0.5 : 0.0;
            Cab[c] = Ccellb[c] ? 0.5 : 0.0;
            Cap[c] = Cae[c] + Caw[c] + Can[c] + Cas[c] + Cat[c] + Cab[c];
            Csource[c] = 0.0;
            Cf[c] = 0.0;
        }
        for (int j = 0; j < g_.nj; ++j) {
            for (int k = 0; k < g_.nk; ++k) {
                Cap[g_.cell(0, j, k)] += 1.0;
                Cap[g_.cell(g_.ni - 1, j, k)] += 1.0;
                Csource[g_.cell(g_.ni - 1, j, k)] = g_.ni + 1;
            }
        }
    }
    double Exact(int c) const { return (c - 1) / (g_.nk * g_.nj) + 1; }
    std::vector<double> Field() const { return std::vector<double>(Cf.data(), Cf.data() + NoCells + 1); }

    BoxGrid g_;
};

TEST_F(LineSolvers, BlockCorrectionSolvesAnErrorConstantOnItsILines) {
    struct Case {
        int f98, k6, f137;
        bool corrects;
    };
    for (const Case k : {Case{0, 0, 0, true}, Case{1, 0, 0, true}, Case{2, 0, 0, false}, Case{0, 1, 0, false},
                         Case{0, 0, 1, false}}) {
        SCOPED_TRACE("F 98 " + std::to_string(k.f98) + ", K 6 " + std::to_string(k.k6) + ", F 137 " +
                     std::to_string(k.f137));
        Grid(10, 3, 2);
        AlongChannel();
        SkipBlockCorrection = k.f98;
        ConvectionScheme[1] = k.k6;
        SplitFaceFlag = k.f137;
        ApplyBlockCorrection();
        for (int c = 1; c <= NoCells; ++c) EXPECT_NEAR(Cf[c], k.corrects ? Exact(c) : 0.0, 1e-12) << c;
    }
}

TEST_F(LineSolvers, BlockCorrectionLeavesASolutionAlone) {
    for (const int f98 : {0, 1}) {
        Grid(10, 3, 2);
        AlongChannel();
        for (int c = 1; c <= NoCells; ++c) Cf[c] = Exact(c);
        SkipBlockCorrection = f98;
        ApplyBlockCorrection();
        for (int c = 1; c <= NoCells; ++c) EXPECT_NEAR(Cf[c], Exact(c), 1e-12) << "F 98 " << f98 << ", cell " << c;
    }
}

// Two blocks side by side along i share their j range: in the chained
// i lines every column counts once, so the correction is exact still.
TEST_F(LineSolvers, ChainedCorrectionCountsSharedColumnsOnce) {
    Grid(10, 3, 2);
    AlongChannel();
    BlockTable[1].iLast = 6;
    AddActiveBlock(7, 11, 2, 4);
    SkipBlockCorrection = 1;
    ApplyBlockCorrection();
    for (int c = 1; c <= NoCells; ++c) EXPECT_NEAR(Cf[c], Exact(c), 1e-12) << c;
}

// A fixed cell takes no part in the sums (it corrects as a cell without
// equation would) but moves with its line.
TEST_F(LineSolvers, FixedCellsAreShiftedButNotSummed) {
    std::vector<double> withoutEquation, fixed;
    for (const bool fix : {false, true}) {
        Grid(6, 3, 2);
        AlongChannel();
        const int c = g_.cell(2, 1, 1);
        if (fix) {
            FixCell(c, 7.0);
        } else {
            Cap[c] = Cae[c] = Caw[c] = Can[c] = Cas[c] = Cat[c] = Cab[c] = Csource[c] = 0.0;
        }
        SkipBlockCorrection = 0;
        ApplyBlockCorrection();
        (fix ? fixed : withoutEquation) = Field();
        EXPECT_NE(Cf[c], 0.0);
        EXPECT_DOUBLE_EQ(Cf[c], Cf[g_.cell(2, 1, 0)]);
    }
    for (size_t c = 1; c < fixed.size(); ++c) EXPECT_NEAR(fixed[c], withoutEquation[c], 1e-12) << c;
}

// Uneven coefficients, the same block at another place of the grid index.
TEST_F(LineSolvers, BlockCorrectionDoesNotDependOnWhereTheBlockStarts) {
    for (const int f98 : {0, 1}) {
        std::vector<double> results[2];
        for (int at = 0; at < 2; ++at) {
            Grid(5, 4, 3, at == 0 ? 2 : 5, at == 0 ? 2 : 7);
            AlongChannel();
            for (int c = 1; c <= NoCells; ++c) {
                Cas[c] *= 1.0 + 0.1 * (c % 3);
                Can[c] *= 1.0 + 0.2 * (c % 2);
                Csource[c] += 0.3 * (c % 5);
            }
            SkipBlockCorrection = f98;
            ApplyBlockCorrection();
            results[at] = Field();
        }
        for (size_t c = 1; c < results[0].size(); ++c) {
            EXPECT_NEAR(results[0][c], results[1][c], 1e-12) << "F 98 " << f98 << ", cell " << c;
            EXPECT_TRUE(std::isfinite(results[0][c]));
        }
        EXPECT_NE(results[0][1], 0.0);
    }
}

// A known column field x; the sources make it the solution of the cell
// equations with the horizontal neighbours at their values.
void SourcesFor(const std::vector<double>& x) {
    for (int c = 1; c <= NoCells; ++c) {
        Cap[c] = 3.0 + 0.1 * c;
        Cat[c] = 0.7 + 0.05 * c;
        Cab[c] = 0.6 + 0.03 * c;
        Cae[c] = Caw[c] = Can[c] = Cas[c] = 0.0;
    }
    for (int c = 1; c <= NoCells; ++c) {
        Csource[c] = Cap[c] * x[c] - Cat[c] * x[Ccellt[c]] - Cab[c] * x[Ccellb[c]];
    }
}

TEST_F(LineSolvers, LineTdmaSolvesAColumnExactly) {
    Grid(1, 1, 7);
    std::vector<double> x(NoCells + 1, 0.0);
    for (int c = 1; c <= NoCells; ++c) x[c] = std::sin(c);
    SourcesFor(x);
    SolveLineTdma();
    for (int c = 1; c <= NoCells; ++c) EXPECT_NEAR(Cf[c], x[c], 1e-12) << c;
}

// The top cell of the first column and the bed cell of the second carry
// coefficients towards faces with no cell behind them: the columns are
// still solved apart.
TEST_F(LineSolvers, LineTdmaKeepsColumnsApartAtFluxCarryingTopFaces) {
    Grid(2, 1, 3);
    std::vector<double> x(NoCells + 1, 0.0);
    for (int c = 1; c <= NoCells; ++c) x[c] = 1.0 + c;
    SourcesFor(x);
    ASSERT_NE(Cat[3], 0.0);
    ASSERT_NE(Cab[4], 0.0);
    SolveLineTdma();
    for (int c = 1; c <= NoCells; ++c) EXPECT_NEAR(Cf[c], x[c], 1e-12) << c;
}

TEST_F(LineSolvers, LineTdmaLeavesCellsOutsideTheActiveRangeAlone) {
    Grid(2, 1, 3);
    std::vector<double> x(NoCells + 1, 0.0);
    for (int c = 1; c <= NoCells; ++c) x[c] = 2.0 * c;
    SourcesFor(x);
    for (int c = 1; c <= NoCells; ++c) Cf[c] = -5.0;
    FirstCell = 4;
    SolveLineTdma();
    for (int c = 1; c <= 3; ++c) EXPECT_EQ(Cf[c], -5.0);
    for (int c = 4; c <= 6; ++c) EXPECT_NEAR(Cf[c], x[c], 1e-12);
}

TEST_F(LineSolvers, LineTdmaKSolvesColumnsOfFiveCellsOrMore) {
    for (const int nk : {4, 5}) {
        Grid(2, 2, nk);
        std::vector<double> x(NoCells + 1, 0.0);
        for (int c = 1; c <= NoCells; ++c) x[c] = std::cos(c);
        SourcesFor(x);
        for (int c = 1; c <= NoCells; ++c) Cf[c] = -5.0;
        SolveLineTdmaK();
        for (int c = 1; c <= NoCells; ++c) EXPECT_NEAR(Cf[c], nk == 4 ? -5.0 : x[c], 1e-12) << nk << " cells, " << c;
    }
}

TEST_F(LineSolvers, SumColumnPressuresAddsTheMeansBelowEachCell) {
    Grid(2, 1, 3);
    ASSERT_TRUE(Pres.allocate(NoCells + 1));
    for (int c = 1; c <= NoCells; ++c) Pres[c] = c * c;
    // Cells 1, 2 (mean 2.5), the whole second column (mean 77 / 3) and none.
    EXPECT_DOUBLE_EQ(SumColumnPressures(2, 6, 0, -1), 2.5 + 77.0 / 3.0);
    EXPECT_EQ(SumColumnPressures(0, 0, 0, 0), 0.0);
}

}  // namespace
