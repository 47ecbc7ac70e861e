// The set-up after reading a grid file, called again on the channel read
// from its file: 4 by 3 columns (i = 2..5, j = 2..4) of 3 cells.
#include "tests/grid/unstruc_case.h"

namespace {

class GridSetUp : public UnstrucCase {
protected:
    void SetUp() override { StartAndRead(Channel(3).control, Channel(3).unstruc); }
    static EngineCall SetUpAgain() { return CallEngine([] { return SetUpAfterReadingGrid(); }); }
    static int TopCell(int i, int j) {
        int c = static_cast<int>(Gridz[i][j][0]);
        while (Ccellt[c] > 0) c = Ccellt[c];
        return c;
    }
};

TEST_F(GridSetUp, ReferenceCellIsTakenDownToItsBedCellAndLocated) {
    FreeSurfaceOption = 2;
    ReferenceCell = TopCell(3, 3);
    EngineCall call = SetUpAgain();
    ASSERT_FALSE(call.ended) << call.log;
    EXPECT_EQ(ReferenceCell, static_cast<int>(Gridz[3][3][0]));
    EXPECT_EQ(iPres, 3);
    EXPECT_EQ(jPres, 3);
    EXPECT_NE(call.log.find("G 6/62 2D reference indexes: 3 3 0 0\n"), std::string::npos);
}

TEST_F(GridSetUp, ReferenceCellOutsideItsGroupEndsTheRun) {
    FreeSurfaceOption = 2;
    ReferenceCell = TopCell(3, 3);
    ReferenceCellGroup = 1;
    EngineCall call = SetUpAgain();
    ASSERT_TRUE(call.ended);
    EXPECT_EQ(call.status, -4);
    EXPECT_NE(call.log.find("Error in G 6 or G 62 data set: Cell number " + std::to_string(ReferenceCell) +
                            " is not in discharge group 1\n"),
              std::string::npos);
}

TEST_F(GridSetUp, ReferenceCellBeyondTheGridEndsTheRun) {
    FreeSurfaceOption = 2;
    ReferenceCell = NoCells + 5;
    EngineCall call = SetUpAgain();
    ASSERT_TRUE(call.ended);
    EXPECT_EQ(call.status, -1);
    EXPECT_NE(call.log.find("Have not found (i,j) indexes\n"), std::string::npos);
}

TEST_F(GridSetUp, StricklerRoughnessStaysInTheGlobal) {
    WallRoughness = -2.0;
    StricklerCoefficient = 50.0;
    ASSERT_FALSE(SetUpAgain().ended);
    EXPECT_NEAR(WallRoughness, 0.0197706, 1e-6);
    EXPECT_DOUBLE_EQ(GridBedRough[3][3], WallRoughness);
}

TEST_F(GridSetUp, MonitorsGetTheirColumnAndLevelAndBadCellsAreSkipped) {
    NoTimeoRecords = 1;
    TimeoRecords[0].noItems = 2;
    TimeoRecords[0].value[0] = TopCell(4, 2);
    TimeoRecords[0].value[1] = NoCells + 1;
    EngineCall call = SetUpAgain();
    ASSERT_FALSE(call.ended) << call.log;
    EXPECT_EQ(TimeoRecords[0].cellLevel[0], 2);
    EXPECT_EQ(TimeoRecords[0].columnI[0], 4);
    EXPECT_EQ(TimeoRecords[0].columnJ[0], 2);
    EXPECT_EQ(TimeoRecords[0].columnI[1], 0);
    EXPECT_NE(call.log.find("Warning: 1 timei monitor items name no cell of the grid; skipped\n"), std::string::npos);
}

}  // namespace
