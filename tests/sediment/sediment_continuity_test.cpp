// The sediment mass balance of a morphology run: the outflow booked at the
// outflow groups, the bed and suspended masses, and the reports.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "run/globals.h"
#include "run/log.h"
#include "sediment/sediment_services.h"
#include "tests/support/control_text.h"

namespace {

class SedimentContinuity : public ::testing::Test {
protected:
    SedimentContinuity() {
        if (!LogCreate()) ADD_FAILURE() << "cannot create boogie";
        ResetGlobals();
    }

    // Two cells of 2 m3 and one water column of 1 m2 with two layers.
    void Build(int sizes) {
        NoSizes = sizes;
        NoCells = 2;
        NoBedCells = 1;
        ASSERT_TRUE(conc.allocate(sizes + 1, 3) && Cvol.allocate(3) && SuspendedMassTotal.allocate(sizes + 1) &&
                    SuspendedMassTotalSet.allocate(sizes + 1));
        ASSERT_TRUE(BSedDistrib.allocate(3, sizes + 1, 2) && BlayerValue.allocate(3, 2) && Barea.allocate(2) &&
                    Bedmove.allocate(2));
        Cvol[1] = Cvol[2] = 2.0;
        Barea[1] = 1.0;
        FirstCell = 1;
        LastCell = 2;
        FirstBedCell = LastBedCell = 1;
        SedRelativeDensity = 2.65;
    }

    std::string log() const { return here_.dir().read("boogie"); }

private:
    InProjectDir here_;
};

TEST_F(SedimentContinuity, StartValuesOfTheSuspensionAndTheBed) {
    Build(1);
    conc[1][1] = 0.001;
    FlagTSC = 3;
    NoBedLayers = 2;
    BSedDistrib[0][0][1] = 0.1;
    BSedDistrib[0][1][1] = 1.0;
    BSedDistrib[1][0][1] = 0.01;
    BSedDistrib[1][1][1] = 1.0;
    BlayerValue[0][1] = 0.6;
    BlayerValue[1][1] = 0.5;
    SedimentOutflowSum = 5.0;
    StartSedimentContinuity();
    ComputeBedMassStart();
    EXPECT_EQ(SedimentOutflowSum, 0.0);
    EXPECT_NEAR(SuspendedMassTotal[1], 0.002, 1e-15);
    EXPECT_EQ(SuspendedMassTotalSet[1], 1);
    EXPECT_NEAR(SuspendedMassStartBySize[1], 0.002 * 1000.0 * 2.65, 1e-9);
    EXPECT_NEAR(BedMassStartBySize[1], (0.1 * 0.6 + 0.01 * 0.5) * 1000.0 * 2.65, 1e-9);
    // The layered bed books its own bed sum; the change of its mass is seen.
    BSedDistrib[1][0][1] = 0.02;
    Bedmove[1] = 0.01;
    UpdateSedimentContinuity();
    EXPECT_EQ(SedimentBedSum, 0.0);
    EXPECT_NEAR(BedMassChangeBySize[1], 0.01 * 0.5 * 1000.0 * 2.65, 1e-9);
    EXPECT_NEAR(SuspendedMassBySize[1], 0.002 * 1000.0 * 2.65, 1e-9);
}

// F 188 2: the bed of block 2 alone is weighed in the steps, so the start
// mass is that of block 2 too, and an unchanged bed shows no change.
TEST_F(SedimentContinuity, StartBedMassCoversTheBlocksOfF188) {
    NoSizes = 1;
    NoBedCells = 2;
    ASSERT_TRUE(BSedDistrib.allocate(3, 2, 3) && Barea.allocate(3));
    NoBlocks = 2;
    for (int b = 1; b <= 2; ++b) {
        BlockTable[b] = BlockRecord{};
        BlockTable[b].firstColumn = BlockTable[b].lastColumn = b;
        BlockTable[b].field11 = 1;
    }
    FlagTSC = 2;
    NoBedLayers = 2;
    BedSolidFraction = 0.5;
    SedRelativeDensity = 2.65;
    for (int b = 1; b <= 2; ++b) {
        Barea[b] = 1.0;
        BSedDistrib[1][0][b] = 0.1 * b;
        BSedDistrib[1][1][b] = 1.0;
    }
    MorphologyBlock = 2;
    FirstBedCell = 1;  // the whole grid, as the start-up sets it
    LastBedCell = 2;
    ComputeBedMassStart();
    EXPECT_NEAR(BedMassStartBySize[1], 0.2 * 0.5 * 1000.0 * 2.65, 1e-9);
    EXPECT_EQ(FirstBedCell, 1);  // the ranges are left as they were
    EXPECT_EQ(LastBedCell, 2);
    EXPECT_EQ(BlockTable[1].field11, 1);
    SetSedimentRanges();
    UpdateSedimentContinuity();
    EXPECT_NEAR(BedMassChangeBySize[1], 0.0, 1e-9);
}

TEST_F(SedimentContinuity, TwoLayerBedBooksTheBedMove) {
    Build(1);
    FlagTSC = 2;
    NoBedLayers = 2;
    BedSolidFraction = 0.4;
    Bedmove[1] = 0.01;
    UpdateSedimentContinuity();
    EXPECT_NEAR(SedimentBedSum, 0.01 * 1000.0 * 2.65 * 0.4, 1e-9);
}

// Group 2 leaves through one surface of 2 m2 of cell 1 (area 2 m2).
class GroupOutflow : public SedimentContinuity {
protected:
    void BuildGroup() {
        Build(2);
        NoSurfaces = 1;
        ASSERT_TRUE(Farea.allocate(2) && Fcell1.allocate(2) && Fcell2.allocate(2));
        Farea[1] = 2.0;
        Fcell1[1] = 0;
        Fcell2[1] = 1;
        DischargeGroupRecord& g = DischargeGroups[2];
        g.groupType = 0;
        g.noSurfaces = 1;
        g.surfaceList[0] = 1;
        g.area = 2.0;
        g.discharge = 1000.0;
        DischargeGroups[1].groupType = 1;
        DischargeGroups[1].discharge = 1000.0;
        conc[1][1] = 0.001;
        conc[2][1] = 0.002;
        TimeStep = 10.0;
    }
};

TEST_F(GroupOutflow, BooksEverySizeLeavingThroughTheOutflowGroup) {
    BuildGroup();
    UpdateGroupDischargesAndOutflow();
    EXPECT_EQ(GroupDischarge[2], 1000.0);
    EXPECT_NEAR(OutflowMassBySize[1], 0.001 * 2.0 * 1000.0 / 2.0 * 10.0 * 2.65, 1e-9);
    EXPECT_NEAR(OutflowMassBySize[2], 2.0 * OutflowMassBySize[1], 1e-9);
    EXPECT_NEAR(SedimentOutflowSum, OutflowMassBySize[1] + OutflowMassBySize[2], 1e-12);
}

// Before the first `timei` row the discharge of that row is booked, as the
// flow equations used it, not one extrapolated from the first two rows.
TEST_F(GroupOutflow, TimeBeforeTheSeriesTakesItsFirstRow) {
    BuildGroup();
    ASSERT_TRUE(TimeiTime.allocate(3) && TimeiDischarge.allocate(3, 10));
    NoTimeiSteps = 2;
    TimeiInflowFlag = 1;
    TimeiTime[0] = 10.0;
    TimeiTime[1] = 20.0;
    TimeiDischarge[0][2] = 1.0;
    TimeiDischarge[1][2] = 3.0;
    stime = 0.0;
    UpdateGroupDischargesAndOutflow();
    EXPECT_DOUBLE_EQ(GroupDischarge[2], 1000.0);
    EXPECT_GT(OutflowMassBySize[1], 0.0);
    stime = 15.0;
    UpdateGroupDischargesAndOutflow();
    EXPECT_DOUBLE_EQ(GroupDischarge[2], 2000.0);
}

TEST_F(SedimentContinuity, StepReportWithEverySumZeroIsFinite) {
    Build(2);
    WriteSedimentContinuityStep();
    const std::string zeros = "          0          0          0          0          0          0          0          0"
                              "          0\n";
    EXPECT_EQ(log(),
              "Continuity: Bedchange 0.000000 kg, Inflow 0.000000 kg, Outflow 0.000000 kg, Volume bed change 0.000000 m3\n"
              "Defect from erosion under non-movable bed: 0.000000 kg\n"
              "Bed outflow move defect: 0.000000 kg\n"
              "Susp. volume change defect: 0 kg\n"
              "Size  Inflow (kg) Outflow  Suspension BedLayerCh  Bedchange  Defect     Defect2    Def,PST    Def2,PST\n"
              "   1" + zeros + "   2" + zeros);
}

struct AdviceCase {
    const char* name;
    int sizes;
    int lateralSlope;
    double inflow;      // kg of size 1 (and of size 2)
    double bedChange;   // kg of size 1 in the bed layers
    bool advice;
};

void PrintTo(const AdviceCase& row, std::ostream* os) { *os << row.name; }

class ContinuityAdvice : public SedimentContinuity, public ::testing::WithParamInterface<AdviceCase> {};

TEST_P(ContinuityAdvice, LineFollowsTheDefectOfTheLastSize) {
    const AdviceCase& c = GetParam();
    Build(c.sizes);
    LateralSlopeOption = c.lateralSlope;
    for (int s = 1; s <= c.sizes; ++s) SedimentInflowPerSize[s] = c.inflow;
    BedMassChangeBySize[1] = c.bedChange;
    WriteSedimentContinuityStep();
    const bool shown = log().find("Possible cause of continuity error: F 78 1. Try F 78 3 instead\n") != std::string::npos;
    EXPECT_EQ(shown, c.advice) << log();
}

const AdviceCase kAdviceCases[] = {
    {"DefectAboveTenKgWithF78One", 1, 1, 20.0, 0.0, true},
    {"DefectAtTenKg", 1, 1, 10.0, 0.0, false},
    {"OtherF78", 1, 3, 20.0, 0.0, false},
    {"TwoSizes", 2, 1, 20.0, 0.0, false},
    {"BalancedSize", 1, 1, 20.0, 20.0, false},
};

INSTANTIATE_TEST_SUITE_P(Cases, ContinuityAdvice, ::testing::ValuesIn(kAdviceCases),
                         [](const auto& i) { return std::string(i.param.name); });

TEST_F(SedimentContinuity, SizeLineShowsTheDefects) {
    Build(1);
    SedimentInflowPerSize[1] = 30.0;
    OutflowMassBySize[1] = 5.0;
    SuspendedMassStartBySize[1] = 2.0;
    SuspendedMassBySize[1] = 4.0;
    BedMassChangeBySize[1] = 20.0;
    BedLayerChangeBySize[1] = 22.0 / 2.65;
    WriteSedimentContinuityStep();
    // R = 30 - 5 - (4 - 2) = 23: Defect 3, Defect2 1.
    EXPECT_NE(log().find("   1         30          5          4         20         22          3          1    "
                         "5.08475    1.63934\n"),
              std::string::npos)
        << log();
}

TEST_F(SedimentContinuity, EndReport) {
    SedimentBedSum = 21.2;
    SedimentInflowSum = 265.0;
    SedimentOutflowSum = 0.25;
    BedMoveDefectAbs = 1.5;
    BedMoveDefect = -0.5;
    WriteSedimentContinuitySummary();
    EXPECT_EQ(log(),
              "Continuity: Bedchange 21.2 kg, Inflow 265 kg, Outflow 0.25 kg\n"
              "BedMoveDefAbs+Move: 1.5 -0.5 (kg)\n"
              "Bed outflow move defect: 0.000000 (kg)\n"
              "Susp. volume change defect: 0 (kg)\n");
}

}  // namespace
