// The layer-block ratio, counter and level updates on small boxes of cells:
// every cell of the box belongs to the layer block unless a test says so.
#include <climits>
#include <cmath>
#include <limits>

#include "drivers/flow_drivers.h"
#include "sediment/sediment_data.h"
#include "tests/flow/flow_case.h"

namespace {

class LayerUpdates : public FlowCase {
protected:
    // ni x 1 x nk cells of 1 m height, `dx` apart; block 2 is the layer block.
    BoxGrid Layer(int ni, int nk, double dx = 1.0) {
        const BoxGrid g = Box(ni, 1, nk, {dx, 1.0, 1.0}, "F 236 2 0 0 0.8\n");
        NoBlocks = 2;
        BlockTable[2].firstCell = 1;
        BlockTable[2].lastCell = NoCells;
        BlockTable[2].firstSurface = 1;
        BlockTable[2].lastSurface = NoSurfaces;
        BlockTable[2].layerBlock = 1;
        // Steady runs keep no old velocities.
        if (!Cu_old.exists()) {
            EXPECT_TRUE(Cu_old.allocate(static_cast<size_t>(NoCells) + 1));
        }
        for (int c = 0; c <= NoCells; ++c) {
            Pres[c] = 1000.0;
            CstressRatio[c] = 0.0;
            CstressCount[c] = 0;
            Cbedcell[c] = 0;
            Cu_old[c] = 0.0;
        }
        TimeStep = 1.0;
        return g;
    }

    // Columns numbered 1..ni with their bottom cells, levels at `level`.
    static void NumberColumns(const BoxGrid& g, double level) {
        for (int i = 0; i < g.ni; ++i) {
            Bcellt[i + 1] = g.cell(i, 0, 0);
            BlayerSlope[i + 1] = level;
            for (int k = 0; k < g.nk; ++k) Cbedcell[g.cell(i, 0, k)] = i + 1;
        }
    }

    // The momentum term alone makes ratio R at cell c (strength 800 Pa).
    static void DriveRatio(int c, double R) { Cu_old[c] = R * 800.0 / (2.0 * Ckdist[c] * 1000.0); }
};

// On one level the force is the lever times the horizontal difference over
// the distance, whatever the vertical gradient of the column.
TEST_F(LayerUpdates, SideForceOnOneLevel) {
    Layer(3, 1, 5.0);
    Pres[1] = 0.0;
    Pres[3] = 1000.0;
    for (const double dp : {-9810.0, -5000.0}) {
        SCOPED_TRACE(dp);
        // The right angle is taken as 1.570796326.
        EXPECT_NEAR(LayerSideForce(1, 3, 5.0, dp, 1.0), 500.0, 1e-4);
    }
    EXPECT_EQ(LayerSideForce(1, 1, 5.0, -9810.0, 1.0), 0.0);  // coincident centres
}

TEST_F(LayerUpdates, IntegrateAboveLevel) {
    Layer(1, 3);
    Pres[1] = 30.0;
    Pres[2] = 20.0;
    Pres[3] = 10.0;
    EXPECT_DOUBLE_EQ(IntegrateAboveLevel(-1.0, 3), 60.0);
    EXPECT_DOUBLE_EQ(IntegrateAboveLevel(1.5, 3), 10.0 + 0.5 * 20.0);
    EXPECT_DOUBLE_EQ(IntegrateAboveLevel(3.0, 3), 0.0);
    EXPECT_DOUBLE_EQ(IntegrateAboveLevel(-1.0, 0), 0.0);
}

struct CountRow {
    const char* name;
    double ratio;
    int start, counters, slope;  // count before; after UpdateStressCounters and UpdateLayerSlopeA
};

void PrintTo(const CountRow& row, std::ostream* os) { *os << row.name; }

class FailureCounts : public LayerUpdates, public ::testing::WithParamInterface<CountRow> {};

// The top cell of a single column: the counters grow by the truncated ratio
// (at most 1000, without overflow), variant 0 by one.
TEST_P(FailureCounts, OfTheTopCell) {
    const CountRow& row = GetParam();
    for (const bool counters : {true, false}) {
        SCOPED_TRACE(counters ? "counters" : "variant 0");
        Layer(1, 3);
        if (std::isnan(row.ratio)) {
            Cu_old[3] = std::numeric_limits<double>::quiet_NaN();
        } else {
            // Variant 0 takes a tenth of the new ratio.
            DriveRatio(3, counters ? row.ratio : 10.0 * row.ratio);
        }
        CstressCount[3] = row.start;
        CstressCount[1] = 5;  // the bed cell always restarts
        counters ? UpdateStressCounters(2) : UpdateLayerSlopeA(2);
        EXPECT_EQ(CstressCount[3], counters ? row.counters : row.slope);
        EXPECT_EQ(CstressCount[1], 0);
    }
}

const CountRow kCountRows[] = {
    {"Fails", 3.7, 0, 3, 1},
    {"Holds", 0.5, 0, -1, -1},
    {"Balanced", 1.0, 0, 0, 0},
    {"Huge", 1e30, 0, 1000, 1},
    {"Saturates", 1e30, INT_MAX - 5, INT_MAX, INT_MAX - 4},
    {"NotANumber", std::numeric_limits<double>::quiet_NaN(), 0, 0, 0},
};

INSTANTIATE_TEST_SUITE_P(Rows, FailureCounts, ::testing::ValuesIn(kCountRows),
                         [](const ::testing::TestParamInfo<CountRow>& i) { return std::string(i.param.name); });

// A steady run has no time step: the momentum term must not blow up.
TEST_F(LayerUpdates, SteadyRunLeavesTheMomentumOut) {
    Layer(1, 3);
    TimeStep = 1e-20;
    Cu_old[3] = 1.0;
    UpdateStressCounters(2);
    EXPECT_EQ(CstressRatio[3], 0.0);
    EXPECT_EQ(CstressCount[3], -1);
}

TEST_F(LayerUpdates, CountersFailTheColumnAboveAFailedCell) {
    const BoxGrid g = Layer(1, 4);
    DriveRatio(2, 2.5);
    DriveRatio(3, 0.5);
    UpdateStressCounters(2);
    EXPECT_EQ(CstressCount[g.cell(0, 0, 1)], 2);
    EXPECT_EQ(CstressCount[g.cell(0, 0, 2)], 2);
    EXPECT_EQ(CstressCount[g.cell(0, 0, 3)], 2);
}

// Variant 2: a ratio standing out above both side neighbours is cut to
// 0.525 times their sum; the column keeps its ratios rising upwards and
// every count ends 0 or 2.
TEST_F(LayerUpdates, VariantTwoCutsPeaksAndCountsTwoOrNothing) {
    const BoxGrid g = Layer(3, 2);
    NumberColumns(g, 1.2);
    CstressRatio[g.cell(0, 0, 1)] = 0.5;
    CstressRatio[g.cell(1, 0, 1)] = 2.0;
    CstressRatio[g.cell(2, 0, 1)] = 0.7;
    CstressRatio[g.cell(1, 0, 0)] = 3.0;
    UpdateLayerSlopeC(2);
    const double* R = CstressRatio.data();
    const int k = g.cell(1, 0, 1);
    for (int c = 1; c <= NoCells; ++c) {
        EXPECT_TRUE(std::isfinite(R[c]));
        EXPECT_TRUE(CstressCount[c] == 0 || CstressCount[c] == 2) << c;
        if (Ccellb[c] > 0) {
            EXPECT_GE(R[c], R[Ccellb[c]]);
        }
    }
    // Both peaks of the middle column are cut, the bottom one too.
    EXPECT_NEAR(R[g.cell(1, 0, 0)], 0.525 * (R[g.cell(0, 0, 0)] + R[g.cell(2, 0, 0)]), 1e-12);
    EXPECT_GE(R[k], R[g.cell(1, 0, 0)]);
}

TEST_F(LayerUpdates, VariantTwoPeakBetweenHalfAndSevenTenths) {
    const BoxGrid g = Layer(3, 1);
    NumberColumns(g, 0.0);
    CstressRatio[1] = 0.5 / 0.95;
    CstressRatio[2] = 2.0 / 0.95;
    CstressRatio[3] = 0.7 / 0.95;
    UpdateLayerSlopeC(2);
    // The smoothing moves the neighbours first; the cut takes their sum then.
    const double* R = CstressRatio.data();
    EXPECT_NEAR(R[g.cell(1, 0, 0)], 0.525 * (R[1] + R[3]), 1e-9);
}

// Variant 1 solves its ratio equation over the layer block alone, even
// when the active range is that of the flow blocks before it.
TEST_F(LayerUpdates, VariantOneSolvesOnlyTheLayerBlock) {
    const BoxGrid g = Layer(4, 2);
    NumberColumns(g, 0.0);
    BlockTable[2].firstCell = g.cell(2, 0, 0);
    BlockTable[2].firstSurface = 1;
    FirstCell = 1;
    LastCell = g.cell(1, 0, 1);
    Equation = 1;
    for (int c = 1; c < BlockTable[2].firstCell; ++c) CstressRatio[c] = 7.0;
    const auto target = Cf.save();
    UpdateLayerSlopeB(2);
    for (int c = 1; c < BlockTable[2].firstCell; ++c) EXPECT_EQ(CstressRatio[c], 7.0) << c;
    for (int c = BlockTable[2].firstCell; c <= NoCells; ++c) {
        EXPECT_TRUE(std::isfinite(CstressRatio[c])) << c;
        EXPECT_TRUE(CstressCount[c] == 0 || CstressCount[c] == 2) << c;
    }
    EXPECT_EQ(FirstCell, 1);
    EXPECT_EQ(LastCell, g.cell(1, 0, 1));
    EXPECT_EQ(Cf.save().array, target.array);
}

// A column's level relaxes towards the top of its holding cells and is then
// held between its neighbours.
TEST_F(LayerUpdates, LevelsRelaxAndAreClipped) {
    const BoxGrid g = Layer(3, 1);
    NumberColumns(g, 0.0);
    BlayerSlope[2] = 10.0;
    UpdateStressCounters(2);
    EXPECT_NEAR(BlayerSlope[1], 0.1, 1e-12);  // 0.9 * 0 + 0.1 * (0.5 + 0.5)
    EXPECT_NEAR(BlayerSlope[3], 0.1, 1e-12);
    EXPECT_NEAR(BlayerSlope[2], 0.1, 1e-12);  // 9.1 clipped to the higher neighbour
}

}  // namespace
