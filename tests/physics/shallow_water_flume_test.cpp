// The shallow-water solver run to its steady state in the flume: 0.066 m2/s
// in at 0.22 m over a flat bed of Strickler 50, 1200 s (twenty times the
// friction time u / (2 g Sf)). The backwater curve dh/dx = -Sf / (1 - Fr^2)
// from 0.22 m at x 0, with Sf = q^2 / (M^2 h^(10/3)) and Fr^2 = q^2 / (g h^3),
// gives 0.21936 m at x 2.25 and 0.21477 m at x 17.75; the specific energy
// falls by the integral of Sf between them.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "tests/drivers/shallow_water_flume.h"

namespace {

constexpr double kQ = 0.066;
constexpr double kGravity = 9.81;

double Energy(int c) {
    const double h = Depth(c);
    return h + kQ * kQ / (2.0 * kGravity * h * h);
}

struct Backwater {
    double depthDrop, energyDrop;  // from x 2.25 to x 17.75
};

// The backwater curve, integrated in steps of 1 mm from x 0.
Backwater Integrate() {
    double h = 0.22, upstream = 0.0, friction = 0.0;
    for (int n = 0; n < 17750; ++n) {
        const double sf = kQ * kQ / (50.0 * 50.0 * std::pow(h, 10.0 / 3.0));
        const double fr2 = kQ * kQ / (kGravity * h * h * h);
        if (n >= 2250) friction += sf * 0.001;
        h -= sf / (1.0 - fr2) * 0.001;
        if (n + 1 == 2250) upstream = h;
    }
    return {upstream - h, friction};
}

class ShallowWaterFlume : public ::testing::TestWithParam<double> {};

TEST_P(ShallowWaterFlume, SteadyStateFollowsTheBackwaterCurve) {
    const double bed = GetParam();
    ProjectDir dir;
    const FlumeRun run = RunFlume(dir, Flume("F 311 1\nF 17 0.1\nK 1 12000\n", bed));
    ASSERT_EQ(run.status, 1) << run.log.substr(0, 2000);
    const std::string last = "Iter 11999\n";
    ASSERT_GE(run.log.size(), last.size());
    EXPECT_EQ(run.log.substr(run.log.size() - last.size()), last);
    EXPECT_EQ(run.log.find("PauseFlag"), std::string::npos);

    const BlockRecord& r = FlumeBlock();
    for (int c = r.firstCell; c <= r.lastCell; ++c) {
        EXPECT_NEAR(Discharge(c), kQ, 0.01 * kQ) << c;
        for (const Array1<int>* top : {&Cpoint5, &Cpoint6, &Cpoint7, &Cpoint8}) {
            EXPECT_GT(Pz1[(*top)[c]], bed + 0.2) << c;
            EXPECT_LT(Pz1[(*top)[c]], bed + 0.23) << c;
        }
    }
    const Backwater curve = Integrate();
    EXPECT_NEAR(curve.depthDrop, 0.0046, 0.0001);
    EXPECT_NEAR(curve.energyDrop, 0.0044, 0.0001);
    for (const double y : {0.125, 0.375}) {
        const int upstream = FlumeCellNear(2.25, y), downstream = FlumeCellNear(17.75, y);
        const double drop = Depth(upstream) - Depth(downstream);
        EXPECT_NEAR(drop, curve.depthDrop, 0.1 * curve.depthDrop) << Depth(upstream) << " " << Depth(downstream);
        EXPECT_NEAR(Energy(upstream) - Energy(downstream), curve.energyDrop, 0.1 * curve.energyDrop);
        EXPECT_NEAR(Depth(upstream), 0.21936, 0.001);
    }
}

INSTANTIATE_TEST_SUITE_P(Beds, ShallowWaterFlume, ::testing::Values(0.0, 10.0));

}  // namespace
