// The bed concentration of a bed that mixes clay with sand: the cohesive,
// blended and sand regimes, and negative values reported to `test`.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>

#include "run/globals.h"
#include "run/log.h"
#include "sediment/bed_concentration.h"
#include "tests/support/control_text.h"

namespace {

// Size 1 sand of `d`, size 2 clay of 1 micron, with the clay share `clay`.
class CohesiveBed : public ::testing::Test {
protected:
    CohesiveBed() {
        if (!LogCreate()) ADD_FAILURE() << "cannot create boogie";
        ResetGlobals();
        Diameter[1] = 0.0002;
        Diameter[2] = 1e-6;
    }

    CohesiveBedInput Input(double clay, double tau, double tauc, double d50) {
        fractions_[1] = 1.0 - clay;
        fractions_[2] = clay;
        CohesiveBedInput in;
        in.tau = tau;
        in.tauc = tauc;
        in.d = 0.0002;
        in.d50 = d50;
        in.dstarFactor = std::pow(1.65 * 9.81e12, 0.3333);
        in.fallVelocity = 1e-4;
        in.layerValue = 0.5;
        in.fractions = fractions_;
        in.sizes = 2;
        in.halfCell = 0.05;
        in.depth = 1.0;
        return in;
    }

    std::string read(const char* name) const { return here_.dir().read(name); }

private:
    double fractions_[3] = {};
    InProjectDir here_;
};

TEST_F(CohesiveBed, ClayBedErodesAboveItsCriticalStress) {
    // tce = (5.180 + 290) / 77.5 = 3.809 Pa for d50 0.1 mm.
    EXPECT_NEAR(ComputeCohesiveBedConcentration(Input(0.1, 10.0, 0.1, 0.0001)), 2.454e-5, 1e-8);
    EXPECT_EQ(ComputeCohesiveBedConcentration(Input(0.1, 3.0, 0.1, 0.0001)), 0.0);
    EXPECT_EQ(read("test"), "");
}

TEST_F(CohesiveBed, SandBedUsesTheHidingStage) {
    // d = d50: te is the critical shear, and d below 1 mm counts as 1 mm.
    const double c = ComputeCohesiveBedConcentration(Input(0.0, 1.0, 0.1189, 0.0002));
    EXPECT_NEAR(c, 3.723e-3, 2e-6);
    EXPECT_EQ(ComputeCohesiveBedConcentration(Input(0.0, 0.1, 0.1189, 0.0002)), 0.0);
    // The reference level of F 60 1 from the roughness.
    CohesiveBedInput in = Input(0.0, 1.0, 0.1189, 0.0002);
    in.option = 1;
    in.roughness = 0.1;
    EXPECT_NEAR(ComputeCohesiveBedConcentration(in), 3.723e-3 * 0.05 / 0.1, 2e-6);
}

TEST_F(CohesiveBed, BlendBetweenTheRegimes) {
    // With d = d50 the sand part does not depend on the clay share, nor the
    // clay part.
    const double sand = ComputeCohesiveBedConcentration(Input(0.0, 10.0, 0.1189, 0.0002));
    const double clay = ComputeCohesiveBedConcentration(Input(0.1, 10.0, 0.1189, 0.0002));
    ASSERT_GT(sand, clay);
    // The clay share is taken less 1e-7: 0.065 is halfway, 0.08 all clay.
    EXPECT_NEAR(ComputeCohesiveBedConcentration(Input(0.065 + 1e-7, 10.0, 0.1189, 0.0002)), 0.5 * (sand + clay), 1e-12);
    EXPECT_NEAR(ComputeCohesiveBedConcentration(Input(0.08 + 1e-7, 10.0, 0.1189, 0.0002)), clay, 1e-12);
    EXPECT_NEAR(ComputeCohesiveBedConcentration(Input(0.0500002, 10.0, 0.1189, 0.0002)), sand, 1e-5 * sand);
}

TEST_F(CohesiveBed, NoShearOnAOneSizeBedIsNoTransport) {
    const double c = ComputeCohesiveBedConcentration(Input(0.0, 0.0, 0.1189, 0.0002));
    EXPECT_EQ(c, 0.0);
}

TEST_F(CohesiveBed, NegativeValueGoesToTheTestFileAsZero) {
    CohesiveBedInput in = Input(0.065 + 1e-7, 10.0, 0.1189, 0.0002);
    in.fallVelocity = -1e-8;  // a rising floc gives a negative cohesive part
    EXPECT_EQ(ComputeCohesiveBedConcentration(in), 0.0);
    const std::string text = read("test");
    EXPECT_EQ(text.rfind("Achtung: konsform < 0: -", 0), 0u) << text;
    EXPECT_NE(text.find(" size 0.000200 Fall 2 \n "), std::string::npos) << text;
    EXPECT_EQ(read("boogie"), "");
}

TEST_F(CohesiveBed, UnwritableTestFileIsSaidOnce) {
    std::filesystem::create_directory("test");
    CohesiveBedInput in = Input(0.1, 10.0, 0.1189, 0.0002);
    in.fallVelocity = -1e-4;
    EXPECT_EQ(ComputeCohesiveBedConcentration(in), 0.0);
    EXPECT_EQ(ComputeCohesiveBedConcentration(in), 0.0);
    EXPECT_EQ(read("boogie"),
              "Could not open the file 'test' for the warnings of the cohesive bed concentration; negative "
              "concentrations are set to 0 without a warning\n");
}

}  // namespace
