// Whole flows in the physics channel with the parallel equation solvers of
// F 164: the deterministic ones give the same result file on any thread
// count, and the ones that race at their chunk borders still converge to the
// serial solution.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "tests/physics/physics_channel.h"
#include "tests/support/project_dir.h"
#include "tools/channel_project.h"

namespace {

// The G 50 switches with the ninth set: the equation solver runs serially.
// Outer iterations of the runs that compare result files: enough for every
// equation's solution to have moved far from the start.
constexpr int kIterations = 20;

constexpr const char* kSerialSolver = "G 50 0 0 0 0 0 0 0 0 1 0\n";

struct Outcome {
    int status = 0;
    std::string cellsAndFaces;  // the "C" and "F" lines of `result`
    std::map<int, double> u;    // U of every cell
    std::string log;
};

// The channel with `iterations` outer iterations, F 206 `threads` and the
// extra data sets, run by the built engine.
Outcome RunChannel(int iterations, int threads, const std::string& extra) {
    ChannelSpec spec = PhysicsChannel(0.075);
    const std::string k1 = "K 1 3000\n";
    spec.extraControl.replace(spec.extraControl.find(k1), k1.size(), "K 1 " + std::to_string(iterations) + "\n");
    // Results at the last iteration (a numbered result file), or at convergence.
    spec.extraControl += "F 329 1\nP 10 " + std::to_string(iterations) + "\nF 206 " + std::to_string(threads) + "\n" + extra;
    ProjectDir dir;
    Outcome o;
    if (!WriteChannelProject(dir.path(), spec)) {
        ADD_FAILURE() << "cannot write the channel";
        return o;
    }
    // Threads that sleep while they wait keep a loaded machine usable.
    const EngineRun run = dir.run({"OMP_WAIT_POLICY=passive"});
    o.status = run.status;
    o.log = JoinLines(run.boogie);
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
        const std::string name = entry.path().filename().string();
        if (name.rfind("result", 0) == 0) names.push_back(name);
    }
    if (names.empty()) return o;
    std::sort(names.begin(), names.end());
    std::istringstream result(dir.read(names.back()));
    for (std::string line; std::getline(result, line);) {
        if (line.rfind("C ", 0) == 0) {
            std::istringstream fields(line.substr(2));
            int n = 0;
            double u = 0.0;
            fields >> n >> u;
            o.u[n] = u;
        }
        if (line.rfind("C ", 0) == 0 || line.rfind("F ", 0) == 0) o.cellsAndFaces += line + "\n";
    }
    return o;
}

// kIterations outer iterations: the serial solver's result file does not depend on the
// thread count of the rest of the iteration, and neither does that of the
// Jacobi (27, 29) and column-block hybrid (31 to 33) solvers; 27 and 29 are
// one method, 31 to 33 another.
TEST(ParallelSolverRuns, DeterministicVariantsMatchOnEveryThreadCount) {
    const int threadCounts[] = {1, 2, 4};
    const Outcome serial = RunChannel(kIterations, 1, std::string("F 164 0\n") + kSerialSolver);
    ASSERT_EQ(serial.status, 1) << serial.log;
    ASSERT_FALSE(serial.cellsAndFaces.empty()) << serial.log;
    for (int threads : {2, 4}) {
        EXPECT_EQ(RunChannel(kIterations, threads, std::string("F 164 0\n") + kSerialSolver).cellsAndFaces,
                  serial.cellsAndFaces)
            << "serial solver, F 206 " << threads;
    }

    std::map<int, std::string> first;
    for (int variant : {27, 29, 31, 32, 33}) {
        for (int threads : threadCounts) {
            SCOPED_TRACE("F 164 " + std::to_string(variant) + ", F 206 " + std::to_string(threads));
            const Outcome o = RunChannel(kIterations, threads, "F 164 " + std::to_string(variant) + "\n");
            ASSERT_EQ(o.status, 1) << o.log;
            EXPECT_EQ(o.log.find("SolveEquationParallel is not available"), std::string::npos) << o.log;
            EXPECT_EQ(o.log.find("diverged"), std::string::npos) << o.log;
            if (!first.count(variant)) first[variant] = o.cellsAndFaces;
            EXPECT_EQ(o.cellsAndFaces, first[variant]);
        }
    }
    EXPECT_EQ(first[27], first[29]);
    EXPECT_EQ(first[31], first[32]);
    EXPECT_EQ(first[31], first[33]);
    EXPECT_NE(first[27], first[31]);
    EXPECT_NE(first[27], serial.cellsAndFaces);
}

// Block Gauss-Seidel (28) and the hybrid on cell chunks (30) read cells that
// other threads are writing; on four threads they still converge to the flow
// of the serial solver.
TEST(ParallelSolverRuns, RacingVariantsConvergeToTheSerialFlow) {
    const Outcome serial = RunChannel(3000, 1, std::string("F 164 0\n") + kSerialSolver);
    ASSERT_NE(serial.log.find("Solution converged"), std::string::npos) << serial.log;
    // A cell in the middle of the channel, halfway up the middle column.
    const int probe = 1 + 4 + 8 * (1 + 3 * 8);
    ASSERT_GT(serial.u.at(probe), 0.1);
    for (int variant : {28, 30}) {
        SCOPED_TRACE("F 164 " + std::to_string(variant));
        const Outcome o = RunChannel(3000, 4, "F 164 " + std::to_string(variant) + "\n");
        EXPECT_NE(o.log.find("Solution converged"), std::string::npos) << o.log;
        EXPECT_NEAR(o.u.at(probe), serial.u.at(probe), 0.005 * serial.u.at(probe));
    }
}

}  // namespace
