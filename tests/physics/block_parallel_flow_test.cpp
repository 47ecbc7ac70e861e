// The block-parallel driver (F 328 = 1) against WaterSolve on the channel of
// examples/channel at half its plan resolution: both assemble the same
// equations and stop at the same residual, so they reach the same flow, on
// one thread and on four; and a drag zone across the channel adds its force
// to the pressure drop.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "run/globals.h"
#include "tests/support/project_dir.h"
#include "tools/channel_project.h"

namespace {

// 20 m long, 2 m wide and 1 m deep with 1 m3/s, as examples/channel, in 40 x
// 4 columns of 5 layers: 0.5 m columns, so the grid node i = 22 is the
// column line at x = 10 m, as in the example.
ChannelSpec Channel(const std::string& extra) {
    ChannelSpec spec;
    spec.columnsAlong = 40;
    spec.columnsAcross = 4;
    spec.gridLinesZ = 6;
    spec.length = 20.0;
    spec.width = 2.0;
    spec.depth = 1.0;
    spec.bedLevel = 10.0;
    spec.bedSlope = 0.001;
    spec.version = 3;
    spec.discharge = 1.0;
    spec.letters = "UW";
    spec.extraControl = "W 1 50 1 11\nF 24 0\nK 1 5000\nK 3 0.8 0.8 0.8 0.3 0.7 0.7\nK 4 2 2 2 10 3 3\n" + extra;
    return spec;
}

struct Flow {
    double meanU = 0.0;      // volume-weighted mean of U over the channel
    double probe = 0.0;      // depth-mean u of the column at (15.25, 0.75)
    double drop = 0.0;       // section-mean pressure at x 2.75 minus that at x 17.25
    double zoneDrag = 0.0;   // sum of h u |u| sqrt(plan area) over the cells of the column line at x 10.25
};

// The volume-weighted mean of `value` over the cells whose centre lies
// within 1 mm of x (and of y when y >= 0).
template <class F>
double MeanAt(double x, double y, F value) {
    double sum = 0.0, volume = 0.0;
    for (int c = 1; c <= NoCells; ++c) {
        if (std::fabs(Cxcenter[c] - x) > 1e-3 || (y >= 0.0 && std::fabs(Cycenter[c] - y) > 1e-3)) continue;
        sum += value(c) * Cvol[c];
        volume += Cvol[c];
    }
    return volume > 0.0 ? sum / volume : NAN;
}

class BlockParallelFlow : public ::testing::Test {
protected:
    Flow Run(const std::string& extra) {
        ProjectDir dir;
        EXPECT_TRUE(WriteChannelProject(dir.path(), Channel(extra)));
        const int status = dir.runInProcess();
        const std::string log = dir.read("boogie");
        EXPECT_EQ(status, 1) << log;
        EXPECT_NE(log.find("\nSolution converged\n"), std::string::npos) << extra << log;
        Flow f;
        double volume = 0.0;
        for (int c = 1; c <= NoCells; ++c) {
            f.meanU += Cu[c] * Cvol[c];
            volume += Cvol[c];
        }
        f.meanU /= volume;
        f.probe = MeanAt(15.25, 0.75, [](int c) { return Cu[c]; });
        f.drop = MeanAt(2.75, -1.0, [](int c) { return Pres[c]; }) - MeanAt(17.25, -1.0, [](int c) { return Pres[c]; });
        for (int c = 1; c <= NoCells; ++c) {
            if (std::fabs(Cxcenter[c] - 10.25) > 1e-3) continue;
            f.zoneDrag += 2.0 * Ckdist[c] * Cu[c] * std::fabs(Cu[c]) * std::sqrt(Cvol[c] / (2.0 * Ckdist[c]));
        }
        return f;
    }
};

class DriverAgreement : public BlockParallelFlow, public ::testing::WithParamInterface<int> {};

TEST_P(DriverAgreement, BlockParallelReachesTheWaterSolveFlow) {
    const Flow reference = Run("");
    EXPECT_NEAR(reference.meanU, 0.5, 0.005);
    const Flow block = Run("F 328 1\nF 206 " + std::to_string(GetParam()) + "\n");
    EXPECT_NEAR(block.meanU, reference.meanU, 0.002 * reference.meanU);
    EXPECT_NEAR(block.probe, reference.probe, 0.01 * reference.probe);
    EXPECT_GT(reference.drop, 0.0);
    EXPECT_NEAR(block.drop, reference.drop, 0.01 * reference.drop);
}

INSTANTIATE_TEST_SUITE_P(Threads, DriverAgreement, ::testing::Values(0, 4),
                         [](const ::testing::TestParamInfo<int>& i) { return "F206_" + std::to_string(i.param); });

// A drag zone over the whole section at x 10 to 10.5 (Cd 0.1, below 0.7: a
// drag that grows with the square of the speed) holds the water back with
// 1000 Cd sum(h u^2 sqrt(plan area)) newtons, which the pressure drop
// carries over the 2 m2 section.
TEST_F(BlockParallelFlow, DragZoneAddsItsForceToThePressureDrop) {
    const Flow free = Run("F 328 1\n");
    const Flow dragged = Run("F 328 1\nG 22 22 22 2 5 9 12 0.1\n");
    const double expected = 1000.0 * 0.1 * dragged.zoneDrag / 2.0;
    EXPECT_GT(expected, 20.0);
    EXPECT_NEAR(dragged.drop - free.drop, expected, 0.15 * expected);
}

}  // namespace
