// The stiffnesses of the displacement equations on a 2 x 1 x 2 box of 1 m
// cubes (every face 1 m2, both distances 0.5 m), E 1.5e7, nu 0.5.
#include <gtest/gtest.h>

#include <cmath>

#include "tests/flow/flow_case.h"

namespace {

constexpr double kUnset = -7.0;

struct Expected {
    double upperCab, lowerCat, westCae, eastCaw, bedCab, topCat;
};

struct StressCase {
    const char* name;
    int variant;
    int component;
    Expected e;
};

void PrintTo(const StressCase& row, std::ostream* os) { *os << row.name; }

// Kn = 1.5e7 / (0.75 x 1) = 2e7, Ks = 1.5e7 / (2.5 x 1) = 6e6 (2 (1 + nu)
// would give 5e6); the bed face holds with the cell's own distance 0.5 m.
const StressCase kCases[] = {
    {"Variant9Vertical", 9, 3, {2e7, 2e7, 6e6, 6e6, 4e7, kUnset}},
    {"Variant9AlongX", 9, 1, {6e6, 6e6, 2e7, 2e7, 1.2e7, kUnset}},
    {"Variant9AlongY", 9, 2, {6e6, 6e6, 2e7, 2e7, 1.2e7, kUnset}},
    // No flux: no side coefficient; the vertical top coefficient whatever
    // the flux, E Az / (h + h above), the top cell's with h above 0.
    {"Variant2VerticalNoFlux", 2, 3, {0.0, 1.5e7, 0.0, 0.0, 3e7, 3e7}},
    {"Variant2AlongXNoFlux", 2, 1, {0.0, 0.0, 0.0, 0.0, 1.5e7, 0.0}},
    // a = E / (1 + nu) = 1e7 through the vertical area, no side coupling.
    {"Variant5", 5, 3, {1e7, 1e7, kUnset, kUnset, 2e7, kUnset}},
    {"Variant4WritesNothing", 4, 3, {kUnset, kUnset, kUnset, kUnset, kUnset, kUnset}},
};

class StressCoefficients : public FlowCase, public ::testing::WithParamInterface<StressCase> {};

TEST_P(StressCoefficients, StiffnessByFaceAndComponent) {
    const StressCase& k = GetParam();
    const BoxGrid g = Box(2, 1, 2);
    YoungModulus = 1.5e7;
    PoissonRatio = 0.5;
    TwiceShearModulus = 1e7;
    StressVariant = k.variant;
    for (int c = 0; c <= NoCells; ++c) Cae[c] = Caw[c] = Can[c] = Cas[c] = Cat[c] = Cab[c] = kUnset;
    for (int s = 0; s <= NoSurfaces; ++s) Fflux[s] = 0.0;
    Cidist[0] = Cjdist[0] = 3.0;
    AssembleStressCoefficients(k.component, 1, NoSurfaces);
    const int lower = g.cell(0, 0, 0), upper = g.cell(0, 0, 1), east = g.cell(1, 0, 0);
    EXPECT_DOUBLE_EQ(Cab[upper], k.e.upperCab);
    EXPECT_DOUBLE_EQ(Cat[lower], k.e.lowerCat);
    EXPECT_DOUBLE_EQ(Cae[lower], k.e.westCae);
    EXPECT_DOUBLE_EQ(Caw[east], k.e.eastCaw);
    EXPECT_DOUBLE_EQ(Cab[lower], k.e.bedCab);
    EXPECT_DOUBLE_EQ(Cat[upper], k.e.topCat);
    EXPECT_EQ(Cidist[0], 0.0);
    EXPECT_EQ(Cjdist[0], 0.0);
    // A wall face has no cell beyond it: no stiffness there.
    EXPECT_TRUE(Caw[lower] == kUnset || Caw[lower] == 0.0) << Caw[lower];
    EXPECT_TRUE(Can[lower] == kUnset || Can[lower] == 0.0) << Can[lower];
}

INSTANTIATE_TEST_SUITE_P(Variants, StressCoefficients, ::testing::ValuesIn(kCases),
                         [](const auto& i) { return std::string(i.param.name); });

// Variant 2 puts a side coefficient only on the cell the flux points into.
TEST_F(FlowCase, StressVariant2FollowsTheDisplacementFlux) {
    const BoxGrid g = Box(2, 1, 1);
    YoungModulus = 1.5e7;
    PoissonRatio = 0.5;
    StressVariant = 2;
    const int west = g.cell(0, 0, 0), east = g.cell(1, 0, 0);
    const int s = Csurfe[west];
    for (const double flux : {1.0, -1.0}) {
        Cae[west] = Caw[east] = kUnset;
        Fflux[s] = flux;
        AssembleStressCoefficients(1, 1, NoSurfaces);
        // K = 0.5 E A = 7.5e6 over the cell's distance 0.5 m.
        EXPECT_DOUBLE_EQ(Cae[west], flux < 0.0 ? 1.5e7 : 0.0) << flux;
        EXPECT_DOUBLE_EQ(Caw[east], flux > 0.0 ? 1.5e7 : 0.0) << flux;
    }
}

}  // namespace
