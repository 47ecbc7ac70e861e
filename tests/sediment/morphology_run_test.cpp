// Whole morphology runs (letter S) on channel projects: the start-up checks,
// the run header, the clock of the time loop and the initial bed in the bed
// state file.
#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "tests/physics/physics_channel.h"
#include "tests/support/grid_engine.h"
#include "tests/support/project_dir.h"
#include "tools/channel_project.h"

namespace {

ChannelSpec ExampleChannel(const std::string& control) {
    return ExampleChannelSpec("US", "F 329 1 1 0 0 0 1 1\n" + control);
}

// A small channel for the checks that do not need the example's figures.
ChannelSpec SmallChannel(const std::string& control) {
    ChannelSpec spec = ExampleChannel(control);
    spec.columnsAlong = 8;
    spec.columnsAcross = 3;
    spec.gridLinesZ = 5;
    spec.length = 8.0;
    spec.width = 3.0;
    return spec;
}

const char* const kSediment = "S 1 0.0002 0.02\nN 0 1 1.0\n";

struct MorphologyOutcome {
    EngineRun engine;
    std::string log;
    std::string result;
    std::string bedres;
};

MorphologyOutcome RunChannel(const ChannelSpec& spec) {
    ProjectDir dir;
    EXPECT_TRUE(WriteChannelProject(dir.path(), spec));
    MorphologyOutcome r;
    r.engine = dir.run();
    r.log = dir.read("boogie");
    r.result = dir.read("result");
    r.bedres = dir.read("bedres.t");
    return r;
}

// The simulated time the result file was written at.
double ResultTime(const std::string& result) { return std::atof(result.c_str()); }

size_t Count(const std::string& text, const std::string& needle) {
    size_t n = 0;
    for (size_t at = text.find(needle); at != std::string::npos; at = text.find(needle, at + 1)) ++n;
    return n;
}

// Layer thicknesses of every water column in a bed state file, top layer
// first (one size: thickness and fraction per layer).
std::vector<std::vector<double>> ColumnLayers(const std::string& bedres) {
    std::vector<std::vector<double>> columns;
    for (const std::string& line : SplitLines(bedres)) {
        std::istringstream in(line);
        std::vector<double> v;
        for (double x; in >> x;) v.push_back(x);
        if (v.size() < 9) continue;
        std::vector<double> layers;
        for (size_t k = 5; k + 1 < v.size(); k += 2) layers.push_back(v[k]);
        columns.push_back(layers);
    }
    return columns;
}

TEST(MorphologyRun, ExampleChannelRunsThreeStepsWithItsHeader) {
    // No sediment iterations (F 4): the bed keeps its start layers.
    MorphologyOutcome r = RunChannel(ExampleChannel(std::string(kSediment) + "F 37 1\nF 33 10 1\nK 1 3\nF 4 0.5 0 0.01\n"));
    EXPECT_EQ(r.engine.status, 1) << r.log;
    size_t at = 0;
    for (const char* line : {"Relaxation: 0.800000 0.300000 0.700000 0.700000\n",
                             "Using van Rijns suspended load formula\n\n",
                             "Discharge group 1: Discharge = 1000.000000, Area = 2.000000\n",
                             "\n ***** In morphology_tsc **********\n\n",
                             "FlagTSC = 1, Hydrostatic = 0, NoBlocks = 1, iterGlobalMax = 3\n",
                             "Volume of geometry: ", "Bed concentration flags: 0 0 0 0 0 0\n",
                             "Have written con2res file \n", "Total change in bed levels: "}) {
        const size_t found = r.log.find(line, at);
        ASSERT_NE(found, std::string::npos) << "missing: " << line << "\n" << r.log;
        at = found;
    }
    const size_t volume = r.log.find("Volume of geometry: ");
    EXPECT_NEAR(std::atof(r.log.c_str() + volume + 20), 40.0, 1e-9);
    EXPECT_EQ(r.result.rfind(" 30.000000 seconds", 0), 0u) << r.result.substr(0, 80);
    // Default fixed bed 10 m down, active layer one diameter thick.
    const auto columns = ColumnLayers(r.bedres);
    ASSERT_EQ(columns.size(), 320u);
    for (const auto& layers : columns) {
        ASSERT_EQ(layers.size(), 2u);
        EXPECT_NEAR(layers[0], 0.0002, 1e-9);
        EXPECT_NEAR(layers[1], 9.9998, 1e-9);
    }
}

struct BedCase {
    const char* name;
    std::string control;
    std::vector<double> layers;  // top first
};

void PrintTo(const BedCase& row, std::ostream* os) { *os << row.name; }

class MorphologyInitialBed : public ::testing::TestWithParam<BedCase> {};

TEST_P(MorphologyInitialBed, BedStateHoldsTheLayers) {
    // No sediment iterations (F 4): the bed keeps its start layers.
    MorphologyOutcome r = RunChannel(SmallChannel(std::string(kSediment) + "F 33 10 1\nK 1 1\nF 41 0.3\nF 106 0.05\nF 4 0.5 0 0.01\n" +
                                    GetParam().control));
    EXPECT_EQ(r.engine.status, 1) << r.log;
    const auto columns = ColumnLayers(r.bedres);
    ASSERT_EQ(columns.size(), 24u) << r.bedres;
    for (const auto& layers : columns) {
        ASSERT_EQ(layers.size(), GetParam().layers.size());
        for (size_t k = 0; k < layers.size(); ++k) EXPECT_NEAR(layers[k], GetParam().layers[k], 1e-9) << k;
    }
}

const BedCase kBedCases[] = {
    {"TwoLayers", "F 37 1\n", {0.05, 0.25}},
    {"ThreeLayersKeepTheWholeSediment", "F 37 3\nF 134 3\n", {0.05, 0.125, 0.125}},
};

INSTANTIATE_TEST_SUITE_P(Rows, MorphologyInitialBed, ::testing::ValuesIn(kBedCases), EngineCaseName());

// Start-up checks, in the order of the run.
std::string SmallControl(const std::string& control) { return MakeChannelProject(SmallChannel(control)).control; }

std::vector<std::pair<std::string, std::string>> SmallGrid() {
    const ChannelProject p = MakeChannelProject(SmallChannel(""));
    return {{"unstruc", p.unstruc}, {"koordina", p.koordina}};
}

std::string WithoutSizes() {
    std::string control = SmallControl("N 0 1 1.0\nF 37 1\nF 33 10 1\n");
    const size_t g1 = control.find("G 1 ");
    const size_t end = control.find('\n', g1);
    control.replace(end - 1, 1, "0");
    return control;
}

class MorphologyStartUp : public ::testing::TestWithParam<EngineCase> {};

TEST_P(MorphologyStartUp, RefusesIncompleteInput) {
    EngineCase c = GetParam();
    c.files = SmallGrid();
    c.absent.push_back("***** In morphology_tsc");
    CheckEngineCase(c);
}

const EngineCase kStartUpCases[] = {
    {"NoGrainSizes", SmallControl("S 1 0.0002 0.02\nF 37 1\nF 33 10 1\n"), -8,
     {"Error in input data: it is necessary to specify the grain size distribution\n",
      "on the bed. This is done with an N data set in the control file or with a \n",
      "fracres file read with the F 2 O option\n\n"}},
    {"NoF37", SmallControl(std::string(kSediment) + "F 33 10 1\n"), -9,
     {"In RIVAX 2 you have to specify a value on the F 37 data set \n",
      "in the control file to compute sediment transport\n\n"}},
    {"NoTimeStep", SmallControl(std::string(kSediment) + "F 37 1\n"), -7,
     {"Error in control file. To do a transient sediment computation you have\n",
      "to include a time step in the control file, for example by using the \n", "F 33 data set\n\n"}},
    {"NoSedimentSize", WithoutSizes(), -8, {"the G 1 data set gives no sediment size"}},
    {"F188WithoutPartnerBlocks", SmallControl(std::string(kSediment) + "F 37 1\nF 33 10 1\nF 188 -1\n"), -8,
     {"F 188 -1 computes the sediment in the blocks with a partner block"}},
    {"StackedLayersWithTwoLayerUpdate", SmallControl(std::string(kSediment) + "F 37 1\nF 33 10 1\nF 134 3\n"), -8,
     {"Error in control file: F 37 1 updates two bed layers, and F 134 3 asks for more.\n"}},
};

INSTANTIATE_TEST_SUITE_P(Rows, MorphologyStartUp, ::testing::ValuesIn(kStartUpCases), EngineCaseName());

struct ClockCase {
    const char* name;
    std::string control;
    double time;          // of the result file, s
    size_t flowLines;     // "Iter:" lines of the flow driver
    size_t timeLines;     // "Time: " lines of the bed change and the end
};

void PrintTo(const ClockCase& row, std::ostream* os) { *os << row.name; }

class MorphologyClock : public ::testing::TestWithParam<ClockCase> {};

TEST_P(MorphologyClock, OneTimeStepPerMorphologyStep) {
    const ClockCase& c = GetParam();
    MorphologyOutcome r = RunChannel(SmallChannel(std::string(kSediment) + "F 37 1\n" + c.control));
    EXPECT_EQ(r.engine.status, 1) << r.log;
    EXPECT_NEAR(ResultTime(r.result), c.time, 1e-6) << r.result.substr(0, 40);
    EXPECT_EQ(Count(r.log, "Iter: "), c.flowLines) << r.log;
    EXPECT_EQ(Count(r.log, "Time: "), c.timeLines) << r.log;
}

const ClockCase kClockCases[] = {
    {"ThreeSteps", "F 33 10 1\nK 1 3\n", 30.0, 3, 1},
    {"NoFlowWithF68Two", "F 33 10 1\nK 1 3\nF 68 2\n", 30.0, 0, 4},
    {"BedChangeTwoDoesNotAddAStep", "F 33 10 1\nK 1 3\nF 255 2\n", 30.0, 3, 4},
    // The end time is tested after the step that passes it.
    {"EndTimeStopsAfterThePassingStep", "F 33 10 1\nK 1 10\nF 335 25\n", 30.0, 3, 1},
    // Group 1 carries no discharge before the first flow step: 10 s, then
    // 10 (2000/1000)^0.5 s twice.
    {"DischargeStep", "F 33 10 1\nK 1 3\nF 350 10 2 2 0.5\n", 10.0 + 2 * 14.142135623730951, 3, 1},
};

INSTANTIATE_TEST_SUITE_P(Rows, MorphologyClock, ::testing::ValuesIn(kClockCases),
                         [](const auto& i) { return std::string(i.param.name); });

TEST(MorphologyRun, DischargeStepRefusedOnceAtTheStart) {
    MorphologyOutcome r = RunChannel(SmallChannel(std::string(kSediment) + "F 37 1\nF 33 10 1\nK 1 3\nF 350 10 2 2 0.5\n"));
    EXPECT_EQ(Count(r.log, "from F 350 is not usable; the time step stays 10.000000 seconds\n"), 1u) << r.log;
}

// Two blocks of the fixture, one discharge group; F 85 lets the flow go on
// with the water that enters and has no way out.
std::string TwoBlocks(const std::string& control) {
    return "T Two blocks\nF 2 US\nG 1 6 8 3 1\nF 329 1 1 0 0 0 1 1\n" + std::string(kSediment) +
           "F 37 1\nF 33 10 1\nK 1 3\n" + control;
}

MorphologyOutcome RunTwoBlocks(const std::string& control) {
    ProjectDir dir;
    dir.write("control", TwoBlocks(control));
    dir.write("unstruc", Fixture("two_blocks_v4", "unstruc"));
    MorphologyOutcome r;
    r.engine = dir.run();
    r.log = dir.read("boogie");
    // A failed flow leaves `result` alone and writes its fields beside it.
    r.result = dir.read(dir.exists("result.diverged") ? "result.diverged" : "result");
    return r;
}

TEST(MorphologyRun, EveryGroupComputesTheSameTimeStep) {
    MorphologyOutcome r = RunTwoBlocks("G 25 2 1 2\nF 85 1\n");
    EXPECT_EQ(r.engine.status, 1) << r.log;
    EXPECT_EQ(Count(r.log, "Iter: "), 6u) << r.log;
    EXPECT_NEAR(ResultTime(r.result), 30.0, 1e-6);
}

TEST(MorphologyRun, EmptyGroupIsLeftOutWithOneLine) {
    MorphologyOutcome r = RunTwoBlocks("G 25 2 1 3\nF 85 1\n");
    EXPECT_EQ(r.engine.status, 1) << r.log;
    EXPECT_EQ(Count(r.log, "Block group 2 of the G 25 data set holds no block; it is left out\n"), 1u) << r.log;
    EXPECT_EQ(Count(r.log, "Iter: "), 6u) << r.log;
    EXPECT_NEAR(ResultTime(r.result), 30.0, 1e-6);
}

TEST(MorphologyRun, FailedFlowWritesResultsAndNoConcentrations) {
    // The inflow has no way out: the continuity check stops the first step.
    MorphologyOutcome r = RunTwoBlocks("");
    EXPECT_EQ(r.engine.status, -1) << r.log;
    EXPECT_NE(r.log.find("Error in continuity, WaterSolve."), std::string::npos) << r.log;
    EXPECT_NEAR(ResultTime(r.result), 10.0, 1e-6);
    EXPECT_NE(r.log.find("its fields are written to 'result.diverged', 'result' is kept"), std::string::npos) << r.log;
    EXPECT_EQ(r.log.find("con2res"), std::string::npos) << r.log;
    EXPECT_EQ(r.log.find("Total change in bed levels"), std::string::npos) << r.log;
}

}  // namespace
