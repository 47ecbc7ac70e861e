// The plan multigrid start on hand-built levels: an 8 x 8 plan of one-cell
// columns, its column level, a level of 2 x 2 groups and one of 4 x 4 groups.
#include <cmath>
#include <vector>

#include <gtest/gtest.h>

#include "grid/grid_data.h"
#include "run/params_f150.h"
#include "run/params_f300.h"
#include "run/params_f50.h"
#include "run/run_state.h"
#include "solver/solver_data.h"
#include "tests/solver/hand_built_levels.h"

namespace {

class MultigridPlan : public HandBuiltLevels {
protected:
    MultigridPlan() : HandBuiltLevels(1), kBeds(gridCells_), kColumn(column_), kLevel3(level3_), kLevel4(level4_),
                      kCells(allCells_) {}
    // One-cell columns: the column cell of bed cell c is kColumn + c.
    const int kBeds, kColumn, kLevel3, kLevel4, kCells;
};

TEST_F(MultigridPlan, CoarseCellsHalveTheirSidesAndKeepTheirExcess) {
    SolveMultigrid2D();
    // The group of the interior columns (2..3, 2..3): four children with four
    // sides each, two of them inside the group.
    const int n = LevelCell(kLevel3, 2, 2, 2);
    EXPECT_DOUBLE_EQ(Csource[n], 4.0);
    for (const double a : {Cae[n], Caw[n], Can[n], Cas[n]}) EXPECT_DOUBLE_EQ(a, 1.0);
    EXPECT_DOUBLE_EQ(Cap[n] - (Cae[n] + Caw[n] + Can[n] + Cas[n]), 4 * 0.5);
    // The level of 4 cells is too small to be used: left as it was.
    EXPECT_EQ(Cap[kLevel4 + 1], 0.0);
    // The bed cells take the column level's values, all finite and positive.
    for (int c = 1; c <= kBeds; ++c) {
        EXPECT_EQ(Cf[c], Cf[kColumn + c]);
        EXPECT_TRUE(std::isfinite(Cf[c]) && Cf[c] > 0.0) << c;
    }
}

TEST_F(MultigridPlan, SmallCoarsestLevelsAreDropped) {
    struct Case {
        int choice;
        bool level3Used;
    };
    // Choice 4: level 4 holds four cells, so level 3 is the coarsest used;
    // choice 3: level 3 holds 16 cells and is used; choice 2 or 1: the column
    // level alone, or nothing.
    for (const Case k : {Case{4, true}, Case{3, true}, Case{2, false}, Case{1, false}}) {
        BuildLevels();
        MultigridChoice = k.choice;
        const double start = Cf[bed(3, 3)] = 0.25;
        SolveMultigrid2D();
        EXPECT_EQ(Cap[LevelCell(kLevel3, 2, 2, 2)] != 0.0, k.level3Used) << "choice " << k.choice;
        EXPECT_EQ(Cf[bed(3, 3)] != start, k.choice >= 2) << "choice " << k.choice;
    }
}

TEST_F(MultigridPlan, FixedBedCellsLoseTheirSourceOnTheColumnLevel) {
    const int c = bed(4, 4);
    FixCell(c, 7.0);
    SolveMultigrid2D();
    EXPECT_EQ(Csource[kColumn + c], 0.0);
    EXPECT_EQ(Cap[kColumn + c], 4.0);
    // Its group leaves it out of the coarse source and diagonal.
    const int n = LevelCell(kLevel3, 2, 4, 4);
    EXPECT_DOUBLE_EQ(Csource[n], 3.0);
}

// The reference tie of F 343 3 links the coarse cells above the reference
// column to it; the links are the levels' own again after the solve.
TEST_F(MultigridPlan, ReferenceTieIsUndoneAfterTheSolve) {
    PlanSolverOption = 3;
    iPres = kN;  // the east edge, where the coarse cells have no east side
    jPres = 3;
    MultigridChoice = 3;
    std::vector<int> before(kCells + 1);
    for (int c = 0; c <= kCells; ++c) before[c] = Ccelle[c];
    SolveMultigrid2D();
    const int column = kColumn + bed(kN - 1, 2), coarse = LevelCell(kLevel3, 2, kN - 1, 2);
    EXPECT_EQ(Cae[column], Caw[column]);  // the tie was made ...
    EXPECT_EQ(Cae[coarse], Caw[coarse]);
    for (int c = 0; c <= kCells; ++c) EXPECT_EQ(Ccelle[c], before[c]) << c;  // ... and its links undone

    // A reference outside the grid ties nothing.
    BuildLevels();
    PlanSolverOption = 3;
    iPres = 40;
    jPres = -3;
    SolveMultigrid2D();
    EXPECT_EQ(Cae[kColumn + bed(kN - 1, 2)], 0.0);
}

// The levels are found behind the blocks whatever the blocks' kinds; without
// a level record there is no multigrid start.
TEST_F(MultigridPlan, LevelsAreFoundBehindTheBlocksOnly) {
    BlockTable[1].depthAveraged = 1;
    SolveMultigrid2D();
    EXPECT_NE(Cap[kColumn + 1], 0.0);

    BuildLevels();
    for (int r = 2; r <= 4; ++r) BlockTable[r].depthAveraged = 0;
    BlockTable[1].depthAveraged = 2;  // a block that is no level
    Cf[bed(3, 3)] = 0.25;
    SolveMultigrid2D();
    EXPECT_EQ(Cf[bed(3, 3)], 0.25);
    EXPECT_EQ(Cap[kColumn + 1], 0.0);
}

}  // namespace
