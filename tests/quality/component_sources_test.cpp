// The source terms of the Q data sets on one column of four cells, 0.5 m
// high under a top of 2 m2 (cell 1 at the bed, cell 4 at the surface):
// what each type adds to Csource and Cap of each cell.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <string>
#include <vector>

#include "quality/component_terms.h"
#include "quality/quality_services.h"
#include "tests/support/equation_fixture.h"

namespace {

constexpr int kCells = 4;
constexpr double kBaseCap = 5.0;
using PerCell = std::array<double, kCells>;

// Component 0 and 1 in cells 1..4.
constexpr PerCell kRising = {1.0, 2.0, 3.0, 4.0};
constexpr PerCell kHalf = {0.5, 0.5, 0.5, 0.5};

class ComponentColumn : public EquationTest {
protected:
    ComponentColumn() {
        MakeBoxGrid(1, 1, kCells);
        const size_t slots = kCells + 1;
        for (Array1<double>* a : {&Cvol, &Ckdist, &Ck, &Ceddyvisc}) EXPECT_TRUE(a->allocate(slots));
        for (Array1<int>* a : {&Csurft, &Csurfb}) EXPECT_TRUE(a->allocate(slots));
        EXPECT_TRUE(Farea.allocate(slots + 1));
        NoSurfaces = kCells + 1;
        NoComponents = 2;
        EXPECT_TRUE(Components.allocate(2, slots));
        for (int c = 1; c <= kCells; ++c) {
            Cvol[c] = 1.0;  // 1000 kg of water
            Ckdist[c] = 0.25;
            Csurft[c] = c;
            Csurfb[c] = c == 1 ? kCells + 1 : c - 1;
            Cap[c] = kBaseCap;
        }
        for (int s = 1; s <= NoSurfaces; ++s) Farea[s] = 2.0;  // A_top = A_bed = 2000
        // Surface light 100 at 0 s and 300 at 10 s: 200 at 5 s.
        EXPECT_TRUE(TimeiTime.allocate(2));
        EXPECT_TRUE(TimeiKinetics.allocate(2));
        TimeiTime[1] = 10.0;
        TimeiKinetics[0] = 100.0;
        TimeiKinetics[1] = 300.0;
        NoTimeiSteps = 2;
        stime = 5.0;
        TimeStep = 1.0;
        NoIterPerStep = 1;
        Equation = 8;
    }

    static void Fill(int k, const PerCell& v) {
        for (int c = 1; c <= kCells; ++c) Components[k][c] = v[c - 1];
    }
    static void Add(const QDataSetRecord& r) { QDataSets[NoQDataSets++] = r; }
};

QDataSetRecord Record(int type, std::vector<int> ints, std::vector<double> reals, int component = 0) {
    QDataSetRecord r{};
    r.component = component;
    r.qtype = type;
    for (size_t i = 0; i < ints.size(); ++i) r.ivalue[i] = ints[i];
    for (size_t i = 0; i < reals.size(); ++i) r.rvalue[i] = reals[i];
    return r;
}

PerCell Light(double surface, const PerCell& path) {
    PerCell v{};
    for (int c = 0; c < kCells; ++c) v[c] = surface * std::exp(-path[c]);
    return v;
}

PerCell Fixed(const PerCell& v) {
    PerCell f{};
    for (int c = 0; c < kCells; ++c) f[c] = v[c] * 1e30;
    return f;
}

constexpr PerCell kNoCapChange = {kBaseCap, kBaseCap, kBaseCap, kBaseCap};
constexpr PerCell kAssigned = {1e30, 1e30, 1e30, 1e30};
constexpr PerCell kAdded = {1e30 + kBaseCap, 1e30 + kBaseCap, 1e30 + kBaseCap, 1e30 + kBaseCap};

struct SourceRow {
    std::string name;
    QDataSetRecord record;
    PerCell component0 = kRising;
    double dt = 1.0;
    int passes = 1;
    PerCell csource;
    PerCell cap = kNoCapChange;
    double ck = 0.0;  // turbulent kinetic energy of every cell
};

void PrintTo(const SourceRow& r, std::ostream* os) { *os << r.name; }

class SourceTable : public ComponentColumn, public ::testing::WithParamInterface<SourceRow> {};

TEST_P(SourceTable, AddsItsTerms) {
    const SourceRow& row = GetParam();
    Fill(0, row.component0);
    Fill(1, kHalf);
    TimeStep = row.dt;
    NoIterPerStep = row.passes;
    for (int c = 1; c <= kCells; ++c) Ck[c] = row.ck;
    Add(row.record);
    ComputeComponentSources();
    for (int c = 1; c <= kCells; ++c) {
        const double want = row.csource[c - 1];
        EXPECT_NEAR(Csource[c], want, 1e-9 * std::max(1.0, std::fabs(want))) << "Csource of cell " << c;
        const double cap = row.cap[c - 1];
        EXPECT_NEAR(Cap[c], cap, 1e-12 * std::max(1.0, cap)) << "Cap of cell " << c;
    }
}

// Light paths: half the top cell, the cells between in full, half the cell.
constexpr PerCell kPaths = {1.5, 1.0, 0.5, 0.25};
// A grain of relative density 3 (component 0 stands for it, a = 0), 1 cm,
// at 20 C sinks at some 100 m/s: one cell height (0.5 m) per second is what
// it may move. Every cell passes 3 x 2000 x 0.5 down; only the top cell
// ends short.
const double kStokesCap = -2.0 * 0.25 / 1.0;

const SourceRow kSourceRows[] = {
    // 2C out of each cell; the top cell keeps what reaches it.
    {"SettlingUpKeptAtTheSurface", Record(11, {}, {0.001}), kRising, 1.0, 1, {-2.0, -2.0, -2.0, 6.0}},
    // Downwards the bed cell's amount leaves the grid.
    {"SettlingDownLeavesAtTheBed", Record(11, {}, {-0.001}), kRising, 1.0, 1, {2.0, 2.0, 2.0, -8.0}},
    // 300 k = 3 against q1 = 2: (3 - 2)^2 x 2000 x 0.5 at the bed cell.
    {"BedShearAboveThreshold", Record(2030, {}, {2.0, 0.5, 2.0}), kRising, 1.0, 1, {1000.0, 0.0, 0.0, 0.0},
     kNoCapChange, 0.01},
    // Below the threshold nothing, also with exponent 0.
    {"BedShearBelowThreshold", Record(2030, {}, {4.0, 0.5, 0.0}), kRising, 1.0, 1, {0.0, 0.0, 0.0, 0.0},
     kNoCapChange, 0.01},
    {"ProductionPerSecond", Record(1, {}, {0.001}), kRising, 1.0, 1, {1.0, 1.0, 1.0, 1.0}},
    // Each pass solves the whole step again: it takes the whole rate.
    {"ProductionTwoPasses", Record(1, {}, {0.001}), kRising, 1.0, 2, {1.0, 1.0, 1.0, 1.0}},
    // Rates per second whatever the time step, and in a steady pass.
    {"UnitRateLongStep", Record(2, {0}, {-1.0}), kRising, 2.0, 5, {-1000.0, -2000.0, -3000.0, -4000.0}},
    {"UnitProductionLongStep", Record(1, {}, {1.0}), kRising, 2.0, 1, {1000.0, 1000.0, 1000.0, 1000.0}},
    {"UnitRateSteady", Record(2, {0}, {-1.0}), kRising, 1e-20, 1, {-1000.0, -2000.0, -3000.0, -4000.0}},
    // Light field without pairs: the surface light 200 in every cell.
    {"LightFieldWithoutPairs", Record(6100, {0}, {}), kRising, 1.0, 1, Fixed({200.0, 200.0, 200.0, 200.0}), kAdded},
    // One pair with kappa 1: the light at each centre along its path.
    {"LightFieldAlongThePath", Record(6100, {1, 1}, {0.0, 1.0}), kRising, 1.0, 1, Fixed(Light(200.0, kPaths)), kAdded},
    // States by assignment, held within 0.7..1.5 without light terms.
    {"State151Clamped", Record(151, {0}, {0.0}), {0.2, 1.0, 1.2, 4.0}, 1.0, 1, Fixed({0.7, 1.0, 1.2, 1.5}), kAssigned},
    {"State161Clamped", Record(161, {1}, {0.0}), {0.2, 1.0, 1.2, 4.0}, 1.0, 1, Fixed({0.7, 1.0, 1.2, 1.5}), kAssigned},
    // Relaxation with dt >= q3 takes the light at once.
    {"Relaxation132AtOnce", Record(132, {1}, {0.0, 0.0, 1.0}), kRising, 2.0, 1, Fixed({200.0, 200.0, 200.0, 200.0}),
     kAssigned},
    {"Relaxation133AtOnce", Record(133, {1}, {0.0, 0.0, 1.0}), kRising, 2.0, 1,
     {500.0 * 199.0, 500.0 * 198.0, 500.0 * 197.0, 500.0 * 196.0}},
    // A heavy grain sinks at most one cell height per step: 0.5 m/s.
    {"SettlingLimitedToOneCell", Record(131, {0}, {0.01, 1.0, 20.0}), {3.0, 3.0, 3.0, 3.0}, 1.0, 1,
     {0.0, 0.0, 0.0, 3.0 * 2000.0 * kStokesCap}},
};

INSTANTIATE_TEST_SUITE_P(Types, SourceTable, ::testing::ValuesIn(kSourceRows),
                         [](const auto& row) { return row.param.name; });

// In a steady pass (1e-20 s) a growth, loss or reaction rate times the time
// step vanishes against 1: they add exactly nothing.
TEST_F(ComponentColumn, SteadyKineticsAddExactlyNothing) {
    Fill(0, kRising);
    Fill(1, kHalf);
    TimeStep = 1e-20;
    TemperatureFlag = 1;
    Add(Record(152, {1}, {0.1, 2.0, 10.0, 0.0, 5.0}));
    Add(Record(291, {1, 1}, {0.1, 0.2, 3.0, 10.0, 2.0, 1.0, 1.0, 1.07, 1.0}));
    Add(Record(121, {1}, {0.5}));
    Add(Record(122, {1}, {0.5}));
    Add(Record(42, {}, {0.1, 0.2, 3.0, 10.0}));
    ComputeComponentSources();
    for (int c = 1; c <= kCells; ++c) {
        EXPECT_EQ(Csource[c], 0.0) << "cell " << c;
        EXPECT_EQ(Cap[c], kBaseCap) << "cell " << c;
    }
}

// The reaction of type 122 with F 67 on: the record gives no theta, so the
// rate is the rate at 20 C, finite below 20 C and not switched off above.
TEST_F(ComponentColumn, ReactionWithoutThetaKeepsItsRate) {
    Fill(0, {5.0, 15.0, 25.0, 35.0});
    Fill(1, kHalf);
    TemperatureFlag = 1;
    Add(Record(122, {1}, {-2.0}, 1));
    Equation = 9;
    ComputeComponentSources();
    const double expected = (std::exp(-2.0 * 0.5 * 0.5 * 1.182033e-5) - 1.0) * 1000.0;
    for (int c = 1; c <= kCells; ++c) EXPECT_NEAR(Csource[c], expected, 1e-12) << "cell " << c;
}

// The group releases 10 over its cells' top areas during the first step
// only; a steady run has no first step.
TEST_F(ComponentColumn, ReleaseOnlyOverTheFirstStepOfAnUnsteadyRun) {
    Fill(0, kRising);
    SourceCellGroups[0] = SourceCellGroup{0, 2, 10.0, {4, 3}};
    struct Case {
        double dt, time, top;
    };
    for (const Case& k : {Case{2.0, 2.0, 2.5}, Case{2.0, 4.0, 0.0}, Case{1e-20, 0.0, 0.0}}) {
        for (int c = 1; c <= kCells; ++c) Csource[c] = 0.0;
        TimeStep = k.dt;
        stime = k.time;
        ComputeComponentSources();
        EXPECT_DOUBLE_EQ(Csource[4], k.top) << "dt " << k.dt << " at " << k.time;
        EXPECT_DOUBLE_EQ(Csource[3], k.top) << "dt " << k.dt << " at " << k.time;
        EXPECT_EQ(Csource[1], 0.0);
    }
}

// The terms belong to the component being built: a record of another
// component adds nothing.
TEST_F(ComponentColumn, RecordsOfOtherComponentsAddNothing) {
    Fill(0, kRising);
    Add(Record(1, {}, {0.001}, 1));
    ComputeComponentSources();
    for (int c = 1; c <= kCells; ++c) EXPECT_EQ(Csource[c], 0.0);
}

// The bed exchange of type 2149 on the column's bed cell, from x = 1 while
// the column has no work value: x = 1 gives F = 0.125 and x' = 8, x = 8
// gives F = 0.233577 and a falling x' = 4.28125, which ends the steps.
TEST_F(ComponentColumn, BedIterationStartsFromOneAndKeepsItsWorkValues) {
    Fill(0, kRising);
    Fill(1, kHalf);
    NoBedCells = 1;
    ASSERT_TRUE(Bcellt.allocate(2));
    Bcellt[1] = 1;
    ASSERT_TRUE(ComponentWork.allocate(3, 2));
    Add(Record(2149, {1, 0, 1, 2}, {0.0, 1.0, 0.0, 1.0, 1.0, 0.0, 1.0, 0.0, 1.0}));
    ComputeComponentSources();
    EXPECT_NEAR(Csource[1], -2000.0 * 0.233577, 0.01);
    EXPECT_NEAR(ComponentWork[2][1], 4.28125, 1e-4);
    EXPECT_DOUBLE_EQ(ComponentWork[0][1], 0.5);
    for (int c = 2; c <= kCells; ++c) EXPECT_EQ(Csource[c], 0.0);
    // Without component a and with a negative work value the flux is
    // negative: no source, and the work values stay.
    Fill(1, {0.0, 0.0, 0.0, 0.0});
    ComponentWork[0][1] = -1.0;
    Csource[1] = 0.0;
    ComputeComponentSources();
    EXPECT_EQ(Csource[1], 0.0);
    EXPECT_NEAR(ComponentWork[2][1], 4.28125, 1e-4);
}

}  // namespace
