// The bed concentration of the F 10 transport formulas on small columns whose
// rates can be worked out by hand: the six formulas, their thresholds and
// limits, the capacity of a column, the stop of Einstein's formula, and the
// bed forms and roughness of the call.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "run/globals.h"
#include "run/log.h"
#include "sediment/sediment_services.h"
#include "tests/support/control_text.h"
#include "tests/support/grid_engine.h"
#include "tools/box_grid.h"

namespace {

// Columns of `cells` cells of 1 m of water in all, 1 mm grains falling at
// 0.1 m/s, a fixed Shields number of 0.047.
class TransportFormulas : public ::testing::Test {
protected:
    TransportFormulas() {
        if (!LogCreate()) ADD_FAILURE() << "cannot create boogie";
        ResetGlobals();
        NoSizes = 1;
        Diameter[1] = 0.001;
        FallVelocity[1] = 0.1;
        SedRelativeDensity = 2.65;
        CriticalShields = 0.047;
    }

    // `columns` columns side by side along x; every cell 1 m/s and k giving
    // 1.61865 Pa at the bed.
    void Build(int columns, int cells) {
        grid_ = MakeBoxGrid(columns, 1, cells);
        const size_t slots = static_cast<size_t>(NoCells) + 1;
        for (Array1<double>* a : {&Ckdist, &Ck, &Cu, &Cv, &Croughness}) ASSERT_TRUE(a->allocate(slots));
        const size_t cols = static_cast<size_t>(columns) + 1;
        ASSERT_TRUE(Bcellt.allocate(cols));
        for (Array1<double>* a : {&Bd90, &BbedformHeight, &Broughness}) ASSERT_TRUE(a->allocate(cols));
        ASSERT_TRUE(BSedDistrib.allocate(NoBedLayers + 1, NoSizes + 1, cols));
        ASSERT_TRUE(BpotentialConc.allocate(NoSizes + 1, cols));
        for (int c = 1; c <= NoCells; ++c) {
            Ckdist[c] = 0.5 / cells;
            Ck[c] = 0.0053955;
            Cu[c] = 1.0;
            Croughness[c] = 0.01;
        }
        for (int b = 1; b <= columns; ++b) {
            Bcellt[b] = grid_.cell(b - 1, 0, 0);
            for (int layer = 0; layer <= NoBedLayers; ++layer) {
                BSedDistrib[layer][0][b] = 1.0;
                for (int s = 1; s <= NoSizes; ++s) BSedDistrib[layer][s][b] = s == 1 ? 1.0 : 0.0;
            }
        }
        FirstBedCell = 1;
        LastBedCell = columns;
    }

    double Stored(char letter, int s = 1, int b = 1) {
        SedFormula = letter;
        ComputeBedConcentrationFormula();
        return BpotentialConc[s][b];
    }

    std::string log() const { return here_.dir().read("boogie"); }

    BoxGrid grid_;

private:
    InProjectDir here_;
};

struct FormulaCase {
    char letter;
    double expected;
};

// One cell of 1 m of water at 1 m/s, so that the capacity is 1: tau
// 1.61865 Pa, theta 0.1, u* 0.040232 m/s, S 1.65e-4. A, S and Y turn their
// concentration in ppm by weight into the rate C 1e-6 Um H / s_r.
TEST_F(TransportFormulas, OneCellColumnTable) {
    Build(1, 1);
    const FormulaCase cases[] = {
        {'M', 1.24149e-5},  // 1.6061 0.02578 (1.61865 - 0.760766)^1.5 / 2650
        {'E', 1.24278e-5},  // 0.05 sqrt(0.001 / 16.1865) 0.1^1.5
        {'I', 3.99809e-7},  // 40 0.1^3 0.770699 sqrt(16.1865e-9) / 9.81
        {'A', 4.7487e-5},   // 125.840 ppm
        {'S', 9.9094e-6},   // 26.26 ppm
        {'Y', 7.6249e-4},   // 2020.6 ppm
    };
    for (const FormulaCase& c : cases) {
        EXPECT_NEAR(Stored(c.letter), c.expected, 1e-5 * c.expected) << "F 10 " << c.letter;
    }
    EXPECT_EQ(log(), "");
}

TEST_F(TransportFormulas, ThresholdsAndLimits) {
    Build(1, 1);
    // Meyer-Peter and Mueller below its critical stress (0.3 of it), and
    // Ackers and White below the start of motion at 0.3 m/s (G = -0.42).
    Ck[1] = 0.3 * 0.760766 / 300.0;
    Cu[1] = 0.3;
    EXPECT_EQ(Stored('M'), 0.0);
    EXPECT_EQ(Stored('A'), 0.0);
    // The others have no threshold.
    for (char letter : {'E', 'S', 'I'}) EXPECT_GT(Stored(letter), 0.0) << letter;
    // Yang at a mean speed below its critical one (0.1348 m/s).
    Ck[1] = 0.0053955;
    Cu[1] = 0.1;
    EXPECT_EQ(Stored('Y'), 0.0);
}

// At R* 1 the critical velocity's logarithm is close to its pole: the
// lowest R* of the formula's range, 1.2, is taken instead.
TEST_F(TransportFormulas, YangBelowItsReynoldsRange) {
    Build(1, 1);
    Diameter[1] = 0.001 / 40.232;  // R* = 1.0
    FallVelocity[1] = 0.001;
    const double v = Stored('Y');
    ASSERT_TRUE(std::isfinite(v));
    const double ustar = std::sqrt(0.001 * 1.61865), w = 0.001, d = Diameter[1];
    const double vcr = (2.5 / (std::log(1.2) - 0.06) + 0.66) * w;
    const double grain = std::log10(w * d / 1e-6), shear = std::log10(ustar / w);
    const double ppm = std::pow(10.0, 5.435 - 0.285 * grain - 0.457 * shear +
                                          (1.799 - 0.409 * grain - 0.314 * shear) +
                                          std::log10((1.0 - vcr) * 1.65e-4 / w));
    EXPECT_NEAR(v, ppm * 1e-6 / 2.65, 1e-5 * v);
}

TEST_F(TransportFormulas, ColumnWithoutCapacityGetsZero) {
    Build(1, 1);
    Cu[1] = 0.0;
    // Einstein's formula would stop the run on a bed cell without flow; a
    // column that carries nothing gets 0 first.
    for (char letter : {'A', 'E', 'I', 'M', 'S', 'Y'}) {
        BpotentialConc[1][1] = 9.0;
        EXPECT_EQ(Stored(letter), 0.0) << letter;
    }
}

TEST_F(TransportFormulas, EinsteinStopsOnABedCellWithoutFlow) {
    Build(1, 2);
    Cu[1] = 0.0;  // the water above still flows
    SedFormula = 'I';
    const EngineCall call = CallEngine([] {
        ComputeBedConcentrationFormula();
        return 0;
    });
    EXPECT_TRUE(call.ended);
    EXPECT_EQ(call.status, -1);
    EXPECT_NE(call.log.find("Einsteins formula not valid for this situation"), std::string::npos) << call.log;
}

// Two cells of 0.5 m: the upper one carries (1/9)^Z of the bottom one's
// concentration along the Rouse profile.
TEST_F(TransportFormulas, CapacityFollowsTheRouseProfile) {
    Build(1, 2);
    const double ustar = std::sqrt(0.001 * 1.61865);
    const double rouse = 0.1 / (0.4 * ustar);
    const double capacity = 0.5 + 0.5 * std::pow(1.0 / 9.0, rouse);
    EXPECT_NEAR(Stored('E'), 1.24278e-5 / capacity, 1e-5 * 1.24278e-5 / capacity);
}

TEST_F(TransportFormulas, EngelundWarningAboveTheGrainDensity) {
    Build(1, 1);
    Ck[1] = 20.0;
    const double v = Stored('E');
    EXPECT_GT(v, 2.65);
    const std::string text = log();
    EXPECT_EQ(text.rfind("Error Engelund Bconc(1,1) = ", 0), 0u) << text;
    EXPECT_NE(text.find("\n  engelund,konc,eqshear = "), std::string::npos) << text;
    EXPECT_NE(text.find("\n  velocity,slope,partfroude = "), std::string::npos) << text;
}

TEST_F(TransportFormulas, AckersWhiteWarnsForFineGrainOncePerCall) {
    Build(2, 1);
    Diameter[1] = 0.00003;  // Dgr 0.76
    FallVelocity[1] = 0.0008;
    EXPECT_TRUE(std::isfinite(Stored('A')));
    EXPECT_EQ(log(), "Ackers/White formula not valid for this situation\n");
}

// The bed forms follow the mean positive stage; the roughness takes the form
// roughness over a bed thicker than d90, and otherwise the larger of the
// wall roughness and three times the sediment (F 103 0) or the wall
// roughness (F 103 1); F 103 2 leaves it.
TEST_F(TransportFormulas, BedFormsAndRoughness) {
    Build(1, 1);
    RoughnessOption = 3;
    WallRoughness = 0.05;
    Stored('M');
    const double tauc = 0.047 * 1.65 * 9810.0 * 0.001;
    const double t = (1.61865 - tauc) / tauc;
    const double delta = 0.11 * std::pow(0.001, 0.3) * (1.0 - std::exp(-0.5 * t)) * (25.0 - t);
    EXPECT_NEAR(BbedformHeight[1], delta, 1e-12);
    EXPECT_NEAR(Broughness[1], 0.003 + 1.1 * delta * (1.0 - std::exp(-25.0 * delta / 7.3)), 1e-12);
    // 0.2 mm of sediment over the fixed bed, less than d90.
    BSedDistrib[1][0][1] = BSedDistrib[0][0][1] = 0.0001;
    struct {
        int f103;
        double roughness;
    } rows[] = {{0, 0.05}, {1, 0.05}, {2, 7.0}};
    for (const auto& row : rows) {
        F103Flag = row.f103;
        Broughness[1] = 7.0;
        Stored('M');
        EXPECT_DOUBLE_EQ(Broughness[1], row.roughness) << "F 103 " << row.f103;
        EXPECT_DOUBLE_EQ(BbedformHeight[1], 0.0001);  // half the sediment
    }
    WallRoughness = 0.0001;
    F103Flag = 0;
    Stored('M');
    EXPECT_DOUBLE_EQ(Broughness[1], 0.0006);
    // Below the critical stress there are no bed forms.
    Ck[1] = 0.0;
    Stored('M');
    EXPECT_EQ(BbedformHeight[1], 0.0);
}

// Layer 1 of the two-layer bed, and the top layer of a deeper bed whatever
// F 37 says; d90 from the shared diameters of the layer.
TEST_F(TransportFormulas, SurfaceLayerGivesD90) {
    NoSizes = 2;
    Diameter[2] = 0.0005;
    FallVelocity[2] = 0.05;
    NoBedLayers = 3;
    FlagTSC = 1;
    Build(1, 1);
    ASSERT_TRUE(BNoLayers.allocate(2));
    BNoLayers[1] = 2;
    BSedDistrib[2][1][1] = 0.0;
    BSedDistrib[2][2][1] = 1.0;
    Stored('E');
    EXPECT_NEAR(Bd90[1], 0.0009, 1e-15);  // between the mid-points of the two sizes
    NoBedLayers = 2;
    Stored('E');
    EXPECT_DOUBLE_EQ(Bd90[1], 0.001);
}

TEST_F(TransportFormulas, OnlyWetColumnsOfTheActiveRange) {
    Build(3, 1);
    Bcellt[2] = 0;
    LastBedCell = 2;
    for (int b = 1; b <= 3; ++b) BpotentialConc[1][b] = Bd90[b] = 9.0;
    Stored('E');
    EXPECT_NEAR(BpotentialConc[1][1], 1.24278e-5, 1e-10);
    for (int b = 2; b <= 3; ++b) {
        EXPECT_EQ(BpotentialConc[1][b], 9.0) << b;
        EXPECT_EQ(Bd90[b], 9.0) << b;
    }
}

}  // namespace
