// Whole runs of the water-quality components on small channels: a source
// with first-order decay in a still pool, inflow through a discharge group,
// surface heating and the component file.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>

#include "quality/component_terms.h"
#include "quality/quality_services.h"
#include "run/globals.h"
#include "tests/physics/physics_channel.h"
#include "tests/support/control_text.h"
#include "tests/support/grid_engine.h"
#include "tests/support/project_dir.h"
#include "tools/channel_project.h"

namespace {

// The still pool: 4 m by 2 m and 1 m deep, 4 x 2 columns of 5 layers.
ChannelSpec StillPool(const std::string& letters, const std::string& control) { return PoolChannel(0.0, letters, control); }

// S = 0.001 per s, k = 0.01 per s, 100 steps of 1 s; the factors of the
// rates are 1 with one pass of 1 s.
const char* const kDecay = "F 50 1\nF 33 1 1\nK 1 100\nQ 1 0 0.001\nQ 2 0 0 -0.01\n";

TEST(ComponentRuns, SourceAndFirstOrderDecayFollowTheExplicitSteps) {
    ProjectDir dir;
    ASSERT_TRUE(WriteChannelProject(dir.path(), StillPool("UC", kDecay)));
    ASSERT_EQ(dir.runInProcess(), 1) << dir.read("boogie");
    const double steps = 0.1 * (1.0 - std::pow(0.99, 100));
    const double exact = 0.1 * (1.0 - std::exp(-1.0));
    ASSERT_EQ(NoCells, 40);
    for (int c = 1; c <= NoCells; ++c) {
        EXPECT_NEAR(Components[0][c], steps, 1e-6) << "cell " << c;
        EXPECT_NEAR(Components[0][c], exact, 0.003 * exact) << "cell " << c;
    }
    EXPECT_TRUE(HasLine(dir.boogieLines(), "Started components"));
}

TEST(ComponentRuns, CompresAfterLetterEHoldsOneValuePerCell) {
    ProjectDir dir;
    ASSERT_TRUE(WriteChannelProject(dir.path(), StillPool("UCE", kDecay)));
    EngineRun r = dir.run();
    ASSERT_EQ(r.status, 1) << JoinLines(r.boogie);
    std::string expected;
    for (int c = 0; c < 40; ++c) expected += "6.339677e-02 \n";
    EXPECT_EQ(dir.read("compres"), expected);
}

// A run that only reads `compres` back (letter O) and writes it again
// (letter E) gives the file byte for byte: nothing is lost in the round trip.
TEST(ComponentRuns, CompresReadBackByLetterOIsWrittenAgainUnchanged) {
    ProjectDir first;
    ASSERT_TRUE(WriteChannelProject(first.path(), StillPool("UCE", kDecay)));
    ASSERT_EQ(first.run().status, 1) << first.read("boogie");
    const std::string written = first.read("compres");
    ASSERT_FALSE(written.empty());
    ProjectDir again;
    ASSERT_TRUE(WriteChannelProject(again.path(), StillPool("UOE", kDecay)));
    again.write("compres", written);
    ASSERT_EQ(again.run().status, 1) << again.read("boogie");
    EXPECT_EQ(again.read("compres"), written);
}

// The volume-mean water temperature.
double MeanTemperature() {
    double heat = 0.0, volume = 0.0;
    for (int c = 1; c <= NoCells; ++c) {
        heat += Components[0][c] * Cvol[c];
        volume += Cvol[c];
    }
    return heat / volume;
}

// A day of sun on the still pool: 8.64e6 J/(m2 day) of radiation with air
// at 0 C, no wind, no back radiation. Per second 8.64e6 x 1.182033e-5 J
// per m2 heat 1000 kg of water under each m2.
TEST(ComponentRuns, SurfaceHeatingWarmsThePoolByTheRadiationOfADay) {
    ProjectDir dir;
    ASSERT_TRUE(WriteChannelProject(
        dir.path(), StillPool("UC", "F 67 1\nF 50 1\nF 33 60 1\nK 1 1440\nQ 1060 0 1 0 0 1 0 0\n")));
    dir.write("timei", "M 0 60 8.64e6 0\nM 86400 60 8.64e6 0\n");
    ASSERT_EQ(dir.runInProcess(), 1) << dir.read("boogie");
    const double expected = 8.64e6 * 1.182033e-5 * 86400.0 / (4186.0 * 1000.0 * 1.0);
    EXPECT_NEAR(MeanTemperature(), expected, 0.005 * expected);
    EXPECT_NEAR(stime, 86400.0, 1e-6);
}

// Water at 0 C under wind and dry air (vapour pressure 0), with no other
// exchange: evaporation takes heat away, so the pool cools.
TEST(ComponentRuns, EvaporationIntoDryAirCools) {
    ProjectDir dir;
    ASSERT_TRUE(WriteChannelProject(
        dir.path(), StillPool("UC", "F 67 1\nF 50 1\nF 33 60 1\nK 1 60\nF 52 2 0 0\nQ 1060 0 0 0 0 1 0 0\n")));
    dir.write("timei", "M 0 60 2 0 0 0 0\nM 86400 60 2 0 0 0 0\n");
    ASSERT_EQ(dir.runInProcess(), 1) << dir.read("boogie");
    EXPECT_LT(MeanTemperature(), 0.0);
}

// The channel of the flow physics checks with component 0 flowing in at 1
// through group 1 (M 1 0 1; the group's own inflow component is 0 at
// concentration 0) and component 1 without inflow. Letter C on the
// converged flow, from 0, until the values settle: every cell holds 1 and 0,
// with one and with three passes per call.
TEST(ComponentRuns, InflowConcentrationFillsTheChannel) {
    InProjectDir here;
    ChannelSpec spec = PhysicsChannel(0.075);
    spec.extraControl += "F 50 2\nM 1 0 1\n";
    ASSERT_TRUE(WriteChannelProject(here.dir().path(), spec));
    ASSERT_EQ(here.dir().runInProcess(), 1) << here.dir().read("boogie");
    for (int passes : {1, 3}) {
        for (int k = 0; k < 2; ++k) {
            for (int c = 1; c <= NoCells; ++c) Components[k][c] = 0.0;
        }
        NoIterPerStep = passes;
        for (int call = 0; call < 60; ++call) ComputeComponents();
        double lowest = 1.0, highest = 0.0, other = 0.0;
        for (int c = 1; c <= NoCells; ++c) {
            lowest = std::min(lowest, Components[0][c]);
            highest = std::max(highest, Components[0][c]);
            other = std::max(other, std::fabs(Components[1][c]));
        }
        EXPECT_NEAR(lowest, 1.0, 1e-3) << passes << " passes";
        EXPECT_NEAR(highest, 1.0, 1e-3) << passes << " passes";
        EXPECT_EQ(other, 0.0) << passes << " passes";
    }
}

// First-order decay carried down a channel of 50 columns of 1 m, one column
// wide and two layers deep, at U = 0.5 m/s (L / U = 100 s): the steady
// outflow holds c0 exp(-k L / U), whatever the time step, the passes per
// step and the record that gives the rate. Component 1 flows in at 1 and
// reacts with nothing; Q 121 takes its rate per day times it.
struct DecayRun {
    double dt;
    int passes;
    int type;
};

TEST(ComponentRuns, FirstOrderDecayDownTheChannelWhateverTheStepAndPasses) {
    constexpr double kRate = 0.005;  // per s
    constexpr double kLength = 50.0, kVelocity = 0.5;
    InProjectDir here;
    // The physics channel's flow settings on a longer, narrower channel.
    ChannelSpec spec = PhysicsChannel(kVelocity);
    spec.columnsAlong = 50;
    spec.columnsAcross = 1;
    spec.gridLinesZ = 3;
    spec.length = kLength;
    spec.width = spec.depth = 1.0;
    spec.extraControl += "F 50 2\nM 1 0 1\nM 1 1 1\nQ 2 0 0 0\n";
    ASSERT_TRUE(WriteChannelProject(here.dir().path(), spec));
    ASSERT_EQ(here.dir().runInProcess(), 1) << here.dir().read("boogie");
    ASSERT_EQ(NoQDataSets, 1);
    // What an unsteady run allocates at start, for the steps below.
    if (!ComponentsOld.exists()) {
        ASSERT_TRUE(ComponentsOld.allocate(Components.extent1(), Components.extent2()));
    }
    const double expected = std::exp(-kRate * kLength / kVelocity);
    const DecayRun runs[] = {{1.0, 1, 2}, {2.0, 5, 2}, {4.0, 3, 2}, {1.0, 1, 121}, {2.0, 5, 121}, {4.0, 3, 121}};
    for (const DecayRun& run : runs) {
        SCOPED_TRACE("dt " + std::to_string(run.dt) + ", passes " + std::to_string(run.passes) + ", Q " +
                     std::to_string(run.type));
        QDataSetRecord& r = QDataSets[0];
        r.qtype = run.type;
        r.ivalue[0] = run.type == 2 ? 0 : 1;
        r.rvalue[0] = run.type == 2 ? -kRate : -kRate / kPerDay;
        TimeStep = run.dt;
        NoIterPerStep = run.passes;
        iterGlobalMax = static_cast<int>(600.0 / run.dt);
        ComputeComponents();
        double outflow = 0.0, volume = 0.0, other = 0.0;
        for (int c = 1; c <= NoCells; ++c) {
            other = std::max(other, std::fabs(Components[1][c] - 1.0));
            if (Cxcenter[c] < kLength - 1.0) continue;
            outflow += Components[0][c] * Cvol[c];
            volume += Cvol[c];
        }
        outflow /= volume;
        std::printf("dt %g, passes %d, Q %d: outflow %.5f, c0 exp(-k L / U) %.5f\n", run.dt, run.passes, run.type,
                    outflow, expected);
        EXPECT_LT(other, 1e-3);
        EXPECT_NEAR(outflow, expected, 0.01 * expected);
    }
}

class CompresFile : public ::testing::Test {
protected:
    CompresFile() {
        ResetGlobals();
        NoCells = 3;
        NoComponents = 1;
        EXPECT_TRUE(Components.allocate(1, 4));
        Components[0][1] = 20.0;
        Components[0][2] = -1.5e-7;
        Components[0][3] = 0.0;
    }
    InProjectDir here_;
};

TEST_F(CompresFile, OneLinePerCellOneValuePerComponent) {
    EXPECT_EQ(WriteCompresFile(), 0);
    EXPECT_EQ(here_.dir().read("compres"), "2.000000e+01 \n-1.500000e-07 \n0.000000e+00 \n");
    EXPECT_STREQ(StatusText, "have written 'compres' file ");
}

// With P 9 every write takes the first free number and leaves the others.
TEST_F(CompresFile, NumberedWritesKeepTheEarlierFiles) {
    CompresInterval = 5;
    here_.dir().write("compres.000", "kept\n");
    here_.dir().write("compres.001", "kept\n");
    EXPECT_EQ(WriteCompresFile(), 0);
    EXPECT_EQ(here_.dir().read("compres.002"), "2.000000e+01 \n-1.500000e-07 \n0.000000e+00 \n");
    EXPECT_EQ(here_.dir().read("compres.000"), "kept\n");
    EXPECT_FALSE(here_.dir().exists("compres"));
}

TEST_F(CompresFile, WithoutComponentsNothingIsWritten) {
    NoComponents = 0;
    EXPECT_EQ(WriteCompresFile(), -1);
    EXPECT_FALSE(here_.dir().exists("compres"));
}

// A file that cannot be created ends the run with status -3; what stood
// under the name is left alone.
TEST_F(CompresFile, UnwritableNameEndsTheRun) {
    std::filesystem::create_directory(here_.dir().file("compres"));
    EngineCall call = CallEngine([] { return WriteCompresFile(); });
    EXPECT_TRUE(call.ended);
    EXPECT_EQ(call.status, -3);
    EXPECT_NE(call.log.find("Error: cannot write the file 'compres'\n"), std::string::npos) << call.log;
    EXPECT_STREQ(StatusText, "cannot open file 'compres' ");
    EXPECT_TRUE(std::filesystem::is_directory(here_.dir().file("compres")));
}

// An unsteady component run with monitor records creates `timeo` empty; when
// it cannot, the run ends with status -3 and says why.
TEST(ComponentRuns, MonitorFileThatCannotBeCreatedEndsTheRun) {
    InProjectDir here;
    ASSERT_TRUE(WriteChannelProject(here.dir().path(), StillPool("UC", kDecay)));
    ASSERT_EQ(here.dir().runInProcess(), 1);
    std::filesystem::create_directory(here.dir().file("timeo"));
    NoTimeoRecords = 1;
    EngineCall call = CallEngine([] { return ComputeComponents(); });
    EXPECT_TRUE(call.ended);
    EXPECT_EQ(call.status, -3);
    EXPECT_NE(call.log.find("cannot open file 'timeo' \n"), std::string::npos) << call.log;
    EXPECT_STREQ(StatusText, "cannot open file 'timeo' ");
}

}  // namespace
