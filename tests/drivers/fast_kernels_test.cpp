// The five-field kernels of the fast driver on small boxes with their metric.
#include <gtest/gtest.h>

#include <cmath>

#include "drivers/fast_kernels.h"
#include "drivers/residuals.h"
#include "tests/flow/flow_case.h"

namespace {

constexpr int kU = 0, kK = 3;

class FastKernels : public FlowCase {
protected:
    BoxGrid FastBox(int ni, int nj, int nk, const BoxSpacing& h = {}) {
        const BoxGrid g = Box(ni, nj, nk, h, "F 170 1\n");
        EXPECT_TRUE(FastArraysReady());
        for (int r = 0; r < kFastRows; ++r) {
            for (int c = 0; c <= NoCells; ++c) InvApMulti[r][c] = CsourceMulti[r][c] = CfMulti[r][c] = 0.0;
        }
        return g;
    }
    static bool WallCell(int c) {
        for (const Array1<int>* s : {&Csurfe, &Csurfw, &Csurfs, &Csurfn, &Csurft, &Csurfb}) {
            if (Fflagflow[(*s)[c]] == -1) return true;
        }
        return false;
    }
};

// A shear flow: production in the cell away from the walls, none in a cell
// with a wall-law face, whose k terms come from the wall law alone.
TEST_F(FastKernels, WallCellsHaveNoGradientProduction) {
    const BoxGrid g = FastBox(3, 3, 3);
    for (int c = 1; c <= NoCells; ++c) {
        Cu[c] = 0.2 * Czcenter[c] + 0.1 * Cycenter[c];
        Ck[c] = 1e-3;
        Cepsilon[c] = 1e-4;
        Ceddyvisc[c] = 1.0;
    }
    const int inner = g.cell(1, 1, 1);
    int wall = 0;
    for (int c = 1; c <= NoCells && wall == 0; ++c) {
        if (WallCell(c)) wall = c;
    }
    ASSERT_NE(wall, 0) << "the box has no wall-law face";
    ASSERT_FALSE(WallCell(inner));
    ComputeKEpsilonSourcesFast();
    EXPECT_GT(CsourceMulti[kK][inner], 0.0);
    EXPECT_EQ(CsourceMulti[kK][wall], 0.0);
    EXPECT_NEAR(InvApMulti[kK][wall], 1000.0 * Cvol[wall] * 0.1, 1e-9);
}

// F 16 below the floor of the wall law: the law uses the floor, the
// global that later run starts copy into the bed roughness keeps its value.
TEST_F(FastKernels, WallLawLeavesTheGlobalRoughnessAlone) {
    FastBox(2, 2, 2);
    for (int c = 1; c <= NoCells; ++c) {
        Ck[c] = 1e-3;
        Cu[c] = 0.5;
        Croughness[c] = 0.01;
    }
    WallRoughness = 5e-5;
    ComputeWallLawsFast();
    EXPECT_EQ(WallRoughness, 5e-5);
    EXPECT_EQ(Kappa, 0.4);
    EXPECT_GT(InvApMulti[kU][1], 0.0);
    EXPECT_TRUE(std::isfinite(CsourceMulti[kU][1]));
}

// P = x^2 on cells 1 m long: the central difference inside, first order at
// the end cells, or second order (exact for a parabola) with F 69 5th.
TEST_F(FastKernels, PressureDifferencesAtTheEnds) {
    struct Case {
        int second;
        double west, middle;  // dP across the cells at x = 0.5 and x = 1.5
    };
    for (const Case& t : {Case{0, 2.0, 3.0}, Case{1, 1.0, 3.0}}) {
        SCOPED_TRACE(t.second);
        const BoxGrid g = FastBox(4, 1, 1);
        for (int c = 1; c <= NoCells; ++c) Pres[c] = Cxcenter[c] * Cxcenter[c];
        F69Int5 = t.second;
        ComputePressureGradients();
        const int w = g.cell(0, 0, 0), m = g.cell(1, 0, 0);
        const double area = Farea[Csurfe[w]];
        EXPECT_NEAR(CsourceMulti[kU][w], -area * t.west, 1e-9);
        EXPECT_NEAR(CsourceMulti[kU][m], -area * t.middle, 1e-9);
    }
}

// An inflow group adds its mass flux to every row and its momentum and
// turbulence to the sources; an outflow group only marks its cells.
TEST_F(FastKernels, InflowTermsAndOutflowMarks) {
    const BoxGrid g = FastBox(3, 1, 1);
    const int in = g.cell(0, 0, 0), out = g.cell(2, 0, 0);
    const int sIn = Csurfw[in], sOut = Csurfe[out];
    DischargeGroupRecord& a = DischargeGroups[1];
    a.groupType = 1;
    a.noSurfaces = 1;
    a.surfaceList[0] = sIn;
    a.area = Farea[sIn];
    a.discharge = 500.0 * Farea[sIn];  // 0.5 m/s
    a.inflowK = 0.01;
    DischargeGroupRecord& b = DischargeGroups[2];
    b.groupType = 0;
    b.noSurfaces = 1;
    b.surfaceList[0] = sOut;
    SetInflowBoundaryConditionsFast();
    const double q = 500.0, area = Farea[sIn];
    for (int r = 0; r < kFastRows; ++r) {
        EXPECT_NEAR(InvApMulti[r][in], q * area, 1e-9);
        EXPECT_EQ(InvApMulti[r][out], 0.0);
        EXPECT_EQ(CsourceMulti[r][out], 0.0);
    }
    EXPECT_NEAR(std::fabs(CsourceMulti[kU][in]), q * q * 0.001 * area, 1e-9);
    EXPECT_NEAR(CsourceMulti[kK][in], 0.01 * q * area, 1e-12);
    EXPECT_EQ(CdischargeGroup[in], 1);
    EXPECT_EQ(CdischargeGroup[out], -2);
}

// Rows of fixed values (1/a_P at most 1e-14) add nothing; the others add
// the change a point iteration would make.
TEST_F(FastKernels, ResidualSkipsFixedRows) {
    const BoxGrid g = FastBox(2, 1, 1);
    for (int eq = 1; eq <= 6; ++eq) ResidualScale[eq] = 1.0;
    const int c1 = g.cell(0, 0, 0), c2 = g.cell(1, 0, 0);
    FirstCell = LastCell = c1;
    Equation = 1;
    Cae[c1] = 2.0;
    for (int r = 0; r < kFastRows; ++r) {
        CfMulti[r][c1] = 1.0;
        CfMulti[r][c2] = 3.0;
        InvApMulti[r][c1] = r == kK ? 1e-30 : 0.25;
    }
    CheckResidualFast();
    // (2 * 3 + 0 - 1 / 0.25) * 0.25 = 0.5
    EXPECT_NEAR(MaxResidual[1], 0.5, 1e-12);
    EXPECT_NEAR(MaxResidual[6], 0.5, 1e-12);
    EXPECT_EQ(MaxResidual[5], 0.0);
    EXPECT_EQ(CfMulti[kU][c1], 1.0);
}

TEST_F(FastKernels, ResidualWithoutScaleEndsTheRunAsAFailure) {
    FastBox(2, 1, 1);
    for (int eq = 1; eq <= 6; ++eq) ResidualScale[eq] = eq == 5 ? 0.0 : 1.0;
    const EngineCall call = CallEngine([] {
        CheckResidualFast();
        return 0;
    });
    EXPECT_TRUE(call.ended);
    EXPECT_EQ(call.status, kResidualNotSetStatus);
    EXPECT_NE(log().find("Error, residual not set for equation no. 5\n"), std::string::npos) << log();
}

}  // namespace
