// Editing of the structured grid: the Z data sets of `control`, smoothing,
// attractors, the lines filled between the last W 6 points and the bed copy
// between overlapping blocks, on the unit grids of the generator tests.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "grid/grid_editing.h"
#include "tests/grid/generation_case.h"

namespace {

using GridEditing = GenerationCase;

std::string Percentages(const std::vector<double>& p) {
    std::string s;
    for (double v : p) {
        s += ' ';
        s += std::to_string(v);
    }
    return s;
}

EngineCall ChangeGrid(const std::string& control) {
    WriteHere("control", control);
    return CallEngine([] {
        gridchange();
        return 0;
    });
}

// Nodes 1..4 by 1..4 (columns 2..4), G 1 3rd 11, bed 10 m and top 11 m.
void ElevenLevels() {
    for (int i = 1; i <= 4; ++i) {
        for (int j = 1; j <= 4; ++j) {
            for (int k = 1; k <= 11; ++k) Gridz[i][j][k] = 10.0 + (k == 11 ? 1.0 : 0.0);
        }
    }
}

TEST_F(GridEditing, ZDataSetRespacesTheLevelsOfItsNodesByPercent) {
    Start(5, 5, 11);
    ElevenLevels();
    const EngineCall call =
        ChangeGrid("G 1 5 5 11 1\nZ 2 3 2 3" + Percentages({0, 10, 20, 30, 40, 50, 60, 70, 80, 90, 100}) +
                   "\nZ 2 2 2 2" + Percentages({5, 10, 20, 30, 40, 50, 60, 70, 80, 90, 100}) + "\n");
    ASSERT_FALSE(call.ended) << call.log;
    EXPECT_NE(call.log.find(" In gridchange \n\n"), std::string::npos);
    EXPECT_NE(call.log.find(" End of gridchange \n\n"), std::string::npos);
    for (int k = 1; k <= 11; ++k) {
        EXPECT_NEAR(Gridz[3][3][k], 10.0 + 0.1 * (k - 1), 1e-12) << k;
        EXPECT_NEAR(Gridz[3][2][k], 10.0 + 0.1 * (k - 1), 1e-12) << k;
    }
    // The second data set acts on the levels the first one left.
    EXPECT_NEAR(Gridz[2][2][1], 10.05, 1e-12);
    EXPECT_NEAR(Gridz[2][2][11], 11.0, 1e-12);
    EXPECT_EQ(Gridz[4][4][5], 10.0);  // outside both ranges
}

TEST_F(GridEditing, ZDataSetsAreCheckedAndReadOnlyAtLineStarts) {
    struct Case {
        const char* name;
        std::string control;
        bool refused;
        const char* message;
    };
    const std::string ten = Percentages({10, 20, 30, 40, 50, 60, 70, 80, 90});
    const Case cases[] = {
        {"first i below 2", "Z 1 3 2 3 0" + ten + " 100\n", true, "Input error for Z in control"},
        {"last j beyond G 1", "Z 2 3 2 6 0" + ten + " 100\n", true, "Input error for Z in control"},
        {"last within 1e-5 of 100", "Z 2 3 2 3 0" + ten + " 99.999995\n", false, ""},
        {"last short of 100", "Z 2 3 2 3 0" + ten + " 99.9999\n", true, "Input error for Z in control"},
        {"above 100", "Z 2 3 2 3 0" + ten + " 100.5\n", true, "Input error for Z in control"},
        {"falling", "Z 2 3 2 3 0 20 10 30 40 50 60 70 80 90 100\n", true, "Input error for Z in control"},
        {"values missing", "Z 2 3 2 3 0 10 20\n", true, "Input error for Z in control"},
        {"title", "T Zone 3\n", false, ""},
        {"inside another data set", "F 2 UZ\n", false, ""},
        {"bad P 3", "P 3 0 1 1 0\n", true, "Input error for P 3 in control"},
    };
    for (const Case& c : cases) {
        Start(5, 5, 11);
        ElevenLevels();
        const EngineCall call = ChangeGrid(c.control);
        EXPECT_EQ(call.ended, c.refused) << c.name << "\n" << call.log;
        if (c.refused) {
            EXPECT_EQ(call.status, kControlRefusedStatus) << c.name;
            EXPECT_NE(call.log.find(c.message), std::string::npos) << c.name << "\n" << call.log;
            EXPECT_EQ(call.log.find(" End of gridchange"), std::string::npos) << c.name;
        } else {
            EXPECT_NE(call.log.find(" End of gridchange \n\n"), std::string::npos) << c.name;
        }
    }
}

TEST_F(GridEditing, FullPercentagesMoveEveryLevelAboveTheBedToTheTop) {
    Start(5, 5, 11);
    ElevenLevels();
    const EngineCall call = ChangeGrid("Z 2 2 2 2 0" + Percentages(std::vector<double>(10, 100.0)) + "\n");
    ASSERT_FALSE(call.ended) << call.log;
    EXPECT_EQ(Gridz[2][2][1], 10.0);
    for (int k = 2; k <= 11; ++k) EXPECT_EQ(Gridz[2][2][k], 11.0) << k;
}

std::vector<double> Plan() {
    std::vector<double> v;
    for (int i = 0; i <= NoGridLinesX + 1; ++i) {
        for (int j = 0; j <= NoGridLinesY + 1; ++j) {
            v.push_back(Gridx[i][j]);
            v.push_back(Gridy[i][j]);
        }
    }
    return v;
}

TEST_F(GridEditing, SmoothingKeepsAUniformGridAndPullsAMovedNodeBack) {
    for (void (*smooth)() : {SmoothGridLaplace, ApplyGridAttractors}) {
        Start(8, 7, 2);
        const std::vector<double> uniform = Plan();
        smooth();
        EXPECT_EQ(Plan(), uniform);
        Gridx[4][3] += 0.3;
        Gridy[5][4] -= 0.2;
        const double fixedY = Gridy[5][4];
        NoFixedPoints = 1;
        FixedPointI[1] = 5;
        FixedPointJ[1] = 4;
        smooth();
        EXPECT_NEAR(Gridx[4][3], 3.0, 0.02);
        EXPECT_EQ(Gridy[5][4], fixedY);
        EXPECT_EQ(Gridx[1][3], 0.0);  // edge nodes stay
    }
}

TEST_F(GridEditing, BlockWithoutInteriorColumnsIsLeftAlone) {
    Start(8, 7, 2);
    BlockTable[1].jLast = BlockTable[1].jFirst;
    Gridx[4][2] += 0.3;
    const std::vector<double> before = Plan();
    SmoothGridLaplace();
    ApplyGridAttractors();
    EXPECT_EQ(Plan(), before);
}

// The moves of the attractor smoothing depend on the block's shape, not on
// where it lies on the map.
TEST_F(GridEditing, AttractorMovesDoNotDependOnTheMapPosition) {
    std::vector<double> moves[2];
    const double shift[2][2] = {{0.0, 0.0}, {500000.0, 6600000.0}};
    for (int run = 0; run < 2; ++run) {
        Start(11, 11, 2);  // nodes 1..10 by 1..10
        for (int i = 1; i <= 10; ++i) {
            for (int j = 1; j <= 10; ++j) {
                Gridx[i][j] += shift[run][0];
                Gridy[i][j] += shift[run][1];
            }
        }
        NoAttractors = 1;
        Attractors[1] = AttractorRecord{5, 5, 0, 1.0, 0.5};
        ApplyGridAttractors();
        for (int i = 1; i <= 10; ++i) {
            for (int j = 1; j <= 10; ++j) {
                moves[run].push_back(Gridx[i][j] - shift[run][0] - (i - 1));
                moves[run].push_back(Gridy[i][j] - shift[run][1] - (j - 1));
            }
        }
    }
    double largest = 0.0;
    for (size_t n = 0; n < moves[0].size(); ++n) {
        EXPECT_NEAR(moves[1][n], moves[0][n], 1e-6) << n;
        largest = std::max(largest, std::fabs(moves[0][n]));
    }
    EXPECT_GT(largest, 0.05);
}

TEST_F(GridEditing, AttractorsOnABlockOfOnePointChangeNothing) {
    Start(6, 6, 2);
    for (int i = 0; i <= NoGridLinesX + 1; ++i) {
        for (int j = 0; j <= NoGridLinesY + 1; ++j) Gridx[i][j] = Gridy[i][j] = 7.0;
    }
    NoAttractors = 1;
    Attractors[1] = AttractorRecord{3, 3, 1, 1.0, 0.5};
    ApplyGridAttractors();
    for (double v : Plan()) EXPECT_EQ(v, 7.0);
}

// Interior nodes moved off a uniform block: the interpolations from the edge
// lines put them back (x, y and bed), the edge lines themselves stay.
TEST_F(GridEditing, InterpolationsRestoreAUniformBlockFromItsEdges) {
    for (void (*interpolate)() : {InterpolateGridBetweenEdges, InterpolateGridBilinear}) {
        Start(8, 7, 2);
        for (int i = 1; i <= 7; ++i) {
            for (int j = 1; j <= 6; ++j) Gridz[i][j][1] = 0.5 * (i - 1);
        }
        const std::vector<double> uniform = Plan();
        for (int i = 2; i <= 6; ++i) {
            for (int j = 2; j <= 5; ++j) {
                Gridx[i][j] += 0.1 * j;
                Gridy[i][j] -= 0.05 * i;
                Gridz[i][j][1] = 9.0;
            }
        }
        interpolate();
        const std::vector<double> after = Plan();
        for (size_t n = 0; n < uniform.size(); ++n) EXPECT_NEAR(after[n], uniform[n], 1e-12) << n;
        for (int i = 2; i <= 6; ++i) EXPECT_NEAR(Gridz[i][3][1], 0.5 * (i - 1), 1e-12) << i;
    }
}

// A fixed node splits its row: the nodes on each side are set linear
// between it and the edge lines.
TEST_F(GridEditing, FixedNodeAnchorsTheInterpolationAlongItsRow) {
    Start(8, 9, 2);  // rows i 2..6, columns j 1..8
    Gridy[4][4] = 5.0;
    Gridz[4][4][1] = 3.0;
    Gridy[4][6] = 40.0;  // not fixed: overwritten
    NoFixedPoints = 1;
    FixedPointI[1] = 4;
    FixedPointJ[1] = 4;
    InterpolateGridBetweenFixedPoints();
    EXPECT_NEAR(Gridy[4][2], 0.0 + 5.0 / 3.0, 1e-12);
    EXPECT_NEAR(Gridy[4][3], 0.0 + 10.0 / 3.0, 1e-12);
    EXPECT_EQ(Gridy[4][4], 5.0);
    EXPECT_NEAR(Gridy[4][6], 5.0 + 2.0 * (7.0 - 5.0) / 4.0, 1e-12);
    EXPECT_NEAR(Gridz[4][2][1], 1.0, 1e-12);
    EXPECT_NEAR(Gridz[4][6][1], 1.5, 1e-12);
}

// The edge lines are re-spaced between their ends and the fixed nodes on
// them; a fixed node off the edges leaves them straight.
TEST_F(GridEditing, EdgeLinesAreRespacedBetweenTheirAnchors) {
    Start(8, 7, 2);  // nodes i 1..7, j 1..6
    Gridx[4][1] = 5.0;  // on the south edge, fixed
    Gridx[2][1] = 7.0;  // on the south edge, not fixed
    Gridy[1][3] = 9.0;  // on the west edge, not fixed
    NoFixedPoints = 2;
    FixedPointI[1] = 4;
    FixedPointJ[1] = 1;
    FixedPointI[2] = 3;
    FixedPointJ[2] = 3;
    EditGridLinesAtFixedPoints();
    EXPECT_NEAR(Gridx[2][1], 5.0 / 3.0, 1e-12);
    EXPECT_NEAR(Gridx[3][1], 10.0 / 3.0, 1e-12);
    EXPECT_EQ(Gridx[4][1], 5.0);
    EXPECT_NEAR(Gridx[5][1], 5.0 + (6.0 - 5.0) / 3.0, 1e-12);
    EXPECT_NEAR(Gridy[1][3], 2.0, 1e-12);
}

void LastFixed(std::initializer_list<std::pair<int, int>> nodes, int count) {
    NoFixedPoints = count;
    int n = count - static_cast<int>(nodes.size()) + 1;
    for (const auto& [i, j] : nodes) {
        FixedPointI[n] = i;
        FixedPointJ[n] = j;
        ++n;
    }
}

TEST_F(GridEditing, LineSegmentFillsAndAppendsTheNodesBetweenTheLastTwoPoints) {
    Start(6, 10, 2);
    Gridx[3][7] = 5.0;
    Gridz[3][7][1] = 3.0;
    LastFixed({{3, 7}, {3, 4}}, 2);
    InterpolateGridLineSegment();
    ASSERT_EQ(NoFixedPoints, 4);
    EXPECT_EQ(FixedPointJ[3], 5);
    EXPECT_EQ(FixedPointJ[4], 6);
    EXPECT_EQ(FixedPointI[4], 3);
    EXPECT_NEAR(Gridz[3][5][1], 1.0, 1e-12);
    EXPECT_NEAR(Gridz[3][6][1], 2.0, 1e-12);
    EXPECT_NEAR(Gridx[3][6], 4.0, 1e-12);

    const double before = Gridx[3][7];
    LastFixed({{3, 7}, {3, 8}}, 2);
    InterpolateGridLineSegment();
    EXPECT_EQ(NoFixedPoints, 2);
    EXPECT_EQ(Gridx[3][7], before);
}

TEST_F(GridEditing, FullFixedPointListStopsAppendingButFillsTheLine) {
    Start(6, 10, 2);
    Gridz[3][7][1] = 3.0;
    LastFixed({{3, 7}, {3, 4}}, kFixedPointSlots - 2);
    const EngineCall call = CallEngine([] {
        InterpolateGridLineSegment();
        return 0;
    });
    ASSERT_FALSE(call.ended) << call.log;
    EXPECT_EQ(NoFixedPoints, kFixedPointSlots - 1);
    EXPECT_EQ(FixedPointJ[kFixedPointSlots - 1], 5);
    EXPECT_NEAR(Gridz[3][6][1], 2.0, 1e-12);
    EXPECT_NE(call.log.find("The list of fixed grid points is full"), std::string::npos) << call.log;
}

// Three points on a circle of radius 10 about (50, 50): the filled nodes lie
// on it, at equal steps along the arc that passes the middle point.
TEST_F(GridEditing, ArcPlacesTheNodesOnTheCircleThroughTheMiddlePoint) {
    const double pi = std::acos(-1.0);
    struct Case {
        double a3, a2, a1;  // angles of P3, P2, P1
        double sweep;       // signed angle from P3 to P1 through P2
    };
    const Case cases[] = {
        {0.0, 0.5 * pi, pi, pi},
        {0.0, 0.3, 1.0, 1.0},
        {0.0, -1.0, 1.0, -(2.0 * pi - 1.0)},  // P2 on the long arc
    };
    for (const Case& c : cases) {
        Start(6, 12, 2);
        const auto place = [](int j, double a) {
            Gridx[3][j] = 50.0 + 10.0 * std::cos(a);
            Gridy[3][j] = 50.0 + 10.0 * std::sin(a);
        };
        place(2, c.a3);
        place(5, c.a2);
        place(10, c.a1);
        LastFixed({{3, 2}, {3, 5}, {3, 10}}, 3);
        InterpolateGridLineArc();
        for (int k = 1; k < 8; ++k) {
            const double a = c.a3 + c.sweep * k / 8.0;
            EXPECT_NEAR(Gridx[3][2 + k], 50.0 + 10.0 * std::cos(a), 1e-9) << c.sweep << " " << k;
            EXPECT_NEAR(Gridy[3][2 + k], 50.0 + 10.0 * std::sin(a), 1e-9) << c.sweep << " " << k;
        }
        EXPECT_EQ(NoFixedPoints, 3);
    }
}

TEST_F(GridEditing, ArcNeedsThreePointsOnOneRow) {
    Start(6, 12, 2);
    const std::vector<double> before = Plan();
    LastFixed({{3, 2}, {4, 5}, {3, 10}}, 3);
    InterpolateGridLineArc();
    LastFixed({{3, 2}, {3, 5}, {3, 3}}, 3);
    InterpolateGridLineArc();
    EXPECT_EQ(Plan(), before);
}

// Two blocks over the same columns, the second one level up.
class BedCopy : public GenerationCase {
protected:
    void Build(int overlap) {
        Start(7, 7, 3);
        for (int i = 1; i <= 6; ++i) {
            for (int j = 1; j <= 6; ++j) {
                Gridx[i][j] = i - 3.0;  // node (3, 3) at the origin
                Gridy[i][j] = j - 3.0;
            }
        }
        const EngineCall call = Generate();
        ASSERT_FALSE(call.ended) << call.log;
        metric();
        BlockTable[2] = BlockTable[1];
        BlockTable[2].overlapLevel = overlap;
        NoBlocks = 2;
        for (int i = 1; i <= 6; ++i) {
            for (int j = 1; j <= 6; ++j) {
                Gridz[i][j][1] = 0.01 * (10 * i + j);
                GridLevels[1][i][j] = Gridz[i][j][1];
            }
        }
    }
    static std::vector<double> Beds() {
        std::vector<double> v;
        for (int i = 1; i <= 6; ++i) {
            for (int j = 1; j <= 6; ++j) v.push_back(Gridz[i][j][1]);
        }
        return v;
    }
};

TEST_F(BedCopy, BlocksWithoutOverlapLevelKeepTheirBeds) {
    Build(0);
    const std::vector<double> before = Beds();
    CopyBedFromOverlappingBlocks();
    EXPECT_EQ(Beds(), before);
}

// A dry column of the upper block has no bottom cell: its slot would read
// cell 0, whose centre is the origin, where node (3, 3) lies.
TEST_F(BedCopy, DryColumnOfTheUpperBlockIsNeverChosen) {
    Build(1);
    Gridz[5][5][0] = 0.0;
    const std::vector<double> before = Beds();
    CopyBedFromOverlappingBlocks();
    // Every node nearest to a column's centre takes the bed of that column's
    // node (i, j), which here is its own.
    EXPECT_EQ(Beds(), before);
    EXPECT_EQ(Gridz[3][3][1], 0.33);
}

}  // namespace
