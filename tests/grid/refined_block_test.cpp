// The refined window of F 130: an 8 x 8 block of unit columns with a planar
// bed, the window 4..5 x 4..5 rebuilt three times finer as block 2.
#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <utility>

#include "grid/grid_invariants.h"
#include "tests/grid/generation_case.h"

namespace {

class RefinedBlock : public GenerationCase {
protected:
    // Nodes x, y = 0..8 at i, j = 1..9 shifted by x0; bed 0.1x + 0.2y, water 5 m.
    void Build(double x0 = 0.0, const std::string& window = "F 130 4 5 4 5\n", int nx = 20, int ny = 40) {
        // F 159 0: a tooth has one wet side in the index plane, which the
        // default removal of weakly connected columns would take away.
        Start(nx, ny, 7, window + "F 299 1\nF 159 0 0 0 0 0\nF 65 4000 12000 8000 50 400\n");
        BlockRecord& b = BlockTable[1];
        b.iLast = 9;
        b.jLast = 9;
        x0_ = x0;
        for (int i = 0; i <= NoGridLinesX + 1; ++i) {
            for (int j = 0; j <= NoGridLinesY + 1; ++j) {
                Gridz[i][j][NoGridLinesZ] = 5.0;
                if (i < 1 || i > 9 || j < 1 || j > 9) continue;
                Gridx[i][j] = x0 + i - 1;
                Gridy[i][j] = j - 1;
                Gridz[i][j][1] = Plane(i - 1, j - 1);
            }
        }
    }

    static double Plane(double x, double y) { return 0.1 * x + 0.2 * y; }

    // The top cell of column (i, j), 0 for a dry column.
    static int Top(int i, int j) {
        int c = static_cast<int>(Gridz[i][j][0]);
        while (c > 0 && Ccellt[c] > 0) c = Ccellt[c];
        return c;
    }

    static bool Joined(int a, int b) {
        const std::set<int> fa{Csurfs[a], Csurfe[a], Csurfn[a], Csurfw[a]};
        const std::set<int> fb{Csurfs[b], Csurfe[b], Csurfn[b], Csurfw[b]};
        for (int p = 1; p <= NoEdgePairs; ++p) {
            const int s = EdgePairs[p][0], t = EdgePairs[p][1];
            if ((fa.count(s) && fb.count(t)) || (fa.count(t) && fb.count(s))) return true;
        }
        return false;
    }

    double x0_ = 0.0;
};

TEST_F(RefinedBlock, AppendsTheBlockWithDryWindowAndJoinedTeeth) {
    Build();
    const EngineCall call = Generate();
    ASSERT_FALSE(call.ended) << call.log;
    ASSERT_EQ(NoBlocks, 2);
    const BlockRecord& r = BlockTable[2];
    EXPECT_EQ(r.iFirst, 2);
    EXPECT_EQ(r.iLast, 13);
    EXPECT_EQ(r.jFirst, 11);
    EXPECT_EQ(r.jLast, 22);
    EXPECT_EQ(r.overlapLevel, 2);
    EXPECT_EQ(r.field8, 1);
    EXPECT_EQ(r.field9, 7);
    EXPECT_EQ(r.field14, 1);
    EXPECT_EQ(r.field15, 0);
    EXPECT_EQ(r.field16, 1);
    EXPECT_EQ(NoEdges, 12);
    EXPECT_EQ(EdgeList[1].iA, 3);  // (I0 + 1, J0) paired with the coarse node (i1 - 2, j1 - 2)
    EXPECT_EQ(EdgeList[1].jA, 11);
    EXPECT_EQ(EdgeList[1].iB, 2);
    EXPECT_EQ(EdgeList[1].jB, 2);

    for (int i = 2; i <= 9; ++i) {
        for (int j = 2; j <= 9; ++j) {
            const bool window = i >= 3 && i <= 6 && j >= 3 && j <= 6;
            EXPECT_EQ(Top(i, j) == 0, window) << "coarse column " << i << "," << j;
        }
    }
    // The ring is dry but for the teeth, each joined to the coarse column beside it.
    const struct {
        int i, j, ci, cj;
    } teeth[] = {{6, 11, 4, 2},  {9, 11, 5, 2},  {6, 22, 4, 7},  {9, 22, 5, 7},
                 {2, 15, 2, 4},  {2, 18, 2, 5},  {13, 15, 7, 4}, {13, 18, 7, 5}};
    for (const auto& t : teeth) {
        ASSERT_GT(Top(t.i, t.j), 0) << "tooth " << t.i << "," << t.j;
        EXPECT_TRUE(Joined(Top(t.i, t.j), Top(t.ci, t.cj))) << "tooth " << t.i << "," << t.j;
    }
    int wetRing = 0;
    for (int i = 2; i <= 13; ++i) wetRing += (Top(i, 11) > 0) + (Top(i, 22) > 0);
    for (int j = 12; j <= 21; ++j) wetRing += (Top(2, j) > 0) + (Top(13, j) > 0);
    EXPECT_EQ(wetRing, 8);
    EXPECT_GT(Top(7, 16), 0);
    // The default generator leaves non-fatal corner-order faults where
    // columns of different layer counts meet (a plain block has them too);
    // nothing of the refinement may leave a fault the flow cannot run with.
    const GridCheck check = CheckGridInvariants();
    const EngineCall metricRun = CallEngine([] {
        metric();
        return 0;
    });
    EXPECT_FALSE(metricRun.ended) << metricRun.log;
    EXPECT_EQ(check.fatal, 0) << [&] { std::string m; for (auto& s : check.messages) m += s + "\n"; return m; }();
}

// Nodes of the subdivision that no copy overwrites lie on the coarse grid
// and the planar bed exactly, also far from the origin, where weights
// rounded to five decimals put (3, 12) 5 m off.
// The refined block needs more boundary records and edge pairs than these
// capacities: a grid missing some of them must end the run, not go on with
// some edges open and others walled off.
TEST_F(RefinedBlock, FullRecordListsEndTheRun) {
    struct Case {
        int* capacity;
        const char* message;
    };
    for (const Case& k : {Case{&MaxBoundaryCells, "Error: the block edges need more than 3 boundary records."},
                          Case{&MaxEdgePairs, "Error: the side edges need more than 3 edge pairs."}}) {
        SCOPED_TRACE(k.message);
        Build();
        *k.capacity = 3;
        const EngineCall call = Generate();
        ASSERT_TRUE(call.ended) << call.log;
        EXPECT_EQ(call.status, -5);
        EXPECT_NE(call.log.find(std::string(k.message) + " Increase with the F 65 data set.\n"), std::string::npos)
            << call.log;
    }
}

TEST_F(RefinedBlock, RefinedNodesAreExactThirds) {
    for (double x0 : {0.0, 500000.0}) {
        Build(x0);
        ASSERT_FALSE(Generate().ended);
        const std::pair<int, int> nodes[] = {{3, 12}, {2, 11}, {1, 10}, {4, 13}, {7, 16},
                                             {8, 17}, {11, 20}, {12, 21}, {5, 19}, {10, 14}};
        for (auto [t, u] : nodes) {
            // Refined node t is coarse node (t - 1) / 3 + 2, i.e. x = (t - 1) / 3 + 1.
            const double x = (t - 1) / 3.0 + 1.0, y = (u - 10) / 3.0 + 1.0;
            EXPECT_NEAR(Gridx[t][u], x0 + x, 1e-9) << t << "," << u << " at " << x0;
            EXPECT_NEAR(Gridy[t][u], y, 1e-9) << t << "," << u;
            EXPECT_NEAR(Gridz[t][u][1], Plane(x, y), 1e-9) << t << "," << u;
        }
    }
}

TEST_F(RefinedBlock, ASecondGenerationAppendsNothing) {
    Build();
    ASSERT_FALSE(Generate().ended);
    const int cells = NoCells;
    ASSERT_FALSE(Generate().ended);
    EXPECT_EQ(NoBlocks, 2);
    EXPECT_EQ(NoEdges, 12);
    EXPECT_EQ(NoCells, cells);
}

TEST_F(RefinedBlock, RefusesAWindowThatDoesNotFit) {
    const struct {
        const char* name;
        std::string window;
        int nx, ny, edges;
    } rows[] = {
        {"last column beyond NX", "F 130 2 6 4 5\n", 20, 40, 0},  // iLast 22
        {"last row beyond NY", "F 130 4 5 4 5\n", 20, 22, 0},     // jLast 22
        {"edge records full", "F 130 4 5 4 5\n", 20, 40, 190},
    };
    for (const auto& r : rows) {
        Build(0.0, r.window, r.nx, r.ny);
        NoEdges = r.edges;
        const EngineCall call = Generate();
        ASSERT_FALSE(call.ended) << r.name << "\n" << call.log;
        EXPECT_EQ(NoBlocks, 1) << r.name;
        EXPECT_EQ(NoEdges, r.edges) << r.name;
        EXPECT_NE(call.log.find("does not fit the grid; no refined block"), std::string::npos) << r.name;
    }
}

}  // namespace
