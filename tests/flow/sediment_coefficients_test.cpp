// Neighbour coefficients of the suspended-sediment equations: settling on the
// top faces, the Peclet weight on horizontal faces only, the diffusivity
// floor, the sizes sharing their side coefficients, and the plan variant.
#include <cmath>
#include <functional>
#include <string>

#include "sediment/sediment_data.h"
#include "tests/flow/flow_case.h"

namespace {

void Viscosities(double side, double vertical) {
    for (int c = 1; c <= NoCells; ++c) {
        Ceddyvisc[c] = side;
        Ceddyviscz[c] = vertical;
    }
}

// Per-size rows for `sizes` sizes, all coefficients at `fill`.
void PerSizeArrays(int sizes, double fill) {
    const size_t slots = static_cast<size_t>(NoCells) + 1;
    for (Array2<double>* a : {&CatMulti, &CabMulti}) {
        if (a->extent1() <= static_cast<size_t>(sizes) || a->extent2() < slots) {
            a->release();
            ASSERT_TRUE(a->allocate(static_cast<size_t>(sizes) + 1, slots));
        }
        for (size_t s = 0; s < a->extent1(); ++s) {
            for (size_t c = 0; c < slots; ++c) (*a)[static_cast<std::ptrdiff_t>(s)][static_cast<std::ptrdiff_t>(c)] = fill;
        }
    }
}

void FillSides(double fill) {
    for (Array1<double>* a : {&Cae, &Caw, &Can, &Cas, &Cat, &Cab}) {
        for (int c = 0; c <= NoCells; ++c) (*a)[c] = fill;
    }
}

// A row: a box, a set-up, the operation, and what must come out. The cells
// are a (bed, west), b (bed, east of a) and t (on top of a).
struct Row {
    std::string name;
    int ni, nk;
    std::function<void(int a, int b, int t)> setUp;
    void (*assemble)(int, int);
    std::function<void(int a, int b, int t)> check;
};

void PrintTo(const Row& row, std::ostream* os) { *os << row.name; }

class SedimentCoefficients : public FlowCase, public ::testing::WithParamInterface<Row> {};

TEST_P(SedimentCoefficients, Assemble) {
    const Row& r = GetParam();
    const BoxGrid g = Box(r.ni, 1, r.nk);
    Viscosities(0.0, 0.0);
    FallVelocity[1] = 0.01;
    const int a = g.cell(0, 0, 0);
    const int b = r.ni > 1 ? g.cell(1, 0, 0) : 0;
    const int t = r.nk > 1 ? g.cell(0, 0, 1) : 0;
    r.setUp(a, b, t);
    r.assemble(FirstSurface, LastSurface);
    r.check(a, b, t);
}

void Nothing(int, int, int) {}

// Unit cells: Farea 1, Fareaz 1 on the horizontal faces, Fdist 0.5 a side,
// so the conductance is the eddy viscosity itself.
const Row kRows[] = {
    {"StillColumnSettlesThroughEveryTopFace", 1, 2, Nothing, AssembleSedimentCoefficients,
     [](int a, int, int t) {
         EXPECT_DOUBLE_EQ(Cat[a], 10.0);
         EXPECT_DOUBLE_EQ(Cab[a], 0.0);
         EXPECT_DOUBLE_EQ(Cab[t], 0.0);
         EXPECT_DOUBLE_EQ(Cat[t], 10.0);
     }},
    {"UpwardFluxAgainstSettling", 1, 2, [](int a, int, int) { Fflux[Csurft[a]] = 20.0; }, AssembleSedimentCoefficients,
     [](int a, int, int t) {
         EXPECT_DOUBLE_EQ(Cat[a], 0.0);
         EXPECT_DOUBLE_EQ(Cab[t], 10.0);
         EXPECT_DOUBLE_EQ(Cat[t], 10.0);
     }},
    {"PecletAboveTwentyKeepsTheFloorOnly", 1, 2,
     [](int a, int, int) {
         FallVelocity[1] = 0.0;
         Viscosities(0.0, 0.01);
         Fflux[Csurft[a]] = 5.0;  // Peclet 500
     },
     AssembleSedimentCoefficients,
     [](int a, int, int t) {
         EXPECT_NEAR(Cat[a], MinGamma, 1e-15);
         EXPECT_NEAR(Cab[t], 5.0 + MinGamma, 1e-15);
     }},
    {"PecletWeightBelowTwenty", 1, 2,
     [](int a, int, int) {
         FallVelocity[1] = 0.0;
         Viscosities(0.0, 0.1);
         Fflux[Csurft[a]] = 0.5;  // Peclet 5
     },
     AssembleSedimentCoefficients,
     [](int a, int, int t) {
         EXPECT_NEAR(Cat[a], 0.1 * std::pow(0.5, 5), 1e-15);
         EXPECT_NEAR(Cab[t], 0.5 + 0.1 * std::pow(0.5, 5), 1e-15);
     }},
    {"SideDiffusionDoesNotFallWithPeclet", 2, 1,
     [](int a, int, int) {
         Viscosities(0.2, 0.0);
         Fflux[Csurfe[a]] = 100.0;  // Peclet 500
     },
     AssembleSedimentCoefficients,
     [](int a, int b, int) {
         EXPECT_NEAR(Cae[a], 0.2, 1e-15);
         EXPECT_NEAR(Caw[b], 100.2, 1e-12);
     }},
    {"TurbDensFlagThreeTakesTheLeastViscosityAcrossLayers", 2, 2,
     [](int, int, int) {
         FallVelocity[1] = 0.0;
         Viscosities(0.2, 5.0);
         TurbDensFlag = 3;
     },
     AssembleSedimentCoefficients,
     [](int a, int, int t) {
         EXPECT_NEAR(Cat[a], MinGamma, 1e-15);
         EXPECT_NEAR(Cab[t], MinGamma, 1e-15);
         EXPECT_NEAR(Cae[a], 0.2, 1e-15);  // the sides keep their own
     }},
    {"ConstantViscosityOfModelSix", 2, 2,
     [](int, int, int) {
         FallVelocity[1] = 0.0;
         TurbulenceModel = 6;
         ConstEddyViscosity = 0.3;
         ConstEddyViscosityBed = 0.07;
     },
     AssembleSedimentCoefficients,
     [](int a, int b, int t) {
         EXPECT_NEAR(Cat[a], 0.07, 1e-15);
         EXPECT_NEAR(Cab[t], 0.07, 1e-15);
         EXPECT_NEAR(Cae[a], 0.3, 1e-15);
         EXPECT_NEAR(Caw[b], 0.3, 1e-15);
     }},
    {"TimeWeightingLeavesTheSedimentImplicit", 2, 2,
     [](int a, int, int) {
         Viscosities(0.2, 0.05);
         Fflux[Csurfe[a]] = 1.0;
         TimeStep = 1.0;
         Theta = 0.5;
     },
     AssembleSedimentCoefficients,
     [](int a, int b, int t) {
         EXPECT_NEAR(Cae[a], 0.2, 1e-15);
         EXPECT_NEAR(Caw[b], 1.2, 1e-15);
         EXPECT_NEAR(Cat[a], 10.0 + MinGamma, 1e-12);  // Peclet 200: the floor
         EXPECT_NEAR(Cat[t], 10.0, 1e-15);
     }},
    {"NoSizesLeavesEverythingAlone", 2, 2,
     [](int a, int, int) {
         Viscosities(0.2, 0.05);
         Fflux[Csurfe[a]] = 1.0;
         PerSizeArrays(1, 7.0);
         FillSides(7.0);
         NoSizes = 0;
     },
     AssembleSedimentCoefficientsPerSize,
     [](int, int, int) {
         for (int c = 0; c <= NoCells; ++c) {
             for (const Array1<double>* x : {&Cae, &Caw, &Can, &Cas, &Cat, &Cab}) EXPECT_EQ((*x)[c], 7.0) << c;
             EXPECT_EQ(CatMulti[1][c], 7.0);
             EXPECT_EQ(CabMulti[1][c], 7.0);
         }
     }},
    {"PlanVariantRewritesTheSidesOnly", 2, 2,
     [](int a, int, int) {
         Viscosities(0.2, 0.05);
         Fflux[Csurfe[a]] = 100.0;
         FillSides(7.0);
     },
     AssembleSedimentCoefficients2D,
     [](int a, int b, int t) {
         EXPECT_NEAR(Cae[a], 0.2, 1e-15);
         EXPECT_NEAR(Caw[b], 100.2, 1e-12);
         EXPECT_EQ(Cat[a], 7.0);
         EXPECT_EQ(Cab[t], 7.0);
         EXPECT_EQ(Cat[t], 7.0);
     }},
};

INSTANTIATE_TEST_SUITE_P(Rows, SedimentCoefficients, ::testing::ValuesIn(kRows),
                         [](const ::testing::TestParamInfo<Row>& i) { return i.param.name; });

using SedimentCoefficientsBySize = FlowCase;

// Two sizes of different fall velocity: the side coefficients are those of
// either size alone, the vertical ones are each size's own.
TEST_F(SedimentCoefficientsBySize, SizesShareTheirSides) {
    const BoxGrid g = Box(2, 2, 2);
    const int a = g.cell(0, 0, 0), t = g.cell(0, 0, 1);
    auto flow = [&] {
        Viscosities(0.2, 0.05);
        Fflux[Csurfe[a]] = 1.5;
        Fflux[Csurfn[a]] = -0.5;
        Fflux[Csurft[a]] = 3.0;
    };
    const double fall[3] = {0.0, 0.01, 0.001};
    double single[3][7][9] = {};
    for (int size = 1; size <= 2; ++size) {
        flow();
        FallVelocity[1] = fall[size];
        AssembleSedimentCoefficients(FirstSurface, LastSurface);
        for (int c = 1; c <= NoCells; ++c) {
            const Array1<double>* x[6] = {&Cae, &Caw, &Can, &Cas, &Cat, &Cab};
            for (int k = 0; k < 6; ++k) single[size][k][c] = (*x[k])[c];
        }
    }
    NoSizes = 2;
    PerSizeArrays(2, 0.0);
    FillSides(-1.0);
    flow();
    FallVelocity[1] = fall[1];
    FallVelocity[2] = fall[2];
    AssembleSedimentCoefficientsPerSize(FirstSurface, LastSurface);
    for (int c = 1; c <= NoCells; ++c) {
        EXPECT_EQ(Cae[c], single[1][0][c]) << c;
        EXPECT_EQ(Caw[c], single[2][1][c]) << c;
        EXPECT_EQ(Can[c], single[1][2][c]) << c;
        EXPECT_EQ(Cas[c], single[2][3][c]) << c;
        for (int size = 1; size <= 2; ++size) {
            EXPECT_EQ(CatMulti[size][c], single[size][4][c]) << size << " " << c;
            EXPECT_EQ(CabMulti[size][c], single[size][5][c]) << size << " " << c;
        }
    }
    EXPECT_NE(CatMulti[1][a], CatMulti[2][a]);
    // Upward 3 kg/s against 10 and 1 kg/s of settling; Peclet above 20 in
    // both, so the floor diffusion.
    EXPECT_NEAR(CatMulti[1][a], 7.0 + MinGamma, 1e-12);
    EXPECT_NEAR(CabMulti[1][t], MinGamma, 1e-12);
    EXPECT_NEAR(CatMulti[2][a], MinGamma, 1e-12);
    EXPECT_NEAR(CabMulti[2][t], 2.0 + MinGamma, 1e-12);
}

}  // namespace
