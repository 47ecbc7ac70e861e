// The invariant checker on the fixtures, and each rule it guards broken once.
#include <cmath>
#include <functional>
#include <utility>

#include "grid/grid_invariants.h"
#include "tests/grid/unstruc_case.h"

namespace {

std::string Messages(const GridCheck& check) {
    std::string all;
    for (const std::string& m : check.messages) all += m + "\n";
    return all;
}

TEST_F(UnstrucCase, EveryFixtureKeepsTheInvariants) {
    for (const GridFixture& row : FinishedGrids()) {
        SCOPED_TRACE(row.name);
        StartAndRead(row.control, row.text);
        GridCheck check = CheckGridInvariants();
        EXPECT_TRUE(check.ok()) << Messages(check);
    }
}

// A channel read from a version-4 file gets its cells from the generator;
// the same grid with its cells forgotten is not a finished grid.
TEST_F(UnstrucCase, AGridWithoutItsCellsIsNotFinished) {
    StartAndRead(Channel(4).control, Channel(4).unstruc);
    ASSERT_TRUE(CheckGridInvariants().ok()) << Messages(CheckGridInvariants());
    NoCells = 0;
    GridCheck check = CheckGridInvariants(3);
    EXPECT_FALSE(check.ok());
    EXPECT_GT(check.faults, 3);
    EXPECT_EQ(check.messages.size(), 3u);
}

struct Breakage {
    const char* name;
    std::function<void()> breakIt;
    const char* message;
    bool fatal = false;  // leaves no flow to compute: a read grid is refused
};

void PrintTo(const Breakage& row, std::ostream* os) { *os << row.name; }

class BrokenChannel : public UnstrucCase, public ::testing::WithParamInterface<Breakage> {};

// Channel(3): 4 by 3 columns of 3 cells; cell 1 is the bed cell of column
// (2,2), cell 4 the bed cell of its east neighbour (3,2).
TEST_P(BrokenChannel, IsReported) {
    StartAndRead(Channel(3).control, Channel(3).unstruc);
    ASSERT_TRUE(CheckGridInvariants().ok());
    GetParam().breakIt();
    GridCheck check = CheckGridInvariants();
    EXPECT_FALSE(check.ok());
    EXPECT_NE(Messages(check).find(GetParam().message), std::string::npos) << Messages(check);
    EXPECT_EQ(check.fatal > 0, GetParam().fatal) << Messages(check);
}

const Breakage kBreakages[] = {
    {"NoneSlotHoldsACell", [] { Ccellt[0] = 3; }, "Ccellt[0] = 3, not 0"},
    {"NoneSlotHoldsAVolume", [] { Cvol[0] = 1.0; }, "Cvol[0] = 1, not 0"},
    {"CountAtItsCapacity", [] { NoCells = MaxCeller; }, "NoCells = 200 does not fit its capacity 200", true},
    {"ColumnNotConsecutive", [] { Ccellt[1] = 3; }, "cell 1: the cell above is 3, not 2", true},
    {"NeighbourDoesNotLinkBack", [] { Ccellw[4] = 0; }, "cell 1: east neighbour 4 has 0 as its west neighbour", true},
    {"NeighbourWithItsOwnFace", [] { Csurfw[4] = Csurfs[4]; }, "cell 1: east neighbour 4 has its own surface", true},
    {"FaceInTheWrongSlot",
     [] {
         const int s = Csurfe[1];
         std::swap(Fcell1[s], Fcell2[s]);
     },
     "cell 1: its east surface 2 holds cell 4 in the slot of its side", true},
    {"BoundaryFaceInTheWrongSlot",
     [] {
         const int s = Csurfw[1];
         std::swap(Fcell1[s], Fcell2[s]);
     },
     "cell 1: its west surface", true},
    {"FacePointsTurned",
     [] {
         const int s = Csurfb[1];
         std::swap(Fpoint2[s], Fpoint4[s]);
     },
     "cell 1: point 2 of its bottom surface"},
    {"CornerNotShared", [] { Cpoint1[4] = Cpoint1[1]; }, "cell 4: point 1 of its"},
    {"BedCellWithACellBelow", [] { Gridz[2][2][0] = 2.0; }, "node column (2,2): bottom cell 2 has cell 1 below it"},
    {"BottomCellThatIsNoCell", [] { Gridz[3][3][0] = 40.0; }, "node column (3,3): bottom cell 40 is not a cell"},
    {"BlockRangeBeyondTheCells", [] { BlockTable[1].lastCell = 37; }, "block 1: cells 1 to 37 do not lie within 1 to 36"},
    {"GroupSurfaceThatIsNoSurface", [] { DischargeGroups[1].surfaceList[0] = 142; }, "discharge group 1 lists surface 142", true},
    {"PointNotANumber", [] { Px1[5] = std::nan(""); }, "point 5 has a coordinate that is not a number"},
    {"CellIsItsOwnNeighbour", [] { Ccellt[1] = 1; }, "cell 1: top neighbour 1 is not another cell", true},
    {"NeighbourCycle", [] { Ccellt[3] = 1; }, "cell 1: its top neighbours lead back to it", true},
    {"GroupOnAnInteriorFace", [] { DischargeGroups[1].surfaceList[0] = Csurfe[1]; },
     "discharge group 1 lists surface 2, which lies between cells 1 and 4", true},
    {"GroupOnAnotherGroupsFace", [] { DischargeGroups[2].surfaceList[0] = DischargeGroups[1].surfaceList[0]; },
     "of discharge group 1", true},
    {"LevelCellOutsideTheGrid", [] { CellIndex3[2][2][0] = 1; }, "CellIndex3 of column (2,2) holds a cell"},
};

INSTANTIATE_TEST_SUITE_P(Rows, BrokenChannel, ::testing::ValuesIn(kBreakages),
                         [](const ::testing::TestParamInfo<Breakage>& i) { return std::string(i.param.name); });

TEST_F(UnstrucCase, JoinedColumnsMayKeepTwoSurfaces) {
    StartAndRead(Channel(3).control, Channel(3).unstruc);
    // Cell 4 gets a west face of its own, recorded as an edge pair.
    const int shared = Csurfw[4];
    NoSurfaces += 1;
    const int own = NoSurfaces;
    Fpoint1[own] = Fpoint1[shared];
    Fpoint2[own] = Fpoint2[shared];
    Fpoint3[own] = Fpoint3[shared];
    Fpoint4[own] = Fpoint4[shared];
    Fcell2[own] = 4;
    Fcell2[shared] = 0;
    Csurfw[4] = own;
    GridCheck check = CheckGridInvariants();
    EXPECT_NE(Messages(check).find("cell 1: east neighbour 4 has its own surface"), std::string::npos)
        << Messages(check);
    NoEdgePairs = 1;
    EdgePairs[1][0] = shared;
    EdgePairs[1][1] = own;
    check = CheckGridInvariants();
    EXPECT_TRUE(check.ok()) << Messages(check);
}

}  // namespace
