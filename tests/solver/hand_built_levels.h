// Hand-built multigrid levels over an 8 x 8 plan of columns of `layers`
// cells: the column level (record 2), a level of 2 x 2 groups (record 3) and
// one of 4 x 4 groups (record 4), behind block 1.
#pragma once

#include <gtest/gtest.h>

#include "grid/grid_data.h"
#include "run/params_f150.h"
#include "run/run_state.h"
#include "solver/solver_data.h"
#include "tests/support/equation_fixture.h"

class HandBuiltLevels : public EquationTest {
protected:
    static constexpr int kN = 8;
    static constexpr int kColumns = kN * kN;

    explicit HandBuiltLevels(int layers)
        : layers_(layers),
          gridCells_(kColumns * layers),
          column_(gridCells_),
          level3_(column_ + kColumns),
          level4_(level3_ + kColumns / 4),
          allCells_(level4_ + kColumns / 16) {
        BuildLevels();
    }

    // A clean set of levels, also for each case of a table. Every cell is
    // weighted 1 to each existing neighbour, with a diagonal excess of 0.5
    // and a source of 1.
    void BuildLevels() {
        ResetGlobals();
        MakeBoxGrid(allCells_, 1, 1);  // arrays for the level cells too
        g_ = MakeBoxGrid(kN, kN, layers_);
        for (int c = gridCells_ + 1; c <= allCells_; ++c) {
            Ccelle[c] = Ccellw[c] = Ccelln[c] = Ccells[c] = Ccellt[c] = Ccellb[c] = 0;
            Cap[c] = Cae[c] = Caw[c] = Can[c] = Cas[c] = Csource[c] = Cf[c] = 0.0;
        }
        EXPECT_TRUE(Cchildren.allocate(allCells_ + 1, 5));
        EXPECT_TRUE(Gridz.allocate(kN + 2, kN + 2, 3));
        NoBlocks = 1;
        BlockTable[1].iFirst = BlockTable[1].jFirst = 1;
        BlockTable[1].iLast = BlockTable[1].jLast = kN;
        BlockTable[1].firstCell = 1;
        BlockTable[1].lastCell = gridCells_;
        for (int i = 0; i < kN; ++i) {
            for (int j = 0; j < kN; ++j) Gridz[i + 1][j + 1][0] = bed(i, j);
        }
        for (int c = 1; c <= gridCells_; ++c) {
            Cae[c] = Ccelle[c] != 0 ? 1.0 : 0.0;
            Caw[c] = Ccellw[c] != 0 ? 1.0 : 0.0;
            Can[c] = Ccelln[c] != 0 ? 1.0 : 0.0;
            Cas[c] = Ccells[c] != 0 ? 1.0 : 0.0;
            Cap[c] = Cae[c] + Caw[c] + Can[c] + Cas[c] + 0.5;
            Csource[c] = 1.0;
        }
        BuildLevel(2, 1, column_);
        BuildLevel(3, 2, level3_);
        BuildLevel(4, 4, level4_);
        MultigridLevels = 4;
        MultigridChoice = 4;
    }
    int bed(int i, int j) const { return g_.cell(i, j, 0); }
    int top(int i, int j) const { return g_.cell(i, j, layers_ - 1); }
    // The level cell that holds position (i, j) on the level of step s whose
    // cells follow cell `first`.
    static int LevelCell(int first, int s, int i, int j) { return first + 1 + (j / s) + (kN / s) * (i / s); }
    int columnCell(int i, int j) const { return LevelCell(column_, 1, i, j); }

    const int layers_, gridCells_, column_, level3_, level4_, allCells_;
    BoxGrid g_;

private:
    // Level L with step s in record L: cells, children, parents and links.
    void BuildLevel(int level, int s, int first) {
        const int per = kN / s;
        for (int i = 0; i < kN; i += s) {
            for (int j = 0; j < kN; j += s) {
                const int n = LevelCell(first, s, i, j);
                if (s == 1) {
                    Cchildren[n][1] = bed(i, j);
                    Cchildren[n][2] = top(i, j);
                    for (int c = bed(i, j); c <= top(i, j); ++c) Cchildren[c][0] = n;
                } else {
                    const int h = s / 2, below = first - (kN / h) * (kN / h);
                    const int kids[4] = {LevelCell(below, h, i, j), LevelCell(below, h, i, j + h),
                                         LevelCell(below, h, i + h, j + h), LevelCell(below, h, i + h, j)};
                    for (int k = 0; k < 4; ++k) {
                        Cchildren[n][k + 1] = kids[k];
                        Cchildren[kids[k]][0] = n;
                    }
                }
                Ccelle[n] = i / s + 1 < per ? LevelCell(first, s, i + s, j) : 0;
                Ccellw[n] = i > 0 ? LevelCell(first, s, i - s, j) : 0;
                Ccelln[n] = j / s + 1 < per ? LevelCell(first, s, i, j + s) : 0;
                Ccells[n] = j > 0 ? LevelCell(first, s, i, j - s) : 0;
            }
        }
        BlockRecord& r = BlockTable[NoBlocks + level - 1];
        r.depthAveraged = 2;
        r.gridLevel = level;
        r.firstCell = first + 1;
        r.lastCell = first + per * per;
    }
};
