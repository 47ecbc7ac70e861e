// Which depth-averaged cell stands for which 3D column: by grid position,
// whatever order the generator numbered the columns in.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "drivers/depth_averaged.h"
#include "grid/grid_data.h"
#include "grid/level_blocks.h"
#include "run/globals.h"
#include "run/status.h"
#include "tests/grid/generation_case.h"

namespace {

class ColumnPairing : public GenerationCase {
protected:
    // Columns 2..4 by 2..3, 1 m deep, with the depth-averaged block.
    void Make(const std::string& control) {
        Start(5, 4, 5, "F 68 1\n" + control);
        const EngineCall call = Generate();
        ASSERT_EQ(call.result, 1) << call.log;
        ASSERT_EQ(BlockTable[NoBlocks].depthAveraged, 1);
    }
    static int BottomOf(int top) {
        int c = top;
        while (Ccellb[c] > 0) c = Ccellb[c];
        return c;
    }
};

// F 165 numbers the 3D columns with j descending while the depth-averaged
// block runs j ascending: counting would pair the wrong columns.
TEST_F(ColumnPairing, EachColumnTakesTheCellAtItsOwnPosition) {
    Make("F 165 1\n");
    ASSERT_TRUE(PairDepthAveragedColumns());
    ASSERT_EQ(ColumnPairs.size(), 6u);
    const int first = BlockTable[NoBlocks].firstCell;
    int outOfCountOrder = 0;
    for (size_t k = 0; k < ColumnPairs.size(); ++k) {
        const ColumnPair& p = ColumnPairs[k];
        const int i = CellColumnI(p.depthAveraged), j = CellColumnJ(p.depthAveraged);
        EXPECT_EQ(static_cast<int>(Gridz[i][j][0]), BottomOf(p.top)) << k;
        outOfCountOrder += p.depthAveraged != first + static_cast<int>(k) ? 1 : 0;
    }
    EXPECT_GT(outOfCountOrder, 0);
}

TEST_F(ColumnPairing, BlockThatDoesNotFitTheColumnsIsRefused) {
    const std::function<void()> faults[] = {
        [] { --NoBlocks; },                                           // no depth-averaged block last
        [] { SetCellColumn(BlockTable[NoBlocks].firstCell, 0, 0); },  // a column without its cell
    };
    for (const auto& fault : faults) {
        Make("");
        fault();
        FlowFailedFlag = 0;
        const EngineCall call = CallEngine([] { return PairDepthAveragedColumns() ? 1 : 0; });
        EXPECT_EQ(call.result, 0);
        EXPECT_NE(call.log.find("Error in computation of depth-averaged flow: 2D block not correctly made\n"),
                  std::string::npos)
            << call.log;
        EXPECT_EQ(std::string(StatusText), "Error in 2D block  ");
        EXPECT_EQ(FlowFailedFlag, 1);
        EXPECT_TRUE(ColumnPairs.empty());
    }
}

}  // namespace
