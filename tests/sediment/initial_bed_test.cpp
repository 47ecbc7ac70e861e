// The bed layers of a single water column before the first morphology step:
// the split at the active-layer limit, the stacked layers of the layered
// mode, the solid fractions from the grain mixture and the check of a bed
// read from file against the grid.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "run/globals.h"
#include "run/log.h"
#include "sediment/sediment_services.h"
#include "tests/support/control_text.h"

namespace {

// One grid column (1, 1) with water column 1: its four corner nodes carry
// the bed level `bed` over the fixed bed at 0, so the sediment is `bed` thick.
class InitialBed : public ::testing::Test {
protected:
    InitialBed() {
        if (!LogCreate()) ADD_FAILURE() << "cannot create boogie";
        ResetGlobals();
    }

    void Build(double bed, int layers, int sizes) {
        NoBedLayers = layers;
        NoSizes = sizes;
        NoBlocks = 1;
        BlockTable[1] = BlockRecord{};
        BlockTable[1].iFirst = BlockTable[1].iLast = BlockTable[1].jFirst = BlockTable[1].jLast = 1;
        NoGridLinesZ = 3;
        ASSERT_TRUE(Gridz.allocate(3, 3, 5) && GridLevels.allocate(5, 3, 3) && pointbed.allocate(3, 3));
        for (int i = 0; i <= 1; ++i) {
            for (int j = 0; j <= 1; ++j) Gridz[i][j][1] = bed;
        }
        pointbed[1][1] = 1;
        ASSERT_TRUE(BSedDistrib.allocate(layers + 1, sizes + 1, 2) && BlayerValue.allocate(layers + 1, 2) &&
                    Bedmove.allocate(2) && Bmorphwork.allocate(2) && Cvol.allocate(1));
        if (layers > 2 || FlagTSC == 3) {
            ASSERT_TRUE(BNoLayers.allocate(2));
        }
        FirstCell = 1;
        LastCell = 0;
        FirstBedCell = LastBedCell = 1;
    }

    ReadOutcome RunBed() { return CaptureRunEnd([] { BuildInitialBedState(); }); }

    static double Layer(int layer) { return BSedDistrib[layer][0][1]; }
    static double Fraction(int layer, int size) { return BSedDistrib[layer][size][1]; }

private:
    InProjectDir here_;
};

struct SplitCase {
    const char* name;
    double bed;
    int flagTsc;
    int layers;
    std::vector<double> thickness;  // layers 0, 1, ...
};

void PrintTo(const SplitCase& row, std::ostream* os) { *os << row.name; }

class InitialBedSplit : public InitialBed, public ::testing::WithParamInterface<SplitCase> {};

TEST_P(InitialBedSplit, LayersTakeTheSedimentAboveTheFixedBed) {
    const SplitCase& c = GetParam();
    FlagTSC = c.flagTsc;
    ActiveLayerLimit = 0.05;
    GrainFractions[0][1] = 0.25;
    GrainFractions[0][2] = 0.75;
    Build(c.bed, c.layers, 2);
    ReadOutcome out = RunBed();
    ASSERT_FALSE(out.ended) << out.log;
    double sum = 0.0;
    for (int layer = 0; layer < c.layers; ++layer) {
        EXPECT_NEAR(Layer(layer), c.thickness[static_cast<size_t>(layer)], 1e-12) << "layer " << layer;
        sum += Layer(layer);
    }
    EXPECT_NEAR(sum, std::max(c.bed, 0.0), 1e-12);
    // The top layer, which the bed concentration reads, holds the fractions.
    const int top = c.layers - 1;
    EXPECT_DOUBLE_EQ(Fraction(top, 1), 0.25);
    EXPECT_DOUBLE_EQ(Fraction(top, 2), 0.75);
    if (c.layers > 2) {
        EXPECT_EQ(BNoLayers[1], top);
    }
}

const SplitCase kSplitCases[] = {
    {"AboveTheLimit", 0.3, 1, 2, {0.25, 0.05}},
    {"InsideTheLimit", 0.03, 1, 2, {0.0, 0.03}},
    {"UnderTheFixedBed", -0.2, 1, 2, {0.0, 0.0}},
    {"ThreeLayersKeepTheActiveLayerOnTop", 0.3, 3, 3, {0.125, 0.125, 0.05}},
    {"FiveLayersShareTheRest", 0.45, 3, 5, {0.1, 0.1, 0.1, 0.1, 0.05}},
};

INSTANTIATE_TEST_SUITE_P(Rows, InitialBedSplit, ::testing::ValuesIn(kSplitCases),
                         [](const auto& i) { return std::string(i.param.name); });

TEST_F(InitialBed, MixtureGivesTheSolidFractionOfEveryLayer) {
    FlagTSC = 3;
    F264Option = -1;
    ActiveLayerLimit = 0.05;
    // All of one size: no spread, 1 - 0.36.
    Diameter[1] = 0.0002;
    Diameter[2] = 0.0001;
    GrainFractions[0][1] = 1.0;
    Build(0.3, 3, 2);
    ASSERT_FALSE(RunBed().ended);
    for (int layer = 0; layer < 3; ++layer) EXPECT_NEAR(BlayerValue[layer][1], 0.64, 1e-12) << layer;

    // Half 1 m, half 2^-20 m: a variance of 100 is capped at 0.99.
    Diameter[1] = 1.0;
    Diameter[2] = std::ldexp(1.0, -20);
    BSedDistrib[0][1][1] = BSedDistrib[0][2][1] = 0.5;
    EXPECT_DOUBLE_EQ(MixtureSolidFraction(0, 1), 0.99);
}

TEST_F(InitialBed, SolidFractionOfF26WithoutTheMixtureOption) {
    FlagTSC = 3;
    BedSolidFraction = 0.6;
    ActiveLayerLimit = 0.05;
    GrainFractions[0][1] = 1.0;
    Build(0.3, 3, 1);
    ASSERT_FALSE(RunBed().ended);
    for (int layer = 0; layer < 3; ++layer) EXPECT_DOUBLE_EQ(BlayerValue[layer][1], 0.6);
    EXPECT_DOUBLE_EQ(Bmorphwork[1], 0.3);
}

TEST_F(InitialBed, F30StartsWithoutAnActiveLayer) {
    F30Values[0] = 2;
    ActiveLayerLimit = 0.05;
    GrainFractions[0][1] = 1.0;
    Build(0.3, 2, 1);
    ASSERT_FALSE(RunBed().ended);
    EXPECT_DOUBLE_EQ(Layer(1), 0.0);
    EXPECT_DOUBLE_EQ(Fraction(1, 1), 0.0);
    EXPECT_DOUBLE_EQ(Layer(0), 0.25);
}

// A bed as read from a file: layers 0 and 1 as given, the grid's sediment
// `bed` thick.
struct FileCase {
    const char* name;
    double bed;
    double layer0, layer1;
    int f310;
    int status;                   // 0: the run goes on
    double expect0, expect1;      // layers afterwards
    double fixedBed;              // plane 3 of the nodes afterwards
};

void PrintTo(const FileCase& row, std::ostream* os) { *os << row.name; }

class InitialBedFromFile : public InitialBed, public ::testing::WithParamInterface<FileCase> {};

TEST_P(InitialBedFromFile, ComparedWithTheGrid) {
    const FileCase& c = GetParam();
    FracresReadFlag = 1;
    F310Option = c.f310;
    ActiveLayerLimit = 0.5;
    Build(c.bed, 2, 1);
    BSedDistrib[0][0][1] = c.layer0;
    BSedDistrib[1][0][1] = c.layer1;
    ReadOutcome out = RunBed();
    EXPECT_EQ(out.ended, c.status != 0) << out.log;
    if (c.status != 0) {
        EXPECT_EQ(out.status, c.status);
        EXPECT_NE(out.log.find("\nError for cell no. 1, i = 1, j = 1: The sediment thickness computed\n"),
                  std::string::npos) << out.log;
        EXPECT_NE(out.log.find("The problem can be solved by using F 310 1 or 2 in the control file\n\n"),
                  std::string::npos);
        return;
    }
    EXPECT_NEAR(Layer(0), c.expect0, 1e-12);
    EXPECT_NEAR(Layer(1), c.expect1, 1e-12);
    for (int i = 0; i <= 1; ++i) {
        for (int j = 0; j <= 1; ++j) EXPECT_NEAR(GridLevels[3][i][j], c.fixedBed, 1e-9) << i << " " << j;
    }
}

const FileCase kFileCases[] = {
    // 1.5 x the grid's sediment: a ratio near 0.2.
    {"HalfAgainRefused", 0.3, 0.1, 0.35, 0, -8, 0.0, 0.0, 0.0},
    {"HalfAgainCutFromTheBottom", 0.3, 0.1, 0.35, 1, 0, 0.0, 0.3, 0.0},
    {"HalfAgainCutInTheBottomLayer", 0.3, 0.2, 0.25, 1, 0, 0.05, 0.25, 0.0},
    {"TooLittleGrowsTheBottomLayer", 0.3, 0.05, 0.05, 1, 0, 0.25, 0.05, 0.0},
    {"HalfAgainMovesTheFixedBed", 0.3, 0.1, 0.35, 2, 0, 0.1, 0.35, 0.3 - 0.45},
    {"TwentyPercentPasses", 0.3, 0.16, 0.2, 0, 0, 0.16, 0.2, 0.0},
    {"ExactlyTheToleranceIsAccepted", 0.5, 0.61222222222222222, 0.0, 0, 0, 0.61222222222222222, 0.0, 0.0},
    // The grid bed under the fixed bed holds no sediment: empty layers agree.
    {"UnderTheFixedBedWithEmptyLayers", -0.3, 0.0, 0.0, 0, 0, 0.0, 0.0, 0.0},
    {"UnderTheFixedBedWithLayersRefused", -0.3, 0.1, 0.1, 0, -8, 0.0, 0.0, 0.0},
};

INSTANTIATE_TEST_SUITE_P(Rows, InitialBedFromFile, ::testing::ValuesIn(kFileCases),
                         [](const auto& i) { return std::string(i.param.name); });

TEST_F(InitialBed, TopLayerOfAFracresFileAboveTheLimitIsRefused) {
    FracresReadFlag = 1;
    ActiveLayerLimit = 0.05;
    Build(0.3, 2, 1);
    BSedDistrib[0][0][1] = 0.2;
    BSedDistrib[1][0][1] = 0.1;
    ReadOutcome out = RunBed();
    EXPECT_TRUE(out.ended);
    EXPECT_EQ(out.status, -45);
    EXPECT_NE(out.log.find("Error in reading fracres file. Top layer larger then coarsest\ngrain size at i,j=1 1\n"),
              std::string::npos) << out.log;
}

TEST_F(InitialBed, NegativeActiveLayerOfAFileIsRefused) {
    SkipFracresFlag = 1;
    F310Option = 1;
    ActiveLayerLimit = 0.05;
    Build(0.3, 2, 1);
    BSedDistrib[0][0][1] = 0.35;
    BSedDistrib[1][0][1] = -0.05;
    ReadOutcome out = RunBed();
    EXPECT_TRUE(out.ended);
    EXPECT_EQ(out.status, -44);
    EXPECT_NE(out.log.find("Error, startup, negative bed layer at i,j=1 1\n"), std::string::npos) << out.log;
}

}  // namespace
