// Steps of the drivers over a depth-averaged block: the vertical fluxes of
// the hydrostatic driver and the failure of the simplified momentum step.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "drivers/depth_averaged.h"
#include "grid/grid_data.h"
#include "run/globals.h"
#include "run/status.h"
#include "tests/flow/flow_case.h"

namespace {

using DepthAveragedSteps = FlowCase;

// A column of three 0.1 m cells (bottom, middle, top) whose continuity
// defects are 0.5, -2 and 1 kg/s.
TEST_F(DepthAveragedSteps, ColumnFluxesCarryTheDefectsOfTheColumn) {
    struct Case {
        int option;
        bool bottomFaces;  // the fluxes land on the bottom faces of top and middle, else on the top faces of bottom and middle
        double upper, lower;
    };
    const Case cases[] = {
        {0, true, -1.0, 1.0},
        {1, false, 1.5, -0.5},
        {4, true, -1.0 - 0.5 / 3.0, 2.0 / 3.0},
    };
    for (const Case& k : cases) {
        const BoxGrid g = Box(1, 1, 3, {1.0, 1.0, 0.1});
        const int bottom = g.cell(0, 0, 0), middle = g.cell(0, 0, 1), top = g.cell(0, 0, 2);
        ASSERT_EQ(Ccellt[middle], top);
        for (int s = 1; s <= NoSurfaces; ++s) Fflux[s] = 0.0;
        Csource[top] = 1.0;
        Csource[middle] = -2.0;
        Csource[bottom] = 0.5;
        FirstCell = 1;
        LastCell = NoCells;
        ComputeColumnFluxes(k.option);
        if (k.bottomFaces) {
            EXPECT_NEAR(Fflux[Csurfb[top]], k.upper, 1e-12) << k.option;
            EXPECT_NEAR(Fflux[Csurfb[middle]], k.lower, 1e-12) << k.option;
        } else {
            EXPECT_NEAR(Fflux[Csurft[middle]], k.upper, 1e-12) << k.option;
            EXPECT_NEAR(Fflux[Csurft[bottom]], k.lower, 1e-12) << k.option;
        }
        // W from the faces of each cell, in m/s over the 1 m2 top face.
        EXPECT_NEAR(Cw[middle], 0.0005 * (Fflux[Csurft[middle]] + Fflux[Csurfb[middle]]), 1e-15);
    }
}

TEST_F(DepthAveragedSteps, ColumnOfOneCellIsLeftAlone) {
    const BoxGrid g = Box(1, 1, 1);
    const int c = g.cell(0, 0, 0);
    Fflux[Csurfb[c]] = 3.0;
    Cw[c] = 7.0;
    Csource[c] = 1.0;
    FirstCell = LastCell = c;
    for (int option = 0; option <= 4; ++option) ComputeColumnFluxes(option);
    EXPECT_EQ(Fflux[Csurfb[c]], 3.0);
    EXPECT_EQ(Cw[c], 7.0);
}

// Cells without neighbour coefficients or walls: the U diagonal is 0, the
// dump names the first cell and the step stops before solving.
TEST_F(DepthAveragedSteps, ZeroUDiagonalIsDumpedAndFailsTheFlow) {
    const BoxGrid g = Box(2, 1, 1);
    FirstCell = 1;
    LastCell = NoCells;
    FirstSurface = 1;
    LastSurface = NoSurfaces;
    for (int c = 1; c <= NoCells; ++c) {
        Cae[c] = Caw[c] = Can[c] = Cas[c] = Cat[c] = Cab[c] = 0.0;
        Cu[c] = 0.25;
    }
    for (int s = 1; s <= NoSurfaces; ++s) Fflagflow[s] = 0;
    const EngineCall call = CallEngine([] {
        SolveMomentumSimple(3);
        return 0;
    });
    ASSERT_FALSE(call.ended) << call.status << " " << StatusText << call.log;
    const std::string text = call.log;
    const char* lines[] = {"Error 4, Cap(1) = 0.000000e+00\n", "Velocities: 2.500000e-01", "Volume = ",
                           "Neighbour indexes: ", "Bed level: ", "Water level: "};
    size_t at = 0;
    for (const char* line : lines) {
        const size_t found = text.find(line, at);
        ASSERT_NE(found, std::string::npos) << line << "\n" << text;
        at = found;
    }
    EXPECT_EQ(FlowFailedFlag, 1);
    EXPECT_EQ(std::string(StatusText), "Error, Cap(1) = 0.000000e+00\n");
    EXPECT_EQ(Cu[g.cell(1, 0, 0)], 0.25);
}

// A grid of one block has no 3D columns: mode 2 pairs none, clears none and
// sums none, so the cells keep their own terms and solve as in mode 3.
TEST_F(DepthAveragedSteps, ModeTwoOnOneBlockMakesNoColumnSums) {
    Box(2, 1, 2);
    NoBlocks = 1;
    BlockTable[1].depthAveraged = 1;
    BlockTable[1].overlapLevel = 0;
    BlockTable[1].firstCell = 1;
    BlockTable[1].lastCell = NoCells;
    ASSERT_TRUE(PairDepthAveragedColumns());
    EXPECT_TRUE(ColumnPairs.empty());
    FirstCell = 1;
    LastCell = NoCells;
    FirstSurface = 1;
    LastSurface = NoSurfaces;
    for (int eq = 1; eq <= 6; ++eq) ResidualScale[eq] = 1.0;
    std::vector<double> solved[2];
    for (int mode : {3, 2}) {
        for (int c = 1; c <= NoCells; ++c) {
            Cae[c] = Caw[c] = Can[c] = Cas[c] = Cat[c] = Cab[c] = 1.0 + 0.1 * c;
            Cu[c] = 0.1 * c;
            Cv[c] = 0.05 * c;
            Pres[c] = 10.0 - c;
        }
        const EngineCall call = CallEngine([mode] {
            SolveMomentumSimple(mode);
            return 0;
        });
        ASSERT_FALSE(call.ended) << call.log;
        ASSERT_EQ(FlowFailedFlag, 0) << call.log;
        for (int c = 1; c <= NoCells; ++c) {
            solved[mode - 2].push_back(Cu[c]);
            solved[mode - 2].push_back(Cv[c]);
            solved[mode - 2].push_back(CinvAp[c]);
            EXPECT_GT(Cap[c], 0.0) << mode << " " << c;
        }
    }
    EXPECT_EQ(solved[0], solved[1]);
}

}  // namespace
