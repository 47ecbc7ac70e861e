// Whole runs of the column-layer block: a 10 x 5 channel, regenerated with
// 9 layers and written with its layer block of 50 base cells.
#include <gtest/gtest.h>

#include <sstream>

#include "grid/grid_data.h"
#include "run/globals.h"
#include "tests/grid/layer_channel.h"
#include "tests/support/project_dir.h"

namespace {

std::string FirstLine(const std::string& text) { return text.substr(0, text.find('\n')); }

bool HasBlockLine(const std::string& text, const std::string& start) {
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (line.rfind(start, 0) == 0) return true;
    }
    return false;
}

TEST(ColumnLayerBlockRun, WritesTheLayerBlockAsBlockTwo) {
    for (const char* letters : {"UYH", "UYYH"}) {
        SCOPED_TRACE(letters);
        ProjectDir dir;
        ASSERT_TRUE(WriteChannelProject(dir.path(), LayerChannel(letters, 14)));
        const EngineRun r = dir.run();
        EXPECT_EQ(r.status, 1) << JoinLines(r.boogie);
        const std::string grid = dir.read("unstruc");
        EXPECT_EQ(FirstLine(grid), "3 500 1750 2 0 0 0 792");
        EXPECT_TRUE(HasBlockLine(grid, "2 11 2 6 0 1 0 0 0 0 1 450 1 1535 1 660 "));
        EXPECT_TRUE(HasBlockLine(grid, "2 11 9 13 0 0 0 0 0 0 451 500 1536 1750 661 792 "));
    }
}

// First build: the lower level lies on the bed, so the block holds base
// cells only, each from 10 m below the bed up to it over a 2 m x 0.4 m column.
TEST(ColumnLayerBlockRun, BaseCellsFillTheTenMetresUnderTheBed) {
    ProjectDir dir;
    ASSERT_TRUE(WriteChannelProject(dir.path(), LayerChannel("UYH", 14)));
    ASSERT_EQ(dir.runInProcess(), 1) << dir.read("boogie");
    ASSERT_EQ(NoBlocks, 2);
    const BlockRecord& layer = BlockTable[2];
    ASSERT_EQ(layer.lastCell - layer.firstCell + 1, 50);
    double volume = 0.0;
    for (int c = layer.firstCell; c <= layer.lastCell; ++c) {
        EXPECT_NEAR(Cvol[c], 8.0, 1e-9) << c;
        EXPECT_EQ(Ccellt[c], 0) << c;
        volume += Cvol[c];
    }
    EXPECT_NEAR(volume, 400.0, 1e-9);
}

// Y regenerates block 1 with 9 layers instead of the file's 10: the inflow and
// outflow groups must name the 45 end faces of the new grid, not the 50
// surface numbers of the grid that was read (some of which now belong to the
// layer block's base cells, where the discharge would be taken out).
TEST(ColumnLayerBlockRun, DischargeGroupsFollowTheRegeneratedGrid) {
    ProjectDir dir;
    ChannelSpec spec = LayerChannel("UYH", 14);
    spec.discharge = 1.0;
    ASSERT_TRUE(WriteChannelProject(dir.path(), spec));
    const EngineRun r = dir.run();
    EXPECT_EQ(r.status, 1) << JoinLines(r.boogie);
    const std::string grid = dir.read("unstruc");
    EXPECT_TRUE(HasBlockLine(grid, "1 0 0 1 13 45 5 1000.000000 0.000000")) << "inflow group";
    EXPECT_TRUE(HasBlockLine(grid, "0 0 0 1 13 45 5 1000.000000 0.000000")) << "outflow group";
    // The listed faces are block 1's (surfaces 1..1535), never the layer block's.
    std::istringstream in(grid);
    std::string line;
    int groups = 0;
    while (std::getline(in, line)) {
        if (line.find(" 1000.000000 ") == std::string::npos) continue;
        ASSERT_TRUE(std::getline(in, line));
        std::istringstream surfaces(line);
        int n = 0;
        for (int s; surfaces >> s; ++n) EXPECT_TRUE(s >= 1 && s <= 1535) << s;
        EXPECT_EQ(n, 45);
        ++groups;
    }
    EXPECT_EQ(groups, 2);
}

// The file holds the 450 cells Y builds for block 1; F 65 leaves room for 480,
// not for the 50 base cells after them. The overflow ends the run before
// anything of the grid is written.
TEST(ColumnLayerBlockRun, AFullCellArrayEndsTheRunOnTheOverflowPath) {
    ProjectDir dir;
    ChannelSpec spec = LayerChannel("UYH", 14);
    spec.gridLinesZ = 10;
    spec.extraControl += "F 65 480 5000 5000 1000 1000\n";
    ASSERT_TRUE(WriteChannelProject(dir.path(), spec));
    const std::string before = dir.read("unstruc");
    ASSERT_EQ(FirstLine(before), "3 450 1535 1 0 0 0 660");
    const EngineRun r = dir.run();
    EXPECT_EQ(r.status, -5);
    EXPECT_TRUE(HasLine(r.boogie, "Error: Unstructured arrays are too small. Increase with the F 65 data set."))
        << JoinLines(r.boogie);
    EXPECT_TRUE(HasLine(r.boogie, "NoCells=500, MaxCeller=480")) << JoinLines(r.boogie);
    EXPECT_EQ(dir.read("unstruc"), before);
    EXPECT_TRUE(dir.exists("koosurf.1"));
}

TEST(ColumnLayerBlockRun, TooFewGridLinesEndTheRunBeforeTheGridIsWritten) {
    ProjectDir dir;
    ASSERT_TRUE(WriteChannelProject(dir.path(), LayerChannel("UYH", 13)));
    const std::string before = dir.read("unstruc");
    const EngineRun r = dir.run();
    EXPECT_EQ(r.status, -5);
    EXPECT_TRUE(HasLine(r.boogie,
                        "Error: the layer block under block 1 needs more than 13 grid lines in j. Increase the "
                        "second G 1 value to 14 or more"))
        << JoinLines(r.boogie);
    EXPECT_EQ(dir.read("unstruc"), before);
}

}  // namespace
