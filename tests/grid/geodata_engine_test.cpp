// The V letter end to end: the channel's bed taken from a plane of points.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "grid/geodata.h"
#include "run/globals.h"
#include "tests/grid/unstruc_case.h"
#include "tests/support/project_dir.h"

namespace {

double Plane(double x, double y) { return -0.01 * x + 0.002 * y; }

// A lattice half a node spacing off the channel's nodes (1 m by 0.5 m), so
// that every node has four points at one distance around it, reaching two
// spacings beyond the channel.
std::string PlaneLattice(int* points) {
    std::string text = "S 0 0 0 0\n";
    *points = 0;
    for (double x = -1.5; x <= 5.6; x += 1.0) {
        for (double y = -0.75; y <= 2.3; y += 0.5) {
            char line[128];
            std::snprintf(line, sizeof line, "E %.17g %.17g %.17g\n", x, y, Plane(x, y));
            text += line;
            ++*points;
        }
    }
    return text + "Z\n";
}

TEST(GeodataEngine, ChannelBedLiesOnThePlaneOfThePoints) {
    ProjectDir dir;
    ChannelSpec spec = GridTestChannel(3);
    spec.letters = "UVHX";
    ASSERT_TRUE(WriteChannelProject(dir.path(), spec));
    int points = 0;
    dir.write("geodata", PlaneLattice(&points));
    ASSERT_EQ(dir.runInProcess(), 0) << JoinLines(dir.boogieLines());

    for (int i = 1; i <= spec.columnsAlong + 1; ++i) {
        for (int j = 1; j <= spec.columnsAcross + 1; ++j) {
            EXPECT_NEAR(Gridz[i][j][1], Plane(Gridx[i][j], Gridy[i][j]), 1e-9) << i << " " << j;
        }
    }
    const std::string log = dir.read(kGeodataLogName);
    EXPECT_NE(log.find("Number of points read from geodata file: " + std::to_string(points) + "\n"),
              std::string::npos)
        << log;
    EXPECT_EQ(log.find("Warning"), std::string::npos) << log;

    // The grid written after the interpolation carries the new bed.
    int nodes = 0;
    for (const std::string& line : SplitLines(dir.read("koordina.t"))) {
        int i, j;
        double x, y, bed, water;
        ASSERT_EQ(std::sscanf(line.c_str(), "%d %d %lf %lf %lf %lf", &i, &j, &x, &y, &bed, &water), 6) << line;
        if (i < 1 || i > spec.columnsAlong + 1 || j < 1 || j > spec.columnsAcross + 1) continue;
        EXPECT_NEAR(bed, Plane(x, y), 1e-6) << line;
        ++nodes;
    }
    EXPECT_EQ(nodes, (spec.columnsAlong + 1) * (spec.columnsAcross + 1));
}

}  // namespace
