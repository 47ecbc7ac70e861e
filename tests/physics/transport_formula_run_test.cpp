// The transport formulas on the converged flow of the physics channel: the
// Engelund-Hansen rate of every column of the developed reach from the
// column's own flow, its size against a hand estimate, and no bed load of
// coarse gravel at a Shields number far below the critical one.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "run/globals.h"
#include "sediment/sediment_services.h"
#include "tests/physics/physics_channel.h"
#include "tests/support/project_dir.h"
#include "tools/channel_project.h"

namespace {

double Speed(int c) { return std::hypot(Cu[c], Cv[c]); }

// The Engelund-Hansen rate per unit width of the column over bottom cell c
// and its capacity (the depth integral of speed times the Rouse profile).
struct ColumnRate {
    double rate, capacity;
};

ColumnRate EngelundHansenByHand(int c, double d, double w) {
    double half = 0.0, speedHalf = 0.0;
    for (int k = c; k > 0; k = Ccellt[k]) {
        half += Ckdist[k];
        speedHalf += Ckdist[k] * Speed(k);
    }
    const double depth = 2.0 * half, um = speedHalf / half;
    const double tau = 300.0 * Ck[c] + 1e-20;
    const double rouse = w / (0.4 * std::sqrt(0.001 * tau));
    const double a = Ckdist[c];
    double below = 0.0, capacity = 0.0;
    for (int k = c; k > 0; k = Ccellt[k]) {
        const double z = below + Ckdist[k];
        capacity += 2.0 * std::pow((depth - z) / z * a / (depth - a), rouse) * Ckdist[k] * Speed(k);
        below += 2.0 * Ckdist[k];
    }
    const double theta = tau / (1000.0 * 9.81 * 1.65 * d);
    return {0.05 * um * um * std::sqrt(d / (9.81 * 1.65)) * std::pow(theta, 1.5), capacity};
}

TEST(TransportFormulaRun, EngelundHansenAndMeyerPeterOnTheDevelopedFlow) {
    ChannelSpec spec = PhysicsChannel(0.075);
    spec.extraControl += "S 1 0.0002 0.02\nN 0 1 1\nF 11 2.65 0.047\n";
    ProjectDir dir;
    ASSERT_TRUE(WriteChannelProject(dir.path(), spec));
    const int status = dir.runInProcess();
    const std::string log = dir.read("boogie");
    ASSERT_EQ(status, 1) << log;
    ASSERT_NE(log.find("\nSolution converged\n"), std::string::npos) << log;

    SelectWholeGrid();
    SedFormula = 'E';
    ComputeBedConcentrationFormula();
    // The middle of the reach, on the channel's axis.
    const int middle = BedCellNear(11.5, 0.75);
    int checked = 0;
    double lowest = HUGE_VAL, highest = 0.0, middleRate = 0.0;
    for (int b = 1; b <= NoBedCells; ++b) {
        const int c = Bcellt[b];
        if (c <= 0 || Cxcenter[c] < 8.0) continue;
        const ColumnRate hand = EngelundHansenByHand(c, 0.0002, 0.02);
        const double rate = BpotentialConc[1][b] * hand.capacity;
        EXPECT_NEAR(rate, hand.rate, 1e-9 * hand.rate) << "column " << b;
        lowest = std::min(lowest, rate);
        highest = std::max(highest, rate);
        if (c == middle) middleRate = rate;
        ++checked;
    }
    std::printf("Engelund-Hansen rate %.4e to %.4e m2/s over %d columns, %.4e in the middle\n", lowest, highest,
                checked, middleRate);
    EXPECT_EQ(checked, 8 * 3);
    EXPECT_LT(highest / lowest - 1.0, 0.05);
    // U 0.2 m/s, u* = U / (2.5 ln(11 h / ks)) = 0.0142 m/s, theta 0.063.
    EXPECT_NEAR(middleRate, 1.1e-7, 0.3 * 1.1e-7);

    // 5 mm gravel: theta about 0.0025, far below 0.047.
    Diameter[1] = 0.005;
    SedFormula = 'M';
    for (int b = 1; b <= NoBedCells; ++b) BpotentialConc[1][b] = 9.0;
    ComputeBedConcentrationFormula();
    for (int b = 1; b <= NoBedCells; ++b) {
        if (Bcellt[b] > 0) {
            EXPECT_EQ(BpotentialConc[1][b], 0.0) << "column " << b;
        }
    }
}

}  // namespace
