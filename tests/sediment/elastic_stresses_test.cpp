// The elastic stresses on boxes of cells built in the test process, and the
// column interpolation and difference operators they use.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "flow/flow_data.h"
#include "grid/grid_services.h"
#include "run/globals.h"
#include "run/status.h"
#include "sediment/cell_gradients.h"
#include "sediment/sediment_data.h"
#include "sediment/sediment_services.h"
#include "tests/support/control_text.h"
#include "tests/support/grid_engine.h"
#include "tools/box_geometry.h"

namespace {

class ElasticBox : public ::testing::Test {
protected:
    // A box of ni x nj x nk cells of dx x dy x dz with its metric; `more`
    // adds data sets.
    BoxGrid Box(int ni, int nj, int nk, const BoxSpacing& h, const std::string& more = "") {
        WriteHere("control", "G 1 12 12 12 1\nF 65 1200 4000 1500 10 10\nF 248 1\nK 4 10 10 10 10 3 3\n" + more);
        const EngineCall start = StartEngineHere();
        EXPECT_FALSE(start.ended) << start.log;
        const BoxGrid g = MakeBoxGeometry(ni, nj, nk, h);
        const EngineCall m = CallEngine([] {
            metric();
            return 0;
        });
        EXPECT_FALSE(m.ended) << m.log;
        return g;
    }

    static EngineCall Stresses() {
        return CallEngine([] {
            ComputeElasticStresses();
            return 0;
        });
    }

    InProjectDir here_;
};

// A column of ten 0.1 m cells loaded by its weight, free at the top, held
// at the bed: the vertical stress is the weight above each centre.
TEST_F(ElasticBox, ColumnCarriesItsWeight) {
    const BoxGrid g = Box(1, 1, 10, {1.0, 1.0, 0.1}, "K 1 300\n");
    const EngineCall r = Stresses();
    ASSERT_FALSE(r.ended) << r.log;
    for (int k = 1; k < 9; ++k) {
        const int c = g.cell(0, 0, k);
        const double depth = 1.0 - Czcenter[c];
        EXPECT_NEAR(Cstress[2][c], -9810.0 * depth, 0.005 * 9810.0 * depth) << k;
        EXPECT_NEAR(Cstress[0][c], 0.336 * Cstress[2][c], 1e-6 * std::fabs(Cstress[2][c])) << k;
        EXPECT_NEAR(CstressRatio[c], 0.664 / 1.336, 1e-9) << k;
        EXPECT_EQ(CstressCount[c], 0) << k;
        EXPECT_LT(std::fabs(Cu[c]), 1e-12);
        EXPECT_LT(std::fabs(Cv[c]), 1e-12);
    }
    // w of the top cell: -9810 (1 - nu^2) / E (H z - z^2 / 2) at z = 0.95.
    EXPECT_NEAR(Cw[g.cell(0, 0, 9)], -6.32e-5, 0.01 * 6.32e-5);
    EXPECT_EQ(r.log.find("Forces cell"), std::string::npos);
    // The displacements borrowed the names of the solved field: given back.
    EXPECT_TRUE(Cf.designates(CfHome));
    EXPECT_TRUE(Cf_old.designates(Cf_oldHome));
}

TEST_F(ElasticBox, NoOuterIterationOnlyClearsTheStart) {
    const BoxGrid g = Box(1, 1, 3, {1.0, 1.0, 1.0}, "K 1 0\n");
    const int c = g.cell(0, 0, 1);
    Cw[c] = 3.0;
    Cstress[2][c] = 5.0;
    Cstress[5][c] = 7.0;
    ASSERT_TRUE(Cu_old.allocate(static_cast<size_t>(NoCells) + 1));
    Cu_old[c] = 4.0;
    ASSERT_FALSE(Stresses().ended);
    EXPECT_EQ(Cw[c], 0.0);
    EXPECT_EQ(Cstress[2][c], 0.0);
    EXPECT_EQ(Cstress[5][c], 7.0);
    // A steady run leaves the previous-step arrays alone.
    EXPECT_EQ(Cu_old[c], 4.0);
    EXPECT_DOUBLE_EQ(TwiceShearModulus, 6.5e7 / 1.4);
}

// The report of cell 950 comes once per outer iteration of variant 9.
TEST_F(ElasticBox, ReportsCell950OncePerIteration) {
    Box(10, 10, 10, {1.0, 1.0, 1.0}, "K 1 2\n");
    const EngineCall r = Stresses();
    ASSERT_FALSE(r.ended) << r.log;
    int forces = 0, stresses = 0;
    for (const std::string& line : SplitLines(r.log)) {
        forces += line.rfind("Forces cell 950 (Newton): ", 0) == 0;
        stresses += line.rfind("Stresses cell 950 (Pa): ", 0) == 0;
    }
    EXPECT_EQ(forces, 2);
    EXPECT_EQ(stresses, 2);
}

// Other variants keep their rows 1 and 3 to 6 and write no report; no
// stress is infinite or NaN.
TEST_F(ElasticBox, OtherVariantsWriteRowsZeroAndTwoOnly) {
    for (const int variant : {2, 5, 4}) {
        SCOPED_TRACE(variant);
        const BoxGrid g = Box(10, 10, 10, {1.0, 1.0, 1.0}, "K 1 2\nF 259 " + std::to_string(variant) + "\n");
        const int c = g.cell(4, 4, 5);
        Cstress[6][c] = 2.5;
        const EngineCall r = Stresses();
        ASSERT_FALSE(r.ended) << r.log;
        EXPECT_EQ(Cstress[6][c], 2.5);
        EXPECT_EQ(Cstress[1][c], 0.0);
        EXPECT_EQ(r.log.find("Forces cell"), std::string::npos);
        for (int k = 1; k <= NoCells; ++k) {
            ASSERT_TRUE(std::isfinite(Cstress[0][k]) && std::isfinite(Cstress[2][k])) << k;
        }
    }
}

// Variant 9 divides rows 5 and 6 by row 2: a cell without vertical stress
// (a column of one cell has no vertical difference) gets 0, not NaN.
TEST_F(ElasticBox, CellsWithoutVerticalStressHaveNoStressRatios) {
    const BoxGrid g = Box(2, 1, 1, {1.0, 1.0, 1.0}, "K 1 2\n");
    ASSERT_FALSE(Stresses().ended);
    for (const int c : {g.cell(0, 0, 0), g.cell(1, 0, 0)}) {
        EXPECT_EQ(Cstress[2][c], 0.0);
        EXPECT_EQ(Cstress[1][c], 0.0);
        EXPECT_EQ(Cstress[4][c], 0.0);
        EXPECT_LT(Cw[c], 0.0);
    }
}

// 101 asks for a pause at the end of the next outer iteration; a batch run
// reports the pause point and goes on.
TEST_F(ElasticBox, PauseRequestTurnsIntoAPauseAtTheNextIteration) {
    Box(1, 1, 3, {1.0, 1.0, 1.0}, "K 1 2\n");
    PauseFlag = 101;
    const EngineCall r = Stresses();
    ASSERT_FALSE(r.ended) << r.log;
    EXPECT_EQ(PauseFlag, 4);
    EXPECT_STREQ(ModuleName, "Iter 1");
    int pauses = 0;
    for (const std::string& line : SplitLines(r.log)) pauses += line == "PauseFlag = 4";
    EXPECT_EQ(pauses, 1);
}

// Poisson's ratio 0.5 makes lambda infinite: variant 4 refuses it.
TEST_F(ElasticBox, Variant4RefusesPoissonRatioOneHalf) {
    Box(1, 1, 3, {1.0, 1.0, 1.0}, "K 1 1\nF 259 4\n");
    PoissonRatio = 0.5;
    const EngineCall r = Stresses();
    EXPECT_TRUE(r.ended);
    EXPECT_EQ(r.status, -1);
    EXPECT_NE(r.log.find("F 247"), std::string::npos) << r.log;
    EXPECT_NE(r.log.find("F 259"), std::string::npos) << r.log;
}

// ---- column interpolation and differences --------------------------------

// Two columns of three 1 m cells side by side; the east column is raised by
// `shift` after the metric.
class GradientColumns : public ElasticBox {
protected:
    void SetUp() override {
        g_ = Box(2, 1, 3, {1.0, 1.0, 1.0});
        for (int c = 1; c <= NoCells; ++c) field_[c] = 10.0 * c;
    }
    void Raise(double shift) {
        for (int k = 0; k < 3; ++k) Czcenter[g_.cell(1, 0, k)] += shift;
    }
    int West(int k) const { return g_.cell(0, 0, k); }
    int East(int k) const { return g_.cell(1, 0, k); }

    BoxGrid g_;
    double field_[8] = {0.0};
};

TEST_F(GradientColumns, InterpolatesAtTheLevelOfTheCell) {
    EXPECT_EQ(InterpolateAtCellLevel(field_, West(1), East(1)), field_[East(1)]);
    Raise(0.25);
    // Level 1.5 lies a quarter below the centre of the east cell 1 (1.75)
    // and three quarters above cell 0 (0.75).
    const double expected = 0.25 * field_[East(0)] + 0.75 * field_[East(1)];
    EXPECT_DOUBLE_EQ(InterpolateAtCellLevel(field_, West(1), East(1)), expected);
    EXPECT_DOUBLE_EQ(InterpolateAtCellLevel(field_, West(1), East(2)), expected);
    // Below the east column's bottom centre: its bottom cell's own value.
    EXPECT_EQ(InterpolateAtCellLevel(field_, West(0), East(0)), field_[East(0)]);
    Raise(-0.5);
    // Above the east column's top centre: its top cell's own value.
    EXPECT_EQ(InterpolateAtCellLevel(field_, West(2), East(2)), field_[East(2)]);
}

TEST_F(GradientColumns, DifferencesOfTheOperators) {
    const int c = West(1);
    // Vertical: central at an inner cell, one-sided at the ends.
    EXPECT_DOUBLE_EQ(GradientDirB(field_, 3, c), 0.5 * (field_[West(2)] - field_[West(0)]));
    EXPECT_DOUBLE_EQ(GradientDirB(field_, 3, West(0)), field_[West(1)] - field_[West(0)]);
    EXPECT_DOUBLE_EQ(GradientDirA(field_, 3, c), 0.5 * (field_[West(2)] - field_[West(0)]) * Fareaz[Csurft[c]]);
    EXPECT_DOUBLE_EQ(GradientDirC(field_, 3, c), (field_[West(2)] - field_[West(0)]) / 2.0);
    EXPECT_DOUBLE_EQ(GradientDirC(field_, 3, West(2)), (field_[West(2)] - field_[West(1)]) / 1.0);
    // Along i only the east neighbour exists: a one-sided difference over
    // both east-west faces (area 1 each, unit normal 1).
    const double di = field_[East(1)] - field_[West(1)];
    EXPECT_DOUBLE_EQ(GradientDirA(field_, 1, c), 0.5 * 2.0 * di);
    EXPECT_DOUBLE_EQ(GradientDirB(field_, 1, c), 0.5 * 2.0 * di);
    EXPECT_DOUBLE_EQ(GradientDirC(field_, 1, c), 0.5 * 2.0 * di / 1.0);
    // No neighbour along j: no difference; an unknown direction gives 0.
    EXPECT_EQ(GradientDirA(field_, 2, c), 0.0);
    EXPECT_EQ(GradientDirC(field_, 7, c), 0.0);
}

TEST_F(ElasticBox, OneCellColumnHasNoVerticalDifference) {
    const BoxGrid g = Box(1, 1, 1, {1.0, 1.0, 1.0});
    double f[2] = {0.0, 4.0};
    const int c = g.cell(0, 0, 0);
    EXPECT_EQ(GradientDirB(f, 3, c), 0.0);
    EXPECT_EQ(GradientDirC(f, 3, c), 0.0);
    EXPECT_EQ(GradientDirC(f, 1, c), 0.0);
}

}  // namespace
