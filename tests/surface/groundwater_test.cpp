// Groundwater levels on a strip of two rows of unit-wide surface columns over
// the soil block that the generator appends for F 262: each soil column one
// base cell from 10 m below the bed up to the bed.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "flow/flow_data.h"
#include "surface/groundwater.h"
#include "surface/surface_services.h"
#include "surface/surface_data.h"
#include "tests/grid/generation_case.h"

namespace {

constexpr int kNz = 4;
constexpr double kBed = 0.5;
constexpr double kWater = 1.0;

class Groundwater : public GenerationCase {
protected:
    // `columns` surface columns (i = 2..columns + 1) in the rows j = 2 and 3,
    // dx long and `width` wide, bed at 0.5 m and water at 1 m; the soil rows
    // are j = 6 and 7.
    void BuildRow(int columns, double dx, const std::string& control, double width = 1.0) {
        Start(columns + 2, 9, kNz, control);
        BlockTable[1].jLast = 3;
        for (int i = 1; i <= columns + 1; ++i) {
            for (int j = 1; j <= 8; ++j) {
                Gridx[i][j] = dx * (i - 1);
                Gridy[i][j] = width * (j - 1);
                SetNode(i, j, kBed, kWater);
                GridLevels[3][i][j] = kBed - 10.0;
            }
        }
        const EngineCall call = GenerateWithColumns();
        ASSERT_FALSE(call.ended) << call.log;
        ASSERT_EQ(FindGroundwaterBlock(), 2);
        ASSERT_EQ(BlockTable[2].jFirst, kSoilRow);
        columns_ = columns;
    }

    // The columns of the first row.
    static int Soil(int i) { return pointbed[i][kSoilRow]; }
    static int Surface(int i) { return pointbed[i][2]; }
    static int SoilCell(int i) { return Bcellt[Soil(i)]; }
    // The surface columns first..last of both rows count as dry.
    static void DryFrom(int first, int last) {
        for (int i = first; i <= last; ++i) {
            for (int j = 2; j <= 3; ++j) Bcellt[pointbed[i][j]] = 0;
        }
    }
    // A `wlinit` giving every soil column the level z.
    void StartLevels(double z) const {
        std::string text;
        for (int j = kSoilRow; j <= kSoilRow + 1; ++j) {
            for (int i = 2; i <= columns_ + 1; ++i) {
                text += std::to_string(i) + " " + std::to_string(j) + " " + std::to_string(z) + "\n";
            }
        }
        WriteHere("wlinit", text);
    }
    static EngineCall Run() {
        return CallEngine([] { return ComputeGroundwater(); });
    }
    std::vector<double> SoilLevels() const {
        std::vector<double> v;
        for (int i = 2; i <= columns_ + 1; ++i) v.push_back(Bgroundwater[Soil(i)]);
        return v;
    }

    static constexpr int kSoilRow = 6;
    int columns_ = 0;
};

// Rows of 30 soil columns 0.5 m long and 10 m thick, the first held at the
// water level (1 m), the others from -2 m; K = 1e-4 m/s, dt = 10 s, 100
// steps: D = K H = 1e-3 m2/s, sqrt(D t) = 1 m. Every F 33 pass count solves
// the same time step; the rows are 4 m wide, so that the second row (the
// same profile, lagged by one sweep) barely slows a single pass.
TEST_F(Groundwater, DiffusionFollowsTheErfcProfileForAnyPassCount) {
    std::vector<std::vector<double>> profiles;
    for (int passes : {1, 5, 20}) {
        SCOPED_TRACE(passes);
        BuildRow(30, 0.5, "F 262 1 0.0001\nF 33 10 " + std::to_string(passes) + "\nK 1 50\n", 4.0);
        DryFrom(3, 31);
        StartLevels(-2.0);
        // Two calls of 50 steps: the second goes on from the first's levels.
        for (int call = 0; call < 2; ++call) {
            const EngineCall r = Run();
            ASSERT_FALSE(r.ended) << r.log;
        }
        EXPECT_DOUBLE_EQ(stime, 1000.0);
        EXPECT_DOUBLE_EQ(Bgroundwater[Soil(2)], kWater);
        for (int k = 1; k <= 6; ++k) {
            const double x = 0.5 * k;
            EXPECT_NEAR(Bgroundwater[Soil(2 + k)], -2.0 + 3.0 * std::erfc(x / 2.0), 0.03) << "x = " << x;
            // The surface column above carries the same level.
            EXPECT_DOUBLE_EQ(Bgroundwater[Surface(2 + k)], Bgroundwater[Soil(2 + k)]);
        }
        profiles.push_back(SoilLevels());
    }
    for (size_t k = 0; k < profiles[0].size(); ++k) {
        EXPECT_NEAR(profiles[1][k], profiles[0][k], 0.001) << k;
        EXPECT_NEAR(profiles[2][k], profiles[0][k], 0.001) << k;
    }
}

// Without sweeps only the set-up acts: the held level under the wet column,
// the ground as the cap under the dry ones, and the clock still runs.
TEST_F(Groundwater, SetUpHoldsWetAndCapsDryColumns) {
    BuildRow(4, 1.0, "F 262 1 0.0001\nF 33 10 0\nK 1 3\n");
    DryFrom(3, 5);
    StartLevels(3.0);
    const EngineCall r = Run();
    ASSERT_FALSE(r.ended) << r.log;
    EXPECT_NE(r.log.find("Have read 8 water level points from wlinit file\n"), std::string::npos) << r.log;
    EXPECT_DOUBLE_EQ(stime, 30.0);
    EXPECT_DOUBLE_EQ(Bgroundwater[Soil(2)], kWater);
    EXPECT_DOUBLE_EQ(Bgroundwater[Surface(2)], kWater);
    for (int i = 3; i <= 5; ++i) {
        EXPECT_DOUBLE_EQ(Bgroundwater[Soil(i)], kBed) << i;
        EXPECT_LE(Bgroundwater[Surface(i)], kBed) << i;
    }
    EXPECT_GE(Cap[SoilCell(2)], 1e10);
    EXPECT_LT(Cap[SoilCell(3)], 1e10);
}

// The 100th step moves the surface: the update regenerates the cells under
// it, which gives the columns dried by hand their cells back, and the soil
// block outlives the regeneration. One step fewer leaves the grid alone.
TEST_F(Groundwater, EveryHundredthStepUpdatesTheSurfaceAndSetsUpAgain) {
    for (int steps : {99, 100}) {
        SCOPED_TRACE(steps);
        // The surface update needs a wet reference column: (2, 2) is the first, wet one.
        BuildRow(4, 0.5, "F 262 1 0.0001\nF 33 10 1\nF 91 2 2\nK 1 " + std::to_string(steps) + "\n");
        DryFrom(3, 5);
        StartLevels(0.4);
        const EngineCall r = Run();
        ASSERT_FALSE(r.ended) << r.log;
        EXPECT_EQ(Bcellt[Surface(3)] > 0, steps == 100) << r.log;
        if (steps == 99) {
            EXPECT_GT(Bgroundwater[Soil(3)], kBed + 0.1);
        }
        for (int i = 2; i <= 5; ++i) {
            EXPECT_TRUE(std::isfinite(Bgroundwater[Soil(i)]));
            EXPECT_LE(Bgroundwater[Soil(i)], kWater + 1e-9);
        }
        EXPECT_EQ(FindGroundwaterBlock(), 2);
        EXPECT_EQ(BlockTable[2].layerBlock, 1);
    }
}

// F 262 = 2, and F 262 = 1 inside a sediment run: 20 steps at the present
// time, whatever K 1 says, the same levels as 20 steps of the letter G.
TEST_F(Groundwater, InsideTheFlowTwentyStepsAtThePresentTime) {
    BuildRow(6, 0.5, "F 262 1 0.0001\nF 33 10 1\nK 1 20\n");
    DryFrom(3, 7);
    StartLevels(-2.0);
    ASSERT_FALSE(Run().ended);
    const std::vector<double> transient = SoilLevels();
    struct Form {
        const char* name;
        int option;
        int sediment;
    };
    for (const Form f : {Form{"F 262 = 2", 2, 0}, Form{"sediment run", 1, 1}}) {
        SCOPED_TRACE(f.name);
        BuildRow(6, 0.5, "F 262 1 0.0001\nF 33 10 1\nK 1 7\n");
        DryFrom(3, 7);
        StartLevels(-2.0);
        GroundwaterOption = f.option;
        SedimentActiveFlag = f.sediment;
        stime = 50.0;
        const EngineCall r = Run();
        ASSERT_FALSE(r.ended) << r.log;
        EXPECT_DOUBLE_EQ(stime, 50.0);
        const std::vector<double> levels = SoilLevels();
        for (size_t k = 0; k < levels.size(); ++k) EXPECT_NEAR(levels[k], transient[k], 1e-12) << k;
        SedimentActiveFlag = 0;
    }
}

// In a steady water run (no time step) the levels inside the flow loop solve
// the steady seepage: the dry columns rise from their start towards the
// level held under the wet column instead of staying where they started.
TEST_F(Groundwater, SteadyFlowLoopMovesTheLevelsOfDryColumns) {
    BuildRow(6, 0.5, "F 262 2 0.0001\n");
    DryFrom(3, 7);
    StartLevels(-2.0);
    for (int call = 0; call < 5; ++call) ASSERT_FALSE(Run().ended);
    const std::vector<double> levels = SoilLevels();
    EXPECT_DOUBLE_EQ(levels[0], kWater);
    for (size_t k = 1; k < levels.size(); ++k) {
        ASSERT_TRUE(std::isfinite(levels[k])) << k;
        EXPECT_GT(levels[k], -1.0) << "column " << k << " kept its start level";
        EXPECT_LE(levels[k], levels[k - 1] + 1e-12) << k;
    }
}

// The level iterate has arrays of its own: the field the driver designated
// keeps its designation and its values.
TEST_F(Groundwater, TheDriversFieldIsLeftAsItWas) {
    BuildRow(4, 1.0, "F 262 2 0.0001\nF 33 10 1\n");
    DryFrom(3, 5);
    for (int c = 1; c <= NoCells; ++c) {
        Cu[c] = 7.0;
        Cu_old[c] = 6.0;
    }
    Cf.designate(Cu);
    Cf_old.designate(Cu_old);
    const EngineCall r = Run();
    ASSERT_FALSE(r.ended) << r.log;
    EXPECT_TRUE(Cf.designates(Cu));
    EXPECT_TRUE(Cf_old.designates(Cu_old));
    for (int c = 1; c <= NoCells; ++c) {
        ASSERT_EQ(Cu[c], 7.0) << c;
        ASSERT_EQ(Cu_old[c], 6.0) << c;
    }
    Cf.release();
    Cf_old.release();
}

struct RefusalRow {
    const char* name;
    const char* control;
    bool dropBlock;
    int status;
    const char* line;
};

void PrintTo(const RefusalRow& row, std::ostream* os) { *os << row.name; }

class GroundwaterRefusal : public Groundwater, public ::testing::WithParamInterface<RefusalRow> {};

TEST_P(GroundwaterRefusal, EndsTheRunWithItsMessage) {
    const RefusalRow& row = GetParam();
    BuildRow(3, 1.0, row.control);
    if (row.dropBlock) {
        BlockTable[2].layerBlock = 0;
        NoBlocks = 1;
    }
    const EngineCall r = Run();
    EXPECT_TRUE(r.ended);
    EXPECT_EQ(r.status, row.status);
    EXPECT_NE(r.log.find(row.line), std::string::npos) << r.log;
}

const RefusalRow kRefusals[] = {
    // The default time step is 1e-20 s: storage would freeze every free level.
    {"NoTimeStep", "F 262 1 0.0001\n", false, -9, "Error in groundwater computation: the time step 1e-20 s"},
    {"NoSoilBlock", "F 262 1 0.0001\nF 33 10 1\n", true, -9,
     "Error in groundwater computation: groundwater grid not generated\n"
     "Data sets F ??? are missing in your control file\n\n"},
};

INSTANTIATE_TEST_SUITE_P(Rows, GroundwaterRefusal, ::testing::ValuesIn(kRefusals),
                         [](const auto& p) { return std::string(p.param.name); });

// The soil block lost after the first call (a regeneration that did not
// append it again) is reported as on the first call, with status -8.
TEST_F(Groundwater, SoilBlockLostLaterEndsWithMinusEight) {
    BuildRow(3, 1.0, "F 262 2 0.0001\nF 33 10 1\n");
    ASSERT_FALSE(Run().ended);
    BlockTable[2].layerBlock = 0;
    const EngineCall r = Run();
    EXPECT_TRUE(r.ended);
    EXPECT_EQ(r.status, -8);
    EXPECT_NE(r.log.find("Error in groundwater computation: groundwater grid not generated\n"
                         "Data sets F ??? are missing in your control file\n\n"),
              std::string::npos)
        << r.log;
}

// `wlinit` lines outside the grid, on grid points without a column or with a
// level that is not a number are skipped; reading stops at the first line
// without three values and after 5 x NoCells lines.
TEST_F(Groundwater, WlinitSkipsBadLines) {
    BuildRow(3, 1.0, "F 262 2 0.0001\nF 33 10 0\n");
    DryFrom(2, 4);
    WriteHere("wlinit",
              "2 6 -1.5\n"
              "0 6 7\n"
              "5 99 7\n"
              "1 1 7\n"
              "3 6 nan\n"
              "3 6 -1.25\n"
              "4 6 oops\n"
              "4 6 -1\n");
    const EngineCall r = Run();
    ASSERT_FALSE(r.ended) << r.log;
    EXPECT_NE(r.log.find("Have read 2 water level points from wlinit file\n"), std::string::npos) << r.log;
    EXPECT_DOUBLE_EQ(Bgroundwater[Soil(2)], -1.5);
    EXPECT_DOUBLE_EQ(Bgroundwater[Soil(3)], -1.25);
    EXPECT_TRUE(std::isfinite(Bgroundwater[Soil(4)]));
    EXPECT_NE(Bgroundwater[Soil(4)], -1.0);
}

TEST_F(Groundwater, WlinitIsReadUpToFiveTimesTheCells) {
    BuildRow(3, 1.0, "F 262 2 0.0001\nF 33 10 0\n");
    DryFrom(2, 4);
    std::string text;
    for (int k = 0; k < 5 * NoCells; ++k) text += "3 6 -1\n";
    text += "4 6 -3\n";
    WriteHere("wlinit", text);
    const EngineCall r = Run();
    ASSERT_FALSE(r.ended) << r.log;
    EXPECT_NE(r.log.find("Have read " + std::to_string(5 * NoCells) + " water level points from wlinit file\n"),
              std::string::npos)
        << r.log;
    EXPECT_NE(Bgroundwater[Soil(4)], -3.0);
}

// Without `wlinit` the soil columns start from the mean water level of the
// nodes of the columns above them and take their bed as the layer level.
TEST_F(Groundwater, WithoutWlinitTheStartIsTheWaterLevel) {
    BuildRow(3, 1.0, "F 262 2 0.0001\nF 33 10 0\nF 236 2 0 0 0.8\n");
    DryFrom(2, 4);
    // Below the ground, so the cap of the dry columns leaves it.
    for (int i = 1; i <= 4; ++i) {
        for (int j = 1; j <= 3; ++j) Gridz[i][j][NoGridLinesZ] = 0.2;
    }
    const EngineCall r = Run();
    ASSERT_FALSE(r.ended) << r.log;
    for (int i = 2; i <= 4; ++i) {
        EXPECT_DOUBLE_EQ(Bgroundwater[Soil(i)], 0.2) << i;
        EXPECT_DOUBLE_EQ(BlayerSlope[Soil(i)], kBed) << i;
    }
}

}  // namespace
