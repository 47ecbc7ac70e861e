// Neighbour coefficients of the pressure-correction equation.
#include <omp.h>

#include <vector>

#include "tests/drivers/pressure_case.h"
#include "tests/support/equation_fixture.h"

namespace {

using FaceValues = PressureCase;

// The coefficient that cell c holds on side `type` (1 south .. 6 top).
double SideValue(int c, int type) {
    switch (type) {
        case 1: return Cas[c];
        case 2: return Cae[c];
        case 3: return Can[c];
        case 4: return Caw[c];
        case 5: return Cab[c];
        case 6: return Cat[c];
        default: return -1.0;
    }
}

void VaryCinvAp() {
    for (int c = 1; c <= NoCells; ++c) CinvAp[c] = 1e-3 * (1 + c % 4);
}

// Every coefficient starts from a value the operation must overwrite.
void Scribble() {
    for (int c = 1; c <= NoCells; ++c) Cae[c] = Caw[c] = Can[c] = Cas[c] = Cat[c] = Cab[c] = -7.0;
}

TEST_F(FaceValues, EachFaceConductsItsInterpolatedFactorTimesAreaSquared) {
    const BoxGrid g = Box(3, 2, 2, {2.0, 1.0, 0.5});
    VaryCinvAp();
    CinvAp[g.cell(0, 0, 0)] = 1e-3;
    CinvAp[g.cell(1, 0, 0)] = 3e-3;
    Scribble();
    ComputeFaceValuesParallel();
    // Between two equal cells the factor is their mean: 2e-3 x 0.5 x 1000 x 0.5.
    EXPECT_DOUBLE_EQ(Cae[g.cell(0, 0, 0)], 0.5);
    EXPECT_DOUBLE_EQ(Caw[g.cell(1, 0, 0)], 0.5);
    int inner = 0;
    for (int s = 1; s <= NoSurfaces; ++s) {
        const int c1 = Fcell1[s], c2 = Fcell2[s];
        if (c1 == 0 || c2 == 0) {
            // A boundary face conducts nothing on its cell's side.
            const int c = c1 != 0 ? c1 : c2;
            EXPECT_EQ(SideValue(c, c1 != 0 ? Ftype1[s] : Ftype2[s]), 0.0) << "surface " << s;
            continue;
        }
        ++inner;
        const double d = (CinvAp[c2] * Fdist1[s] + CinvAp[c1] * Fdist2[s]) / (Fdist1[s] + Fdist2[s]);
        const double a = d * Farea[s] * 1000.0 * Farea[s];
        EXPECT_NEAR(SideValue(c1, Ftype1[s]), a, 1e-12 * a) << "surface " << s;
        EXPECT_NEAR(SideValue(c2, Ftype2[s]), a, 1e-12 * a) << "surface " << s;
    }
    EXPECT_EQ(inner, 2 * 2 * 2 + 3 * 1 * 2 + 3 * 2 * 1);
    EXPECT_EQ(Cae[0], 0.0);
    EXPECT_EQ(Caw[0], 0.0);
}

// Wide flat cells: a side face of 1 m2 between plan areas of 100 m2.
TEST_F(FaceValues, LeastSideAreaIsFivePercentOfThePlanAreas) {
    const BoxGrid g = Box(2, 1, 2, {10.0, 10.0, 0.1});
    for (int c = 1; c <= NoCells; ++c) CinvAp[c] = 1e-3;
    const int lower = g.cell(0, 0, 0);
    const double side = 1e-3 * 1.0 * 1000.0 * 1.0;
    const double stacked = 1e-3 * 100.0 * 1000.0 * 100.0;
    ComputeFaceValuesParallel();
    EXPECT_DOUBLE_EQ(Cae[lower], side);
    EXPECT_DOUBLE_EQ(Cat[lower], stacked);
    F184Option = 1;
    ComputeFaceValuesParallel();
    EXPECT_DOUBLE_EQ(Cae[lower], 1e-3 * 10.0 * 1000.0 * 10.0);
    EXPECT_DOUBLE_EQ(Caw[g.cell(1, 0, 0)], 1e-3 * 10.0 * 1000.0 * 10.0);
    EXPECT_DOUBLE_EQ(Cat[lower], stacked);
}

TEST_F(FaceValues, FreeSurfaceTermOnFacesBetweenColumns) {
    const BoxGrid g = Columns(2, 1, 2, {4.0, 2.0, 1.0});
    for (int c = 1; c <= NoCells; ++c) CinvAp[c] = 1e-3;
    F271Option = 1;
    TimeStep = 5.0;
    const int lower = g.cell(0, 0, 0);
    const double own = 1e-3 * 2.0 * 1000.0 * 2.0;
    // Both top faces are 8 m2; the first cell's column has two cells.
    const double term = (8.0 + 8.0) * 0.125 / (5.0 * 9.81) / 2.0;
    ComputeFaceValuesParallel();
    EXPECT_DOUBLE_EQ(Cae[lower], own + term);
    EXPECT_DOUBLE_EQ(Caw[g.cell(1, 0, 0)], own + term);
    EXPECT_DOUBLE_EQ(Cat[lower], 1e-3 * 8.0 * 1000.0 * 8.0);
    // A steady run has no time step to spread a level change over.
    TimeStep = 1e-20;
    ComputeFaceValuesParallel();
    EXPECT_DOUBLE_EQ(Cae[lower], own);
}

// The west cell of a 2 x 1 x 3 box faces all three cells of the east column.
TEST_F(FaceValues, SplitSideHandsItsFacesToTheList) {
    const BoxGrid g = Box(2, 1, 3, {1.0, 1.0, 0.5});
    AllocateSplitFaces(4);
    VaryCinvAp();
    SplitFaceFlag = 1;
    const int c = g.cell(0, 0, 0);
    Cnocellse[c] = 3;
    CnbMultiE[c][0] = g.cell(1, 0, 0);
    CaMultiE[c][3] = -5.0;
    ComputeFaceValuesParallel();
    EXPECT_EQ(Cae[c], 0.0);
    for (int k = 0; k < 3; ++k) {
        const int n = g.cell(1, 0, k);
        const int s = Csurfw[n];
        const double d = (CinvAp[n] * Fdist1[s] + CinvAp[c] * Fdist2[s]) / (Fdist1[s] + Fdist2[s]);
        const double a = d * Farea[s] * 1000.0 * Farea[s];
        EXPECT_NEAR(CaMultiE[c][k], a, 1e-12 * a) << "k " << k;
        EXPECT_NEAR(Caw[n], a, 1e-12 * a) << "k " << k;
    }
    EXPECT_EQ(CaMultiE[c][3], -5.0);
    // The other cells keep their ordinary faces.
    EXPECT_GT(Cae[g.cell(0, 0, 1)], 0.0);
}

std::vector<double> Coefficients() {
    std::vector<double> all;
    for (const Array1<double>* a : {&Cae, &Caw, &Can, &Cas, &Cat, &Cab}) {
        for (int c = 0; c <= NoCells; ++c) all.push_back((*a)[c]);
    }
    return all;
}

TEST_F(FaceValues, ThreadCountDoesNotChangeTheCoefficients) {
    Columns(6, 6, 4, {1.5, 1.0, 0.3});
    VaryCinvAp();
    TimeStep = 2.0;
    F184Option = 1;
    for (int body = 0; body < 2; ++body) {
        F271Option = body;
        omp_set_num_threads(1);
        Scribble();
        ComputeFaceValuesParallel();
        const std::vector<double> one = Coefficients();
        omp_set_num_threads(4);
        Scribble();
        ComputeFaceValuesParallel();
        EXPECT_EQ(Coefficients(), one) << "body " << body;
        // A share of a part of the surfaces: every coefficient is still set.
        FirstSurface = 5;
        Scribble();
        ComputeFaceValuesParallel();
        const std::vector<double> part = Coefficients();
        omp_set_num_threads(1);
        Scribble();
        ComputeFaceValuesParallel();
        EXPECT_EQ(Coefficients(), part) << "body " << body;
        FirstSurface = 1;
    }
}

}  // namespace
