// Whole channel flows under the further momentum sources, held against the
// balances they must reach: the weight of the water against the vertical
// pressure difference, a uniform drive against the pressure gradient, the
// Coriolis force against the cross-channel slope, and the wind against the
// set-up of a closed basin.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "run/globals.h"
#include "tests/physics/physics_channel.h"
#include "tests/support/project_dir.h"
#include "tools/channel_project.h"

namespace {

std::string Figure(double v) {
    char text[32];
    std::snprintf(text, sizeof text, "%.5g", v);
    return text;
}

class MomentumForceFlow : public ::testing::Test {
protected:
    void Run(const ChannelSpec& spec) {
        ASSERT_TRUE(WriteChannelProject(dir_.path(), spec));
        status_ = dir_.runInProcess();
        log_ = dir_.read("boogie");
    }
    void ExpectConverged() const {
        EXPECT_EQ(status_, 1) << log_;
        EXPECT_NE(log_.find("\nSolution converged\n"), std::string::npos) << log_;
        EXPECT_EQ(log_.find("is not available in this build"), std::string::npos) << log_;
    }

    // The cells of the column whose centre lies nearest to (x, y), from the
    // bed up.
    static std::vector<int> ColumnNear(double x, double y) {
        std::vector<int> cells;
        for (int c = BedCellNear(x, y); c > 0 && cells.size() <= static_cast<size_t>(NoCells); c = Ccellt[c]) {
            cells.push_back(c);
        }
        return cells;
    }
    static double MeanPressure(const std::vector<int>& column) {
        double sum = 0.0;
        for (const int c : column) sum += Pres[c];
        return column.empty() ? 0.0 : sum / static_cast<double>(column.size());
    }
    static double LargestVelocity() {
        double largest = 0.0;
        for (int c = 1; c <= NoCells; ++c) {
            largest = std::max({largest, std::fabs(Cu[c]), std::fabs(Cv[c]), std::fabs(Cw[c])});
        }
        return largest;
    }

    ProjectDir dir_;
    int status_ = 0;
    std::string log_;
};

// A closed basin: no discharge, the residual references of their own, k and
// epsilon starting small. The bed is level: the channel's surface follows
// its bed, and a tilted lid over water that starts hydrostatic below it is
// not at rest (the sloping grid lines are held at rest on their own, with a
// level surface, by the pressure-force tests).
ChannelSpec StillChannel(const std::string& control) {
    ChannelSpec spec = PhysicsChannel(0.0);
    spec.extraControl = "K 1 100\nF 200 2 1e-5 1e-6 0.1 10\n" + control;
    return spec;
}

// The weight of the water in W (F 181 1): the pressure of every column grows
// hydrostatically from the top cell to the bed cell, 9810 * 7 * 0.03125 Pa.
TEST_F(MomentumForceFlow, WeightOfTheWaterMakesThePressureHydrostatic) {
    ChannelSpec spec = PhysicsChannel(0.075);
    spec.extraControl += "F 181 1\n";
    Run(spec);
    ExpectConverged();
    const double expected = 9810.0 * 7 * 0.03125;
    double worst = 0.0;
    for (const double x : {1.5, 7.5, 14.5}) {
        for (const double y : {0.25, 0.75, 1.25}) {
            const std::vector<int> column = ColumnNear(x, y);
            ASSERT_EQ(column.size(), 8u);
            const double rise = Pres[column.front()] - Pres[column.back()];
            EXPECT_NEAR(rise, expected, 0.01 * expected) << "column at " << x << ", " << y;
            worst = std::max(worst, std::fabs(rise - expected) / expected);
        }
    }
    RecordProperty("hydrostatic_worst_deviation", Figure(worst));
}

// Still water carrying its weight stays at rest under the pressure variants
// for sloping grid lines. The angle variants (4, 7) keep the engine's rounded
// right angle, which turns the vertical gradient into a horizontal force of
// 9810 * 7.9e-10 N/m3 that the run leaves as velocities of about 1e-4 m/s
// (how much depends on the eddy viscosity the wall laws leave); with the exact
// angle they stay below 1e-6 m/s like the others.
TEST_F(MomentumForceFlow, StillWaterWithItsWeightStaysAtRest) {
    struct Variant {
        const char* control;
        double bound;
    };
    for (const Variant v : {Variant{"4", 3e-4}, Variant{"6", 1e-6}, Variant{"7", 3e-4}, Variant{"8\nF 355 0 1", 1e-6}}) {
        SCOPED_TRACE(std::string("F 114 ") + v.control);
        Run(StillChannel(std::string("F 181 1\nF 114 ") + v.control + "\n"));
        EXPECT_EQ(status_, 1) << log_;
        EXPECT_EQ(log_.find("diverged"), std::string::npos) << log_;
        const double largest = LargestVelocity();
        EXPECT_LT(largest, v.bound);
        RecordProperty(std::string("still_largest_velocity_") + v.control[0], Figure(largest));
    }
}

// A surface tilted by 0.001 drives every cell with 9.81 N/m3 (F 135): the
// pressure gradient takes it up, 78.5 Pa over the 8 m between the columns at
// x = 3.5 and 11.5 m, and the flow stays as it was.
TEST_F(MomentumForceFlow, SurfaceSlopeDriveIsTakenByThePressure) {
    ChannelSpec spec = PhysicsChannel(0.075);
    spec.bedSlope = 0.001;
    Run(spec);
    ExpectConverged();
    const std::vector<double> u(Cu.data(), Cu.data() + NoCells + 1);
    const double before = MeanPressure(ColumnNear(11.5, 0.75)) - MeanPressure(ColumnNear(3.5, 0.75));

    spec.extraControl += "F 135 1\n";
    Run(spec);
    ExpectConverged();
    double largest = 0.0, worst = 0.0;
    for (int c = 1; c <= NoCells; ++c) {
        largest = std::max(largest, std::fabs(u[c]));
        worst = std::max(worst, std::fabs(Cu[c] - u[c]));
    }
    EXPECT_LT(worst, 0.005 * largest);
    const double after = MeanPressure(ColumnNear(11.5, 0.75)) - MeanPressure(ColumnNear(3.5, 0.75));
    EXPECT_NEAR(after - before, 78.48, 0.02 * 78.48);
    RecordProperty("slope_pressure_rise", Figure(after - before));
    RecordProperty("slope_velocity_change", Figure(worst / largest));
}

// Flow in +x with f = 0.01/s: the pressure on the right (south) bank exceeds
// that on the left by rho f U dy = 1000 * 0.01 * 0.2 * 1.0 = 2 Pa.
TEST_F(MomentumForceFlow, CoriolisForceTiltsTheCrossSection) {
    ChannelSpec spec = PhysicsChannel(0.075);
    spec.extraControl += "F 51 0.01\n";
    Run(spec);
    ExpectConverged();
    const double difference = MeanPressure(ColumnNear(7.5, 0.25)) - MeanPressure(ColumnNear(7.5, 1.25));
    EXPECT_NEAR(difference, 2.0, 0.2);
    RecordProperty("geostrophic_difference", Figure(difference));
}

// Wind of 10 m/s along a closed basin (F 73 1: 0.132 N/m2): the pressure
// rises downwind by the wind stress and the return flow's bed stress over the
// depth, and the water moves downwind at the top and back at the bed. The
// turbulence starts from larger values (F 200) than in still water: the
// wind stirs the basin from the first iteration.
TEST_F(MomentumForceFlow, WindSetsUpAClosedBasin) {
    ChannelSpec spec = PhysicsChannel(0.0);
    spec.extraControl = "K 1 3000\nK 3 0.8 0.8 0.8 0.3 0.7 0.7\nK 4 2 2 2 10 3 3\nF 16 0.01\n"
                        "F 200 2 0.01 1e-4 0.1 10\nF 52 10 1 0\nF 73 1\n";
    Run(spec);
    ExpectConverged();
    const double rise = MeanPressure(ColumnNear(11.5, 0.75)) - MeanPressure(ColumnNear(3.5, 0.75));
    EXPECT_GE(rise, 4.2);
    EXPECT_LE(rise, 6.3);
    RecordProperty("wind_setup", Figure(rise));
    const std::vector<int> middle = ColumnNear(7.5, 0.75);
    EXPECT_GT(Cu[middle.back()], 0.0);
    EXPECT_LT(Cu[middle.front()], 0.0);
}

}  // namespace
