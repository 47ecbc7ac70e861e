// Baroclinic forces from the temperature-dependent density of the water.
#include <cmath>
#include <numeric>
#include <string>
#include <vector>

#include "quality/quality_data.h"
#include "tests/flow/flow_case.h"

namespace {

class DensitySources : public FlowCase {
protected:
    // Three unit columns along x of four 0.25 m layers, at 10, 15 and 20
    // degrees from west to east.
    void SetUp() override {
        g_ = Box(3, 1, 4, {1.0, 1.0, 0.25});
        FirstCell = 1;
        LastCell = NoCells;
        NoComponents = 1;
        Components.release();
        ASSERT_TRUE(Components.allocate(1, static_cast<size_t>(NoCells) + 1));
        for (int c = 1; c <= NoCells; ++c) Components[0][c] = 10.0 + 5.0 * std::floor(Cxcenter[c]);
        TemperatureFlag = 1;
        StratificationFactor = 1.0;
        GridAlgorithm = 1200;
    }
    void TearDown() override {
        TemperatureFlag = 0;
        StratificationFactor = 0.0;
        F69Int1 = F69Int2 = 0;
        GridAlgorithm = 11;
        NoInitialProfilePoints = 0;
        TimeStep = 1e-20;
        NoComponents = 0;
        Components.release();
    }
    std::vector<double> Sources(int equation) {
        for (int c = 0; c <= NoCells; ++c) Csource[c] = Cap[c] = 0.0;
        Equation = equation;
        AddDensityPressureSources(3);
        return std::vector<double>(Csource.data(), Csource.data() + NoCells + 1);
    }
    // The cells of column i from the top down.
    std::vector<int> Column(int i) const {
        std::vector<int> cells;
        for (int k = 3; k >= 0; --k) cells.push_back(g_.cell(i, 0, k));
        return cells;
    }
    BoxGrid g_;
};

struct Method {
    const char* name;
    int f69first, f69second, gridAlgorithm;
};

// The middle column: -9810 * 0.125 * (rho20 - rho10) * (z - 0.5) N with z the
// depth of the centre, the upper water pushed towards the cold side; every
// method gives the same on level layers, and each column's forces add up to
// nothing.
TEST_F(DensitySources, BaroclinicForceOfLevelLayers) {
    const double drho = RelativeWaterDensity(20.0) - RelativeWaterDensity(10.0);
    EXPECT_NEAR(drho, 0.998201 - 0.999698, 2e-6);
    const Method methods[] = {
        {"level-wise, whole column", 0, 0, 1200}, {"level-wise, stopping", 1, 0, 0}, {"column mean", 2, 0, 11},
        {"column mean, scaled", 3, 0, 11},         {"depth-following", 0, 3, 11},
    };
    const double expected[] = {-0.688, -0.229, 0.229, 0.688};
    for (const Method& m : methods) {
        SCOPED_TRACE(m.name);
        F69Int1 = m.f69first;
        F69Int2 = m.f69second;
        GridAlgorithm = m.gridAlgorithm;
        const std::vector<double> u = Sources(1);
        const std::vector<int> middle = Column(1);
        for (int k = 0; k < 4; ++k) {
            const double z = 0.125 + 0.25 * k;
            EXPECT_NEAR(u[middle[k]], -9810.0 * 0.125 * drho * (z - 0.5), 1e-9) << "layer " << k;
            EXPECT_NEAR(u[middle[k]], expected[k], 1e-3) << "layer " << k;
        }
        for (int i = 0; i < 3; ++i) {
            double sum = 0.0, size = 0.0;
            for (const int c : Column(i)) {
                sum += u[c];
                size += std::fabs(u[c]);
            }
            EXPECT_GT(size, 1.0) << "column " << i;
            EXPECT_NEAR(sum, 0.0, 1e-12) << "column " << i;
        }
        // No force across the channel, none in W without the damping.
        const std::vector<double> v = Sources(2), w = Sources(3);
        for (int c = 1; c <= NoCells; ++c) {
            EXPECT_NEAR(v[c], 0.0, 1e-12);
            EXPECT_EQ(w[c], 0.0);
        }
    }
    // Another grid algorithm without F 69 selects no method; F 40 of 0
    // switches the forces off.
    F69Int1 = F69Int2 = 0;
    GridAlgorithm = 11;
    for (const double f : Sources(1)) EXPECT_EQ(f, 0.0);
    GridAlgorithm = 1200;
    StratificationFactor = 0.0;
    for (const double f : Sources(1)) EXPECT_EQ(f, 0.0);
}

TEST_F(DensitySources, UniformTemperatureGivesNothing) {
    for (int c = 1; c <= NoCells; ++c) Components[0][c] = 12.0;
    for (const Method& m : {Method{"level", 0, 0, 1200}, Method{"mean", 3, 0, 11}, Method{"depth", 0, 3, 11}}) {
        SCOPED_TRACE(m.name);
        F69Int1 = m.f69first;
        F69Int2 = m.f69second;
        GridAlgorithm = m.gridAlgorithm;
        for (const double f : Sources(1)) EXPECT_NEAR(f, 0.0, 1e-12);
    }
    // The level-sum of zero makes the column-mean scaling take its lower
    // limit instead of dividing by it: still nothing, and nothing undefined.
    F69Int1 = 3;
    for (const double f : Sources(2)) EXPECT_EQ(f, 0.0);
}

// Under F 64 0 a column stops at the first cell beside a neighbour at
// another level: that cell and the cells below get nothing, the cells above
// share their forces; the density gradients of the treated cells have a
// depth mean of zero.
TEST_F(DensitySources, LevelWiseStopsAtMismatchedLevels) {
    F69Int1 = 0;
    GridAlgorithm = 0;
    Czcenter[g_.cell(2, 0, 1)] -= 0.01;  // beside the third layer from the top
    for (Array1<double>* a : {&Cdrhodi, &Cdrhodj}) ASSERT_TRUE(a->allocate(static_cast<size_t>(NoCells) + 1));
    ASSERT_TRUE(Fdensgrad.allocate(static_cast<size_t>(NoSurfaces) + 1));
    Cdrhodi.fill(-7.0);
    const std::vector<double> u = Sources(1);
    const std::vector<int> middle = Column(1);
    EXPECT_NEAR(u[middle[0]] + u[middle[1]], 0.0, 1e-12);
    EXPECT_GT(std::fabs(u[middle[0]]), 0.1);
    EXPECT_EQ(u[middle[2]], 0.0);
    EXPECT_EQ(u[middle[3]], 0.0);
    EXPECT_EQ(Cdrhodi[middle[2]], -7.0);
    EXPECT_NEAR(Cdrhodi[middle[0]] + Cdrhodi[middle[1]], 0.0, 1e-12);
    EXPECT_NE(Cdrhodi[middle[0]], 0.0);
    EXPECT_NEAR(Fdensgrad[Csurfw[middle[0]]] + Fdensgrad[Csurfw[middle[1]]], 0.0, 1e-12);

    // The whole column under F 64 1200 regardless.
    GridAlgorithm = 1200;
    const std::vector<double> whole = Sources(1);
    EXPECT_NE(whole[middle[3]], 0.0);
}

// Depth-following beside a column whose centres lie 0.1 m lower under the
// same surface (its top cell is thicker): the levels of the middle column
// above the neighbour's top centre take the top cell's density, not that of
// the missing cell 0 (0 degrees here), so uniform water stays without force.
TEST_F(DensitySources, DepthFollowingAcrossOffsetLevels) {
    F69Int2 = 3;
    for (int c = 1; c <= NoCells; ++c) Components[0][c] = 12.0;
    Components[0][0] = 0.0;
    for (int k = 0; k < 4; ++k) Czcenter[g_.cell(2, 0, k)] -= 0.1;
    Ckdist[g_.cell(2, 0, 3)] += 0.1;
    for (const double f : Sources(1)) EXPECT_NEAR(f, 0.0, 1e-9);

    // With the temperatures rising along x the column's forces still add up
    // to nothing.
    for (int c = 1; c <= NoCells; ++c) Components[0][c] = 10.0 + 5.0 * std::floor(Cxcenter[c]);
    const std::vector<double> u = Sources(1);
    double sum = 0.0;
    for (const int c : Column(1)) {
        EXPECT_TRUE(std::isfinite(u[c]));
        sum += u[c];
    }
    EXPECT_NEAR(sum, 0.0, 1e-12);
    EXPECT_GT(std::fabs(u[Column(1)[0]]), 0.1);
}

// Stable stratification damps W: N from the densities above and below,
// a = Cvol dt N 9810, taken explicitly as far as it cancels the source, the
// rest on Cap. Unstable water and the steady time step get nothing.
TEST_F(DensitySources, VerticalDamping) {
    F69Int1 = 1;
    NoInitialProfilePoints = 1;
    TimeStep = 10.0;
    const std::vector<int> column = Column(0);
    for (int k = 0; k < 4; ++k) Components[0][column[k]] = 20.0 - 3.0 * k;  // warm water on top
    for (int c = 1; c <= NoCells; ++c) Cw[c] = 0.01;
    const auto rho = [](int c) { return RelativeWaterDensity(Components[0][c]); };
    const int p = column[1], above = column[0], below = column[2];
    const double n = -(rho(above) - rho(below)) / (Czcenter[above] - Czcenter[below]);
    ASSERT_GT(n, 0.0);
    const double a = Cvol[p] * 10.0 * n * 1000.0 * 9.81;

    for (int c = 0; c <= NoCells; ++c) Csource[c] = Cap[c] = 0.0;
    Equation = 3;
    Csource[p] = 0.4 * a * 0.01;  // cancels part of the damping force
    AddDensityPressureSources(3);
    EXPECT_NEAR(Csource[p], 0.0, 1e-9);
    EXPECT_NEAR(Cap[p], 0.6 * a, 1e-9 * a);
    Sources(3);
    EXPECT_NEAR(Cap[p], a, 1e-9 * a);
    // The top cell differs from the cell below it over its half heights.
    const double nTop = -(rho(above) - rho(p)) / (Ckdist[above] + Ckdist[p]);
    EXPECT_NEAR(Cap[above], Cvol[above] * 10.0 * nTop * 9810.0, 1e-9);
    // Columns of uniform temperature are not stratified.
    EXPECT_EQ(Cap[g_.cell(1, 0, 2)], 0.0);

    for (int k = 0; k < 4; ++k) Components[0][column[k]] = 10.0 + 3.0 * k;  // cold on top
    Sources(3);
    EXPECT_EQ(Cap[p], 0.0);
    TimeStep = 1e-20;
    for (int k = 0; k < 4; ++k) Components[0][column[k]] = 20.0 - 3.0 * k;
    Sources(3);
    EXPECT_LT(Cap[p], 1e-15);
    // Without profile points (G 40) there is no damping.
    TimeStep = 10.0;
    NoInitialProfilePoints = 0;
    Sources(3);
    EXPECT_EQ(Cap[p], 0.0);
}

}  // namespace
