// The bed change on boxes of one-cell columns of 1 m2 built in the test
// process: each column's level change carried to its corner nodes, the
// weightings and limits, what is booked as unplaced, the copies of block-edge
// nodes, the ordered passes of F 255 1 and the node means of F 255 3.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <string>
#include <vector>

#include "grid/grid_services.h"
#include "run/globals.h"
#include "sediment/bed_change.h"
#include "sediment/sediment_data.h"
#include "sediment/sediment_services.h"
#include "tests/support/control_text.h"
#include "tests/support/grid_engine.h"
#include "tools/box_geometry.h"

namespace {

constexpr double kKgPerM3 = 0.5 * 1000.0 * 2.65;

class BedChangeCase : public ::testing::Test {
protected:
    // ni x nj columns of one 1 m cube each, bed at 0 and water at 1 m, fixed
    // bed 10 m down. With `twoBlocks` the columns from ni/2 on form block 2,
    // stored one node line further along i, so that the node line between
    // the blocks exists once in each block.
    void Build(int ni, int nj, bool twoBlocks = false, const std::string& control = "") {
        const int cells = ni * nj;
        WriteHere("control", "G 1 " + std::to_string(ni + 4) + " " + std::to_string(nj + 3) + " 3 1\nF 65 " +
                                 std::to_string(cells + 10) + " " + std::to_string(4 * cells + ni + nj + 10) + " " +
                                 std::to_string(2 * (ni + 1) * (nj + 1) + 10) + " 10 10\n" + control);
        const EngineCall start = StartEngineHere();
        ASSERT_FALSE(start.ended) << start.log;
        g_ = MakeBoxGeometry(ni, nj, 1);
        const EngineCall m = CallEngine([] {
            metric();
            return 0;
        });
        ASSERT_FALSE(m.ended) << m.log;
        ni_ = ni;
        nj_ = nj;
        split_ = twoBlocks ? ni / 2 : ni;
        for (size_t i = 0; i < Gridz.extent1(); ++i) {
            for (size_t j = 0; j < Gridz.extent2(); ++j) {
                Gridz[i][j][0] = 0.0;
                Gridz[i][j][1] = 0.0;
                Gridz[i][j][NoGridLinesZ] = 1.0;
                GridLevels[1][i][j] = 0.0;
                GridLevels[3][i][j] = -10.0;
            }
        }
        NoBedCells = cells;
        for (int i = 0; i < ni; ++i) {
            for (int j = 0; j < nj; ++j) {
                const int b = Column(i, j), c = g_.cell(i, j, 0);
                Gridz[GridI(i)][j + 1][0] = c;
                Bcellt[b] = c;
                Cbedcell[c] = b;
                Bkooi[b] = GridI(i);
                Bkooj[b] = j + 1;
                Barea[b] = 1.0;
                PlanArea[GridI(i)][j + 1] = 1.0;
                Bedmove[b] = 0.0;
                BSedDistrib[1][0][b] = 0.02;
                BSedDistrib[0][0][b] = 0.02;
            }
        }
        NoBlocks = twoBlocks ? 2 : 1;
        BlockTable[1].iLast = split_;
        BlockTable[1].field11 = 1;
        if (twoBlocks) {
            BlockTable[2] = BlockTable[1];
            BlockTable[2].iFirst = GridI(split_);
            BlockTable[2].iLast = GridI(ni - 1);
        }
        BedSolidFraction = 0.5;
        SedRelativeDensity = 2.65;
        BedMoveDefect = BedMoveDefectAbs = 0.0;
        Iter = 2;
        RegridInterval = 1000;
        BedOutflowDefectOption = 0;
    }

    int GridI(int i) const { return i < split_ ? i + 1 : i + 2; }
    int Column(int i, int j) const { return 1 + j + nj_ * i; }
    // The node at corner k (0 NE, 1 SE, 2 SW, 3 NW) of column (i, j).
    double& Bed(int i, int j, int k) { return Gridz[GridI(i) + kCornerDi[k]][j + 1 + kCornerDj[k]][1]; }

    // The bed volume the node moves stand for: each node by a quarter of the
    // area of the columns around it.
    double NodeVolume() const {
        double v = 0.0;
        for (int i = 0; i < ni_; ++i) {
            for (int j = 0; j < nj_; ++j) {
                for (int k = 0; k < 4; ++k) v += 0.25 * GridLevels[1][GridI(i) + kCornerDi[k]][j + 1 + kCornerDj[k]];
            }
        }
        return v;
    }

    BoxGrid g_;
    int ni_ = 0, nj_ = 0, split_ = 0;
    InProjectDir here_;
};

// ---- The corner distribution -------------------------------------------------

TEST_F(BedChangeCase, ColumnAmongEqualColumnsMovesEachCornerByAQuarter) {
    Build(3, 3);
    for (const double dz : {0.04, -0.04}) {
        Bedmove[Column(1, 1)] = dz;
        const double before = NodeVolume();
        double moves[4];
        ASSERT_TRUE(DistributeColumnChange(2, 2, Column(1, 1), g_.cell(1, 1, 0), {1, 3, 1, 3}, {}, moves));
        for (int k = 0; k < 4; ++k) EXPECT_NEAR(moves[k], dz / 4, 1e-15) << k;
        EXPECT_NEAR(NodeVolume() - before, dz * 1.0, 1e-15);
    }
    EXPECT_EQ(BedMoveDefect, 0.0);
    EXPECT_EQ(BedMoveDefectAbs, 0.0);
}

TEST_F(BedChangeCase, MiddleNodeEndsWithTheMeanOfItsFourColumns) {
    Build(2, 2);
    const double dz[4] = {0.1, 0.1, 0.2, 0.2};
    for (int b = 1; b <= 4; ++b) Bedmove[b] = dz[b - 1];
    DistributeBedChangeToCorners();
    EXPECT_NEAR(Gridz[1][1][1], 0.15, 1e-15);
    EXPECT_NEAR(NodeVolume(), 0.6, 1e-14);
}

TEST_F(BedChangeCase, SkipsDryEmptyAndStillColumns) {
    Build(3, 1);
    Bedmove[Column(0, 0)] = 1e-12;   // still
    Bedmove[Column(1, 0)] = 0.1;     // dry
    Gridz[2][1][0] = 0.0;
    Bedmove[Column(2, 0)] = 0.1;     // a column without cells
    Bcellt[Column(2, 0)] = 0;
    DistributeBedChangeToCorners();
    EXPECT_EQ(NodeVolume(), 0.0);
    EXPECT_EQ(BedMoveDefectAbs, 0.0);
}

TEST_F(BedChangeCase, OneCornerAtTheFixedBedHandsItsShareToTheOthers) {
    Build(3, 3);
    GridLevels[3][2][2] = 0.0;  // NE of the middle column
    Bedmove[Column(1, 1)] = -0.04;
    double moves[4];
    DistributeColumnChange(2, 2, Column(1, 1), g_.cell(1, 1, 0), {1, 3, 1, 3}, {}, moves);
    EXPECT_EQ(moves[0], 0.0);
    for (int k = 1; k < 4; ++k) EXPECT_NEAR(moves[k], -0.04 / 3, 1e-9) << k;
    EXPECT_NEAR(NodeVolume(), -0.04, 1e-9);
    EXPECT_LT(std::fabs(BedMoveDefect), 1e-9 * kKgPerM3);
}

struct BookingCase {
    const char* name;
    double dz;
    int f163, f242;
    double fixedBelowBed;  // fixed bed this far below every node
    double waterAboveBed;  // water this far above every node
    double move;           // each corner's move
    double defect;         // BedMoveDefect / kKgPerM3
};

void PrintTo(const BookingCase& row, std::ostream* os) { *os << row.name; }

// Unlimited corners take dz/4 each; limited ones their limit, the rest is
// booked with the sign of the change.
const BookingCase kBooking[] = {
    {"AllCornersAtTheFixedBed", -0.04, 0, 100, 0.0, 1.0, 0.0, -0.04},
    {"NoPasses", 0.04, 0, 0, 10.0, 1.0, 0.0, 0.04},
    {"NoLimits", -0.04, 2, 100, 0.0, 1.0, -0.01, 0.0},
    {"ErosionDownToTheFixedBed", -0.04, 0, 100, 0.005, 1.0, -0.005, -0.02},
    {"DepositionUpToTheWater", 0.04, 1, 100, 10.0, 0.005, 0.005, 0.02},
    {"DepositionUnlimitedWithoutF163One", 0.04, 0, 100, 10.0, 0.005, 0.01, 0.0},
};

class CornerBooking : public BedChangeCase, public ::testing::WithParamInterface<BookingCase> {};

TEST_P(CornerBooking, LimitsAndBooksTheRest) {
    const BookingCase& p = GetParam();
    Build(3, 3);
    for (size_t i = 0; i < Gridz.extent1(); ++i) {
        for (size_t j = 0; j < Gridz.extent2(); ++j) {
            GridLevels[3][i][j] = -p.fixedBelowBed;
            Gridz[i][j][NoGridLinesZ] = p.waterAboveBed;
        }
    }
    F163Int = p.f163;
    F242Int = p.f242;
    Bedmove[Column(1, 1)] = p.dz;
    DistributeBedChangeToCorners();
    for (int k = 0; k < 4; ++k) EXPECT_NEAR(Bed(1, 1, k), p.move, 1e-9) << k;
    EXPECT_NEAR(BedMoveDefect / kKgPerM3, p.defect, 1e-9);
    EXPECT_NEAR(BedMoveDefectAbs / kKgPerM3, std::fabs(p.defect), 1e-9);
    // What moved and what was booked make up the change.
    EXPECT_NEAR(NodeVolume() + p.defect, p.dz, 1e-9);
}

INSTANTIATE_TEST_SUITE_P(Limits, CornerBooking, ::testing::ValuesIn(kBooking),
                         [](const auto& i) { return std::string(i.param.name); });

// With F 1 S an unplaced change names its column in `boogie`.
TEST_F(BedChangeCase, UnplacedChangeIsReportedWithLetterS) {
    Build(3, 3);
    for (size_t i = 0; i < Gridz.extent1(); ++i) {
        for (size_t j = 0; j < Gridz.extent2(); ++j) GridLevels[3][i][j] = 0.0;
    }
    DebugOption = 'S';
    Bedmove[Column(1, 1)] = -0.04;
    DistributeBedChangeToCorners();
    const std::string log = ReadHere("boogie");
    // Column cell 5 is odd (path mark 3); the passes ran out (100).
    EXPECT_NE(log.find("Warning in bed change, i,j,ii,l,rest,dz,area = 2 2 3 100 0.04 -0.04 1\n"
                       "Iter: 2, Thickness top: 0.02 bottom: 0.02\n"
                       "Volume available: 0, eroded: 0, supp_eroded: -0.04, avl_box_2: 0, avl_box_1: 0.02\n"),
              std::string::npos)
        << log;
    for (int k = 1; k <= 4; ++k) {
        EXPECT_NE(log.find("Corner " + std::to_string(k) + ", move, factor, minmove = 0 4 0\n"), std::string::npos) << k;
    }
    // Nothing is reported without the letter.
    DebugOption = 'N';
    WriteHere("boogie", "");
    DistributeBedChangeToCorners();
    EXPECT_EQ(ReadHere("boogie"), "");
}

// ---- The F 205 weightings ------------------------------------------------------

enum class Setup { kPlain, kNeRaised, kStaircase, kEastwardFlow, kEastDry, kSlopedBottom };

struct WeightingCase {
    const char* name;
    int variant;
    double dz;
    Setup setup;
    std::array<double, 4> weight;  // NE, SE, SW, NW after the weighting (plain: 4 each)
    std::array<double, 4> factor;
};

void PrintTo(const WeightingCase& row, std::ostream* os) { *os << row.name; }

// Corners of the middle column of 3 x 3 columns of 1 m2; the middle column is
// cell 5, odd-numbered, and still takes the factors.
const WeightingCase kWeighting[] = {
    // (zmax - z) + 1 = 1, 2, 2, 2, scaled back to 16.
    {"LevelErosion", 1, -0.04, Setup::kNeRaised, {16.0 / 7, 32.0 / 7, 32.0 / 7, 32.0 / 7}, {1, 1, 1, 1}},
    // (z - zmin) / 0.3 + 0.1 with NE 0.3, SE 0.2, SW 0.1, NW 0 m: 1.1, 0.7667, 0.4333, 0.1.
    {"LevelDepositionBase01", 3, 0.04, Setup::kStaircase,
     {16 * 1.1 / 2.4, 16 * (2.3 / 3) / 2.4, 16 * (1.3 / 3) / 2.4, 16 * 0.1 / 2.4}, {1, 1, 1, 1}},
    // No base value: the lowest corner keeps a thousandth of its weight.
    {"LevelDepositionNoBase", 4, 0.04, Setup::kStaircase,
     {16 * 1.0 / 2.001, 16 * (2.0 / 3) / 2.001, 16 * (1.0 / 3) / 2.001, 16 * 0.001 / 2.001}, {1, 1, 1, 1}},
    // Flow eastward: the east corners (cos 0.7071) weigh 1.7071 times more.
    {"FlowDeposition", 5, 0.04, Setup::kEastwardFlow,
     {16 * 1.7071067811865475 / 5.414213562373095, 16 * 1.7071067811865475 / 5.414213562373095,
      16 / 5.414213562373095, 16 / 5.414213562373095},
     {1, 1, 1, 1}},
    {"FlowErosionOnlyDeposits", 6, 0.04, Setup::kEastwardFlow, {4, 4, 4, 4}, {1, 1, 1, 1}},
    // Wet sides east, west, north, south in turn: each halves its two corners
    // and gives the halves across.
    {"WetSides", 7, -0.04, Setup::kPlain, {6.25, 3.75, 2.25, 3.75}, {1, 1, 1, 1}},
    {"WetSidesDepositionPlain", 7, 0.04, Setup::kPlain, {4, 4, 4, 4}, {1, 1, 1, 1}},
    {"DryEastSide", 8, -0.04, Setup::kEastDry, {4, 4, 4, 4}, {2, 2, 0, 0}},
    // Bottom normal (0.6, 0): s = 0.6 / 1.23, f = 1 + s cos(45 deg) east, 1 - it west.
    {"SlopedBottomDeposition", 9, 0.04, Setup::kSlopedBottom, {4, 4, 4, 4},
     {1 + 0.6 / 1.23 * 0.7071067811865475, 1 + 0.6 / 1.23 * 0.7071067811865475, 1 - 0.6 / 1.23 * 0.7071067811865475,
      1 - 0.6 / 1.23 * 0.7071067811865475}},
    {"SlopedBottomErosion", 9, -0.04, Setup::kSlopedBottom, {4, 4, 4, 4},
     {1 - 0.7071067811865475, 1 - 0.7071067811865475, 1 + 0.7071067811865475, 1 + 0.7071067811865475}},
    {"SlopedBottomAllSidesWet", 10, -0.04, Setup::kSlopedBottom, {4, 4, 4, 4}, {1, 1, 1, 1}},
};

class CornerWeighting : public BedChangeCase, public ::testing::WithParamInterface<WeightingCase> {};

// Without limits and within one pass each corner moves in proportion to
// f / w, scaled so that the moves hold the change (over equal columns
// sum(m) / 4 = dz): the moves give the weights and factors away.
TEST_P(CornerWeighting, WeightsAndFactors) {
    const WeightingCase& p = GetParam();
    Build(3, 3);
    const int c = g_.cell(1, 1, 0);
    switch (p.setup) {
        case Setup::kNeRaised: Bed(1, 1, 0) = 0.1; break;
        case Setup::kStaircase:
            for (int k = 0; k < 4; ++k) Bed(1, 1, k) = 0.1 * (3 - k);
            break;
        case Setup::kEastwardFlow: Cu[c] = 1.0; break;
        case Setup::kEastDry: Gridz[3][2][0] = 0.0; break;
        case Setup::kSlopedBottom:
            Fvecx[Csurfb[c]] = 0.6;
            Fvecy[Csurfb[c]] = 0.0;
            break;
        case Setup::kPlain: break;
    }
    BedChangeVariant = p.variant;
    Bedmove[Column(1, 1)] = p.dz;
    double moves[4];
    ASSERT_TRUE(DistributeColumnChange(2, 2, Column(1, 1), c, {1, 3, 1, 3}, {}, moves));
    double weights = 0.0, factors = 0.0, inverse = 0.0;
    for (int k = 0; k < 4; ++k) inverse += 1.0 / p.weight[k];
    for (int k = 0; k < 4; ++k) {
        const double expected = p.factor[k] * std::fabs(p.dz) / p.weight[k] / inverse;
        EXPECT_NEAR(moves[k], std::copysign(expected, p.dz), 1e-12) << k;
        weights += p.weight[k];
        factors += p.factor[k];
    }
    // The tables themselves keep the sums the weightings keep.
    EXPECT_NEAR(weights, 16.0, 1e-12);
    EXPECT_NEAR(factors, 4.0, 1e-12);
    EXPECT_EQ(BedMoveDefectAbs, 0.0);
}

INSTANTIATE_TEST_SUITE_P(F205, CornerWeighting, ::testing::ValuesIn(kWeighting),
                         [](const auto& i) { return std::string(i.param.name); });

struct ChannelCase {
    int variant;
    bool limited;  // fixed bed 5 mm under the bed, water 5 mm above it
};

void PrintTo(const ChannelCase& p, std::ostream* os) { *os << "F205_" << p.variant << (p.limited ? "_limited" : "_free"); }

class SlopingChannel : public BedChangeCase, public ::testing::WithParamInterface<ChannelCase> {};

// 6 x 3 columns of a channel falling 2 cm per column eastward, flow east,
// the north-east column dry, every column eroding or depositing up to 1 cm:
// whatever the weighting, the nodes move by the volume the columns changed,
// less what the limits made them book.
TEST_P(SlopingChannel, NodesMoveByTheBookedChange) {
    const ChannelCase& p = GetParam();
    Build(6, 3);
    F163Int = p.limited ? 1 : 2;
    for (int i = 0; i <= 6; ++i) {
        for (int j = 0; j <= 3; ++j) {
            const double bed = -0.02 * i + 0.003 * j * j;
            Gridz[i][j][1] = bed;
            Gridz[i][j][NoGridLinesZ] = bed + (p.limited ? 0.005 : 1.0);
            GridLevels[3][i][j] = bed - (p.limited ? 0.005 : 10.0);
        }
    }
    const double nx = 0.02 / std::sqrt(1.0 + 0.02 * 0.02);
    for (int i = 0; i < 6; ++i) {
        for (int j = 0; j < 3; ++j) {
            const int c = g_.cell(i, j, 0);
            Cu[c] = 1.0;
            Cv[c] = 0.1 * (j - 1);
            Fvecx[Csurfb[c]] = nx;
            Fvecy[Csurfb[c]] = 0.0;
            Bedmove[Column(i, j)] = 0.01 * std::sin(1.3 * i + 2.1 * j + 0.4);
        }
    }
    Gridz[GridI(5)][3][0] = 0.0;
    double change = 0.0;
    for (int i = 0; i < 6; ++i) {
        for (int j = 0; j < 3; ++j) change += (i == 5 && j == 2) ? 0.0 : Bedmove[Column(i, j)];
    }
    BedChangeVariant = p.variant;
    DistributeBedChangeToCorners();
    const double booked = change - BedMoveDefect / kKgPerM3;
    if (!p.limited) {
        EXPECT_EQ(BedMoveDefectAbs, 0.0);
    }
    EXPECT_NEAR(NodeVolume() / booked, 1.0, 1e-6) << "change " << change << ", booked " << booked;
}

std::vector<ChannelCase> ChannelCases() {
    std::vector<ChannelCase> cases;
    for (int v = 0; v <= 10; ++v) {
        for (const bool limited : {false, true}) cases.push_back({v, limited});
    }
    return cases;
}

INSTANTIATE_TEST_SUITE_P(F205, SlopingChannel, ::testing::ValuesIn(ChannelCases()), [](const auto& i) {
    return "F205_" + std::to_string(i.param.variant) + (i.param.limited ? "_limited" : "_free");
});

// ---- Block edges -----------------------------------------------------------------

// Blocks 1 (columns 0, 1) and 2 (columns 2, 3) of a 4 x 2 box: the node line
// between them is i = 2 in block 1 and i = 3 in block 2.
TEST_F(BedChangeCase, BlockEdgeNodesMoveInBothBlocks) {
    Build(4, 2, true);
    Bedmove[Column(1, 0)] = 0.08;  // block 1, at its last i and first j
    Bedmove[Column(2, 1)] = -0.04; // block 2, at its first i and last j
    DistributeBedChangeToCorners();
    for (int j = 0; j <= 2; ++j) EXPECT_EQ(Gridz[2][j][1], Gridz[3][j][1]) << j;
    EXPECT_GT(Gridz[2][1][1], 0.0);
    EXPECT_LT(Gridz[3][2][1], 0.0);
    for (int j = 0; j <= 2; ++j) EXPECT_EQ(GridLevels[1][2][j], GridLevels[1][3][j]) << j;
    // The weights count the columns across the edge (through Barea): over
    // the nodes of the whole grid, each once, the moves hold both changes.
    const int line[5] = {0, 1, 2, 4, 5};
    double v = 0.0;
    for (int x = 0; x < 5; ++x) {
        for (int j = 0; j <= 2; ++j) {
            const int around = (x >= 1 && x <= 3 ? 2 : 1) * (j == 1 ? 2 : 1);
            v += 0.25 * around * GridLevels[1][line[x]][j];
        }
    }
    EXPECT_NEAR(v, 0.08 - 0.04, 1e-12);
}

// A diagonal neighbour in another block gets the corner it shares.
TEST_F(BedChangeCase, DiagonalBlockCornerMovesToo) {
    Build(4, 2, true);
    // Column 1 of row 1 loses its east link: the node it shares with the
    // column across the corner (2, 0) is reached through the south-east link.
    const int c = g_.cell(1, 1, 0);
    Ccelle[c] = 0;
    Bedmove[Column(1, 1)] = 0.04;
    DistributeBedChangeToCorners();
    EXPECT_GT(Gridz[2][1][1], 0.0);
    EXPECT_EQ(Gridz[3][1][1], Gridz[2][1][1]);
    EXPECT_EQ(Gridz[3][2][1], 0.0);
}

// The parent block's node takes the level and movement of the child node
// it is linked to; the columns across a coupled interface likewise.
TEST_F(BedChangeCase, LinkedNodesFollow) {
    Build(3, 1);
    Gridz[3][1][1] = 0.3;
    GridLevels[1][3][1] = 0.2;
    NoBoundaryCells = 2;
    if (!GridSlideLevel.exists()) {
        ASSERT_TRUE(GridSlideLevel.allocate(Gridz.extent1(), Gridz.extent2(), 2));
    }
    GridSlideLevel[0][0][0] = 3;
    GridSlideLevel[0][0][1] = 1;
    FollowChildBlockNodes();
    EXPECT_EQ(Gridz[0][0][1], 0.3);
    EXPECT_EQ(GridLevels[1][0][0], 0.2);
    EXPECT_EQ(Gridz[1][0][1], 0.0);
    if (!Bconnection.exists()) {
        ASSERT_TRUE(Bconnection.allocate(static_cast<size_t>(NoBedCells) + 1));
    }
    Bconnection[3] = 1;  // node (3, 1) to node (1, 1)
    FollowConnectedColumns();
    EXPECT_EQ(Gridz[1][1][1], 0.3);
    EXPECT_EQ(GridLevels[1][1][1], 0.2);
    // Without interface records nothing is linked.
    Gridz[3][1][1] = 0.5;
    NoBoundaryCells = 1;
    FollowChildBlockNodes();
    FollowConnectedColumns();
    EXPECT_EQ(Gridz[1][1][1], 0.3);
    EXPECT_EQ(Gridz[0][0][1], 0.3);
}

// ---- F 255 1 -------------------------------------------------------------------------

// Column 0 erodes all its sediment, column 1 deposits: the fixed bed lies at
// the bed, so the erosion can only take what the deposition put on the two
// nodes they share, and takes it because the deposition goes first.
TEST_F(BedChangeCase, OrderedPassesPlaceDepositionFirst) {
    Build(2, 1);
    for (size_t i = 0; i < Gridz.extent1(); ++i) {
        for (size_t j = 0; j < Gridz.extent2(); ++j) GridLevels[3][i][j] = 0.0;
    }
    Bedmove[Column(0, 0)] = -0.04;
    Bedmove[Column(1, 0)] = 0.04;
    ComputeBedChangeRegrid1();
    EXPECT_NEAR(Gridz[1][0][1], 0.0, 1e-12);
    EXPECT_NEAR(Gridz[1][1][1], 0.0, 1e-12);
    EXPECT_NEAR(Gridz[2][0][1], 0.04, 1e-12);
    EXPECT_NEAR(BedMoveDefect / kKgPerM3, -0.02, 1e-9);
}

// Column 1 erodes all of its layers (pass 2), column 0 a tenth (pass 3).
// Column 1 goes first and leaves 1 mm on the nodes they share, so column 0
// takes the rest from its own nodes; the other way round column 1 would find
// too little and book some.
TEST_F(BedChangeCase, LargeErosionGoesBeforeSmallErosion) {
    Build(2, 1);
    for (size_t i = 0; i < Gridz.extent1(); ++i) {
        for (size_t j = 0; j < Gridz.extent2(); ++j) GridLevels[3][i][j] = -0.01;
    }
    BSedDistrib[1][0][Column(1, 0)] = BSedDistrib[0][0][Column(1, 0)] = 0.007;
    Bedmove[Column(0, 0)] = -0.004;
    Bedmove[Column(1, 0)] = -0.014;
    ComputeBedChangeRegrid1();
    EXPECT_NEAR(Gridz[1][0][1], -0.01, 1e-9);   // shared
    EXPECT_NEAR(Gridz[2][0][1], -0.01, 1e-9);   // column 1's own
    EXPECT_NEAR(Gridz[0][0][1], -0.006, 1e-8);  // column 0's own
    EXPECT_NEAR(BedMoveDefect, 0.0, 1e-5);
}

struct LeastDepthCase {
    const char* name;
    double froude;
    double rise;
};

void PrintTo(const LeastDepthCase& row, std::ostream* os) { *os << row.name; }

// U = 1 m/s over 0.1 m of water: F 132 0.8 asks for 1 / (0.64 x 9.81) m.
const LeastDepthCase kLeastDepth[] = {
    {"RaisesTheCornerWater", 0.8, 1.0 / (0.64 * 9.81) - 0.1},
    {"OffAtHalf", 0.5, 0.0},
};

class LeastDepth : public BedChangeCase, public ::testing::WithParamInterface<LeastDepthCase> {};

TEST_P(LeastDepth, KeepsTheCornerWater) {
    Build(1, 1);
    for (size_t i = 0; i < Gridz.extent1(); ++i) {
        for (size_t j = 0; j < Gridz.extent2(); ++j) Gridz[i][j][NoGridLinesZ] = 0.1;
    }
    Cu[g_.cell(0, 0, 0)] = 1.0;
    FroudeLimit = GetParam().froude;
    Bedmove[1] = -0.001;
    ChangeBedLevelsDetailed(1, 1, 1, 1, 1, 1, 1);
    for (int k = 0; k < 4; ++k) {
        EXPECT_NEAR(Gridz[1 + kCornerDi[k]][1 + kCornerDj[k]][NoGridLinesZ], 0.1 + GetParam().rise, 1e-12) << k;
    }
}

INSTANTIATE_TEST_SUITE_P(F132, LeastDepth, ::testing::ValuesIn(kLeastDepth),
                         [](const auto& i) { return std::string(i.param.name); });

// ---- F 255 3 -------------------------------------------------------------------------

TEST_F(BedChangeCase, NodeTakesTheMeanOfItsWetColumns) {
    Build(2, 2);
    const double dz[4] = {0.1, 0.1, 0.2, 0.2};
    for (int b = 1; b <= 4; ++b) Bedmove[b] = dz[b - 1];
    MoveNodesByColumnMeans();
    EXPECT_NEAR(Gridz[1][1][1], 0.15, 1e-15);
    EXPECT_NEAR(GridLevels[1][1][1], 0.15, 1e-15);
    EXPECT_NEAR(Gridz[0][0][1], 0.1, 1e-15);  // one column only
    Gridz[1][1][0] = 0.0;                     // column (0, 0) dry
    MoveNodesByColumnMeans();
    EXPECT_NEAR(Gridz[1][1][1], 0.15 + 0.5 / 3, 1e-15);
}

TEST_F(BedChangeCase, OneDepositingColumnKeepsItsVolume) {
    for (const auto& [i, j] : {std::pair{0, 0}, std::pair{1, 0}, std::pair{2, 1}}) {
        Build(4, 4);
        Bedmove[Column(i, j)] = 0.1;
        MoveNodesByColumnMeans();
        EXPECT_NEAR(NodeVolume(), 0.1, 1e-15) << i << " " << j;
        EXPECT_EQ(BedMoveDefectAbs, 0.0);
    }
}

TEST_F(BedChangeCase, ErodingNodeStopsAtTheFixedBedAndBooksTheRest) {
    Build(2, 2);
    GridLevels[3][1][1] = -0.05;
    for (int b = 1; b <= 4; ++b) Bedmove[b] = -0.1;
    MoveNodesByColumnMeans();
    EXPECT_EQ(Gridz[1][1][1], -0.05);
    EXPECT_NEAR(BedMoveDefect, -0.05 * 0.25 * 4.0 * kKgPerM3, 1e-9);
    EXPECT_NEAR(BedMoveDefectAbs, 0.05 * 0.25 * 4.0 * kKgPerM3, 1e-9);
    // A node already below its fixed bed erodes no further and is not lifted.
    GridLevels[3][1][1] = 0.5;
    MoveNodesByColumnMeans();
    EXPECT_EQ(Gridz[1][1][1], -0.05);
}

// The edge nodes of two blocks see the columns across the edge through the
// side links, so both copies of a shared node move alike.
TEST_F(BedChangeCase, EdgeNodesSeeTheColumnsAcrossTheBlockEdge) {
    Build(4, 2, true);
    const double dz[8] = {0.1, 0.2, 0.3, 0.4, 0.5, 0.6, 0.7, 0.8};
    for (int b = 1; b <= 8; ++b) Bedmove[b] = dz[b - 1];
    MoveNodesByColumnMeans();
    for (int j = 0; j <= 2; ++j) EXPECT_NEAR(Gridz[2][j][1], Gridz[3][j][1], 1e-15) << j;
    // Node (2, 1) lies between columns 1 and 2 of both rows.
    EXPECT_NEAR(Gridz[2][1][1], (0.3 + 0.4 + 0.5 + 0.6) / 4, 1e-15);
    // The corner of the edge: columns (1, 0) and (2, 0).
    EXPECT_NEAR(Gridz[3][0][1], (0.3 + 0.5) / 2, 1e-15);
}

}  // namespace
