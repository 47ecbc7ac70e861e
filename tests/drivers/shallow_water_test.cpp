// Letter L on the flume: the start state, single steps, the boundary faces,
// the water surface carried by the top points and the refusals.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "tests/drivers/shallow_water_flume.h"
#include "run/status.h"

namespace {

constexpr double kStartDepth = 0.22;
constexpr double kStartDischarge = 0.2 * kStartDepth;

class ShallowWater : public ::testing::Test {
protected:
    void Run(const std::string& control, double bed = 0.0, int across = 2, double depth = 0.22) {
        run_ = RunFlume(dir_, Flume(control, bed, across, depth));
    }
    static int Lines(const std::string& log, const std::string& text) {
        int n = 0;
        for (size_t at = log.find(text); at != std::string::npos; at = log.find(text, at + 1)) ++n;
        return n;
    }
    ProjectDir dir_;
    FlumeRun run_;
};

TEST_F(ShallowWater, NoStepsSetsOnlyTheStartState) {
    Run("F 311 1\nF 17 0.1\nK 1 0\n");
    ASSERT_EQ(run_.status, 1) << run_.log;
    EXPECT_EQ(run_.log.find("Iter "), std::string::npos);
    const BlockRecord& r = FlumeBlock();
    ASSERT_EQ(r.depthAveraged, 1);
    ASSERT_EQ(r.lastCell - r.firstCell + 1, 80);
    for (int c = r.firstCell; c <= r.lastCell; ++c) {
        EXPECT_DOUBLE_EQ(Depth(c), kStartDepth) << c;
        EXPECT_DOUBLE_EQ(Discharge(c), kStartDischarge) << c;
        EXPECT_EQ(ShallowWork3A[2][c], 0.0);
        EXPECT_DOUBLE_EQ(Cu[c], 0.2);
        if (Ccellw[c] != 0) continue;
        EXPECT_DOUBLE_EQ(Pz1[Cpoint5[c]], 0.22);
        EXPECT_DOUBLE_EQ(Pz1[Cpoint8[c]], 0.22);
    }
}

// After a few steps the inflow face still holds its fixed state, and an
// interior cell of the uniform start state has lost only the friction of
// its first step: 9.81 h dt u^2 / (M^2 h^(4/3)).
TEST_F(ShallowWater, OneStepBrakesTheInteriorByStricklerFrictionAndDoesNotPause) {
    Run("F 311 1\nF 17 0.1\nK 1 1\n");
    ASSERT_EQ(run_.status, 1) << run_.log;
    EXPECT_EQ(Lines(run_.log, "Iter "), 1);
    EXPECT_NE(run_.log.find("Iter 0\n"), std::string::npos);
    EXPECT_EQ(run_.log.find("PauseFlag = 3"), std::string::npos);
    EXPECT_EQ(PauseFlag, 0);
    const int c = FlumeCellNear(10.25, 0.125);
    ASSERT_GT(c, 0);
    const double loss = 9.81 * 0.22 * 0.1 * 0.04 / (std::pow(0.22, 4.0 / 3.0) * 50.0 * 50.0);
    EXPECT_NEAR(loss, 2.60e-5, 0.01e-5);
    EXPECT_NEAR(kStartDischarge - Discharge(c), loss, 1e-12);
    EXPECT_NEAR(Depth(c), kStartDepth, 1e-12);
    // The step keeps the water: the volume grows by the inflow less the
    // outflow of the start state. The inflow face is still 0.22 m high but
    // carries 0.066 m2/s at its new depth h, so its flux per metre of width
    // is 0.066 x 0.22 / h.
    const BlockRecord& r = FlumeBlock();
    const int inflow = FlumeCellNear(0.25, 0.125);
    ASSERT_EQ(Ccellw[inflow], 0);
    const double h = ShallowWork4A[3][Csurfw[inflow]];
    double added = 0.0;
    for (int n = r.firstCell; n <= r.lastCell; ++n) added += (Depth(n) - kStartDepth) * Fareaz[Csurfb[n]];
    EXPECT_NEAR(added, 0.1 * 0.5 * (0.066 * kStartDepth / h - kStartDischarge), 1e-12);
}

// The inflow face holds 0.066 m2/s at the depth that lets the wave leaving
// the inflow cell out: u - 2 sqrt(g h) of the start state (0.22 m, 0.2 m/s).
// The outflow face holds the start depth and passes on u + 2 sqrt(g h) of
// the last cell, which in the start state is its own discharge.
TEST_F(ShallowWater, BoundaryFacesEachHoldOneValueAndPassTheOutgoingWave) {
    Run("F 311 1\nF 17 0.1\nK 1 1\n");
    ASSERT_EQ(run_.status, 1) << run_.log;
    const double outgoing = 0.2 - 2.0 * std::sqrt(9.81 * kStartDepth);
    const BlockRecord& r = FlumeBlock();
    int inflowCells = 0, outflowCells = 0;
    for (int c = r.firstCell; c <= r.lastCell; ++c) {
        if (Ccellw[c] == 0) {
            ++inflowCells;
            const int s = Csurfw[c];
            const double h = ShallowWork4A[3][s];
            EXPECT_EQ(ShallowWork4A[0][s], 0.066);
            EXPECT_NEAR(0.066 / h - 2.0 * std::sqrt(9.81 * h), outgoing, 1e-12);
            EXPECT_NEAR(h, 0.23270, 1e-5);
            EXPECT_NEAR(ShallowWork4A[1][s], 0.066 * 0.066 / h + 4.905 * h * h, 1e-12);
            EXPECT_EQ(ShallowWork4A[2][s], 0.0);
            EXPECT_DOUBLE_EQ(Pz1[Cpoint5[c]], h);
            EXPECT_DOUBLE_EQ(Pz1[Cpoint8[c]], h);
            // The inflow adds more than the start state carries on.
            EXPECT_GT(Depth(c), kStartDepth);
        }
        if (Ccelle[c] == 0) {
            ++outflowCells;
            const int s = Csurfe[c];
            EXPECT_EQ(ShallowWork4A[3][s], kStartDepth);
            EXPECT_NEAR(ShallowWork4A[0][s], kStartDischarge, 1e-15);
            EXPECT_NEAR(ShallowWork4A[1][s], kStartDischarge * 0.2 + 4.905 * kStartDepth * kStartDepth, 1e-15);
        }
    }
    EXPECT_EQ(inflowCells, 2);
    EXPECT_EQ(outflowCells, 2);
}

// Water 3 mm deep at 0.2 m/s runs supercritical (sqrt(9.81 x 0.003) = 0.17
// m/s): no wave leaves through the inflow, so its face takes the whole
// inflow state.
TEST_F(ShallowWater, SupercriticalInflowCellTakesTheWholeInflowState) {
    Run("F 311 1\nF 17 0.1\nK 1 1\n", 0.0, 2, 0.003);
    ASSERT_EQ(run_.status, 1) << run_.log;
    const BlockRecord& r = FlumeBlock();
    int inflowCells = 0;
    for (int c = r.firstCell; c <= r.lastCell; ++c) {
        if (Ccellw[c] != 0) continue;
        ++inflowCells;
        const int s = Csurfw[c];
        EXPECT_EQ(ShallowWork4A[0][s], 0.066);
        EXPECT_NEAR(ShallowWork4A[1][s], 0.257202, 1e-12);
        EXPECT_EQ(ShallowWork4A[3][s], 0.22);
        EXPECT_DOUBLE_EQ(Pz1[Cpoint5[c]], 0.22);
    }
    EXPECT_EQ(inflowCells, 2);
}

// One cell across: each top point is the mean depth of the cell and its
// east or west neighbour.
TEST_F(ShallowWater, OneCellWideChannelAveragesAlongTheChannelOnly) {
    Run("F 311 1\nF 17 0.1\nK 1 3\n", 0.0, 1);
    ASSERT_EQ(run_.status, 1) << run_.log;
    const BlockRecord& r = FlumeBlock();
    ASSERT_EQ(r.lastCell - r.firstCell + 1, 40);
    for (int c = r.firstCell; c <= r.lastCell; ++c) {
        EXPECT_EQ(Ccelln[c], 0);
        const int e = Ccelle[c];
        if (e == 0 || Ccellw[c] == 0) continue;
        EXPECT_DOUBLE_EQ(Pz1[Cpoint6[c]], 0.5 * (Depth(c) + Depth(e))) << c;
        EXPECT_DOUBLE_EQ(Pz1[Cpoint7[c]], 0.5 * (Depth(c) + Depth(e))) << c;
        EXPECT_NEAR(2.0 * Ckdist[c], 0.5 * (Pz1[Cpoint5[c]] + Pz1[Cpoint6[c]]), 1e-12) << c;
    }
}

// On a bed 10 m up, the top points stand at the bed plus the depth, and the
// state is that of the flume at z = 0.
TEST_F(ShallowWater, RaisedBedCarriesTheDepthAboveIt) {
    struct State {
        double depth, discharge, surface;
    };
    std::vector<State> states[2];
    for (int run = 0; run < 2; ++run) {
        const double bed = 10.0 * run;
        Run("F 311 1\nF 17 0.1\nK 1 20\n", bed);
        ASSERT_EQ(run_.status, 1) << run_.log;
        const BlockRecord& r = FlumeBlock();
        for (int c = r.firstCell; c <= r.lastCell; ++c) {
            EXPECT_DOUBLE_EQ(Pz1[Cpoint3[c]], bed);
            states[run].push_back({Depth(c), Discharge(c), Pz1[Cpoint7[c]] - bed});
        }
    }
    ASSERT_EQ(states[0].size(), states[1].size());
    for (size_t n = 0; n < states[0].size(); ++n) {
        EXPECT_NEAR(states[1][n].depth, states[0][n].depth, 1e-9) << n;
        EXPECT_NEAR(states[1][n].discharge, states[0][n].discharge, 1e-9) << n;
        EXPECT_NEAR(states[1][n].surface, states[0][n].surface, 1e-9) << n;
        EXPECT_GT(states[1][n].surface, 0.2) << n;
    }
}

const EngineCase kShallowWaterCases[] = {
    {"WithoutF311", "F 2 L\n", kShallowWaterRefusedStatus,
     {"The F 311 data set has to be used in the control file when computing the \nShallow-Water equations\n\n"},
     {"Iter "}},
    {"LastBlockNotDepthAveraged", "F 2 L\nF 311 2\n", kShallowWaterRefusedStatus,
     {"Error in computation of Shallow Water Equations: 2D block not correctly made\n"}, {"Iter "}},
};

class ShallowWaterRefusals : public ::testing::TestWithParam<EngineCase> {};
TEST_P(ShallowWaterRefusals, EndsAsTheRowSays) { CheckEngineCase(GetParam()); }
INSTANTIATE_TEST_SUITE_P(Rows, ShallowWaterRefusals, ::testing::ValuesIn(kShallowWaterCases), EngineCaseName());

// A step of 0.5 s over 0.5 m cells: (0.2 + sqrt(9.81 x 0.22)) x 0.5 / 0.5 =
// 1.67 in the start state, so no step is made and the run fails.
TEST_F(ShallowWater, CourantNumberAboveOneStopsBeforeTheStep) {
    Run("F 311 1\nF 17 0.5\nK 1 10\n");
    EXPECT_EQ(run_.status, -1) << run_.log;
    EXPECT_NE(run_.log.find("Error in computation of Shallow Water Equations: Courant number 1.669"),
              std::string::npos)
        << run_.log;
    EXPECT_EQ(run_.log.find("Iter "), std::string::npos);
}

// The inflow of 0.066 m2/s runs into water 5 mm deep: the bore drains the
// cell ahead of it within a few steps, and the run stops on the first depth
// that is not positive, before the top points are moved below the bed.
TEST_F(ShallowWater, DepthThatIsNotPositiveStopsTheRun) {
    Run("F 311 1\nF 17 0.1\nK 1 200\n", 0.0, 2, 0.005);
    EXPECT_EQ(run_.status, -1) << run_.log;
    const std::string message = "Error in computation of Shallow Water Equations: depth -";
    const size_t at = run_.log.find(message);
    ASSERT_NE(at, std::string::npos) << run_.log;
    int cell = 0, step = -1;
    ASSERT_EQ(std::sscanf(run_.log.c_str() + at + message.size() - 1, "%*e in cell %d after step %d", &cell, &step), 2);
    EXPECT_GE(cell, FlumeBlock().firstCell);
    EXPECT_LE(cell, FlumeBlock().lastCell);
    EXPECT_EQ(run_.log.find("Iter " + std::to_string(step) + "\n"), std::string::npos);
    EXPECT_NE(run_.log.find("Iter " + std::to_string(step - 1) + "\n"), std::string::npos);
}

}  // namespace
