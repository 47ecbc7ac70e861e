// The water-quality components of an inner pass: the whole grid for the
// components and the flow's own range afterwards, the far coefficients by
// K 6, and the storage term of an unsteady run.
#include <gtest/gtest.h>

#include <cmath>

#include "drivers/flow_drivers.h"
#include "run/globals.h"
#include "tests/drivers/water_solve_case.h"

namespace {

double NeighbourSum(int c) { return Cae[c] + Caw[c] + Cas[c] + Can[c] + Cat[c] + Cab[c]; }
double FarSum(int c) { return Caee[c] + Caww[c] + Cass[c] + Cann[c] + Catt[c] + Cabb[c]; }

// The groups bring no component in, so that Cap holds the shared
// coefficients alone.
void NoComponentInflow() {
    for (int g = 1; g < kDischargeGroups; ++g) DischargeGroups[g].inflowComponent = -1;
}

EngineCall SolveComponents() {
    return CallEngine([] {
        SolveWaterQualityComponents(1);
        return 0;
    });
}

// A call from the sediment driver keeps its range; the components are
// solved on the cells outside it too.
TEST_F(WaterSolveCase, ComponentsCoverTheGridAndLeaveTheFlowRange) {
    Start("K 1 5\nF 50 1\n");
    NoComponentInflow();
    FlagTSC = 1;
    FirstCell = 2;
    LastCell = NoCells - 1;
    FirstSurface = 3;
    LastSurface = NoSurfaces - 2;
    for (int c = 1; c <= NoCells; ++c) Components[0][c] = 1.0;
    const EngineCall call = Solve();
    ASSERT_FALSE(call.ended) << call.log;
    EXPECT_EQ(FirstCell, 2);
    EXPECT_EQ(LastCell, NoCells - 1);
    EXPECT_EQ(FirstSurface, 3);
    EXPECT_EQ(LastSurface, NoSurfaces - 2);
    for (int c : {1, NoCells}) EXPECT_DOUBLE_EQ(Cap[c], NeighbourSum(c)) << c;
    for (int c = 1; c <= NoCells; ++c) EXPECT_TRUE(std::isfinite(Components[0][c])) << c;
}

// K 6 of the equation number held when a component is built: 8 for the
// first two components, 9 for the third.
TEST_F(WaterSolveCase, FarCoefficientsFollowTheEquationNumberHeld) {
    Start("K 1 1\nF 63 1\nF 50 3\n");
    ConvectionScheme[9] = 0;
    const struct {
        int components;
        bool far;
    } rows[] = {{2, true}, {3, false}};
    for (const auto& row : rows) {
        NoComponents = row.components;
        for (Array1<double>* a : {&Caee, &Caww, &Cass, &Cann, &Catt, &Cabb}) {
            for (int c = 1; c <= NoCells; ++c) (*a)[c] = 0.5;
        }
        ASSERT_FALSE(SolveComponents().ended);
        for (int c = 1; c <= NoCells; ++c) {
            // The second-order pass assigns the far coefficients: none adds.
            if (row.far) {
                EXPECT_LE(FarSum(c), 0.0) << c;
            }
            EXPECT_DOUBLE_EQ(Cap[c], NeighbourSum(c) + (row.far ? FarSum(c) : 0.0)) << row.components;
        }
    }
}

TEST_F(WaterSolveCase, UnsteadyComponentsStoreTheirOldValues) {
    Start("K 1 1\nF 17 10\nF 50 1\n");
    NoComponentInflow();
    for (int c = 1; c <= NoCells; ++c) ComponentsOld[0][c] = 2.0;
    ASSERT_FALSE(SolveComponents().ended);
    for (int c = 1; c <= NoCells; ++c) {
        const double storage = 1000.0 * Cvol[c] / 10.0;
        EXPECT_DOUBLE_EQ(Cap[c], NeighbourSum(c) + storage) << c;
        EXPECT_DOUBLE_EQ(Csource[c], 2.0 * storage) << c;
    }
}

}  // namespace
