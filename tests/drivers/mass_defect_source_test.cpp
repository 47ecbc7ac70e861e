// Source of the pressure-correction equation: mass defects and the
// discharges of the groups.
#include <cmath>
#include <string>
#include <vector>

#include "drivers/depth_averaged.h"
#include "drivers/water_pass.h"
#include "flow/flow_services.h"
#include "run/timei_data.h"
#include "solver/solver_data.h"
#include "tests/drivers/pressure_case.h"

namespace {

using MassDefectSource = PressureCase;

// A box of 4 x 2 x 2 cells, 2 m long, 1 m wide and 0.5 m high.
constexpr BoxSpacing kCells{2.0, 1.0, 0.5};

std::vector<int> Join(std::vector<int> a, const std::vector<int>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// Fluxes of a uniform velocity through every surface, the boundary ones too.
void UniformFluxes(double u, double v, double w) {
    for (int s = 1; s <= NoSurfaces; ++s) Fflux[s] = 1000.0 * (u * Fareax[s] + v * Fareay[s] + w * Fareaz[s]);
}

double SourceSum() {
    double sum = 0.0;
    for (int c = 1; c <= NoCells; ++c) sum += Csource[c];
    return sum;
}

TEST_F(MassDefectSource, DivergenceFreeFluxesLeaveNoDefect) {
    const BoxGrid g = Columns(4, 2, 2, kCells);
    UniformFluxes(0.3, -0.2, 0.05);
    ContinuityResidualOffset = 7.0;
    ComputeMassDefectSource();
    for (int c = 1; c <= NoCells; ++c) EXPECT_NEAR(Csource[c], 0.0, 1e-9) << "cell " << c;
    EXPECT_EQ(ContinuityResidualOffset, 0.0);
    // Five more kg/s through one face: its first cell loses them, the second gains.
    const int c = g.cell(1, 1, 0);
    Fflux[Csurfe[c]] += 5.0;
    ComputeMassDefectSource();
    EXPECT_NEAR(Csource[c], -5.0, 1e-9);
    EXPECT_NEAR(Csource[Ccelle[c]], 5.0, 1e-9);
    EXPECT_NEAR(Csource[g.cell(1, 0, 0)], 0.0, 1e-9);
}

TEST_F(MassDefectSource, GroupsBringAndTakeTheirDischargesByArea) {
    const BoxGrid g = Columns(4, 2, 2, kCells);
    Group(1, 1, 0, 600.0, Join(WestFaces(g, 0), WestFaces(g, 1)));
    Group(2, 0, 0, 400.0, Join(EastFaces(g, 0), EastFaces(g, 1)));
    Group(3, 1, 0, 900.0, {});  // no surfaces: nothing, and not in the offset
    ComputeMassDefectSource();
    for (int j = 0; j < 2; ++j) {
        for (int k = 0; k < 2; ++k) {
            EXPECT_DOUBLE_EQ(Csource[g.cell(0, j, k)], 150.0);
            EXPECT_DOUBLE_EQ(Csource[g.cell(3, j, k)], -100.0);
            EXPECT_EQ(Csource[g.cell(1, j, k)], 0.0);
        }
    }
    EXPECT_DOUBLE_EQ(GroupDischarge[1], 600.0);
    EXPECT_DOUBLE_EQ(GroupDischarge[3], 900.0);
    EXPECT_DOUBLE_EQ(ContinuityResidualOffset, 200.0);
    // A partition of a divided run leaves the balance to the whole.
    MpiPart = 1;
    ComputeMassDefectSource();
    EXPECT_EQ(ContinuityResidualOffset, 0.0);
}

// An outflow group of 1000 kg/s on the east end, the cells there moving out
// at 1 and 3 m/s in column 0, standing and moving back in column 1.
TEST_F(MassDefectSource, OutflowModesShareTheDischarge) {
    struct Case {
        int mode;
        double expected[4];  // column 0 bottom, top; column 1 bottom, top
    };
    // Mode 1 with weight 0.75: 750 by the outflow (0.5 and 1.5 m3/s of 2),
    // 250 by area.
    const Case cases[] = {
        {0, {250.0, 250.0, 250.0, 250.0}},
        {1, {187.5 + 62.5, 562.5 + 62.5, 62.5, 62.5}},
        {2, {0.0, 0.0, 0.0, 0.0}},
    };
    const BoxGrid g = Columns(4, 2, 2, kCells);
    const int cells[4] = {g.cell(3, 0, 0), g.cell(3, 0, 1), g.cell(3, 1, 0), g.cell(3, 1, 1)};
    const double speed[4] = {1.0, 3.0, 0.0, -1.0};
    for (int n = 0; n < 4; ++n) Cu[cells[n]] = speed[n];
    SedimentInflowFluxWeight = 0.75;
    for (const Case& t : cases) {
        Group(1, 0, t.mode, 1000.0, Join(EastFaces(g, 0), EastFaces(g, 1)));
        ComputeMassDefectSource();
        for (int n = 0; n < 4; ++n) EXPECT_NEAR(Csource[cells[n]], -t.expected[n], 1e-9) << "mode " << t.mode;
    }
}

TEST_F(MassDefectSource, UnsteadyDischargesFollowTheSeries) {
    const BoxGrid g = Columns(4, 2, 2, kCells);
    ASSERT_TRUE(TimeiTime.allocate(4) && TimeiLevel.allocate(4) && TimeiDischarge.allocate(4, 10));
    const double times[3] = {0.0, 100.0, 200.0};
    for (int r = 0; r < 3; ++r) {
        TimeiTime[r] = times[r];
        TimeiDischarge[r][1] = 1.0 + r * r;  // 1, 2, 5 m3/s
        TimeiDischarge[r][2] = 0.5;
        TimeiDischarge[r][3] = 7.0;
    }
    NoTimeiSteps = 3;
    TimeiInflowFlag = 1;
    Group(1, 1, 0, 99.0, WestFaces(g, 0));
    GroupDischarge[3] = -9.0;
    struct Case {
        double time, discharge;
    };
    for (const Case t : {Case{50.0, 1500.0}, Case{150.0, 3500.0}, Case{500.0, 5000.0}}) {
        stime = t.time;
        ComputeMassDefectSource();
        EXPECT_DOUBLE_EQ(GroupDischarge[1], t.discharge) << "stime " << t.time;
        EXPECT_NEAR(Csource[g.cell(0, 0, 0)] + Csource[g.cell(0, 0, 1)], t.discharge, 1e-9);
        // Group 2 always follows its column; group 3 has no surfaces.
        EXPECT_DOUBLE_EQ(GroupDischarge[2], 500.0);
        EXPECT_EQ(GroupDischarge[3], -9.0);
    }
}

// Three layers of 1 m over a flat bed: centres 0.5, 1.5 and 2.5 m above it.
TEST_F(MassDefectSource, LogarithmicInflowFollowsTheRoughWallLaw) {
    const BoxGrid g = Columns(3, 2, 3, {2.0, 1.0, 1.0});
    InflowProfileOption = 1;
    InflowRoughness = 0.05;
    Group(1, 1, 0, 1200.0, Join(WestFaces(g, 0), WestFaces(g, 1)));
    ComputeMassDefectSource();
    const double w[3] = {std::log(300.0), std::log(900.0), std::log(1500.0)};
    const double sum = 2.0 * (w[0] + w[1] + w[2]);
    for (int j = 0; j < 2; ++j) {
        for (int k = 0; k < 3; ++k) EXPECT_NEAR(Csource[g.cell(0, j, k)], 1200.0 * w[k] / sum, 1e-9);
    }
    EXPECT_NEAR(SourceSum(), 1200.0, 1e-9);
}

// The `inflow` file gives each of the two columns of the section its own
// profile; the list runs down column 0, then down column 1. The n-th column
// (from 1) reads point n + 1, as stored files are numbered: point 1 is never
// read.
TEST_F(MassDefectSource, InflowFileColumnsTakeTheirOwnPoints) {
    const BoxGrid g = Columns(3, 2, 2, kCells);
    Group(1, 1, 0, 1000.0, Join(WestFaces(g, 0), WestFaces(g, 1)), {2, 1, 2, 1});
    NoInflowPoints = 3;
    NoInflowLevels = 3;
    InflowFileU[1][2] = InflowFileU[1][3] = 50.0;  // would show in every cell
    InflowFileU[2][2] = 1.0;  // column 0, bottom cell
    InflowFileU[2][3] = 2.0;  // column 0, top cell
    InflowFileU[3][2] = 3.0;
    InflowFileU[3][3] = 4.0;
    ComputeMassDefectSource();
    const int cells[4] = {g.cell(0, 0, 1), g.cell(0, 0, 0), g.cell(0, 1, 1), g.cell(0, 1, 0)};
    const double profile[4] = {2.0, 1.0, 4.0, 3.0};
    for (int n = 0; n < 4; ++n) EXPECT_NEAR(Csource[cells[n]], 1000.0 * profile[n] / 10.0, 1e-9) << n;
}

TEST_F(MassDefectSource, ColumnTermsNeedATimeInterval) {
    const BoxGrid g = Columns(2, 1, 2, kCells);
    ASSERT_TRUE(Blevelcorr.allocate(static_cast<size_t>(NoBedCells) + 1));
    F271Option = 1;
    Blevelcorr[1] = 0.01;
    F284Option = 1;
    FreeSurfaceOption = 1;
    ReservoirBalanceMode = 7;
    SurfaceInterval = 0;
    NoIterPerStep = 2;
    RelaxPressure = 0.5;
    for (int c = 1; c <= NoCells; ++c) Cap[c] = 1.0;
    // Steady, and no surface update yet: no interval to spread a level over.
    ComputeMassDefectSource();
    for (int c = 1; c <= NoCells; ++c) {
        EXPECT_EQ(Csource[c], 0.0) << "cell " << c;
        EXPECT_EQ(Cap[c], 1.0) << "cell " << c;
    }
    // Ten seconds between the last two updates.
    PreviousSurfaceUpdateTime = 20.0;
    LastSurfaceUpdateTime = 30.0;
    ComputeMassDefectSource();
    const double q = 0.01 * 1000.0 * 2.0 / (2 * 10.0);
    EXPECT_DOUBLE_EQ(Csource[g.cell(0, 0, 0)], -q);
    EXPECT_DOUBLE_EQ(Csource[g.cell(0, 0, 1)], -q);
    EXPECT_EQ(Csource[g.cell(1, 0, 0)], 0.0);
    EXPECT_EQ(Cap[1], 1.0);
    // An unsteady run ties the columns to their levels.
    TimeStep = 4.0;
    ComputeMassDefectSource();
    EXPECT_DOUBLE_EQ(Cap[g.cell(1, 0, 1)], 1.0 + 2.0 * 0.5 * 2 / (2 * 9.81 * 4.0));
}

TEST_F(MassDefectSource, HydrostaticOutflowPressure) {
    const BoxGrid g = Columns(3, 1, 2, kCells);
    UniformFluxes(0.0, 0.0, 0.0);
    Fflux[Csurfe[g.cell(2, 0, 0)]] = 3.0;
    Group(2, 0, 0, 400.0, EastFaces(g, 0));
    HydrostaticPressureFlag = 1;
    F234Option = 1;
    ComputeMassDefectSource();
    EXPECT_EQ(Csource[g.cell(2, 0, 0)], 0.0);
    EXPECT_EQ(Csource[g.cell(2, 0, 1)], 0.0);
    EXPECT_DOUBLE_EQ(Pres[g.cell(2, 0, 0)], 1000.0 * 9.81 * (0.25 + 2.0 * 0.25));
    EXPECT_DOUBLE_EQ(Pres[g.cell(2, 0, 1)], 1000.0 * 9.81 * 0.25);
    F234Option = 2;
    Pres[g.cell(2, 0, 1)] = 1.0;
    ComputeMassDefectSource();
    EXPECT_EQ(Csource[g.cell(2, 0, 0)], 0.0);
    EXPECT_EQ(Pres[g.cell(2, 0, 1)], 1.0);
}

// A free overfall at the east end: the stored discharge scaled by how the
// critical velocity of the section compares with it.
TEST_F(MassDefectSource, CriticalOutflowScalesTheStoredDischarge) {
    const BoxGrid g = Columns(3, 2, 2, kCells);
    FreeSurfaceOption = 1;
    F180Option = 1;
    const std::vector<int> faces = Join(EastFaces(g, 0), EastFaces(g, 1));
    // Two columns 1 m wide with centres 1 m apart: 2 m2 over a width of 2 m.
    const double v = std::sqrt(9.81 * (2.0 + 1e-20) / (1.0 + 1e-20 + 0.5 + 0.5));
    struct Case {
        double ratio, factor;
    };
    for (const Case t : {Case{5.0, 1.316}, Case{1.0, 1.0}, Case{0.1, 0.74}, Case{2.0, std::pow(2.0, 0.25)}}) {
        const double q0 = 1000.0 * v / t.ratio;
        Group(2, 0, 0, q0, faces);
        ComputeMassDefectSource();
        EXPECT_NEAR(Csource[g.cell(2, 1, 0)], -0.25 * t.factor * q0, 1e-9 * q0) << "ratio " << t.ratio;
    }
    // Without a stored discharge there is no outflow to scale.
    Group(2, 0, 0, 0.0, faces);
    ComputeMassDefectSource();
    EXPECT_EQ(Csource[g.cell(2, 1, 0)], 0.0);
    // The free variant lets out what the cells carry out, never in.
    F180Option = 3;
    Cu[g.cell(2, 0, 0)] = 2.0;
    Cu[g.cell(2, 0, 1)] = -2.0;
    ComputeMassDefectSource();
    EXPECT_NEAR(Csource[g.cell(2, 0, 0)], -2.0 * 0.5 * 1000.0, 1e-9);
    EXPECT_EQ(Csource[g.cell(2, 0, 1)], 0.0);
}

// The mean outflow velocity of 0.4 m/s against what each cell carries out.
TEST_F(MassDefectSource, OutflowBySectionState) {
    const BoxGrid g = Columns(3, 1, 2, kCells);
    const int low = g.cell(2, 0, 0), high = g.cell(2, 0, 1);
    Cu[low] = 1.0;  // 0.5 m3/s through its face
    Cu[high] = 0.0;
    struct Case {
        int option;
        double level;    // of the series, for option 4
        bool passed;
    };
    // Option 3: 0.4^2 / 9.81 is well below the depth of 1 m. Option 4: the
    // section's surface is at 1 m.
    for (const Case t : {Case{3, 0.0, true}, Case{4, 0.5, true}, Case{4, 1.5, false}}) {
        F234Option = t.option;
        if (t.option == 4) {
            ASSERT_TRUE(TimeiTime.allocate(2) && TimeiLevel.allocate(2) && TimeiDischarge.allocate(2, 10));
            NoTimeiSteps = 1;
            TimeiInflowFlag = 1;
            TimeiLevel[0] = t.level;
            TimeiDischarge[0][1] = 0.4;
        }
        Group(1, 0, 0, 400.0, EastFaces(g, 0));
        ComputeMassDefectSource();
        EXPECT_NEAR(Csource[low], t.passed ? -500.0 : -200.0, 1e-9) << t.option << " " << t.level;
        EXPECT_NEAR(Csource[high], t.passed ? -200.0 : 0.0, 1e-9) << t.option << " " << t.level;
    }
}

TEST_F(MassDefectSource, CyclicProfileSharesByLevelVelocity) {
    const BoxGrid g = Columns(3, 1, 2, kCells);
    CyclicInterval = 2;
    CyclicFileFlag = 1;
    CyclicU[1] = 1.0;
    CyclicU[2] = 3.0;
    Group(1, 1, 0, 800.0, WestFaces(g, 0), {2, 1});
    GroupDischarge[1] = 0.0;
    ComputeMassDefectSource();
    EXPECT_DOUBLE_EQ(Csource[g.cell(0, 0, 1)], 600.0);
    EXPECT_DOUBLE_EQ(Csource[g.cell(0, 0, 0)], 200.0);
}

// Two columns of 3D cells (1 to 4) and behind them their two depth-averaged
// cells, the active range.
TEST_F(MassDefectSource, DepthAveragedCellsCollectTheirColumns) {
    const BoxGrid g = Columns(2, 1, 2, kCells);
    NoCells = 6;
    FirstCell = 5;
    LastCell = 6;
    C2DFlag[5] = C2DFlag[6] = 1;
    NoBlocks = 2;
    BlockTable[2].firstCell = 5;
    BlockTable[2].lastCell = 6;
    BlockTable[2].depthAveraged = 1;
    Csource[g.cell(1, 0, 1)] = 9.0;  // left from before: not the water of this pass
    Group(1, 1, 0, 100.0, WestFaces(g, 0));
    Group(2, 0, 0, 60.0, EastFaces(g, 0));
    // Paired by position, not by order: cell 6 stands for the first column.
    ColumnPairs = {{g.cell(0, 0, 1), 6}, {g.cell(1, 0, 1), 5}};
    ComputeMassDefectSource();
    ColumnPairs.clear();
    EXPECT_DOUBLE_EQ(Csource[6], 100.0);
    EXPECT_DOUBLE_EQ(Csource[5], -60.0);
    EXPECT_EQ(Csource[g.cell(1, 0, 1)], -30.0);
}

// On grid level 3 the inflow of the west column reaches the cell two
// parent links up; an outflow group of mode 1 shares its discharge by what
// each level cell carries out through the group's faces.
TEST_F(MassDefectSource, CoarseLevelsTakeTheGroupsThroughTheirParents) {
    const BoxGrid g = Columns(3, 1, 2, kCells);
    ASSERT_TRUE(Cchildren.allocate(static_cast<size_t>(NoCells) + 1, 2));
    const int levelTwo = g.cell(1, 0, 0), levelThree = g.cell(2, 0, 1), outflowLevel = g.cell(1, 0, 1);
    for (int k = 0; k < 2; ++k) {
        Cchildren[g.cell(0, 0, k)][0] = levelTwo;
        Cchildren[g.cell(2, 0, k)][0] = outflowLevel;
    }
    Cchildren[levelTwo][0] = levelThree;
    Cchildren[outflowLevel][0] = g.cell(0, 0, 1);
    Group(1, 1, 0, 100.0, WestFaces(g, 0));
    Group(2, 0, 1, 60.0, EastFaces(g, 0));
    for (int c = 1; c <= NoCells; ++c) Cu[c] = 0.0;
    Cu[g.cell(2, 0, 0)] = Cu[g.cell(2, 0, 1)] = 1.0;
    Cu[g.cell(0, 0, 1)] = 2.0;  // the level cell of the outflow, by which the share goes
    GridLevel = 3;
    ComputeMassDefectSource();
    Cchildren.release();
    EXPECT_DOUBLE_EQ(Csource[levelThree], 100.0);
    EXPECT_DOUBLE_EQ(Csource[g.cell(0, 0, 0)], 0.0);
    // Two faces of 0.5 m2 at 1 m/s: 1 m3/s; each face gives 2 x 0.5 / 1 of 60.
    EXPECT_DOUBLE_EQ(Csource[g.cell(0, 0, 1)], -120.0);
    EXPECT_EQ(log().find("AddCoarseLevelGroupSources is not available"), std::string::npos);
}

// The level change of the reservoir balance, spread over the surface
// interval: only the column around the raised node loses water.
TEST_F(MassDefectSource, ReservoirLevelChangeDrainsTheColumnsAroundANode) {
    const BoxGrid g = Columns(3, 2, 2, kCells);
    FreeSurfaceOption = 1;
    ReservoirBalanceMode = 7;
    TimeStep = 2.0;
    SurfaceInterval = 5;
    // Node (0, 0) is the south-west corner of the first column.
    GridLevels[4][0][0] = 1.6;
    ComputeMassDefectSource();
    const double q = 0.25 * 1.6 * 1000.0 * 2.0 / (5 * 2.0) / 2;
    EXPECT_DOUBLE_EQ(Csource[g.cell(0, 0, 0)], -q);
    EXPECT_DOUBLE_EQ(Csource[g.cell(0, 0, 1)], -q);
    for (int c = g.cell(0, 1, 0); c <= NoCells; ++c) EXPECT_EQ(Csource[c], 0.0) << "cell " << c;
    // A block the free surface leaves alone keeps its water.
    G26BlockValues[1] = 0;
    ComputeMassDefectSource();
    EXPECT_EQ(Csource[g.cell(0, 0, 0)], 0.0);
}

// Under a discharge series the momentum terms of the inflow (the Cap of the
// inflow cells: the mass they bring) and the mass-defect source must bring
// the same water, whatever profile shapes it.
struct AgreementCase {
    const char* name;
    bool cyclic;
};

void PrintTo(const AgreementCase& row, std::ostream* os) { *os << row.name; }

class InflowAgreement : public MassDefectSource, public ::testing::WithParamInterface<AgreementCase> {};

TEST_P(InflowAgreement, MomentumAndMassBringTheSameDischarge) {
    const BoxGrid g = Columns(3, 2, 2, kCells);
    Group(1, 1, 0, 1000.0, Join(WestFaces(g, 0), WestFaces(g, 1)), {2, 1, 2, 1});
    Group(2, 0, 0, 1000.0, Join(EastFaces(g, 0), EastFaces(g, 1)), {2, 1, 2, 1});
    if (GetParam().cyclic) {
        CyclicInterval = 2;
        CyclicFileFlag = 1;
        Iter = 3;
        CyclicU[1] = 0.4;
        CyclicU[2] = 0.9;
    } else {
        NoInflowPoints = 3;
        NoInflowLevels = 3;
        for (int p = 1; p <= 3; ++p) {
            InflowFileU[p][2] = 0.2 * p;
            InflowFileU[p][3] = 0.3 * p;
        }
    }
    // The series says 2.5 m3/s at every time; the record says 1000 kg/s.
    ASSERT_TRUE(TimeiTime.allocate(10));
    ASSERT_TRUE(TimeiDischarge.allocate(10, 10));
    ASSERT_TRUE(TimeiLevel.allocate(10));
    for (int t = 0; t < 2; ++t) {
        TimeiTime[t] = 100.0 * t;
        for (int group = 1; group <= 9; ++group) TimeiDischarge[t][group] = 2.5;
    }
    NoTimeiSteps = 2;
    TimeiInflowFlag = 1;
    const std::vector<int> inflowCells = {g.cell(0, 0, 0), g.cell(0, 0, 1), g.cell(0, 1, 0), g.cell(0, 1, 1)};

    Equation = 1;
    for (int c = 0; c <= NoCells; ++c) Cap[c] = Csource[c] = 0.0;
    SetInflowBoundaryConditions();
    double momentum = 0.0;
    for (int c : inflowCells) {
        EXPECT_EQ(CdischargeGroup[c], 1) << c;
        momentum += Cap[c];
    }

    for (int s = 1; s <= NoSurfaces; ++s) Fflux[s] = 0.0;
    ComputeMassDefectSource();
    double mass = 0.0;
    for (int c : inflowCells) mass += Csource[c];

    EXPECT_NEAR(momentum, 1000.0, 1e-9);
    EXPECT_NEAR(mass, momentum, 1e-9 * momentum);
}

INSTANTIATE_TEST_SUITE_P(Profiles, InflowAgreement,
                         ::testing::Values(AgreementCase{"InflowFile", false}, AgreementCase{"Cyclic", true}),
                         [](const ::testing::TestParamInfo<AgreementCase>& i) { return std::string(i.param.name); });

}  // namespace

// The threaded chunks give the sources and the continuity summary of one
// thread: the defects bit for bit, the sum to round-off and the largest
// defect at the same (first) cell, also when two chunks hold equal ones.
TEST_F(MassDefectSource, ThreadChunksGiveTheOneThreadSources) {
    const BoxGrid g = Columns(7, 5, 3, kCells);
    for (int s = 1; s <= NoSurfaces; ++s) Fflux[s] = std::sin(0.37 * s) * (1.0 + 0.01 * s);
    const int first = g.cell(1, 0, 0), later = g.cell(6, 4, 2);
    const int kept = NoThreads;
    std::vector<double> one;
    double oneSum = 0.0;
    for (int threads : {1, 3, 4}) {
        NoThreads = threads;
        ComputeMassDefectSource();
        std::vector<double> now(Csource.data() + 1, Csource.data() + NoCells + 1);
        Csource[first] = Csource[later] = -1000.0;
        SummariseContinuity();
        EXPECT_EQ(DefMax, 1000.0) << threads << " threads";
        EXPECT_EQ(DefMaxCell, first) << threads << " threads";
        if (threads == 1) {
            one = now;
            oneSum = ContDefect;
            continue;
        }
        for (int c = 1; c <= NoCells; ++c) EXPECT_EQ(now[c - 1], one[c - 1]) << threads << " threads, cell " << c;
        EXPECT_NEAR(ContDefect, oneSum, 1e-12 * (1.0 + std::fabs(oneSum))) << threads << " threads";
    }
    NoThreads = kept;
    EXPECT_LT(oneSum, -1999.0);
}
