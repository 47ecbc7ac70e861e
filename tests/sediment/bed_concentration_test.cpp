// The bed concentration: the transport formulas of one size at a known bed
// shear, the Shields curves, the diameters of the surface layer, the grain
// shear, bed forms and roughness, the slope factor, and whole calls on a
// small grid (dry columns, inactive blocks, the fraction warnings).
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "run/globals.h"
#include "run/log.h"
#include "sediment/bed_concentration.h"
#include "sediment/sediment_services.h"
#include "tests/support/control_text.h"
#include "tools/box_grid.h"

namespace {

class BedConcentration : public ::testing::Test {
protected:
    BedConcentration() {
        if (!LogCreate()) ADD_FAILURE() << "cannot create boogie";
        ResetGlobals();
        NoSizes = 1;
        Diameter[1] = 0.0002;
        FallVelocity[1] = 0.02;
        SedRelativeDensity = 2.65;
    }

    std::string log() const { return here_.dir().read("boogie"); }

private:
    InProjectDir here_;
};

// The formula table's column: 1 Pa on 0.2 mm sand, a bottom cell of 0.1 m
// at 0.4 m/s under 1 m of water.
BedColumnState TableColumn(const double* fractions) {
    BedColumnState col;
    col.tau = col.tauPrime = 1.0;
    col.depth = 1.0;
    col.halfCell = 0.05;
    col.speed = 0.4;
    col.d90 = col.d50 = col.dm = 0.0002;
    col.fractions = fractions;
    return col;
}

struct FormulaCase {
    const char* name;
    int formula;
    double shields;  // F 11 second value: fixed when positive, else the F 251 0 curve
    int f60;
    int roughnessOption;
    double expected;
};

void PrintTo(const FormulaCase& row, std::ostream* os) { *os << row.name; }

class BedFormulaTable : public BedConcentration, public ::testing::WithParamInterface<FormulaCase> {};

TEST_P(BedFormulaTable, ConcentrationAtOnePascal) {
    const FormulaCase& c = GetParam();
    SedFormulaVariant = c.formula;
    CriticalShields = c.shields;
    F60Int1 = c.f60;
    RoughnessOption = c.roughnessOption;
    const double fractions[] = {0.0, 1.0};
    const SizeConcentration out = BedConcentrationOfSize(TableColumn(fractions), 1);
    EXPECT_NEAR(out.conc, c.expected, 2e-3 * c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, BedFormulaTable,
    ::testing::Values(FormulaCase{"VanRijnFixed", 0, 0.047, 0, 0, 4.854e-4},
                      FormulaCase{"VanRijnCurve", 0, -0.047, 0, 0, 7.446e-4},
                      FormulaCase{"BedLoadFixed", 1, 0.047, 0, 0, 3.419e-4},
                      FormulaCase{"BedLoadCurve", 1, -0.047, 0, 0, 6.223e-4},
                      FormulaCase{"BothFixed", 2, 0.047, 0, 0, 8.2733e-4},
                      FormulaCase{"WuFixed", 3, 0.047, 0, 0, 6.60e-5},
                      FormulaCase{"WuCurve", 3, -0.047, 0, 0, 1.236e-4},
                      FormulaCase{"StageLawCappedAtF256", 4, 0.047, 0, 0, 0.1},
                      FormulaCase{"MeyerPeterFixed", 5, 0.047, 0, 0, 4.118e-4},
                      FormulaCase{"MeyerPeterCurve", 5, -0.047, 0, 0, 4.363e-4},
                      FormulaCase{"EngelundHansenUniformColumn", 6, 0.047, 0, 0, 1.207e-4},
                      FormulaCase{"ProfileFixed", 0, 0.047, 1, 0, 1.785e-4},
                      FormulaCase{"ProfileCurve", 0, -0.047, 1, 0, 2.738e-4},
                      FormulaCase{"ExceedanceShare", 0, 0.047, 0, 5, 4.7105e-4},
                      FormulaCase{"UnknownFormulaGivesZero", 9, 0.047, 0, 0, 0.0}),
    [](const auto& i) { return std::string(i.param.name); });

TEST_F(BedConcentration, BelowCriticalOnlyEngelundHansenKeepsItsValue) {
    const double fractions[] = {0.0, 1.0};
    BedColumnState col = TableColumn(fractions);
    col.tau = col.tauPrime = 0.1;  // below 0.1522 Pa
    CriticalShields = 0.047;
    for (int formula = 0; formula <= 5; ++formula) {
        SedFormulaVariant = formula;
        EXPECT_EQ(BedConcentrationOfSize(col, 1).conc, 0.0) << "F 84 " << formula;
        EXPECT_EQ(BedConcentrationOfSize(col, 1).bedformStage, 0.0);
    }
    SedFormulaVariant = 6;
    EXPECT_GT(BedConcentrationOfSize(col, 1).conc, 0.0);
}

// Turbulence above the critical shear in water that does not flow: the
// bed-load formulas carry nothing, the suspended-load reference stays.
TEST_F(BedConcentration, StillWaterCarriesNoBedLoad) {
    const double fractions[] = {0.0, 1.0};
    BedColumnState col = TableColumn(fractions);
    col.speed = 0.0;
    CriticalShields = 0.047;
    for (int formula : {1, 3, 5}) {
        SedFormulaVariant = formula;
        EXPECT_EQ(BedConcentrationOfSize(col, 1).conc, 0.0) << "F 84 " << formula;
    }
    SedFormulaVariant = 2;
    EXPECT_NEAR(BedConcentrationOfSize(col, 1).conc, 4.854e-4, 1e-7);  // the suspended share alone
    SedFormulaVariant = 6;
    EXPECT_EQ(BedConcentrationOfSize(col, 1).conc, 0.0);
}

TEST_F(BedConcentration, BankSlopeTermsAndCohesion) {
    const double fractions[] = {0.0, 1.0};
    BedColumnState col = TableColumn(fractions);
    CriticalShields = 0.047;
    col.slopeSwitch = true;
    col.bankB = 2.0;
    col.bankD = 1e-5;
    EXPECT_NEAR(BedConcentrationOfSize(col, 1).conc, 2.0 * 4.854e-4 + 1e-5, 2e-6);
    // Cohesion lifts the critical shear to 1.1522 Pa: no transport, D alone.
    Cohesion[1] = 1.0;
    EXPECT_DOUBLE_EQ(BedConcentrationOfSize(col, 1).conc, 1e-5);
}

TEST_F(BedConcentration, HidingScalesTheCriticalShear) {
    NoSizes = 2;
    Diameter[1] = 0.0004;
    Diameter[2] = 0.0002;
    CriticalShields = 0.047;
    HidingOption = 2;
    HidingExponent = -1.0;
    const double fractions[] = {0.0, 0.5, 0.5};
    BedColumnState col = TableColumn(fractions);
    // The coarse size's critical shear halves to that of the 0.2 mm size.
    EXPECT_NEAR(BedConcentrationOfSize(col, 1).conc, 7.8856e-4, 1e-7);
    EXPECT_NEAR(BedConcentrationOfSize(col, 2).conc, 4.854e-4, 1e-7);
    // With one size there is no hiding.
    NoSizes = 1;
    Diameter[1] = 0.0002;
    EXPECT_NEAR(BedConcentrationOfSize(col, 1).conc, 4.854e-4, 1e-7);
}

struct ShieldsCase {
    int option;
    double rstar;
    double expected;
};

TEST(CriticalShieldsCurve, Table) {
    const ShieldsCase cases[] = {{0, 1.0, 0.1003},     {0, 10.0, 0.03422}, {0, 100.0, 0.04421},
                                 {0, 501.0, 0.0624927}, {0, 0.19, 0.6},     {1, 10.0, 0.01909},
                                 {2, 10.0, 0.03238},    {3, 10.0, 0.03601}};
    for (const ShieldsCase& c : cases) {
        EXPECT_NEAR(CriticalShieldsCurve(c.option, c.rstar), c.expected, 5e-4 * c.expected)
            << "F 251 " << c.option << " at R* " << c.rstar;
    }
}

TEST_F(BedConcentration, LayerDiameters) {
    NoSizes = 3;
    Diameter[1] = 0.004;
    Diameter[2] = 0.002;
    Diameter[3] = 0.001;
    const double mixed[] = {0.0, 0.1, 0.3, 0.6};
    const LayerDiameters d = ComputeLayerDiameters(mixed, 3);
    EXPECT_NEAR(d.d90, 0.0035, 1e-12);
    EXPECT_NEAR(d.d50, 0.0014444444, 1e-9);
    EXPECT_NEAR(d.dm, 0.0016, 1e-12);
    // An empty layer takes the coarsest size, never 0/0.
    const double empty[] = {0.0, 0.0, 0.0, 0.0};
    const LayerDiameters e = ComputeLayerDiameters(empty, 3);
    EXPECT_DOUBLE_EQ(e.d90, 0.004);
    EXPECT_DOUBLE_EQ(e.d50, 0.004);
    EXPECT_DOUBLE_EQ(e.dm, 0.0);
    // All in the finest size: d90 lies between the middles of the two finest
    // sizes.
    const double fine[] = {0.0, 0.0, 0.0, 1.0};
    EXPECT_NEAR(ComputeLayerDiameters(fine, 3).d90, 0.0018, 1e-15);
    EXPECT_DOUBLE_EQ(ComputeLayerDiameters(fine, 3).d50, 0.001);
    const double one[] = {0.0, 1.0};
    EXPECT_DOUBLE_EQ(ComputeLayerDiameters(one, 1).d50, 0.004);
}

TEST_F(BedConcentration, GrainShearFactor) {
    F172Value2 = 2.0;
    F172Value3 = 7.0 / 3.0;
    EXPECT_DOUBLE_EQ(GrainShearFactor(0, 1.0, 0.001, 0.1), 1.0);
    EXPECT_NEAR(GrainShearFactor(1, 1.0, 0.0, 0.2), std::pow(1.0 / 0.9, 7.0 / 3.0), 1e-12);
    EXPECT_NEAR(GrainShearFactor(2, 1.0, 0.5, 0.2), std::pow(1.0 / 0.9, 7.0 / 3.0), 1e-12);
    EXPECT_DOUBLE_EQ(GrainShearFactor(3, 1.0, 0.0, 0.2), 1.0);
    EXPECT_NEAR(GrainShearFactor(3, 1.0, 0.0, 1.0), std::pow(1.75, 7.0 / 3.0), 1e-12);
    // Bed forms as high as the water or higher: the upper limit, not NaN.
    EXPECT_NEAR(GrainShearFactor(1, 0.1, 0.0, 0.2), std::pow(2.0, 7.0 / 3.0), 1e-12);
    EXPECT_NEAR(GrainShearFactor(2, 0.1, 0.0, 0.3), std::pow(2.0, 7.0 / 3.0), 1e-12);
    EXPECT_NEAR(GrainShearFactor(3, 0.1, 0.0, 0.3), std::pow(2.0, 7.0 / 3.0), 1e-12);
}

TEST_F(BedConcentration, ShallowProfileStaysFinite) {
    // 3 d90 reaches beyond the water: the reference level stays at half
    // the depth.
    SedFormulaVariant = 0;
    F60Int1 = 1;
    CriticalShields = 0.047;
    const double fractions[] = {0.0, 1.0};
    BedColumnState col = TableColumn(fractions);
    col.depth = 0.0004;
    col.halfCell = 0.0001;
    const double c = BedConcentrationOfSize(col, 1).conc;
    EXPECT_TRUE(std::isfinite(c));
    EXPECT_GT(c, 0.0);
    EXPECT_LE(c, F256Value);
}

TEST(BedForms, HeightRelaxationAndRoughness) {
    EXPECT_NEAR(BedformHeight(1.0, 0.0002, 7.411, 10.0), 0.1466, 2e-4);
    EXPECT_DOUBLE_EQ(BedformHeight(1.0, 0.0002, 26.0, 10.0), 0.0);
    EXPECT_DOUBLE_EQ(BedformHeight(1.0, 0.0002, 7.411, 0.1), 0.05);  // half the sediment
    // Relaxation towards a flat bed with transport, and without transport.
    EXPECT_DOUBLE_EQ(RelaxedBedformHeight(0.1, 0.0, 0.1, 0.4, 1.0, 1.0, 1e-4), 0.0);
    EXPECT_DOUBLE_EQ(RelaxedBedformHeight(0.1, 0.0, 0.1, 0.4, 1.0, 1.0, 0.0), 0.1);
    EXPECT_DOUBLE_EQ(RelaxedBedformHeight(0.1, 0.2, 0.1, 0.4, 1.0, 1.0, 0.0), 0.1);
    const double r = 0.1 * 0.4 * 1.0 / (7.3 * 0.2 * 0.5) * 1e-3;
    EXPECT_NEAR(RelaxedBedformHeight(0.1, 0.2, 0.1, 0.4, 1.0, 1.0, 1e-3), 0.1 + 0.1 * r, 1e-15);
}

struct RoughnessCase {
    int option, f103;
    double sediment;
    bool set;
    double expected;
};

TEST(BedForms, RoughnessRules) {
    const double d90 = 0.0002, delta = 0.1466, depth = 1.0, ksw = 0.05;
    const double kf = 3 * d90 + 1.1 * delta * (1.0 - std::exp(-25.0 * delta / 7.3));
    EXPECT_NEAR(kf, 0.0642, 1e-4);
    const RoughnessCase cases[] = {
        {2, 0, 1.0, true, 3 * d90},  {3, 0, 1.0, true, kf},     {6, 2, 1.0, true, kf},
        {2, 0, 1e-4, true, 3e-4},    {4, 0, 1e-5, true, d90},   {2, 1, 1e-4, true, ksw},
        {3, 3, 1e-4, true, ksw},     {1, 0, 1.0, false, 0.0},
        {7, 0, 1.0, false, 0.0},     {3, 4, 1.0, false, 0.0},
    };
    for (const RoughnessCase& c : cases) {
        double ks = -1.0;
        EXPECT_EQ(BedRoughness(c.option, c.f103, d90, delta, depth, c.sediment, ksw, &ks), c.set)
            << "F 90 " << c.option << ", F 103 " << c.f103;
        if (c.set) {
            EXPECT_NEAR(ks, c.expected, 1e-12) << "F 90 " << c.option << ", F 103 " << c.f103;
        }
    }
    double ks = 0.0;
    BedRoughness(3, 3, d90, delta, depth, 0.1 * d90, 1e-6, &ks);
    EXPECT_DOUBLE_EQ(ks, 3 * 0.1 * d90);
}

TEST(PlaneGeometry, AnglesStayDefinedAtRounding) {
    EXPECT_NEAR(CosAngle2D(1.0, 0.0, 2.0, 0.0), 1.0, 1e-15);
    EXPECT_NEAR(CosAngle2D(1.0, 0.0, 0.0, 3.0), 0.0, 1e-15);
    EXPECT_EQ(ClampedAcos(1.0 + 1e-15), 0.0);
    EXPECT_FALSE(std::isnan(ClampedAsin(-1.0 - 1e-12)));
    // A bed sloping 45 degrees towards east, seen along x and along y.
    const double n = std::sqrt(0.5);
    EXPECT_NEAR(SlopeAngle(-n, 0.0, n, 0.0, 1.0), kBedPi / 4.0, 1e-9);
    EXPECT_NEAR(SlopeAngle(-n, 0.0, n, 1.0, 0.0), 0.0, 1e-12);
    EXPECT_EQ(SlopeAngle(0.0, 0.0, 1.0, 0.0, 0.0), 0.0);
}

// A grid of three columns of two cells along x: block 1 holds columns 1
// (wet) and 2, block 2 column 3.
class BedConcentrationGrid : public BedConcentration {
protected:
    void Build() {
        grid_ = MakeBoxGrid(3, 1, 2);
        NoBlocks = 2;
        BlockTable[1] = BlockRecord{};
        BlockTable[1].iFirst = 1;
        BlockTable[1].iLast = 2;
        BlockTable[1].jFirst = BlockTable[1].jLast = 1;
        BlockTable[1].firstColumn = 1;
        BlockTable[1].lastColumn = 2;
        BlockTable[1].field11 = 1;
        BlockTable[2] = BlockTable[1];
        BlockTable[2].iFirst = BlockTable[2].iLast = 3;
        BlockTable[2].firstColumn = BlockTable[2].lastColumn = 3;
        BlockTable[2].field11 = 0;
        const size_t cells = static_cast<size_t>(NoCells) + 1;
        for (Array1<double>* a : {&Ckdist, &Ck, &Cu, &Cv, &Croughness, &Cidist, &Cjdist, &Cvol, &Cxcenter, &Cycenter}) {
            ASSERT_TRUE(a->allocate(cells));
        }
        ASSERT_TRUE(Csurfb.allocate(cells));
        for (Array1<double>* a : {&Farea, &Fareaz, &Fvecx, &Fvecy, &Fvecz}) ASSERT_TRUE(a->allocate(cells));
        for (Array1<int>* a : {&Bcellt, &Bkooi, &Bkooj}) ASSERT_TRUE(a->allocate(4));
        for (Array1<double>* a : {&Barea, &Bd90, &BbedformHeight, &Broughness}) ASSERT_TRUE(a->allocate(4));
        ASSERT_TRUE(BSedDistrib.allocate(3, NoSizes + 1, 4) && BpotentialConc.allocate(NoSizes + 1, 4));
        ASSERT_TRUE(Gridz.allocate(5, 3, 4));
        for (int c = 1; c <= NoCells; ++c) {
            Ckdist[c] = 0.25;  // 1 m of water in two cells of 0.5 m
            Ck[c] = 1.0 / 300.0;
            Cu[c] = 0.4;
            Csurfb[c] = c;
            Fvecz[c] = 1.0;
            Fareaz[c] = Farea[c] = 1.0;
            Croughness[c] = 0.0198;
        }
        for (int b = 1; b <= 3; ++b) {
            Bcellt[b] = grid_.cell(b - 1, 0, 0);
            Bkooi[b] = b;
            Bkooj[b] = 1;
            Barea[b] = 1.0;
            BSedDistrib[1][0][b] = 0.05;
            BSedDistrib[0][0][b] = 1.0;
            for (int s = 1; s <= NoSizes; ++s) BSedDistrib[1][s][b] = BSedDistrib[0][s][b] = 1.0 / NoSizes;
            Gridz[b][1][0] = Bcellt[b];
        }
        Bcellt[2] = 0;
        Gridz[2][1][0] = 0.0;
        for (int b = 2; b <= 3; ++b) {
            BpotentialConc[1][b] = Bd90[b] = BbedformHeight[b] = Broughness[b] = 9.0;
        }
    }

    BoxGrid grid_;
};

TEST_F(BedConcentrationGrid, WetColumnOfAnActiveBlockOnly) {
    CriticalShields = 0.047;
    RoughnessOption = 3;
    Build();
    concRijn();
    // The bottom cell is 0.5 m high: the reference level is 0.25 m.
    EXPECT_NEAR(BpotentialConc[1][1], 4.854e-4 * 0.05 / 0.25, 1e-7);
    EXPECT_DOUBLE_EQ(Bd90[1], 0.0002);
    EXPECT_GT(BbedformHeight[1], 0.0);
    EXPECT_LT(BbedformHeight[1], 0.5);
    EXPECT_NEAR(Broughness[1], 3 * 0.0002 + 1.1 * BbedformHeight[1] * (1 - std::exp(-25 * BbedformHeight[1] / 7.3)),
                1e-12);
    for (int b = 2; b <= 3; ++b) {
        EXPECT_EQ(BpotentialConc[1][b], 9.0) << b;
        EXPECT_EQ(Bd90[b], 9.0) << b;
        EXPECT_EQ(BbedformHeight[b], 9.0) << b;
        EXPECT_EQ(Broughness[b], 9.0) << b;
    }
    EXPECT_EQ(log(), "");
}

TEST_F(BedConcentrationGrid, StillWaterEngelundHansenIsZeroNotNaN) {
    SedFormulaVariant = 6;
    Build();
    for (int c = 1; c <= NoCells; ++c) Cu[c] = 0.0;
    concRijn();
    EXPECT_EQ(BpotentialConc[1][1], 0.0);
    EXPECT_TRUE(std::isfinite(BbedformHeight[1]));
}

TEST_F(BedConcentrationGrid, RelaxationOfAFlatTargetStaysFinite) {
    // No shear: no bed forms to grow and no transport to flatten them.
    F103Flag = 2;
    Build();
    for (int c = 1; c <= NoCells; ++c) Ck[c] = 0.0;
    BbedformHeight[1] = 0.02;
    concRijn();
    EXPECT_EQ(BpotentialConc[1][1], 0.0);
    EXPECT_DOUBLE_EQ(BbedformHeight[1], 0.02);
}

TEST_F(BedConcentrationGrid, FractionWarnings) {
    Iter = 5;
    NoSizes = 2;
    Diameter[2] = 0.0001;
    FallVelocity[2] = 0.01;
    Build();
    BSedDistrib[1][1][1] = 1.2;
    BSedDistrib[1][2][1] = 0.1;
    concRijn();
    EXPECT_EQ(log(),
              "Error 1 in concRijn: One size fraction is above unity\n"
              "At iteration 5, bed cell 1, cell 1, size 1, 2d index (1,1), Top=1\n"
              "BSedDistrib[1,1] = 1.200000 0.050000 0.500000 1.000000\n"
              "Error 2 in concRijn. Fractions do not sum up to unity but to 1.300000\n"
              "At iteration 5, bed cell 1, cell no 1, 2d cell no (1,1)\n"
              "BSedDistrib[1], size[1] = 1.200000 0.050000 0.500000 1.000000\n"
              "BSedDistrib[1], size[2] = 0.100000 0.050000 0.500000 1.000000\n");
    EXPECT_TRUE(std::isfinite(BpotentialConc[1][1]) && std::isfinite(BpotentialConc[2][1]));
}

struct SlopeFactorCase {
    int option;
    bool dryNeighbour;
    bool applied;
    double expected;
};

TEST_F(BedConcentrationGrid, SlopeFactorOnAFlatBed) {
    Build();
    const SlopeFactorCase cases[] = {{1, false, true, 1.0},  {2, false, false, 1.0}, {2, true, true, 1.0},
                                     {3, false, true, 1.0},  {4, true, true, 1.0},   {5, false, true, 0.954},
                                     {6, true, true, 0.954}, {7, false, true, 1.0},  {8, true, true, 1.0},
                                     {0, true, false, 1.0}};
    for (const SlopeFactorCase& c : cases) {
        BedThicknessCheckOption = c.option;
        bool applied = false;
        EXPECT_NEAR(CriticalShearSlopeFactor(1, 1, c.dryNeighbour ? 1 : 0, &applied), c.expected, 1e-12)
            << "F 182 " << c.option;
        EXPECT_EQ(applied, c.applied) << "F 182 " << c.option;
    }
    // Too little sediment over the fixed bed: no factor.
    BSedDistrib[1][0][1] = 0.0001;
    BSedDistrib[0][0][1] = 0.0;
    BedThicknessCheckOption = 5;
    bool applied = true;
    EXPECT_EQ(CriticalShearSlopeFactor(1, 1, 1, &applied), 1.0);
    EXPECT_FALSE(applied);
}

TEST_F(BedConcentrationGrid, SlopeFactorOnASlopeAgainstTheFlow) {
    // The bed rises 10 degrees in the flow direction (+x): the normal
    // leans back against the flow, and the critical shear grows.
    Build();
    const double beta = 10.0 * kBedPi / 180.0;
    Fvecx[1] = -std::sin(beta);
    Fvecz[1] = std::cos(beta);
    BedThicknessCheckOption = 3;
    bool applied = false;
    const double ct = CotAngle1;  // cs = -1: w = 0
    const double q = std::sin(beta) * ct;
    const double expected =
        q + std::sqrt(std::cos(beta) * std::cos(beta) * (1 - std::tan(beta) * std::tan(beta) * ct * ct) + q * q);
    EXPECT_NEAR(CriticalShearSlopeFactor(1, 1, 0, &applied), expected, 1e-9);
    EXPECT_GT(expected, 1.0);
}

TEST_F(BedConcentrationGrid, InflowBedCellTakesTheTurbulenceFromInside) {
    Build();
    ASSERT_TRUE(Fcell1.allocate(4) && Fcell2.allocate(4) && Ftype1.allocate(4) && Ftype2.allocate(4));
    NoSurfaces = 3;
    // Surface 1 is the west side (4) of bottom cell 1; inside lies cell 3.
    Fcell1[1] = 1;
    Ftype1[1] = 4;
    DischargeGroups[1].groupType = 1;
    DischargeGroups[1].noSurfaces = 1;
    DischargeGroups[1].surfaceList[0] = 1;
    Ck[3] = 0.5;
    Ck[5] = 0.7;
    InflowBedCellOption = 1;
    AdjustInflowBedCells();
    EXPECT_EQ(Ck[1], 0.5);
    InflowBedCellOption = 2;
    AdjustInflowBedCells();
    EXPECT_EQ(Ck[1], 0.7);
    // An upper cell is not a bed cell.
    Fcell1[1] = 2;
    Ck[2] = 0.1;
    AdjustInflowBedCells();
    EXPECT_EQ(Ck[2], 0.1);
}

}  // namespace
