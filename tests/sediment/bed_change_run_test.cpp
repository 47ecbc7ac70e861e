// Whole morphology runs (letter S) of a small channel with each bed-change
// routine and the grid regenerated every time step. Without the suspended
// sediment of a time step no column changes, so the bed stays where it was
// however often the cells are rebuilt under it.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "tests/physics/physics_channel.h"
#include "tests/support/grid_engine.h"
#include "tests/support/project_dir.h"
#include "tools/channel_project.h"

namespace {

// 8 x 3 columns of 1 m x 1 m, 0.3 m of sediment over the fixed bed.
ChannelSpec Channel(const std::string& control) {
    ChannelSpec spec = ExampleChannelSpec("US", "F 329 1 1 0 0 0 1 1\nS 1 0.0002 0.02\nN 0 1 1.0\nF 37 2\n"
                                                "F 33 10 1\nK 1 3\nF 41 0.3\nF 106 0.05\nF 99 1\n" +
                                                    control);
    spec.columnsAlong = 8;
    spec.columnsAcross = 3;
    spec.gridLinesZ = 5;
    spec.length = 8.0;
    spec.width = 3.0;
    return spec;
}

struct BedState {
    double nodeVolume = 0.0;   // node moves times a quarter of the columns around them
    double largestMove = 0.0;
    double layerVolume = 0.0;  // sediment of the columns above the fixed bed
    int columns = 0;
    bool finite = true;
};

BedState ReadBedState(const std::string& bedres) {
    BedState s;
    for (const std::string& line : SplitLines(bedres)) {
        std::istringstream in(line);
        std::vector<double> v;
        for (double x; in >> x;) v.push_back(x);
        for (const double x : v) s.finite = s.finite && std::isfinite(x);
        if (v.size() == 7) {
            // Nodes i = 1..9, j = 1..4 of the columns 2..9 by 2..4.
            const int i = static_cast<int>(v[0]), j = static_cast<int>(v[1]);
            const double around = (i == 1 || i == 9 ? 1.0 : 2.0) * (j == 1 || j == 4 ? 1.0 : 2.0);
            s.nodeVolume += 0.25 * around * v[6];
            s.largestMove = std::max(s.largestMove, std::fabs(v[6]));
        } else if (v.size() >= 9) {
            for (size_t k = 5; k + 1 < v.size(); k += 2) s.layerVolume += v[k];
            ++s.columns;
        }
    }
    return s;
}

struct RoutineCase {
    const char* name;
    int routine;  // F 255
};

void PrintTo(const RoutineCase& row, std::ostream* os) { *os << row.name; }

class BedChangeRun : public ::testing::TestWithParam<RoutineCase> {};

TEST_P(BedChangeRun, BedAndLayersMoveTogetherUnderRegenerationEveryStep) {
    ProjectDir dir;
    ASSERT_TRUE(WriteChannelProject(dir.path(), Channel("F 255 " + std::to_string(GetParam().routine) + "\n")));
    const EngineRun run = dir.run();
    const std::string log = dir.read("boogie");
    ASSERT_EQ(run.status, 1) << log;
    EXPECT_EQ(log.find("ComputeBedChange"), std::string::npos) << log;
    const BedState s = ReadBedState(dir.read("bedres.t"));
    ASSERT_TRUE(s.finite);
    ASSERT_EQ(s.columns, 24);
    // The flow stirs up a few micrometres of sand: the nodes and the layers
    // lose the same volume (to the precision of bedres).
    EXPECT_LT(s.largestMove, 1e-3);
    EXPECT_NEAR(s.nodeVolume, s.layerVolume - 24 * 0.3, 1e-6);
}

const RoutineCase kRoutines[] = {{"Corners", 0}, {"OrderedPasses", 1}, {"NodeMeans", 3}};

INSTANTIATE_TEST_SUITE_P(F255, BedChangeRun, ::testing::ValuesIn(kRoutines), EngineCaseName());

}  // namespace
