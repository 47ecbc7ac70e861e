// Letter K: the roughness height of each column from the scatter of its bed
// points around the bed plane, columns without points smoothed in, and the
// result as `bedrough.new`.
#include <cmath>
#include <cstdio>
#include <numbers>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "flow/cell_lookup.h"
#include "flow/flow_data.h"
#include "grid/geodata.h"
#include "grid/grid_data.h"
#include "grid/grid_services.h"
#include "run/globals.h"
#include "run/params_g.h"
#include "run/status.h"
#include "tests/support/control_text.h"
#include "tests/support/project_dir.h"
#include "tools/channel_project.h"

namespace {

constexpr int kAlong = 6, kAcross = 2;
// The column (1-based along, across) that gets no points.
constexpr int kEmptyI = 3, kEmptyJ = 2;

// z = 0.2 sin(2 pi x) at 20 midpoints along x and 3 across in each 1 m column.
std::string Geodata() {
    std::string text;
    char line[96];
    for (int i = 1; i <= kAlong; ++i) {
        for (int j = 1; j <= kAcross; ++j) {
            if (i == kEmptyI && j == kEmptyJ) continue;
            for (int m = 0; m < 20; ++m) {
                for (const double dy : {0.25, 0.5, 0.75}) {
                    const double x = i - 1 + (m + 0.5) / 20.0;
                    std::snprintf(line, sizeof line, "E %.10f %.10f %.10f\n", x, j - 1 + dy,
                                  0.2 * std::sin(2.0 * std::numbers::pi * x));
                    text += line;
                }
            }
        }
    }
    return text;
}

// The mean of |0.2 sin| over the 20 midpoints of a wave.
double MeanDeviation() {
    double sum = 0.0;
    for (int m = 0; m < 20; ++m) sum += std::fabs(0.2 * std::sin(2.0 * std::numbers::pi * (m + 0.5) / 20.0));
    return sum / 20.0;
}

struct RoughLine {
    int i, j;
    double ks;
};

class BedRoughness : public ::testing::Test {
protected:
    // Generates the flat channel and runs letter K in this process.
    void Run(const std::string& control, bool points = true) {
        ChannelSpec spec;
        spec.columnsAlong = kAlong;
        spec.columnsAcross = kAcross;
        spec.length = kAlong;
        spec.width = kAcross;
        spec.letters = "UK";
        spec.extraControl = control;
        ASSERT_TRUE(WriteChannelProject(dir_.path(), spec));
        if (points) dir_.write("geodata", Geodata());
        status_ = dir_.runInProcess();
    }
    std::vector<RoughLine> Lines() const {
        std::istringstream in(dir_.read("bedrough.new"));
        std::vector<RoughLine> v;
        std::string b;
        RoughLine r{};
        while (in >> b >> r.i >> r.j >> r.ks) v.push_back(r);
        return v;
    }
    // The bed cell of the column at 1-based (along, across).
    static int Column(int i, int j) { return GridColumnBottom(BlockTable[1].iFirst + i - 1, BlockTable[1].jFirst + j - 1); }

    InProjectDir here_;  // the letters called directly work in the project too
    const ProjectDir& dir_ = here_.dir();
    int status_ = 0;
};

TEST_F(BedRoughness, ColumnsTakeTheMeanDeviationOfTheirPoints) {
    const double ks = MeanDeviation();
    EXPECT_NEAR(ks, 0.127849, 1e-6);
    for (const double factor : {1.0, 2.0}) {
        SCOPED_TRACE(factor);
        Run(factor == 1.0 ? "" : "F 295 2\n");
        ASSERT_EQ(status_, 1) << dir_.read("boogie");
        const std::vector<RoughLine> lines = Lines();
        ASSERT_EQ(lines.size(), static_cast<size_t>(kAlong * kAcross));
        for (size_t n = 0; n < lines.size(); ++n) {
            // i outer, j inner, over the block's columns.
            EXPECT_EQ(lines[n].i, BlockTable[1].iFirst + static_cast<int>(n) / kAcross);
            EXPECT_EQ(lines[n].j, BlockTable[1].jFirst + static_cast<int>(n) % kAcross);
            const bool empty = lines[n].i == BlockTable[1].iFirst + kEmptyI - 1 &&
                               lines[n].j == BlockTable[1].jFirst + kEmptyJ - 1;
            // The file holds six decimals; the column without points comes
            // from the smoothing.
            EXPECT_NEAR(lines[n].ks, factor * ks, empty ? 1e-4 : 1e-6) << lines[n].i << " " << lines[n].j;
            EXPECT_EQ(GridBedRough[lines[n].i][lines[n].j], Croughness[GridColumnBottom(lines[n].i, lines[n].j)]);
        }
    }
}

TEST_F(BedRoughness, WithoutBedPointsNothingIsWritten) {
    Run("", false);
    EXPECT_EQ(status_, 1);
    EXPECT_FALSE(dir_.exists("bedrough.new"));
    EXPECT_NE(dir_.read("boogie").find("Bed roughness: no bed points, so 'bedrough.new' is not written\n"),
              std::string::npos);
    EXPECT_EQ(ComputeBedRoughness(), 0);
}

// The plan solve sweeps every block that takes part; a block other than
// block 1 keeps its roughness and is not written.
TEST_F(BedRoughness, OtherBlocksKeepTheirRoughness) {
    Run("");
    ASSERT_EQ(status_, 1);
    BlockRecord& one = BlockTable[1];
    BlockTable[2] = one;
    one.iLast = one.iFirst + 3;
    BlockTable[2].iFirst = one.iLast + 1;
    NoBlocks = 2;
    G26BlockValues[2] = 1;
    for (int j = 1; j <= kAcross; ++j) {
        Croughness[Column(5, j)] = 0.5;
        Croughness[Column(6, j)] = 0.5;
    }
    EXPECT_EQ(ComputeBedRoughness(), 1);
    for (int j = 1; j <= kAcross; ++j) {
        EXPECT_EQ(Croughness[Column(5, j)], 0.5);
        EXPECT_EQ(Croughness[Column(6, j)], 0.5);
        EXPECT_NEAR(Croughness[Column(1, j)], MeanDeviation(), 1e-9);
    }
    EXPECT_NEAR(Croughness[Column(kEmptyI, kEmptyJ)], MeanDeviation(), 1e-4);
    EXPECT_EQ(Lines().size(), static_cast<size_t>(4 * kAcross));
}

TEST_F(BedRoughness, PointsOnAnEdgeBelongToNoColumn) {
    Run("");
    ASSERT_EQ(status_, 1);
    struct Case {
        double x, y;
        int in11, in21;  // inside column (1, 1), inside column (2, 1)
    };
    for (const Case k : {Case{0.5, 0.5, 1, 0}, Case{1.0, 0.5, 0, 0}, Case{1.5, 0.5, 0, 1}, Case{0.5, 0.0, 0, 0},
                         Case{0.5, 1.5, 0, 0}}) {
        GeodataX[0] = k.x;
        GeodataY[0] = k.y;
        EXPECT_EQ(IsPointInCell(0, Column(1, 1)), k.in11) << k.x << " " << k.y;
        EXPECT_EQ(IsPointInCell(0, Column(2, 1)), k.in21) << k.x << " " << k.y;
    }
}

}  // namespace
