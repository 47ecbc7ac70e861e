// New node levels from the water-level plan equation.
#include <cmath>

#include <gtest/gtest.h>

#include "flow/flow_data.h"
#include "run/params_f50.h"
#include "run/params_g.h"
#include "surface/surface_data.h"
#include "tests/support/equation_fixture.h"

namespace {

// ni x nj columns of two cells 0.5 m high on 1 m squares, block 1 at grid
// lines 2.., bed at `bed`, water at rest.
class WaterLevelPlan : public EquationTest {
protected:
    void MakeColumns(int ni, int nj, double bed = 0.0) {
        g_ = MakeBoxGrid(ni, nj, 2);
        const size_t slots = static_cast<size_t>(NoCells) + 1;
        for (Array1<double>* a : {&Cxcenter, &Cycenter, &Czcenter, &Ckdist, &Cu, &Cv, &Pres}) {
            ASSERT_TRUE(a->allocate(slots));
        }
        ASSERT_TRUE(Cbedcell.allocate(slots));
        ASSERT_TRUE(Bfroude.allocate(static_cast<size_t>(ni * nj) + 1));
        ASSERT_TRUE(Gridz.allocate(ni + 3, nj + 3, NoGridLinesZ + 2));
        NoBlocks = 1;
        BlockTable[1] = BlockRecord{};
        BlockTable[1].iFirst = BlockTable[1].jFirst = 2;
        BlockTable[1].iLast = ni + 1;
        BlockTable[1].jLast = nj + 1;
        BlockTable[1].firstCell = 1;
        BlockTable[1].lastCell = NoCells;
        G26BlockValues[1] = 1;
        int column = 0;
        for (int i = 0; i < ni; ++i) {
            for (int j = 0; j < nj; ++j) {
                ++column;
                Gridz[i + 2][j + 2][0] = g_.cell(i, j, 0);
                for (int k = 0; k < 2; ++k) {
                    const int c = g_.cell(i, j, k);
                    Cxcenter[c] = i + 0.5;
                    Cycenter[c] = j + 0.5;
                    Czcenter[c] = bed + 0.25 + 0.5 * k;
                    Ckdist[c] = 0.25;
                    Cbedcell[c] = column;
                }
            }
        }
    }
    int bed(int i, int j) const { return g_.cell(i, j, 0); }
    int top(int i, int j) const { return g_.cell(i, j, 1); }
    static double& Node(int i, int j) { return Gridz[i][j][NoGridLinesZ]; }
    BoxGrid g_;
};

TEST_F(WaterLevelPlan, DueEastSurfaceVelocityTiesTheColumnToItsEastNeighbour) {
    MakeColumns(3, 3);
    Cu[top(1, 1)] = 2.0;
    SetWaterLevelCoefficients(bed(2, 2), 1.0);
    const int c = bed(1, 1);
    EXPECT_EQ(Cae[c], 2.0);
    EXPECT_EQ(Caw[c], 1e-20);
    EXPECT_EQ(Can[c], 1e-20);
    EXPECT_EQ(Cas[c], 1e-20);
    EXPECT_EQ(Cap[c], Cae[c] + Caw[c] + Can[c] + Cas[c]);
    // A column on the west edge has no west neighbour and no coefficient.
    EXPECT_EQ(Caw[bed(0, 1)], 0.0);
    EXPECT_EQ(Cap[bed(2, 2)], 1e20);
    EXPECT_EQ(Pres[0], 0.0);
    EXPECT_EQ(Cf[0], 0.0);
}

// Bfroude 1.5, depth 2 m, bed at 10 m: q = 13.29 m2/s, hc = 2.62 m.
TEST_F(WaterLevelPlan, SupercriticalColumnIsFixedAtCriticalDepth) {
    struct Case {
        double reference;
        double expect;
    };
    const double hc = std::pow(std::pow(std::sqrt(9.81 * 2.0) * 1.5 * 2.0, 2) / 9.81, 0.3333333);
    ASSERT_NEAR(hc, 2.62, 0.005);
    for (const Case k : {Case{5.0, 10.0 + hc}, Case{13.0, 13.0}}) {
        ResetGlobals();
        MakeColumns(2, 1, 10.0);
        for (int c = 1; c <= NoCells; ++c) Ckdist[c] = 0.5;  // two cells of 1 m
        Czcenter[bed(0, 0)] = 10.5;
        Bfroude[Cbedcell[bed(0, 0)]] = 1.5;
        SetWaterLevelCoefficients(top(1, 0), k.reference);
        EXPECT_NEAR(Cf[bed(0, 0)], k.expect, 1e-9) << k.reference;
        EXPECT_NEAR(Cf[bed(1, 0)], k.reference, 1e-12);
    }
}

TEST_F(WaterLevelPlan, NodesMoveByTheRelaxationIntoBothSlots) {
    MakeColumns(2, 2);
    SurfaceRelaxation = 0.1;
    for (int i = 1; i <= 3; ++i) {
        for (int j = 1; j <= 3; ++j) Node(i, j) = 1.0;
    }
    Pres[bed(0, 0)] = 9810.0;  // one metre of head on one column
    SetWaterLevelCoefficients(bed(1, 1), 2.0);
    // Node (2, 2) lies between all four columns, (1, 1) at the corner of one.
    const double head = 0.0001019 * 9810.0;
    EXPECT_NEAR(Node(2, 2), 1.0 + 0.1 * (2.0 + head / 4 - 1.0), 1e-12);
    EXPECT_NEAR(Node(1, 1), 1.0 + 0.1 * (2.0 + head - 1.0), 1e-12);
    EXPECT_NEAR(Node(3, 3), 1.1, 1e-12);
    EXPECT_EQ(Gridz[2][2][NoGridLinesZ + 1], Node(2, 2));
    // No column touches node (0, 0): it stays.
    EXPECT_EQ(Node(0, 0), 0.0);
}

TEST_F(WaterLevelPlan, IsolatedColumnKeepsItsStartValue) {
    MakeColumns(1, 1);
    SetWaterLevelCoefficients(0, 3.0);
    EXPECT_EQ(Cf[bed(0, 0)], 3.0);
    EXPECT_EQ(Cap[bed(0, 0)], 1.0);
}

// Node (3, 2) has the column (2, 2) to its south-west; its east column is
// missing from the grid positions but linked: with two blocks it is found
// through the link, with one block it is not.
TEST_F(WaterLevelPlan, MissingCornerColumnsFromTheLinksWithSeveralBlocks) {
    struct Case {
        int blocks;
        double expect;
    };
    for (const Case k : {Case{1, 1.0}, Case{2, 1.0 + 0.0001019 * 5000.0 / 2}}) {
        ResetGlobals();
        MakeColumns(2, 1);
        SurfaceRelaxation = 1.0;
        Gridz[3][2][0] = 0.0;  // the position of column (1, 0) names no cell
        Pres[bed(1, 0)] = 5000.0;
        NoBlocks = k.blocks;
        BlockTable[2].gridLevel = 2;  // not a block of its own
        SetWaterLevelCoefficients(bed(0, 0), 1.0);
        EXPECT_NEAR(Node(2, 2), k.expect, 1e-12) << k.blocks << " blocks";
    }
}

}  // namespace
