// Joining the top cells of columns of different blocks along their open
// sides, on hand-built columns of unit plan squares.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "grid/grid_services.h"
#include "run/globals.h"
#include "tests/support/control_text.h"
#include "tests/support/grid_engine.h"

namespace {

TEST(CompareEdges, MatchesWithinTheTolerance) {
    struct Row {
        const char* name;
        double xA, xB, x1, x2, yA, yB, y1, y2;
        int expected;
    };
    const Row rows[] = {
        {"same order", 0, 1, 0, 1, 0, 0, 0, 0, 1},
        {"reversed", 0, 1, 1, 0, 0, 2, 2, 0, 2},
        {"inside the tolerance", 0, 1, 0.5e-5, 1, 0, 0, 0, -0.5e-5, 1},
        {"x off by the tolerance", 0, 1, 1e-5, 1, 0, 0, 0, 0, 0},
        {"y off by the tolerance", 0, 1, 0, 1, 0, 0, 0, 1e-5, 0},
        {"one end only", 0, 1, 0, 2, 0, 0, 0, 0, 0},
        {"a point edge matches in the same order first", 3, 3, 3, 3, 4, 4, 4, 4, 1},
    };
    InProjectDir here;
    ResetGlobals();
    for (const Row& r : rows) {
        EXPECT_EQ(CompareEdges(r.xA, r.xB, r.x1, r.x2, r.yA, r.yB, r.y1, r.y2), r.expected) << r.name;
    }
}

// Columns of unit plan squares built straight into the cell arrays, each
// with points and faces of its own as a generator of a separate block makes
// them: cells numbered from the bed up, side faces open (a wall).
class SideEdges : public ::testing::Test {
protected:
    void Start(int pairCapacity) {
        WriteHere("control", "G 1 8 8 5 1\nF 65 200 800 400 10 " + std::to_string(pairCapacity) + "\n");
        EngineCall start = StartEngineHere();
        ASSERT_FALSE(start.ended) << start.log;
        FirstCell = 1;
    }

    // Returns the column's cells, bed cell first.
    std::vector<int> Column(int layers, double x0, double y0) {
        std::vector<int> cells;
        for (int l = 0; l < layers; ++l) {
            const int c = ++NoCells;
            cells.push_back(c);
            const double xs[4] = {x0, x0 + 1, x0 + 1, x0}, ys[4] = {y0, y0, y0 + 1, y0 + 1};
            Array1<int>* corners[4] = {&Cpoint1, &Cpoint2, &Cpoint3, &Cpoint4};
            for (int k = 0; k < 4; ++k) {
                (*corners[k])[c] = ++NoPoints;
                Px1[NoPoints] = xs[k];
                Py1[NoPoints] = ys[k];
            }
            // A wall face keeps its cell in the slot of the cell's side.
            Csurfs[c] = ++NoSurfaces;
            Fcell2[NoSurfaces] = c;
            Csurfw[c] = ++NoSurfaces;
            Fcell2[NoSurfaces] = c;
            Csurfe[c] = ++NoSurfaces;
            Fcell1[NoSurfaces] = c;
            Csurfn[c] = ++NoSurfaces;
            Fcell1[NoSurfaces] = c;
            if (l > 0) {
                Ccellb[c] = c - 1;
                Ccellt[c - 1] = c;
            }
        }
        LastCell = NoCells;
        return cells;
    }

    InProjectDir here_;
};

// West column of 3 layers beside an east column of 5: which cell of the
// east column each west cell meets, and the pairs stored.
struct JoinCase {
    const char* name;
    int algorithm;
    bool fromWest;  // the west column's top cell asks, else the east one's
    std::vector<int> westNeighbours;  // east neighbour of west cells, bed first (as east-column levels 0..4)
    std::vector<int> eastNeighbours;  // west neighbour of east cells, bed first (west levels, -1 none)
};

void PrintTo(const JoinCase& c, std::ostream* os) { *os << c.name; }

class SideEdgeJoin : public SideEdges, public ::testing::WithParamInterface<JoinCase> {};

TEST_P(SideEdgeJoin, JoinsLevelByLevelFromTheTop) {
    const JoinCase& c = GetParam();
    Start(10);
    GridAlgorithm = c.algorithm;
    const std::vector<int> west = Column(3, 0, 0), east = Column(5, 1, 0);
    const int result = c.fromWest ? AddSurfaceEdge(Cpoint2[west[2]], Cpoint3[west[2]], west[2], 2)
                                  : AddSurfaceEdge(Cpoint4[east[4]], Cpoint1[east[4]], east[4], 4);
    EXPECT_EQ(result, 1);
    for (int l = 0; l < 3; ++l) {
        const int w = west[l], e = east[c.westNeighbours[l]];
        EXPECT_EQ(Ccelle[w], e) << "west level " << l;
        EXPECT_EQ(Fcell1[Csurfe[w]], w);
        EXPECT_EQ(Fcell2[Csurfe[w]], e);
        EXPECT_EQ(Fcell1[Csurfw[e]], w);
        EXPECT_EQ(Fcell2[Csurfw[e]], e);
    }
    for (int l = 0; l < 5; ++l) {
        const int expected = c.eastNeighbours[l] < 0 ? 0 : west[c.eastNeighbours[l]];
        EXPECT_EQ(Ccellw[east[l]], expected) << "east level " << l;
        if (expected == 0) {
            EXPECT_EQ(Fcell1[Csurfw[east[l]]], 0) << "east level " << l;
        }
    }
    // One pair per joined level, the face of the west cell first.
    ASSERT_EQ(NoEdgePairs, 3);
    for (int l = 0; l < 3; ++l) {
        const int w = west[2 - l], e = east[c.westNeighbours[2 - l]];
        EXPECT_EQ(EdgePairs[l + 1][0], Csurfe[w]) << "pair " << l + 1;
        EXPECT_EQ(EdgePairs[l + 1][1], Csurfw[e]) << "pair " << l + 1;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Algorithms, SideEdgeJoin,
    ::testing::Values(JoinCase{"TopLevelsOnlyFromWest", 0, true, {2, 3, 4}, {-1, -1, 0, 1, 2}},
                      JoinCase{"TopLevelsOnlyFromEast", 0, false, {2, 3, 4}, {-1, -1, 0, 1, 2}},
                      JoinCase{"BedCellsMeetFromWest", 11, true, {0, 3, 4}, {0, -1, -1, 1, 2}},
                      JoinCase{"BedCellsMeetFromEast", 11, false, {0, 3, 4}, {0, -1, -1, 1, 2}}),
    [](const auto& p) { return std::string(p.param.name); });

TEST_F(SideEdges, NoPartnerChangesNothing) {
    Start(10);
    const std::vector<int> west = Column(2, 0, 0);
    // A column one unit away; one whose matching side already has a
    // neighbour; one whose only open matching side is below its top cell.
    const std::vector<int> far = Column(2, 2, 0), taken = Column(1, 1, 0), lower = Column(2, 1, 0);
    Ccellw[taken[0]] = far[0];
    Ccellw[lower[1]] = far[1];
    EXPECT_EQ(AddSurfaceEdge(Cpoint2[west[1]], Cpoint3[west[1]], west[1], 2), 0);
    EXPECT_EQ(Ccelle[west[1]], 0);
    EXPECT_EQ(Ccellw[lower[0]], 0);
    EXPECT_EQ(Fcell1[Csurfe[west[1]]], west[1]);
    EXPECT_EQ(Fcell2[Csurfe[west[1]]], 0);
    EXPECT_EQ(NoEdgePairs, 0);
}

TEST_F(SideEdges, FullPairListStopsTheJoin) {
    // Room for two pairs: a capacity of 3 keeps at most 2.
    Start(3);
    GridAlgorithm = 0;
    const std::vector<int> west = Column(4, 0, 0), east = Column(4, 1, 0), north = Column(2, 0, 1);
    EXPECT_EQ(AddSurfaceEdge(Cpoint2[west[3]], Cpoint3[west[3]], west[3], 2), -47);
    EXPECT_EQ(NoEdgePairs, 2);
    // The level that found the list full is joined; the levels below are not.
    EXPECT_EQ(Ccelle[west[1]], east[1]);
    EXPECT_EQ(Ccellw[east[1]], west[1]);
    EXPECT_EQ(Ccelle[west[0]], 0);
    EXPECT_EQ(Ccellw[east[0]], 0);
    EXPECT_EQ(EdgePairs[2][0], Csurfe[west[2]]);
    // The next side with a partner fails the same way.
    EXPECT_EQ(AddSurfaceEdge(Cpoint3[west[3]], Cpoint4[west[3]], west[3], 3), -47);
    EXPECT_EQ(Ccelln[west[3]], north[1]);
    EXPECT_EQ(NoEdgePairs, 2);
    const std::vector<std::string> log = SplitLines(ReadHere("boogie"));
    EXPECT_EQ(std::count(log.begin(), log.end(), "Error, increase 5th integer on F 65 data set, now at: 3"), 2);
}

TEST_F(SideEdges, FullPairListWithoutLog) {
    Start(2);
    const std::vector<int> west = Column(1, 0, 0), east = Column(1, 1, 0);
    NoEdgePairs = 1;  // the one pair a capacity of 2 holds
    std::remove("boogie");
    std::filesystem::create_directory("boogie");
    EXPECT_EQ(AddSurfaceEdge(Cpoint2[west[0]], Cpoint3[west[0]], west[0], 2), -47);
    EXPECT_EQ(std::string(StatusText), "cannot open file 'boogie' ");
    EXPECT_EQ(Ccelle[west[0]], east[0]);
    EXPECT_EQ(NoEdgePairs, 1);
}

}  // namespace
