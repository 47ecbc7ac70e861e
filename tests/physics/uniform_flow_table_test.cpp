// Uniform flow in straight rectangular channels with frictionless side walls
// (F 70 1: only the bed takes the wall law), run to convergence and held
// against the friction slope of the rough log law: with a rigid lid the
// pressure falls along the channel by it, with a free surface over a bed laid
// at that slope the surface falls by it. The closed form is the log-wake law
// integrated over the depth, U/u* = 2.5 ln(h/ks) + 6.0 + PI/kappa, and
// Sf = u*^2/(g h). The k-epsilon flow carries the outer wake of open-channel
// flow (Coles' PI about 0.2, 0.5 in U/u*): the bare log law (PI = 0) lies
// 3.5 to 7.8 % above the engine's friction slope from h/ks 500 to 20, and
// stays there under layer refinement (4, 8, 16, 32 layers: -6.4, -7.2, -7.8,
// -7.8 % at h/ks 20), so that gap is the model's, not the discretisation's.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <ostream>
#include <string>

#include "run/globals.h"
#include "tests/support/project_dir.h"
#include "tools/channel_project.h"

namespace {

constexpr double kG = 9.81;
constexpr double kDensity = 1000.0;
constexpr double kWake = 0.2;  // Coles' wake strength of open-channel flow

struct UniformRow {
    const char* name;
    double depthOverRoughness;  // h / ks
    bool roughWalls;            // false: F 70 1, only the bed takes the wall law
    bool freeSurface;           // false: rigid lid
};

void PrintTo(const UniformRow& row, std::ostream* os) { *os << row.name; }

constexpr double kDepth = 0.5, kWidth = 1.5, kSpeed = 1.0, kLength = 40.0;

double HydraulicRadius(bool roughWalls) { return roughWalls ? kDepth * kWidth / (kWidth + 2.0 * kDepth) : kDepth; }

double ClosedFormSlope(const UniformRow& row) {
    const double ks = kDepth / row.depthOverRoughness;
    const double r = HydraulicRadius(row.roughWalls);
    const double ustar = kSpeed / (2.5 * std::log(r / ks) + 6.0 + kWake / 0.4);
    return ustar * ustar / (kG * r);
}

class UniformFlowTable : public ::testing::TestWithParam<UniformRow> {
protected:
    void Run(const UniformRow& row) {
        const double ks = kDepth / row.depthOverRoughness;
        ChannelSpec spec;
        spec.columnsAlong = 40;
        spec.columnsAcross = row.roughWalls ? 3 : 1;
        spec.gridLinesZ = 9;
        spec.length = kLength;
        spec.width = kWidth;
        spec.depth = kDepth;
        spec.bedLevel = 10.0;
        spec.version = row.freeSurface ? 4 : 3;
        spec.discharge = kSpeed * kDepth * kWidth;
        spec.letters = "UW";
        char text[400];
        std::snprintf(text, sizeof text,
                      "F 16 %.6g\nF 202 2 %.6g\nF 24 0\nK 1 8000\nK 3 0.8 0.8 0.8 0.3 0.8 0.8\n"
                      "K 4 2 2 2 5 3 3\nK 5 0 0 0 1 0 0\n",
                      ks, ks);
        spec.extraControl = text;
        if (!row.roughWalls) spec.extraControl += "F 70 1\n";
        if (row.freeSurface) {
            spec.bedSlope = ClosedFormSlope(row);
            // The reference at the outlet; each update takes the whole level
            // correction (G 6), so that the surface has settled when the flow
            // converges, and updates every 20 iterations keep the epsilon
            // residual from stalling just above the limit.
            spec.extraControl += "F 36 2\nF 105 20\nG 6 0 0 0 1 10\nF 91 " +
                                 std::to_string(spec.columnsAlong + 1) + " 2\n";
        }
        spec_ = spec;
        ASSERT_TRUE(WriteChannelProject(dir_.path(), spec));
        status_ = dir_.runInProcess();
        log_ = dir_.read("boogie");
    }

    // Volume-weighted mean pressure of the cells whose centres lie within
    // half a column of x.
    static double SectionPressure(double x, double halfColumn) {
        double sum = 0.0, volume = 0.0;
        for (int c = 1; c <= NoCells; ++c) {
            if (std::fabs(Cxcenter[c] - x) > halfColumn) continue;
            sum += Pres[c] * Cvol[c];
            volume += Cvol[c];
        }
        return volume > 0.0 ? sum / volume : 0.0;
    }

    // Mean water level of node line i.
    static double LineLevel(int i) {
        double sum = 0.0;
        int n = 0;
        for (int j = 1; j <= NoGridLinesY; ++j) {
            if (Gridz[i][j][0] <= 0.0 && Gridz[i > 1 ? i : 2][j][0] <= 0.0) continue;
            sum += Gridz[i][j][NoGridLinesZ];
            ++n;
        }
        return n > 0 ? sum / n : 0.0;
    }

    ProjectDir dir_;
    ChannelSpec spec_;
    int status_ = 0;
    std::string log_;
};

TEST_P(UniformFlowTable, FrictionSlopeOfTheLogLaw) {
    const UniformRow& row = GetParam();
    Run(row);
    EXPECT_EQ(status_, 1) << log_;
    EXPECT_NE(log_.find("\nSolution converged\n"), std::string::npos)
        << log_.substr(log_.size() > 3000 ? log_.size() - 3000 : 0);
    const double expected = ClosedFormSlope(row);
    // Between x = 24 and 36 m, 48 to 72 depths from the inflow.
    const double x1 = 24.0, x2 = 36.0, column = kLength / spec_.columnsAlong;
    double slope;
    if (row.freeSurface) {
        const int i1 = static_cast<int>(std::lround(x1 / column)) + 1;
        const int i2 = static_cast<int>(std::lround(x2 / column)) + 1;
        slope = (LineLevel(i1) - LineLevel(i2)) / (x2 - x1);
    } else {
        slope = (SectionPressure(x1, 0.5 * column) - SectionPressure(x2, 0.5 * column)) / (kDensity * kG * (x2 - x1));
    }
    std::printf("%s: h/ks %.0f, slope %.4e, closed form %.4e (%+.1f %%), iterations %d\n", row.name,
                row.depthOverRoughness, slope, expected, 100.0 * (slope / expected - 1.0), Iter);
    EXPECT_NEAR(slope, expected, (row.freeSurface ? 0.05 : 0.03) * expected);
}

const UniformRow kUniformRows[] = {
    {"RigidLid20", 20.0, false, false},  {"RigidLid50", 50.0, false, false},   {"RigidLid100", 100.0, false, false},
    {"RigidLid200", 200.0, false, false}, {"RigidLid500", 500.0, false, false}, {"Surface20", 20.0, false, true},
    {"Surface100", 100.0, false, true},  {"Surface500", 500.0, false, true},
};

INSTANTIATE_TEST_SUITE_P(Channels, UniformFlowTable, ::testing::ValuesIn(kUniformRows),
                         [](const ::testing::TestParamInfo<UniformRow>& i) { return std::string(i.param.name); });

}  // namespace
