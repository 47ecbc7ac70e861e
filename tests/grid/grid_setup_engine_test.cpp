// The set-up after reading a grid file, end to end on the channel project.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "tests/grid/unstruc_case.h"
#include "tests/support/project_dir.h"

namespace {

ChannelSpec SetUpChannel(int version = 3) {
    ChannelSpec spec = GridTestChannel(version);
    spec.letters = "UHX";
    return spec;
}

size_t Lines(const std::string& text) { return static_cast<size_t>(std::count(text.begin(), text.end(), '\n')); }

// A version-4 file holds no cells: the generator makes them. On a flat bed
// the deepest nodes get one level less than the grid has, so the columns get
// one layer fewer than the channel file's; the channel of one level less
// gives the expected counts.
TEST(GridSetUpEngine, AVersionFourChannelIsGeneratedAndWrittenWithItsCells) {
    ProjectDir dir;
    ASSERT_TRUE(WriteChannelProject(dir.path(), SetUpChannel(4)));
    ChannelSpec generated = SetUpChannel(4);
    generated.gridLinesZ -= 1;
    const ChannelProject p = MakeChannelProject(generated);
    EngineRun r = dir.run();
    EXPECT_EQ(r.status, 0) << JoinLines(r.boogie);
    EXPECT_TRUE(HasLine(r.boogie, "Generating grid with F 64 11 algorithm"));
    const std::string grid = dir.read("unstruc");
    EXPECT_EQ(grid.substr(0, grid.find('\n')), "3 " + std::to_string(p.cells) + " " + std::to_string(p.surfaces) +
                                                    " 1 0 0 0 " + std::to_string(p.points));
    EXPECT_TRUE(dir.exists("koordina.t"));
    EXPECT_TRUE(dir.exists("koomin.bed"));
}

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
