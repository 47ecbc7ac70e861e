// The bed update of split-face grids on one water column: the bed move from
// the bottom cell's balance over all its faces, the two-layer rules of F 134 2
// and the stack of other F 134 values.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "run/globals.h"
#include "run/log.h"
#include "sediment/sediment_services.h"
#include "tests/support/control_text.h"

namespace {

constexpr double kTa = 0.05;

// Column 1 over bottom cell 1 (plan area 1 m2, F 26 0.5, 1 s steps); cells 2
// and 3 lie across a split east side of cell 1.
class SplitFaceBed : public ::testing::Test {
protected:
    SplitFaceBed() {
        if (!LogCreate()) ADD_FAILURE() << "cannot create boogie";
        ResetGlobals();
    }

    void Build(int sizes, int layers) {
        NoSizes = sizes;
        NoBedLayers = layers;
        NoCells = 3;
        TimeStep = 1.0;
        BedSolidFraction = 0.5;
        SplitFaceFlag = 1;
        ASSERT_TRUE(BSedDistrib.allocate(layers + 1, sizes + 1, 2) && Bedmove.allocate(2) && Barea.allocate(2) &&
                    Bcellt.allocate(2) && Bkooi.allocate(2) && Bkooj.allocate(2));
        if (layers != 2) {
            ASSERT_TRUE(BNoLayers.allocate(2) && BlayerValue.allocate(layers + 1, 2));
        }
        ASSERT_TRUE(BSedActive.allocate(sizes + 1, 2) && BsedOutflowCoef.allocate(sizes + 1, 2) &&
                    conc.allocate(sizes + 1, 4) && CatMulti.allocate(sizes + 1, 4));
        for (Array1<double>* a : {&Can, &Cas, &Caw, &Cae, &Cat}) ASSERT_TRUE(a->allocate(4));
        for (Array1<int>* a : {&Ccelln, &Ccells, &Ccellw, &Ccelle, &Ccellt}) ASSERT_TRUE(a->allocate(4));
        for (Array1<int>* a : {&Cnocellse, &Cnocellsw, &Cnocellss, &Cnocellsn}) ASSERT_TRUE(a->allocate(4));
        for (Array2<int>* a : {&CnbMultiE, &CnbMultiW, &CnbMultiS, &CnbMultiN}) ASSERT_TRUE(a->allocate(4, 3));
        for (Array2<double>* a : {&CaMultiE, &CaMultiW, &CaMultiS, &CaMultiN}) ASSERT_TRUE(a->allocate(4, 3));
        Barea[1] = 1.0;
        Bcellt[1] = 1;
        Bkooi[1] = 2;
        Bkooj[1] = 5;
        FirstBedCell = LastBedCell = 1;
        if (layers != 2) {
            BNoLayers[1] = layers - 1;
            for (int l = 0; l < layers; ++l) BlayerValue[l][1] = BedSolidFraction;
        }
    }

    // A net deposition dz (m) of size s in the step.
    static void Deposit(int s, double dz) { BSedActive[s][1] = dz * BedSolidFraction * 1000.0; }

    static void SetLayer(int layer, double thickness, const std::vector<double>& fractions) {
        BSedDistrib[layer][0][1] = thickness;
        for (size_t s = 0; s < fractions.size(); ++s) BSedDistrib[layer][static_cast<int>(s) + 1][1] = fractions[s];
    }

    static double Thickness(int layer) { return BSedDistrib[layer][0][1]; }
    static double Fraction(int layer, int s) { return BSedDistrib[layer][s][1]; }
    static double FractionSum(int layer) {
        double sum = 0.0;
        for (int s = 1; s <= NoSizes; ++s) sum += Fraction(layer, s);
        return sum;
    }

    std::string log() const { return here_.dir().read("boogie"); }

private:
    InProjectDir here_;
};

TEST_F(SplitFaceBed, OneSizeSetsOnlyTheBedMoveWithTheSplitFaceInflow) {
    Build(1, 2);
    SetLayer(1, 0.02, {1.0});
    SetLayer(0, 0.1, {1.0});
    Cnocellse[1] = 2;
    CnbMultiE[1][0] = 2;
    CaMultiE[1][0] = 1.0;
    CaMultiE[1][1] = 2.0;
    conc[1][2] = 0.001;
    conc[1][3] = 0.002;
    UpdateBedLayersMultiLayer(kTa);
    // (1 x 0.001 + 2 x 0.002) kg/s x 0.001 / 0.5 over 1 m2
    EXPECT_NEAR(Bedmove[1], 1e-5, 1e-18);
    EXPECT_NEAR(BedLayerChangeBySize[1], 1e-5 * 1000.0 * 0.5, 1e-12);
    EXPECT_EQ(Thickness(1), 0.02);
    EXPECT_EQ(Thickness(0), 0.1);
}

TEST_F(SplitFaceBed, DepositTopsTheActiveLayerUpAndRenormalisesTheInactiveOne) {
    Build(2, 2);
    SetLayer(1, 0.02, {0.5, 0.5});
    SetLayer(0, 0.1, {0.3, 0.6});  // sums to 0.9 before
    Deposit(1, 0.04);
    UpdateBedLayersMultiLayer(kTa);
    EXPECT_NEAR(Bedmove[1], 0.04, 1e-15);
    EXPECT_NEAR(Thickness(1), kTa, 1e-15);
    EXPECT_NEAR(Thickness(0), 0.11, 1e-15);
    EXPECT_NEAR(Fraction(1, 1), 0.05 / 0.06, 1e-12);
    EXPECT_NEAR(FractionSum(1), 1.0, 1e-12);
    EXPECT_NEAR(FractionSum(0), 1.0, 1e-12);
    EXPECT_EQ(log().find("Error"), std::string::npos) << log();
}

TEST_F(SplitFaceBed, ErosionDeeperThanTheInactiveLayerThinsTheActiveLayer) {
    Build(2, 2);
    SetLayer(1, 0.05, {0.5, 0.5});
    SetLayer(0, 0.01, {0.5, 0.5});
    Deposit(1, -0.03);
    UpdateBedLayersMultiLayer(kTa);
    EXPECT_NEAR(Thickness(0), 0.0, 1e-15);
    EXPECT_NEAR(Thickness(1), 0.035, 1e-15);
    EXPECT_NEAR(Fraction(1, 1), 0.005 / 0.035, 1e-12);
    EXPECT_NEAR(Fraction(1, 2), 0.03 / 0.035, 1e-12);
}

TEST_F(SplitFaceBed, ActiveFractionAboveOneIsCutToOne) {
    Build(2, 2);
    SetLayer(1, 0.05, {0.9, 0.1});
    SetLayer(0, 0.01, {2.0, 0.5});
    Deposit(2, -0.004);
    UpdateBedLayersMultiLayer(kTa);
    // Size 1 would be (2 x 0.004 + 0.045) / 0.05 = 1.06; size 2 is (0.5 x 0.004 + 0.001) / 0.05.
    EXPECT_EQ(Fraction(1, 1), 1.0);
    EXPECT_NEAR(Fraction(1, 2), 0.06, 1e-12);
    EXPECT_NEAR(Thickness(0), 0.006, 1e-15);
}

struct StackCase {
    const char* name;
    std::vector<double> dz;  // per size (m)
};

void PrintTo(const StackCase& row, std::ostream* os) { *os << row.name; }

class SplitFaceStack : public SplitFaceBed, public ::testing::WithParamInterface<StackCase> {};

// Four stacked layers: the step's deposit or erosion joins the stack and its
// solids stay in the column; no layer above the top is started.
TEST_P(SplitFaceStack, KeepsTheSolidsOfTheColumnAndItsLayerCount) {
    Build(2, 4);
    SetLayer(0, 0.1, {0.5, 0.5});
    SetLayer(1, 0.05, {0.2, 0.8});
    SetLayer(2, 0.02, {0.6, 0.4});
    SetLayer(3, 0.01, {0.3, 0.7});
    BlayerValue[2][1] = 0.6;
    auto solids = [](int s) {
        double v = 0.0;
        for (int l = 0; l <= 4; ++l) v += Thickness(l) * Fraction(l, s) * (l < 4 ? BlayerValue[l][1] : 0.0);
        return v;
    };
    const double before[] = {0.0, solids(1), solids(2)};
    for (int s = 1; s <= 2; ++s) Deposit(s, GetParam().dz[static_cast<size_t>(s) - 1]);
    UpdateBedLayersMultiLayer(0.01);
    for (int s = 1; s <= 2; ++s) {
        EXPECT_NEAR(solids(s) - before[s], GetParam().dz[static_cast<size_t>(s) - 1] * 0.5, 1e-14) << "size " << s;
    }
    EXPECT_EQ(BNoLayers[1], 3);
    EXPECT_EQ(Thickness(4), 0.0);
    EXPECT_NEAR(Thickness(3), 0.01, 1e-14);
    for (int l = 0; l <= 3; ++l) EXPECT_NEAR(FractionSum(l), 1.0, 1e-12) << "layer " << l;
    EXPECT_EQ(log().find("Error"), std::string::npos) << log();
}

const StackCase kStackCases[] = {
    {"Deposit", {0.004, 0.002}},
    {"Erosion", {-0.002, -0.012}},
    {"DepositAndErosion", {0.006, -0.003}},
};

INSTANTIATE_TEST_SUITE_P(Cases, SplitFaceStack, ::testing::ValuesIn(kStackCases),
                         [](const auto& i) { return std::string(i.param.name); });

}  // namespace
