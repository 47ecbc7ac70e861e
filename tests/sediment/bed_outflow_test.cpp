// What leaves the bottom cells through the outflow groups and the block
// interfaces, and the lateral exchange of sediment across the bed slope.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "grid/grid_services.h"
#include "run/globals.h"
#include "sediment/sediment_services.h"
#include "tests/support/control_text.h"
#include "tests/support/grid_engine.h"
#include "tools/box_geometry.h"

namespace {

class BedCells : public ::testing::Test {
protected:
    // ni x nj columns of nk unit cells, one size, F 37 1.
    BoxGrid Build(int ni, int nj, int nk) {
        WriteHere("control", "G 1 8 8 5 1\nF 65 200 800 400 10 10\nF 33 1 1\nF 37 1\n");
        const EngineCall start = StartEngineHere();
        EXPECT_FALSE(start.ended) << start.log;
        const BoxGrid g = MakeBoxGeometry(ni, nj, nk);
        const EngineCall m = CallEngine([] {
            metric();
            return 0;
        });
        EXPECT_FALSE(m.ended) << m.log;
        FirstBedCell = 1;
        LastBedCell = ni * nj;
        for (int i = 0; i < ni; ++i) {
            for (int j = 0; j < nj; ++j) {
                const int b = 1 + j + nj * i;
                Bcellt[b] = g.cell(i, j, 0);
                Barea[b] = 1.0;
                for (int k = 0; k < nk; ++k) Cbedcell[g.cell(i, j, k)] = b;
                BSedDistrib[0][0][b] = 1.0;
                BSedDistrib[0][1][b] = 1.0;
            }
        }
        return g;
    }

    // Group g of type `type` and distribution `mode` over `surfaces`.
    static void Group(int g, int type, int mode, const std::vector<int>& surfaces, double discharge) {
        DischargeGroupRecord& r = DischargeGroups[g];
        r.groupType = type;
        r.groupMode = mode;
        r.noSurfaces = static_cast<int>(surfaces.size());
        r.area = 0.0;
        for (size_t n = 0; n < surfaces.size(); ++n) {
            r.surfaceList[n] = surfaces[n];
            r.area += Farea[surfaces[n]];
        }
        r.discharge = discharge;
    }

    InProjectDir here_;
};

// Two columns of two cells; the outflow leaves through the east faces of the
// east column, 100 kg/s over 2 m2.
TEST_F(BedCells, OutflowGroupByAreaReachesOnlyTheBottomCell) {
    const BoxGrid g = Build(2, 1, 2);
    const int bed = g.cell(1, 0, 0), above = g.cell(1, 0, 1);
    Group(3, 0, 0, {Csurfe[bed], Csurfe[above]}, 100.0);
    AddBedCellOutflow(1);
    EXPECT_NEAR(BsedOutflowCoef[1][2], 50.0, 1e-12);
    EXPECT_NEAR(Binspace[2], -50.0, 1e-12);
    EXPECT_EQ(BsedOutflowCoef[1][1], 0.0);
    EXPECT_EQ(GroupDischarge[3], 100.0);
}

TEST_F(BedCells, OutflowGroupByFluxWeighsTheOutwardFlow) {
    const BoxGrid g = Build(2, 1, 2);
    const int bed = g.cell(1, 0, 0), above = g.cell(1, 0, 1);
    Cu[bed] = 1.0;
    Cu[above] = 3.0;
    Group(3, 0, 1, {Csurfe[bed], Csurfe[above]}, 100.0);
    AddBedCellOutflow(1);
    // 0.1 of the discharge by area, 0.9 by the outward flux 1 of 4.
    EXPECT_NEAR(BsedOutflowCoef[1][2], 0.1 * 50.0 + 0.9 * 100.0 / 4.0, 1e-9);
}

TEST_F(BedCells, InflowGroupsAndOtherModesAddNothing) {
    const BoxGrid g = Build(2, 1, 2);
    Group(1, 1, 0, {Csurfw[g.cell(0, 0, 0)]}, 100.0);
    Group(3, 0, 4, {Csurfe[g.cell(1, 0, 0)]}, 100.0);
    AddBedCellOutflow(1);
    EXPECT_EQ(BsedOutflowCoef[1][1], 0.0);
    EXPECT_EQ(BsedOutflowCoef[1][2], 0.0);
}

TEST_F(BedCells, SeriesDischargeIsInterpolatedAndHeldBeforeItsStart) {
    const BoxGrid g = Build(2, 1, 2);
    Group(3, 0, 0, {Csurfe[g.cell(1, 0, 0)]}, 7.0);
    TimeiInflowFlag = 1;
    NoTimeiSteps = 2;
    ASSERT_TRUE(TimeiTime.allocate(3) && TimeiDischarge.allocate(3, 10));
    TimeiTime[0] = 10.0;
    TimeiTime[1] = 20.0;
    TimeiDischarge[0][3] = 0.1;
    TimeiDischarge[1][3] = 0.2;
    for (const auto& [time, expected] : {std::pair{0.0, 100.0}, std::pair{15.0, 150.0}, std::pair{30.0, 200.0}}) {
        stime = time;
        BsedOutflowCoef[1][2] = 0.0;
        AddBedCellOutflow(1);
        EXPECT_NEAR(GroupDischarge[3], expected, 1e-9) << time;
        EXPECT_NEAR(BsedOutflowCoef[1][2], expected, 1e-9) << time;
    }
}

TEST_F(BedCells, BlockInterfaceOutflowOfBottomCells) {
    const BoxGrid g = Build(2, 1, 2);
    NoBoundaryCells = 3;
    ASSERT_TRUE(BoundaryCellNo.allocate(4) && BoundaryCellValue.allocate(4));
    BoundaryCellNo[1] = g.cell(0, 0, 0);
    BoundaryCellValue[1] = -0.002;
    BoundaryCellNo[2] = g.cell(0, 0, 1);  // not a bottom cell
    BoundaryCellValue[2] = -0.5;
    BoundaryCellNo[3] = g.cell(1, 0, 0);  // inflow
    BoundaryCellValue[3] = 0.5;
    AddBedCellOutflow(1);
    EXPECT_NEAR(BsedOutflowCoef[1][1], 2.0, 1e-12);
    EXPECT_EQ(BsedOutflowCoef[1][2], 0.0);
}

// 3 x 3 columns of one cell, the bed normal tilted towards +y.
class SlopeExchange : public BedCells {
protected:
    void Flow(double ck, double u, double v, double tilt) {
        Build(3, 3, 1);
        Diameter[1] = 0.0002;
        LateralSlopeFactor = 0.6;
        for (int c = 1; c <= NoCells; ++c) {
            Ck[c] = ck;
            Cu[c] = u;
            Cv[c] = v;
            conc[1][c] = 0.001 * c;
            Csource[c] = 0.0;
            const int bed = Csurfb[c];
            Fvecx[bed] = 0.0;
            Fvecy[bed] = tilt;
            Fvecz[bed] = std::sqrt(1.0 - tilt * tilt);
        }
    }
    static bool Moved() {
        for (int c = 1; c <= NoCells; ++c) {
            if (Csource[c] != 0.0) return true;
        }
        return false;
    }
};

TEST_F(SlopeExchange, MovesSedimentWithoutLosingAny) {
    Flow(0.01, 0.5, 0.1, 0.1);
    AddSlopeBedLoadExchange(1);
    ASSERT_TRUE(Moved());
    double sum = 0.0, scale = 0.0;
    for (int c = 1; c <= NoCells; ++c) {
        sum += Csource[c];
        scale += std::fabs(Csource[c]);
    }
    EXPECT_LE(std::fabs(sum), 1e-15 * scale);
}

TEST_F(SlopeExchange, StillFlatChannelHasNoExchangeAndNoNaN) {
    Flow(0.0, 0.0, 0.0, 0.0);
    AddSlopeBedLoadExchange(1);
    for (int c = 1; c <= NoCells; ++c) EXPECT_EQ(Csource[c], 0.0) << c;
}

TEST_F(SlopeExchange, StillWaterOnASlopeHasNoExchange) {
    Flow(0.0, 0.5, 0.0, 0.1);
    AddSlopeBedLoadExchange(1);
    for (int c = 1; c <= NoCells; ++c) EXPECT_EQ(Csource[c], 0.0) << c;
}

TEST_F(SlopeExchange, ZeroVelocityMovesNothing) {
    Flow(0.01, 0.0, 0.0, 0.1);
    AddSlopeBedLoadExchange(1);
    for (int c = 1; c <= NoCells; ++c) EXPECT_EQ(Csource[c], 0.0) << c;
}

TEST_F(SlopeExchange, ThinLayerTakesNoPart) {
    Flow(0.01, 0.5, 0.1, 0.1);
    for (int b = 1; b <= 9; ++b) BSedDistrib[0][0][b] = 0.0001;
    AddSlopeBedLoadExchange(1);
    EXPECT_FALSE(Moved());
}

}  // namespace
