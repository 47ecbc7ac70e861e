// Start of a flow run: references, relaxation factors, start fields,
// component profiles, roughness and the resets of the time averages.
#include <cmath>
#include <string>
#include <vector>

#include "flow/start_profiles.h"
#include "quality/quality_data.h"
#include "tests/flow/group_case.h"

namespace {

using RunStart = FlowCase;

// --- relaxation factors -----------------------------------------------------

struct RelaxationCase {
    const char* name;
    double k3[6];
    const char* line;
};

void PrintTo(const RelaxationCase& row, std::ostream* os) { *os << row.name; }

class RelaxationFactors_ : public FlowCase, public ::testing::WithParamInterface<RelaxationCase> {};

TEST_P(RelaxationFactors_, ClampedAndLoggedOnce) {
    Box(2, 1, 2);
    for (int e = 1; e <= 6; ++e) RelaxationFactors[e] = GetParam().k3[e - 1];
    InitialiseFlowRun();
    EXPECT_NE(log().find(GetParam().line), std::string::npos) << log();
    EXPECT_DOUBLE_EQ(InvRelaxVelocity, 1.0 / RelaxVelocity);
    // Later calls (a driver after a grid change) log nothing again.
    FlowInitialisedFlag = 1;
    const std::string before = log();
    InitialiseFlowRun();
    EXPECT_EQ(log(), before);
}

const RelaxationCase kRelaxationCases[] = {
    {"Defaults", {0.8, 0.8, 0.8, 0.2, 0.5, 0.5}, "Relaxation: 0.800000 0.200000 0.500000 0.500000\n"},
    {"AboveTheBoundsTakeTheFloor", {1.5, 0.8, 0.8, 2.5, 0.5, 0.5}, "Relaxation: 1.500000 0.001000 0.500000 0.500000\n"},
    {"BoundsThemselvesAreOutside", {0.001, 0.8, 0.8, 2.0, 0.01, 2.0}, "Relaxation: 0.001000 0.001000 0.010000 0.010000\n"},
    {"NegativeAndZero", {-1.0, 0.8, 0.8, 0.0, -0.5, 1.99}, "Relaxation: 0.001000 0.001000 0.010000 1.990000\n"},
};

INSTANTIATE_TEST_SUITE_P(K3, RelaxationFactors_, ::testing::ValuesIn(kRelaxationCases),
                         [](const auto& i) { return std::string(i.param.name); });

TEST_F(RunStart, OpenMPSwitchesLoggedWithThreadsAndDebugD) {
    Box(2, 1, 2);
    NoThreads = 2;
    DebugOption = 'D';
    for (int n = 0; n < 12; ++n) OpenMPSwitches[n] = n;
    InitialiseFlowRun();
    EXPECT_NE(log().find("OpenMP G 50 0 1 2 3 4 5 6 7 8 9\n"), std::string::npos) << log();
}

// --- references and inflow turbulence ----------------------------------------

TEST_F(RunStart, NoInflowAndNoWindKeepTheStartTurbulence) {
    Box(2, 2, 2);
    InitialK = 0.003;
    InitialEpsilon = 0.0004;
    Ck[0] = Cepsilon[0] = Pres[0] = 0.0;
    InitialiseFlowRun();
    for (int e = 1; e <= 3; ++e) EXPECT_DOUBLE_EQ(ResidualScale[e], 0.1);
    EXPECT_DOUBLE_EQ(ResidualScale[4], 10.0);
    EXPECT_EQ(ResidualScale[5], 0.0);
    EXPECT_EQ(ResidualScale[6], 0.0);
    for (int c = 1; c <= NoCells; ++c) {
        EXPECT_EQ(Ck[c], 0.003);
        EXPECT_EQ(Cepsilon[c], 0.0004);
    }
    // The none slot that neighbour reads rely on stays 0.
    EXPECT_EQ(Ck[0], 0.0);
    EXPECT_EQ(Cepsilon[0], 0.0);
    EXPECT_EQ(BlockTable[0].firstCell, 1);
    EXPECT_EQ(BlockTable[0].lastCell, NoCells);
}

TEST_F(RunStart, OneInflowGroupSetsReferencesAndItsTurbulence) {
    const BoxGrid box = Box(3, 2, 2, {1.0, 1.5, 0.5});
    PutGroup(box, 1, 1, 1500.0, true);
    PutGroup(box, 2, 0, 1500.0, false);
    InitialiseFlowRun();
    const double a = 2 * 1.5 * 2 * 0.5;
    EXPECT_NEAR(DischargeGroups[1].area, a, 1e-12);
    const double v = 0.001 * 1500.0 / (a + 1e-5);
    const double k = std::max(0.0025 * v * v, 1e-6);
    EXPECT_DOUBLE_EQ(ResidualScale[4], 10.0 + 1500.0);
    EXPECT_DOUBLE_EQ(ResidualScale[1], 0.1 + 1500.0 * v);
    EXPECT_DOUBLE_EQ(DischargeGroups[1].inflowK, k);
    EXPECT_DOUBLE_EQ(DischargeGroups[1].inflowEps, 0.8 * k * std::sqrt(k / (a + 1e-10)));
    EXPECT_DOUBLE_EQ(ResidualScale[5], 1510.0 * k);
    EXPECT_DOUBLE_EQ(Ck[1], k);
}

TEST_F(RunStart, InflowGroupWithoutSurfacesBringsNoTurbulence) {
    Box(2, 1, 2);
    DischargeGroups[4].groupType = 1;
    DischargeGroups[4].discharge = 2000.0;
    InitialK = 0.001;
    InitialiseFlowRun();
    EXPECT_EQ(DischargeGroups[4].area, 0.0);
    EXPECT_DOUBLE_EQ(ResidualScale[4], 10.0);
    EXPECT_EQ(Ck[1], 0.001);
}

TEST_F(RunStart, GroupWithoutRecordDischargeStillGetsItsArea) {
    // Its discharge may come from a series; 0 m2 would make its inflow Q * 1e30.
    const BoxGrid box = Box(3, 2, 2);
    PutGroup(box, 3, 1, 0.0, true);
    InitialiseFlowRun();
    EXPECT_NEAR(DischargeGroups[3].area, 4.0, 1e-12);
}

TEST_F(RunStart, SecondOptionOfF200GivesTheReferences) {
    const BoxGrid box = Box(3, 1, 2);
    PutGroup(box, 1, 1, 800.0, true);
    InitialTurbulenceOption = 2;
    InitialK = 0.02;
    InitialEpsilon = 0.03;
    F200Value4 = 7.0;
    F200Value5 = 9.0;
    InitialiseFlowRun();
    EXPECT_EQ(ResidualScale[1], 7.0);
    EXPECT_EQ(ResidualScale[4], 9.0);
    EXPECT_EQ(ResidualScale[5], 0.02);
    EXPECT_EQ(ResidualScale[6], 0.03);
    EXPECT_EQ(DischargeGroups[1].inflowK, 0.02);
    EXPECT_EQ(Ck[1], 0.02);
}

// --- start fields ---------------------------------------------------------------

TEST_F(RunStart, HydrostaticStartPressureIsTheDepthBelowTheSurface) {
    const BoxGrid box = Box(2, 2, 4, {1.0, 1.0, 0.25, 0.0, 0.0, 3.0});
    HydrostaticPressureFlag = 1;
    InitialiseFlowRun();
    for (int c = 1; c <= NoCells; ++c) EXPECT_NEAR(Pres[c], 9810.0 * (4.0 - Czcenter[c]), 1e-9) << c;
    EXPECT_EQ(Pres[0], 0.0);
    EXPECT_NEAR(Pres[box.cell(0, 0, 0)], 9810.0 * 0.875, 1e-9);
}

TEST_F(RunStart, G18StartValuesKeepThePressureWhenItsPIsZero) {
    Box(2, 1, 3);
    HydrostaticPressureFlag = 1;
    NoInitialValueSets = 2;
    const double first[7] = {0, 9, 9, 9, 9, 9, 9};
    const double last[7] = {0, 0.5, -0.2, 0.1, 0.0, 0.004, 0.0005};
    std::copy(first, first + 7, G18Records[1]);
    std::copy(last, last + 7, G18Records[2]);
    InitialiseFlowRun();
    for (int c = 1; c <= NoCells; ++c) {
        EXPECT_EQ(Cu[c], 0.5);
        EXPECT_EQ(Cv[c], -0.2);
        EXPECT_EQ(Cw[c], 0.1);
        EXPECT_EQ(Ck[c], 0.004);
        EXPECT_EQ(Cepsilon[c], 0.0005);
        EXPECT_NEAR(Pres[c], 9810.0 * (3.0 - Czcenter[c]), 1e-9);
    }
    EXPECT_EQ(Cu[0], 0.0);
    G18Records[2][4] = 1234.0;
    FlowInitialisedFlag = 0;
    InitialiseFlowRun();
    for (int c = 1; c <= NoCells; ++c) EXPECT_EQ(Pres[c], 1234.0);
    EXPECT_EQ(Pres[0], 0.0);
}

TEST_F(RunStart, FirstTimeWorkOnlyWhileTheFlowIsNotInitialised) {
    Box(2, 1, 2);
    for (int c = 1; c <= NoCells; ++c) Cu[c] = 0.7;
    for (int s = 1; s <= NoSurfaces; ++s) Fflux[s] = 3.0;
    FlowInitialisedFlag = 1;
    InitialiseFlowRun();
    EXPECT_EQ(Cu[1], 0.7);
    EXPECT_EQ(Fflux[1], 3.0);
    FlowInitialisedFlag = 0;
    InitialiseFlowRun();
    EXPECT_EQ(Cu[1], 0.0);
    for (int s = 0; s <= NoSurfaces; ++s) EXPECT_EQ(Fflux[s], 0.0);
}

TEST_F(RunStart, LayerBlockAddsTheWeightOfItsColumns) {
    Box(2, 1, 2);
    LayerBlockOption = 1;
    HydrostaticPressureFlag = 1;
    InitialiseFlowRun();
    for (int c = 1; c <= NoCells; ++c) EXPECT_NEAR(Pres[c], 2.0 * 9810.0 * (2.0 - Czcenter[c]), 1e-9);
}

// A second first-time start in one run (letter N with F 248, then W) must
// give the pressure of the first, not add the layer block's weight again.
TEST_F(RunStart, SecondFirstTimeStartGivesTheSamePressure) {
    for (int hydrostatic : {0, 1}) {
        SCOPED_TRACE(testing::Message() << "F 181 " << hydrostatic);
        Box(2, 1, 2);
        LayerBlockOption = 1;
        HydrostaticPressureFlag = hydrostatic;
        InitialiseFlowRun();
        std::vector<double> first(Pres.data(), Pres.data() + NoCells + 1);
        EXPECT_GT(first[1], 0.0);
        InitialiseFlowRun();
        for (int c = 0; c <= NoCells; ++c) EXPECT_EQ(Pres[c], first[static_cast<size_t>(c)]) << c;
    }
}

// --- component profiles ----------------------------------------------------------

struct ProfileCase {
    const char* name;
    int count;
    double z;
    double value;
};

void PrintTo(const ProfileCase& row, std::ostream* os) { *os << row.name; }

class ProfileValues : public ::testing::TestWithParam<ProfileCase> {};

TEST_P(ProfileValues, EndsHoldTheirValue) {
    const ProfilePair pairs[3] = {{10.0, 4.0}, {6.0, 8.0}, {2.0, 20.0}};
    EXPECT_NEAR(ProfileValueAt(pairs, GetParam().count, GetParam().z), GetParam().value, 1e-12);
}

const ProfileCase kProfileCases[] = {
    {"BetweenTheFirstPairs", 3, 8.0, 6.0},  {"BetweenTheLastPairs", 3, 3.0, 17.0},
    {"OnAListedLevel", 3, 6.0, 8.0},        {"AboveTheFirstLevel", 3, 11.0, 4.0},
    {"BelowTheLastLevel", 3, -5.0, 20.0},   {"SinglePairIsConstantAbove", 1, 30.0, 4.0},
    {"SinglePairIsConstantBelow", 1, -3.0, 4.0}, {"NoPairs", 0, 1.0, 0.0},
};

INSTANTIATE_TEST_SUITE_P(Profiles, ProfileValues, ::testing::ValuesIn(kProfileCases),
                         [](const auto& i) { return std::string(i.param.name); });

TEST_F(RunStart, ComponentProfilesAndLayeredTemperature) {
    Box(1, 1, 4, {1.0, 1.0, 1.0});
    ASSERT_TRUE(Components.allocate(3, static_cast<size_t>(NoCells) + 1));
    TemperatureFlag = 1;
    NoInitialProfilePoints = 2;
    G40Pairs[0] = {3.0, 12.0};
    G40Pairs[1] = {1.0, 16.0};
    NoComponentProfiles = 1;
    G41ComponentNo[0] = 2;
    G41PairCount[0] = 1;
    G41Pairs[0][0] = {0.0, 0.25};
    ASSERT_TRUE(ComponentsOld.allocate(3, static_cast<size_t>(NoCells) + 1));
    TimeStep = 5.0;
    InitialiseFlowRun();
    // Centres at 0.5, 1.5, 2.5 and 3.5 m.
    const double temperature[4] = {16.0, 15.0, 13.0, 12.0};
    for (int c = 1; c <= 4; ++c) {
        EXPECT_NEAR(Components[0][c], temperature[c - 1], 1e-12) << c;
        EXPECT_EQ(Components[2][c], 0.25);
        // An unsteady run starts its previous step from the profile too.
        EXPECT_EQ(ComponentsOld[2][c], 0.25);
    }
    // Cells within 2 m below the start level are warm.
    F69Int7 = 2;
    InitialWaterLevel = 3.5;
    InitialiseFlowRun();
    EXPECT_EQ(Components[0][1], 10.0);
    EXPECT_EQ(Components[0][2], 20.0);
    EXPECT_EQ(Components[0][4], 20.0);
    F69Int7 = 1;
    InitialiseFlowRun();
    const double halves[4] = {10.0, 10.0, 20.0, 20.0};
    for (int c = 1; c <= 4; ++c) EXPECT_EQ(Components[0][c], halves[c - 1]);
}

// --- roughness ------------------------------------------------------------------

TEST_F(RunStart, StricklerRoughnessInEveryCell) {
    Box(2, 2, 2);
    WallRoughness = -2.0;
    StricklerCoefficient = 50.0;
    InitialiseFlowRun();
    EXPECT_NEAR(WallRoughness, std::pow(26.0 / 50.0, 6.0), 1e-15);
    for (int c = 1; c <= NoCells; ++c) EXPECT_NEAR(Croughness[c], 0.019771, 1e-6);
    WallRoughness = 0.0;
    InitialiseFlowRun();
    EXPECT_EQ(Croughness[1], 1e-5);
}

TEST_F(RunStart, PerColumnRoughness) {
    // Grid column (i, j) of the box's structured grid holds box column (i - 1, j - 1).
    const BoxGrid box = Box(2, 2, 2);
    WallRoughness = 0.05;
    RoughnessOption = 1;
    GridBedRough[2][2] = 0.3;
    for (int n = 1; n <= 4; ++n) Cbedcell[box.cell((n - 1) / 2, (n - 1) % 2, 0)] = n;
    InitialiseFlowRun();
    EXPECT_EQ(Croughness[box.cell(1, 1, 0)], 0.3);
    EXPECT_EQ(Croughness[box.cell(1, 1, 1)], 0.05);
    EXPECT_EQ(Broughness[4], 0.3);
    // Kept per column once the flow runs, for every cell of the column.
    RoughnessOption = 2;
    FlowInitialisedFlag = 1;
    NoBedCells = 4;
    for (int n = 1; n <= 4; ++n) Bcellt[n] = box.cell((n - 1) / 2, (n - 1) % 2, 0);
    Broughness[2] = 0.07;
    InitialiseFlowRun();
    EXPECT_EQ(Croughness[box.cell(0, 1, 0)], 0.07);
    EXPECT_EQ(Croughness[box.cell(0, 1, 1)], 0.07);
    EXPECT_EQ(Croughness[box.cell(1, 1, 1)], 0.3);
    EXPECT_EQ(Croughness[box.cell(0, 0, 0)], 0.05);
}

TEST_F(RunStart, CoarserGridLevelsTakeTheRoughnessOfTheirCells) {
    // Cells 3 and 4 stand for the coarser level, block 2 of three.
    const BoxGrid box = Box(2, 2, 1);
    ASSERT_TRUE(Cchildren.allocate(static_cast<size_t>(NoCells) + 1, 5));
    NoGridLevels = 3;
    NoBlocks = 3;
    BlockTable[2].firstCell = 3;
    WallRoughness = 0.01;
    RoughnessOption = 1;
    GridBedRough[2][2] = 0.3;  // the bottom cell of grid column (2, 2) is cell 4
    ASSERT_EQ(box.cell(1, 1, 0), 4);
    Cchildren[4][0] = 1;  // its parent takes its roughness
    // Cell 3 holds cells 1 and 2 only: missing children do not dilute its mean.
    Cchildren[3][1] = 1;
    Cchildren[3][2] = 2;
    InitialiseFlowRun();
    EXPECT_EQ(Croughness[1], 0.3);
    EXPECT_DOUBLE_EQ(Croughness[3], 0.5 * (0.3 + 0.01));
    EXPECT_EQ(Croughness[4], 0.3);
}

// --- time averages ---------------------------------------------------------------

TEST_F(RunStart, TimeAveragesResetOnlyAtTheFirstStart) {
    Box(2, 2, 1);
    ASSERT_TRUE(GridTrendSumY.allocate(10, 10));
    ASSERT_TRUE(GridTrendN.allocate(10, 10));
    TimeAveragingOption = 1;
    TimeAverageCounter = 5;
    GridTrendSumY[1][2] = 4.0;
    GridTrendN[2][2] = 3;
    GridTrendSumY[5][5] = 8.0;  // outside the block
    FlowInitialisedFlag = 1;
    InitialiseFlowRun();
    EXPECT_EQ(TimeAverageCounter, 5);
    FlowInitialisedFlag = 0;
    InitialiseFlowRun();
    EXPECT_EQ(TimeAverageCounter, 0);
    EXPECT_EQ(GridTrendSumY[1][2], 0.0);
    EXPECT_EQ(GridTrendN[2][2], 0);
    EXPECT_EQ(GridTrendSumY[5][5], 8.0);
}

// --- letter N ---------------------------------------------------------------------

TEST(RunStartLetterN, StressAndSlideStartTheFlowValuesFirst) {
    for (const char* option : {"1", "2"}) {
        EngineCase c{std::string("F248_") + option, std::string("F 248 ") + option + "\nF 2 N\n", 1,
                     {"Relaxation: 0.800000 0.200000 0.500000 0.500000\n"},
                     {"is not available in this build"}};
        CheckEngineCase(c);
    }
}

}  // namespace
