// The layered bed of one water column: deposits and erosion through the
// stack, the thickness moved between the top layer and the one below, and the
// update after a sediment step with its sums.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "run/globals.h"
#include "run/log.h"
#include "sediment/sediment_services.h"
#include "tests/support/control_text.h"

namespace {

struct Layer {
    double thickness;
    std::vector<double> fractions;
    double packing;
};

// Water column 1 over bottom cell 1 (plan area 1 m2), a stack of layers
// 0..top with their own packings, room for one layer more than the stack.
class LayerStack : public ::testing::Test {
protected:
    LayerStack() {
        if (!LogCreate()) ADD_FAILURE() << "cannot create boogie";
        ResetGlobals();
    }

    void Build(int sizes, const std::vector<Layer>& stack) {
        NoSizes = sizes;
        NoBedLayers = static_cast<int>(stack.size());
        FlagTSC = 3;
        TimeStep = 1.0;
        const int layers = NoBedLayers + 1;
        ASSERT_TRUE(BSedDistrib.allocate(layers, sizes + 1, 2) && BlayerValue.allocate(layers, 2) &&
                    BNoLayers.allocate(2) && Bedmove.allocate(2) && Barea.allocate(2) && Bcellt.allocate(2) &&
                    Bkooi.allocate(2) && Bkooj.allocate(2));
        ASSERT_TRUE(BSedActive.allocate(sizes + 1, 2) && BSedWork.allocate(sizes + 1, 2) && conc.allocate(sizes + 1, 2));
        ASSERT_TRUE(Csurfb.allocate(2) && Fareaz.allocate(2));
        Barea[1] = 1.0;
        Bcellt[1] = 1;
        Csurfb[1] = 1;
        Fareaz[1] = 1.0;
        BNoLayers[1] = NoBedLayers - 1;
        FirstBedCell = LastBedCell = 1;
        for (int layer = 0; layer < NoBedLayers; ++layer) Set(layer, stack[static_cast<size_t>(layer)]);
    }

    static void Set(int layer, const Layer& l) {
        BSedDistrib[layer][0][1] = l.thickness;
        for (size_t s = 0; s < l.fractions.size(); ++s) BSedDistrib[layer][static_cast<int>(s) + 1][1] = l.fractions[s];
        BlayerValue[layer][1] = l.packing;
    }

    static void Expect(int layer, const Layer& l) {
        SCOPED_TRACE("layer " + std::to_string(layer));
        EXPECT_NEAR(BSedDistrib[layer][0][1], l.thickness, 1e-12);
        for (size_t s = 0; s < l.fractions.size(); ++s) {
            EXPECT_NEAR(BSedDistrib[layer][static_cast<int>(s) + 1][1], l.fractions[s], 1e-9) << "size " << s + 1;
        }
        EXPECT_NEAR(BlayerValue[layer][1], l.packing, 1e-12);
    }

    // Solid volume of size s in the whole stack (m3 over 1 m2).
    static double Solids(int s) {
        double v = 0.0;
        for (int layer = 0; layer < NoBedLayers; ++layer) {
            v += BSedDistrib[layer][0][1] * BSedDistrib[layer][s][1] * BlayerValue[layer][1];
        }
        return v;
    }

    std::string log() const { return here_.dir().read("boogie"); }

private:
    InProjectDir here_;
};

struct ErosionCase {
    const char* name;
    std::vector<Layer> before;  // layer 0 first
    int size;
    double change;
    std::vector<Layer> after;
    double defect;  // kg the stack could not give (density 2.65)
};

void PrintTo(const ErosionCase& row, std::ostream* os) { *os << row.name; }

class ErosionLayersTable : public LayerStack, public ::testing::WithParamInterface<ErosionCase> {};

TEST_P(ErosionLayersTable, LayersAndDefect) {
    const ErosionCase& c = GetParam();
    Build(2, c.before);
    const double others = Solids(3 - c.size);
    const double own = Solids(c.size);
    ErosionLayers(1, c.size, c.change);
    for (size_t layer = 0; layer < c.after.size(); ++layer) Expect(static_cast<int>(layer), c.after[layer]);
    EXPECT_NEAR(NonMovableBedDefect, c.defect, 1e-9);
    // The other size keeps its solids; this one changes by what the stack
    // could take or give, at the top layer's packing.
    EXPECT_NEAR(Solids(3 - c.size), others, 1e-15);
    const double topPacking = c.before.back().packing;
    const double missing = c.defect / (1000.0 * 2.65);
    EXPECT_NEAR(Solids(c.size) - own, c.change * topPacking + missing, 1e-12);
    EXPECT_EQ(log().find("Error in function ErosionLayers"), std::string::npos) << log();
}

const ErosionCase kErosionCases[] = {
    {"DepositIntoEmptyTopLayerHoldsThatSizeAlone",
     {{0.1, {0.5, 0.5}, 0.6}, {0.0, {0.3, 0.7}, 0.5}},
     2, 0.01,
     {{0.1, {0.5, 0.5}, 0.6}, {0.01, {0.0, 1.0}, 0.5}},
     0.0},
    {"DepositJoinsTheTopLayer",
     {{0.1, {0.5, 0.5}, 0.6}, {0.01, {0.4, 0.6}, 0.5}},
     1, 0.01,
     {{0.1, {0.5, 0.5}, 0.6}, {0.02, {0.7, 0.3}, 0.5}},
     0.0},
    // The top layer gives all 0.005 m of size 1; the other 0.003 m (at its
    // packing 0.5) are 0.0025 m of layer 0 (packing 0.6).
    {"ErosionThroughTwoLayersOfOtherPacking",
     {{0.1, {0.5, 0.5}, 0.6}, {0.01, {0.5, 0.5}, 0.5}},
     1, -0.008,
     {{0.0975, {0.0475 / 0.0975, 0.05 / 0.0975}, 0.6}, {0.005, {0.0, 1.0}, 0.5}},
     0.0},
    // 0.005 m and 0.01 m of size 1 are all there is: 0.985 m at packing 0.5
    // stay under the fixed bed.
    {"ErosionBeyondTheStackStopsAfterLayerZero",
     {{0.02, {0.5, 0.5}, 0.5}, {0.01, {0.5, 0.5}, 0.5}},
     1, -1.0,
     {{0.01, {0.0, 1.0}, 0.5}, {0.005, {0.0, 1.0}, 0.5}},
     0.985 * 0.5 * 1000.0 * 2.65},
};

INSTANTIATE_TEST_SUITE_P(Cases, ErosionLayersTable, ::testing::ValuesIn(kErosionCases),
                         [](const auto& i) { return std::string(i.param.name); });

TEST_F(LayerStack, TopLayerFractionsOutOfSumAreReported) {
    Build(2, {{0.1, {0.5, 0.5}, 0.6}, {0.01, {0.7, 0.7}, 0.5}});
    ErosionLayers(1, 1, 0.0);
    EXPECT_NE(log().find("Error in function ErosionLayers: sum of grain sizes active layer = 1.400000 for bedcell 1\n"
                         "size=1, fraction=0.7\nsize=2, fraction=0.7\n"
                         "Thickness of active layer: 0.01 meters, movement = 0 meters.\n"),
              std::string::npos)
        << log();
}

TEST_F(LayerStack, TransferKeepsTheSolidsOfEverySize) {
    Build(2, {{0.05, {0.2, 0.8}, 0.6}, {0.01, {1.0, 0.0}, 0.4}});
    const double before[] = {0.0, Solids(1), Solids(2)};
    TransferLayerThickness(0, 1, 1, 0.02);
    // p' (t + d) = p t + p_from d
    Expect(1, {0.03, {0.4, 0.6}, 0.016 / 0.03});
    Expect(0, {0.03, {0.2, 0.8}, 0.6});
    for (int s = 1; s <= 2; ++s) EXPECT_NEAR(Solids(s), before[s], 1e-15);
}

TEST_F(LayerStack, TransferGivesAtMostWhatTheLayerHolds) {
    Build(1, {{0.002, {1.0}, 0.5}, {0.006, {1.0}, 0.5}});
    TransferLayerThickness(0, 1, 1, 0.004);
    EXPECT_DOUBLE_EQ(BSedDistrib[0][0][1], 0.0);
    EXPECT_NEAR(BSedDistrib[1][0][1], 0.008, 1e-15);
}

// A step without settling or erosion: only the top layer's thickness is kept.
TEST_F(LayerStack, ShortTopLayerEmptiesTheThinLayerBelowAndNoMore) {
    Build(1, {{0.1, {1.0}, 0.5}, {0.002, {1.0}, 0.5}, {0.006, {1.0}, 0.5}});
    F106Value = 0.01;
    UpdateBedLayersTsc3();
    EXPECT_DOUBLE_EQ(BSedDistrib[1][0][1], 0.0);
    EXPECT_NEAR(BSedDistrib[2][0][1], 0.008, 1e-15);
    EXPECT_NEAR(BSedDistrib[0][0][1], 0.1, 1e-15);
    EXPECT_NEAR(Bedmove[1], 0.0, 1e-15);
}

TEST_F(LayerStack, StackAtOrBelowTheNominalThicknessMovesNothing) {
    Build(1, {{0.003, {1.0}, 0.5}, {0.006, {1.0}, 0.5}});
    F106Value = 0.01;
    UpdateBedLayersTsc3();
    EXPECT_DOUBLE_EQ(BSedDistrib[0][0][1], 0.003);
    EXPECT_DOUBLE_EQ(BSedDistrib[1][0][1], 0.006);
}

// Settling of two sizes into a top layer of other packing than the layer
// below, with the F 264 -1 repacking: the bed's solids grow by exactly what
// the sums book, and the bed move is the change of the stack's thickness.
TEST_F(LayerStack, StepBooksTheSolidsTheBedReceives) {
    Build(2, {{0.05, {0.5, 0.5}, 0.7}, {0.012, {0.9, 0.1}, 0.5}});
    Diameter[1] = 0.002;
    Diameter[2] = 0.0002;
    FallVelocity[1] = 0.1;
    FallVelocity[2] = 0.01;
    conc[1][1] = 0.001;
    conc[2][1] = 0.002;
    BSedActive[2][1] = 0.005;  // kg/s eroded of size 2
    F106Value = 0.01;
    F264Option = -1;
    SedRelativeDensity = 2.65;
    const double before[] = {0.0, Solids(1), Solids(2)};
    const double thickness = BSedDistrib[0][0][1] + BSedDistrib[1][0][1];
    UpdateBedLayersTsc3();
    const double dz1 = 0.001 * 0.1 / 0.5;
    const double dz2 = (0.002 * 0.01 - 0.001 * 0.005) / 0.5;
    EXPECT_NEAR(BSedWork[1][1], dz1, 1e-15);
    EXPECT_NEAR(BSedWork[2][1], dz2, 1e-15);
    for (int s = 1; s <= 2; ++s) {
        EXPECT_NEAR(Solids(s) - before[s], BedLayerChangeBySize[s] / 1000.0, 1e-12) << "size " << s;
    }
    EXPECT_NEAR(BedLayerChangeBySize[1], dz1 * 0.5 * 1000.0, 1e-12);
    EXPECT_NEAR(SedimentBedSum, (BedLayerChangeBySize[1] + BedLayerChangeBySize[2]) * 2.65, 1e-9);
    EXPECT_NEAR(BSedDistrib[1][0][1], 0.01, 1e-12);
    EXPECT_NEAR(Bedmove[1], BSedDistrib[0][0][1] + BSedDistrib[1][0][1] - thickness, 1e-15);
    EXPECT_NE(BlayerValue[1][1], 0.5);  // repacked
}

TEST_F(LayerStack, DryColumnKeepsItsLayers) {
    Build(1, {{0.05, {1.0}, 0.5}, {0.02, {1.0}, 0.5}});
    Bcellt[1] = 0;
    Bedmove[1] = 3.0;
    F106Value = 0.01;
    UpdateBedLayersTsc3();
    EXPECT_EQ(Bedmove[1], 0.0);
    EXPECT_DOUBLE_EQ(BSedDistrib[1][0][1], 0.02);
}

TEST_F(LayerStack, DebugChecksNameTheInactiveLayer) {
    Build(2, {{0.05, {0.5, 0.2}, 0.5}, {0.01, {0.5, 0.5}, 0.5}});
    F106Value = 0.01;
    DebugOption = 'D';
    UpdateBedLayersTsc3();
    EXPECT_NE(log().find("Error after function computeChangeThicknessBedlayers: sum of grain sizes inactive layer = "
                         "0.700000 for bedcell 1\nsize=1, fraction=0.5\nsize=2, fraction=0.2\n"
                         "Thickness of inactive layer: 0.05 meters\n"),
              std::string::npos)
        << log();
}

}  // namespace
