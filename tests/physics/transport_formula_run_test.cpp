// The transport formulas on the converged flow of the physics channel: the
// Engelund-Hansen rate of every column of the developed reach from the
// column's own flow, its size against a hand estimate, and no bed load of
// coarse gravel at a Shields number far below the critical one.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

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
    double middleRate = 0.0;
    // Rates by line of columns along the channel (j), in order of x.
    std::map<long, std::vector<double>> lines;
    int checked = 0;
    for (int b = 1; b <= NoBedCells; ++b) {
        const int c = Bcellt[b];
        if (c <= 0 || Cxcenter[c] < 8.0) continue;
        const ColumnRate hand = EngelundHansenByHand(c, 0.0002, 0.02);
        const double rate = BpotentialConc[1][b] * hand.capacity;
        EXPECT_NEAR(rate, hand.rate, 1e-9 * hand.rate) << "column " << b;
        if (c == middle) middleRate = rate;
        // The outlet column, whose shear the outflow boundary raises, is
        // left out of the comparison along the lines.
        if (Cxcenter[c] < 15.0) lines[std::lround(Cycenter[c] * 100.0)].push_back(rate);
        ++checked;
    }
    EXPECT_EQ(checked, 8 * 3);
    // The flow is still settling into its cross-channel distribution: the
    // rate changes smoothly along each line, by a few per cent per metre.
    for (const auto& [y, rates] : lines) {
        ASSERT_EQ(rates.size(), 7u);
        for (size_t n = 1; n < rates.size(); ++n) {
            EXPECT_LT(std::fabs(rates[n] / rates[n - 1] - 1.0), 0.05) << "y " << y * 0.01 << ", column " << n;
        }
        const auto [low, high] = std::minmax_element(rates.begin(), rates.end());
        std::printf("Engelund-Hansen rate at y %.2f m: %.4e to %.4e m2/s (spread %.1f %%)\n", y * 0.01, *low, *high,
                    100.0 * (*high / *low - 1.0));
    }
    // U 0.2 m/s, u* = U / (2.5 ln(11 h / ks)) = 0.0142 m/s, theta 0.063.
    std::printf("Engelund-Hansen rate in the middle of the reach: %.4e m2/s\n", middleRate);
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
