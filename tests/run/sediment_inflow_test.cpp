// The sediment inflow sources on a hand-made grid of two columns: one of
// three cells with its bed at 0, one of two cells with its bed at 0.2. The
// west faces of the five cells (surfaces 1 to 5) form inflow group 1.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "run/globals.h"
#include "run/log.h"
#include "run/run_services.h"
#include "tests/support/control_text.h"

namespace {

constexpr int kCells = 5;
constexpr double kArea[kCells + 1] = {0, 1.0, 1.5, 2.0, 0.8, 1.2};
constexpr double kZ[kCells + 1] = {0, 0.5, 1.5, 2.5, 0.7, 1.85};
constexpr double kHalfHeight[kCells + 1] = {0, 0.5, 0.5, 0.5, 0.5, 0.65};
constexpr int kBelow[kCells + 1] = {0, 0, 1, 2, 0, 4};
constexpr int kColumn[kCells + 1] = {0, 1, 1, 1, 2, 2};
constexpr double kTotalArea = 6.5;

class SedimentInflow : public ::testing::Test {
protected:
    void SetUp() override {
        ResetGlobals();
        const int n = kCells + 1;
        for (Array1<int>* a : {&Fcell1, &Fcell2, &Fpoint3, &Ccellb, &Cbedcell}) ASSERT_TRUE(a->allocate(n));
        for (Array1<double>* a : {&Farea, &Pz1, &Cxcenter, &Cycenter, &Czcenter, &Ckdist, &Cap, &Csource}) {
            ASSERT_TRUE(a->allocate(n));
        }
        ASSERT_TRUE(Binspace.allocate(3));
        for (int c = 1; c <= kCells; ++c) {
            Fcell2[c] = c;  // a west boundary face keeps its cell in the +i slot
            Farea[c] = kArea[c];
            Fpoint3[c] = c;
            Pz1[c] = kZ[c] + kHalfHeight[c];
            Cxcenter[c] = kColumn[c] == 1 ? 0.5 : 1.5;
            Cycenter[c] = 0.25;
            Czcenter[c] = kZ[c];
            Ckdist[c] = kHalfHeight[c];
            Ccellb[c] = kBelow[c];
            Cbedcell[c] = kColumn[c];
        }
        DischargeGroupRecord& g = DischargeGroups[1];
        g.noSurfaces = kCells;
        for (int k = 0; k < kCells; ++k) g.surfaceList[k] = k + 1;
        g.area = kTotalArea;
        g.discharge = 2.5;
        TimeStep = 10.0;
    }
    void TearDown() override { ResetGlobals(); }

    static double Sum(Array1<double>& a) {
        double s = 0.0;
        for (int c = 1; c <= kCells; ++c) s += a[c];
        return s;
    }

    void GroupConcentrationFromM(double c) {
        NoMDataSets = 1;
        MDataSetValues[1].mvalue[1] = c;
    }

    // Rows at 0 and 100 s: group 1 carries 1 and then 3 m3/s, at 0.01 and
    // then 0.03 of size 1.
    void TwoTimeiRows() {
        ASSERT_TRUE(TimeiTime.allocate(3));
        ASSERT_TRUE(TimeiDischarge.allocate(3, 10));
        ASSERT_TRUE(TimeiConc.allocate(3, 20));
        TimeiTime[1] = 100.0;
        TimeiDischarge[0][1] = 1.0;
        TimeiDischarge[1][1] = 3.0;
        TimeiConc[0][1] = 0.01;
        TimeiConc[1][1] = 0.03;
        NoTimeiSteps = 2;
        TimeiInflowFlag = 1;
    }

    InProjectDir here;
};

TEST_F(SedimentInflow, UniformProfileCarriesTheGroupDischarge) {
    GroupConcentrationFromM(0.01);
    AddSedimentInflowSize1();
    EXPECT_EQ(GroupDischarge[1], 2.5);
    EXPECT_NEAR(Sum(Cap), 2.5, 1e-12);
    for (int c = 1; c <= kCells; ++c) {
        EXPECT_NEAR(Cap[c], kArea[c] * 2.5 / kTotalArea, 1e-14) << c;
        EXPECT_NEAR(Csource[c], Cap[c] * 0.01, 1e-16) << c;
    }
    // Only the bed cells feed their columns.
    EXPECT_EQ(Binspace[1], Cap[1]);
    EXPECT_EQ(Binspace[2], Cap[4]);
    const double mass = 2.5 * TimeStep * 0.01 * SedRelativeDensity;
    EXPECT_NEAR(SedimentInflowSum, mass, 1e-12);
    EXPECT_NEAR(SedimentInflowPerSize[1], mass, 1e-12);
}

// ln(30 (z - zb) / ks) per surface, with zb the bottom of the lowest cell.
TEST_F(SedimentInflow, LogarithmicProfileCarriesTheGroupDischarge) {
    InflowRoughness = 0.05;
    for (int option : {1, 2}) {
        SCOPED_TRACE(option);
        InflowProfileOption = option;
        Cap.fill(0.0);
        AddSedimentInflowSize1();
        EXPECT_NEAR(Sum(Cap), 2.5, 1e-12);
        // Higher cells of a column take more of the discharge per area.
        EXPECT_GT(Cap[3] / kArea[3], Cap[2] / kArea[2]);
        EXPECT_GT(Cap[2] / kArea[2], Cap[1] / kArea[1]);
    }
    InflowProfileOption = 1;
    Cap.fill(0.0);
    AddSedimentInflowSize1();
    double weights = 0.0;
    for (int c = 1; c <= kCells; ++c) weights += kArea[c] * std::log(30.0 * kZ[c] / 0.05);
    EXPECT_NEAR(Cap[5], kArea[5] * 2.5 * std::log(30.0 * 1.85 / 0.05) / weights, 1e-13);
}

// Option 2 walks the list from its end and follows the bed cells it meets:
// surface 5 uses the lowest bottom (0), surfaces 4, 3 and 2 the bed of
// cell 4 (0.2), surface 1 the bed of cell 1 (0).
TEST_F(SedimentInflow, LogarithmicOptionTwoFollowsTheBedCells) {
    InflowRoughness = 0.05;
    InflowProfileOption = 2;
    AddSedimentInflowSize1();
    const double bed[kCells + 1] = {0, 0.0, 0.2, 0.2, 0.2, 0.0};
    double weights = 0.0;
    for (int c = 1; c <= kCells; ++c) weights += kArea[c] * std::log(30.0 * (kZ[c] - bed[c]) / 0.05);
    for (int c = 1; c <= kCells; ++c) {
        EXPECT_NEAR(Cap[c], kArea[c] * 2.5 * std::log(30.0 * (kZ[c] - bed[c]) / 0.05) / weights, 1e-13) << c;
    }
}

// A roughness above the flow depth gives negative logarithms: every weight
// becomes the least weight and the profile is uniform.
TEST_F(SedimentInflow, LogarithmicWeightsNeverFallBelowTheLeast) {
    InflowRoughness = 1000.0;
    InflowProfileOption = 1;
    AddSedimentInflowSize1();
    EXPECT_NEAR(Sum(Cap), 2.5, 1e-12);
    EXPECT_NEAR(Cap[1], kArea[1] * 2.5 / kTotalArea, 1e-12);
}

TEST_F(SedimentInflow, NegativeProfileOptionAddsNothing) {
    InflowProfileOption = -1;
    AddSedimentInflowSize1();
    EXPECT_EQ(Sum(Cap), 0.0);
    EXPECT_EQ(GroupDischarge[1], 2.5);
}

TEST_F(SedimentInflow, TimeiSeriesGivesDischargeAndConcentration) {
    TwoTimeiRows();
    stime = 50.0;
    AddSedimentInflowSize1();
    EXPECT_NEAR(GroupDischarge[1], 2000.0, 1e-9);
    EXPECT_NEAR(Sum(Cap), 2000.0, 1e-9);
    EXPECT_NEAR(Csource[3] / Cap[3], 0.02, 1e-14);
    // Beyond the last row the last row holds.
    Cap.fill(0.0);
    stime = 1e6;
    AddSedimentInflowSize1();
    EXPECT_NEAR(GroupDischarge[1], 3000.0, 1e-9);
}

TEST_F(SedimentInflow, OneTimeiRowIsTheSeries) {
    TwoTimeiRows();
    NoTimeiSteps = 1;
    stime = 50.0;
    AddSedimentInflowSize1();
    EXPECT_NEAR(GroupDischarge[1], 1000.0, 1e-9);
    EXPECT_NEAR(Csource[1] / Cap[1], 0.01, 1e-14);
}

// A steady run has no `timei` arrays: without M data sets the groups carry
// no sediment.
TEST_F(SedimentInflow, NoSeriesAndNoMDataSetsCarryNothing) {
    AddSedimentInflowSize1();
    EXPECT_NEAR(Sum(Cap), 2.5, 1e-12);
    EXPECT_EQ(Sum(Csource), 0.0);
}

// Without series each inflow group reads its own column of the first row:
// the second inflow group (group 3; group 2 has no surfaces) column 2.
TEST_F(SedimentInflow, WithoutSeriesEachGroupReadsItsOwnColumn) {
    ASSERT_TRUE(TimeiConc.allocate(2, 20));
    TimeiConc[0][1] = 0.01;
    TimeiConc[0][2] = 0.05;
    DischargeGroupRecord& g1 = DischargeGroups[1];
    g1.noSurfaces = 2;
    g1.area = kArea[1] + kArea[2];
    DischargeGroupRecord& g3 = DischargeGroups[3];
    g3.noSurfaces = 1;
    g3.surfaceList[0] = 3;
    g3.area = kArea[3];
    g3.discharge = 1.0;
    AddSedimentInflowSize1();
    EXPECT_NEAR(Csource[1] / Cap[1], 0.01, 1e-15);
    EXPECT_NEAR(Csource[3] / Cap[3], 0.05, 1e-15);
    EXPECT_NEAR(Cap[3], 1.0, 1e-12);
}

TEST_F(SedimentInflow, InspaceProfileGivesTheConcentration) {
    InspaceMode = 1;
    GroupDischarge[1] = 4.0;  // as the flow boundary conditions set it
    InspaceProfile[1][1] = 0.1;
    InspaceProfile[1][4] = 0.05;  // per metre below the top of the section (3.0)
    InspaceSizeFactor[1] = 2.0;
    AddSedimentInflowSize1();
    EXPECT_NEAR(Sum(Cap), 4.0, 1e-12);
    for (int c = 1; c <= kCells; ++c) {
        EXPECT_NEAR(Csource[c] / Cap[c], 2.0 * (0.1 + 0.05 * (3.0 - kZ[c])), 1e-14) << c;
    }
}

TEST_F(SedimentInflow, InspaceProfilesInTime) {
    InspaceMode = 1;
    GroupDischarge[1] = 1.0;
    ASSERT_TRUE(InspaceTimes.allocate(4));
    ASSERT_TRUE(InspaceConcSeries.allocate(4, kInspaceSizes, kInspaceValues));
    InspaceTimes[0] = 100.0;
    InspaceTimes[1] = 200.0;
    InspaceConcSeries[0][1][1] = 0.1;
    InspaceConcSeries[1][1][1] = 0.3;
    struct {
        int times;
        double t;
        double c;
    } const rows[] = {{2, 150.0, 0.2}, {2, 1000.0, 0.3}, {2, 0.0, 0.1}, {1, 50.0, 0.1}, {1, 1000.0, 0.1}};
    for (const auto& r : rows) {
        NoInspaceTimes = r.times;
        stime = r.t;
        Cap.fill(0.0);
        Csource.fill(0.0);
        AddSedimentInflowSize1();
        EXPECT_NEAR(Csource[2] / Cap[2], r.c, 1e-14) << r.times << " times, t = " << r.t;
    }
}

TEST_F(SedimentInflow, ImplausibleInspaceConcentrationEndsTheRun) {
    InspaceMode = 1;
    InspaceProfile[1][1] = 1.5;
    ASSERT_TRUE(LogCreate());
    ReadOutcome out = CaptureRunEnd(AddSedimentInflowSize1);
    EXPECT_TRUE(out.ended);
    EXPECT_EQ(out.status, -1);
    EXPECT_EQ(out.log,
              "Probable error in inspace file. Concentration for size 1 is 1.5\n"
              "Location xyz coordinates: (0.500000,0.250000,0.500000)");
}

TEST_F(SedimentInflow, OtherInspaceModesAddNoSource) {
    InspaceMode = 2;
    GroupConcentrationFromM(0.01);
    AddSedimentInflowSize1();
    EXPECT_EQ(Sum(Cap), 0.0);
    EXPECT_EQ(GroupDischarge[1], -1.0);  // not even the discharge is set
}

class SedimentInflowSizes : public SedimentInflow {
protected:
    void SetUp() override {
        SedimentInflow::SetUp();
        NoSizes = 2;
        ASSERT_TRUE(CapMulti.allocate(3, kCells + 1));
        ASSERT_TRUE(CsourceMulti.allocate(3, kCells + 1));
    }
    static double SumRow(Array2<double>& a, int s) {
        double sum = 0.0;
        for (int c = 1; c <= kCells; ++c) sum += a[s][c];
        return sum;
    }
};

TEST_F(SedimentInflowSizes, EachSizeHasItsOwnSystem) {
    FlagTSC = 1;
    NoMDataSets = 1;
    MDataSetValues[1].mvalue[2] = 0.004;
    AddSedimentInflowForSize(2);
    EXPECT_NEAR(SumRow(CapMulti, 2), 2.5, 1e-12);
    EXPECT_EQ(SumRow(CapMulti, 1), 0.0);
    EXPECT_NEAR(CsourceMulti[2][4] / CapMulti[2][4], 0.004, 1e-16);
    EXPECT_EQ(Binspace[1], 0.0);  // only size 1 feeds the columns
    EXPECT_NEAR(SedimentInflowPerSize[2], 2.5 * TimeStep * 0.004 * SedRelativeDensity, 1e-12);
    EXPECT_EQ(SedimentInflowPerSize[1], 0.0);
}

TEST_F(SedimentInflowSizes, SeriesColumnsFollowGroupAndSize) {
    FlagTSC = 1;
    TwoTimeiRows();
    TimeiConc[0][2] = 0.2;  // group 1 (k = 0), size 2: column 0 * 2 + 2
    TimeiConc[1][2] = 0.4;
    stime = 25.0;
    AddSedimentInflowForSize(2);
    EXPECT_NEAR(CsourceMulti[2][1] / CapMulti[2][1], 0.25, 1e-14);
}

TEST_F(SedimentInflowSizes, WithoutSedimentRunTheGroupsOnlyGetTheirDischarge) {
    TwoTimeiRows();
    stime = 100.0;
    AddSedimentInflowForSize(1);
    EXPECT_NEAR(GroupDischarge[1], 3000.0, 1e-9);
    EXPECT_EQ(SumRow(CapMulti, 1), 0.0);
}

}  // namespace
