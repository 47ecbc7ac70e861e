// Whole morphology runs (letter S) with the layered bed and the sediment
// balance reported every step (F 1 D).
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "tests/support/continuity_report.h"
#include "tests/support/project_dir.h"
#include "tools/channel_project.h"
#include "tests/physics/physics_channel.h"

namespace {

// The channel of 4 x 2 columns of 5 cells, 4 m long, 2 m wide, 1 m deep.
ChannelSpec Basin(double discharge, const std::string& letters, const std::string& control) { return PoolChannel(discharge, letters, control); }

const char* const kLayeredBed =
    "F 37 3\nF 134 4\nF 106 0.01\nS 1 0.0002 0.01\nN 0 1 1\nF 10 M\nF 33 10 1\nF 1 D\n";
size_t Count(const std::string& text, const std::string& needle) {
    size_t n = 0;
    for (size_t at = text.find(needle); at != std::string::npos; at = text.find(needle, at + 1)) ++n;
    return n;
}

TEST(SedimentBalanceRun, LayeredBedReportsEveryStepAndTheEnd) {
    ProjectDir dir;
    ASSERT_TRUE(WriteChannelProject(dir.path(), Basin(0.1, "US", std::string(kLayeredBed) + "K 1 3\n")));
    const EngineRun r = dir.run();
    const std::string log = dir.read("boogie");
    EXPECT_EQ(r.status, 1) << log;
    EXPECT_EQ(Count(log, kContinuitySizeHeader), 3u) << log;
    EXPECT_EQ(Count(log, "Continuity: Bedchange 0.000000 kg, Inflow 0.000000 kg, Outflow 0.000000 kg, "
                         "Volume bed change 0.000000 m3\nDefect from erosion under non-movable bed: 0.000000 kg\n"),
              3u)
        << log;
    const std::vector<double> row = LastContinuitySizeRow(log, 1);
    ASSERT_EQ(row.size(), 10u) << log;
    for (double v : row) EXPECT_TRUE(v == 0.0 || v == 1.0) << log;  // the size and nine zeros
    EXPECT_NE(log.find("Continuity: Bedchange 0 kg, Inflow 0 kg, Outflow 0 kg\nBedMoveDefAbs+Move: 0 0 (kg)\n"
                       "Bed outflow move defect: 0.000000 (kg)\nSusp. volume change defect: 0 (kg)\n"),
              std::string::npos)
        << log;
    EXPECT_NE(log.find("Have written con2res file \n"), std::string::npos);
    EXPECT_EQ(log.find("UpdateBedLayersTsc3 is not available"), std::string::npos);
    EXPECT_TRUE(dir.exists("con2res.new"));
}

TEST(SedimentBalanceRun, ClosedBasinSettlesIntoTheLayeredBed) {
    ProjectDir dir;
    // Without inflow, F 200 2 gives the flow residuals their scales.
    ASSERT_TRUE(WriteChannelProject(dir.path(), Basin(0.0, "UOS", std::string(kLayeredBed) +
                                                                      "K 1 50\nF 200 2 0.0001 0.0001 0.001 0.001\n")));
    std::string con2res = "40 1\n";
    for (int c = 1; c <= 40; ++c) con2res += "1.000000e-03 1.000000e-03 \n";
    dir.write("con2res", con2res);
    const EngineRun r = dir.run();
    const std::string log = dir.read("boogie");
    EXPECT_EQ(r.status, 1) << log;
    // 8 m3 x 0.001 x 2650 kg/m3 settle within h / w = 100 s.
    const std::vector<double> row = LastContinuitySizeRow(log, 1);
    ASSERT_EQ(row.size(), 10u) << log;
    std::printf("size 1: in %g, out %g, susp %g, layers %g, defect %g (%g %%)\n", row[1], row[2], row[3], row[4],
                row[6], row[8]);
    EXPECT_EQ(row[1], 0.0);
    EXPECT_EQ(row[2], 0.0);
    EXPECT_LT(row[3], 0.01);
    EXPECT_NEAR(row[4], 21.2, 21.2 * 0.005);
    EXPECT_LT(std::fabs(row[8]), 0.5);
}

}  // namespace
