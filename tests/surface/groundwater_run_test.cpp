// Letter G and the groundwater inside the water flow, run by the built
// engine on a channel 20 m long, 2 m wide and 1 m deep (10 x 5 columns of 10
// layers) over the soil block that letter Y appends for F 262.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "tests/grid/layer_channel.h"
#include "tests/support/project_dir.h"
#include "tools/channel_project.h"

namespace {

ChannelSpec GroundwaterChannel(const std::string& letters, const std::string& control, double discharge = 0.0) {
    // The soil block alone: no F 236 layer settings.
    ChannelSpec spec = LayerChannel(letters, 14);
    spec.discharge = discharge;
    spec.extraControl = "G 1 12 14 11 1\n" + control + "G 24 1 G 0 0\nF 329 1 0 0 0 0 0 1\n";
    return spec;
}

const char* const kTransient = "F 262 1 0.0001\nF 33 10 1\nK 1 50\n";

// The values of one SCALARS entry of a VTK file.
std::vector<double> VtkScalars(const std::string& text, const std::string& name) {
    std::vector<double> values;
    const std::string head = "SCALARS " + name + " float\nLOOKUP_TABLE default\n";
    const size_t at = text.find(head);
    if (at == std::string::npos) return values;
    std::istringstream in(text.substr(at + head.size()));
    double v = 0.0;
    while (in >> v) values.push_back(v);
    return values;
}

bool HasErrorLine(const std::vector<std::string>& lines) {
    for (const std::string& l : lines) {
        if (l.find("Error") != std::string::npos) return true;
    }
    return false;
}

struct HeldRow {
    const char* name;
    std::string letters;
    std::string control;
    double discharge;
    std::string time;  // the first line of `result`
};

void PrintTo(const HeldRow& row, std::ostream* os) { *os << row.name; }

class GroundwaterHeld : public ::testing::TestWithParam<HeldRow> {};

// Every column is wet: the groundwater is held at the water level, bed 0 +
// depth 1. Letter G makes 50 steps of 10 s; inside the water flow (F 262 2,
// F 289 5, three steady iterations with 1 m3/s through the channel) the
// groundwater steps leave the clock alone.
TEST_P(GroundwaterHeld, AtTheWaterLevel) {
    const HeldRow& row = GetParam();
    ProjectDir dir;
    ASSERT_TRUE(WriteChannelProject(dir.path(), GroundwaterChannel(row.letters, row.control, row.discharge)));
    const EngineRun r = dir.run();
    EXPECT_EQ(r.status, 1) << JoinLines(r.boogie);
    EXPECT_FALSE(HasErrorLine(r.boogie)) << JoinLines(r.boogie);
    const std::vector<double> levels = VtkScalars(dir.read("pav2_00000.vtk"), "Groundwater_level_[m]");
    ASSERT_FALSE(levels.empty());
    for (double v : levels) ASSERT_EQ(v, 1.0);
    const std::string result = dir.read("result");
    EXPECT_EQ(result.substr(0, result.find('\n')), row.time);
}

const HeldRow kHeld[] = {
    {"LetterG", "UYGM", kTransient, 0.0, " 500.000000 seconds"},
    {"InsideWaterFlow", "UYWM", "F 262 2 0.0001\nF 289 5 0 0 0\nK 1 3\n", 1.0, " 0.000000 seconds"},
};

INSTANTIATE_TEST_SUITE_P(Rows, GroundwaterHeld, ::testing::ValuesIn(kHeld),
                         [](const auto& p) { return std::string(p.param.name); });

struct RunRow {
    const char* name;
    std::string letters;
    std::string control;
    std::string wlinit;  // none when empty
    int status;
    std::vector<std::string> lines;
};

void PrintTo(const RunRow& row, std::ostream* os) { *os << row.name; }

class GroundwaterRunTable : public ::testing::TestWithParam<RunRow> {};

TEST_P(GroundwaterRunTable, LogAndStatus) {
    const RunRow& row = GetParam();
    ProjectDir dir;
    ASSERT_TRUE(WriteChannelProject(dir.path(), GroundwaterChannel(row.letters, row.control)));
    if (!row.wlinit.empty()) dir.write("wlinit", row.wlinit);
    const EngineRun r = dir.run();
    EXPECT_EQ(r.status, row.status) << JoinLines(r.boogie);
    const std::string log = JoinLines(r.boogie);
    for (const std::string& l : row.lines) EXPECT_NE(log.find(l), std::string::npos) << l << "\n" << log;
}

// 12 soil columns (rows 9 and 10, i 2..7) and two points outside the grid.
std::string TwelvePoints() {
    std::string text;
    for (int j = 9; j <= 10; ++j) {
        for (int i = 2; i <= 7; ++i) text += std::to_string(i) + " " + std::to_string(j) + " 0.5\n";
    }
    return text + "0 9 0.5\n12 9 0.5\n";
}

const RunRow kRuns[] = {
    {"WlinitWithPointsOutside", "UYGM", kTransient, TwelvePoints(), 1,
     {"Have read 12 water level points from wlinit file"}},
    {"NoSoilBlock", "UGM", kTransient, "", -9,
     {"Error in groundwater computation: groundwater grid not generated\n"
      "Data sets F ??? are missing in your control file\n"}},
    {"NoTimeStep", "UYGM", "F 262 1 0.0001\nK 1 50\n", "", -9,
     {"Error in groundwater computation: the time step 1e-20 s is too small. Give the time step in F 33 (or "
      "F 17)"}},
};

INSTANTIATE_TEST_SUITE_P(Rows, GroundwaterRunTable, ::testing::ValuesIn(kRuns),
                         [](const auto& p) { return std::string(p.param.name); });

}  // namespace
