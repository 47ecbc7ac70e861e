// Whole sediment runs on converged channel flows: the equilibrium profile of
// fine sand over a held bottom cell (F 37 1) against van Rijn's reference
// concentration and Rouse's profile, and the mass balance of a settling
// basin (F 37 2 and 1): what came in is on the bed or still in suspension.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "run/globals.h"
#include "tests/physics/physics_channel.h"
#include "tests/support/continuity_report.h"
#include "tests/support/project_dir.h"
#include "tools/channel_project.h"

namespace {

// The block correction converges the long, finely layered channel in some
// 800 iterations.
const char* const kFlowSettings = "K 3 0.8 0.8 0.8 0.3 0.7 0.7\nK 4 2 2 2 10 3 3\nK 5 0 0 0 1 0 0\n";

// Converges the flow of `spec` (letters UW) in `flow`, then runs the
// sediment of `sediment` (letters URS) from its result and bed state in
// `dir`, in this process so that the arrays can be read afterwards. The
// channels let the engine build their cells (version 4): reading the bed
// state regenerates the grid, which must be the grid of the result.
int RunFromConvergedFlow(ChannelSpec spec, const std::string& flowControl, const std::string& sediment,
                         const ProjectDir& dir, std::string* log) {
    ProjectDir flow;
    spec.letters = "UW";
    spec.extraControl = flowControl + "K 1 6000\n" + kFlowSettings;
    EXPECT_TRUE(WriteChannelProject(flow.path(), spec));
    const int flowStatus = flow.runInProcess();
    const std::string flowLog = flow.read("boogie");
    EXPECT_EQ(flowStatus, 1) << flowLog;
    EXPECT_NE(flowLog.find("\nSolution converged\n"), std::string::npos) << flowLog;
    spec.letters = "URS";
    spec.extraControl = flowControl + kFlowSettings + sediment;
    EXPECT_TRUE(WriteChannelProject(dir.path(), spec));
    dir.write("result", flow.read("result"));
    dir.write("bedres", flow.read("bedres.t"));
    const int status = dir.runInProcess();
    *log = dir.read("boogie");
    return status;
}

// Height of the centre of cell `k` (0 the bottom cell) of the column over
// bottom cell c above the bed, and the column's depth.
double CentreHeight(int c, int k, int* cell) {
    double z = 0.0;
    for (int n = 0; n < k; ++n) {
        z += 2.0 * Ckdist[c];
        c = Ccellt[c];
    }
    *cell = c;
    return z + Ckdist[c];
}

double Depth(int c) {
    double h = 0.0;
    for (; c > 0; c = Ccellt[c]) h += 2.0 * Ckdist[c];
    return h;
}

TEST(SuspendedSedimentRun, EquilibriumProfileOverAHeldBottomCell) {
    ChannelSpec spec;
    spec.columnsAlong = 30;
    spec.columnsAcross = 3;
    spec.gridLinesZ = 21;
    spec.length = 30.0;
    spec.width = 1.5;
    spec.depth = 0.25;
    spec.version = 4;
    spec.discharge = 0.1875;
    ProjectDir dir;
    std::string log;
    // F 99 above the step count: a regeneration after the last flow step
    // would leave the eddy viscosity of the grid before it.
    const int status = RunFromConvergedFlow(spec, "F 16 0.01\n",
                                            "F 37 1\nF 10 R\nF 84 0\nF 11 2.65 0.05\nS 1 0.0001 0.007\nN 0 1 1\n"
                                            "F 106 0.05\nM 1 1 0.002\nF 4 0.5 10 0.01\nF 33 2 3\nK 1 300\nF 99 1000\n",
                                            dir, &log);
    ASSERT_EQ(status, 1) << log;
    const int c = BedCellNear(25.0, 0.75);
    ASSERT_GT(c, 0);
    const double d = 0.0001, tau = 300.0 * Ck[c];
    const double tauc = 0.05 * 1.65 * 9810.0 * d;
    const double dstar = d * std::pow(1.65 * 9.81e12, 0.3333);
    const double rijn = 0.015 * d * std::pow(tau / tauc - 1.0, 1.5) / (std::pow(dstar, 0.3) * Ckdist[c]);
    std::printf("bottom cell %d at x %.3f: tau %.4f Pa, conc %.6e, van Rijn %.6e (%.3f %%)\n", c, Cxcenter[c], tau,
                conc[1][c], rijn, 100.0 * (conc[1][c] / rijn - 1.0));
    EXPECT_NEAR(conc[1][c], rijn, 0.005 * rijn);

    int c1 = 0, c2 = 0;
    const double z1 = CentreHeight(c, 3, &c1), z2 = CentreHeight(c, 9, &c2), h = Depth(c);
    const double ustar = std::sqrt(tau / 1000.0), z = 0.007 / (0.4 * ustar);
    const double rouse = std::pow(((h - z2) / z2) / ((h - z1) / z1), z);
    const double ratio = conc[1][c2] / conc[1][c1];
    std::printf("u* %.4f m/s, Z %.3f, z1 %.5f, z2 %.5f, h %.4f: c(z2)/c(z1) %.4f, Rouse %.4f (%.2f %%)\n", ustar, z, z1,
                z2, h, ratio, rouse, 100.0 * (ratio / rouse - 1.0));
    // The run's own balance of settling against its vertical diffusivity
    // (Ceddyviscz is the dynamic eddy viscosity, kg/m/s) from z1 to z2.
    double exponent = 0.0;
    for (int k = c1; k != c2; k = Ccellt[k]) {
        const int up = Ccellt[k];
        const double gamma = 0.5 * (Ceddyviscz[k] + Ceddyviscz[up]) / 1000.0;
        exponent += 0.007 * (Ckdist[k] + Ckdist[up]) / gamma;
    }
    const double own = std::exp(-exponent);
    std::printf("c(z2)/c(z1) against the run's own diffusivity: %.4f (%.2f %%)\n", own, 100.0 * (ratio / own - 1.0));
    EXPECT_NEAR(ratio, own, 0.05 * own);
    // The k-epsilon diffusivity of the flow lies 15 to 20 % below the
    // parabolic one of Rouse's profile over the lower half of the depth,
    // which steepens the profile.
    EXPECT_NEAR(ratio, rouse, 0.15 * rouse);
}

// The settling basin: 20 x 2 m and 0.5 m deep, Q 0.1 m3/s carrying
// c0 0.001 of sand of 0.5 mm settling at 0.02 m/s, 100 steps of 10 s. With
// a surface load of Q / A = 0.0025 m/s against w = 0.02 m/s all of it
// settles: 0.1 x 0.001 x 1000 s = 0.1 m3, 265 kg. `bedOptions` sets the bed
// mode (F 37) and what else the run does.
int RunSettlingBasin(const std::string& bedOptions, const ProjectDir& dir, std::string* log) {
    ChannelSpec spec;
    spec.columnsAlong = 20;
    spec.columnsAcross = 4;
    spec.gridLinesZ = 6;
    spec.length = 20.0;
    spec.width = 2.0;
    spec.depth = 0.5;
    spec.version = 4;
    spec.discharge = 0.1;
    return RunFromConvergedFlow(spec, "F 16 0.02\n",
                                bedOptions +
                                    "F 10 M\nF 11 2.65 0.047\nS 1 0.0005 0.02\nN 0 1 1\nM 1 1 0.001\n"
                                    "F 33 10 5\nK 1 100\n",
                                dir, log);
}

// The suspended volume of size 1 (m3 of solids) and the largest
// concentration near the outlet.
double SuspendedVolumeOfSize1(double* outlet) {
    double suspended = 0.0;
    *outlet = 0.0;
    for (int c = 1; c <= NoCells; ++c) {
        suspended += conc[1][c] * Cvol[c];
        if (Cxcenter[c] > 19.5) *outlet = std::max(*outlet, conc[1][c]);
    }
    return suspended;
}

// The basin with its bed moving and the grid regenerated every step, and
// the balance reported every step (F 1 D). With the bed's solids fraction
// 0.5 the bed volume V holds 0.5 V of solids; what a regeneration took out of
// suspension is booked, so bed, suspension and that booking add up to the
// inflow.
TEST(SuspendedSedimentRun, SettlingBasinOnAMovingBedKeepsTheInflow) {
    ProjectDir dir;
    std::string log;
    ASSERT_EQ(RunSettlingBasin("F 37 2\nF 99 1\nF 1 D\n", dir, &log), 1) << log;
    const std::string totalLine = "Total change in bed levels: ";
    const size_t at = log.rfind(totalLine);
    ASSERT_NE(at, std::string::npos) << log;
    const double v = std::strtod(log.c_str() + at + totalLine.size(), nullptr);
    double outlet = 0.0;
    const double suspended = SuspendedVolumeOfSize1(&outlet);
    const double solids = v * 0.5 + suspended + SuspVolumeChangeDefect / 2650.0;
    std::printf("V %.6e m3, suspended %.6e m3, regeneration defect %g kg, solids %.6f m3 (%.3f %%), "
                "BedMoveDefectAbs %g, outlet %.3e\n",
                v, suspended, SuspVolumeChangeDefect, solids, 100.0 * (solids / 0.1 - 1.0), BedMoveDefectAbs, outlet);
    // The cells followed the bed: the water volume lost what the bed gained.
    double water = 0.0;
    for (int c = 1; c <= NoCells; ++c) water += Cvol[c];
    std::printf("water volume %.6f m3\n", water);
    EXPECT_NEAR(water, 20.0 - v, 1e-3);
    EXPECT_NEAR(solids, 0.1, 0.001);
    EXPECT_EQ(BedMoveDefectAbs, 0.0);
    EXPECT_LT(std::fabs(SuspVolumeChangeDefect), 0.01 * 265.0);

    // The end report: 100 steps of 10 s of 0.1 m3/s at 0.001 by volume.
    const std::string endLine = "Continuity: Bedchange ";
    const size_t end = log.rfind(endLine);
    ASSERT_NE(end, std::string::npos) << log;
    double bedchange = 0.0, inflow = 0.0, outflow = 0.0;
    ASSERT_EQ(std::sscanf(log.c_str() + end, "Continuity: Bedchange %lg kg, Inflow %lg kg, Outflow %lg kg\n", &bedchange,
                          &inflow, &outflow),
              3)
        << log.substr(end);
    std::printf("end line: %s", log.substr(end, log.find('\n', end) - end + 1).c_str());
    EXPECT_EQ(inflow, 265.0);
    EXPECT_EQ(log.find(", Inflow 265 kg, Outflow ", end), log.find(", Inflow", end)) << log.substr(end);
    EXPECT_LT(outflow, 0.3);
    const std::vector<double> row = LastContinuitySizeRow(log, 1);
    ASSERT_EQ(row.size(), 10u) << log;
    std::printf("last size-1 row: in %g, out %g, susp %g, layers %g, booked %g, defect %g (%g %%)\n", row[1], row[2],
                row[3], row[4], row[5], row[6], row[8]);
    EXPECT_LT(std::fabs(row[8]), 1.0);
}

struct BasinCase {
    const char* name;
    int mode;
};

void PrintTo(const BasinCase& row, std::ostream* os) { *os << row.name; }

class SettlingBasin : public ::testing::TestWithParam<BasinCase> {};

TEST_P(SettlingBasin, InflowIsOnTheBedOrInSuspension) {
    ProjectDir dir;
    std::string log;
    const int status = RunSettlingBasin("F 37 " + std::to_string(GetParam().mode) + "\n", dir, &log);
    ASSERT_EQ(status, 1) << log;
    EXPECT_NEAR(SedimentInflowSum, 265.0, 1e-9);
    double outlet = 0.0;
    const double suspended = SuspendedVolumeOfSize1(&outlet) * 2650.0;
    const double bed = BedLayerChangeBySize[1] * 2.65;
    std::printf("F 37 %d: inflow %.9f kg, bed %.4f kg, suspended %.4f kg (%.2f %%), balance %.4f %%, outlet %.3e\n",
                GetParam().mode, SedimentInflowSum, bed, suspended, 100.0 * suspended / 265.0,
                100.0 * ((bed + suspended) / 265.0 - 1.0), outlet);
    EXPECT_NEAR(bed + suspended, 265.0, 0.01 * 265.0);
    EXPECT_GT(suspended, 0.005 * 265.0);
    EXPECT_LT(outlet, 1e-6);
}

const BasinCase kBasinCases[] = {{"ErosionSource", 2}, {"HeldBottomCells", 1}};

INSTANTIATE_TEST_SUITE_P(Modes, SettlingBasin, ::testing::ValuesIn(kBasinCases),
                         [](const ::testing::TestParamInfo<BasinCase>& i) { return std::string(i.param.name); });

}  // namespace
