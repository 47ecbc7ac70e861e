// The column cycles over hand-built levels of 8 x 8 columns of three cells:
// the block-column start value of the pressure correction and the residual
// means added to the momentum and turbulence fields.
#include <cmath>
#include <vector>

#include <gtest/gtest.h>

#include "flow/flow_data.h"
#include "grid/grid_data.h"
#include "run/params_f150.h"
#include "run/params_k.h"
#include "run/run_state.h"
#include "solver/solver_data.h"
#include "solver/solver_services.h"
#include "tests/solver/hand_built_levels.h"

namespace {

constexpr int kLayers = 3;

class MultigridColumns : public HandBuiltLevels {
protected:
    MultigridColumns() : HandBuiltLevels(kLayers) {}
};

// Every column cell sums its column: the bed cell's sides and source plus
// those of the cells above, Cap the sum of the sides, and every cell of the
// column ends with its column cell's value.
TEST_F(MultigridColumns, BlockColumnsSumTheirCellsAndSetTheWholeColumn) {
    MultigridChoice = 1;
    Csource[g_.cell(3, 4, 2)] = 4.0;
    SolveMultigridBlockColumns();
    const int inner = columnCell(3, 4), corner = columnCell(0, 0);
    EXPECT_DOUBLE_EQ(Csource[inner], 1.0 + 1.0 + 4.0);
    for (const double a : {Cae[inner], Caw[inner], Can[inner], Cas[inner]}) EXPECT_DOUBLE_EQ(a, kLayers);
    EXPECT_DOUBLE_EQ(Cap[inner], 4.0 * kLayers);
    EXPECT_DOUBLE_EQ(Caw[corner], 0.0);
    EXPECT_DOUBLE_EQ(Cap[corner], 2.0 * kLayers);
    for (int i = 0; i < kN; ++i) {
        for (int j = 0; j < kN; ++j) {
            const int n = columnCell(i, j);
            EXPECT_TRUE(std::isfinite(Cf[n]) && Cf[n] > 0.0) << n;
            for (int c = bed(i, j); c <= top(i, j); ++c) EXPECT_EQ(Cf[c], Cf[n]) << c;
        }
    }
    // Choice 1: the coarser levels are left as they were.
    EXPECT_EQ(Cap[level3_ + 1], 0.0);
}

// With the coarser levels: a group sums its children's sources and outer
// sides, and a level cell without couplings is held at 0 by a diagonal of
// 1e20; the coarse values start the column solve.
TEST_F(MultigridColumns, BlockColumnsRestrictAndSolveTheCoarserLevels) {
    MultigridChoice = 1;
    SolveMultigridBlockColumns();
    std::vector<double> columnOnly(gridCells_ + 1);
    for (int c = 1; c <= gridCells_; ++c) columnOnly[c] = Cf[c];

    BuildLevels();
    const int lone = level4_ + 1;
    for (int k = 1; k <= 4; ++k) Cchildren[lone][k] = 0;
    SolveMultigridBlockColumns();
    const int group = LevelCell(level3_, 2, 2, 2);
    EXPECT_DOUBLE_EQ(Csource[group], 4.0 * kLayers);
    for (const double a : {Cae[group], Caw[group], Can[group], Cas[group]}) EXPECT_DOUBLE_EQ(a, 2.0 * kLayers);
    EXPECT_DOUBLE_EQ(Cap[group], 8.0 * kLayers);
    EXPECT_EQ(Cap[lone], 1e20);
    EXPECT_EQ(Cf[lone], 0.0);
    int changed = 0;
    for (int c = 1; c <= gridCells_; ++c) {
        EXPECT_TRUE(std::isfinite(Cf[c])) << c;
        changed += Cf[c] != columnOnly[c];
    }
    EXPECT_GT(changed, 0);
}

// Levels that were not built from these blocks are not used: nothing moves.
TEST_F(MultigridColumns, BlockColumnsLeaveLevelsOfAnotherGridAlone) {
    BlockTable[2].lastCell -= 1;  // one column cell short
    Cf[bed(2, 2)] = 0.25;
    SolveMultigridBlockColumns();
    EXPECT_EQ(Cf[bed(2, 2)], 0.25);
    EXPECT_EQ(Cap[columnCell(0, 0)], 0.0);
}

// The level equations are set by hand: every level a plain average of its
// neighbours (a uniform value solves it), or one level an identity with no
// source (its sweeps give 0). Residuals with the same column mean everywhere
// then come back uniform, scaled by the means with the parents' values on
// the way down.
class ResidualMeans : public MultigridColumns {
protected:
    ResidualMeans() { Prepare(); }
    void Prepare() {
        for (Array1<double>* a : {&Cu, &Cv, &Cw, &Ck, &Cepsilon, &Cu_res, &Cv_res, &Cw_res, &Ck_res, &Cepsilon_res})
            EXPECT_TRUE(a->allocate(allCells_ + 1));
        for (int c = column_ + 1; c <= allCells_; ++c) Average(c);
        // Residuals 1, 2, 3 times the field's number up every column: the
        // column means are 2 times that number.
        for (int c = 1; c <= gridCells_; ++c) {
            const double up = c - Cchildren[Cchildren[c][0]][1] + 1.0;
            for (int f = 0; f < 5; ++f) (*kResiduals[f])[c] = up * (f + 1);
        }
    }
    static void Average(int c) {
        Cae[c] = Ccelle[c] != 0 ? 1.0 : 0.0;
        Caw[c] = Ccellw[c] != 0 ? 1.0 : 0.0;
        Can[c] = Ccelln[c] != 0 ? 1.0 : 0.0;
        Cas[c] = Ccells[c] != 0 ? 1.0 : 0.0;
        Cap[c] = Cae[c] + Caw[c] + Can[c] + Cas[c];
        Csource[c] = 0.0;
    }
    void Identity(int rec) {
        for (int c = BlockTable[rec].firstCell; c <= BlockTable[rec].lastCell; ++c) {
            Cae[c] = Caw[c] = Can[c] = Cas[c] = Csource[c] = 0.0;
            Cap[c] = 1.0;
        }
    }
    static constexpr Array1<double>* kResiduals[5] = {&Cu_res, &Cv_res, &Cw_res, &Ck_res, &Cepsilon_res};
    static constexpr Array1<double>* kFields[5] = {&Cu, &Cv, &Cw, &Ck, &Cepsilon};
};

TEST_F(ResidualMeans, CorrectionsFollowTheLevelsUpToTheLimit) {
    struct Case {
        int limit, choice, identityRecord;
        double share;  // of the column mean that is added
    };
    // Record 3 is level 3, record 4 level 4.
    for (const Case k : {Case{2, 4, 3, 1.0}, Case{3, 4, 3, 0.5}, Case{4, 4, 4, 0.75}, Case{9, 3, 3, 0.5},
                         Case{4, 2, 3, 1.0}}) {
        SCOPED_TRACE(testing::Message() << "limit " << k.limit << ", choice " << k.choice);
        BuildLevels();
        Prepare();
        MultigridChoice = k.choice;
        Identity(k.identityRecord);
        SolveMultigridResidualMeans(k.limit);
        for (int f = 0; f < 5; ++f) {
            for (int c = 1; c <= gridCells_; ++c) {
                ASSERT_NEAR((*kFields[f])[c], k.share * 2.0 * (f + 1), 1e-12) << "field " << f << ", cell " << c;
            }
        }
    }
}

// A field whose residuals are not kept is left alone; the current equation
// and the field Cf names are given back.
TEST_F(ResidualMeans, FieldsWithoutResidualsAreLeftAloneAndCfIsGivenBack) {
    Ck_res.release();
    Equation = 4;
    Cf.designate(Cw);
    SolveMultigridResidualMeans(4);
    EXPECT_EQ(Ck[1], 0.0);
    EXPECT_DOUBLE_EQ(Cu[1], 2.0);  // every level keeps the uniform means
    EXPECT_EQ(Equation, 4);
    EXPECT_TRUE(Cf.designates(Cw));
}

}  // namespace
