// Vertical fluxes of whole columns from their horizontal inflows (F 69) and
// the averaging of supercritical columns (F 93).
#include <vector>

#include "tests/flow/flow_case.h"

namespace {

class ColumnFluxes : public FlowCase {
protected:
    // One column of three cells on 1 m2 whose west faces carry the net side
    // inflows +3, -1 and -2 kg/s from the bed up.
    void ThreeCells() {
        g_ = Box(1, 1, 3);
        ClearFluxes();
        for (int k = 0; k < 3; ++k) Fflux[Csurfw[g_.cell(0, 0, k)]] = kInflow[k];
        FirstCell = 1;
        LastCell = NoCells;
    }
    static void ClearFluxes() {
        for (int s = 1; s <= NoSurfaces; ++s) Fflux[s] = 0.0;
        for (int c = 1; c <= NoCells; ++c) Cw[c] = Csource[c] = 0.0;
    }
    double Bottom(int k) const { return Fflux[Csurfb[g_.cell(0, 0, k)]]; }
    double W(int k) const { return Cw[g_.cell(0, 0, k)]; }

    static constexpr double kInflow[3] = {3.0, -1.0, -2.0};
    BoxGrid g_;
};

TEST_F(ColumnFluxes, ModesBalanceEveryCell) {
    const struct {
        int mode, calls;
        double bottom[3];  // bottom-face fluxes, bed up, after the calls
        double w[3];
    } rows[] = {
        {3, 1, {0.0, 3.0, 2.0}, {0.0015, 0.0025, 0.0010}},
        // A second call keeps them: the defect of the side faces alone does
        // not hold the vertical fluxes it produced.
        {3, 2, {0.0, 3.0, 2.0}, {0.0015, 0.0025, 0.0010}},
        {5, 1, {0.0, 3.0, 2.0}, {0.0015, 0.0025, 0.0010}},
        // 20 % of the way from rest, Cw relaxed against its old value.
        {1, 1, {0.0, 0.6, 0.4}, {0.0001 * 0.6, 0.0001 * 1.0, 0.0001 * 0.4}},
        {1, 120, {0.0, 3.0, 2.0}, {0.0015, 0.0025, 0.0010}},
        // Balanced already (P = N = 3): the defects stay, the fluxes move
        // as in mode 1, the velocities follow them as in mode 3.
        {4, 1, {0.0, 0.6, 0.4}, {0.0003, 0.0005, 0.0002}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << "mode " << row.mode << ", " << row.calls << " calls");
        ThreeCells();
        ColumnFluxOption = row.mode;
        for (int n = 0; n < row.calls; ++n) ComputeColumnVerticalFluxes();
        for (int k = 0; k < 3; ++k) {
            EXPECT_NEAR(Bottom(k), row.bottom[k], 1e-6 * 3.0) << "cell " << k;
            EXPECT_NEAR(W(k), row.w[k], 1e-6 * row.w[k] + 1e-12) << "cell " << k;
        }
        if (row.mode == 4) {
            for (int k = 0; k < 3; ++k) EXPECT_NEAR(Csource[g_.cell(0, 0, k)], kInflow[k], 1e-9);
        }
        // Each cell of the column is balanced once the fluxes have settled.
        if (row.bottom[1] == 3.0) {
            for (int k = 0; k < 3; ++k) EXPECT_NEAR(MassDefect(g_.cell(0, 0, k)), 0.0, 1e-6);
        }
    }
}

TEST_F(ColumnFluxes, SingleCellColumnsAreLeftAlone) {
    for (const int mode : {1, 2, 3, 4, 5}) {
        SCOPED_TRACE(mode);
        Box(1, 1, 1);
        ClearFluxes();
        Fflux[Csurfw[1]] = 5.0;
        Csource[1] = 5.0;
        Cw[1] = 0.7;
        ColumnFluxOption = mode;
        ComputeColumnVerticalFluxes();
        EXPECT_EQ(Cw[1], 0.7);
        EXPECT_EQ(Fflux[Csurfb[1]], 0.0);
        EXPECT_EQ(Csource[1], 5.0);
    }
}

TEST_F(ColumnFluxes, OtherModesChangeNothing) {
    for (const int mode : {0, 6, -1}) {
        ThreeCells();
        ColumnFluxOption = mode;
        ComputeColumnVerticalFluxes();
        for (int k = 0; k < 3; ++k) {
            EXPECT_EQ(Bottom(k), 0.0);
            EXPECT_EQ(W(k), 0.0);
        }
    }
}

// Mode 4 on a column of positive inflows only halves them.
TEST_F(ColumnFluxes, BalancingOfOneSidedColumns) {
    ThreeCells();
    for (int k = 0; k < 3; ++k) Fflux[Csurfw[g_.cell(0, 0, k)]] = 2.0 * (k + 1);
    ColumnFluxOption = 4;
    ComputeColumnVerticalFluxes();
    for (int k = 0; k < 3; ++k) EXPECT_NEAR(Csource[g_.cell(0, 0, k)], k + 1.0, 1e-9);
}

// Mode 2: Cw from the cell's defect, the face flux from the two velocities.
TEST_F(ColumnFluxes, VelocitiesFromTheDefects) {
    ThreeCells();
    const double defect[3] = {2.0, -1.0, 4.0};
    for (int k = 0; k < 3; ++k) Csource[g_.cell(0, 0, k)] = defect[k];
    ColumnFluxOption = 2;
    ComputeColumnVerticalFluxes();
    for (int k = 0; k < 3; ++k) EXPECT_DOUBLE_EQ(W(k), -0.001 * defect[k]);
    EXPECT_DOUBLE_EQ(Bottom(1), 500.0 * (-0.002 + 0.001));
    EXPECT_DOUBLE_EQ(Bottom(2), 500.0 * (0.001 - 0.004));
}

TEST_F(ColumnFluxes, SupercriticalColumnsAreAveraged) {
    const struct {
        double speed;
        bool averaged;
    } rows[] = {
        {3.0, true},    // 9 > 9.81 * 0.5
        {2.2, false},   // 4.84 below 4.905
        {0.0, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.speed);
        const BoxGrid g = Box(1, 1, 2, {1.0, 1.0, 0.25});
        NoBedCells = 1;
        Bcellt[1] = g.cell(0, 0, 0);
        FirstBedCell = LastBedCell = 1;
        for (int k = 0; k < 2; ++k) {
            const int c = g.cell(0, 0, k);
            Cu[c] = 0.6 * row.speed;
            Cv[c] = 0.8 * row.speed;
            Pres[c] = 100.0 * (k + 1);
            Cf[c] = k == 0 ? 1.0 : 3.0;
        }
        AverageSupercriticalColumns();
        for (int k = 0; k < 2; ++k) {
            const int c = g.cell(0, 0, k);
            EXPECT_DOUBLE_EQ(Pres[c], row.averaged ? 150.0 : 100.0 * (k + 1));
            EXPECT_DOUBLE_EQ(Cf[c], row.averaged ? 2.0 : (k == 0 ? 1.0 : 3.0));
        }
        // A dry column is skipped.
        Bcellt[1] = 0;
        Cf[1] = 5.0;
        AverageSupercriticalColumns();
        EXPECT_EQ(Cf[1], 5.0);
    }
}

}  // namespace
