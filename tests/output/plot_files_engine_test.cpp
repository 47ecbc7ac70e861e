// The plot files of a channel run through the built engine, loaded by VTK's
// own legacy and Tecplot readers.
#include "tests/output/results_case.h"
#include "tests/support/project_dir.h"

namespace {

// Velocities, bed level and depth of the flat channel of 1 m depth, in all
// four plot files.
TEST(PlotFilesEngine, ChannelPlotsLoadInTheRealReaders) {
    ProjectDir dir;
    ChannelSpec spec = ResultsChannel("G 24 3 u 1 0 z 0 0 y 0 0\nF 329 1 1 1 0 1 1 1\n");
    spec.letters = "UMX";
    ASSERT_TRUE(WriteChannelProject(dir.path(), spec));
    const EngineRun run = dir.run();
    ASSERT_EQ(run.status, 0) << JoinLines(run.boogie);

    const std::vector<std::string> plan = SplitLines(dir.read("tecplot2.dat"));
    ASSERT_EQ(plan.size(), 4u + 80u);
    EXPECT_EQ(plan[1], R"(VARIABLES="X1","X2","X3","Ux","Uy","Horiz. velocity","Bed level","Depth")");
    EXPECT_EQ(plan[2], "ZONE I=10,J=8,F=POINT");
    for (size_t n = 4; n < plan.size(); ++n) {
        const std::vector<std::string> w = Words(plan[n]);
        ASSERT_EQ(w.size(), 8u) << plan[n];
        EXPECT_EQ(w[7], "1.000000e+00") << plan[n];
    }

    const LoadResult load = LoadWithVtk(dir.path(), {
        "legacy", "pav2_00000.vtk", "80", "63", "Depth=1:1", "Bed_level=0:0", "Horiz_velocity=0:0", "Velocities", "--",
        "legacy", "ParaView3U.vtk", "189", "96", "Depth=1:1", "Bed_level=0:0", "Horiz_velocity=0:0", "Velocity", "--",
        "tecplot", "tecplfe.dat", "189", "96", "Depth=1:1", "Bed level=0:0", "Ux=0:0", "No=0:0", "--",
        "tecplot", "tecplot2.dat", "80", "63", "Depth=1:1", "X3=0:1",
    });
    if (load.status == 77 || load.status == 127) {
        GTEST_SKIP() << "Debian's /usr/bin/python3 cannot import vtk (install python3-vtk9): " << load.out;
    }
    EXPECT_EQ(load.status, 0) << load.out;
}

}  // namespace
