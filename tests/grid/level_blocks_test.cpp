// The blocks appended behind a generated grid: the depth-averaged block and
// the grid levels, on a block of 3 x 2 columns.
#include <gtest/gtest.h>

#include <string>

#include "grid/grid_data.h"
#include "grid/grid_services.h"
#include "grid/level_blocks.h"
#include "run/globals.h"
#include "solver/solver_data.h"
#include "tests/grid/generation_case.h"

namespace {

class AppendedBlocks : public GenerationCase {
protected:
    // Columns 2..4 by 2..3, 1 m deep, in 4 layers.
    void Make(const std::string& control = "") {
        Start(5, 4, 5, control);
        const EngineCall call = Generate();
        ASSERT_EQ(call.result, 1) << call.log;
        structured_ = FileNoBlocks;
    }
    static const BlockRecord& Last() { return BlockTable[NoBlocks]; }
    static int Count(const BlockRecord& r) { return r.lastCell - r.firstCell + 1; }
    int structured_ = 0;
};

TEST_F(AppendedBlocks, OneDepthAveragedCellPerWetColumnAndNoneInTheGridFile) {
    Make("F 68 1\n");
    ASSERT_EQ(NoBlocks, structured_ + 1);
    EXPECT_EQ(Last().depthAveraged, 1);
    EXPECT_EQ(Count(Last()), 6);
    EXPECT_EQ(FileNoCells, Last().firstCell - 1);
    EXPECT_EQ(FirstCell, Last().firstCell);
    for (int c = Last().firstCell; c <= Last().lastCell; ++c) {
        EXPECT_EQ(C2DFlag[c], 1);
        const int bottom = static_cast<int>(Gridz[CellColumnI(c)][CellColumnJ(c)][0]);
        ASSERT_GT(bottom, 0) << c;
        EXPECT_LT(bottom, Last().firstCell);
        // The column's bed and water surface.
        EXPECT_DOUBLE_EQ(Pz1[Cpoint1[c]], Pz1[Cpoint1[bottom]]);
        EXPECT_NEAR(Pz1[Cpoint5[c]], 1.0, 1e-9);
        EXPECT_EQ(Ccellt[c], 0);
        EXPECT_EQ(Ccellb[c], 0);
    }
    // Generating again rebuilds it; without F 68 the block is dropped.
    ASSERT_EQ(Generate().result, 1);
    EXPECT_EQ(NoBlocks, structured_ + 1);
    Hydrostatic = 0;
    ASSERT_EQ(Generate().result, 1);
    EXPECT_EQ(NoBlocks, structured_);
    EXPECT_EQ(BlockTable[NoBlocks].depthAveraged, 0);
}

TEST_F(AppendedBlocks, DryColumnGetsACellOnlyFromTheStructuredBuilder) {
    Make();
    const int cells = NoCells;
    Gridz[3][2][0] = 0.0;  // a dry column
    AddDepthAveragedBlock();
    ASSERT_EQ(NoBlocks, structured_ + 1);
    EXPECT_EQ(Count(Last()), 5);
    EXPECT_EQ(CellIndex3[3][2][1], 0);
    const int west = CellIndex3[2][2][1];
    EXPECT_EQ(Ccelle[west], 0);
    EXPECT_EQ(Ccelln[west], CellIndex3[2][3][1]);
    EXPECT_EQ(CellColumnI(west), 2);
    EXPECT_EQ(CellColumnJ(west), 2);

    NoCells = cells;
    NoBlocks = structured_;
    AddDepthAveragedBlockAlt();
    ASSERT_EQ(NoBlocks, structured_ + 1);
    EXPECT_EQ(Count(Last()), 6);
    EXPECT_EQ(static_cast<int>(Gridz[3][2][0]), CellIndex3[3][2][1]);
    EXPECT_EQ(static_cast<int>(Gridz[2][2][0]), Last().firstCell);
    EXPECT_EQ(Last().iFirst, BlockTable[1].iFirst);
}

TEST_F(AppendedBlocks, DepthAveragedBuilderStopsBeforeTheCellArraysOverflow) {
    Make();
    MaxCeller = NoCells + 4;
    const EngineCall call = CallEngine([] {
        AddDepthAveragedBlock();
        return 0;
    });
    EXPECT_NE(call.log.find("Error: Unstructured arrays are too small. Increase with the F 65 data set.\n \t\t\t\t"
                            "NoPoints, NoSurfaces, NoCells = "),
              std::string::npos)
        << call.log;
    EXPECT_EQ(NoBlocks, structured_);
}

struct LevelRow {
    int levels;
    int blocks;
};

void PrintTo(const LevelRow& row, std::ostream* os) { *os << "F 152 " << row.levels << ": " << row.blocks << " blocks"; }

class LevelCount : public AppendedBlocks, public ::testing::WithParamInterface<LevelRow> {};

TEST_P(LevelCount, BuildsLevelTwoAndTheGroupedLevels) {
    Make("F 152 " + std::to_string(GetParam().levels) + "\n");
    BuildGridLevelBlocks();
    EXPECT_EQ(NoBlocks, structured_ + GetParam().blocks);
    EXPECT_EQ(BlockTable[structured_ + 1].gridLevel, 2);
    EXPECT_EQ(Count(BlockTable[structured_ + 1]), 6);
    EXPECT_EQ(Last().gridLevel, GetParam().blocks + 1);
}

INSTANTIATE_TEST_SUITE_P(Rows, LevelCount, ::testing::Values(LevelRow{1, 1}, LevelRow{2, 1}, LevelRow{4, 3}),
                         [](const ::testing::TestParamInfo<LevelRow>& i) {
                             return "F152_" + std::to_string(i.param.levels);
                         });

TEST_F(AppendedBlocks, GroupsOfFourLeaveTheOddColumnWithoutParent) {
    Make("F 152 3\n");
    const int before = Cigrid[1];
    BuildGridLevelBlocks();
    ASSERT_EQ(NoBlocks, structured_ + 2);
    // The metric's column list keeps its first slot.
    EXPECT_EQ(Cigrid[1], before);
    const int level2 = structured_ + 1;
    const BlockRecord& three = BlockTable[level2 + 1];
    ASSERT_EQ(Count(three), 1);
    const int coarse = three.firstCell;
    const int c1 = CellIndex3[2][2][1];
    EXPECT_EQ(Cchildren[coarse][1], c1);
    EXPECT_EQ(Cchildren[coarse][2], CellIndex3[2][3][1]);
    EXPECT_EQ(Cchildren[coarse][3], CellIndex3[3][3][1]);
    EXPECT_EQ(Cchildren[coarse][4], CellIndex3[3][2][1]);
    EXPECT_EQ(Cchildren[c1][0], coarse);
    EXPECT_EQ(Cchildren[CellIndex3[4][2][1]][0], 0);
    EXPECT_EQ(CellColumnI(c1), 2);
    EXPECT_EQ(CellColumnJ(c1), 2);
    // Level 2 links down to the bed cell and the 3D cells up to it.
    const int bed = static_cast<int>(Gridz[2][2][0]);
    EXPECT_EQ(Cchildren[c1][1], bed);
    EXPECT_EQ(Cchildren[bed][0], c1);
    EXPECT_EQ(Cchildren[Ccellt[bed]][0], c1);
    // Neighbours share one surface.
    const int east = CellIndex3[3][2][1];
    EXPECT_EQ(Ccelle[c1], east);
    EXPECT_EQ(Csurfe[c1], Csurfw[east]);
    EXPECT_EQ(Fcell1[Csurfe[c1]], c1);
    EXPECT_EQ(Fcell2[Csurfe[c1]], east);
}

TEST_F(AppendedBlocks, WetColumnBesideADryOneHasABoundarySurface) {
    Make("F 152 2\n");
    Gridz[3][2][0] = 0.0;
    BuildGridLevelBlocks();
    const int west = CellIndex3[2][2][1];
    ASSERT_GT(west, 0);
    EXPECT_EQ(CellIndex3[3][2][1], 0);
    EXPECT_EQ(Ccelle[west], 0);
    EXPECT_EQ(Fcell1[Csurfe[west]], west);
    EXPECT_EQ(Fcell2[Csurfe[west]], 0);
}

TEST_F(AppendedBlocks, LevelCapacitiesStopTheBuilderWithTheirMessages) {
    struct Case {
        bool cells;
        const char* text;
    };
    const Case cases[] = {
        {false, "Error: Unstructured arrays are too small. Increase NoSurfaces with the F 65 data set.\n \t\t\t\t\t"
                "NoPoints, NoSurfaces, NoCells = "},
        {true, "Error: Unstructured arrays are too small. Increase cell numbers in the F 65 data set.\n \t\t\t\t"
               "NoPoints, NoSurfaces, NoCells = "},
    };
    for (const Case& c : cases) {
        Make("F 152 2\n");
        if (c.cells) {
            MaxCeller = NoCells + 3;
        } else {
            MaxFlater = FileNoSurfaces + 8;
        }
        const EngineCall call = CallEngine([] {
            BuildGridLevelBlocks();
            return 0;
        });
        EXPECT_NE(call.log.find(c.text), std::string::npos) << call.log;
        EXPECT_EQ(NoBlocks, structured_) << c.text;
        EXPECT_LT(NoCells, MaxCeller);
    }
}

}  // namespace
