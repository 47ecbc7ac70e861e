// The option-50 level update: the Froude blend of the side fluxes and the
// level change of the flux into the top cell; the pseudo-velocity fluxes of
// F 171.
#include <gtest/gtest.h>

#include <cmath>

#include "drivers/flow_drivers.h"
#include "drivers/level_update_f36_fifty.h"
#include "drivers/water_pass.h"
#include "tests/flow/flow_case.h"

namespace {

TEST(BlendSurfaceFlux, WeightsTheUpstreamSideByTheFroudeNumber) {
    struct Case {
        double flux, froude, expected;
    };
    const Case cases[] = {
        {10.0, 0.2, 0.5}, {-10.0, 0.2, 10.0}, {10.0, 2.0, 10.0},
        {10.0, 1.25, 5.25}, {-10.0, 0.75, 5.25}, {-10.0, 1.0, 10.0},
    };
    for (const Case& c : cases) {
        EXPECT_NEAR(BlendSurfaceFlux(c.flux, c.froude), c.expected, 1e-12) << c.flux << " at Froude " << c.froude;
    }
}

class LevelUpdate : public FlowCase {
protected:
    // One column of `layers` cells, 1 m deep in all, under a uniform flow
    // of 0.5 m/s to the east: 500 kg/s per m2 through both sides.
    BoxGrid Column(int layers) {
        const BoxGrid g = Box(1, 1, layers, {0.25, 0.5, 1.0 / layers}, "F 36 50\n");
        for (int c = 1; c <= NoCells; ++c) {
            Fflux[Csurfw[c]] = 500.0 * Farea[Csurfw[c]];
            Fflux[Csurfe[c]] = 500.0 * Farea[Csurfe[c]];
        }
        if (layers > 1) Fflux[Csurft[g.cell(0, 0, layers - 2)]] = 2.0;
        if (!Blevelcorr.exists()) {
            EXPECT_TRUE(Blevelcorr.allocate(8));
        }
        if (!Barea.exists()) {
            EXPECT_TRUE(Barea.allocate(8));
        }
        if (!Cbedcell.exists()) {
            EXPECT_TRUE(Cbedcell.allocate(static_cast<size_t>(NoCells) + 1));
        }
        for (int c = 1; c <= NoCells; ++c) Cbedcell[c] = 1;
        Barea[1] = 0.125;
        Blevelcorr[1] = 0.0;
        BlockTable[1].firstCell = 1;
        BlockTable[1].lastCell = NoCells;
        NoBlocks = 1;
        TimeStep = 1.0;
        return g;
    }
};

TEST_F(LevelUpdate, FroudeNumberOfTheDepthMeanVelocity) {
    Column(4);
    EXPECT_NEAR(ColumnFroudeNumber(SumColumn(1)), 0.5 / std::sqrt(9.81), 1e-9);
}

TEST_F(LevelUpdate, FluxIntoTheTopCellRaisesTheLevelCorrection) {
    Column(4);
    UpdateLevelsF36Fifty();
    EXPECT_NEAR(Blevelcorr[1], 0.016, 1e-12);
    // Subcritical: the inflow side counts in full, the outflow side 5 %.
    const double side = 500.0 * Farea[Csurfw[1]] * 4.0;
    EXPECT_NEAR(Cae[1], side, 1e-9);
    EXPECT_NEAR(Caw[1], 0.05 * side, 1e-9);
    EXPECT_NEAR(Cap[1] - Cae[1] - Caw[1] - Can[1] - Cas[1], 125.0, 1e-9);
    UpdateLevelsF36Fifty();
    EXPECT_NEAR(Blevelcorr[1], 0.032, 1e-12);
}

TEST_F(LevelUpdate, OneCellColumnLeavesTheLevelAlone) {
    Column(1);
    Blevelcorr[1] = 0.3;
    UpdateLevelsF36Fifty();
    EXPECT_EQ(Blevelcorr[1], 0.3);
}

class PseudoFluxes : public FlowCase {};

// Cells 1 m long at x = 0.5, 1.5, 2.5, 3.5: the face at x = 1 has a far
// cell only beyond its west cell, and the weights reproduce u = x^2 there.
TEST_F(PseudoFluxes, QuadraticWeightsAtOneSidedFaces) {
    const BoxGrid g = Box(4, 1, 1, {1.0, 1.0, 1.0});
    for (int c = 1; c <= NoCells; ++c) {
        Cu[c] = Cxcenter[c] * Cxcenter[c];
        Cv[c] = Cw[c] = 0.0;
    }
    int oneSided = 0;
    for (int s = 1; s <= NoSurfaces; ++s) {
        if (Fcell1[s] > 0 && Fcell2[s] > 0 && (Fcellfar1[s] > 0) != (Fcellfar2[s] > 0)) oneSided = s;
    }
    ASSERT_NE(oneSided, 0);
    for (int s = 1; s <= NoSurfaces; ++s) Fflux[s] = -1.0;
    SetQuadraticPseudoFluxes(1, NoSurfaces);
    const int near = Fcellfar1[oneSided] > 0 ? Fcell1[oneSided] : Fcell2[oneSided];
    const int other = near == Fcell1[oneSided] ? Fcell2[oneSided] : Fcell1[oneSided];
    const double x = 0.5 * (Cxcenter[near] + Cxcenter[other]);
    EXPECT_NEAR(Fflux[oneSided], 1000.0 * x * x * Fareax[oneSided], 1e-9);
    // 1 m/s normal to the face: 1000 x its area.
    for (int c = 1; c <= NoCells; ++c) Cu[c] = 1.0;
    SetQuadraticPseudoFluxes(1, NoSurfaces);
    EXPECT_NEAR(std::fabs(Fflux[oneSided]), 1000.0 * Farea[oneSided], 1e-9);
    (void)g;
}

}  // namespace
