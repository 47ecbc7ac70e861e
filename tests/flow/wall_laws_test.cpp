// Law-of-the-wall terms of rough walls and their special treatments.
#include <cmath>

#include "tests/flow/flow_case.h"

namespace {

using WallLaws = FlowCase;

void OnlyBedIsWall(int c) {
    for (const Array1<int>* side : {&Csurfe, &Csurfw, &Csurfs, &Csurfn}) Fflagflow[(*side)[c]] = 0;
}

void Fill(Array1<double>& a, double v) {
    for (int c = 1; c <= NoCells; ++c) a[c] = v;
}

// One bed cell of a rough wall in equilibrium: u/u* = ln(30 y / ks) / kappa.
TEST_F(WallLaws, RoughBedCell) {
    const double y = 0.05, ks = 0.019771, ustar = 0.05;
    const double uplus = std::log(30.0 * y / ks) / 0.4;  // 10.82
    const double u = ustar * uplus;
    const double k = ustar * ustar / std::sqrt(0.09);
    Box(1, 1, 1, {1.0, 1.0, 2.0 * y});
    OnlyBedIsWall(1);
    Croughness[1] = ks;
    Ck[1] = k;
    Cu[1] = u;

    Equation = 1;
    ApplyWallLaws(1, 1);
    // Cap u is the bed shear force: density u*^2 on the unit area.
    EXPECT_NEAR(Cap[1] * u, 1000.0 * ustar * ustar, 1e-4 * 1000.0 * ustar * ustar);
    EXPECT_EQ(Csource[1], 0.0);  // the bed normal has no x part

    Equation = 5;
    ApplyWallLaws(1, 1);
    // Production over dissipation: the k of the law, u*^2 / sqrt(Cmu).
    EXPECT_NEAR(Csource[1] / Cap[1], k, 2e-4 * k);
    WallLaw = 11;  // k held at that value
    ApplyWallLaws(1, 1);
    EXPECT_NEAR(Csource[1] / Cap[1], k, 1e-5 * k);
    EXPECT_EQ(Cap[1], 1e20);

    Equation = 6;
    ApplyWallLaws(1, 1);
    EXPECT_NEAR(Csource[1] / Cap[1], ustar * ustar * ustar / (0.4 * y), 1e-12);
    EXPECT_EQ(Cap[1], 1e30);
    EXPECT_EQ(Kappa, 0.4);
}

TEST_F(WallLaws, OnlyWallCellsAreTouched) {
    const struct {
        const char* name;
        int law, equation;
        double wallCap;  // of the bed cell below the middle column
    } rows[] = {
        {"no law (F 120)", 1000, 1, 0.0},
        {"another number", 2, 5, 0.0},
        {"pressure correction", 0, 4, 0.0},
        {"rough law", 0, 6, 1e30},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const BoxGrid g = Box(3, 3, 3);
        Fill(Ck, 0.01);
        Fill(Cap, 7.0);
        Fill(Csource, 7.0);
        WallLaw = row.law;
        Equation = row.equation;
        ApplyWallLaws(FirstCell, LastCell);
        for (const int inner : {g.cell(1, 1, 1), g.cell(1, 1, 2)}) {
            EXPECT_EQ(Cap[inner], 7.0);
            EXPECT_EQ(Csource[inner], 7.0);
        }
        EXPECT_EQ(Cap[g.cell(1, 1, 0)], row.wallCap);
    }
}

TEST_F(WallLaws, EpsilonAtCornersAndFarWalls) {
    const double k = 0.01, k15 = std::pow(k, 1.5), ce = std::pow(0.09, 0.75);
    // Walls west (half width 0.25) and at the bed (half height 0.5): the mean.
    BoxGrid g = Box(3, 3, 3, {0.5, 1.0, 1.0});
    Fill(Ck, k);
    Equation = 6;
    int corner = g.cell(0, 1, 0);
    ApplyWallLaws(corner, corner);
    EXPECT_EQ(Cap[corner], 2e30);
    EXPECT_NEAR(Csource[corner] / Cap[corner], 0.5 * (ce * k15 / (0.4 * 0.25) + ce * k15 / (0.4 * 0.5)), 1e-12);

    // A side wall farther than the bed: the side value is taken at the
    // height above the bed, in the corner cell (which then holds the bed
    // value) and in the wall cells above it, 1.5 and 2.5 m up.
    g = Box(3, 3, 3, {8.0, 1.0, 1.0});
    Fill(Ck, k);
    Equation = 6;
    corner = g.cell(0, 1, 0);
    ApplyWallLaws(corner, corner);
    EXPECT_NEAR(Csource[corner] / Cap[corner], ce * k15 / (0.4 * 0.5), 1e-12);
    for (const int layer : {1, 2}) {
        const int c = g.cell(0, 1, layer);
        ApplyWallLaws(c, c);
        EXPECT_EQ(Cap[c], 1e30) << layer;
        EXPECT_NEAR(Csource[c] / Cap[c], ce * k15 / (0.4 * (layer + 0.5)), 1e-12) << layer;
    }

    // 1500 m to the east and west walls counts as 1000 m; omega of model 16.
    g = Box(1, 1, 1, {3000.0, 1.0, 1.0});
    for (const Array1<int>* side : {&Csurfs, &Csurfn, &Csurfb}) Fflagflow[(*side)[1]] = 0;
    Ck[1] = k;
    TurbulenceModel = 16;
    Equation = 6;
    ApplyWallLaws(1, 1);
    EXPECT_EQ(Cap[1], 1e30);
    EXPECT_NEAR(Csource[1] / Cap[1], k15 / (0.21908 * 1000.0 + 1e-20), 1e-15);

    // k-omega 15 and model 14 impose nothing: the wall cell stays cleared.
    for (const int model : {14, 15}) {
        TurbulenceModel = model;
        Cap[1] = Csource[1] = 3.0;
        ApplyWallLaws(1, 1);
        EXPECT_EQ(Cap[1], 0.0);
        EXPECT_EQ(Csource[1], 0.0);
    }
}

// F 273 at an east wall: the pressure gradient along the wall, from the
// north and south neighbours, G = |8 - 0| / (4 * 0.5) = 4.
TEST_F(WallLaws, PressureGradientAlongSideWalls) {
    const double k = 0.01, a = std::sqrt(300.0 * k), y = 0.5, g = 4.0, u = 0.2;
    const double l = std::log(30.0 * y / 1e-6);
    const double x = 3.16228e-05 * g / std::pow(a, 3.0);
    const double kappaK = (0.6 * x + 0.4) / (x + 1.0);
    const double xe = 3.16228e-05 * g / (5196.1 * std::pow(k, 1.5));
    const double kappaE = (0.6 * xe + 0.4) / (xe + 1.0);
    const double ce = std::pow(0.09, 0.75);
    const struct {
        const char* name;
        int option, equation;
        bool southNeighbour;
        double value;  // Cap of V, Csource of k, or the epsilon held
    } rows[] = {
        {"none", 0, 2, true, 31.62 * a * 0.4 / l},
        {"1: G y added", 1, 2, true, 31.62 * std::sqrt(300.0 * k + g * y) * 0.4 / l},
        {"1 in k", 1, 5, true, (31.62 * a / (2.5 * l) + g * y) * u * u / y},
        {"4: kappa of X", 4, 2, true, 31.62 * a * kappaK / l},
        {"4 without a south neighbour", 4, 2, false, 31.62 * a * 0.4 / l},
        {"5: epsilon only", 5, 2, true, 31.62 * a * 0.4 / l},
        {"5 in epsilon", 5, 6, true, ce * std::pow(k, 1.5) / (kappaE * y)},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const BoxGrid grid = Box(3, 3, 1);
        const int p = grid.cell(2, 1, 0);
        Fflagflow[Csurfb[p]] = 0;  // the east face is the only wall
        Ck[p] = k;
        Cu[p] = u;
        Pres[grid.cell(2, 2, 0)] = 8.0;
        if (!row.southNeighbour) Ccells[p] = 0;
        WallPressureGradientOption = row.option;
        Equation = row.equation;
        ApplyWallLaws(p, p);
        const double got = row.equation == 2 ? Cap[p] : row.equation == 5 ? Csource[p] : Csource[p] / Cap[p];
        EXPECT_NEAR(got, row.value, 1e-12 * row.value);
    }
}

TEST_F(WallLaws, DefaultRoughnessIsFloored) {
    Box(1, 1, 1);
    EXPECT_EQ(WallRoughness, -2.0);
    Equation = 1;
    ApplyWallLaws(1, 1);
    EXPECT_EQ(WallRoughness, 1e-6);
}

// Top wall face under F 70 = 5: a laminar lid below 0.0011 kg/(m s).
TEST_F(WallLaws, LaminarLid) {
    for (const double visc : {0.0011, 0.00109}) {
        SCOPED_TRACE(visc);
        Box(1, 1, 1, {1.0, 1.0, 0.2});
        for (const Array1<int>* side : {&Csurfe, &Csurfw, &Csurfs, &Csurfn, &Csurfb}) Fflagflow[(*side)[1]] = 0;
        Fflagflow[Csurft[1]] = -1;
        Ck[1] = 0.01;
        Ceddyvisc[1] = visc;
        WallLawVariant = 5;
        Equation = 1;
        ApplyWallLaws(1, 1);
        const double rough = 31.62 * std::sqrt(300.0 * 0.01) * 0.4 / std::max(std::log(30.0 * 0.1 / 1e-6), 0.4);
        EXPECT_NEAR(Cap[1], visc < 0.0011 ? 0.001 / 0.1 : rough, 1e-12);
    }
}

// The viscous sublayer divides by y+, which a k of 0 would make 0.
TEST_F(WallLaws, SublayerWithoutTurbulence) {
    for (const double k : {0.0, -1e-3}) {
        SCOPED_TRACE(k);
        Box(1, 1, 1);
        Ck[1] = k;
        Cu[1] = 0.3;
        WallLawVariant = 3;
        for (const int equation : {1, 5, 6}) {
            Equation = equation;
            ApplyWallLaws(1, 1);
            EXPECT_TRUE(std::isfinite(Cap[1]) && std::isfinite(Csource[1])) << equation;
        }
    }
}

TEST_F(WallLaws, ModelThreeTreatsEveryCellAsWall) {
    const BoxGrid g = Box(3, 3, 3);
    Fill(Ck, 0.01);
    Fill(Cu, 0.4);
    Fill(Cap, 7.0);
    TurbulenceModel = 3;
    Equation = 5;
    ApplyWallLaws(FirstCell, LastCell);
    const int inner = g.cell(1, 1, 1), wall = g.cell(0, 0, 0);
    const double y = 0.5 * std::sqrt(1.0 / 1.0);
    const double uplus = std::max(2.5 * std::log(30.0 * y / 1e-6), 1.0);
    EXPECT_DOUBLE_EQ(Cap[inner], 1000.0 * std::pow(0.09, 0.75) * std::sqrt(0.01) * uplus / y);
    EXPECT_EQ(Cap[wall], Cap[inner]);
    EXPECT_EQ(Csource[wall], Csource[inner]);
}

// Columns shallower than F 86's depth (F 92 = 1): every cell carries the bed
// law at its own height above the bed.
TEST_F(WallLaws, ThinColumns) {
    Box(1, 1, 2, {1.0, 1.0, 0.1});
    OnlyBedIsWall(1);
    OnlyBedIsWall(2);
    Fill(Ck, 0.01);
    Fill(Cu, 0.5);
    Croughness[1] = 0.01;
    NearBedOption = 1;
    MinWaterDepth = 0.5;
    Equation = 1;
    ApplyWallLaws(1, 2);
    const double a = std::sqrt(300.0 * 0.01);
    auto bed = [a](double y) { return 31.62 * a * 0.4 / std::max(std::log(30.0 * y / 0.01), 0.4); };
    EXPECT_NEAR(Cap[2], bed(0.15), 1e-12);  // 0.1 of the bed cell and half its own
    EXPECT_NEAR(Cap[1], 2.0 * bed(0.05), 1e-12);  // its own bed face and the column's law
    MinWaterDepth = 0.05;  // a column deeper than that keeps its own terms
    Cap[2] = 7.0;
    ApplyWallLaws(1, 2);
    EXPECT_EQ(Cap[2], 7.0);
}

// The thin-column k takes the viscous sublayer under F 70 = 3 only; under 5
// it keeps the log law (5 puts its sublayer on the bed cells' own law).
TEST_F(WallLaws, ThinColumnSublayerOfKIsForVariantThreeOnly) {
    auto capOfUpperCell = [this](int variant) {
        Box(1, 1, 2, {1.0, 1.0, 0.1});
        OnlyBedIsWall(1);
        OnlyBedIsWall(2);
        Fill(Ck, 1e-8);  // y+ of the upper cell far below 11.63
        Fill(Cu, 0.5);
        Croughness[1] = 0.01;
        NearBedOption = 1;
        MinWaterDepth = 0.5;
        WallLawVariant = variant;
        Equation = 5;
        ApplyWallLaws(1, 2);
        return Cap[2];
    };
    const double logLaw = capOfUpperCell(0);
    EXPECT_GT(logLaw, 0.0);
    EXPECT_DOUBLE_EQ(capOfUpperCell(5), logLaw);
    EXPECT_NE(capOfUpperCell(3), logLaw);
}

TEST_F(WallLaws, SameForAnyNumberOfThreads) {
    for (const int equation : {1, 5, 6}) {
        SCOPED_TRACE(equation);
        ExpectSameForAnyChunking(
            [&] {
                ChunkedColumns();
                for (int c = 1; c <= NoCells; ++c) {
                    Croughness[c] = 0.01;
                    Cap[c] = Csource[c] = 1.0;
                }
                NearBedOption = 1;
                MinWaterDepth = 0.0445;  // some columns thin, some not
                Equation = equation;
            },
            ApplyWallLaws, Cap, Csource);
    }
}

// F 305 1 hands the whole work over, and the face-based laws leave Kappa and
// the wall roughness as they are.
TEST_F(WallLaws, FaceBasedLawsAreHandedOver) {
    Box(1, 1, 1);
    Ck[1] = 0.01;
    Cu[1] = 0.3;
    Croughness[1] = 0.01;
    FaceWallLawFlag = 1;
    Equation = 1;
    Kappa = 0.3;
    Cap[1] = 7.0;
    ApplyFaceWallLaws(1, 1);
    const double faceBased = Cap[1];
    Cap[1] = 7.0;
    ApplyWallLaws(1, 1);
    EXPECT_EQ(Cap[1], faceBased);
    EXPECT_NE(Cap[1], 7.0);
    EXPECT_EQ(Kappa, 0.3);
    EXPECT_EQ(WallRoughness, -2.0);
}

}  // namespace
