// Whole runs of the water-quality components on small channels: a source
// with first-order decay in a still pool, inflow through a discharge group,
// surface heating and the component file.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "run/globals.h"
#include "tests/support/project_dir.h"
#include "tools/channel_project.h"

namespace {

// The still pool: 4 m by 2 m and 1 m deep, 4 x 2 columns of 5 layers.
ChannelSpec StillPool(const std::string& letters, const std::string& control) {
    ChannelSpec spec;
    spec.columnsAlong = 4;
    spec.columnsAcross = 2;
    spec.gridLinesZ = 6;
    spec.length = 4.0;
    spec.width = 2.0;
    spec.depth = 1.0;
    spec.version = 3;
    spec.discharge = 0.0;
    spec.letters = letters;
    spec.extraControl = control;
    return spec;
}

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

}  // namespace
