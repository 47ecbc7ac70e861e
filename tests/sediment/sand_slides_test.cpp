// The sand-slide operations on layer blocks of one-cell columns built in the
// test process: the plan solver, the numbering of the slides, their target
// levels and their end.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "flow/flow_data.h"
#include "grid/grid_services.h"
#include "run/globals.h"
#include "run/status.h"
#include "sediment/sand_slides.h"
#include "sediment/sediment_data.h"
#include "sediment/sediment_services.h"
#include "tests/support/control_text.h"
#include "tests/support/grid_engine.h"
#include "tools/box_geometry.h"

namespace {

class SlideBlockCase : public ::testing::Test {
protected:
    // A layer block of ni x nj columns of one 1 m cube each; column (i, j)
    // (from 0) is bed cell 1 + j + nj i.
    BoxGrid Block(int ni, int nj, const std::string& more = "") {
        const int cells = ni * nj;
        WriteHere("control", "G 1 " + std::to_string(ni + 2) + " " + std::to_string(nj + 2) + " 3 1\nF 65 " +
                                 std::to_string(cells + 10) + " " + std::to_string(4 * cells + ni + nj + 10) + " " +
                                 std::to_string(2 * (ni + 1) * (nj + 1) + 10) + " 10 10\nF 236 2 0 0 0.8\n" + more);
        const EngineCall start = StartEngineHere();
        EXPECT_FALSE(start.ended) << start.log;
        const BoxGrid g = MakeBoxGeometry(ni, nj, 1);
        const EngineCall m = CallEngine([] {
            metric();
            return 0;
        });
        EXPECT_FALSE(m.ended) << m.log;
        BlockRecord& r = BlockTable[1];
        r.layerBlock = 1;
        r.firstColumn = 1;
        r.lastColumn = cells;
        NoBedCells = cells;
        for (int i = 0; i < ni; ++i) {
            for (int j = 0; j < nj; ++j) {
                const int b = 1 + j + nj * i, c = g.cell(i, j, 0);
                Bcellt[b] = c;
                Cbedcell[c] = b;
                pointbed[i + 1][j + 1] = b;
                Bkooi[b] = i + 1;
                Bkooj[b] = j + 1;
            }
        }
        return g;
    }

    // Every column held, as the stability equation leaves the stable ones.
    static void HoldAll() {
        for (int c = 1; c <= NoCells; ++c) {
            Cap[c] = 1e20;
            Csource[c] = 0.0;
        }
    }

    InProjectDir here_;
};

// The plan equation of step 5 on 5 x 5 square columns, borders held at 0,
// a load in the centre: the solution is symmetric, so the four side
// neighbours of the centre end equal whatever the sweep order.
TEST_F(SlideBlockCase, BedEquationCouplesTheTrueSideNeighbours) {
    const BoxGrid g = Block(5, 5);
    for (int c = 1; c <= NoCells; ++c) {
        const bool border = Ccelle[c] == 0 || Ccellw[c] == 0 || Ccelln[c] == 0 || Ccells[c] == 0;
        Cae[c] = Caw[c] = Can[c] = Cas[c] = border ? 0.0 : 1.0;
        Cap[c] = border ? 1e20 : 4.0;
        Csource[c] = 0.0;
    }
    Csource[g.cell(2, 2, 0)] = -1.0;
    for (int n = 0; n < 201; ++n) SolveBedEquation2D(BslideChange.data(), 1, 25, 0.0);
    const double east = BslideChange[Cbedcell[g.cell(3, 2, 0)]];
    EXPECT_LT(east, -1e-3);
    for (const int c : {g.cell(1, 2, 0), g.cell(2, 3, 0), g.cell(2, 1, 0)}) {
        EXPECT_NEAR(BslideChange[Cbedcell[c]], east, 1e-12 * std::fabs(east)) << c;
    }
    EXPECT_EQ(BslideChange[Cbedcell[g.cell(0, 2, 0)]], 0.0);
}

struct NumberingCase {
    const char* name;
    int f159;
    int slides[3];      // ActiveSlides[0..2]
    int labelOf12;      // Bslide of column (2, 1)
};

void PrintTo(const NumberingCase& row, std::ostream* os) { *os << row.name; }

// Free columns (1, 1), (2, 1) and (1, 3), (2, 3): bed cells 7, 12 and 9, 14.
// Along grid lines (F 159 0) the gaps at 8 and 13 are filled and one slide
// forms; in plan (F 159 1) the i neighbours join and two slides form.
const NumberingCase kNumbering[] = {
    {"AlongGridLines", 0, {7, 0, 0}, 7},
    {"InPlan", 1, {7, 9, 0}, 7},
};

class SlideNumbering : public SlideBlockCase, public ::testing::WithParamInterface<NumberingCase> {};

TEST_P(SlideNumbering, LabelsTheFreeColumns) {
    const NumberingCase& k = GetParam();
    Block(5, 5, "F 159 " + std::to_string(k.f159) + " 0 0 1 0\n");
    HoldAll();
    for (int b = 1; b <= 25; ++b) BlayerSlope[b] = 1.0;
    for (const int b : {7, 12, 9, 14}) Cap[Bcellt[b]] = 1.0;
    ComputeSlideCoefficients();
    for (int s = 0; s < 3; ++s) EXPECT_EQ(ActiveSlides[s], k.slides[s]) << s;
    EXPECT_EQ(Bslide[7], 7);
    EXPECT_EQ(Bslide[12], k.labelOf12);
    // An unlabelled column is held at its shear-surface level.
    EXPECT_EQ(Cap[Bcellt[1]], 1e20);
    EXPECT_EQ(Csource[Bcellt[1]], 1e20);
}

INSTANTIATE_TEST_SUITE_P(F159, SlideNumbering, ::testing::ValuesIn(kNumbering),
                         [](const auto& i) { return std::string(i.param.name); });

// 300 slides of two columns each, on every other grid line: 299 are listed.
TEST_F(SlideBlockCase, ListsAtMost299Slides) {
    Block(20, 120, "F 159 0 0 0 1 0\n");
    HoldAll();
    for (int i = 0; i < 20; i += 2) {
        for (int j = 0; j < 120; j += 4) {
            const int b = 1 + j + 120 * i;
            Cap[Bcellt[b]] = Cap[Bcellt[b + 1]] = 1.0;
        }
    }
    ComputeSlideCoefficients();
    EXPECT_GT(ActiveSlides[298], 0);
    EXPECT_EQ(ActiveSlides[299], 0);
    EXPECT_EQ(ActiveSlides[0], 1);
    EXPECT_EQ(Bslide[2], 1);
    EXPECT_EQ(SlideCellCount[1], 2);
}

// A slide on flat ground: its highest and lowest columns coincide, so it has
// no height, length or target level, and the shear-surface iteration leaves
// its levels finite.
TEST_F(SlideBlockCase, FlatSlideHasNoTargetAndStaysFinite) {
    Block(5, 5, "F 325 1\nF 1 D\n");
    SandSlideStarted = 1;
    ActiveSlides[0] = 7;
    for (int b = 1; b <= 25; ++b) BlayerSlope[b] = BslideWork[b] = 1.0;
    Bslide[7] = Bslide[12] = 7;
    ComputeSandSlide();
    EXPECT_EQ(ActiveSlides[0], 7);
    EXPECT_EQ(SlideKHeight[0], 0.0);
    EXPECT_EQ(SlideKLength[0], 0.0);
    EXPECT_EQ(SlideKLevel[0], 0.0);
    // The slide takes in the j neighbours of its columns (F 159 1): 6, 8,
    // 11 and 13.
    EXPECT_EQ(SlideCellCount[0], 6);
    for (int b = 1; b <= 25; ++b) {
        ASSERT_TRUE(std::isfinite(BslideLevel[b]) && std::isfinite(BlayerSlope[b])) << b;
        EXPECT_EQ(BslideChange[b], 0.0) << b;
    }
    const std::string log = ReadHere("boogie");
    EXPECT_NE(log.find("Sand slide data, diffmax = 0.000000"), std::string::npos) << log;
    EXPECT_EQ(log.find("nan"), std::string::npos) << log;
}

// A slide whose factor of safety rises above F 334 ends: its columns get the
// ground level back and lose their number.
TEST_F(SlideBlockCase, StableSlideEnds) {
    Block(5, 5, "F 325 1\nF 1 D\nF 236 2 0 500 0.8\nF 334 3.0 0.2\n");
    SandSlideStarted = 1;
    ActiveSlides[0] = 7;
    for (int b = 1; b <= 25; ++b) BlayerSlope[b] = BslideWork[b] = 1.0;
    BlayerSlope[7] = BlayerSlope[12] = 0.5;
    Bslide[7] = Bslide[12] = 7;
    ComputeSandSlide();
    EXPECT_EQ(ActiveSlides[0], 0);
    EXPECT_EQ(Bslide[7], 0);
    EXPECT_EQ(Bslide[12], 0);
    EXPECT_EQ(BlayerSlope[7], 1.0);
    EXPECT_EQ(BlayerSlope[12], 1.0);
    EXPECT_NE(ReadHere("boogie").find("Stopped slide no. 0\n"), std::string::npos);
}

// The first call sets every shear surface to the ground; flat ground
// without groundwater has nothing that drives a slide.
TEST_F(SlideBlockCase, FlatBlockFormsNoSlide) {
    Block(5, 5, "F 325 1\n");
    PauseFlag = 101;
    ComputeSandSlide();
    // The pause asked for comes at the next call.
    EXPECT_EQ(PauseFlag, 4);
    EXPECT_EQ(ReadHere("boogie").find("PauseFlag = 4"), std::string::npos);
    ComputeSandSlide();
    EXPECT_NE(ReadHere("boogie").find("PauseFlag = 4"), std::string::npos);
    EXPECT_EQ(SandSlideStarted, 1);
    EXPECT_EQ(ActiveSlides[0], 0);
    for (int b = 1; b <= 25; ++b) {
        EXPECT_EQ(BslideChange[b], 0.0) << b;
        EXPECT_EQ(BlayerSlope[b], 1.0) << b;
        EXPECT_EQ(BslideWork[b], 1.0) << b;
    }
}

// The slide works in arrays of its own: the field solved last (Cf) and the
// ratios the flow reads keep their values.
TEST_F(SlideBlockCase, LeavesCfAndTheStressRatiosAlone) {
    Block(5, 5, "F 325 1\n");
    for (int c = 1; c <= NoCells; ++c) {
        Cf[c] = 3.0;
        CstressRatio[c] = 0.25;
    }
    ComputeSandSlide();
    for (int c = 1; c <= NoCells; ++c) {
        EXPECT_EQ(Cf[c], 3.0);
        EXPECT_EQ(CstressRatio[c], 0.25);
    }
}

}  // namespace
