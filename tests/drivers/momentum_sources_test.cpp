// The momentum sources that the block-parallel driver adds with the wall
// laws: the diagonal doublings, the dead-end cells, the drag zones and the
// temperature buoyancy of W, each measured against the same call without
// the option on the channel of the grid tests.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <vector>

#include "drivers/flow_drivers.h"
#include "drivers/momentum_sources.h"
#include "flow/flow_services.h"
#include "grid/metric_steps.h"
#include "run/globals.h"
#include "tests/drivers/water_solve_case.h"

namespace {

class MomentumSources : public WaterSolveCase {
protected:
    // The channel after one block-parallel iteration: metric, columns and
    // flow fields in place.
    void Prepare(const std::string& control = "") {
        Start("K 1 1\nF 328 1\n" + control);
        const EngineCall call = CallEngine([] { return SolveFlowBlockParallel(); });
        ASSERT_FALSE(call.ended) << call.log;
        for (int c = 1; c <= NoCells; ++c) Cu[c] = 0.1 + 0.01 * c;
    }

    // Cap and Csource of every cell after AddMomentumSources for equation
    // `eq`, from Cap 1 and Csource 0.
    struct Terms {
        std::vector<double> cap, source;
    };
    static Terms Add(int eq) {
        Array1<double>* fields[3] = {&Cu, &Cv, &Cw};
        Equation = eq;
        Cf.designate(*fields[eq - 1]);
        for (int c = 1; c <= NoCells; ++c) {
            Cap[c] = 1.0;
            Csource[c] = 0.0;
        }
        AddMomentumSources();
        Terms t{std::vector<double>(NoCells + 1), std::vector<double>(NoCells + 1)};
        for (int c = 1; c <= NoCells; ++c) {
            t.cap[c] = Cap[c];
            t.source[c] = Csource[c];
        }
        return t;
    }

    // The columns of the channel: bottom cells in the order of the nodes.
    static int Bottom(int i, int j) { return ColumnBottomCell(i, j); }

    static void WidenColumn(int bottom) { Barea[Cbedcell[bottom]] *= 10.0; }

    static std::vector<int> Column(int bottom) {
        std::vector<int> cells;
        ForEachCellUp(bottom, [&cells](int c) { cells.push_back(c); });
        return cells;
    }
};

// Doubling n times multiplies Cap by 2^n and adds (2^n - 1) phi Cap to the
// source, so the current value still solves the equation.
struct DoublingCase {
    const char* name;
    std::function<void()> set;
    // Doublings of each cell, given the bottom cells of columns A, B (east
    // of A) and C (east of B); A and B are wide.
    std::function<int(int c, const std::vector<int>& a, const std::vector<int>& b, const std::vector<int>& cc)>
        doublings;
};

void PrintTo(const DoublingCase& row, std::ostream* os) { *os << row.name; }

bool In(const std::vector<int>& v, int c) { return std::find(v.begin(), v.end(), c) != v.end(); }

class Doublings : public MomentumSources, public ::testing::WithParamInterface<DoublingCase> {};

TEST_P(Doublings, MultiplyTheDiagonalAndKeepTheSolution) {
    Prepare();
    const int a = Bottom(3, 3);
    const int b = Ccelle[a];
    ASSERT_GT(a, 0);
    ASSERT_GT(b, 0);
    const int c3 = Ccelle[b];
    ASSERT_GT(c3, 0);
    WidenColumn(a);
    WidenColumn(b);
    for (int c = 1; c <= NoCells; ++c) Ctrekant[c] = c % 5 == 0 ? 1 : 0;
    const Terms base = Add(1);
    GetParam().set();
    const Terms with = Add(1);
    const std::vector<int> ca = Column(a), cb = Column(b), cc = Column(c3);
    ASSERT_EQ(ca.size(), 3u);
    for (int c = 1; c <= NoCells; ++c) {
        const double f = std::pow(2.0, GetParam().doublings(c, ca, cb, cc));
        EXPECT_DOUBLE_EQ(with.cap[c], f * base.cap[c]) << c;
        EXPECT_NEAR(with.source[c], base.source[c] + (f - 1.0) * Cu[c] * base.cap[c], 1e-12) << c;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Options, Doublings,
    ::testing::Values(
        DoublingCase{"TrekantCells", [] { TrekantOption = 11; },
                     [](int c, auto&, auto&, auto&) { return c % 5 == 0 ? 1 : 0; }},
        // Every cell of the wide columns has a cell above or below.
        DoublingCase{"SteepCellsAloneInTheirColumn", [] { F291Int2 = 1; }, [](int, auto&, auto&, auto&) { return 0; }},
        DoublingCase{"SteepCells", [] { F291Int2 = 2; },
                     [](int c, auto& a, auto& b, auto&) { return In(a, c) || In(b, c) ? 1 : 0; }},
        // A and B double themselves and each other; the other side
        // neighbours of their cells (C among them) are doubled once.
        DoublingCase{"SteepCellsAndTheirNeighbours", [] { F291Int2 = 3; },
                     [](int c, auto& a, auto& b, auto& cc) {
                         if (In(a, c) || In(b, c)) return 2;
                         if (In(cc, c)) return 1;
                         for (const auto* wide : {&a, &b}) {
                             for (int w : *wide) {
                                 if (c == Ccellw[w] || c == Ccells[w] || c == Ccelln[w]) return 1;
                             }
                         }
                         return 0;
                     }}),
    [](const auto& i) { return std::string(i.param.name); });

TEST_F(MomentumSources, DeadEndCellsGetAThousandTimesTheirVolume) {
    Prepare();
    const Terms base = Add(2);
    DeadEndCellFlag = 1;
    for (int c = 1; c <= NoCells; ++c) CdeadEndFlag[c] = c == 7 ? 1 : 0;
    const Terms with = Add(2);
    for (int c = 1; c <= NoCells; ++c) {
        EXPECT_DOUBLE_EQ(with.cap[c], base.cap[c] + (c == 7 ? 1000.0 * Cvol[c] : 0.0)) << c;
        EXPECT_DOUBLE_EQ(with.source[c], base.source[c]) << c;
    }
}

// One zone over the column of node (3, 3). Per cell the diagonal grows by
// 1000 Cd sqrt(plan area) times the cell height inside the band, times the
// horizontal speed when Cd is below 0.7.
struct DragCase {
    const char* name;
    double lower, upper, cd;
    bool dry;
    bool velocityFree;
    bool adds;
};

void PrintTo(const DragCase& row, std::ostream* os) { *os << row.name; }

class DragZones : public MomentumSources, public ::testing::WithParamInterface<DragCase> {};

TEST_P(DragZones, AddToTheDiagonalOfTheZoneColumns) {
    const DragCase& p = GetParam();
    Prepare();
    const int bottom = Bottom(3, 3);
    ASSERT_GT(bottom, 0);
    for (int c = 1; c <= NoCells; ++c) {
        Cu[c] = 0.3;
        Cv[c] = 0.4;
    }
    const Terms base = Add(1);
    NoDragZones = 1;
    G22Records[1] = G22Record{3, 3, 3, 3, p.lower, p.upper, p.cd};
    const std::vector<int> column = Column(bottom);
    if (p.dry) Gridz[3][3][0] = 0.0;
    const Terms with = Add(1);
    const double side = std::sqrt(Barea[Cbedcell[bottom]]);
    double top = -1e30;
    for (int c = 1; c <= NoCells; ++c) {
        double extra = 0.0;
        if (p.adds && In(column, c)) {
            extra = 2.0 * Ckdist[c] * p.cd * side * 1000.0 * (p.velocityFree ? 1.0 : 0.5);
        }
        top = std::fmax(top, Czcenter[c] + Ckdist[c]);
        EXPECT_NEAR(with.cap[c], base.cap[c] + extra, 1e-9 * (1.0 + extra)) << c;
        EXPECT_EQ(with.source[c], base.source[c]) << c;
    }
    if (!p.adds && !p.dry) {
        EXPECT_GT(p.lower, top);
    }
}

INSTANTIATE_TEST_SUITE_P(Zones, DragZones,
                         ::testing::Values(DragCase{"VelocityDependent", -1e3, 1e3, 0.1, false, false, true},
                                           DragCase{"VelocityFreeAtSevenTenths", -1e3, 1e3, 0.7, false, true, true},
                                           DragCase{"BandAboveTheSurface", 100.0, 200.0, 0.1, false, false, false},
                                           DragCase{"DryNodeIsSkipped", -1e3, 1e3, 0.7, true, true, false}),
                         [](const auto& i) { return std::string(i.param.name); });

// The W equation feels the weight of the density difference: water at
// 20 C among water at 10 C rises with 9.81 x 1000 x (0.999698 - 0.998201)
// = 14.7 N per cubic metre.
TEST_F(MomentumSources, WarmWaterRisesWithItsBuoyancy) {
    Prepare("F 50 1\n");
    ASSERT_TRUE(Components.exists());
    for (int c = 1; c <= NoCells; ++c) Components[0][c] = 20.0;
    const Terms base = Add(3);
    WaterTemperatureFlag = 1;
    WaterTemperature = 10.0;
    const Terms with = Add(3);
    for (int c = 1; c <= NoCells; ++c) {
        EXPECT_NEAR((with.source[c] - base.source[c]) / Cvol[c], 14.69, 0.01) << c;
        EXPECT_EQ(with.cap[c], base.cap[c]);
    }
    // U and V feel nothing of it.
    EXPECT_EQ(Add(1).source, [] {
        WaterTemperatureFlag = 0;
        return Add(1).source;
    }());
}

}  // namespace
