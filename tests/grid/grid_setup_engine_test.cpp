// The set-up after reading a grid file, end to end on the channel project.
// Version-3 files: the cells of a version-4 file wait for the grid generator.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "tests/support/project_dir.h"
#include "tools/channel_project.h"

namespace {

ChannelSpec SetUpChannel(const std::string& extra = "") {
    ChannelSpec spec;
    spec.columnsAlong = 4;
    spec.columnsAcross = 3;
    spec.gridLinesZ = 4;
    spec.length = 4.0;
    spec.width = 1.5;
    spec.version = 3;
    spec.discharge = 0.25;
    spec.letters = "UHX";
    spec.extraControl = "F 65 200 400 200 10 10\n" + extra;
    return spec;
}

size_t Lines(const std::string& text) { return static_cast<size_t>(std::count(text.begin(), text.end(), '\n')); }

TEST(GridSetUpEngine, ReadAndWrittenChannelKeepsItsCellsAndNodeFiles) {
    ProjectDir dir;
    ASSERT_TRUE(WriteChannelProject(dir.path(), SetUpChannel()));
    const ChannelProject p = MakeChannelProject(SetUpChannel());
    EngineRun r = dir.run();
    EXPECT_EQ(r.status, 0);
    const std::string grid = dir.read("unstruc");
    EXPECT_EQ(grid.substr(0, grid.find('\n')), "3 " + std::to_string(p.cells) + " " + std::to_string(p.surfaces) +
                                                    " 1 0 0 0 " + std::to_string(p.points));
    int nx = 0, ny = 0;
    const std::string control = dir.read("control");
    ASSERT_EQ(std::sscanf(control.c_str() + control.find("G 1 "), "G 1 %d %d", &nx, &ny), 2);
    const size_t nodes = static_cast<size_t>((nx - 1) * (ny - 1));
    EXPECT_EQ(Lines(dir.read("koordina.t")), nodes);
    EXPECT_EQ(Lines(dir.read("koomin.bed")), nodes);
    std::string log;
    for (const std::string& l : r.boogie) log += l + "\n";
    EXPECT_NE(log.find("In ReadUnstructure:\nGroup 1, surfaces 9, xyno 3, discharge 250.000000 l/s Dirichlet "
                       "boundary condition\n"),
              std::string::npos)
        << log;
}

}  // namespace
