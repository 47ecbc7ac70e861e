// Water columns and discharge-group surfaces on the channel read from its
// grid file: 4 by 3 columns (i = 2..5, j = 2..4) of 3 cells, 1.5 m wide and
// 1 m deep, an inflow group at the west end and an outflow group at the east.
#include <cmath>
#include <vector>

#include "surface/surface_services.h"
#include "tests/grid/unstruc_case.h"

namespace {

class ChannelColumns : public UnstrucCase {
protected:
    void SetUp() override { StartAndRead(Channel(3).control + control_, Channel(3).unstruc); }
    std::string control_;
};

TEST_F(ChannelColumns, NumberedBlockByBlockIOuterJInner) {
    EXPECT_EQ(NoBedCells, 12);
    EXPECT_EQ(BlockTable[1].firstColumn, 1);
    EXPECT_EQ(BlockTable[1].lastColumn, 12);
    int n = 0;
    for (int i = 2; i <= 5; ++i) {
        for (int j = 2; j <= 4; ++j) {
            ++n;
            EXPECT_EQ(pointbed[i][j], n);
            EXPECT_EQ(Bkooi[n], i);
            EXPECT_EQ(Bkooj[n], j);
            EXPECT_DOUBLE_EQ(Barea[n], PlanArea[i][j]);
        }
    }
    for (int j = 0; j <= NoGridLinesY + 1; ++j) {
        EXPECT_EQ(pointbed[1][j], 0);
        EXPECT_EQ(pointbed[6][j], 0);
    }
    for (int i = 0; i <= NoGridLinesX + 1; ++i) EXPECT_EQ(pointbed[i][5], 0);
}

TEST_F(ChannelColumns, EachColumnHoldsItsCellsAndDepth) {
    for (int n = 1; n <= NoBedCells; ++n) {
        SCOPED_TRACE(n);
        EXPECT_EQ(Bnocells[n], 3);
        double sum = 0.0;
        int cells = 0;
        for (int c = Bcellt[n]; c > 0; c = Ccellt[c], ++cells) {
            EXPECT_EQ(Cbedcell[c], n);
            sum += Ckdist[c];
        }
        EXPECT_EQ(cells, 3);
        EXPECT_DOUBLE_EQ(Bdepth[n], 2.0 * sum);
        EXPECT_NEAR(Bdepth[n], 1.0, 1e-12);
    }
    EXPECT_EQ(Cbedcell[0], 0);
}

TEST_F(ChannelColumns, ASecondCallRebuildsTheCellsButNotTheNumbering) {
    Bkooi[1] = -7;
    pointbed[2][2] = 5;
    Bcellt[1] = 0;
    Bdepth[1] = 0.0;
    for (int c = 1; c <= NoCells; ++c) Cbedcell[c] = 0;
    UpdateWaterColumnsAfterRegrid();
    EXPECT_EQ(Bkooi[1], -7);
    EXPECT_EQ(pointbed[2][2], 5);
    EXPECT_EQ(Bcellt[1], static_cast<int>(Gridz[2][2][0]));
    EXPECT_NEAR(Bdepth[1], 1.0, 1e-12);
    EXPECT_EQ(Cbedcell[Bcellt[1]], 1);
}

TEST_F(ChannelColumns, ADryColumnHasNoCells) {
    Gridz[3][3][0] = 0.0;
    const int n = pointbed[3][3];
    UpdateWaterColumnsAfterRegrid();
    EXPECT_EQ(Bcellt[n], 0);
    EXPECT_EQ(Bnocells[n], 0);
    EXPECT_EQ(Bdepth[n], 0.0);
}

// Inflow at the west end, outflow at the east end: a full cross-section each.
TEST_F(ChannelColumns, EndGroupsCoverTheCrossSection) {
    for (int g : {1, 2}) {
        SCOPED_TRACE(g);
        const DischargeGroupRecord& r = DischargeGroups[g];
        EXPECT_EQ(r.noSurfaces, 9);
        EXPECT_NEAR(r.area, 1.5 * 1.0, 1e-9);
        const int mark = g == 1 ? 1 : -2;
        const int i = g == 1 ? 2 : 5;
        for (int j = 2; j <= 4; ++j) {
            for (int c = static_cast<int>(Gridz[i][j][0]); c > 0; c = Ccellt[c]) EXPECT_EQ(CdischargeGroup[c], mark);
        }
    }
    EXPECT_EQ(CdischargeGroup[static_cast<int>(Gridz[3][3][0])], 0);
}

TEST_F(ChannelColumns, LevelsSelectCellsCountedFromTheSurface) {
    DischargeGroups[1].fromLevel = 4;
    DischargeGroups[1].toLevel = 4;
    DischargeGroups[1].noSurfaces = 0;
    FindDischargeGroupSurfaces(1);
    ASSERT_EQ(DischargeGroups[1].noSurfaces, 3);
    int top = static_cast<int>(Gridz[2][2][0]);
    while (Ccellt[top] > 0) top = Ccellt[top];
    EXPECT_EQ(DischargeGroups[1].surfaceList[0], Csurfw[top]);
}

TEST_F(ChannelColumns, AGroupBelowEveryCellWarnsOfZeroArea) {
    DischargeGroups[1].toLevel = 1;
    EngineCall call = CallEngine([] {
        FindDischargeGroupsParallel();
        return 0;
    });
    ASSERT_FALSE(call.ended);
    EXPECT_EQ(DischargeGroups[1].noSurfaces, 0);
    EXPECT_EQ(DischargeGroups[1].area, 0.0);
    EXPECT_NE(call.log.find("\nWarning: Zero inflow/outflow area for discharge group no. 1\n"
                            "Possible problem: levels in discharge struct below bed\n"
                            "Top level group 1: 1, top node: 4\n"
                            "Low level group 1: 1\n"
                            "Bkooi[3] = 2, Bkooj[3] = 4\n\n"),
              std::string::npos)
        << call.log;
    EXPECT_EQ(GridRegeneratedFlag, 0);
}

// A point farther than a tenth of the cell size from every edge midpoint finds nothing.
TEST_F(ChannelColumns, PointsOffTheBoundaryFindNothing) {
    DischargeGroups[1].pointX[0] = 0.2;
    DischargeGroups[1].pointX[1] = 0.2;
    DischargeGroups[1].pointX[2] = 0.05;
    DischargeGroups[1].noSurfaces = 0;
    FindDischargeGroupSurfaces(1);
    EXPECT_EQ(DischargeGroups[1].noSurfaces, 3);
}

std::vector<int> Surfaces(int g) {
    const DischargeGroupRecord& r = DischargeGroups[g];
    return std::vector<int>(r.surfaceList, r.surfaceList + r.noSurfaces);
}

TEST_F(ChannelColumns, SerialAndThreadedSearchesAgree) {
    NoThreads = 0;
    FindDischargeGroupsParallel();
    const std::vector<int> serial1 = Surfaces(1), serial2 = Surfaces(2);
    const std::vector<int> marks(&CdischargeGroup[0], &CdischargeGroup[0] + NoCells + 1);
    NoThreads = 4;
    FindDischargeGroupsParallel();
    EXPECT_EQ(Surfaces(1), serial1);
    EXPECT_EQ(Surfaces(2), serial2);
    EXPECT_EQ(std::vector<int>(&CdischargeGroup[0], &CdischargeGroup[0] + NoCells + 1), marks);
}

class ChannelEndGroups : public ChannelColumns {
protected:
    ChannelEndGroups() { control_ = "F 314 1 0\n"; }
};

// F 314 rebuilds group 1 from the west node line whatever the file held.
TEST_F(ChannelEndGroups, AreBuiltAcrossTheWestEnd) {
    const DischargeGroupRecord& r = DischargeGroups[1];
    EXPECT_EQ(r.toLevel, 170);
    EXPECT_EQ(r.noPoints, 3);
    EXPECT_EQ(r.noSurfaces, 9);
    EXPECT_NEAR(r.area, 1.5, 1e-9);
}

}  // namespace
