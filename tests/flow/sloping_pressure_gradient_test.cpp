// Pressure force on grids whose layers follow a sloping bed: the variants
// that take the horizontal pressure difference apart from the hydrostatic
// one along the sloping grid lines (F 114 = 4, 6, 7, 8).
#include <algorithm>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "flow/momentum_forces.h"
#include "sediment/sediment_data.h"
#include "tests/flow/flow_case.h"

namespace {

constexpr int kLayers = 8;

class SlopingPressure : public FlowCase {
protected:
    // Columns of unit width whose eight layers divide the water between the
    // level 0 and a bed at -1 - 0.05 x - 0.03 y evenly.
    BoxGrid SlopingBed(int ni, int nj) {
        return Box(ni, nj, kLayers, {1.0, 1.0, 1.0}, [](const BoxGrid&) {
            for (int p = 1; p <= NoPoints; ++p) {
                const double bed = -1.0 - 0.05 * Px1[p] - 0.03 * Py1[p];
                Pz1[p] = bed * (1.0 - Pz1[p] / kLayers);
            }
        });
    }
};

void SetPressure(const std::function<double(double, double, double)>& f) {
    for (int c = 1; c <= NoCells; ++c) Pres[c] = f(Cxcenter[c], Cycenter[c], Czcenter[c]);
}

std::vector<double> Force(int option, int equation) {
    for (int c = 0; c <= NoCells; ++c) Csource[c] = 0.0;
    PressureGradientOption = option;
    Equation = equation;
    AddPressureGradientForce(1, NoCells);
    return std::vector<double>(Csource.data(), Csource.data() + NoCells + 1);
}

struct SlopingVariant {
    const char* name;
    int option;
    int sigmaOption;
    double sigmaFactor;
};

const std::vector<SlopingVariant> kStillWaterVariants = {
    {"angle", 4, 0, 1.0},           {"level interpolation", 6, 0, 1.0}, {"angle with stress blend", 7, 0, 1.0},
    {"sigma, one term", 8, 0, 1.0}, {"sigma, two terms", 8, 1, 1.0},
};

void Select(const SlopingVariant& v) {
    SigmaCorrectionOption = v.sigmaOption;
    SigmaCorrectionFactor = v.sigmaFactor;
}

// Still water over layers that slope in x and y: the pressure differences
// along the grid lines are the hydrostatic ones, and no variant may turn
// them into a horizontal force (the rounded right angle of the angle
// variants leaves about 1e-9 of the weight). The weight itself goes to W.
TEST_F(SlopingPressure, StillWaterStaysStill) {
    SlopingBed(4, 2);
    ASSERT_TRUE(CstressRatio.allocate(static_cast<size_t>(NoCells) + 1));
    CstressRatio.fill(0.0);
    SetPressure([](double, double, double z) { return 9810.0 * (0.0 - z); });
    for (const SlopingVariant& v : kStillWaterVariants) {
        SCOPED_TRACE(v.name);
        Select(v);
        const std::vector<double> u = Force(v.option, 1), fv = Force(v.option, 2), w = Force(v.option, 3);
        double largest = 0.0;
        for (int c = 1; c <= NoCells; ++c) {
            const double weight = 9810.0 * Cvol[c];
            EXPECT_LT(std::fabs(u[c]), 1e-6 * weight) << "cell " << c;
            EXPECT_LT(std::fabs(fv[c]), 1e-6 * weight) << "cell " << c;
            EXPECT_GT(w[c], 0.5 * weight) << "cell " << c;
            largest = std::max({largest, std::fabs(u[c]) / weight, std::fabs(fv[c]) / weight});
        }
        RecordProperty(std::string("largest_force_of_weight_") + std::to_string(v.option) + "_" +
                           std::to_string(v.sigmaOption),
                       std::to_string(largest * 1e9) + "e-9");
    }
    CstressRatio.release();
}

// A horizontal gradient of 10 Pa/m over the hydrostatic pressure pushes every
// cell with 10 Pa/m times its mean side area, inside and at the walls, in
// every variant.
TEST_F(SlopingPressure, HorizontalGradientOnSlopingLayers) {
    SlopingBed(4, 2);
    SetPressure([](double x, double, double z) { return -10.0 * x - 9810.0 * z; });
    for (const SlopingVariant& v : kStillWaterVariants) {
        if (v.option == 7) continue;  // no stress array: the same as 4
        SCOPED_TRACE(v.name);
        Select(v);
        const std::vector<double> u = Force(v.option, 1), fv = Force(v.option, 2);
        for (int c = 1; c <= NoCells; ++c) {
            const double expected = 10.0 * 0.5 * (Fareax[Csurfe[c]] + Fareax[Csurfw[c]]);
            EXPECT_NEAR(u[c], expected, 1e-6 * 9810.0 * Cvol[c]) << "cell " << c;
            EXPECT_LT(std::fabs(fv[c]), 1e-6 * 9810.0 * Cvol[c]) << "cell " << c;
        }
    }
}

// The sigma correction with the factor applied as a power: a power that is
// not an integer keeps its sign where the neighbour lies lower, so the force
// stays finite; other options leave the difference along the line alone.
TEST_F(SlopingPressure, SigmaCorrectionForms) {
    const BoxGrid g = SlopingBed(4, 2);
    SetPressure([](double, double, double z) { return 9810.0 * (0.0 - z); });
    SigmaCorrectionOption = 1;
    SigmaCorrectionFactor = 0.5;
    const std::vector<double> u = Force(8, 1);
    for (int c = 1; c <= NoCells; ++c) EXPECT_TRUE(std::isfinite(u[c])) << "cell " << c;
    // The bed falls towards +x, so the line from west to east falls too: a
    // negative q, which the power must keep negative.
    const int c = g.cell(1, 0, 3), e = g.cell(2, 0, 3), wst = g.cell(0, 0, 3);
    const double dk = (Pres[Ccellt[c]] - Pres[Ccellb[c]]) * 0.5;
    const double dist = (2.0 * Ckdist[c] + Ckdist[Ccellt[c]] + Ckdist[Ccellb[c]]) * 0.5;
    const double q = (Czcenter[e] - Czcenter[wst]) * 0.5 / dist;
    ASSERT_LT(q, 0.0);
    const double qf = -std::sqrt(-q);
    const double di = (Pres[e] - Pres[wst]) * 0.5 - qf * dk * 0.5 - qf * dk * 0.25;
    const double areaI = Fareax[Csurfe[c]] + Fareax[Csurfw[c]];
    const double areaJ = Fareax[Csurfn[c]] + Fareax[Csurfs[c]];
    const double qj = (Czcenter[Ccelln[c]] - Czcenter[c]) / dist;
    const double qjf = std::copysign(std::sqrt(std::fabs(qj)), qj);
    const double dj = (Pres[Ccelln[c]] - Pres[c]) - qjf * dk * 0.5 - qjf * dk * 0.25;
    EXPECT_NEAR(u[c], -0.5 * (areaI * di + areaJ * dj), 1e-9 * 9810.0 * Cvol[c]);

    SigmaCorrectionOption = 2;
    const std::vector<double> raw = Force(8, 1);
    const double rawDj = Pres[Ccelln[c]] - Pres[c];
    EXPECT_NEAR(raw[c], -0.5 * (areaI * (Pres[e] - Pres[wst]) * 0.5 + areaJ * rawDj), 1e-9);
    SigmaCorrectionOption = 0;
    SigmaCorrectionFactor = 1.0;
}

// On a level grid the angle variant's vertical gradient leaks a tiny force
// through the rounded right angle; with the stress ratio of the cell above 1
// and that of the cell below under it, variant 7 takes the vertical
// difference upwards from the cell.
TEST_F(SlopingPressure, AngleVariantsOnLevelGrid) {
    const BoxGrid g = Box(3, 1, 3, {1.0, 1.0, 0.5});
    SetPressure([](double, double, double z) { return 9810.0 * (2.0 - z) + 300.0 * z * z; });
    const int c = g.cell(1, 0, 1), t = Ccellt[c], b = Ccellb[c];
    const double dk = (Pres[t] - Pres[b]) * 0.5, dist = 2.0 * Ckdist[c];
    const double beta = 1.570796326;
    const double leak = -(dk / dist) * 1.0 * std::cos(beta) / std::sin(beta);
    const double u = Force(4, 1)[c];
    EXPECT_NE(u, 0.0);
    EXPECT_NEAR(u, -Careax[c] * leak, 1e-6 * std::fabs(Careax[c] * leak));

    ASSERT_TRUE(CstressRatio.allocate(static_cast<size_t>(NoCells) + 1));
    CstressRatio.fill(0.0);
    CstressRatio[c] = 1.5;
    CstressRatio[b] = 0.2;
    EXPECT_NEAR(Force(7, 3)[c], -(Pres[t] - Pres[c]) * Fareaz[Csurft[c]], 1e-9);
    CstressRatio[c] = 1.3;  // r = 0.4 weighs the two differences
    CstressRatio[b] = 0.9;
    const double blended = 0.6 * dk + 0.4 * (Pres[t] - Pres[c]);
    EXPECT_NEAR(Force(7, 3)[c], -blended * Fareaz[Csurft[c]], 1e-9);
    CstressRatio[c] = 0.9;  // under 1: the central difference
    EXPECT_NEAR(Force(7, 3)[c], -dk * Fareaz[Csurft[c]], 1e-9);
    CstressRatio.release();
}

// The pressure of a neighbour column at a cell's level: linear between the
// centres around it, linear beyond the column's end cells, also when the
// neighbour is itself the end cell in the direction of the search.
TEST_F(SlopingPressure, PressureAtLevel) {
    const BoxGrid g = Box(2, 1, 4, {1.0, 1.0, 0.5});
    SetPressure([](double x, double, double z) { return 7.0 * x + 100.0 * z * z; });
    // A quadratic pressure: linear interpolation reads the chord.
    for (int k = 0; k < 4; ++k) Czcenter[g.cell(0, 0, k)] += 0.1;
    const int bed = g.cell(1, 0, 0), top = g.cell(1, 0, 3);
    const auto chord = [&](int lo, int hi, double z) {
        const double f = (z - Czcenter[lo]) / (Czcenter[hi] - Czcenter[lo]);
        return Pres[lo] + f * (Pres[hi] - Pres[lo]);
    };
    const int k1 = g.cell(1, 0, 1), k2 = g.cell(1, 0, 2);
    struct Row {
        const char* name;
        int cell, start;
        int lo, hi;  // the two centres read; 0 0 for the start's own pressure
    };
    const Row rows[] = {
        {"searching down", g.cell(0, 0, 1), top, k1, k2},
        {"searching up", g.cell(0, 0, 1), bed, k1, k2},
        {"above the top centre", g.cell(0, 0, 3), k1, k2, top},
        {"from the top cell upwards", g.cell(0, 0, 3), top, k2, top},
        {"just above the bed centre", g.cell(0, 0, 0), bed, bed, k1},
    };
    for (const Row& r : rows) {
        const double expected = r.lo == 0 ? Pres[r.start] : chord(r.lo, r.hi, Czcenter[r.cell]);
        EXPECT_NEAR(InterpolatePressureAtLevel(r.cell, r.start), expected, 1e-9) << r.name;
    }
    // Level with a centre: that cell's pressure.
    Czcenter[g.cell(0, 0, 2)] = Czcenter[g.cell(1, 0, 2)];
    EXPECT_NEAR(InterpolatePressureAtLevel(g.cell(0, 0, 2), top), Pres[k2], 1e-9);
    // A column of one cell: its own pressure.
    Ccellb[top] = 0;
    EXPECT_DOUBLE_EQ(InterpolatePressureAtLevel(g.cell(0, 0, 3), top), Pres[top]);
    Ccellb[top] = k2;
    // Below the bed centre of the column: extrapolated from its two lowest.
    Czcenter[g.cell(0, 0, 0)] = Czcenter[bed] - 0.2;
    EXPECT_NEAR(InterpolatePressureAtLevel(g.cell(0, 0, 0), top), chord(bed, Ccellt[bed], Czcenter[bed] - 0.2), 1e-9);
}

// Variant 6 beside a wall: the upper cell has no east neighbour, but its
// column's bed cell has one, whose column gives the pressure at the cell's
// level.
TEST_F(SlopingPressure, LevelVariantTakesNeighbourFromBedCell) {
    const BoxGrid g = Box(3, 1, 3, {1.0, 1.0, 0.5});
    SetPressure([](double x, double, double z) { return -4.0 * x - 9810.0 * z; });
    const int c = g.cell(1, 0, 2);
    Ccelle[c] = 0;
    const double expected = -Careax[c] * -4.0;
    EXPECT_NEAR(ComputeLevelPressureGradient(1, c), Careax[c] * -4.0, 1e-9);
    EXPECT_NEAR(Force(6, 1)[c], expected, 1e-9);
    // Its W force is the first-order vertical difference.
    EXPECT_NEAR(Force(6, 3)[c], -(Pres[c] - Pres[Ccellb[c]]) * Fareaz[Csurft[c]], 1e-9);
}

}  // namespace
