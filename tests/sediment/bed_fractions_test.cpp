// The two-layer bed update after a sediment step on one water column: the
// thickness rules of one size, the fraction rules of several sizes, the bed
// move, the sums and the warnings.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "run/globals.h"
#include "run/log.h"
#include "sediment/sediment_services.h"
#include "tests/support/control_text.h"

namespace {

constexpr double kTa = 0.05;

// Water column 1 over bottom cell 1 (plan area 1 m2), with the neighbours
// and coefficients of the cell at 0, so that only the bed exchange
// `BSedActive` changes the bed.
class BedFractions : public ::testing::Test {
protected:
    BedFractions() {
        if (!LogCreate()) ADD_FAILURE() << "cannot create boogie";
        ResetGlobals();
    }

    void Build(int sizes) {
        NoSizes = sizes;
        NoBedLayers = 2;
        NoCells = 1;
        TimeStep = 1.0;
        BedSolidFraction = 0.5;
        ASSERT_TRUE(BSedDistrib.allocate(3, sizes + 1, 2) && Bedmove.allocate(2) && Barea.allocate(2) &&
                    Bcellt.allocate(2) && Bkooi.allocate(2) && Bkooj.allocate(2));
        ASSERT_TRUE(BSedActive.allocate(sizes + 1, 2) && BsedOutflowCoef.allocate(sizes + 1, 2) &&
                    conc.allocate(sizes + 1, 2) && CatMulti.allocate(sizes + 1, 2));
        for (Array1<double>* a : {&Can, &Cas, &Caw, &Cae, &Cat}) ASSERT_TRUE(a->allocate(2));
        for (Array1<int>* a : {&Ccelln, &Ccells, &Ccellw, &Ccelle, &Ccellt, &Csurfb}) ASSERT_TRUE(a->allocate(2));
        ASSERT_TRUE(Fareaz.allocate(2));
        Barea[1] = 1.0;
        Bcellt[1] = 1;
        Bkooi[1] = 3;
        Bkooj[1] = 4;
        FirstBedCell = LastBedCell = 1;
    }

    // A net deposition dz (m) of size s in one step of 1 s, as the step's
    // bed exchange of the chosen update leaves it.
    static void Deposit(int tsc, int s, double dz) {
        const double source = dz * BedSolidFraction * 1000.0;
        BSedActive[s][1] = tsc == 1 ? source : -source;
    }

    static void SetLayer(int layer, double thickness, const std::vector<double>& fractions) {
        BSedDistrib[layer][0][1] = thickness;
        for (size_t s = 0; s < fractions.size(); ++s) BSedDistrib[layer][static_cast<int>(s) + 1][1] = fractions[s];
    }

    static void Run(int tsc) {
        if (tsc == 1) {
            UpdateBedFractionsTsc1(kTa);
        } else {
            UpdateBedFractionsTsc2(kTa);
        }
    }

    std::string log() const { return here_.dir().read("boogie"); }

private:
    InProjectDir here_;
};

struct OneSizeCase {
    const char* name;
    double t1, t0, dz;
    double t1After, t0After;
    double defect;  // kg, for F 26 0.5 and density 2.65 over 1 m2
};

void PrintTo(const OneSizeCase& row, std::ostream* os) { *os << row.name; }

class BedFractionsOneSize : public BedFractions, public ::testing::WithParamInterface<OneSizeCase> {};

TEST_P(BedFractionsOneSize, ThicknessesOnly) {
    const OneSizeCase& c = GetParam();
    for (int tsc = 1; tsc <= 2; ++tsc) {
        ResetGlobals();
        Build(1);
        SetLayer(1, c.t1, {1.0});
        SetLayer(0, c.t0, {1.0});
        Deposit(tsc, 1, c.dz);
        Run(tsc);
        EXPECT_NEAR(BSedDistrib[1][0][1], c.t1After, 1e-12) << "F 37 " << tsc;
        EXPECT_NEAR(BSedDistrib[0][0][1], c.t0After, 1e-12) << "F 37 " << tsc;
        EXPECT_NEAR(Bedmove[1], c.dz, 1e-12);
        EXPECT_NEAR(BedLayerChangeBySize[1], c.dz * 1000.0 * 0.5, 1e-9);
        EXPECT_NEAR(NonMovableBedDefect, c.defect, 1e-9);
        EXPECT_DOUBLE_EQ(BSedDistrib[1][1][1], 1.0);
    }
    EXPECT_EQ(log(), "");
}

INSTANTIATE_TEST_SUITE_P(
    Table, BedFractionsOneSize,
    ::testing::Values(OneSizeCase{"FillsTheActiveLayerFirst", 0.03, 0.0, 0.04, 0.05, 0.02, 0.0},
                      OneSizeCase{"BelowTheLimitStaysActive", 0.01, 0.0, 0.02, 0.03, 0.0, 0.0},
                      OneSizeCase{"OnTheInactiveLayer", 0.05, 0.02, 0.01, 0.05, 0.03, 0.0},
                      OneSizeCase{"ErosionFromTheInactiveLayer", 0.05, 0.02, -0.01, 0.05, 0.01, 0.0},
                      OneSizeCase{"ErosionThroughTheInactiveLayer", 0.05, 0.02, -0.03, 0.04, 0.0, 0.0},
                      // The layers hold 0.015 m only: the rest is the defect.
                      OneSizeCase{"ErosionOfEverything", 0.01, 0.005, -0.03, 0.0, 0.0, -0.015 * 1325.0},
                      OneSizeCase{"ErosionWithoutInactiveLayer", 0.01, 0.0, -0.03, 0.0, 0.0, -0.02 * 1325.0},
                      OneSizeCase{"TinyChangeIsNoChange", 0.05, 0.02, 5e-10, 0.05, 0.02, 0.0}),
    [](const auto& i) { return std::string(i.param.name); });

struct TwoSizeCase {
    const char* name;
    int tsc;
    double t1;
    std::vector<double> f1;
    double t0;
    std::vector<double> f0;
    std::vector<double> dz;
    double t1After;
    std::vector<double> f1After;
    double t0After;
    std::vector<double> f0After;
};

void PrintTo(const TwoSizeCase& row, std::ostream* os) { *os << row.name; }

class BedFractionsTwoSizes : public BedFractions, public ::testing::WithParamInterface<TwoSizeCase> {};

TEST_P(BedFractionsTwoSizes, ActiveAndInactiveLayer) {
    const TwoSizeCase& c = GetParam();
    Build(2);
    SetLayer(1, c.t1, c.f1);
    SetLayer(0, c.t0, c.f0);
    for (int s = 1; s <= 2; ++s) Deposit(c.tsc, s, c.dz[static_cast<size_t>(s) - 1]);
    Run(c.tsc);
    EXPECT_NEAR(BSedDistrib[1][0][1], c.t1After, 1e-12);
    EXPECT_NEAR(BSedDistrib[0][0][1], c.t0After, 1e-12);
    for (int s = 1; s <= 2; ++s) {
        const size_t k = static_cast<size_t>(s) - 1;
        EXPECT_NEAR(BSedDistrib[1][s][1], c.f1After[k], 1e-4) << "active, size " << s;
        EXPECT_NEAR(BSedDistrib[0][s][1], c.f0After[k], 1e-4) << "inactive, size " << s;
    }
    // Whatever the layers hold is the bed move: no mass is made or lost.
    const double before = c.t1 + c.t0;
    EXPECT_NEAR(BSedDistrib[1][0][1] + BSedDistrib[0][0][1] - before, Bedmove[1], 1e-12);
    EXPECT_NEAR(BSedDistrib[1][1][1] + BSedDistrib[1][2][1], 1.0, 1e-12);
    EXPECT_NEAR(NonMovableBedDefect, 0.0, 1e-9);
    EXPECT_EQ(log(), "");
}

INSTANTIATE_TEST_SUITE_P(
    Table, BedFractionsTwoSizes,
    ::testing::Values(
        TwoSizeCase{"SettlingOnInactiveLayer", 2, 0.05, {0.5, 0.5}, 1.0, {0.5, 0.5}, {0.01, 0.0},
                    0.05, {0.58333, 0.41667}, 1.01, {0.50083, 0.49917}},
        TwoSizeCase{"EquationOnInactiveLayer", 1, 0.05, {0.5, 0.5}, 1.0, {0.5, 0.5}, {0.01, 0.0},
                    0.05, {0.6, 0.4}, 1.01, {0.5, 0.5}},
        // A thinner active layer (from a fraction file) keeps its fractions
        // summing to 1.
        TwoSizeCase{"EquationOnThinActiveLayer", 1, 0.04, {0.5, 0.5}, 1.0, {0.5, 0.5}, {0.01, 0.0},
                    0.04, {0.625, 0.375}, 1.01, {0.5, 0.5}},
        TwoSizeCase{"ErosionFromInactiveLayer", 1, 0.05, {0.5, 0.5}, 1.0, {0.8, 0.2}, {-0.01, -0.01},
                    0.05, {0.62, 0.38}, 0.98, {0.8, 0.2}},
        TwoSizeCase{"DepositionFillsActiveLayer", 2, 0.03, {0.5, 0.5}, 0.0, {0.0, 0.0}, {0.01, 0.0},
                    0.04, {0.625, 0.375}, 0.0, {0.0, 0.0}},
        TwoSizeCase{"ExcessStartsInactiveLayer", 1, 0.04, {0.5, 0.5}, 0.0, {0.0, 0.0}, {0.02, 0.0},
                    0.05, {0.66667, 0.33333}, 0.01, {0.66667, 0.33333}},
        TwoSizeCase{"ErosionThroughInactiveLayer", 1, 0.05, {0.5, 0.5}, 0.01, {1.0, 0.0}, {-0.02, 0.0},
                    0.04, {0.375, 0.625}, 0.0, {1.0, 0.0}},
        TwoSizeCase{"TinyNetChangeLeavesLayers", 1, 0.05, {0.5, 0.5}, 1.0, {0.5, 0.5}, {0.001, -0.001},
                    0.05, {0.5, 0.5}, 1.0, {0.5, 0.5}}),
    [](const auto& i) { return std::string(i.param.name); });

TEST_F(BedFractions, ErosionOfEverythingLeavesTheCoarsestSizeAndTheDefect) {
    Build(2);
    SetLayer(1, 0.01, {0.5, 0.5});
    SetLayer(0, 0.0, {0.0, 0.0});
    Deposit(1, 1, -0.02);
    Deposit(1, 2, -0.02);
    UpdateBedFractionsTsc1(kTa);
    EXPECT_DOUBLE_EQ(BSedDistrib[1][0][1], 0.0);
    EXPECT_DOUBLE_EQ(BSedDistrib[1][1][1], 1.0);
    EXPECT_DOUBLE_EQ(BSedDistrib[1][2][1], 0.0);
    EXPECT_NEAR(Bedmove[1], -0.04, 1e-12);
    // The layer held 0.01 m of the 0.04 m asked for.
    EXPECT_NEAR(NonMovableBedDefect, -0.03 * 1000.0 * 2.65 * 0.5, 1e-9);
    EXPECT_NEAR(BedLayerChangeBySize[1], -0.02 * 500.0, 1e-9);
}

TEST_F(BedFractions, DryColumnGetsNoMoveAndKeepsItsLayers) {
    Build(2);
    Bcellt[1] = 0;
    Bedmove[1] = 0.3;
    SetLayer(1, 0.05, {0.5, 0.5});
    Deposit(1, 1, 0.01);
    UpdateBedFractionsTsc1(kTa);
    EXPECT_DOUBLE_EQ(Bedmove[1], 0.0);
    EXPECT_DOUBLE_EQ(BSedDistrib[1][1][1], 0.5);
    EXPECT_DOUBLE_EQ(BedLayerChangeBySize[1], 0.0);
}

TEST_F(BedFractions, NeighbourInflowAndOutflowOfTheBottomCell) {
    Build(1);
    // 0.5 kg/s come in from the north neighbour (here the cell itself), 1 kg/s
    // leaves: 0.5 kg/s erode the bed.
    conc[1][1] = 0.01;
    Ccelln[1] = 1;
    Can[1] = 50.0;
    BsedOutflowCoef[1][1] = 100.0;
    SetLayer(1, 0.05, {1.0});
    SetLayer(0, 1.0, {1.0});
    UpdateBedFractionsTsc1(kTa);
    EXPECT_NEAR(Bedmove[1], -0.5 * 0.001 / 0.5, 1e-12);
    EXPECT_NEAR(BSedDistrib[0][0][1], 1.0 - 0.001, 1e-12);
}

TEST_F(BedFractions, SettlingUsesTheBedSurfaceAndFallVelocity) {
    Build(1);
    conc[1][1] = 0.001;
    Csurfb[1] = 1;
    Fareaz[1] = 2.0;
    FallVelocity[1] = 0.02;
    SetLayer(1, 0.05, {1.0});
    SetLayer(0, 1.0, {1.0});
    UpdateBedFractionsTsc2(kTa);
    // 0.001 x 2 m2 x 0.02 m/s x 1000 = 0.04 kg/s over 1 m2 at 500 kg/m3.
    EXPECT_NEAR(Bedmove[1], 0.04 * 0.001 / 0.5, 1e-12);
}

TEST_F(BedFractions, FractionSumWarningNamesTheColumn) {
    Build(2);
    // Fractions of the inactive layer that do not sum to 1 carry into the
    // checked sum of the settling form.
    SetLayer(1, 0.05, {0.5, 0.5});
    SetLayer(0, 1.0, {0.3, 0.3});
    Deposit(2, 1, 0.01);
    UpdateBedFractionsTsc2(kTa);
    EXPECT_EQ(log(),
              "Warning, SumG = 0.603960 at i,j=3 4\n"
              "Bedmove = 0.010000, bedmove = 0.010000, InactiveThickness = 1.010000\n");
}

TEST_F(BedFractions, FractionErrorReportLines) {
    Build(2);
    SetLayer(1, 0.05, {1.2, -0.2});
    SetLayer(0, 1.0, {0.5, 0.5});
    Iter = 7;
    // The negative fraction of size 2 stays negative in the active layer.
    Deposit(1, 1, 0.001);
    UpdateBedFractionsTsc1(kTa);
    const std::string text = log();
    EXPECT_NE(text.find("Warning, SumG = 0.800000 at i,j=3 4\n"), std::string::npos) << text;
    EXPECT_NE(text.find("TSC error, fractions: Iter=7, b=1, c=1, l=2, i=3, j=4\n"
                        "BSedDistrib[l=2,b=1] = -0.156000 0.050000 0.492384 1.011000\n"
                        "bedmove = 0.011, thick2=0, SumG=0.8, midA[2]=0\n"),
              std::string::npos)
        << text;
    EXPECT_EQ(text.find("l=1,"), std::string::npos) << text;
}

TEST_F(BedFractions, ErosionBelowTheFixedBedWarning) {
    Build(1);
    WarnErosionBelowFixedBed(1, -0.25, -0.5);
    EXPECT_EQ(log(),
              "Warning, erosion -0.250000 below fixed bed at i,j=3 4\n"
              "Bedmove = 0.000000, bedmove = -0.500000, InactiveThickness = 0.000000\n");
}

}  // namespace
