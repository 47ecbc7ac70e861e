// The pressure correction, the SIMPLE corrections and the turbulence
// equations of a pass of WaterSolve, on the channel read inside the test
// process and end to end.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "drivers/flow_drivers.h"
#include "grid/grid_services.h"
#include "run/globals.h"
#include "tests/drivers/water_solve_case.h"
#include "tests/support/project_dir.h"

namespace {

// The inflow discharge of the channel, as a mass flux.
constexpr double kInflowMass = 0.25 * 1000.0;

class PressureCorrectionCase : public WaterSolveCase {
protected:
    // The mass flux through each cross-section between neighbouring columns
    // along the channel (4 columns along, 3 cells a column, columns numbered
    // along the channel first), taken eastwards.
    static std::vector<double> CrossSectionFluxes() {
        const auto along = [](int c) { return ((c - 1) / 3) % 4; };
        std::vector<double> sections(3, 0.0);
        for (int s = 1; s <= NoSurfaces; ++s) {
            const int c1 = Fcell1[s], c2 = Fcell2[s];
            if (c1 <= 0 || c2 <= 0 || along(c1) == along(c2)) continue;
            const int west = std::min(along(c1), along(c2));
            sections[static_cast<size_t>(west)] += along(c1) == west ? Fflux[s] : -Fflux[s];
        }
        return sections;
    }

    static std::vector<double> FlowState() {
        std::vector<double> values;
        for (int c = 1; c <= NoCells; ++c) {
            for (const Array1<double>* a : {&Cu, &Cv, &Cw, &Pres, &Ck, &Cepsilon}) values.push_back((*a)[c]);
        }
        for (int s = 1; s <= NoSurfaces; ++s) values.push_back(Fflux[s]);
        return values;
    }
};

class ChannelConvergence : public PressureCorrectionCase, public ::testing::WithParamInterface<int> {};

TEST_P(ChannelConvergence, FlowBecomesDivergenceFree) {
    const int threads = GetParam();
    // The chunked solver sweeps race by design, so several threads converge a
    // little more slowly, the more so on a busy machine: they get more passes.
    const std::string iterations = threads > 1 ? "K 1 80\n" : "K 1 40\n";
    ASSERT_NO_FATAL_FAILURE(Start(iterations + (threads > 0 ? "F 206 " + std::to_string(threads) + "\n" : std::string())));
    EngineCall call = Solve();
    ASSERT_FALSE(call.ended) << call.log;
    for (double f : CrossSectionFluxes()) EXPECT_NEAR(f, kInflowMass, 0.001 * kInflowMass);
    EXPECT_LT(DefMax, 1e-3 * kInflowMass);
    EXPECT_GE(DefMaxCell, 1);
    for (int eq = 1; eq <= 6; ++eq) {
        EXPECT_TRUE(std::isfinite(MaxResidual[eq])) << eq;
        EXPECT_LT(MaxResidual[eq], 1e-2) << eq;
    }
    for (int c = 1; c <= NoCells; ++c) {
        ASSERT_TRUE(std::isfinite(Pres[c]) && std::isfinite(Ck[c]) && std::isfinite(Cepsilon[c])) << c;
        EXPECT_GT(Ck[c], 0.0) << c;
        EXPECT_GT(Cepsilon[c], 0.0) << c;
    }
    // The corrections are measured from the last cell of the grid.
    EXPECT_DOUBLE_EQ(CfHome[NoCells], -0.001);
    EXPECT_EQ(Equation, 6);
}

INSTANTIATE_TEST_SUITE_P(Threads, ChannelConvergence, ::testing::Values(0, 4),
                         [](const ::testing::TestParamInfo<int>& i) { return "F206_" + std::to_string(i.param); });

TEST_F(PressureCorrectionCase, SerialOneAndFourThreadsGiveTheSameFlow) {
    std::vector<double> one;
    for (const char* threads : {"", "F 206 1\n", "F 206 4\n"}) {
        ASSERT_NO_FATAL_FAILURE(Start(std::string("K 1 5\n") + threads));
        EngineCall call = Solve();
        ASSERT_FALSE(call.ended) << call.log;
        if (one.empty()) {
            one = FlowState();
            continue;
        }
        const std::vector<double> four = FlowState();
        ASSERT_EQ(four.size(), one.size());
        for (size_t k = 0; k < one.size(); ++k) EXPECT_NEAR(four[k], one[k], 1e-9 * (1.0 + std::fabs(one[k]))) << k;
    }
}

TEST_F(PressureCorrectionCase, SnapshotsAreCaptionedByPassOnlyAfterTheStartIteration) {
    ASSERT_NO_FATAL_FAILURE(Start("K 1 5\nF 33 1000 2\nP 15 5\n"));
    EngineCall call = Solve();
    ASSERT_FALSE(call.ended) << call.log;
    EXPECT_STREQ(ResultTitle, "");
    ASSERT_NO_FATAL_FAILURE(Start("K 1 6\nF 33 1000 2\nP 15 5\n"));
    call = Solve();
    ASSERT_FALSE(call.ended) << call.log;
    EXPECT_STREQ(ResultTitle, "After SIMPLE-corrections 2");
}

TEST_F(PressureCorrectionCase, TurbulenceModelSixKeepsTheTurbulenceResiduals) {
    ASSERT_NO_FATAL_FAILURE(Start("K 1 2\nF 24 6\n"));
    MaxResidual[5] = 0.125;
    MaxResidual[6] = 1e-95;
    EngineCall call = Solve();
    ASSERT_FALSE(call.ended) << call.log;
    EXPECT_EQ(MaxResidual[5], 0.125);
    // Below 1e-90 a residual counts as none.
    EXPECT_EQ(MaxResidual[6], 0.0);
}

}  // namespace
