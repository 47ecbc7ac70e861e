// Letter I on the converged flow of the README's example channel: the bed
// shear of the developed flow and van Rijn's reference concentration at that
// shear, read back from the Tecplot plan file that letter M writes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "tests/physics/physics_channel.h"
#include "tests/support/grid_engine.h"
#include "tests/support/project_dir.h"
#include "tools/channel_project.h"

namespace {

// The example channel with 0.2 mm sand falling at 2 cm/s, a fixed Shields
// number, and the bed shear and bed concentration in the Tecplot plan file.
ChannelSpec ExampleChannelWithSand() {
    return ExampleChannelSpec("UWIM", "K 1 5000\nF 329 1 1 1\nS 1 0.0002 0.02\nN 0 1 1.0\nF 11 2.65 0.047\n"
                                      "G 24 2 m 0 0 O 0 1\n");
}

std::vector<std::string> Words(const std::string& line) {
    std::istringstream in(line);
    std::vector<std::string> words;
    for (std::string w; in >> w;) words.push_back(w);
    return words;
}

TEST(BedConcentrationRun, VanRijnAtTheShearOfTheDevelopedFlow) {
    ProjectDir dir;
    ASSERT_TRUE(WriteChannelProject(dir.path(), ExampleChannelWithSand()));
    const EngineRun run = dir.run();
    ASSERT_EQ(run.status, 1) << JoinLines(run.boogie);
    ASSERT_TRUE(HasLine(run.boogie, "Solution converged")) << JoinLines(run.boogie);
    for (const std::string& line : run.boogie) EXPECT_EQ(line.find("not available"), std::string::npos) << line;

    const std::vector<std::string> plan = SplitLines(dir.read("tecplot2.dat"));
    ASSERT_GT(plan.size(), 4u);
    ASSERT_NE(plan[1].find(R"("Bed shear","Potential bed concentration ")"), std::string::npos) << plan[1];
    const double dstar = 0.0002 * std::pow(1.65 * 9.81e12, 0.3333);
    const double tauc = 0.047 * 1.65 * 9810.0 * 0.0002;
    const double a = 0.05;
    int checked = 0;
    double lowest = 1e30, highest = -1e30, lowestConc = 1e30, highestConc = -1e30;
    for (size_t n = 4; n < plan.size(); ++n) {
        const std::vector<std::string> w = Words(plan[n]);
        ASSERT_EQ(w.size(), 7u) << plan[n];
        const double x = std::stod(w[0]);
        const double y = std::stod(w[1]);
        // The downstream half, without the ring of points on the grid's edge
        // and the outlet column, whose shear the outflow boundary raises.
        if (x < 10.0 || x > 19.5 || y < 0.2 || y > 1.8) continue;
        const double shear = std::stod(w[5]);
        const double conc = std::stod(w[6]);
        EXPECT_NEAR(shear, 1.0, 0.15) << plan[n];
        const double t = (shear - tauc) / tauc;
        EXPECT_NEAR(conc, 0.015 * 0.0002 * std::pow(t, 1.5) / (a * std::pow(dstar, 0.3)), 0.005 * conc) << plan[n];
        EXPECT_NEAR(conc, 4.854e-4, 0.3 * 4.854e-4) << plan[n];
        ++checked;
        lowest = std::min(lowest, shear);
        highest = std::max(highest, shear);
        lowestConc = std::min(lowestConc, conc);
        highestConc = std::max(highestConc, conc);
    }
    std::printf("bed shear %.4f to %.4f Pa, bed concentration %.4e to %.4e over %d columns\n", lowest, highest,
                lowestConc, highestConc, checked);
    EXPECT_EQ(checked, 19 * 6);
}

}  // namespace
