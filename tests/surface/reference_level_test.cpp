// The reference of the surface updates: which cell and level anchor an
// update, how a dry reference ends the run, the `timei` level series, and
// how the plan level equation is held at the reference.
#include <array>
#include <cmath>
#include <cstring>
#include <functional>
#include <vector>

#include "run/status.h"
#include "run/timei_data.h"
#include "tests/surface/surface_case.h"

namespace {

class ReferenceLevel : public SurfaceCase {};

struct ReferenceRow {
    const char* name;
    std::function<void()> arrange;
    int status;           // 0: the update goes on
    int top;              // expected reference top cell as (i, j) of its column; 0 none
    int topI, topJ;
    int group;            // expected ZRefGroup
    const char* logText;  // "" for none
};

// The outflow group 2 holds the east column (i = 5).
std::vector<ReferenceRow> ReferenceRows() {
    return {
        {"Wet", [] {}, 0, 1, 3, 3, -1, ""},
        {"DryWithoutGroup", [] { Gridz[3][3][0] = 0.0; }, -5, 0, 0, 0, -1,
         "Error 1 in Surface update, reference cell 3 3 is dry\n"
         "This may be due to drying up of the reference cell area\n"
         "If the 2D index does not fit, the problem may be due to that\n"
         "the choise of the number of the G 6 data set was done when F 112 1\n"
         "was used in the control file\n\n"},
        {"DryWithGroup",
         [] {
             iPres = 5;
             ZRefGroup = 2;
             Gridz[5][3][0] = 0.0;
         },
         0, 1, 5, 3, 2, ""},
        {"GroupWithoutSurfaces",
         [] {
             iPres = 5;
             ZRefGroup = 2;
             Gridz[5][3][0] = 0.0;
             DischargeGroups[2].noSurfaces = 0;
         },
         -5, 0, 0, 0, 2, "Error 2 in Surface update, reference cell is dry\n"},
        {"RigidShiftGoesOnDry",
         [] {
             FreeSurfaceOption = 3;
             Gridz[3][3][0] = 0.0;
         },
         0, 0, 0, 0, -1, ""},
        {"HigherOutflowGroupWins",
         [] {
             iPres = 5;
             ReferenceCellGroup = 1;
             std::memcpy(&DischargeGroups[4], &DischargeGroups[2], sizeof(DischargeGroupRecord));
         },
         0, 1, 5, 3, 4, ""},
        {"InflowGroupIsNoReferenceGroup",
         [] {
             iPres = 2;
             ReferenceCellGroup = 1;
         },
         0, 1, 2, 3, -1, ""},
        {"IndexBeyondTheGridLines", [] { iPres = 400; }, -5, 0, 0, 0, -1,
         "Error 1 in Surface update, reference cell 400 3 is dry\n"},
    };
}

TEST_F(ReferenceLevel, FindsTheReferenceOrStops) {
    for (const ReferenceRow& row : ReferenceRows()) {
        SCOPED_TRACE(row.name);
        SetUp();
        FreeSurfaceOption = 2;
        const int expected = row.top != 0 ? Top(row.topI, row.topJ) : 0;
        const double node = Node(3, 3);
        row.arrange();
        SetTopPressures(500.0);
        EngineCall call = CallEngine([] {
            FindReferenceCell();
            return 0;
        });
        if (row.status != 0) {
            EXPECT_TRUE(call.ended);
            EXPECT_EQ(call.status, row.status);
        } else {
            ASSERT_FALSE(call.ended) << call.log;
            if (row.top != 0) {
                // A group's middle surface lies in the middle column of the east end.
                EXPECT_DOUBLE_EQ(ZRef, Level(expected));
                EXPECT_DOUBLE_EQ(PresRef, 500.0);
            } else {
                EXPECT_DOUBLE_EQ(ZRef, node);
            }
            EXPECT_EQ(NoSurfaceUpdates, 1);
        }
        EXPECT_EQ(ZRefGroup, row.group);
        if (*row.logText != '\0') {
            EXPECT_NE(call.log.find(row.logText), std::string::npos) << call.log;
        }
    }
}

TEST_F(ReferenceLevel, DryReferenceAnnouncesThePause) {
    FreeSurfaceOption = 2;
    Gridz[3][3][0] = 0.0;
    EngineCall call = CallEngine([] {
        FindReferenceCell();
        return 0;
    });
    ASSERT_TRUE(call.ended);
    EXPECT_EQ(call.status, -5);
    EXPECT_STREQ(ModuleName, "Error, reference cell 3 3 is dry      ");
    EXPECT_EQ(PauseFlag, 11);
    EXPECT_STREQ(StatusText, "PauseFlag = 11");
    EXPECT_EQ(NoSurfaceUpdates, 0);
}

TEST_F(ReferenceLevel, LevelIsSetOnceWithoutSeriesOrGroups) {
    FreeSurfaceOption = 2;
    stime = 5.0;
    FindReferenceCell();
    const double first = ZRef;
    Gridz[3][3][0] = Bottom(3, 3);
    Ckdist[Top(3, 3)] += 0.1;  // the column's level rises by 0.1
    stime = 7.0;
    FindReferenceCell();
    EXPECT_DOUBLE_EQ(ZRef, first);
    EXPECT_EQ(NoSurfaceUpdates, 2);
    EXPECT_DOUBLE_EQ(LastSurfaceUpdateTime, 7.0);
    EXPECT_DOUBLE_EQ(PreviousSurfaceUpdateTime, 5.0);
    // A second reference column makes the level follow the column.
    ReferenceCell2 = 1;
    iPres2 = 4;
    jPres2 = 2;
    FindReferenceCell();
    EXPECT_DOUBLE_EQ(ZRef, first + 0.1);
    EXPECT_DOUBLE_EQ(ZRef2, Level(Top(4, 2)));
}

TEST_F(ReferenceLevel, DebugLineNamesTheReference) {
    FreeSurfaceOption = 2;
    DebugOption = 'D';
    EngineCall call = CallEngine([] {
        FindReferenceCell();
        return 0;
    });
    char line[200];
    std::snprintf(line, sizeof line, "In surface generation, iSurfLocal = %d, iSurfLocal2 = 0, ZRef = 1, ZRef2 = 0\n",
                  Top(3, 3));
    EXPECT_NE(call.log.find(line), std::string::npos) << call.log;
}

struct SeriesRow {
    const char* name;
    std::vector<std::array<double, 3>> rows;
    double time;
    double level;
};

TEST_F(ReferenceLevel, FollowsTheTimeiSeries) {
    const std::vector<std::array<double, 3>> three = {{{10.0, 1.0, 0.0}, {20.0, 2.0, 0.0}, {40.0, 1.0, 0.0}}};
    const std::vector<SeriesRow> rows = {
        {"AtARow", three, 20.0, 2.0},
        {"BetweenRows", three, 30.0, 1.5},
        {"BeforeTheFirstRowExtrapolates", three, 5.0, 0.5},
        {"AfterTheLastRow", three, 50.0, 1.0},
        {"OneRowAtAllTimes", {{{10.0, 1.25, 0.0}}}, 0.0, 1.25},
        {"OneRowLater", {{{10.0, 1.25, 0.0}}}, 99.0, 1.25},
    };
    for (const SeriesRow& row : rows) {
        SCOPED_TRACE(row.name);
        FreeSurfaceOption = 2;
        SetSeries(row.rows);
        stime = row.time;
        FindReferenceCell();
        EXPECT_NEAR(ZRef, row.level, 1e-12);
    }
}

class FixReference : public SurfaceCase {
protected:
    void Clear() {
        for (int c = 0; c <= NoCells; ++c) Cap[c] = Csource[c] = Cf[c] = 0.0;
    }
};

TEST_F(FixReference, HoldsTheCorrectionOrTheLevel) {
    const int top = Top(3, 3);
    const int bed = Bottom(3, 3);
    ZRef = Level(top) + 0.2;
    for (int option : {4, 9}) {
        SCOPED_TRACE(option);
        FreeSurfaceOption = option;
        Clear();
        FixReferenceLevel();
        EXPECT_EQ(Cap[bed], 1e20);
        EXPECT_DOUBLE_EQ(Csource[bed], (option == 9 ? ZRef : 0.2) * 1e20);
    }
}

TEST_F(FixReference, GroupDischargesEnterTheLevelEquationWithTheirSigns) {
    FreeSurfaceOption = 9;
    ZRef = -5.0;  // below every start value, which therefore stays
    GroupDischarge[1] = GroupDischarge[2] = 250.0;
    Clear();
    FixReferenceLevel();
    const double q = 0.25 / DischargeGroups[1].area;
    for (int j = 2; j <= 4; ++j) {
        SCOPED_TRACE(j);
        const int west = Bottom(2, j), east = Bottom(5, j);
        // Each end column takes the flux of its three side faces over its bed area.
        double inflow = 0.0, outflow = 0.0;
        for (int c = west; c > 0; c = Ccellt[c]) inflow += Farea[Csurfw[c]] * q / Fareaz[Csurfb[west]];
        for (int c = east; c > 0; c = Ccellt[c]) outflow += Farea[Csurfe[c]] * q / Fareaz[Csurfb[east]];
        EXPECT_NEAR(Csource[west], inflow, 1e-12);
        EXPECT_NEAR(Csource[east], -outflow, 1e-12);
        EXPECT_GT(inflow, 0.0);
    }
}

TEST_F(FixReference, DryColumnsAndSlotZeroStayEmpty) {
    FreeSurfaceOption = 9;
    ZRef = 3.0;
    ReferenceCell2 = 1;
    iPres2 = 4;
    jPres2 = 4;
    Gridz[4][4][0] = 0.0;  // the second reference column is dry
    Clear();
    FixReferenceLevel();
    EXPECT_EQ(Cap[0], 0.0);
    EXPECT_EQ(Csource[0], 0.0);
    EXPECT_EQ(Cf[0], 0.0);
    EXPECT_EQ(Cap[Bottom(3, 3)], 1e20);

    // With one reference every wet column starts at the reference level at least.
    ReferenceCell2 = 0;
    Clear();
    FixReferenceLevel();
    EXPECT_EQ(Cf[0], 0.0);
    EXPECT_EQ(Cf[Bottom(2, 2)], 3.0);
}

TEST_F(ReferenceLevel, GroupNodesTakeTheReferenceLevel) {
    ZRefGroup = 2;
    SetGroupLevelsToZRef();  // ZRef still unset: nothing may go wrong
    ZRef = 1.7;
    const double before = NewNode(5, 2);
    SetGroupLevelsToZRef();
    // The east end's open sides: the outlet (node line i = 5) and the banks.
    for (int j = 1; j <= 4; ++j) EXPECT_EQ(Node(5, j), 1.7) << j;
    EXPECT_EQ(Node(4, 1), 1.7);
    EXPECT_EQ(Node(4, 4), 1.7);
    EXPECT_NE(Node(3, 2), 1.7);
    EXPECT_EQ(NewNode(5, 2), before);
}

}  // namespace
