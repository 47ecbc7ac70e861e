// Letter L run to its steady state in the flume: 0.066 m2/s fed in over a
// flat bed of Strickler 50, the outflow held at the start depth of 0.22 m,
// 1200 s (twenty times the friction time u / (2 g Sf)). The steady profile
// is the backwater curve dh/dx = -Sf / (1 - Fr^2), with
// Sf = q^2 / (M^2 h^(10/3)) and Fr^2 = q^2 / (g h^3), integrated upstream
// from 0.22 m at the outflow; the specific energy falls by the integral of Sf.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "tests/drivers/shallow_water_flume.h"

namespace {

constexpr double kQ = 0.066;
constexpr double kGravity = 9.81;
constexpr double kUpstreamX = 2.25, kDownstreamX = 17.75;

double Energy(int c) {
    const double h = Depth(c);
    const double hu = Discharge(c);
    return h + hu * hu / (2.0 * kGravity * h * h);
}

struct Backwater {
    double upstream, downstream, friction;  // depths at 2.25 and 17.75, integral of Sf between
};

// The backwater curve, integrated upstream in steps of 0.5 mm from 0.22 m at
// x 20.
Backwater Integrate() {
    Backwater curve{0.0, 0.0, 0.0};
    double h = 0.22;
    for (int n = 40000; n > 4500; --n) {  // x = n / 2000
        const double sf = kQ * kQ / (50.0 * 50.0 * std::pow(h, 10.0 / 3.0));
        const double fr2 = kQ * kQ / (kGravity * h * h * h);
        if (n == 35500) curve.downstream = h;
        if (n <= 35500) curve.friction += sf * 0.0005;
        h += sf / (1.0 - fr2) * 0.0005;
    }
    curve.upstream = h;
    return curve;
}

// 12000 steps with a metric each take about 2 s in the release build but
// minutes under the sanitizers, so only the release build runs them.
class ShallowWaterFlume : public ::testing::TestWithParam<double> {
protected:
    void SetUp() override {
#if defined(__SANITIZE_ADDRESS__)
        GTEST_SKIP() << "a run of minutes under the sanitizers: run it in the release build";
#endif
    }
};

TEST_P(ShallowWaterFlume, SteadyStateFollowsTheBackwaterCurve) {
    const double bed = GetParam();
    ProjectDir dir;
    const FlumeRun run = RunFlume(dir, Flume("F 311 1\nF 17 0.1\nK 1 12000\n", bed));
    ASSERT_EQ(run.status, 1) << run.log.substr(0, 2000);
    const std::string last = "Iter 11999\n";
    ASSERT_GE(run.log.size(), last.size());
    EXPECT_EQ(run.log.substr(run.log.size() - last.size()), last);
    EXPECT_EQ(run.log.find("PauseFlag"), std::string::npos);
    EXPECT_EQ(run.log.find("Error"), std::string::npos);

    const BlockRecord& r = FlumeBlock();
    for (int c = r.firstCell; c <= r.lastCell; ++c) {
        EXPECT_NEAR(Discharge(c), kQ, 0.01 * kQ) << c;
        for (const Array1<int>* top : {&Cpoint5, &Cpoint6, &Cpoint7, &Cpoint8}) {
            EXPECT_GT(Pz1[(*top)[c]], bed + 0.215) << c;
            EXPECT_LT(Pz1[(*top)[c]], bed + 0.23) << c;
        }
    }
    const Backwater curve = Integrate();
    const double depthDrop = curve.upstream - curve.downstream;
    EXPECT_NEAR(depthDrop, 0.0042, 0.0001);
    EXPECT_NEAR(curve.friction, 0.0040, 0.0001);
    for (const double y : {0.125, 0.375}) {
        const int upstream = FlumeCellNear(kUpstreamX, y), downstream = FlumeCellNear(kDownstreamX, y);
        EXPECT_NEAR(Depth(upstream), curve.upstream, 0.0002);
        EXPECT_NEAR(Depth(downstream), curve.downstream, 0.0002);
        const double drop = Depth(upstream) - Depth(downstream);
        EXPECT_NEAR(drop, depthDrop, 0.03 * depthDrop) << Depth(upstream) << " " << Depth(downstream);
        EXPECT_NEAR(Energy(upstream) - Energy(downstream), curve.friction, 0.03 * curve.friction);
    }
}

INSTANTIATE_TEST_SUITE_P(Beds, ShallowWaterFlume, ::testing::Values(0.0, 10.0),
                         [](const ::testing::TestParamInfo<double>& i) { return i.param > 0.0 ? "BedAt10m" : "BedAt0m"; });

}  // namespace
