// Pressure force of the momentum equations on boxes of cells, level and with
// grid lines sloping along i.
#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "tests/flow/flow_case.h"

namespace {

using PressureGradient = FlowCase;

// Grid lines that rise by `slope` per metre of x; the columns stay vertical.
std::function<void(const BoxGrid&)> Sheared(double slope) {
    return [slope](const BoxGrid&) {
        for (int p = 1; p <= NoPoints; ++p) Pz1[p] += slope * Px1[p];
    };
}

void SetPressure(const std::function<double(double, double, double)>& f) {
    for (int c = 1; c <= NoCells; ++c) Pres[c] = f(Cxcenter[c], Cycenter[c], Czcenter[c]);
}

// Csource of every cell after the force of `equation` with `option` alone.
std::vector<double> Force(int option, int equation, int first = 1, int last = -1) {
    for (int c = 0; c <= NoCells; ++c) Csource[c] = 0.0;
    PressureGradientOption = option;
    Equation = equation;
    AddPressureGradientForce(first, last < 0 ? NoCells : last);
    return std::vector<double>(Csource.data(), Csource.data() + NoCells + 1);
}

bool PlanCorner(int c) {
    const bool w = Ccellw[c] > 0, e = Ccelle[c] > 0, s = Ccells[c] > 0, n = Ccelln[c] > 0;
    return (!n && !e) || (!e && !s) || (!n && !w) || (!s && !w);
}

constexpr int kAllVariants[] = {0, 1, 2, 3, 5, 9, 15, 19, 20, 57};

bool OpenFaceVariant(int v) { return v >= 9; }

// Still water over grid lines that slope along i: the pressure differences
// along the lines are balanced by the tilt of the top and bottom faces, or
// vanish for the piezometric variants, so U gets no force; variant 5 leaves
// the tilt out, and the corner rule of the open-face variants leaves it alone
// at horizontal corners. W carries the weight of the water in every variant.
TEST_F(PressureGradient, StillWaterOnLevelAndSlopingGrids) {
    for (const double slope : {0.0, 0.2}) {
        SCOPED_TRACE("slope " + std::to_string(slope));
        Box(4, 2, 3, {2.0, 1.5, 0.5}, Sheared(slope));
        SetPressure([](double, double, double z) { return 9810.0 * (10.0 - z); });
        for (const int v : kAllVariants) {
            SCOPED_TRACE("F 114 " + std::to_string(v));
            const std::vector<double> u = Force(v, 1), fv = Force(v, 2), w = Force(v, 3);
            for (int c = 1; c <= NoCells; ++c) {
                const double weight = 9810.0 * Cvol[c];
                double expectedU = 0.0;
                if (v == 5) expectedU = weight * slope;
                if (OpenFaceVariant(v) && PlanCorner(c)) expectedU = -weight * slope;
                EXPECT_NEAR(u[c], expectedU, 1e-9 * weight) << "cell " << c;
                EXPECT_NEAR(fv[c], 0.0, 1e-9 * weight) << "cell " << c;
                EXPECT_NEAR(w[c], weight, 1e-9 * weight) << "cell " << c;
            }
        }
    }
}

// p = -10 x: every cell is pushed along x by 10 N per cubic metre, at the
// walls too, where the difference turns one-sided; the corner rule zeroes it
// at horizontal corners.
TEST_F(PressureGradient, UniformGradient) {
    Box(4, 3, 2, {2.0, 1.5, 0.5});
    SetPressure([](double x, double, double) { return -10.0 * x; });
    for (const int v : kAllVariants) {
        SCOPED_TRACE("F 114 " + std::to_string(v));
        const std::vector<double> u = Force(v, 1), fv = Force(v, 2), w = Force(v, 3);
        for (int c = 1; c <= NoCells; ++c) {
            const double expected = OpenFaceVariant(v) && PlanCorner(c) ? 0.0 : 10.0 * Cvol[c];
            EXPECT_NEAR(u[c], expected, 1e-9) << "cell " << c;
            EXPECT_NEAR(fv[c], 0.0, 1e-9) << "cell " << c;
            EXPECT_NEAR(w[c], 0.0, 1e-9) << "cell " << c;
        }
    }
}

// Differences at the walls for a pressure that curves along i or j.
struct WallCase {
    const char* name;
    int option;
    int ni, nj;
    int equation;  // 1: p = x^2 along i, 2: p = y^2 along j
    int i, j;      // the cell (bottom layer)
    // The difference expected, from the pressures of the cells along the
    // direction: at(-1) the minus neighbour, at(0) the cell, at(1) the plus one.
    std::function<double(const std::function<double(int)>&)> delta;
};

TEST_F(PressureGradient, WallDifferences) {
    const std::vector<WallCase> cases = {
        {"first order at the east wall", 0, 4, 3, 1, 3, 1, [](auto at) { return at(0) - at(-1); }},
        {"first order at the west wall", 0, 4, 3, 1, 0, 1, [](auto at) { return at(1) - at(0); }},
        {"central inside", 0, 4, 3, 1, 1, 1, [](auto at) { return 0.5 * (at(1) - at(-1)); }},
        {"second order at the west wall", 3, 4, 3, 1, 0, 1,
         [](auto at) { return 0.5 * (4.0 * at(1) - 3.0 * at(0) - at(2)); }},
        {"second order at the east wall", 3, 4, 3, 1, 3, 1,
         [](auto at) { return 0.5 * (3.0 * at(0) - 4.0 * at(-1) + at(-2)); }},
        {"second order at the south wall", 3, 4, 3, 2, 1, 0,
         [](auto at) { return 0.5 * (4.0 * at(1) - 3.0 * at(0) - at(2)); }},
        {"second order without a far cell", 3, 2, 3, 1, 0, 1, [](auto at) { return at(1) - at(0); }},
        {"piezometric, second order along i", 2, 4, 3, 1, 0, 1,
         [](auto at) { return 0.5 * (4.0 * at(1) - 3.0 * at(0) - at(2)); }},
        {"piezometric, first order along j", 2, 4, 3, 2, 1, 0, [](auto at) { return at(1) - at(0); }},
    };
    for (const WallCase& k : cases) {
        SCOPED_TRACE(k.name);
        const BoxGrid g = Box(k.ni, k.nj, 2, {2.0, 1.5, 0.5});
        const bool alongI = k.equation == 1;
        SetPressure([alongI](double x, double y, double) { return alongI ? x * x : y * y; });
        const int c = g.cell(k.i, k.j, 0);
        const auto at = [&](int step) {
            return Pres[alongI ? g.cell(k.i + step, k.j, 0) : g.cell(k.i, k.j + step, 0)];
        };
        const double area = alongI ? Careax[c] : Careay[c];
        EXPECT_NEAR(Force(k.option, k.equation)[c], -area * k.delta(at), 1e-9);
    }
}

// The open-face variants: a side face too low to carry water (its height
// below a fifth of the half cell height and below a tenth of the minimum
// water depth) turns the difference away from it; the west face is tested
// first.
TEST_F(PressureGradient, LowSideFaces) {
    const BoxGrid g = Box(4, 3, 1, {1.0, 1.0, 1.0});
    SetPressure([](double x, double, double) { return x * x; });
    MinWaterDepth = 1.0;
    const int c = g.cell(1, 1, 0), west = g.cell(0, 1, 0), east = g.cell(2, 1, 0);
    const double pw = Pres[west], pp = Pres[c], pe = Pres[east];
    const double low = 1e-3, open = 0.3;  // face heights: Farea / (2 Cjdist) with Cjdist 0.5
    struct Row {
        double westArea, eastArea, delta;
    };
    const Row rows[] = {{low, open, pe - pp}, {open, low, pp - pw}, {low, low, pe - pp}, {open, open, 0.5 * (pe - pw)}};
    for (const int v : {9, 15, 20}) {
        for (const Row& r : rows) {
            Farea[Csurfw[c]] = r.westArea;
            Farea[Csurfe[c]] = r.eastArea;
            EXPECT_NEAR(Force(v, 1)[c], -Careax[c] * r.delta, 1e-12)
                << "F 114 " << v << ", west " << r.westArea << ", east " << r.eastArea;
        }
    }
    // The face stays open when it is high enough for either threshold.
    MinWaterDepth = 0.001;
    Farea[Csurfw[c]] = low;
    Farea[Csurfe[c]] = 1.0;
    EXPECT_NEAR(Force(9, 1)[c], -Careax[c] * 0.5 * (pe - pw), 1e-12);
}

// A column above a step: its upper cell has no east neighbour while its bed
// cell has one. From F 114 = 20 on, the missing neighbour is taken from the
// bed cell's side, both for the arrays the grid builds and for the force.
TEST_F(PressureGradient, BedCellNeighbours) {
    const BoxGrid g = Box(3, 3, 2);
    const int top = g.cell(1, 1, 1), bed = g.cell(1, 1, 0), eastTop = g.cell(2, 1, 1), eastBed = g.cell(2, 1, 0);
    Ccelle[top] = 0;
    Ccellw[eastTop] = 0;
    for (Array1<int>* a : {&Ccellw_bottom, &Ccelle_bottom, &Ccells_bottom, &Ccelln_bottom}) {
        ASSERT_TRUE(a->allocate(static_cast<size_t>(NoCells) + 1));
        a->fill(-1);
    }
    BuildBedNeighbours();
    EXPECT_EQ(Ccelle_bottom[top], eastBed);
    EXPECT_EQ(Ccellw_bottom[eastTop], bed);
    // Sides with a neighbour, and bed cells, take nothing from below.
    EXPECT_EQ(Ccellw_bottom[top], 0);
    EXPECT_EQ(Ccelle_bottom[bed], 0);
    for (int c = 1; c <= NoCells; ++c) {
        if (c != top && c != eastTop) {
            EXPECT_EQ(Ccelle_bottom[c] + Ccellw_bottom[c], 0) << "cell " << c;
        }
    }

    SetPressure([](double x, double, double z) { return x * x + 100.0 * z; });
    const double pw = Pres[g.cell(0, 1, 1)];
    EXPECT_NEAR(Force(9, 1)[top], -Careax[top] * (Pres[top] - pw), 1e-9);
    for (const int v : {20, 57}) {
        EXPECT_NEAR(Force(v, 1)[top], -Careax[top] * 0.5 * (Pres[eastBed] - pw), 1e-9) << "F 114 " << v;
    }
    // Without the arrays there is nothing to take from below.
    Ccelle_bottom.release();
    EXPECT_NEAR(Force(20, 1)[top], -Careax[top] * (Pres[top] - pw), 1e-9);
}

TEST_F(PressureGradient, RangeAndChunks) {
    Box(4, 3, 3, {1.0, 2.0, 0.5});
    SetPressure([](double x, double y, double z) { return x * x - 3.0 * y * z + 50.0 * z; });
    // Only the cells of the range are written.
    const std::vector<double> whole = Force(3, 1);
    const std::vector<double> part = Force(3, 1, 5, 20);
    for (int c = 1; c <= NoCells; ++c) EXPECT_EQ(part[c], c >= 5 && c <= 20 ? whole[c] : 0.0) << "cell " << c;
    EXPECT_TRUE(Force(3, 1, 7, 6) == std::vector<double>(NoCells + 1, 0.0));

    // Chunks of a parallel region give what one call gives.
    for (const int v : {0, 2, 4, 6, 7, 8, 15, 20}) {
        for (const int equation : {1, 2, 3}) {
            const std::vector<double> serial = Force(v, equation);
            for (int c = 0; c <= NoCells; ++c) Csource[c] = 0.0;
            RunInChunks(1, NoCells, 4, AddPressureGradientForce);
            for (int c = 1; c <= NoCells; ++c) EXPECT_EQ(Csource[c], serial[c]);
        }
    }
}

}  // namespace
