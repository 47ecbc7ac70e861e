// The grid-level driver's transfers between the levels, on a generated
// block of 3 x 2 columns, and the last-block driver on a channel whose last
// block is an appended one.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "drivers/flow_drivers.h"
#include "drivers/grid_levels.h"
#include "flow/flow_services.h"
#include "grid/grid_data.h"
#include "grid/grid_services.h"
#include "grid/level_blocks.h"
#include "run/globals.h"
#include "solver/solver_data.h"
#include "surface/surface_services.h"
#include "tests/drivers/water_solve_case.h"
#include "tests/grid/generation_case.h"

namespace {

Array1<double>* const kFields[6] = {&Cu, &Cv, &Cw, &Pres, &Ck, &Cepsilon};

class GridLevelTransfers : public GenerationCase {
protected:
    // Columns 2..4 by 2..3, a few cells deep; levels 2 (six columns) and 3 (one
    // group of four; the odd column has no parent).
    void SetUp() override {
        Start(5, 4, 5, "F 152 3\n");
        ASSERT_EQ(Generate().result, 1);
        structured_ = NoBlocks;
        BuildGridLevelBlocks();
        ASSERT_EQ(NoBlocks, structured_ + 2);
        // Every field differs from cell to cell of a column.
        for (int c = 1; c <= StructuredCells(); ++c) {
            for (int f = 0; f < 6; ++f) (*kFields[f])[c] = 0.1 * (f + 1) + 0.01 * c;
        }
    }
    int StructuredCells() const { return BlockTable[structured_].lastCell; }
    const BlockRecord& Level(int level) const { return BlockTable[structured_ + level - 1]; }

    // The cells of the column of a level-2 cell, bottom first.
    static std::vector<int> Column(int levelTwo) {
        std::vector<int> cells;
        for (int c = Cchildren[levelTwo][1]; c > 0; c = Ccellt[c]) cells.push_back(c);
        return cells;
    }
    static double Mean(const Array1<double>& f, const std::vector<int>& cells) {
        double sum = 0.0;
        for (int c : cells) sum += f[c];
        return sum / static_cast<double>(cells.size());
    }
    static std::vector<int> Children(int coarse) {
        return {Cchildren[coarse][1], Cchildren[coarse][2], Cchildren[coarse][3], Cchildren[coarse][4]};
    }

    void SelectLevel(int level) {
        GridLevel = level;
        FirstCell = Level(level).firstCell;
        LastCell = Level(level).lastCell;
    }

    int structured_ = 0;
};

TEST_F(GridLevelTransfers, CoarseLevelsStartFromTheMeansOfTheLevelBelow) {
    SetGridLevelStartValues();
    for (int n = Level(2).firstCell; n <= Level(2).lastCell; ++n) {
        const std::vector<int> column = Column(n);
        ASSERT_GE(column.size(), 2u) << n;
        for (const Array1<double>* f : kFields) EXPECT_NEAR((*f)[n], Mean(*f, column), 1e-12) << n;
    }
    const int coarse = Level(3).firstCell;
    ASSERT_EQ(Level(3).lastCell, coarse);
    for (const Array1<double>* f : kFields) EXPECT_NEAR((*f)[coarse], Mean(*f, Children(coarse)), 1e-12);
    EXPECT_EQ(GridLevel, 3);
}

// A coarse solve that moved a cell by d shifts every cell below it by d;
// only k and epsilon are then held at their least values.
TEST_F(GridLevelTransfers, CorrectionShiftsTheCellsBelowThenClipsKAndEpsilon) {
    SetGridLevelStartValues();
    const int n = Level(2).firstCell;
    const std::vector<int> column = Column(n);
    std::vector<std::vector<double>> before(6);
    for (int f = 0; f < 6; ++f) {
        for (int c : column) before[f].push_back((*kFields[f])[c]);
    }
    const double d = -1.0;  // takes k and epsilon below their least values
    for (Array1<double>* f : kFields) (*f)[n] += d;
    SelectLevel(2);
    CorrectGridLevelBelow();
    for (int f = 0; f < 6; ++f) {
        const double least = kFields[f] == &Ck ? MinK : kFields[f] == &Cepsilon ? 1e-15 : -1e300;
        for (size_t k = 0; k < column.size(); ++k) {
            EXPECT_NEAR((*kFields[f])[column[k]], std::max(before[f][k] + d, least), 1e-12) << f << " " << k;
        }
    }
    EXPECT_LT(Cu[column[0]], 0.0);
    EXPECT_LT(Pres[column[0]], 0.0);

    // Level 3 moves its four level-2 cells alike.
    const int coarse = Level(3).firstCell;
    const std::vector<int> children = Children(coarse);
    std::vector<double> u;
    for (int c : children) u.push_back(Cu[c]);
    Cu[coarse] = Mean(Cu, children) + 0.25;
    SelectLevel(3);
    CorrectGridLevelBelow();
    for (size_t k = 0; k < children.size(); ++k) EXPECT_NEAR(Cu[children[k]], u[k] + 0.25, 1e-12);
}

// F 93 acts under the grid levels: the finest level's range holds the water
// columns of the structured block, whose supercritical columns are averaged.
TEST_F(GridLevelTransfers, FinestLevelAveragesSupercriticalColumns) {
    UpdateWaterColumnsAfterRegrid();
    ASSERT_GT(NoBedCells, 0);
    FirstBedCell = LastBedCell = 0;  // letter W sets no range under F 152
    SelectGridLevel(1);
    EXPECT_EQ(FirstBedCell, 1);
    ASSERT_EQ(LastBedCell, Level(1).lastColumn);
    const int bed = Bcellt[1];
    std::vector<int> column;
    for (int c = bed; c > 0; c = Ccellt[c]) column.push_back(c);
    ASSERT_GE(column.size(), 2u);
    for (int c : column) Cu[c] = 100.0;  // far above the wave speed
    Cf.designate(Ck);
    const double pres = Mean(Pres, column), k = Mean(Ck, column);
    AverageSupercriticalColumns();
    for (int c : column) {
        EXPECT_NEAR(Pres[c], pres, 1e-12) << c;
        EXPECT_NEAR(Ck[c], k, 1e-12) << c;
    }
    // A coarse cell stands for whole columns: no column range there.
    SelectGridLevel(2);
    EXPECT_LT(LastBedCell, FirstBedCell);
}

// Letter D with block 2 of the channel flagged as appended: under F 37 0
// the flow is computed on block 1 alone; the clock, the time step and the
// flag are given back and the selection of block 2 stays in force.
TEST_F(WaterSolveCase, LastBlockDriverComputesTheBlocksBeforeTheAppendedLastBlock) {
    Start("K 1 3\n");
    ASSERT_FALSE(Solve().ended);  // the start values of every cell
    ASSERT_EQ(NoBlocks, 1);
    // Block 2: the last row of columns across the channel.
    const int rowCells = NoCells / 3;
    BlockRecord two = BlockTable[1];
    two.jFirst = two.jLast;
    two.firstCell = NoCells - rowCells + 1;
    two.layerBlock = 1;
    BlockTable[1].jLast = two.jFirst - 1;
    BlockTable[1].lastCell = two.firstCell - 1;
    BlockTable[2] = two;
    NoBlocks = 2;
    NoBlockSelectionValues = 0;
    const std::vector<double> before(Cu.data(), Cu.data() + NoCells + 1);
    stime = 12.5;
    const double step = TimeStep;
    FlagTSC = 0;

    const EngineCall call = CallEngine([] { return SolveFlowLastBlock(); });
    ASSERT_FALSE(call.ended) << call.log;
    EXPECT_EQ(FirstCell, 1);
    EXPECT_EQ(LastCell, BlockTable[1].lastCell);
    int moved = 0;
    for (int c = 1; c <= BlockTable[1].lastCell; ++c) moved += Cu[c] != before[c] ? 1 : 0;
    EXPECT_GT(moved, 0);
    for (int c = two.firstCell; c <= two.lastCell; ++c) EXPECT_EQ(Cu[c], before[c]) << c;
    EXPECT_EQ(stime, 12.5);
    EXPECT_EQ(TimeStep, step);
    EXPECT_EQ(AppendedBlockFlag, 0);
    EXPECT_EQ(NoBlockSelectionValues, 2);
    EXPECT_EQ(BlockSelection[1], 0);
    EXPECT_EQ(BlockSelection[2], 1);
}

}  // namespace
