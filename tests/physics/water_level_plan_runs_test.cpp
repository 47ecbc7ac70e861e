// Whole runs whose surface follows the plan water-level equation (F 36 10),
// with the reference column at the downstream corner, the column of the
// grid's last cell, where the pressure correction anchors the pressure.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "flow/flow_data.h"
#include "grid/grid_data.h"
#include "run/globals.h"
#include "tests/support/project_dir.h"
#include "tools/channel_project.h"

namespace {

ChannelSpec LevelChannel(int along, int across, double length, double width) {
    ChannelSpec spec;
    spec.columnsAlong = along;
    spec.columnsAcross = across;
    spec.gridLinesZ = 6;
    spec.length = length;
    spec.width = width;
    spec.depth = 1.0;
    spec.version = 4;
    spec.letters = "UW";
    return spec;
}

class WaterLevelRuns : public ::testing::Test {
protected:
    void Run(const ChannelSpec& spec, const std::string& control) {
        ChannelSpec s = spec;
        s.extraControl = "W 1 50 1 1\n" + control;
        ASSERT_TRUE(WriteChannelProject(dir_.path(), s));
        status_ = dir_.runInProcess();
        log_ = dir_.read("boogie");
    }
    ProjectDir dir_;
    int status_ = 0;
    std::string log_;
};

// Still water has no pressure drop to follow: the surface stays level, and
// moves only with the reference pressure that the pressure correction's
// anchoring builds up slowly.
TEST_F(WaterLevelRuns, StillWaterStaysLevelAtItsStartLevel) {
    Run(LevelChannel(20, 2, 20.0, 2.0), "F 36 10\nF 91 21 3\nF 105 1\nK 1 60\nF 200 2 1e-5 1e-6 0.1 10\n");
    EXPECT_EQ(status_, 1) << log_;
    EXPECT_GE(NoSurfaceUpdates, 15);
    double low = HUGE_VAL, high = -HUGE_VAL;
    for (int i = 1; i <= 21; ++i) {
        for (int j = 1; j <= 3; ++j) {
            low = std::min(low, Gridz[i][j][NoGridLinesZ]);
            high = std::max(high, Gridz[i][j][NoGridLinesZ]);
        }
    }
    std::printf("still water after %d updates: nodes from %.7f to %.7f m\n", NoSurfaceUpdates, low, high);
    EXPECT_LT(high - low, 1e-4);
    EXPECT_NEAR(low, 1.0, 1e-3);
    EXPECT_NEAR(high, 1.0, 1e-3);
}

// Steady flow over a horizontal bed, 100 m long, 1 m3/s per metre at 1 m
// depth: between x = 20 and 80 m the surface falls by what friction takes.
// On the bed alone, dh = L Sf / (1 - Fr^2) with Manning's Sf = 1/50^2:
// 60 / 2500 / 0.9 = 0.027 m (0.025 m without the momentum term); 40 m apart
// the side walls take little of it. In the 4 m wide channel they take some
// 30 %, and the surface falls as far as under the node pressure method
// (F 36 2), whose drop balances the friction of bed and walls: 0.0362 m.
// The reference column stays at its start level and the runs settle,
// instead of lifting the water update by update with the pressure
// correction's slow shift of the pressure's constant.
TEST_F(WaterLevelRuns, BackwaterFallsTowardsTheOutlet) {
    const struct {
        double width;
        int across;
        double drop, tolerance;
    } rows[] = {{40.0, 2, 0.025, 0.25 * 0.025}, {4.0, 4, 0.0362, 0.05 * 0.0362}};
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << row.width << " m wide");
        ChannelSpec spec = LevelChannel(50, row.across, 100.0, row.width);
        spec.discharge = row.width;
        const int jRef = row.across + 1;
        Run(spec, "F 36 10\nF 91 51 " + std::to_string(jRef) +
                      "\nF 105 10\nK 1 3000\nK 3 0.8 0.8 0.8 0.3 0.7 0.7\nK 4 2 2 2 10 3 3\n");
        EXPECT_EQ(status_, 1) << log_;
        EXPECT_NE(log_.find("\nSolution converged\n"), std::string::npos) << log_;
        EXPECT_GE(NoSurfaceUpdates, 20);
        const auto line = [&row](int i) {
            double sum = 0.0;
            for (int j = 1; j <= row.across + 1; ++j) sum += Gridz[i][j][NoGridLinesZ];
            return sum / (row.across + 1);
        };
        // Columns of 2 m: the one centred at x = 21 m lies between node
        // lines 11 and 12, the one at 81 m between 41 and 42.
        const double drop = 0.5 * (line(11) + line(12)) - 0.5 * (line(41) + line(42));
        std::printf("%g m wide: surface drop from x = 21 to 81 m %.5f m after %d updates\n", row.width, drop,
                    NoSurfaceUpdates);
        EXPECT_NEAR(drop, row.drop, row.tolerance);
        EXPECT_NEAR(Gridz[51][jRef][NoGridLinesZ], 1.0, 1e-3);
        EXPECT_GT(line(1), line(11));
    }
}

}  // namespace
