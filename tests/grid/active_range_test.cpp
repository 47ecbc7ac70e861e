// The active ranges, the plan areas and the F 94 depths from them.
#include <string>
#include <vector>

#include "tests/grid/metric_case.h"

namespace {

struct Range {
    int firstCell, lastCell, firstSurface, lastSurface;
    bool operator==(const Range&) const = default;
};

void PrintTo(const Range& r, std::ostream* os) {
    *os << "cells " << r.firstCell << ".." << r.lastCell << ", surfaces " << r.firstSurface << ".." << r.lastSurface;
}

constexpr Range kUnchanged{-7, -7, -7, -7};
constexpr Range kWholeGrid{1, 60, 1, 200};

struct RangeRow {
    const char* name;
    int blocks;                  // blocks in the table (of the four below)
    int layerBlock;              // field 13 of the last block
    std::vector<int> selection;  // G 25 values of blocks 1.. (their count is NoBlockSelectionValues)
    int selectionCount;          // NoBlockSelectionValues when negative, else the size of `selection`
    int flagTsc;                 // F 37
    int gridLevels;              // F 152
    Range expected;
};

void PrintTo(const RangeRow& row, std::ostream* os) { *os << row.name; }

class ActiveRange : public MetricCase, public ::testing::WithParamInterface<RangeRow> {};

// Four blocks of 15 cells and 50 surfaces each, in order.
TEST_P(ActiveRange, FromTheBlocks) {
    const RangeRow& row = GetParam();
    Start();
    NoCells = 60;
    NoSurfaces = 200;
    NoBlocks = row.blocks;
    for (int b = 1; b <= 4; ++b) {
        BlockRecord& r = BlockTable[b];
        r.firstCell = 15 * (b - 1) + 1;
        r.lastCell = 15 * b;
        r.firstSurface = 50 * (b - 1) + 1;
        r.lastSurface = 50 * b;
    }
    // Records beyond the table hold nothing.
    for (int b = row.blocks + 1; b <= 4; ++b) BlockTable[b] = BlockRecord{};
    BlockTable[row.blocks].layerBlock = row.layerBlock;
    NoBlockSelectionValues = row.selectionCount < 0 ? row.selectionCount : static_cast<int>(row.selection.size());
    for (size_t b = 0; b < row.selection.size(); ++b) BlockSelection[b + 1] = row.selection[b];
    FlagTSC = row.flagTsc;
    NoGridLevels = row.gridLevels;
    FirstCell = LastCell = FirstSurface = LastSurface = -7;
    SetActiveCellRange();
    EXPECT_EQ((Range{FirstCell, LastCell, FirstSurface, LastSurface}), row.expected);
}

const RangeRow kRangeRows[] = {
    {"WholeGrid", 4, 0, {}, 0, 0, 0, kWholeGrid},
    {"LevelsKeepTheirOwnRanges", 4, 0, {}, 0, 0, 2, kUnchanged},
    {"SelectedBlocks", 4, 0, {0, 1, 1, 0}, 0, 0, 0, {16, 45, 51, 150}},
    {"SelectionOfFirstAndLast", 4, 0, {1, 0, 0, 1}, 0, 0, 0, {1, 60, 1, 200}},
    {"SelectionOfNoBlockIsEmpty", 4, 0, {0, 0, 0, 0}, 0, 0, 0, {60, 1, 200, 1}},
    {"NegativeCountKeepsTheRanges", 4, 0, {}, -1, 0, 0, kUnchanged},
    {"SelectionBeyondTheTable", 2, 0, {0, 1, 1}, 0, 0, 0, {16, 30, 51, 100}},
    {"LayerBlockLeftOutWithSediment", 4, 1, {}, 0, 1, 0, {1, 45, 1, 150}},
    {"LayerBlockLeftOutWithSelection", 4, 1, {1, 0, 0, 0}, 0, 0, 0, {1, 45, 1, 150}},
    {"LayerBlockInWithoutEither", 4, 1, {}, 0, 0, 0, kWholeGrid},
    {"SedimentWithoutLayerBlock", 4, 0, {}, 0, 2, 0, kWholeGrid},
    {"SedimentWithNegativeLayerField", 4, -1, {}, 0, 2, 0, kUnchanged},
};

INSTANTIATE_TEST_SUITE_P(Rows, ActiveRange, ::testing::ValuesIn(kRangeRows), EngineCaseName());

// Columns of 10 m by 10 m give F 94 thresholds of 1 m and 0.05 m; a column
// whose diagonals are parallel has no plan area; a grid-level block keeps
// what its columns held.
TEST_F(MetricCase, PlanAreasAndDepthThresholds) {
    Start("F 1 D\n");
    for (int i = 0; i <= 5; ++i) {
        for (int j = 0; j <= 5; ++j) {
            Gridx[i][j] = 10.0 * i;
            Gridy[i][j] = 10.0 * j;
        }
    }
    // Column (4, 4) folded flat: its corner (4, 4) onto (3, 3).
    Gridx[4][4] = 30.0;
    Gridy[4][4] = 30.0;
    NoBlocks = 2;
    BlockTable[1].iFirst = BlockTable[1].jFirst = 1;
    BlockTable[1].iLast = BlockTable[1].jLast = 4;
    BlockTable[2] = BlockTable[1];
    BlockTable[2].gridLevel = 2;
    PlanArea[5][5] = 7.0;
    BlockTable[2].iLast = BlockTable[2].jLast = 5;
    ComputePlanAreas();
    EXPECT_DOUBLE_EQ(PlanArea[1][1], 100.0);
    EXPECT_DOUBLE_EQ(PlanArea[4][4], 0.0);
    EXPECT_DOUBLE_EQ(PlanArea[5][5], 7.0);
    EngineCall f94 = CallEngine([] {
        ComputeF94Parameters();
        return 0;
    });
    EXPECT_DOUBLE_EQ(SingleCellDepth, 1.0);
    EXPECT_DOUBLE_EQ(DryDepth, 0.05);
    EXPECT_NE(f94.log.find("Computed F 94 parameters to 0.050000 1.000000\n"), std::string::npos) << f94.log;
}

}  // namespace
