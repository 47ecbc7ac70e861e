// Coefficients of a side that faces several cells of the neighbouring column.
#include <cmath>
#include <vector>

#include "tests/flow/flow_case.h"

namespace {

class SplitFaces : public FlowCase {
protected:
    // Three columns of three cells; the top cell of the first column faces
    // the whole second column across its east side.
    void SetUp() override {
        g_ = Box(3, 1, 3, {}, "F 137 1\nK 6 1 1 1 0 1 1\n");
        for (int c = 1; c <= NoCells; ++c) {
            Ceddyvisc[c] = 0.2;
            Ceddyviscz[c] = 0.05;
        }
        c_ = g_.cell(0, 0, 2);
        Cnocellse[c_] = 3;
        CnbMultiE[c_][0] = g_.cell(1, 0, 0);
        Cae[c_] = -10.0;
        for (int i = 0; i < 3; ++i) Caw[Facing(i)] = -10.0;
    }

    int Facing(int i) const { return g_.cell(1, 0, i); }
    void SetFlux(int i, double f) { Fflux[Csurfw[Facing(i)]] = f; }

    BoxGrid g_;
    int c_ = 0;
};

// Unit cells: D = 0.2, and |F| = 0.3 gives P = 1.5.
const double kD = 0.2;
const double kDA = 0.2 * std::pow(1.0 - 0.15, 5);

TEST_F(SplitFaces, FirstOrderGivesEachFacingCellItsOwnCoefficient) {
    Equation = 1;
    ConvectionScheme[1] = 0;
    const double flux[3] = {0.3, -0.3, 0.0};
    for (int i = 0; i < 3; ++i) SetFlux(i, flux[i]);
    ComputeMultiNeighbourCoefficients();
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        const double da = flux[i] == 0.0 ? kD : kDA;
        EXPECT_NEAR(CaMultiE[c_][i], da + std::max(-flux[i], 0.0), 1e-14);
        EXPECT_NEAR(Caw[Facing(i)], da + std::max(flux[i], 0.0), 1e-14);
        EXPECT_EQ(CbMultiE[c_][i], 0.0);
    }
    EXPECT_EQ(Cae[c_], 0.0);
}

// The uniform case: r = 1.5, and 1.33 times that where the facing cell has
// an ordinary neighbour back towards the cell.
TEST_F(SplitFaces, SecondOrderWeightsTheInflowByTheCellSizes) {
    Equation = 1;
    ConvectionScheme[1] = 1;
    const double u = 0.3;
    SetFlux(0, -u);  // into the cell
    SetFlux(1, -u);
    SetFlux(2, 0.0);
    Ccellw[Facing(1)] = 0;
    ComputeMultiNeighbourCoefficients();
    EXPECT_NEAR(CaMultiE[c_][0], kDA + 1.995 * u, 1e-14);
    EXPECT_NEAR(CbMultiE[c_][0], -0.5 * u, 1e-14);
    EXPECT_NEAR(CaMultiE[c_][1], kDA + 1.5 * u, 1e-14);
    EXPECT_NEAR(CbMultiE[c_][1], -0.5 * u, 1e-14);
    EXPECT_NEAR(CaMultiE[c_][2], kD, 1e-14);  // no flux: diffusion only
    EXPECT_EQ(CbMultiE[c_][2], 0.0);
    // Flux leaving the cell: diffusion only there too.
    SetFlux(0, u);
    ComputeMultiNeighbourCoefficients();
    EXPECT_NEAR(CaMultiE[c_][0], kDA, 1e-14);
    EXPECT_EQ(CbMultiE[c_][0], 0.0);
    // The facing cells keep what the second-order pass gave them.
    for (int i = 0; i < 3; ++i) EXPECT_EQ(Caw[Facing(i)], -10.0);
    EXPECT_EQ(Cae[c_], 0.0);
}

TEST_F(SplitFaces, WithoutTheFlagNothingChanges) {
    SplitFaceFlag = 0;
    SetFlux(0, -0.3);
    for (int i = 0; i < 3; ++i) CaMultiE[c_][i] = 7.0;
    ComputeMultiNeighbourCoefficients();
    EXPECT_EQ(Cae[c_], -10.0);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(CaMultiE[c_][i], 7.0);
        EXPECT_EQ(Caw[Facing(i)], -10.0);
    }
}

// The convection-diffusion pass ends with this one, in both orders.
TEST_F(SplitFaces, TheCoefficientPassHandsOver) {
    for (const int scheme : {0, 1}) {
        Equation = 1;
        ConvectionScheme[1] = scheme;
        SetFlux(0, -0.3);
        ComputeConvectionDiffusionCoefficients(FirstSurface, LastSurface);
        EXPECT_EQ(Cae[c_], 0.0);
        EXPECT_GT(CaMultiE[c_][0], 0.3);
    }
}

}  // namespace
