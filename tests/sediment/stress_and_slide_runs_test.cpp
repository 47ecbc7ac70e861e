// Whole runs of letter N on channel projects: the elastic stresses of a body
// under its weight (F 248 1) and the sand slides of a layer block (F 248 2).
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "flow/flow_data.h"
#include "grid/grid_data.h"
#include "run/globals.h"
#include "sediment/sediment_data.h"
#include "tests/grid/layer_channel.h"
#include "tests/support/project_dir.h"
#include "tools/channel_project.h"

namespace {

// 4 x 3 columns of ten 0.1 m layers, 1 m square columns: a 120-cell body.
ChannelSpec Body() {
    ChannelSpec spec;
    spec.columnsAlong = 4;
    spec.columnsAcross = 3;
    spec.gridLinesZ = 11;
    spec.length = 4.0;
    spec.width = 3.0;
    spec.depth = 1.0;
    spec.version = 3;
    spec.letters = "UN";
    spec.extraControl = "F 248 1\nF 247 6.5e7 0.4\nF 259 9\nK 1 300\nK 4 10 10 10 10 3 3\n";
    return spec;
}

// Free top, held bed: the weight above each centre, 9810 N/m3 x depth.
TEST(ElasticStressRun, BodyCarriesItsWeight) {
    ProjectDir dir;
    ASSERT_TRUE(WriteChannelProject(dir.path(), Body()));
    ASSERT_EQ(dir.runInProcess(), 1) << JoinLines(dir.boogieLines());
    ASSERT_EQ(NoCells, 120);
    int inner = 0, tops = 0;
    for (int c = 1; c <= NoCells; ++c) {
        EXPECT_LT(std::fabs(Cu[c]), 1e-12) << c;
        EXPECT_LT(std::fabs(Cv[c]), 1e-12) << c;
        if (Ccellt[c] == 0) {
            ++tops;
            EXPECT_NEAR(Cw[c], -6.32e-5, 0.01 * 6.32e-5) << c;
        }
        if (Ccellt[c] == 0 || Ccellb[c] == 0) continue;
        ++inner;
        const double depth = 1.0 - Czcenter[c];
        EXPECT_NEAR(Cstress[2][c], -9810.0 * depth, 0.005 * 9810.0 * depth) << c;
        EXPECT_NEAR(Cstress[0][c], 0.336 * Cstress[2][c], 1e-6 * std::fabs(Cstress[2][c])) << c;
        EXPECT_NEAR(CstressRatio[c], 0.497, 0.0005) << c;
        EXPECT_EQ(CstressCount[c], 0) << c;
    }
    EXPECT_EQ(inner, 96);
    EXPECT_EQ(tops, 12);
    EXPECT_EQ(JoinLines(dir.boogieLines()).find("Forces cell"), std::string::npos);
}

// The channel and layer block of the column-layer runs (10 x 5 columns,
// block 2 with columns i 2..11, j 9..13) on a bed sloping along i.
ChannelSpec SlideChannel(double slope) {
    ChannelSpec spec = LayerChannel("UYN", 14);
    spec.bedSlope = slope;
    spec.extraControl += "F 248 2\nF 325 1\n";
    return spec;
}

bool HeldBorder(int c) { return Ccelle[c] == 0 || Ccellw[c] == 0 || Ccelln[c] == 0 || Ccells[c] == 0; }

// 45 degrees: tan(beta) 1 drives against friction 0.8; the dry infinite
// slope has the factor of safety tan(phi) / tan(beta) = 0.8.
TEST(SandSlideRun, SteepSlopeSlides) {
    ProjectDir dir;
    ASSERT_TRUE(WriteChannelProject(dir.path(), SlideChannel(1.0)));
    ASSERT_EQ(dir.runInProcess(), 1) << JoinLines(dir.boogieLines());
    ASSERT_EQ(NoBlocks, 2);
    const BlockRecord& r = BlockTable[2];
    ASSERT_EQ(r.lastColumn - r.firstColumn + 1, 50);
    int inner = 0;
    for (int b = r.firstColumn; b <= r.lastColumn; ++b) {
        const int c = Bcellt[b];
        ASSERT_GT(c, 0) << b;
        if (HeldBorder(c)) {
            EXPECT_GE(BslideChange[b], -1e-8) << b;
            continue;
        }
        ++inner;
        EXPECT_LT(BslideChange[b], -1e-8) << b;
        EXPECT_GT(Bslide[b], 0) << b;
    }
    EXPECT_EQ(inner, 24);
    EXPECT_GT(ActiveSlides[0], 0);
    EXPECT_EQ(ActiveSlides[1], 0);
    EXPECT_NEAR(SlideAverage[0], 0.8, 0.008);
}

// 30 degrees: friction 13600 x 0.8 = 10880 N/m2 against a drive of
// 13600 x 0.577 = 7852 N/m2: nothing moves.
TEST(SandSlideRun, GentleSlopeStands) {
    ProjectDir dir;
    ASSERT_TRUE(WriteChannelProject(dir.path(), SlideChannel(0.577)));
    ASSERT_EQ(dir.runInProcess(), 1) << JoinLines(dir.boogieLines());
    const BlockRecord& r = BlockTable[2];
    for (int b = r.firstColumn; b <= r.lastColumn; ++b) EXPECT_GE(BslideChange[b], -1e-8) << b;
    EXPECT_EQ(ActiveSlides[0], 0);
}

}  // namespace
