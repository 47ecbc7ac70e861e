// Rating curves, the group levels of F 187, coupled blocks and the F 36 = 50
// grid update on the 4 x 3 column channel (columns i = 2..5, j = 2..4, node
// lines i = 1..5, j = 1..4; columns 1 m long and 0.5 m wide).
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "surface/level_equations.h"
#include "tests/surface/surface_case.h"

namespace {

class GroupLevels : public SurfaceCase {
protected:
    static int Column(int i, int j) { return Cbedcell[Bottom(i, j)]; }
    static double Distinct(int i, int j) { return 1.0 + 0.01 * i + 0.001 * j; }
    static void SetDistinctLevels() {
        for (int i = 1; i <= 5; ++i) {
            for (int j = 1; j <= 4; ++j) Node(i, j) = NewNode(i, j) = Distinct(i, j);
        }
    }
};

// ---- SetRatingCurveLevels --------------------------------------------------

TEST_F(GroupLevels, RatingCurveHoldsItsLineAtTheStageOfTheDischargeThroughIt) {
    for (int c = 0; c <= NoCells; ++c) {
        Cu[c] = 0.5;
        Cv[c] = 0.0;
        Cap[c] = 1.0;
        Csource[c] = 0.0;
    }
    // The flow through the cross-section at i = 4: along i, 0.5 m/s through
    // 1.5 m x 1 m.
    const double q = 0.75;
    struct Row {
        const char* name;
        RatingCurveRecord r;
        double level;  // NAN: the line is not held
    };
    const Row rows[] = {
        {"CrossSection", {4, 4, 2, 4, -0.2, 2.5, 2.0}, -0.2 + std::sqrt(q / 2.5)},
        {"OneColumnAcross", {4, 4, 3, 3, 0.0, 1.0, 1.0}, q / 3.0},
        // A line along i measures the flow across it, here none.
        {"LineAlongI", {2, 5, 3, 3, 0.5, 2.0, 2.0}, 0.5},
        // Against the curve's sense: no real root; the base level.
        {"Reversed", {4, 4, 2, 4, -0.2, -2.5, 2.0}, -0.2},
        {"NeitherLine", {2, 3, 2, 3, 0.0, 1.0, 1.0}, NAN},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        for (int c = 0; c <= NoCells; ++c) Cap[c] = 1.0, Csource[c] = 0.0;
        RatingCurves[0] = row.r;
        NoRatingCurves = 1;
        SetRatingCurveLevels();
        for (int i = 2; i <= 5; ++i) {
            for (int j = 2; j <= 4; ++j) {
                const int b = Bottom(i, j);
                const bool held = !std::isnan(row.level) && i >= row.r.iFirst && i <= row.r.iLast &&
                                  j >= row.r.jFirst && j <= row.r.jLast;
                if (held) {
                    ASSERT_GT(Cap[b], 1e29) << i << " " << j;
                    EXPECT_NEAR(Csource[b] / Cap[b], row.level, 1e-12) << i << " " << j;
                } else {
                    EXPECT_EQ(Cap[b], 1.0) << i << " " << j;
                }
            }
        }
    }
}

// A line reaching before the grid is clipped to it; a dry column of the
// line is left out (cell 0 takes nothing).
TEST_F(GroupLevels, RatingCurveLineIsClippedAndSkipsDryColumns) {
    for (int c = 0; c <= NoCells; ++c) Cu[c] = 0.5, Cap[c] = 1.0, Csource[c] = 0.0;
    Gridz[4][2][0] = 0.0;
    RatingCurves[0] = {4, 4, -50, 3, 0.0, 1.0, 1.0};
    NoRatingCurves = 1;
    SetRatingCurveLevels();
    EXPECT_EQ(Cap[0], 1.0);
    EXPECT_GT(Cap[Bottom(4, 3)], 1e29);
    EXPECT_NEAR(Csource[Bottom(4, 3)] / Cap[Bottom(4, 3)], 0.5 * 0.5 * 1.0, 1e-12);
}

// ---- AdjustLevelsAtGroups --------------------------------------------------

TEST_F(GroupLevels, ReferenceGroupHoldsItsEdgeAndLiftsTheLinesInside) {
    ReferenceCellGroup = 2;  // the outflow group at the east end
    for (int lines : {2, 50}) {
        SCOPED_TRACE(lines);
        GroupLevelAdjustOption = lines;
        for (int i = 1; i <= 5; ++i) {
            for (int j = 1; j <= 4; ++j) Node(i, j) = NewNode(i, j) = 1.0;
        }
        Node(4, 3) = 1.5;  // higher already: kept
        AdjustLevelsAtGroups(1.2);
        for (int j = 1; j <= 4; ++j) {
            EXPECT_EQ(Node(5, j), 1.2) << j;
            EXPECT_EQ(NewNode(5, j), 1.2) << j;
            EXPECT_EQ(Node(4, j), j == 3 ? 1.5 : 1.2) << j;
            EXPECT_EQ(Node(3, j), 1.2) << j;
            // Two lines inward, no further; fifty stop at the block's edge.
            EXPECT_EQ(Node(2, j), lines == 2 ? 1.0 : 1.2) << j;
            EXPECT_EQ(Node(1, j), lines == 2 ? 1.0 : 1.2) << j;
        }
    }
}

TEST_F(GroupLevels, DrySidesAreLevelledFromTheWetSide) {
    GroupLevelAdjustOption = 1;
    SetDistinctLevels();
    AdjustLevelsAtGroups(0.0);
    for (int i = 2; i <= 4; ++i) {
        // The south side takes the line north of it, the north side the
        // line south of it (the corners follow the ends levelled before).
        EXPECT_EQ(Node(i, 1), Distinct(i, 2)) << i;
        EXPECT_EQ(Node(i, 4), Distinct(i, 3)) << i;
    }
    // The west and east ends of the middle row: from the line inside.
    EXPECT_EQ(Node(1, 2), Distinct(2, 2));
    EXPECT_EQ(Node(1, 3), Distinct(2, 3));
    EXPECT_EQ(Node(5, 3), Distinct(4, 3));
    EXPECT_EQ(Node(3, 3), Distinct(3, 3));
}

TEST_F(GroupLevels, ColumnBetweenTwoDryColumnsIsNotLevelledAcross) {
    GroupLevelAdjustOption = 1;
    SetDistinctLevels();
    // Column (3, 3) with dry columns north and south of it.
    Gridz[3][2][0] = 0.0;
    Gridz[3][4][0] = 0.0;
    AdjustLevelsAtGroups(0.0);
    EXPECT_EQ(Node(3, 3), Distinct(3, 3));
    EXPECT_EQ(Node(3, 2), Distinct(3, 2));
}

// ---- Coupled blocks --------------------------------------------------------

// Block 1 keeps columns i = 2..3, block 2 (coupled, partner number 1) takes
// i = 4..5.
class CoupledBlocks : public GroupLevels {
protected:
    void SetUp() override {
        GroupLevels::SetUp();
        BlockTable[2] = BlockTable[1];
        BlockTable[1].iLast = 3;
        BlockTable[2].iFirst = 4;
        BlockTable[2].overlapLevel = 1;
        G26BlockValues[2] = 1;
        NoBlocks = 2;
        if (!Bconnection.exists()) {
            ASSERT_TRUE(Bconnection.allocate(NoBedCells + 1));
        }
        for (int n = 0; n <= NoBedCells; ++n) Bconnection[n] = 0;
    }
};

TEST_F(CoupledBlocks, FlatPartnerSurfaceGivesTheCoupledBlockItsLevel) {
    BlockCouplingOption = 3;
    for (int j = 2; j <= 4; ++j) {
        for (int i = 4; i <= 5; ++i) Bconnection[Column(i, j)] = Column(3, j);
    }
    Bconnection[Column(5, 3)] = 0;  // taken from a neighbour
    for (int i = 3; i <= 5; ++i) {
        for (int j = 1; j <= 4; ++j) Node(i, j) = 1.3;
    }
    const double level = Level(Top(3, 3));
    AdjustCoupledBlockLevels();
    for (int i = 3; i <= 5; ++i) {
        for (int j = 1; j <= 4; ++j) EXPECT_NEAR(Node(i, j), level, 1e-12) << i << " " << j;
    }
    EXPECT_EQ(Node(2, 2), 1.0);
}

TEST_F(CoupledBlocks, PressureFollowsTheLinkedCellsOnAverage) {
    if (!Clink.exists()) {
            ASSERT_TRUE(Clink.allocate(NoCells + 1));
        }
    for (int c = 0; c <= NoCells; ++c) {
        Clink[c] = 0;
        Pres[c] = 100.0 * c;
    }
    const BlockRecord& r = BlockTable[2];
    std::vector<double> before(Pres.data(), Pres.data() + NoCells + 1);
    // No links: the block keeps its pressure.
    AverageCoupledPressure();
    for (int c = 0; c <= NoCells; ++c) EXPECT_EQ(Pres[c], before[c]);
    // Two linked cells, 50 and 150 below their partners.
    const int a = Bottom(4, 2), b = Bottom(5, 4);
    Clink[a] = Bottom(2, 2);
    Clink[b] = Bottom(3, 4);
    const double d = 0.5 * ((before[Clink[a]] - before[a]) + (before[Clink[b]] - before[b]));
    AverageCoupledPressure();
    for (int c = 1; c <= NoCells; ++c) {
        const bool inBlock = c >= r.firstCell && c <= r.lastCell;
        EXPECT_DOUBLE_EQ(Pres[c], before[c] + (inBlock ? d : 0.0)) << c;
    }
}

// The update drivers (surface, and by option with F 323 1) couple block 2
// by F 238. Block 2's top cells stand 0.1 m of head above block 1's, so an
// uncoupled update raises it; with 3 it takes the partner's flat surface
// exactly (0.125 * 4 + 0.5 = 1 keeps a flat field). With 4 its pressure is
// shifted by the mean difference to the linked partner cells (block 2 spans
// every cell of this fixture, so every cell shifts); without links it keeps
// its pressure and so the levels of the uncoupled update.
TEST_F(CoupledBlocks, UpdateDriversCoupleTheBlockByF238) {
    const double head = 0.1 / 0.000101937;
    struct Row {
        const char* name;
        int coupling;
        bool links;
    };
    const Row rows[] = {
        {"Uncoupled", 0, false},
        {"PartnerLevels", 3, false},
        {"PressureWithoutLinks", 4, false},
        {"PressureOfTheLinkedCells", 4, true},
    };
    for (const int byOption : {0, 1}) {
        std::vector<double> uncoupled;
        for (const Row& row : rows) {
            SCOPED_TRACE(std::string(row.name) + (byOption ? " by option" : ""));
            SetUp();
            if (!Clink.exists()) {
                ASSERT_TRUE(Clink.allocate(NoCells + 1));
            }
            for (int c = 0; c <= NoCells; ++c) Clink[c] = 0;
            for (int j = 2; j <= 4; ++j) {
                for (int i = 4; i <= 5; ++i) {
                    Bconnection[Column(i, j)] = Column(3, j);
                    if (row.links) Clink[Top(i, j)] = Top(3, j);
                }
            }
            FreeSurfaceOption = 2;
            FlagTSC = 1;  // the nodes move alone: this split of the channel is no grid to regenerate
            SurfaceUpdateByOptionFlag = byOption;
            BlockCouplingOption = row.coupling;
            SurfaceRelaxation = 1.0;
            SetTopPressures(9810.0);
            for (int j = 2; j <= 4; ++j) {
                for (int i = 4; i <= 5; ++i) Pres[Top(i, j)] += head;
            }
            const std::vector<double> before(Pres.data(), Pres.data() + NoCells + 1);
            const double partner = Level(Top(3, 3));
            for (int j = 2; j <= 4; ++j) ASSERT_EQ(Level(Top(3, j)), partner) << j;
            EngineCall call = CallEngine([] {
                surface();
                return 0;
            });
            ASSERT_FALSE(call.ended) << call.log;
            const double shift = row.links ? -head : 0.0;
            for (int c = 1; c <= NoCells; ++c) ASSERT_NEAR(Pres[c], before[c] + shift, 1e-9) << c;
            std::vector<double> levels;
            for (int i = 4; i <= 5; ++i) {
                for (int j = 1; j <= 4; ++j) levels.push_back(Node(i, j));
            }
            switch (row.coupling) {
                case 0:
                    uncoupled = levels;
                    EXPECT_GT(*std::max_element(levels.begin(), levels.end()), partner + 0.05);
                    break;
                case 3:
                    for (const double z : levels) EXPECT_EQ(z, partner);
                    break;
                default:
                    if (!row.links) {
                        EXPECT_EQ(levels, uncoupled);
                    }
                    break;
            }
            EXPECT_NEAR(Node(2, 2), 1.0, 1e-9);  // block 1 keeps its level
        }
    }
}

TEST_F(CoupledBlocks, StrictlyNearerPartnerNodeWins) {
    // Node (4, 3) of the coupled block and two nodes of block 1 at the same
    // distance from it.
    const double x = Gridx[4][3], y = Gridy[4][3], d = 0.2;
    Gridx[3][2] = x;
    Gridy[3][2] = y - d;
    Gridy[3][3] = y;
    struct Row {
        const char* name;
        double west;  // distance of node (3, 3)
        int partnerI, partnerJ;
    };
    for (const Row& row : {Row{"EqualTakesTheFirst", d, 3, 2}, Row{"Nearer", d * 0.999, 3, 3}}) {
        SCOPED_TRACE(row.name);
        Gridx[3][3] = x - row.west;
        ComputeColumnConnections();
        EXPECT_EQ(Bconnection[Column(4, 3)], Column(row.partnerI, row.partnerJ));
    }
    // Block 1 is coupled to nothing.
    EXPECT_EQ(Bconnection[Column(3, 3)], 0);
}

// ---- F 36 = 50 -------------------------------------------------------------

class OptionFifty : public GroupLevels {
protected:
    void SetUp() override {
        GroupLevels::SetUp();
        FreeSurfaceOption = 50;
        if (!Blevelcorr.exists()) {
            ASSERT_TRUE(Blevelcorr.allocate(NoBedCells + 1));
        }
        for (int n = 0; n <= NoBedCells; ++n) Blevelcorr[n] = 0.0;
    }
    EngineCall Update() {
        return CallEngine([] {
            UpdateFreeSurfaceOption50();
            return 0;
        });
    }
};

TEST_F(OptionFifty, NodesMoveByTheMeanCorrectionOfTheirColumns) {
    FlagTSC = 1;
    F227Int = 1;
    for (int n = 1; n <= NoBedCells; ++n) Blevelcorr[n] = 0.01 * n;
    EngineCall call = Update();
    ASSERT_FALSE(call.ended) << call.log;
    const double inner = 0.25 * 0.01 * (Column(3, 3) + Column(3, 4) + Column(4, 4) + Column(4, 3));
    EXPECT_NEAR(Node(3, 3), 1.0 + inner, 1e-12);
    EXPECT_EQ(NewNode(3, 3), Node(3, 3));
    // A corner node has one column.
    EXPECT_NEAR(Node(1, 1), 1.0 + 0.01 * Column(2, 2), 1e-12);
    EXPECT_EQ(GridChangedFlag, 1);
}

TEST_F(OptionFifty, ZeroCorrectionsKeepTheLevelsAndStillRegenerate) {
    // A cell moved off its nodes is put back by the regeneration.
    const int top = Top(3, 3);
    Czcenter[top] += 1.0;
    EngineCall call = Update();
    ASSERT_FALSE(call.ended) << call.log;
    for (int i = 1; i <= 5; ++i) {
        for (int j = 1; j <= 4; ++j) EXPECT_EQ(Node(i, j), 1.0) << i << " " << j;
    }
    EXPECT_NEAR(Level(Top(3, 3)), 1.0, 1e-9);
    EXPECT_EQ(GridChangedFlag, 1);
}

TEST_F(OptionFifty, WeightedNodeWhoseColumnsWeighNothingKeepsItsLevel) {
    FlagTSC = 1;
    F227Int = 2;
    // The corner column's flow points straight at node (1, 1), put level
    // with the column's centre, and is slow: subcritical, it weighs the
    // node ahead of it exactly 0.
    const int c = Bottom(2, 2);
    Gridx[1][1] = Cxcenter[c] - 0.5;
    Gridy[1][1] = Cycenter[c];
    for (int k = c; k > 0; k = Ccellt[k]) {
        Cu[k] = -0.5;
        Cv[k] = 0.0;
    }
    Blevelcorr[Column(2, 2)] = 0.1;
    EngineCall call = Update();
    ASSERT_FALSE(call.ended) << call.log;
    EXPECT_EQ(Node(1, 1), 1.0);
}

TEST_F(OptionFifty, FroudeWeightOfANodeStraightDownstream) {
    const int c = Bottom(3, 3);
    Cu[c] = Gridx[3][3] - Cxcenter[c];
    Cv[c] = Gridy[3][3] - Cycenter[c];
    struct Row {
        double froude, weight;
    };
    for (const Row row : {Row{0.4, 0.0}, Row{1.0, 0.5}, Row{2.0, 1.0}}) {
        SCOPED_TRACE(row.froude);
        Bfroude[Column(3, 3)] = row.froude;
        EXPECT_NEAR(UpdateFroudeSurfaceFlow(c, 3, 3), row.weight, 1e-12);
        // The node straight upstream takes the other weight.
        EXPECT_NEAR(UpdateFroudeSurfaceFlow(c, 2, 2), 1.0 - row.weight, 1e-12);
    }
}

}  // namespace
