// Eddy viscosity of the turbulence models, the wind models, the density
// damping and the vertical models of shallow columns.
#include <cmath>

#include "tests/flow/flow_case.h"

namespace {

using EddyViscosity = FlowCase;

void Turbulence(double k, double eps) {
    for (int c = 1; c <= NoCells; ++c) {
        Ck[c] = k;
        Cepsilon[c] = eps;
    }
}

TEST_F(EddyViscosity, StandardKEpsilon) {
    Box(1, 1, 2);
    Turbulence(0.01635, 0.0171763);
    Equation = 1;
    ComputeEddyViscosity(FirstCell, LastCell);
    // 1000 * 0.09 * k^2 / eps = 1.4007106, plus the molecular 0.001.
    EXPECT_NEAR(Ceddyvisc[1], 1.4017105721, 1e-9);
    EXPECT_DOUBLE_EQ(Ceddyviscz[1], Ceddyvisc[1]);
    EXPECT_DOUBLE_EQ(Ceddyvisc[2], Ceddyvisc[1]);
}

TEST_F(EddyViscosity, ModelTable) {
    const double k = 0.02, eps = 0.01;
    const double ke = 90.0 * k * k / eps + 0.001;
    const double wind = std::sqrt(0.0012 * 4.0 * 0.001);  // W = 2 m/s, drag W^2
    const struct {
        int model, equation;
        double visc;
    } rows[] = {
        {0, 1, ke},
        {0, 6, ke * 0.7692},
        {1, 1, 84.5 * k * k / eps + 0.001},
        {1, 6, 84.5 * k * k / eps + 0.001},  // model 1 keeps its own constants
        {4, 1, 0.001},
        {6, 1, 0.001},
        {5, 1, 0.001 + 400.0 * 0.5 * 0.5477 * wind},  // half height of the top cell 0.5
        {7, 1, 0.001 + 0.11 * 2.0 * 1000.0 * wind},   // depth 2 m
        {15, 6, k / eps},
        {16, 1, k / eps},
        {14, 6, ke},  // 14 and 17 to 20 keep their full viscosity in the epsilon pass
        {17, 6, ke},
        {3, 6, ke},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << "model " << row.model << " equation " << row.equation);
        Box(1, 1, 2);
        Turbulence(k, eps);
        TurbulenceModel = row.model;
        Equation = row.equation;
        WindSpeed[0] = row.model == 5 || row.model == 7 ? 2.0 : 0.0;
        ComputeEddyViscosity(FirstCell, LastCell);
        for (int c = 1; c <= NoCells; ++c) {
            EXPECT_NEAR(Ceddyvisc[c], row.visc, 1e-12 * row.visc);
            // Every model outside 8 to 13 mixes vertically as horizontally.
            EXPECT_DOUBLE_EQ(Ceddyviscz[c], Ceddyvisc[c]);
        }
    }
}

TEST_F(EddyViscosity, LimitsFloorsAndFactors) {
    const struct {
        const char* name;
        double k, eps, artificial, vertical, horizontal;
        double visc, viscz;
    } rows[] = {
        {"no k: the floor", 0.0, 0.01, 0.0, 1.0, 1.0, 0.001, 0.001},
        {"no epsilon: the limit", 0.01, 0.0, 0.0, 1.0, 1.0, 1000.0, 1000.0},
        {"F 14 at its threshold adds nothing", 0.0, 0.01, 0.001, 1.0, 1.0, 0.001, 0.001},
        {"F 14 above it", 0.0, 0.01, 0.5, 1.0, 1.0, 0.501, 0.501},
        {"F 149 of 1.01 is not applied", 0.0, 0.01, 0.0, 1.01, 1.01, 0.001, 0.001},
        {"F 149 of 1.02 and 3", 0.0, 0.01, 0.0, 1.02, 3.0, 0.003, 0.00102},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Box(1, 1, 1);
        Turbulence(row.k, row.eps);
        Equation = 1;
        ArtificialViscosity = row.artificial;
        VerticalEddyViscFactor = row.vertical;
        HorizontalEddyViscFactor = row.horizontal;
        ComputeEddyViscosity(1, 1);
        EXPECT_NEAR(Ceddyvisc[1], row.visc, 1e-12);
        EXPECT_NEAR(Ceddyviscz[1], row.viscz, 1e-12);
    }
}

TEST_F(EddyViscosity, WindDragFormulas) {
    const struct {
        int formula;
        double w, drag;
    } rows[] = {
        {0, 5.6, 5.6 * 5.6},
        {0, 10.0, 100.0 * (1.0 + 1.9 * 0.44 * 0.44)},
        {1, 3.0, 1.1 * 9.0},
        {2, 0.25, 1.25 * 0.25 * 0.5},
        {2, 4.0, 0.5 * 16.0 * 2.0},
        {2, 16.0, 2.6 * 256.0},
        {7, 3.0, 3.0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << "formula " << row.formula << " at " << row.w);
        Box(1, 1, 1);
        TurbulenceModel = 5;
        WindDragFormula = row.formula;
        WindSpeed[0] = row.w;
        ComputeEddyViscosity(1, 1);
        EXPECT_NEAR(Ceddyvisc[1], 0.001 + 400.0 * 0.5 * 0.5477 * std::sqrt(0.0012 * row.drag * 0.001), 1e-12);
    }
}

// A column of two cells at the temperatures `bed` and `above`, with the
// density damping of F 71 on.
void TwoLayers(double bed, double above, double stratification) {
    ASSERT_TRUE(Components.allocate(1, static_cast<size_t>(NoCells) + 1));
    Turbulence(0.02, 0.01);
    Components[0][1] = bed;
    Components[0][2] = above;
    TurbDensFlag = 1;
    StratificationFactor = stratification;
}

// A bed cell under a lighter, faster cell: Ri from the density step and the
// speed difference.
TEST_F(EddyViscosity, RichardsonDamping) {
    for (const double ri : {0.0, 1.0}) {
        SCOPED_TRACE(ri);
        Box(1, 1, 2);
        TwoLayers(4.0, ri > 0.0 ? 20.0 : 4.0, 1.0);  // lighter above, or neutral
        const double drho = RelativeWaterDensity(20.0) - RelativeWaterDensity(4.0);
        const double dz = 1.0;  // two half heights of 0.5
        if (ri > 0.0) Cu[2] = std::sqrt(-9.81 * drho * dz / ri) - 1e-8;
        Equation = 1;  // momentum: exponent -0.5, coefficient 10
        ComputeEddyViscosity(1, 1);
        const double base = 90.0 * 0.02 * 0.02 / 0.01 + 0.001;
        EXPECT_NEAR(Ceddyvisc[1], base * std::pow(1.0 + 10.0 * ri, -0.5), 1e-9);
        // Denser water above never damps.
        Components[0][1] = 20.0;
        Components[0][2] = 4.0;
        ComputeEddyViscosity(1, 1);
        EXPECT_DOUBLE_EQ(Ceddyvisc[1], base);
    }
}

// Lighter water above at the same speed: the speed difference is exactly 0
// and Ri infinite. The viscosity falls to the floor, or stays without a
// stratification factor, but never becomes NaN.
TEST_F(EddyViscosity, InfiniteRichardsonNumber) {
    for (const double factor : {0.0, 1.0}) {
        SCOPED_TRACE(factor);
        Box(1, 1, 2);
        TwoLayers(4.0, 20.0, factor);
        Cu[1] = 1e-8;  // sA - sP + 1e-8 = 0
        Equation = 5;
        ComputeEddyViscosity(1, 1);
        EXPECT_DOUBLE_EQ(Ceddyvisc[1], factor > 0.0 ? 0.001 : 90.0 * 0.02 * 0.02 / 0.01 + 0.001);
    }
}

// Models 8 and 9 damp the vertical viscosity near the bed of slow columns.
TEST_F(EddyViscosity, LowReynoldsColumns) {
    for (const int model : {8, 9}) {
        SCOPED_TRACE(model);
        Box(1, 1, 2, {1.0, 1.0, 1e-3});
        Turbulence(1e-6, 1e-6);
        TurbulenceModel = model;
        Equation = 1;
        Cu[1] = Cu[2] = 1e-3;  // Re = 1e6 * 2 * 1e-3 * 2e-3 / 2 = 2
        ComputeEddyViscosity(1, 2);
        const double ustar = std::sqrt(0.3e-6);
        const double heights[] = {0.0, 0.5e-3, 1.5e-3};
        for (int c = 1; c <= 2; ++c) {
            const double yplus = ustar * heights[c] * 1e6;
            double f;
            if (model == 8) {
                f = 1.0 - std::exp(-0.0002 * yplus - 0.00065 * yplus * yplus);
            } else {
                const double rt = 1e-12 * 1e6 / (1e-6 + 1e-20);
                f = std::pow(1.0 - std::exp(-0.03846 * yplus), 2) * (1.0 + 4.1 * std::pow(rt, -0.75));
            }
            EXPECT_NEAR(Ceddyviscz[c], f * Ceddyvisc[c] + 0.001, 1e-15) << c;
        }
        // A fast column (Re of 3000 or more) keeps the horizontal value.
        Cu[1] = Cu[2] = 10.0;
        ComputeEddyViscosity(1, 2);
        EXPECT_DOUBLE_EQ(Ceddyviscz[2], Ceddyvisc[2]);
    }
}

// Models 10 to 13 blend shallow columns with the depth-averaged value.
TEST_F(EddyViscosity, ShallowColumnBlending) {
    const double k = 0.03;
    const double ustar = std::sqrt(0.3 * k);
    const double sh = 0.1;                      // two half heights of 0.05
    const double d = 0.11 * ustar * 2.0 * sh * 1000.0;
    const double visc = 90.0 * k * k / 0.01 + 0.001;
    const double plain = d + 0.001, mean = std::sqrt(visc * d) + 0.001;
    const struct {
        int model;
        double planSide;  // width of the column: Sh / width decides
        bool allSides;
        double viscz;
    } rows[] = {
        {10, 1.5, false, mean},   // 0.067 < 0.1
        {10, 0.5, false, visc},   // 0.2
        {11, 2.5, false, plain},  // 0.04 < 0.05
        {11, 1.5, false, mean},
        {12, 2.5, false, plain},
        {12, 0.75, false, mean},  // 0.133 < 0.2
        {12, 0.4, false, visc},
        {13, 2.5, true, visc},    // a column inside the grid keeps the copy
        {13, 2.5, false, plain},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << "model " << row.model << " width " << row.planSide);
        const int n = row.allSides ? 3 : 1;
        const BoxGrid g = Box(n, n, 2, {row.planSide, row.planSide, 0.1});
        Turbulence(k, 0.01);
        ASSERT_TRUE(Barea.allocate(static_cast<size_t>(NoCells) + 1));
        for (int c = 1; c <= NoCells; ++c) Cbedcell[c] = 1 + (c - 1) / 2;
        for (int b = 1; b <= NoCells / 2; ++b) Barea[b] = row.planSide * row.planSide;
        TurbulenceModel = row.model;
        Equation = 1;
        ComputeEddyViscosity(FirstCell, LastCell);
        const int top = g.cell(n / 2, n / 2, 1);
        EXPECT_NEAR(Ceddyviscz[top], row.viscz, 1e-12);
        EXPECT_NEAR(Ceddyviscz[top - 1], row.viscz, 1e-12);
    }
}

// Chunks of a parallel region may cut water columns; the column models, the
// wind models and the thin-column wall law must not notice.
TEST_F(EddyViscosity, SameForAnyNumberOfThreads) {
    const int models[] = {0, 5, 7, 8, 9, 10, 11, 12, 13};
    for (const int model : models) {
        SCOPED_TRACE(model);
        ExpectSameForAnyChunking(
            [&] {
                ChunkedColumns();
                TurbulenceModel = model;
                WindSpeed[0] = 3.0;
                Equation = 1;
            },
            ComputeEddyViscosity, Ceddyvisc, Ceddyviscz);
    }
}

TEST_F(EddyViscosity, LayerBlocksTakeTheirFixedViscosity) {
    Box(1, 1, 1);
    LayerBlockOption = 1;
    LayerBlockViscosity = -5.0;
    BlockTable[1].firstCell = 1;
    BlockTable[1].lastCell = 1;
    ComputeEddyViscosity(1, 1);
    EXPECT_EQ(log().find("is not available in this build"), std::string::npos);
    EXPECT_DOUBLE_EQ(Ceddyvisc[1], 5.0);
}

}  // namespace
