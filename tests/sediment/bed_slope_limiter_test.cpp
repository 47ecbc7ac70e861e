// The bed-slope limiter after the bed change: the plane limiter that tilts a
// too steep column back to the largest slope about its mean level, and the
// edge limiter that moves the two nodes of a too steep edge towards each
// other, for one size by the node areas and for several through the
// active layers, never below the fixed bed and never changing the volume.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "tests/sediment/bed_node_channel.h"
#include "tests/support/project_dir.h"

namespace {

ChannelSpec SlopedChannel(int along, int across, double length, double width, double slope, int linesZ = 4) {
    ChannelSpec spec;
    spec.columnsAlong = along;
    spec.columnsAcross = across;
    spec.gridLinesZ = linesZ;
    spec.length = length;
    spec.width = width;
    spec.depth = 1.0;
    spec.bedSlope = slope;
    return spec;
}

struct Plane {
    double nx, ny, nz;
    double mean;
};

// The bed plane of column (i, j) through its diagonals.
Plane ColumnPlane(int i, int j) {
    auto d = [](int a, int b, int p, int q, double* v) {
        v[0] = Gridx[a][b] - Gridx[p][q];
        v[1] = Gridy[a][b] - Gridy[p][q];
        v[2] = Gridz[a][b][1] - Gridz[p][q][1];
    };
    double d1[3], d2[3];
    d(i, j, i - 1, j - 1, d1);
    d(i, j - 1, i - 1, j, d2);
    Plane p{d2[1] * d1[2] - d2[2] * d1[1], d2[2] * d1[0] - d2[0] * d1[2], d2[0] * d1[1] - d2[1] * d1[0], 0.0};
    p.mean = 0.25 * (Gridz[i][j][1] + Gridz[i - 1][j][1] + Gridz[i - 1][j - 1][1] + Gridz[i][j - 1][1]);
    return p;
}

double Tangent(const Plane& p) { return std::hypot(p.nx, p.ny) / p.nz; }

// ---- Plane limiter ------------------------------------------------------------

struct PlaneCase {
    const char* name;
    int option;
    double flowU;       // along the channel, downhill positive
    double bedangle;    // per-column slope from the bedangle file (0: none)
    double endSlope;
};

void PrintTo(const PlaneCase& row, std::ostream* os) { *os << row.name; }

class PlaneLimiter : public BedNodeChannel, public ::testing::WithParamInterface<PlaneCase> {
protected:
    // Only column (iFirst + 1, jFirst + 1) of the 0.8 slope stays wet.
    void SetUp() override {
        Load(SlopedChannel(4, 3, 4.0, 3.0, 0.8));
        i_ = Block().iFirst + 1;
        j_ = Block().jFirst + 1;
        b_ = BedCell(i_, j_);
        c_ = GridColumnBottom(i_, j_);
        ForEachColumn([this](int i, int j) {
            if (i != i_ || j != j_) Gridz[i][j][0] = 0.0;
        });
        MaxBedSlope = 0.5;
        F270Value2 = 0.3;
    }
    int i_ = 0, j_ = 0, b_ = 0, c_ = 0;
};

// The column ends at exactly its slope limit, with its mean level and the
// direction of its slope kept, and its cumulative movement follows.
TEST_P(PlaneLimiter, SteepColumnEndsAtTheLimitAboutItsMeanLevel) {
    const PlaneCase& k = GetParam();
    BedSlopeLimitOption = k.option;
    Cu[c_] = k.flowU;
    if (k.bedangle > 0.0) {
        ASSERT_TRUE(BslopeLimit.allocate(static_cast<size_t>(NoBedCells) + 1));
        BedAngleFileOption = 2;
        BslopeLimit[b_] = k.bedangle;
    }
    const Plane before = ColumnPlane(i_, j_);
    ASSERT_NEAR(Tangent(before), 0.8, 1e-9);
    const double start = Gridz[i_][j_][1];
    MoveGridPointsFromBedChange();
    const Plane after = ColumnPlane(i_, j_);
    EXPECT_NEAR(Tangent(after), k.endSlope, 1e-12);
    EXPECT_NEAR(after.mean, before.mean, 1e-12);
    EXPECT_NEAR(after.ny / after.nx, before.ny / before.nx, 1e-12);
    EXPECT_GT(after.nx * before.nx, 0.0);
    EXPECT_NEAR(GridLevels[1][i_][j_], Gridz[i_][j_][1] - start, 1e-12);
}

const PlaneCase kPlane[] = {
    {"OneSlope", 200, 0.0, 0.0, 0.5},
    {"ColumnSlopeFromBedangle", 200, 0.0, 0.3, 0.3},
    {"FlowDownTheSlopeTakesTheFirstSlope", 201, 1.0, 0.0, 0.5},
    {"FlowUpTheSlopeTakesTheSecondSlope", 201, -1.0, 0.0, 0.3},
};
INSTANTIATE_TEST_SUITE_P(Options, PlaneLimiter, ::testing::ValuesIn(kPlane),
                         CaseName());

// With one corner at its fixed bed the column has too little sediment to
// tilt: nothing changes. Option 0 changes nothing either.
TEST_F(PlaneLimiter, TooLittleSedimentOrNoOptionLeavesTheColumn) {
    const double z[4] = {Gridz[i_][j_][1], Gridz[i_ - 1][j_][1], Gridz[i_ - 1][j_ - 1][1], Gridz[i_][j_ - 1][1]};
    BedSlopeLimitOption = 0;
    BedGridMoveFlag = 1;
    MoveGridPointsFromBedChange();
    BedSlopeLimitOption = 200;
    GridLevels[3][i_ - 1][j_ - 1] = Gridz[i_ - 1][j_ - 1][1];
    MoveGridPointsFromBedChange();
    EXPECT_EQ(Gridz[i_][j_][1], z[0]);
    EXPECT_EQ(Gridz[i_ - 1][j_][1], z[1]);
    EXPECT_EQ(Gridz[i_ - 1][j_ - 1][1], z[2]);
    EXPECT_EQ(Gridz[i_][j_ - 1][1], z[3]);
}

// ---- Edge limiter, one size ----------------------------------------------------

class EdgeLimiter : public BedNodeChannel {
protected:
    // Flat 1 m columns; node line iFirst + 1 raised by 0.5 m, limit 0.3.
    void SetUp() override {
        Load(SlopedChannel(4, 3, 4.0, 3.0, 0.0));
        const BlockRecord& r = Block();
        for (int j = r.jFirst - 1; j <= r.jLast; ++j) Gridz[r.iFirst + 1][j][1] += 0.5;
        BedSlopeLimitOption = 1;
        MaxBedSlope = 0.3;
        lowI_ = r.iFirst;
        highI_ = r.iFirst + 1;
        j_ = r.jFirst;
        base_ = Gridz[lowI_][j_][1];
    }
    int lowI_ = 0, highI_ = 0, j_ = 0;
    double base_ = 0.0;
};

// The first steep edge joins two interior nodes of equal area: each moves
// by half the excess (0.2 m), and no later edge of the sweep moves the
// lower one again.
TEST_F(EdgeLimiter, EqualNodeAreasShareTheExcess) {
    const double volume = PlanBedVolume();
    MoveGridPointsFromBedChange();
    EXPECT_NEAR(Gridz[lowI_][j_][1], base_ + 0.1, 1e-12);
    EXPECT_NEAR(PlanBedVolume(), volume, 1e-12);
    EXPECT_EQ(GridLevels[1][lowI_][j_], 0.0);  // the cumulative movement stays
}

// The higher node has 2 cm of sediment over its fixed bed: it drops only
// those 2 cm, the lower node rises by the same volume, and later edges take
// nothing more from it.
TEST_F(EdgeLimiter, HigherNodeStopsAtItsFixedBed) {
    GridLevels[3][highI_][j_] = Gridz[highI_][j_][1] - 0.02;
    const double volume = PlanBedVolume();
    MoveGridPointsFromBedChange();
    EXPECT_NEAR(Gridz[highI_][j_][1], GridLevels[3][highI_][j_], 1e-12);
    EXPECT_NEAR(Gridz[lowI_][j_][1], base_ + 0.02, 1e-12);
    EXPECT_NEAR(PlanBedVolume(), volume, 1e-12);
}

// The bed of the acceptance channel, 8 x 2 columns of 0.5 m sloping at 0.5,
// limited to 0.3 in 100 sweeps.
class SlopeBackToItsLimit : public BedNodeChannel {
protected:
    void LoadChannel(const std::string& more) {
        Load(SlopedChannel(8, 2, 4.0, 1.0, 0.5, 6), 1, more);
        BedSlopeLimitOption = 100;
        MaxBedSlope = 0.3;
    }
    static double LargestStepAlongI() {
        double largest = 0.0;
        const BlockRecord& r = Block();
        for (int i = r.iFirst; i <= r.iLast; ++i) {
            for (int j = r.jFirst - 1; j <= r.jLast; ++j) {
                largest = std::max(largest, std::fabs(Gridz[i][j][1] - Gridz[i - 1][j][1]));
            }
        }
        return largest;
    }
};

TEST_F(SlopeBackToItsLimit, EveryEdgeEndsAtTheLimitWithTheVolumeKept) {
    LoadChannel("");
    ASSERT_NEAR(LargestStepAlongI(), 0.25, 1e-9);
    const double volume = PlanBedVolume();
    MoveGridPointsFromBedChange();
    EXPECT_LE(LargestStepAlongI(), 0.3 * 0.5 + 1e-6);
    EXPECT_LE(std::fabs(PlanBedVolume() - volume), 1e-9);
}

TEST_F(SlopeBackToItsLimit, NoNodeGoesBelowItsFixedBed) {
    LoadChannel("F 41 0.1\n");
    const double volume = PlanBedVolume();
    MoveGridPointsFromBedChange();
    ForEachNode([](int i, int j) { EXPECT_GE(Gridz[i][j][1], GridLevels[0][i][j] - 0.1 - 1e-12) << i << " " << j; });
    EXPECT_LE(std::fabs(PlanBedVolume() - volume), 1e-9);
    EXPECT_GT(LargestStepAlongI(), 0.15);  // the fixed bed keeps part of the slope
}

// ---- Edge limiter, several sizes ---------------------------------------------

class LayeredEdgeLimiter : public BedNodeChannel {
protected:
    void LoadLayered(const std::string& more) {
        Load(SlopedChannel(8, 2, 4.0, 1.0, 0.5, 6), 2, more);
        ActiveLayerLimit = 0.05;
        for (int b = 1; b <= NoBedCells; ++b) {
            BSedDistrib[1][0][b] = 0.05;
            BSedDistrib[1][1][b] = 0.3;
            BSedDistrib[1][2][b] = 0.7;
            BSedDistrib[0][0][b] = 1.0;
            BSedDistrib[0][1][b] = 0.6;
            BSedDistrib[0][2][b] = 0.4;
        }
        BedSlopeLimitOption = 5;
        MaxBedSlope = 0.3;
    }
    static double SizeVolume(int s) {
        double v = 0.0;
        for (int b = 1; b <= NoBedCells; ++b) {
            v += Barea[b] * (BSedDistrib[0][0][b] * BSedDistrib[0][s][b] + BSedDistrib[1][0][b] * BSedDistrib[1][s][b]);
        }
        return v;
    }
    static double LayerVolume() {
        double v = 0.0;
        for (int b = 1; b <= NoBedCells; ++b) v += Barea[b] * (BSedDistrib[0][0][b] + BSedDistrib[1][0][b]);
        return v;
    }
};

// The layers give what the node levels lose and take what they gain: the
// bed volume, the layer volume and each size's volume stay.
TEST_F(LayeredEdgeLimiter, LayersAndNodesMoveTheSameVolume) {
    LoadLayered("");
    const double bed = PlanBedVolume(), layers = LayerVolume(), size1 = SizeVolume(1), size2 = SizeVolume(2);
    const double top = Gridz[Block().iFirst - 1][Block().jFirst][1];
    MoveGridPointsFromBedChange();
    EXPECT_LT(Gridz[Block().iFirst - 1][Block().jFirst][1], top - 1e-3);
    EXPECT_NEAR(PlanBedVolume(), bed, 1e-12);
    EXPECT_NEAR(LayerVolume(), layers, 1e-12);
    EXPECT_NEAR(SizeVolume(1), size1, 1e-12);
    EXPECT_NEAR(SizeVolume(2), size2, 1e-12);
}

TEST_F(LayeredEdgeLimiter, NodesAtTheirFixedBedGiveNothing) {
    LoadLayered("F 41 0\n");
    std::vector<double> before;
    ForEachNode([&before](int i, int j) { before.push_back(Gridz[i][j][1]); });
    MoveGridPointsFromBedChange();
    size_t n = 0;
    ForEachNode([&before, &n](int i, int j) { EXPECT_EQ(Gridz[i][j][1], before[n++]) << i << " " << j; });
}

// ---- The whole run ----------------------------------------------------------------

double TotalBedChange(const std::vector<std::string>& lines) {
    for (const std::string& l : lines) {
        double v = 0.0;
        if (std::sscanf(l.c_str(), "Total change in bed levels: %le", &v) == 1) return v;
    }
    return HUGE_VAL;
}

TEST(SlopeBackToItsLimitRun, SedimentRunLimitsTheSlopeAndKeepsTheVolume) {
    for (const std::string fixed : {"", "F 41 0.1\n"}) {
        ProjectDir dir;
        ChannelSpec spec = SlopedChannel(8, 2, 4.0, 1.0, 0.5, 6);
        // A trickle gives the flow its residual scale; it moves no 5 mm grain.
        spec.discharge = 0.001;
        spec.version = 3;
        spec.letters = "US";
        spec.extraControl = "F 37 2\nF 10 M\nS 1 0.005 0.1\nN 0 1 1\nF 33 1 1\nK 1 1\nF 56 100 0.3\n" + fixed;
        ASSERT_TRUE(WriteChannelProject(dir.path(), spec));
        ASSERT_EQ(dir.runInProcess(), 1) << dir.read("boogie");
        const BlockRecord& r = BlockTable[1];
        for (int i = r.iFirst - 1; i <= r.iLast; ++i) {
            for (int j = r.jFirst - 1; j <= r.jLast; ++j) {
                if (fixed.empty() && i >= r.iFirst) {
                    EXPECT_LE(std::fabs(Gridz[i][j][1] - Gridz[i - 1][j][1]), 0.15 + 1e-6);
                }
                if (!fixed.empty()) {
                    EXPECT_GE(Gridz[i][j][1], GridLevels[0][i][j] - 0.1 - 1e-9);
                }
            }
        }
        // The bed volume of the node levels against the bed as read, and the
        // run's own total when its summary gives one.
        double change = 0.0;
        for (int i = r.iFirst; i <= r.iLast; ++i) {
            for (int j = r.jFirst; j <= r.jLast; ++j) {
                double sum = 0.0;
                for (const auto& [p, q] : {std::pair{i, j}, std::pair{i - 1, j}, std::pair{i - 1, j - 1}, std::pair{i, j - 1}}) {
                    sum += Gridz[p][q][1] - GridLevels[0][p][q];
                }
                change += PlanArea[i][j] * 0.25 * sum;
            }
        }
        EXPECT_LE(std::fabs(change), 1e-9);
        const double total = TotalBedChange(dir.boogieLines());
        if (total != HUGE_VAL) {
            EXPECT_LE(std::fabs(total), 1e-9);
        }
    }
}

}  // namespace
