// The update driver: its routes, the levels it sets by F 36, whether it
// regenerates the grid, and what it leaves for the water-flow drivers.
#include <cmath>

#include "surface/pressure_levels.h"
#include "tests/surface/surface_case.h"

namespace {

class SurfaceUpdate : public SurfaceCase {
protected:
    EngineCall Update() {
        return CallEngine([] {
            surface();
            return 0;
        });
    }
};

struct RouteRow {
    const char* name;
    int byOption, twoD;
    bool optionReference;  // the update found ZRef, the reference of the option route
};

TEST_F(SurfaceUpdate, OtherRoutesReachTheirOperations) {
    const RouteRow rows[] = {
        {"F323", 1, 0, true},
        {"F323BeforeF116", 1, 3, true},
        {"F116", 0, 3, false},
    };
    for (const RouteRow& row : rows) {
        SCOPED_TRACE(row.name);
        SetUp();
        FreeSurfaceOption = 2;
        SurfaceUpdateByOptionFlag = row.byOption;
        Surface2DOption = row.twoD;
        ZRef = SurfaceZRef = -1e20;
        SetTopPressures(9810.0);
        EngineCall call = Update();
        ASSERT_FALSE(call.ended) << call.log;
        EXPECT_EQ(call.log.find("not available"), std::string::npos) << call.log;
        // Neither route touches the driver's own reference.
        EXPECT_EQ(SurfaceZRef, -1e20);
        if (row.optionReference) {
            EXPECT_DOUBLE_EQ(ZRef, 1.0);
            EXPECT_EQ(NoSurfaceUpdates, 1);
        } else {
            EXPECT_EQ(ZRef, -1e20);
            EXPECT_EQ(NoSurfaceUpdates, 0);
        }
        EXPECT_EQ(GridChangedFlag, 1);
    }
}

TEST_F(SurfaceUpdate, PressureLevelsInASedimentRunMoveNodesWithoutRegenerating) {
    FreeSurfaceOption = 2;
    FlagTSC = 1;
    ReservoirBalanceMode = 1;
    SurfaceRelaxation = 1.0;
    const int top = Top(3, 3);
    const double kdist = Ckdist[top];
    // The reference pressure is that of the reference top cell; every other
    // top cell stands 0.1 m of head above it.
    SetTopPressures(0.1 / 0.000101937);
    Pres[top] = 0.0;
    EngineCall call = Update();
    ASSERT_FALSE(call.ended) << call.log;
    EXPECT_DOUBLE_EQ(SurfaceZRef, 1.0);
    EXPECT_NEAR(Node(4, 2), 1.1, 1e-9);  // no column of the node is the reference column
    EXPECT_NEAR(Node(2, 2), 1.075, 1e-9);  // one of four is
    EXPECT_EQ(NewNode(4, 2), Node(4, 2));
    EXPECT_EQ(Ckdist[top], kdist);
    EXPECT_EQ(GridChangedFlag, 1);
    EXPECT_EQ(NoSurfaceUpdates, 1);
    // The surface rose: the volume change is negative.
    EXPECT_LT(SurfaceVolumeChange, -0.4);
    EXPECT_GT(SurfaceVolumeChange, -0.6);
}

TEST_F(SurfaceUpdate, PressureLevelsRegenerateTheCellsUnderTheNewSurface) {
    FreeSurfaceOption = 2;
    SurfaceRelaxation = 1.0;
    SetTopPressures(0.1 / 0.000101937);
    Pres[Top(3, 3)] = 0.0;
    EngineCall call = Update();
    ASSERT_FALSE(call.ended) << call.log;
    const int top = Top(2, 2);
    ASSERT_GT(top, 0);
    // The cells follow the mean of their corner levels, each corner being
    // the mean of its four columns' rise.
    const double corners = Node(1, 1) + Node(2, 1) + Node(1, 2) + Node(2, 2);
    EXPECT_NEAR(Level(top), 0.25 * corners, 1e-9);
    EXPECT_GT(Level(top), 1.05);
    EXPECT_EQ(CinvAp[1], 0.0);
    EXPECT_EQ(GridChangedFlag, 1);
}

// The reference head is taken off the level of each update only: summed
// from update to update it would also sum the slow shift of the pressure's
// constant, and the water would rise without end.
TEST_F(SurfaceUpdate, LevelEquationOfTenTakesTheReferenceHeadOffEachUpdateOnly) {
    FreeSurfaceOption = 10;
    FlagTSC = 1;
    const int top = Top(3, 3);
    const double pressures[] = {981.0, -490.5, 196.2};
    EngineCall call;
    for (double p : pressures) {
        Pres[top] = p;
        call = Update();
        ASSERT_FALSE(call.ended) << call.log;
    }
    EXPECT_EQ(SurfaceZRef, 1.0);
    // The plan equation moved the nodes: both level slots agree, the water at
    // rest stands at the reference plus the head of its top pressure.
    EXPECT_EQ(call.log.find("is not available in this build"), std::string::npos) << call.log;
    EXPECT_EQ(Gridz[3][3][NoGridLinesZ + 1], Node(3, 3));
    EXPECT_NE(Node(3, 3), 1.0);
    EXPECT_EQ(ZRef, -1e20);  // the option route's level is not the driver's
}

TEST_F(SurfaceUpdate, RigidShiftFollowsTheSeriesAndTracesIt) {
    FreeSurfaceOption = 3;
    FlagTSC = 1;
    DebugOption = 'E';
    SetSeries({{{0.0, 1.0, 0.0}, {100.0, 1.1, 0.0}}});
    Node(4, 2) = 1.3;  // a surface with a shape of its own
    const double shape = Node(4, 2) - Node(2, 3);
    for (double t : {50.0, 100.0}) {
        stime = t;
        EngineCall call = Update();
        ASSERT_FALSE(call.ended) << call.log;
        const double series = 1.0 + 0.1 * t / 100.0;
        EXPECT_NEAR(Node(3, 3), series, 1e-12);
        EXPECT_NEAR(Node(4, 2) - Node(2, 3), shape, 1e-9);
        EXPECT_EQ(NewNode(5, 4), Node(5, 4));
    }
    const std::vector<std::string> trace = SplitLines(ReadHere("boogie-t"));
    ASSERT_EQ(trace.size(), 3u);
    EXPECT_EQ(trace[0], "Time     dh    Czcenter   Ckdist   iSurfLocal  iPres  jPres   zval   ZRef");
    char line[300];
    const int top = Top(3, 3);
    std::snprintf(line, sizeof line, "%lf %lf %lf %lf %d %d %d %lf %lf", 100.0, 0.05, Czcenter[top], Ckdist[top], top,
                  3, 3, 1.1, 1.1);
    EXPECT_EQ(trace[2], line);
}

TEST_F(SurfaceUpdate, RigidShiftWithoutSeriesKeepsTheLevelsAndRegenerates) {
    FreeSurfaceOption = 3;
    Node(4, 2) = 1.2;
    EngineCall call = Update();
    ASSERT_FALSE(call.ended) << call.log;
    EXPECT_EQ(Node(4, 2), 1.2);
    EXPECT_EQ(Node(3, 3), 1.0);
    EXPECT_EQ(GridChangedFlag, 1);
    // The cells under the raised node were regenerated.
    EXPECT_GT(Level(Top(4, 2)), 1.0);
}

TEST_F(SurfaceUpdate, TrendSumsAreUsedAndCleared) {
    AllocateTrendSums();
    FreeSurfaceOption = 2;
    FlagTSC = 1;
    TimeAveragingOption = 2;
    SurfaceRelaxation = 1.0;
    // Two samples per column: the means are 0 at the reference and 981 Pa
    // (0.1 m) elsewhere, whatever the instantaneous pressures say.
    SetTopPressures(5000.0);
    for (int i = 2; i <= 5; ++i) {
        for (int j = 2; j <= 4; ++j) {
            GridTrendN[i][j] = 2;
            GridTrendSumX[i][j] = 3;
            GridTrendSumXX[i][j] = 5;
            GridTrendSumY[i][j] = i == 3 && j == 3 ? 0.0 : 2.0 * 0.1 / 0.000101937;
        }
    }
    TimeAverageCounter = 2;
    EngineCall call = Update();
    ASSERT_FALSE(call.ended) << call.log;
    EXPECT_NEAR(Node(4, 2), 1.1, 1e-9);
    // The first node lines of the block keep their levels.
    EXPECT_EQ(Node(1, 2), 1.0);
    EXPECT_EQ(Node(2, 1), 1.0);
    EXPECT_EQ(TimeAverageCounter, 0);
    EXPECT_EQ(GridTrendN[3][3], 0);
    EXPECT_EQ(GridTrendSumY[2][2], 0.0);
}

}  // namespace
