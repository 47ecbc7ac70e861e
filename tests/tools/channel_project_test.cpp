// The rectangular-channel writer that tests and the example rely on.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "tools/channel_project.h"

namespace {

int CountLines(const std::string& text) {
    int n = 0;
    for (char c : text) n += c == '\n';
    return n;
}

TEST(ChannelProject, CountsFollowTheSizes) {
    ChannelSpec spec;
    spec.columnsAlong = 5;
    spec.columnsAcross = 2;
    spec.gridLinesZ = 4;
    spec.version = 3;
    ChannelProject p = MakeChannelProject(spec);
    EXPECT_EQ(p.cells, 5 * 2 * 3);
    EXPECT_EQ(p.points, 6 * 3 * 4);
    // Faces across i, across j and across k.
    EXPECT_EQ(p.surfaces, 6 * 2 * 3 + 5 * 3 * 3 + 5 * 2 * 4);
    EXPECT_EQ(p.unstruc.substr(0, p.unstruc.find('\n')), "3 30 121 1 0 0 0 72");
    EXPECT_EQ(CountLines(p.koordina), 6 * 3);
    EXPECT_NE(p.control.find("F 2 UHX\nG 1 7 4 4 1\n"), std::string::npos) << p.control;

    spec.version = 4;
    ChannelProject v4 = MakeChannelProject(spec);
    EXPECT_EQ(v4.unstruc.substr(0, v4.unstruc.find('\n')), "4 30 121 1 0 0 0 72");
    // Header, block, nine groups of two lines, ten source-cell groups, nodes.
    EXPECT_EQ(CountLines(v4.unstruc), 1 + 1 + 18 + 10 + 6 * 3);
}

TEST(ChannelProject, TheWaterSurfaceFollowsTheSlopingBed) {
    ChannelSpec spec;
    spec.columnsAlong = 4;
    spec.length = 100.0;
    spec.bedLevel = 10.0;
    spec.bedSlope = 0.001;
    spec.depth = 2.0;
    spec.x0 = 500.0;
    ChannelProject p = MakeChannelProject(spec);
    std::istringstream lines(p.koordina);
    std::string line;
    std::string last;
    while (std::getline(lines, line)) last = line;
    EXPECT_EQ(last, "5 4 600.000000 3.000000 9.900000 11.900000");
}

}  // namespace
