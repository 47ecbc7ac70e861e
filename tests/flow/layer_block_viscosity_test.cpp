// The eddy viscosity of layer blocks, bed forms and the F 144 variants.
#include <cmath>

#include "sediment/sediment_data.h"
#include "surface/surface_data.h"
#include "tests/flow/flow_case.h"

namespace {

class LayerViscosity : public FlowCase {
protected:
    // One column of three 1 m cells (bed cell 1), column 1 of block 1.
    BoxGrid Column(const std::string& control = "F 236 1 0 0 0.8\n") {
        const BoxGrid g = Box(1, 1, 3, {}, control);
        NoBlocks = 1;
        BlockRecord& r = BlockTable[1];
        r.firstCell = 1;
        r.lastCell = NoCells;
        r.firstColumn = r.lastColumn = 1;
        Bcellt[1] = 1;
        Barea[1] = 1.0;
        for (int c = 1; c <= NoCells; ++c) {
            Cbedcell[c] = 1;
            Ceddyvisc[c] = Ceddyviscz[c] = 1.0;
        }
        return g;
    }
};

// Step 1: a fixed viscosity, |F 236 second value|, for the whole block
// whatever the range of the call.
TEST_F(LayerViscosity, FixedViscosityOfTheBlock) {
    for (const bool appended : {false, true}) {
        SCOPED_TRACE(appended);
        Column(appended ? "F 236 2 -5 0 0.8\n" : "F 236 1 -5 0 0.8\n");
        AppendedBlockFlag = appended ? 1 : 0;
        BlockTable[1].layerBlock = appended ? 1 : 0;
        SetLayerBlockViscosity(1, 1);
        for (int c = 1; c <= NoCells; ++c) EXPECT_EQ(Ceddyvisc[c], 5.0) << c;
    }
}

TEST_F(LayerViscosity, NoFixedViscosityWithoutTheFlagOrOption) {
    Column("F 236 2 -5 0 0.8\n");
    AppendedBlockFlag = 1;
    BlockTable[1].layerBlock = 0;  // the last block is no appended block
    SetLayerBlockViscosity(1, 3);
    EXPECT_EQ(Ceddyvisc[2], 1.0);
}

// Step 5 without a slide: 1e7 in the bottom cell and the one above, ten
// times that higher up; a positive viscosity is taken as it is.
TEST_F(LayerViscosity, SoilLayersWithoutSlides) {
    Column();
    BlockTable[1].layerBlock = 1;
    AddBedViscosity(1, NoCells);
    EXPECT_EQ(Ceddyvisc[1], 1e7);
    EXPECT_EQ(Ceddyviscz[2], 1e7);
    EXPECT_EQ(Ceddyvisc[3], 1e8);
    Column("F 236 1 40 0 0.8\n");
    BlockTable[1].layerBlock = 1;
    AddBedViscosity(1, NoCells);
    EXPECT_EQ(Ceddyvisc[1], 1e7);
    EXPECT_EQ(Ceddyvisc[2], 40.0);
    EXPECT_EQ(Ceddyvisc[3], 400.0);
}

// Step 5 with an active slide: the viscosity from the soil's strength
// against its weight. Only the call whose range ends at the last cell does it.
TEST_F(LayerViscosity, SoilLayersDuringASlide) {
    Column();
    BlockTable[1].layerBlock = 1;
    ActiveSlides[0] = 1;
    SlideAverage[0] = 0.5;
    TimeStep = 10.0;
    Cu[2] = -0.001;
    AddBedViscosity(1, 2);
    EXPECT_EQ(Ceddyvisc[2], 1.0);
    AddBedViscosity(3, NoCells);
    const double S = 9810.0 * 1.65 * 0.8, W = 9810.0 * 3.65;
    const double mu = 0.5 * S / (0.5 * 10.0 * S / W + 1e-8 + 0.001) + 1000.0;
    EXPECT_NEAR(mu, 4578.7, 0.05);
    EXPECT_NEAR(Ceddyvisc[2], mu, 1e-9 * mu);
    EXPECT_NEAR(Ceddyviscz[3], 10.0 * mu, 1e-9 * mu);
    EXPECT_EQ(Ceddyvisc[1], 1e7);
    ActiveSlides[0] = 0;
    SlideAverage[0] = 0.0;
}

// Steps 2 to 4 near the bed.
TEST_F(LayerViscosity, BedFormFactorNeverLowers) {
    Column();
    F290Value1 = 2.0;
    Bdepth[1] = 2.0;
    Equation = 1;
    for (const double height : {0.5, 2.0}) {
        for (int c = 1; c <= NoCells; ++c) Ceddyviscz[c] = 1.0;
        BbedformHeight[1] = height;
        AddBedViscosity(1, NoCells);
        EXPECT_DOUBLE_EQ(Ceddyviscz[2], std::max(1.0, height / 2.0 * 2.0));
    }
}

TEST_F(LayerViscosity, BedFormTermAndBedChange) {
    Column("F 281 2 1\n");
    Bdepth[1] = 1.0;
    Bfroude[1] = 1.0 / std::sqrt(9.81);  // 1 m/s
    BbedformHeight[1] = 0.1;
    Equation = 6;
    AddBedViscosity(1, NoCells);
    const double a = 0.1 * 1000.0 * 1.0 / (1.0 * 28.8 * 0.5);
    for (int c = 1; c <= NoCells; ++c) {
        EXPECT_NEAR(Ceddyvisc[c], 1.0 + a, 1e-9);
        EXPECT_NEAR(Ceddyviscz[c], 1.0 + a, 1e-9);
    }
    Bdepth[1] = 0.0;  // a dry column takes nothing, and no NaN
    AddBedViscosity(1, NoCells);
    EXPECT_NEAR(Ceddyvisc[1], 1.0 + a, 1e-9);
}

TEST_F(LayerViscosity, F144AddsToTheBedCellOnly) {
    Column("F 144 4 2\n");
    Cu[1] = 3.0;
    Cv[1] = 4.0;
    AddBedViscosity(1, NoCells);
    const double a = 2.0 / std::sqrt(Farea[Csurfb[1]]) * 5.0;
    EXPECT_NEAR(Ceddyvisc[1], 1.0 + a, 1e-12);
    EXPECT_NEAR(Ceddyviscz[1], 1.0 + a, 1e-12);
    EXPECT_EQ(Ceddyvisc[2], 1.0);
}

}  // namespace
