// The column-layer block under block 1: a 3 x 3 block of unit columns
// (bed 0, water 1 m, base level 10 m below the bed) and the soil block the
// generator appends below it.
#include <gtest/gtest.h>

#include <cmath>

#include "grid/grid_generation.h"
#include "grid/grid_invariants.h"
#include "run/fatal.h"
#include "sediment/sediment_data.h"
#include "tests/grid/generation_case.h"

namespace {

constexpr int kNz = 6;

class ColumnLayerBlock : public GenerationCase {
protected:
    // Block 1: columns i 2..(nx - 1), j 2..(2 + rows - 1); layer block from row J1 + 3.
    void Build(const std::string& control = "", int rows = 3, int ny = 12, double bed = 0.0, int nx = 5) {
        Start(nx, ny, kNz, "F 236 2 0 0 0.8\n" + control);
        BlockRecord& b = BlockTable[1];
        b.jLast = 1 + rows;
        for (int i = 1; i <= nx - 1; ++i) {
            for (int j = 1; j <= b.jLast; ++j) {
                SetNode(i, j, bed, bed + 1.0);
                GridLevels[3][i][j] = bed - 10.0;
            }
        }
        jFirst_ = b.jLast + 3;
        offset_ = b.jLast - b.jFirst + 3;
    }

    // Every layer column of the previous state numbered, with level and mark.
    void PreviousLayerColumns(double level, int mark) {
        int n = 0;
        for (int i = 2; i <= BlockTable[2].iLast; ++i) {
            for (int j = jFirst_; j <= BlockTable[2].jLast; ++j) {
                pointbed[i][j] = ++n;
                BlayerSlope[n] = level;
                Bslide[n] = mark;
            }
        }
    }

    static void ExpectSoundGrid() {
        const GridCheck check = CheckGridInvariants();
        EXPECT_TRUE(check.ok()) << (check.messages.empty() ? "" : check.messages.front());
    }

    static int Base(int i, int j) { return CellIndex3[i][j][2]; }
    static int Layers(int i, int j) { return GridWetColumn[i][j]; }

    int jFirst_ = 0;
    int offset_ = 0;
};

TEST_F(ColumnLayerBlock, FirstBuildHasBaseCellsFromTheBaseLevelToTheBed) {
    Build();
    const EngineCall call = Generate();
    ASSERT_FALSE(call.ended) << call.log;
    EXPECT_EQ(NoBlocks, 2);
    const BlockRecord& r = BlockTable[2];
    EXPECT_EQ(r.iFirst, 2);
    EXPECT_EQ(r.iLast, 4);
    EXPECT_EQ(r.jFirst, 7);
    EXPECT_EQ(r.jLast, 9);
    EXPECT_EQ(r.layerBlock, 1);
    EXPECT_EQ(G26BlockValues[2], 0);
    EXPECT_EQ(r.firstCell, BlockTable[1].lastCell + 1);
    EXPECT_EQ(r.lastCell - r.firstCell + 1, 9);
    EXPECT_EQ(r.lastCell, NoCells);
    for (int c = r.firstCell; c <= r.lastCell; ++c) {
        EXPECT_EQ(Ccellt[c], 0);
        EXPECT_EQ(Ccellb[c], 0);
        EXPECT_DOUBLE_EQ(Pz1[Cpoint1[c]], -10.0);
        EXPECT_DOUBLE_EQ(Pz1[Cpoint5[c]], 0.0);
    }
    // Layer column (3, 8) lies under block column (3, 3) and meets no cell of it.
    EXPECT_EQ(static_cast<int>(Gridz[3][8][0]), Base(3, 8));
    EXPECT_DOUBLE_EQ(Gridx[3][8], Gridx[3][3]);
    EXPECT_EQ(Ccelle[Base(3, 8)], Base(4, 8));
    EXPECT_EQ(Ccellw[Base(2, 8)], 0);
    EXPECT_EQ(Ccelln[Base(3, 9)], 0);
    ExpectSoundGrid();
}

TEST_F(ColumnLayerBlock, RebuildReusesTheNumbersAfterBlockOne) {
    Build();
    ASSERT_FALSE(Generate().ended);
    const int cells = NoCells, surfaces = NoSurfaces, points = NoPoints;
    const EngineCall again = Generate();
    ASSERT_FALSE(again.ended) << again.log;
    EXPECT_EQ(NoBlocks, 2);
    EXPECT_EQ(NoCells, cells);
    EXPECT_EQ(NoSurfaces, surfaces);
    EXPECT_EQ(NoPoints, points);
    EXPECT_EQ(BlockTable[2].firstCell, BlockTable[1].lastCell + 1);
    ExpectSoundGrid();
}

struct SlideRow {
    const char* name;
    int marked;         // slide-marked columns around node (3, 8)
    double level;       // their level
    double lower;       // the lower level expected at the node
};

void PrintTo(const SlideRow& row, std::ostream* os) { *os << row.name; }

class LowerLevel : public ColumnLayerBlock, public ::testing::WithParamInterface<SlideRow> {};

// A later build takes the lower level from three or more marked columns,
// bounded by the base level below and the bed above.
TEST_P(LowerLevel, FollowsTheMarkedColumnsAroundANode) {
    const SlideRow& row = GetParam();
    Build();
    ASSERT_FALSE(Generate().ended);
    PreviousLayerColumns(row.level, 0);
    const int around[4][2] = {{3, 8}, {4, 8}, {3, 9}, {4, 9}};
    for (int c = 0; c < row.marked; ++c) Bslide[pointbed[around[c][0]][around[c][1]]] = 1;
    const EngineCall call = Generate();
    ASSERT_FALSE(call.ended) << call.log;
    EXPECT_DOUBLE_EQ(GridLevels[5][3][8], row.lower);
    EXPECT_DOUBLE_EQ(GridLevels[5][3][8 - offset_], row.lower);  // the block node carries it too
    ExpectSoundGrid();
}

const SlideRow kSlideRows[] = {
    {"NoneMarked", 0, -4.0, 0.0},
    {"ThreeMarked", 3, -4.0, -4.0},
    {"FourMarked", 4, -4.0, -4.0},
    {"BelowTheBase", 4, -30.0, -10.0},
    {"AboveTheBed", 4, 3.0, 0.0},
};

INSTANTIATE_TEST_SUITE_P(Rows, LowerLevel, ::testing::ValuesIn(kSlideRows),
                         [](const ::testing::TestParamInfo<SlideRow>& i) { return std::string(i.param.name); });

// Lower level 4 m under the bed everywhere: the thickest layer, NZ - 2
// cells, sits on the base cell and shares its top face.
TEST_F(ColumnLayerBlock, AFullLayerColumnSharesTheBaseCellsTopFace) {
    Build();
    ASSERT_FALSE(Generate().ended);
    PreviousLayerColumns(-4.0, 1);
    ASSERT_FALSE(Generate().ended);
    const int base = Base(3, 8);
    ASSERT_EQ(Layers(3, 8), kNz - 2);
    const int lowest = CellIndex3[3][8][3];
    EXPECT_EQ(Ccellt[base], lowest);
    EXPECT_EQ(Ccellb[lowest], 0);
    EXPECT_EQ(Csurfb[lowest], Csurft[base]);
    EXPECT_EQ(Fcell1[Csurft[base]], base);
    EXPECT_EQ(Fcell2[Csurft[base]], 0);
    // The top cell ends at the bed, the base cell at the lower level.
    EXPECT_NEAR(Pz1[Cpoint5[CellIndex3[3][8][kNz]]], 0.0, 1e-12);
    EXPECT_NEAR(Pz1[Cpoint5[base]], -4.0, 1e-12);
    // Layer cells link to layer cells sideways, base cells to base cells.
    EXPECT_EQ(Ccelle[lowest], CellIndex3[4][8][3]);
    EXPECT_EQ(Ccelle[base], Base(4, 8));
    ExpectSoundGrid();
}

// A thinner layer leaves the levels between empty: the base cell names the
// lowest layer cell, and the two have faces of their own.
TEST_F(ColumnLayerBlock, AThinLayerHasItsOwnBottomFace) {
    Build();
    ASSERT_FALSE(Generate().ended);
    PreviousLayerColumns(-0.1, 1);
    ASSERT_FALSE(Generate().ended);
    const int base = Base(3, 8), n = Layers(3, 8);
    ASSERT_GT(n, 0);
    ASSERT_LT(n, kNz - 2);
    const int lowest = CellIndex3[3][8][kNz + 1 - n];
    EXPECT_EQ(Ccellt[base], lowest);
    EXPECT_EQ(Ccellb[lowest], 0);
    EXPECT_NE(Csurfb[lowest], Csurft[base]);
    EXPECT_EQ(Fcell1[Csurfb[lowest]], 0);
    EXPECT_EQ(Fcell2[Csurfb[lowest]], lowest);
    ExpectSoundGrid();
}

TEST_F(ColumnLayerBlock, F339NumbersTheBaseCellsFirst) {
    Build("F 339 1\n");
    ASSERT_FALSE(Generate().ended);
    PreviousLayerColumns(-4.0, 1);
    ASSERT_FALSE(Generate().ended);
    const int first = BlockTable[2].firstCell;
    EXPECT_EQ(Base(2, 7), first);
    EXPECT_EQ(Base(4, 9), first + 8);
    EXPECT_EQ(CellIndex3[2][7][kNz + 1 - Layers(2, 7)], first + 9);
    ExpectSoundGrid();
}

TEST_F(ColumnLayerBlock, ARegionColumnStaysWithoutCells) {
    Build();
    GridRegion[3][8] = 1;
    ASSERT_FALSE(Generate().ended);
    EXPECT_EQ(Base(3, 8), 0);
    EXPECT_EQ(Gridz[3][8][0], 0.0);
    EXPECT_EQ(Ccelle[Base(2, 8)], 0);
    EXPECT_EQ(Ccelln[Base(3, 7)], 0);
    EXPECT_EQ(BlockTable[2].lastCell - BlockTable[2].firstCell + 1, 8);
    ExpectSoundGrid();
}

// One row of columns: a node without columns around it keeps the bed, one
// with a level below the base is held at the base; no base cell turns over.
TEST_F(ColumnLayerBlock, OneRowBlockKeepsTheLowerLevelBetweenBaseAndBed) {
    Build("", 1, 12, 100.0);
    ASSERT_FALSE(Generate().ended);
    EXPECT_EQ(BlockTable[2].jFirst, 5);
    EXPECT_EQ(BlockTable[2].jLast, 5);
    PreviousLayerColumns(0.0, 0);
    pointbed[2][5] = 0;  // node (1, 4) has (2, 5) as its only column
    ASSERT_FALSE(Generate().ended);
    EXPECT_DOUBLE_EQ(GridLevels[5][1][4], 100.0);
    EXPECT_DOUBLE_EQ(GridLevels[5][3][4], 90.0);
    for (int c = BlockTable[2].firstCell; c <= BlockTable[2].lastCell; ++c) {
        EXPECT_GE(Pz1[Cpoint5[c]], Pz1[Cpoint1[c]]);
    }
    ExpectSoundGrid();
}

TEST_F(ColumnLayerBlock, AlternativeVariantGradesBaseLevelToBed) {
    Build("F 289 0 1 0 0\n");
    const EngineCall call = Generate();
    ASSERT_FALSE(call.ended) << call.log;
    const int column = static_cast<int>(Gridz[3][8][0]);
    ASSERT_GT(column, 0);
    EXPECT_EQ(Layers(3, 8), kNz - 1);  // 10 m of soil take every level
    EXPECT_EQ(CellIndex3[3][8][2], column);
    EXPECT_DOUBLE_EQ(Pz1[Cpoint1[column]], -10.0);
    EXPECT_DOUBLE_EQ(Pz1[Cpoint5[CellIndex3[3][8][kNz]]], 0.0);
    ExpectSoundGrid();
}

// Room for block 1 (36 cells) but not for all nine base cells: the layer
// block is dropped on the generator's overflow path, block 1 stays whole.
TEST_F(ColumnLayerBlock, AFullCellArrayDropsTheLayerBlockAndKeepsBlockOne) {
    Build();
    ASSERT_FALSE(Generate().ended);
    const int cells = BlockTable[1].lastCell, surfaces = BlockTable[1].lastSurface, points = BlockTable[1].lastPoint;
    ASSERT_EQ(cells, 36);
    ASSERT_EQ(BlockTable[2].lastCell - BlockTable[2].firstCell + 1, 9);
    MaxCeller = cells + 5;
    const EngineCall call = Generate();
    ASSERT_TRUE(call.ended) << call.log;
    EXPECT_EQ(call.status, kGridOverflowStatus);
    EXPECT_NE(call.log.find("Error: Unstructured arrays are too small. Increase with the F 65 data set."),
              std::string::npos)
        << call.log;
    EXPECT_NE(call.log.find("MaxCeller=41"), std::string::npos) << call.log;
    EXPECT_EQ(NoCells, cells);
    EXPECT_EQ(NoSurfaces, surfaces);
    EXPECT_EQ(NoPoints, points);
    EXPECT_EQ(BlockTable[1].lastCell, cells);
    EXPECT_EQ(BlockTable[1].lastSurface, surfaces);
    const BlockRecord& layer = BlockTable[2];
    EXPECT_EQ(layer.lastCell, layer.firstCell - 1);
    EXPECT_EQ(layer.lastSurface, layer.firstSurface - 1);
    EXPECT_EQ(layer.lastPoint, layer.firstPoint - 1);
    EXPECT_EQ(Base(3, 8), 0);
    EXPECT_EQ(Gridz[3][8][0], 0.0);
    EXPECT_GT(Gridz[3][3][0], 0.0);  // block 1's columns keep their cells
    ExpectSoundGrid();
}

// Layer columns of 4 and 2 cells side by side (six columns; the three
// eastern ones only 7 cm thick): the lowest cells meet, so do the top cells
// at the bed, the thicker column's middle layers have a wall there. The
// middle layers end on zero-height edges at the shared node; F 299 gives
// those one point, as it does in block 1.
TEST_F(ColumnLayerBlock, LayerColumnsOfFourAndTwoCellsMeetAtBothEnds) {
    Build("F 94 0.01 0.02\nF 299 1\n", 3, 12, 0.0, 8);
    ASSERT_FALSE(Generate().ended);
    PreviousLayerColumns(-4.0, 1);
    for (int i = 5; i <= 7; ++i) {
        for (int j = jFirst_; j <= BlockTable[2].jLast; ++j) BlayerSlope[pointbed[i][j]] = -0.07;
    }
    ASSERT_FALSE(Generate().ended);
    ASSERT_EQ(Layers(5, 8), 4);
    ASSERT_EQ(Layers(6, 8), 2);
    const auto thick = [](int layer) { return CellIndex3[5][8][kNz - 4 + layer]; };
    const auto thin = [](int layer) { return CellIndex3[6][8][kNz - 2 + layer]; };
    EXPECT_EQ(Ccelle[thick(1)], thin(1));
    EXPECT_EQ(Ccellw[thin(1)], thick(1));
    EXPECT_EQ(Csurfe[thick(1)], Csurfw[thin(1)]);
    EXPECT_EQ(Ccelle[thick(2)], 0);
    EXPECT_EQ(Ccelle[thick(3)], 0);
    EXPECT_EQ(Ccelle[thick(4)], thin(2));
    EXPECT_EQ(Ccellw[thin(2)], thick(4));
    EXPECT_EQ(Csurfe[thick(4)], Csurfw[thin(2)]);
    EXPECT_EQ(Ccelle[Base(5, 8)], Base(6, 8));
    EXPECT_NEAR(Pz1[Cpoint5[Base(6, 8)]], -0.07, 1e-12);
    ExpectSoundGrid();
}

struct RefusalRow {
    const char* name;
    int ny;
    bool secondBlock;
};

void PrintTo(const RefusalRow& row, std::ostream* os) { *os << row.name; }

class LayerBlockRefusal : public ColumnLayerBlock, public ::testing::WithParamInterface<RefusalRow> {};

TEST_P(LayerBlockRefusal, EndsTheRunNamingG1) {
    const RefusalRow& row = GetParam();
    Build("", 3, row.ny);
    if (row.secondBlock) {
        NoBlocks = 3;
        BlockTable[2] = BlockTable[1];
        BlockTable[3] = BlockTable[1];
        BlockTable[3].iFirst = BlockTable[3].iLast = 4;
    }
    const EngineCall call = Generate();
    ASSERT_TRUE(call.ended);
    EXPECT_EQ(call.status, kGridOverflowStatus);
    EXPECT_NE(call.log.find("G 1"), std::string::npos) << call.log;
}

const RefusalRow kRefusalRows[] = {
    {"LastRowIsTheLastGridLine", 9, false},
    {"TooFewGridLines", 8, false},
    {"SecondStructuredBlock", 12, true},
};

INSTANTIATE_TEST_SUITE_P(Rows, LayerBlockRefusal, ::testing::ValuesIn(kRefusalRows),
                         [](const ::testing::TestParamInfo<RefusalRow>& i) { return std::string(i.param.name); });

}  // namespace
