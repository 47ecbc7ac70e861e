// Discharges, outflow balance, marks and inflow terms of the discharge groups.
#include <cmath>
#include <string>

#include "tests/flow/group_case.h"
#include "tests/grid/unstruc_case.h"

namespace {

class Inflow : public FlowCase {
protected:
    // A box with inflow group 1 at its west end and outflow group 2 at its
    // east end, their areas and inflow turbulence from the run start.
    BoxGrid Channel(double inflow, double outflow, int ni = 3, int nj = 2, int nk = 3) {
        const BoxGrid box = Box(ni, nj, nk, {1.0, 1.0, 0.5});
        PutGroup(box, 1, 1, inflow, true);
        PutGroup(box, 2, 0, outflow, false);
        InitialiseFlowRun();
        return box;
    }

    // A discharge series, the same for every group, over rows (time s, m3/s).
    static void Series(std::initializer_list<std::pair<double, double>> rows) {
        ASSERT_TRUE(TimeiTime.allocate(10));
        ASSERT_TRUE(TimeiDischarge.allocate(10, 10));
        NoTimeiSteps = 0;
        for (const auto& [t, q] : rows) {
            TimeiTime[NoTimeiSteps] = t;
            for (int g = 1; g <= 9; ++g) TimeiDischarge[NoTimeiSteps][g] = q;
            ++NoTimeiSteps;
        }
        TimeiInflowFlag = 1;
    }

    static void Apply(int equation) {
        Equation = equation;
        ClearEquation();
        SetInflowBoundaryConditions();
    }
};

TEST_F(Inflow, UniformInflowTermsOfEveryEquation) {
    Channel(2000.0, 2000.0);
    const double a = DischargeGroups[1].area;
    ASSERT_NEAR(a, 2 * 3 * 0.5, 1e-12);
    const double u = 0.001 * 2000.0 / a;
    for (int equation : {1, 2, 3, 4, 5, 6, 7}) {
        Apply(equation);
        EXPECT_EQ(GroupDischarge[1], 2000.0);
        EXPECT_NEAR(GroupCapSum(1), 2000.0, 1e-9);
        const DischargeGroupRecord& r = DischargeGroups[1];
        for (int n = 0; n < r.noSurfaces; ++n) {
            const int s = r.surfaceList[n];
            const int c = Fcell2[s];
            const double f = 2000.0 / a * Farea[s];
            EXPECT_NEAR(Cap[c], f, 1e-9);
            EXPECT_EQ(CdischargeGroup[c], 1);
            double expected = 0.0;
            if (equation == 1) expected = f * u * Fvecx[s] * Fsign[s];
            if (equation == 2) expected = f * u * Fvecy[s] * Fsign[s];
            if (equation == 5) expected = f * r.inflowK;
            if (equation == 6) expected = f * r.inflowEps;
            EXPECT_NEAR(Csource[c], expected, 1e-9) << "equation " << equation;
        }
        if (equation == 1) {
            EXPECT_GT(Csource[Fcell2[r.surfaceList[0]]], 0.0);  // towards +x
        }
        // The outflow end is only marked.
        for (int c : GroupCells(2)) {
            EXPECT_EQ(CdischargeGroup[c], -2);
            EXPECT_EQ(Cap[c], 0.0);
            EXPECT_EQ(Csource[c], 0.0);
        }
    }
}

TEST_F(Inflow, MarksAreRebuiltAtEveryCall) {
    const BoxGrid box = Channel(1000.0, 1000.0);
    CdischargeGroup[box.cell(1, 0, 0)] = 7;
    Apply(1);
    EXPECT_EQ(CdischargeGroup[box.cell(1, 0, 0)], 0);
}

struct TreatmentCase {
    const char* name;
    int type;
    double discharge;
    int mark;  // of the group's cells (group 1)
    bool terms;
};

void PrintTo(const TreatmentCase& row, std::ostream* os) { *os << row.name; }

class InflowTypes : public Inflow, public ::testing::WithParamInterface<TreatmentCase> {};

TEST_P(InflowTypes, MarksAndTermsFollowTypeAndSign) {
    Channel(1000.0, 1000.0);
    DischargeGroups[1].groupType = GetParam().type;
    DischargeGroups[1].discharge = GetParam().discharge;
    Apply(1);
    for (int c : GroupCells(1)) {
        EXPECT_EQ(CdischargeGroup[c], GetParam().mark);
        EXPECT_EQ(Cap[c] > 0.0, GetParam().terms);
    }
}

const TreatmentCase kTreatmentCases[] = {
    {"InflowPositive", 1, 500.0, 1, true},   {"InflowNegativeIsAnOutflow", 1, -500.0, -1, false},
    {"InflowZeroIsLeftAlone", 1, 0.0, 0, false}, {"OutflowType", 0, 500.0, -1, false},
    {"OtherTypePositive", 3, 500.0, 0, false}, {"OtherTypeNegative", 3, -500.0, -1, false},
};

INSTANTIATE_TEST_SUITE_P(Uniform, InflowTypes, ::testing::ValuesIn(kTreatmentCases),
                         [](const auto& i) { return std::string(i.param.name); });

// --- discharges at the current time --------------------------------------------

TEST_F(Inflow, SeriesIsInterpolatedAndHeldAtBothEnds) {
    Channel(700.0, 700.0);
    Series({{0.0, 1.0}, {100.0, 3.0}});
    GroupDischarge[5] = 42.0;  // a group without surfaces keeps its value
    stime = 50.0;
    Apply(1);
    EXPECT_NEAR(GroupDischarge[1], 2000.0, 1e-9);
    EXPECT_NEAR(GroupCapSum(1), 2000.0, 1e-9);
    const DischargeGroupRecord& r = DischargeGroups[1];
    const int c = Fcell2[r.surfaceList[0]];
    EXPECT_NEAR(Csource[c] / Cap[c], 0.001 * 2000.0 / r.area * Fvecx[r.surfaceList[0]] * Fsign[r.surfaceList[0]], 1e-12);
    EXPECT_EQ(GroupDischarge[5], 42.0);
    stime = 500.0;
    Apply(1);
    EXPECT_NEAR(GroupDischarge[1], 3000.0, 1e-9);
    // Before the first row the first row holds: no extrapolation to a
    // negative discharge that would turn the inflow into an outflow.
    stime = -100.0;
    Apply(1);
    EXPECT_NEAR(GroupDischarge[1], 1000.0, 1e-9);
    EXPECT_EQ(CdischargeGroup[c], 1);
}

// --- water balance ------------------------------------------------------------------

struct BalanceCase {
    const char* name;
    int mode;
    double inflow;  // group 1, kg/s; the outflow group's own discharge is 1000
    double outflow;
};

void PrintTo(const BalanceCase& row, std::ostream* os) { *os << row.name; }

class BalanceModes : public Inflow, public ::testing::WithParamInterface<BalanceCase> {};

TEST_P(BalanceModes, OutflowOfTheBalance) {
    Channel(GetParam().inflow, 1000.0);
    ReservoirBalanceMode = GetParam().mode;
    BalanceLowFactor = 0.5;
    BalanceHighFactor = 2.0;
    Apply(1);
    EXPECT_NEAR(GroupDischarge[2], GetParam().outflow, 1e-9);
    EXPECT_NEAR(GroupDischarge[1], GetParam().inflow, 1e-9);
}

const BalanceCase kBalanceCases[] = {
    {"NoBalance", 0, 3000.0, 1000.0},        {"Balance", 2, 3000.0, 3000.0},
    {"AtLeastTheDischarge", 3, 300.0, 1000.0}, {"AtLeastTheBalance", 7, 3000.0, 3000.0},
    {"AtMost", 4, 3000.0, 1000.0},           {"LimitedAbove", 5, 3000.0, 2000.0},
    {"LimitedBelow", 6, 300.0, 500.0},       {"WithinTheLimits", 5, 1500.0, 1500.0},
};

INSTANTIATE_TEST_SUITE_P(F287, BalanceModes, ::testing::ValuesIn(kBalanceCases),
                         [](const auto& i) { return std::string(i.param.name); });

TEST(BalanceOutflow, OtherGroupsFlaggedOutflowsAndStorage) {
    InProjectDir here;
    ResetGlobals();
    for (int g = 1; g <= 9; ++g) {
        GroupDischarge[g] = 0.0;
        G7Records[g].ivalue[0] = 0;
    }
    GroupDischarge[1] = 3000.0;
    GroupDischarge[2] = 999.0;  // the group itself takes no part
    GroupDischarge[3] = 500.0;
    G7Records[3].ivalue[0] = 1;  // an outflow in the balance
    EXPECT_DOUBLE_EQ(ComputeBalanceOutflow(2), 2500.0);
    // Unsteady: the storage released since the last surface update.
    TimeStep = 10.0;
    SurfaceVolumeChange = 2.0;
    PreviousSurfaceUpdateTime = 100.0;
    LastSurfaceUpdateTime = 120.0;
    EXPECT_DOUBLE_EQ(ComputeBalanceOutflow(2), 2500.0 + 1000.0 * 2.0 / 20.0);
    LastSurfaceUpdateTime = 101.0;
    EXPECT_DOUBLE_EQ(ComputeBalanceOutflow(2), 2500.0 + 1000.0 * 2.0 / 10.0);
    // Storage filling faster than the inflow gives no outflow.
    SurfaceVolumeChange = -1000.0;
    EXPECT_EQ(ComputeBalanceOutflow(2), 0.0);
    // A steady run has no storage term (it would be divided by 1e-20 s).
    TimeStep = 1e-20;
    LastSurfaceUpdateTime = PreviousSurfaceUpdateTime = 0.0;
    SurfaceVolumeChange = 2.0;
    EXPECT_DOUBLE_EQ(ComputeBalanceOutflow(2), 2500.0);
    EXPECT_EQ(ComputeBalanceOutflow(0), 0.0);
    EXPECT_EQ(ComputeBalanceOutflow(10), 0.0);
}

// --- logarithmic profile ------------------------------------------------------------

TEST_F(Inflow, LogarithmicProfileCarriesTheDischargeAndGrowsUpwards) {
    const BoxGrid box = Channel(1000.0, 1000.0, 3, 2, 4);
    InflowProfileOption = 1;
    InflowRoughness = 0.05;
    Apply(1);
    EXPECT_NEAR(GroupCapSum(1), 1000.0, 1e-12 * 1000.0);
    for (int j = 0; j < box.nj; ++j) {
        for (int k = 1; k < box.nk; ++k) EXPECT_GT(Cap[box.cell(0, j, k)], Cap[box.cell(0, j, k - 1)]);
    }
    // Shares as the rough-wall law gives them, over the bed at level 0.
    double sum = 0.0;
    for (int k = 0; k < box.nk; ++k) sum += std::log(30.0 * Czcenter[box.cell(0, 0, k)] / 0.05) * 0.5;
    sum *= box.nj;
    const int top = box.cell(0, 0, box.nk - 1);
    EXPECT_NEAR(Cap[top], std::log(30.0 * Czcenter[top] / 0.05) * 1000.0 / sum * 0.5, 1e-9);
}

TEST_F(Inflow, LogarithmicProfileFindsTheBedOfColumnsWhoseBottomIsNotListed) {
    const BoxGrid box = Box(3, 2, 4, {1.0, 1.0, 0.5});
    PutGroup(box, 1, 1, 1000.0, true, 2, 4);
    InitialiseFlowRun();
    for (int option : {1, 2}) {
        InflowProfileOption = option;
        InflowRoughness = 0.05;
        Apply(5);
        EXPECT_NEAR(GroupCapSum(1), 1000.0, 1e-9);
        // Over a bed at 0 m the shares differ; a bed left at 1e5 m would
        // give every face the same floor share.
        const int low = box.cell(0, 0, 1), high = box.cell(0, 0, 3);
        const double ratio = std::log(30.0 * Czcenter[high] / 0.05) / std::log(30.0 * Czcenter[low] / 0.05);
        EXPECT_NEAR(Cap[high] / Cap[low], ratio, 1e-12);
        EXPECT_EQ(Cap[box.cell(0, 0, 0)], 0.0);
        EXPECT_NEAR(Csource[high], Cap[high] * DischargeGroups[1].inflowK, 1e-12);
    }
}

TEST_F(Inflow, LogarithmicFloorForFacesWithinTheRoughness) {
    const BoxGrid box = Channel(1000.0, 1000.0, 3, 1, 2);
    InflowProfileOption = 2;
    InflowRoughness = 1.0;  // 30 z / ks < e for the bottom cell (z = 0.25)
    Iter = 1;
    DebugOption = 'R';
    Apply(1);
    const int bottom = box.cell(0, 0, 0), top = box.cell(0, 0, 1);
    const double x = std::log(30.0 * 0.75);
    EXPECT_NEAR(Cap[bottom] / Cap[top], std::log(30.0 * 0.25) / x, 1e-12);
    InflowRoughness = 8.0;  // the bottom face below the roughness height
    Apply(1);
    EXPECT_NEAR(Cap[bottom] / Cap[top], 1e-7 / std::log(30.0 * 0.75 / 8.0), 1e-12);
    EXPECT_NEAR(GroupCapSum(1), 1000.0, 1e-9);
    EXPECT_NE(log().find("Boundary condition, logarithmic inflow. uplus = "), std::string::npos);
    EXPECT_NE(log().find("levbed = 0.000000, k = -1, Vel = "), std::string::npos);
}

// --- inflow file -----------------------------------------------------------------------

TEST_F(Inflow, InflowFileProfileOfGroupOne) {
    const BoxGrid box = Box(3, 2, 2, {1.0, 1.0, 0.5});
    PutGroup(box, 1, 1, 700.0, true, 1, 1000, 0);
    PutGroup(box, 3, 1, 700.0, true, 1, 1000, 1);
    PutGroup(box, 2, 0, 1000.0, false);
    InitialiseFlowRun();
    NoInflowPoints = 2;
    NoInflowLevels = 3;
    // Group 1 has one column: it reads point 2.
    for (int m = 0; m <= 3; ++m) {
        InflowFileU[2][m] = 0.1 * m;
        InflowFileK[2][m] = 0.01 * m;
    }
    // The record's discharge, as the mass source takes it, not the series'.
    Series({{0.0, 2.0}, {100.0, 2.0}});
    const DischargeGroupRecord& r = DischargeGroups[1];
    const double q = 700.0 / r.area;
    for (int equation : {1, 5}) {
        Apply(equation);
        for (int n = 0; n < r.noSurfaces; ++n) {
            const int s = r.surfaceList[n];
            const int c = Fcell2[s];
            const int m = r.levelList[n] + 1;  // the bottom cell reads level 2
            EXPECT_NEAR(Cap[c], q * Farea[s], 1e-9);
            EXPECT_EQ(CdischargeGroup[c], 1);
            const double expected = equation == 1 ? InflowFileU[2][m] * q * Fareax[s] * Fsign[s]
                                                  : InflowFileK[2][m] * q * Farea[s];
            EXPECT_NEAR(Csource[c], expected, 1e-9);
        }
        // Other inflow groups get nothing from the file.
        for (int c : GroupCells(3)) EXPECT_EQ(CdischargeGroup[c], 0);
        for (int c : GroupCells(2)) EXPECT_EQ(CdischargeGroup[c], -2);
    }
    // With a logarithmic profile as well, group 1 keeps only the file's terms.
    InflowProfileOption = 1;
    InflowRoughness = 0.05;
    Apply(1);
    for (int n = 0; n < r.noSurfaces; ++n) EXPECT_NEAR(Cap[Fcell2[r.surfaceList[n]]], q * Farea[r.surfaceList[n]], 1e-9);
    EXPECT_NEAR(GroupCapSum(3), 2000.0, 1e-9);
}

TEST_F(Inflow, InflowFileStopsBeyondItsLastPoint) {
    const BoxGrid box = Channel(1000.0, 1000.0, 3, 3, 2);
    NoInflowPoints = 3;
    NoInflowLevels = 3;
    Apply(1);
    // Columns read points 2, 3, 4: the third column is beyond the file.
    for (int k = 0; k < box.nk; ++k) {
        EXPECT_EQ(CdischargeGroup[box.cell(0, 0, k)], 1);
        EXPECT_EQ(CdischargeGroup[box.cell(0, 1, k)], 1);
        EXPECT_EQ(CdischargeGroup[box.cell(0, 2, k)], 0);
        EXPECT_EQ(Cap[box.cell(0, 2, k)], 0.0);
    }
}

// The list runs down one column after another; the n-th column (from 1)
// takes the velocities of point n + 1 of the file, so point 1 is never read.
TEST_F(Inflow, InflowFileColumnsReadThePointAfterTheirNumber) {
    const BoxGrid box = Channel(1000.0, 1000.0, 3, 3, 2);
    NoInflowPoints = 4;
    NoInflowLevels = 3;
    for (int p = 1; p <= 4; ++p) {
        for (int m = 2; m <= 3; ++m) {
            InflowFileU[p][m] = 10.0 * p + m;
            InflowFileK[p][m] = 0.001 * (10.0 * p + m);
        }
    }
    const DischargeGroupRecord& r = DischargeGroups[1];
    for (int equation : {1, 5}) {
        Apply(equation);
        for (int n = 0; n < r.noSurfaces; ++n) {
            const int s = r.surfaceList[n];
            const int c = Fcell2[s];
            const int m = r.levelList[n] + 1;
            int column = -1;
            for (int j = 0; j < box.nj; ++j) {
                for (int k = 0; k < box.nk; ++k) {
                    if (box.cell(0, j, k) == c) column = j + 1;
                }
            }
            ASSERT_GE(column, 1);
            const double q = Cap[c] / Farea[s];
            const double expected = equation == 1 ? InflowFileU[column + 1][m] * q * Fareax[s] * Fsign[s]
                                                  : InflowFileK[column + 1][m] * q * Farea[s];
            SCOPED_TRACE(testing::Message() << "equation " << equation << ", column " << column << ", level " << m);
            EXPECT_GT(Cap[c], 0.0);
            EXPECT_NEAR(Csource[c], expected, 1e-9 * std::fabs(expected) + 1e-12);
        }
    }
}

// --- cyclic inflow ---------------------------------------------------------------------

TEST_F(Inflow, CyclicProfileIsTheOutletMeanCountedFromTheBed) {
    const BoxGrid box = Channel(1000.0, 1000.0, 3, 2, 3);
    CyclicInterval = 5;
    for (int j = 0; j < box.nj; ++j) {
        for (int k = 0; k < box.nk; ++k) {
            const int c = box.cell(box.ni - 1, j, k);
            Cu[c] = 0.1 * (k + 1) + 0.02 * j;
            Ck[c] = 0.001 * (k + 1);
            Cepsilon[c] = 0.0001;
        }
    }
    Iter = 1;
    Apply(1);
    EXPECT_NEAR(CyclicU[1], 0.11, 1e-12);
    EXPECT_NEAR(CyclicU[3], 0.31, 1e-12);
    EXPECT_NEAR(CyclicK[2], 0.002, 1e-12);
    EXPECT_EQ(CyclicU[4], 0.0);
    EXPECT_NE(log().find("Cyclic values, stime = 0.000000\nU, K, E (1) = 0.110000 0.001000 0.000100\n"),
              std::string::npos)
        << log();
    EXPECT_NE(log().find("U, K, E (6) = 0.000000 0.000000 0.000000\n"), std::string::npos);
    // From the second iteration the inflow takes the profile by level.
    Iter = 2;
    const DischargeGroupRecord& r = DischargeGroups[1];
    for (int equation : {1, 2, 5}) {
        Apply(equation);
        for (int n = 0; n < r.noSurfaces; ++n) {
            const int s = r.surfaceList[n];
            const int c = Fcell2[s];
            const int level = r.levelList[n];
            double expected = 0.0;
            if (equation == 1) expected = Cap[c] * CyclicU[level] * Fvecx[s] * Fsign[s];
            if (equation == 5) expected = Cap[c] * CyclicK[level];
            EXPECT_NEAR(Csource[c], expected, 1e-12);
            EXPECT_NEAR(Cap[c], 1000.0 / r.area * Farea[s], 1e-9);
        }
    }
}

TEST_F(Inflow, CyclicInflowWithoutDischargeOrBeyondTheTable) {
    Channel(1000.0, 1000.0);
    CyclicInterval = 5;
    CyclicFileFlag = 1;
    Iter = 2;
    DischargeGroups[1].discharge = -300.0;
    Apply(1);
    for (int c : GroupCells(1)) {
        EXPECT_EQ(CdischargeGroup[c], -1);
        EXPECT_EQ(Cap[c], 0.0);
    }
    // Without discharge the group is still an inflow group: marked, no terms.
    DischargeGroups[1].discharge = 0.0;
    Apply(1);
    for (int c : GroupCells(1)) {
        EXPECT_EQ(CdischargeGroup[c], 1);
        EXPECT_EQ(Cap[c], 0.0);
        EXPECT_EQ(Csource[c], 0.0);
    }
    // A level the profile table does not hold brings no velocity.
    DischargeGroups[1].discharge = 1000.0;
    DischargeGroups[1].levelList[0] = 100000;
    CyclicU[1] = CyclicU[2] = CyclicU[3] = 0.5;
    Apply(1);
    const int c = GroupCells(1)[0];
    EXPECT_GT(Cap[c], 0.0);
    EXPECT_EQ(Csource[c], 0.0);
}

// --- grid levels ---------------------------------------------------------------------

TEST_F(Inflow, CoarserLevelTakesTheTermsThroughItsCells) {
    const BoxGrid box = Channel(1000.0, 1000.0);
    ASSERT_TRUE(Cchildren.allocate(static_cast<size_t>(NoCells) + 1, 5));
    // Level 2 cells stand in the middle of the box, level 3 cells above them.
    for (int j = 0; j < box.nj; ++j) {
        for (int k = 0; k < box.nk; ++k) {
            Cchildren[box.cell(0, j, k)][0] = box.cell(1, j, 0);
            Cchildren[box.cell(2, j, k)][0] = box.cell(1, j, 1);
            Cchildren[box.cell(1, j, 0)][0] = box.cell(1, j, 2);
        }
    }
    GridLevel = 2;
    Apply(1);
    EXPECT_NEAR(Cap[box.cell(1, 0, 0)] + Cap[box.cell(1, 1, 0)], 1000.0, 1e-9);
    EXPECT_EQ(Cap[box.cell(0, 0, 0)], 0.0);
    EXPECT_EQ(CdischargeGroup[box.cell(1, 0, 0)], 1);
    EXPECT_EQ(CdischargeGroup[box.cell(1, 0, 1)], -2);
    EXPECT_EQ(CdischargeGroup[box.cell(0, 0, 0)], 0);
    GridLevel = 3;
    Apply(1);
    EXPECT_NEAR(Cap[box.cell(1, 0, 2)] + Cap[box.cell(1, 1, 2)], 1000.0, 1e-9);
    EXPECT_EQ(Cap[box.cell(1, 0, 0)], 0.0);
}

// --- a channel read from its grid file ------------------------------------------------

class InflowOnChannel : public UnstrucCase {};

TEST_F(InflowOnChannel, GroupsOfTheGridFileCarryTheirDischarge) {
    ChannelProject p = Channel(3);
    StartAndRead(p.control + "F 181 1\n", p.unstruc);
    ASSERT_GT(DischargeGroups[1].noSurfaces, 0);
    InitialiseFlowRun();
    for (int c = 1; c <= NoCells; ++c) ClearEquationCell(c);
    Equation = 1;
    SetInflowBoundaryConditions();
    EXPECT_NEAR(DischargeGroups[1].area, 1.5 * 1.0, 1e-9);
    EXPECT_EQ(GroupDischarge[1], 250.0);
    EXPECT_NEAR(GroupCapSum(1), 250.0, 1e-9);
    for (int c : GroupCells(1)) EXPECT_GT(Csource[c], 0.0);
    for (int c : GroupCells(2)) EXPECT_EQ(CdischargeGroup[c], -2);
    // Hydrostatic start: 9810 times the depth of each centre (surface at 1 m).
    for (int c = 1; c <= NoCells; ++c) EXPECT_NEAR(Pres[c], 9810.0 * (1.0 - Czcenter[c]), 1e-6) << c;
}

}  // namespace
