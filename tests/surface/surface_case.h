// The channel of the grid tests read into the engine for the surface
// updates: 4 by 3 columns (i = 2..5, j = 2..4) of 3 cells, bed at 0 and the
// water surface at 1 m, an inflow group (1) at the west end and an outflow
// group (2) at the east end.
#pragma once

#include <string>

#include "flow/flow_data.h"
#include "surface/surface_data.h"
#include "surface/surface_services.h"
#include "tests/grid/unstruc_case.h"

class SurfaceCase : public UnstrucCase {
protected:
    void SetUp() override {
        StartAndRead(Channel(3).control + control_, Channel(3).unstruc);
        iPres = 3;
        jPres = 3;
    }

    static int Top(int i, int j) {
        int c = static_cast<int>(Gridz[i][j][0]);
        while (c > 0 && Ccellt[c] > 0) c = Ccellt[c];
        return c;
    }
    static int Bottom(int i, int j) { return static_cast<int>(Gridz[i][j][0]); }
    static double Level(int c) { return Czcenter[c] + Ckdist[c]; }
    static double& Node(int i, int j) { return Gridz[i][j][NoGridLinesZ]; }
    static double& NewNode(int i, int j) { return Gridz[i][j][NoGridLinesZ + 1]; }

    // Every top-cell pressure p.
    static void SetTopPressures(double p) {
        for (int c = 1; c <= NoCells; ++c) {
            if (Ccellt[c] == 0) Pres[c] = p;
        }
    }

    // A `timei` level series of rows (time, level, level2).
    static void SetSeries(const std::vector<std::array<double, 3>>& rows) {
        const size_t n = rows.size();
        for (Array1<double>* a : {&TimeiTime, &TimeiLevel, &TimeiLevel2}) {
            a->release();
            ASSERT_TRUE(a->allocate(n + 1));
        }
        for (size_t r = 0; r < n; ++r) {
            TimeiTime[r] = rows[r][0];
            TimeiLevel[r] = rows[r][1];
            TimeiLevel2[r] = rows[r][2];
        }
        NoTimeiSteps = static_cast<int>(n);
    }

    // The running sums of F 143 over the structured grid.
    static void AllocateTrendSums() {
        const size_t ni = NoGridLinesX + 2, nj = NoGridLinesY + 2;
        ASSERT_TRUE(GridTrendSumY.allocate(ni, nj) && GridTrendSumXY.allocate(ni, nj));
        ASSERT_TRUE(GridTrendSumX.allocate(ni, nj) && GridTrendSumXX.allocate(ni, nj) && GridTrendN.allocate(ni, nj));
    }

    std::string control_;
};
