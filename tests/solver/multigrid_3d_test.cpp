// The multigrid levels built behind the grid, and the 3D multigrid step
// through them.
#include <cmath>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "flow/flow_data.h"
#include "grid/grid_data.h"
#include "run/fatal.h"
#include "run/params_f1.h"
#include "run/params_f150.h"
#include "run/params_f300.h"
#include "run/params_f50.h"
#include "run/run_state.h"
#include "solver/multigrid_levels.h"
#include "solver/solver_data.h"
#include "tests/support/equation_fixture.h"

namespace {

// A box of ni x nj columns of nk cells as block 1 (grid lines from 2), with
// room in the cell arrays for its levels.
class Multigrid3D : public EquationTest {
protected:
    BoxGrid Grid(int ni, int nj, int nk) {
        ResetGlobals();
        const int room = 2 * ni * nj * nk + 2 * ni * nj + 64;
        MakeBoxGrid(room, 1, 1);
        g_ = MakeBoxGrid(ni, nj, nk);
        MaxCeller = room;
        EXPECT_TRUE(Cchildren.allocate(room + 1, 5));
        EXPECT_TRUE(C2DFlag.allocate(room + 1));
        EXPECT_TRUE(Gridz.allocate(ni + 8, nj + 4, 3));
        EXPECT_TRUE(CellIndex3.allocate(ni + 8, nj + 4, 12));
        NoGridLinesX = ni + 2;
        NoGridLinesY = nj + 2;
        NoGridLinesZ = nk + 1;
        for (int i = 0; i < ni; ++i) {
            for (int j = 0; j < nj; ++j) Gridz[i + 2][j + 2][0] = g_.cell(i, j, 0);
        }
        NoBlocks = 0;
        AddActiveBlock(2, ni + 1, 2, nj + 1);
        MultigridChoice = 2;
        return g_;
    }
    // Cells of each level record, column level first.
    static std::vector<int> LevelSizes() {
        std::vector<int> sizes;
        for (int rec = NoBlocks + 1; rec <= NoBlocks + MultigridLevels - 1; ++rec) {
            const BlockRecord& r = BlockTable[rec];
            EXPECT_EQ(r.depthAveraged, kLevelRecordKind);
            EXPECT_EQ(r.gridLevel, rec - NoBlocks + 1);
            sizes.push_back(r.lastCell - r.firstCell + 1);
        }
        return sizes;
    }
    int ColumnCell(int i, int j) const { return Cchildren[g_.cell(i, j, 0)][kParent]; }

    // Weights 1 towards every neighbour, uneven sources.
    void Coefficients(double excess) {
        for (int c = 1; c <= NoCells; ++c) {
            Cae[c] = Ccelle[c] ? 1.0 : 0.0;
            Caw[c] = Ccellw[c] ? 1.0 : 0.0;
            Can[c] = Ccelln[c] ? 1.0 : 0.0;
            Cas[c] = Ccells[c] ? 1.0 : 0.0;
            Cat[c] = Ccellt[c] ? 1.0 : 0.0;
            Cab[c] = Ccellb[c] ? 1.0 : 0.0;
            Cap[c] = Cae[c] + Caw[c] + Can[c] + Cas[c] + Cat[c] + Cab[c] + excess;
            Csource[c] = std::sin(0.7 * c);
            Cf[c] = 0.0;
        }
    }

    BoxGrid g_;
};

TEST_F(Multigrid3D, LevelCountsFollowTheLongerBlockSide) {
    struct Case {
        int ni, nj, levels;
        std::vector<int> sizes;
    };
    const Case cases[] = {{40, 60, 7, {2400, 600, 150, 40, 12, 4}},
                          {8, 8, 4, {64, 16, 4}},
                          {200, 40, 8, {8000, 2000, 500, 125, 39, 14, 4}}};
    for (const Case& k : cases) {
        SCOPED_TRACE(std::to_string(k.ni) + " x " + std::to_string(k.nj));
        Grid(k.ni, k.nj, 1);
        BuildMultigridLevels();
        EXPECT_EQ(MultigridLevels, k.levels);
        EXPECT_EQ(LevelSizes(), k.sizes);
        EXPECT_EQ(BlockTable[NoBlocks + 1].firstCell, NoCells + 1);
        // The dropped one-cell level of 8 x 8 leaves no record behind.
        EXPECT_EQ(BlockTable[NoBlocks + k.levels].depthAveraged, 0);
        // A column of one cell: first and top cell are that cell.
        const int n = ColumnCell(3, 4);
        EXPECT_GT(n, NoCells);
        EXPECT_EQ(Cchildren[n][kSW], g_.cell(3, 4, 0));
        EXPECT_EQ(Cchildren[n][kNW], g_.cell(3, 4, 0));
        EXPECT_EQ(Ccelle[n], ColumnCell(4, 4));
        EXPECT_EQ(Ccells[n], ColumnCell(3, 3));
        EXPECT_EQ(C2DFlag[n], 1);
    }
}

TEST_F(Multigrid3D, DryColumnsGetNoLevelCell) {
    Grid(4, 3, 2);
    Gridz[3][3][0] = 0.0;  // column (1, 1)
    BuildMultigridLevels();
    EXPECT_EQ(BlockTable[NoBlocks + 1].lastCell - NoCells, 11);
    EXPECT_EQ(CellIndex3[3][3][1], 0);
    EXPECT_EQ(Ccelle[ColumnCell(0, 1)], 0);
    EXPECT_EQ(Ccellw[ColumnCell(2, 1)], 0);
    EXPECT_EQ(Ccelln[ColumnCell(1, 0)], 0);
    const int top = g_.cell(2, 1, 1);
    EXPECT_EQ(Cchildren[ColumnCell(2, 1)][kNW], top);
    EXPECT_EQ(Cchildren[top][kParent], ColumnCell(2, 1));
}

// A column that has dried since the levels were last built belongs to no
// level cell: its cells must not keep the parent of the earlier build, which
// is now another column's level cell.
TEST_F(Multigrid3D, RebuildLeavesNoStaleParent) {
    Grid(4, 3, 2);
    BuildMultigridLevels();
    ASSERT_NE(ColumnCell(1, 1), 0);
    Gridz[3][3][0] = 0.0;  // column (1, 1)
    BuildMultigridLevels();
    for (int k = 0; k < 2; ++k) EXPECT_EQ(Cchildren[g_.cell(1, 1, k)][kParent], 0) << "layer " << k;
    EXPECT_EQ(Cchildren[ColumnCell(2, 1)][kSW], g_.cell(2, 1, 0));
}

// Two blocks apart in the index whose bed cells the grid links: once through
// the column index of the bed cells, once through an edge pair.
TEST_F(Multigrid3D, LevelsLinkAcrossBlocks) {
    for (const bool edgePair : {false, true}) {
        SCOPED_TRACE(edgePair ? "edge pair" : "bed-cell index");
        Grid(8, 2, 1);
        // Block 2 takes columns i 4..7, two grid lines after block 1.
        for (int i = 7; i >= 4; --i) {
            for (int j = 0; j < 2; ++j) {
                Gridz[i + 4][j + 2][0] = g_.cell(i, j, 0);
                Gridz[i + 2][j + 2][0] = 0.0;
            }
        }
        NoGridLinesX = 12;
        BlockTable[1].iLast = 5;
        AddActiveBlock(8, 11, 2, 3);
        const int west = g_.cell(3, 0, 0), east = g_.cell(4, 0, 0);
        if (edgePair) {
            ASSERT_TRUE(Fcell1.allocate(4) && Fcell2.allocate(4) && Ftype1.allocate(4) && Ftype2.allocate(4));
            ASSERT_TRUE(EdgePairs.allocate(4, 2));
            NoSurfaces = 3;
            Fcell1[2] = west;
            Fcell2[2] = east;
            Ftype1[2] = 2;
            Ftype2[2] = 4;
            EdgePairs[1][0] = 2;
            NoEdgePairs = 1;
            Ccelle[west] = Ccellw[east] = 0;
        } else {
            ASSERT_TRUE(Bkooi.allocate(NoCells + 1) && Bkooj.allocate(NoCells + 1) && Cbedcell.allocate(NoCells + 1));
            for (int i = 0; i < 8; ++i) {
                for (int j = 0; j < 2; ++j) {
                    const int c = g_.cell(i, j, 0);
                    Cbedcell[c] = c;
                    Bkooi[c] = i + (i < 4 ? 2 : 4);
                    Bkooj[c] = j + 2;
                }
            }
        }
        BuildMultigridLevels();
        const int w = Cchildren[west][kParent], e = Cchildren[east][kParent];
        ASSERT_GT(w, NoCells);
        ASSERT_GT(e, NoCells);
        EXPECT_EQ(Ccelle[w], e);
        EXPECT_EQ(Ccellw[e], w);
        if (edgePair) {
            EXPECT_EQ(Ccelle[Cchildren[w][kParent]], Cchildren[e][kParent]);
            EXPECT_EQ(Ccellw[Cchildren[e][kParent]], Cchildren[w][kParent]);
        }
    }
}

TEST_F(Multigrid3D, TooFewCellsEndTheRun) {
    Grid(8, 3, 4);
    MaxCeller = NoCells + 10;
    try {
        BuildMultigridLevels();
        ADD_FAILURE() << "no overflow";
    } catch (const RunExit& e) {
        EXPECT_EQ(e.status, -1);
    }
    EXPECT_NE(log().find("Error: Number of cells in the unstructured arrays are too small\n"
                         "when using the multi-grid solver, as it needs extra arrays. \n"
                         "Increase the array sizes on the F 65 data set.\n"
                         "Current value that needs increase: " +
                         std::to_string(MaxCeller) + "\n"),
              std::string::npos)
        << log();
}

TEST_F(Multigrid3D, PressureCorrectionStartsEveryColumnAtOneValue) {
    for (const int choice : {1, 2}) {
        Grid(6, 5, 3);
        BuildMultigridLevels();
        Coefficients(0.0);
        MultigridChoice = choice;
        Equation = 4;
        SolveMultigrid3D();
        for (int i = 0; i < 6; ++i) {
            for (int j = 0; j < 5; ++j) {
                for (int k = 0; k < 3; ++k) EXPECT_EQ(Cf[g_.cell(i, j, k)], Cf[ColumnCell(i, j)]);
                EXPECT_TRUE(std::isfinite(Cf[g_.cell(i, j, 0)]));
            }
        }
        EXPECT_NE(Cf[1], 0.0);
        // Level 3 is restricted either way, solved only from choice 2 on.
        const int coarse = Cchildren[ColumnCell(0, 0)][kParent];
        EXPECT_GT(Cap[coarse], 0.0);
        EXPECT_EQ(Cf[coarse] != 0.0, choice > 1) << "F 168 " << choice;
    }
}

TEST_F(Multigrid3D, VelocitiesMoveByOneCorrectionPerColumn) {
    for (const int choice : {1, 2}) {
        Grid(6, 5, 3);
        BuildMultigridLevels();
        Coefficients(0.5);
        ASSERT_TRUE(Cu_res.allocate(Cap.size()));
        std::vector<double> start(NoCells + 1, 0.0);
        for (int c = 1; c <= NoCells; ++c) {
            Cu_res[c] = std::cos(0.3 * c);
            Cf[c] = start[c] = 0.1 * c;
        }
        const int coarse = Cchildren[ColumnCell(0, 0)][kParent];
        Cap[coarse] = -1.0;
        MultigridChoice = choice;
        Equation = 1;
        SolveMultigrid3D();
        for (int i = 0; i < 6; ++i) {
            for (int j = 0; j < 5; ++j) {
                const double shift = Cf[g_.cell(i, j, 0)] - start[g_.cell(i, j, 0)];
                for (int k = 1; k < 3; ++k) EXPECT_NEAR(Cf[g_.cell(i, j, k)] - start[g_.cell(i, j, k)], shift, 1e-12);
            }
        }
        EXPECT_NE(Cf[1], start[1]);
        // Choice 1 leaves the coarser levels alone.
        EXPECT_EQ(Cap[coarse] == -1.0, choice == 1);
    }
}

// A column with no neighbour (the only one of its grid) couples to nothing:
// its cells keep their values instead of turning into 0 / 0.
TEST_F(Multigrid3D, AnIsolatedColumnStaysFinite) {
    for (const int equation : {4, 1}) {
        Grid(1, 1, 3);
        BuildMultigridLevels();
        Coefficients(0.0);
        ASSERT_TRUE(Cu_res.allocate(Cap.size()));
        for (int c = 1; c <= NoCells; ++c) Cf[c] = Cu_res[c] = 0.25;
        Equation = equation;
        SolveMultigrid3D();
        for (int c = 1; c <= NoCells; ++c) EXPECT_EQ(Cf[c], 0.25) << "equation " << equation;
    }
}

TEST_F(Multigrid3D, FixedCellsAddNoSourceUnderFreeSurfaceOption16) {
    Grid(3, 3, 3);
    BuildMultigridLevels();
    Coefficients(0.0);
    const int fixed = g_.cell(1, 1, 2);
    const double others = Csource[g_.cell(1, 1, 0)] + Csource[g_.cell(1, 1, 1)];
    FixCell(fixed, 2.0);
    FreeSurfaceOption = 16;
    Equation = 4;
    SolveMultigrid3D();
    EXPECT_DOUBLE_EQ(Csource[ColumnCell(1, 1)], others);
}

// No levels behind the last block (a depth-averaged last block builds none),
// or no residual fields for the velocities: the field is left as it is.
TEST_F(Multigrid3D, NothingChangesWithoutLevelsOrResiduals) {
    struct Case {
        const char* name;
        int equation;
        bool depthAveraged, residuals;
    };
    for (const Case k : {Case{"depth-averaged block", 4, true, true}, Case{"depth-averaged block", 1, true, true},
                         Case{"no residual fields", 1, false, false}}) {
        SCOPED_TRACE(k.name);
        Grid(4, 4, 2);
        BlockTable[1].depthAveraged = k.depthAveraged ? 1 : 0;
        BuildMultigridLevels();
        Coefficients(0.5);
        if (k.residuals) {
            ASSERT_TRUE(Cu_res.allocate(Cap.size()));
            for (int c = 1; c <= NoCells; ++c) Cu_res[c] = 1.0;
        }
        for (int c = 1; c <= NoCells; ++c) Cf[c] = 0.5 * c;
        Equation = k.equation;
        SolveMultigrid3D();
        for (int c = 1; c <= NoCells; ++c) EXPECT_EQ(Cf[c], 0.5 * c) << c;
    }
}

}  // namespace
