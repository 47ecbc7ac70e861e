// Whole flows in the physics channel with the solver accelerations: the
// block correction, the 3D multigrid and the column TDMA of epsilon each
// reach the flow of the default solver, the first two in no more outer
// iterations; a grid whose level cells do not fit the F 65 sizes stops.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>

#include "flow/flow_data.h"
#include "run/run_state.h"
#include "tests/physics/physics_channel.h"
#include "tests/support/project_dir.h"
#include "tools/channel_project.h"

namespace {

// A cell in the middle of the channel, halfway up the middle column.
constexpr int kProbe = 1 + 4 + 8 * (1 + 3 * 8);

struct Outcome {
    int status = 0;
    int iterations = 0;
    double u = 0.0;
    std::string log;
};

Outcome RunWith(const std::string& control, const std::string& iterations = "3000") {
    ChannelSpec spec = PhysicsChannel(0.075);
    const std::string k1 = "K 1 3000\n";
    spec.extraControl.replace(spec.extraControl.find(k1), k1.size(), "K 1 " + iterations + "\n");
    spec.extraControl += control;
    ProjectDir dir;
    Outcome o;
    if (!WriteChannelProject(dir.path(), spec)) {
        ADD_FAILURE() << "cannot write the channel";
        return o;
    }
    o.status = dir.runInProcess();
    o.log = dir.read("boogie");
    const size_t at = o.log.rfind("Iter: ");
    o.iterations = at == std::string::npos ? 0 : std::atoi(o.log.c_str() + at + 6);
    if (NoCells > kProbe) o.u = Cu[kProbe];
    return o;
}

bool Converged(const Outcome& o) { return o.status == 1 && o.log.find("\nSolution converged\n") != std::string::npos; }

TEST(MultigridFlow, AcceleratedSolversReachTheDefaultFlow) {
    const Outcome plain = RunWith("");
    ASSERT_TRUE(Converged(plain)) << plain.log;
    ASSERT_GT(plain.u, 0.1);
    struct Case {
        const char* name;
        const char* control;
        bool noSlower;
    };
    for (const Case k : {Case{"block", "K 5 0 0 0 1 0 0\n", true},
                         Case{"multigrid", "F 168 2\nK 5 0 0 0 10 0 0\n", true},
                         Case{"multigrid_all", "F 168 1\nK 5 10 10 10 10 10 0\n", false},
                         Case{"epsilon_tdma", "F 186 1\n", false},
                         Case{"multigrid_columns", "F 168 2\nF 344 1\nK 5 0 0 0 10 0 0\n", false},
                         Case{"multigrid_lines", "F 168 2\nF 344 2\nK 5 0 0 0 10 0 0\n", false}}) {
        SCOPED_TRACE(k.control);
        const Outcome o = RunWith(k.control);
        EXPECT_TRUE(Converged(o)) << o.log;
        EXPECT_EQ(o.log.find("not available"), std::string::npos) << o.log;
        EXPECT_EQ(o.log.find("no TDMA work arrays"), std::string::npos) << o.log;
        EXPECT_NEAR(o.u, plain.u, 0.005 * plain.u);
        if (k.noSlower) {
            EXPECT_LE(o.iterations, plain.iterations);
        }
        RecordProperty(std::string("iterations_") + k.name, o.iterations);
    }
    RecordProperty("iterations_default", plain.iterations);
}

// 384 cells and 70 level cells (48 columns, then 16, 4 and 2).
TEST(MultigridFlow, LevelCellsBeyondTheCellSizesStopTheRun) {
    const Outcome small = RunWith("F 65 420 80000 50000 10000 1000\nF 168 1\n", "3");
    EXPECT_EQ(small.status, -1);
    EXPECT_NE(small.log.find("Error: Number of cells in the unstructured arrays are too small\n"
                             "when using the multi-grid solver, as it needs extra arrays. \n"
                             "Increase the array sizes on the F 65 data set.\n"
                             "Current value that needs increase: 420\n"),
              std::string::npos)
        << small.log;
    const Outcome enough = RunWith("F 65 455 80000 50000 10000 1000\nF 168 1\n", "3");
    EXPECT_EQ(enough.status, 1) << enough.log;
    EXPECT_EQ(MultigridLevels, 5);
}

}  // namespace
