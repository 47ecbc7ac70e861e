// Two blocks meeting along a line of constant x without shared nodes:
// block 1 (columns 2..4 x 2..5, rows of 1 m, bed 0 m) and block 2 (columns
// 7..9 x 2..rows, bed 1 m), water at 2 m. Block 1 gets 5 cells a column
// (centres 0.2 .. 1.8 m), block 2 4 cells (1.125 .. 1.875 m).
#include <gtest/gtest.h>

#include <vector>

#include "grid/grid_invariants.h"
#include "tests/grid/generation_case.h"

namespace {

class BlockConnection : public GenerationCase {
protected:
    // Block 2 has `rows` rows over the same 4 m as block 1's four.
    void Build(int side, int rows) {
        Start(14, 14, 7, "F 348 " + std::to_string(side) + "\n");
        NoBlocks = 2;
        BlockTable[1].iLast = 4;
        BlockTable[1].jLast = 5;
        BlockRecord& b = BlockTable[2];
        b = BlockTable[1];
        b.iFirst = 7;
        b.iLast = 9;
        b.jFirst = 2;
        b.jLast = rows + 1;
        for (int i = 0; i <= NoGridLinesX + 1; ++i) {
            for (int j = 0; j <= NoGridLinesY + 1; ++j) {
                Gridx[i][j] = Gridy[i][j] = 0.0;
                SetNode(i, j, 0.0, 0.0);
            }
        }
        for (int i = 1; i <= 4; ++i) {
            for (int j = 1; j <= 5; ++j) {
                Gridx[i][j] = i - 1;
                Gridy[i][j] = j - 1;
                SetNode(i, j, 0.0, 2.0);
            }
        }
        for (int i = 6; i <= 9; ++i) {
            for (int j = 1; j <= rows + 1; ++j) {
                Gridx[i][j] = i - 3;
                Gridy[i][j] = 4.0 * (j - 1) / rows;
                SetNode(i, j, 1.0, 2.0);
            }
        }
    }

    static std::vector<int> Cells(int i, int j) {
        std::vector<int> cells;
        for (int c = static_cast<int>(Gridz[i][j][0]); c > 0; c = Ccellt[c]) cells.push_back(c);
        return cells;
    }

    // Layer (from 1) of cell c in column (i, j), 0 when c is not in it.
    static int Layer(int i, int j, int c) {
        const std::vector<int> cells = Cells(i, j);
        for (size_t k = 0; k < cells.size(); ++k) {
            if (cells[k] == c) return static_cast<int>(k) + 1;
        }
        return 0;
    }

    static void ExpectChecked() {
        const GridCheck check = CheckGridInvariants();
        EXPECT_TRUE(check.ok()) << (check.messages.empty() ? "" : check.messages.front());
    }
};

TEST_F(BlockConnection, RefinedInterfaceLinksNearestRowsAndLevels) {
    Build(1, 8);
    const EngineCall call = Generate();
    ASSERT_FALSE(call.ended) << call.log;
    ASSERT_EQ(Cells(4, 2).size(), 5u);
    ASSERT_EQ(Cells(7, 2).size(), 4u);
    const int eastLayer[4] = {1, 1, 1, 2};
    for (int j = 2; j <= 5; ++j) {
        const std::vector<int> cells = Cells(4, j);
        const int row = 2 * (j - 1);  // equal distances: the lower of two rows
        for (int k = 0; k < 4; ++k) {
            const int c = cells[static_cast<size_t>(k)];
            EXPECT_EQ(Layer(7, row, Ccelle[c]), eastLayer[k]) << "row " << j << " cell " << k + 1;
            EXPECT_EQ(Fcell2[Csurfe[c]], Ccelle[c]);
        }
        EXPECT_EQ(Ccelle[cells.back()], 0) << "the top cell keeps its wall";
    }
    const int westLayer[3] = {3, 4, 4};
    for (int j = 2; j <= 9; ++j) {
        const std::vector<int> cells = Cells(7, j);
        const int row = 2 + (j - 2) / 2;
        for (int k = 0; k < 3; ++k) {
            const int c = cells[static_cast<size_t>(k)];
            EXPECT_EQ(Layer(4, row, Ccellw[c]), westLayer[k]) << "row " << j << " cell " << k + 1;
            EXPECT_EQ(Fcell1[Csurfw[c]], Ccellw[c]);
        }
        EXPECT_EQ(Ccellw[cells.back()], 0);
    }
    ExpectChecked();
}

TEST_F(BlockConnection, EqualRowsMatchRowToRow) {
    Build(1, 4);
    ASSERT_FALSE(Generate().ended);
    for (int j = 2; j <= 5; ++j) {
        for (int c : Cells(4, j)) {
            if (Ccelle[c] != 0) {
                EXPECT_GT(Layer(7, j, Ccelle[c]), 0) << "row " << j;
            }
        }
        EXPECT_GT(Layer(7, j, Ccelle[Cells(4, j).front()]), 0);
        EXPECT_GT(Layer(4, j, Ccellw[Cells(7, j).front()]), 0);
    }
    ExpectChecked();
}

// F 348 2: block 2's first column links east, block 1's last column west.
// The blocks are one column wide here (block 2 west of block 1); with wider
// blocks those sides are faces inside the blocks, which keep their cells.
TEST_F(BlockConnection, SecondBlockLinksEast) {
    Build(2, 8);
    ASSERT_FALSE(Generate().ended);
    ExpectChecked();
    for (int j = 2; j <= 5; ++j) EXPECT_EQ(Layer(3, j, Ccellw[Cells(4, j).front()]), 1) << "inside block 1";

    Build(2, 8);
    F159Int1 = F159Int4 = 0;  // keep the end rows of one-column blocks
    BlockTable[1].iFirst = 4;
    BlockTable[2].iLast = 7;
    for (int j = 0; j <= NoGridLinesY + 1; ++j) {
        Gridx[3][j] = 0.0;
        Gridx[4][j] = 1.0;
        Gridx[6][j] = -1.0;
        Gridx[7][j] = 0.0;
    }
    ASSERT_FALSE(Generate().ended);
    const int eastLayer[3] = {3, 4, 4};
    for (int j = 2; j <= 9; ++j) {
        const std::vector<int> cells = Cells(7, j);
        for (int k = 0; k < 3; ++k) {
            const int c = cells[static_cast<size_t>(k)];
            EXPECT_EQ(Layer(4, 2 + (j - 2) / 2, Ccelle[c]), eastLayer[k]) << "row " << j;
            EXPECT_EQ(Fcell2[Csurfe[c]], Ccelle[c]);
        }
    }
    for (int j = 2; j <= 5; ++j) {
        const int c = Cells(4, j).front();
        EXPECT_EQ(Layer(7, 2 * (j - 1), Ccellw[c]), 1) << "row " << j;
        EXPECT_EQ(Fcell1[Csurfw[c]], Ccellw[c]);
    }
    ExpectChecked();
}

// A column facing a dry or a single-cell partner keeps its walls, and a
// single-cell column starts no link.
TEST_F(BlockConnection, DryAndSingleCellPartnersLeaveWalls) {
    for (bool dry : {true, false}) {
        Build(1, 8);
        if (dry) {
            GridRegion[7][2] = 1;
        } else {
            for (auto [i, j] : {std::pair{6, 1}, {7, 1}, {6, 2}, {7, 2}}) SetNode(i, j, 1.9, 2.0);
        }
        ASSERT_FALSE(Generate().ended);
        ASSERT_EQ(Cells(7, 2).size(), dry ? 0u : 1u);
        for (int c : Cells(4, 2)) EXPECT_EQ(Ccelle[c], 0) << (dry ? "dry" : "single cell");
        for (int c : Cells(7, 2)) EXPECT_EQ(Ccellw[c], 0);
        EXPECT_NE(Ccelle[Cells(4, 3).front()], 0) << "the next row still links";
        const GridCheck check = CheckGridInvariants();
        EXPECT_EQ(check.fatal, 0) << (check.messages.empty() ? "" : check.messages.front());
        GridRegion[7][2] = 0;
    }
}

}  // namespace
