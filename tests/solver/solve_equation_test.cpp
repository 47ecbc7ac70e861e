#include <omp.h>

#include <algorithm>
#include <cmath>
#include <mutex>
#include <ostream>
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "flow/face_interpolation.h"
#include "tests/support/equation_fixture.h"

namespace {

struct Call {
    std::string kernel;
    int first, last, sweeps;
    bool operator<(const Call& o) const {
        return std::tie(kernel, first, last, sweeps) < std::tie(o.kernel, o.first, o.last, o.sweeps);
    }
    bool operator==(const Call& o) const = default;
};

void PrintTo(const Call& c, std::ostream* os) {
    *os << c.kernel << "(" << c.first << ".." << c.last << ", " << c.sweeps << ")";
}

std::mutex g_mutex;
std::vector<Call> g_calls;
std::vector<int> g_blockThreads;  // the thread that solved each block, by block number

// Empty blocks of the split do nothing; the spies leave them out.
void Record(const char* kernel, int first, int last, int sweeps) {
    if (last < first) return;
    std::lock_guard<std::mutex> lock(g_mutex);
    g_calls.push_back({kernel, first, last, sweeps});
}
void SpySerial(int f, int l, int n) { Record("serial", f, l, n); }
void SpyMulti(int f, int l, int n) { Record("multi", f, l, n); }
void SpyParallel(int f, int l, int n) { Record("parallel", f, l, n); }
void SpyBlock(int f, int l, int n) {
    Record("block", f, l, n);
    std::lock_guard<std::mutex> lock(g_mutex);
    g_blockThreads.push_back(omp_get_thread_num() * 1000 + f);
}
void SpyMultiBlock(int f, int l, int n) { Record("multi block", f, l, n); }

class SolveEquationTest : public EquationTest {
protected:
    SolveEquationTest() {
        MakeBoxGrid(10, 1, 1);
        Equation = 1;
        g_calls.clear();
        g_blockThreads.clear();
        SolverKernels = {SpySerial, SpyMulti, SpyParallel, SpyBlock, SpyMultiBlock};
    }
    std::vector<Call> calls() const {
        std::vector<Call> c = g_calls;
        std::sort(c.begin(), c.end());
        return c;
    }
};

struct DispatchCase {
    const char* name;
    void (*setup)();
    std::vector<Call> expected;
    bool fiveFields = false;  // the fast driver's request for its five-field solve
};

TEST_F(SolveEquationTest, ChoosesTheKernelInOrder) {
    const std::vector<DispatchCase> cases = {
        {"defaults", [] {}, {{"serial", 1, 10, 1}}},
        {"pressure correction gets three times K 4", [] { Equation = 4; }, {{"serial", 1, 10, 15}}},
        {"uniform sweeps", [] { Equation = 4; UniformSweepsFlag = 1; }, {{"serial", 1, 10, 5}}},
        {"K 4 of the equation", [] { Equation = 6; SolverSweeps[6] = 7; }, {{"serial", 1, 10, 7}}},
        {"layer block appended", [] { LayerBlockOption = 2; SolverVariant = 21; NoThreads = 3; },
         {{"serial", 1, 10, 1}}},
        {"layer block is block 1",
         [] {
             LayerBlockOption = 1;
             NoThreads = 3;
             BlockTable[1].firstCell = 3;
             BlockTable[1].lastCell = 6;
         },
         {{"serial", 3, 6, 1}}},
        {"F 164 above 20 without threads", [] { SolverVariant = 21; }, {{"parallel", 1, 10, 1}}},
        {"F 164 above 20 with threads", [] { SolverVariant = 21; NoThreads = 3; }, {{"parallel", 1, 10, 1}}},
        {"F 164 of 20 stays serial", [] { SolverVariant = 20; }, {{"serial", 1, 10, 1}}},
        // The fast driver's pressure correction and components solve Cf;
        // only its requested five-field solve sweeps CfMulti.
        {"fast solver, single field", [] { FastSolverFlag = 1; }, {{"serial", 1, 10, 1}}},
        {"fast solver, five fields", [] { FastSolverFlag = 1; }, {{"multi", 1, 10, 1}}, true},
        {"fast solver, five fields in thread blocks", [] { FastSolverFlag = 1; NoThreads = 4; },
         {{"multi block", 1, 2, 1}, {"multi block", 3, 4, 1}, {"multi block", 5, 6, 1}, {"multi block", 7, 10, 1}},
         true},
        {"fast solver, five fields, G 50 makes the solver serial",
         [] { FastSolverFlag = 1; NoThreads = 4; OpenMPSwitches[8] = 1; }, {{"multi", 1, 10, 1}}, true},
        {"fast solver, five fields, F 164 above 20", [] { FastSolverFlag = 1; NoThreads = 4; SolverVariant = 21; },
         {{"multi", 1, 10, 1}}, true},
        {"fast solver, five fields, layer block", [] { FastSolverFlag = 1; NoThreads = 4; LayerBlockOption = 2; },
         {{"multi", 1, 10, 1}}, true},
        {"fast solver, G 50 makes the solver serial", [] { FastSolverFlag = 1; OpenMPSwitches[8] = 1; },
         {{"serial", 1, 10, 1}}},
        {"fast solver F 170 = 2 without threads", [] { FastSolverFlag = 2; }, {{"serial", 1, 10, 1}}},
        {"threads, G 50 makes the solver serial", [] { NoThreads = 3; OpenMPSwitches[8] = 1; },
         {{"serial", 1, 10, 1}}},
        {"negative F 206 is serial", [] { NoThreads = -2; }, {{"serial", 1, 10, 1}}},
        {"negative F 206 with the fast solver", [] { NoThreads = -2; FastSolverFlag = 1; }, {{"multi", 1, 10, 1}}, true},
        {"thread blocks", [] { NoThreads = 3; }, {{"block", 1, 3, 1}, {"block", 4, 6, 1}, {"block", 7, 10, 1}}},
        {"thread blocks with the fast solver, single field", [] { NoThreads = 4; FastSolverFlag = 1; },
         {{"block", 1, 2, 1}, {"block", 3, 4, 1}, {"block", 5, 6, 1}, {"block", 7, 10, 1}}},
        {"more threads than cells", [] { NoThreads = 20; }, {{"block", 1, 10, 1}}},
        {"thread blocks of an active range",
         [] {
             NoThreads = 2;
             FirstCell = 4;
             LastCell = 8;
         },
         {{"block", 4, 5, 1}, {"block", 6, 8, 1}}},
        {"empty range in thread blocks",
         [] {
             NoThreads = 3;
             FirstCell = 10;
             LastCell = 1;
         },
         {}},
    };
    for (const DispatchCase& c : cases) {
        SCOPED_TRACE(c.name);
        ResetGlobals();
        MakeBoxGrid(10, 1, 1);
        Equation = 1;
        g_calls.clear();
        c.setup();
        if (c.fiveFields) {
            SolveFiveFields();
        } else {
            SolveEquation();
        }
        std::vector<Call> expected = c.expected;
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(calls(), expected);
    }
}

TEST_F(SolveEquationTest, ThreadsTakeConsecutiveBlocks) {
    omp_set_num_threads(2);
    NoThreads = 4;
    FirstCell = 1;
    // Enough cells to feed both threads (the spies touch no cell).
    const int block = 2 * kItemsPerThread;
    LastCell = 4 * block;
    SolveEquation();
    std::vector<int> seen = g_blockThreads;
    std::sort(seen.begin(), seen.end());
    // thread 0: blocks 0 and 1; thread 1: blocks 2 and 3.
    EXPECT_EQ(seen, (std::vector<int>{1, 1 + block, 1000 + 1 + 2 * block, 1000 + 1 + 3 * block}));
}

TEST_F(SolveEquationTest, FewCellsTakeAllBlocksOnOneThread) {
    omp_set_num_threads(4);
    NoThreads = 4;
    FirstCell = 1;
    LastCell = 8;
    SolveEquation();
    std::vector<int> seen = g_blockThreads;
    std::sort(seen.begin(), seen.end());
    // The same four blocks as on four threads, all on thread 0.
    EXPECT_EQ(seen, (std::vector<int>{1, 3, 5, 7}));
}

TEST_F(SolveEquationTest, ZeroSweepsLeaveTheFieldUnchanged) {
    SolverKernels = kEquationKernels;
    MakeChain(10, 1.0);
    for (int c = 1; c <= 10; ++c) Cf[c] = c;
    SolverSweeps[1] = 0;
    for (int threads : {0, 3}) {
        NoThreads = threads;
        SolveEquation();
        for (int c = 1; c <= 10; ++c) EXPECT_EQ(Cf[c], c) << "NoThreads " << threads << ", cell " << c;
    }
}

// A variant without a parallel solver of its own is solved serially, with the
// stored reciprocal of Cap, and nothing is logged.
TEST_F(SolveEquationTest, OtherParallelVariantsSolveSerially) {
    SolverKernels = kEquationKernels;
    MakeChain(10, 1.0);
    Cap[4] = 3.0;
    SolverVariant = 21;
    SolveEquation();
    SolveEquation();
    std::vector<double> parallel;
    for (int c = 1; c <= 10; ++c) parallel.push_back(Cf[c]);

    for (int c = 1; c <= 10; ++c) Cf[c] = 0.0;
    SolveCellRange(1, 10, 1);
    SolveCellRange(1, 10, 1);
    for (int c = 1; c <= 10; ++c) EXPECT_NEAR(parallel[c - 1], Cf[c], 1e-13 * std::abs(Cf[c])) << "cell " << c;
    EXPECT_EQ(log(), "");
}

}  // namespace
