#include <omp.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "solver/parallel_solver.h"
#include "solver/solver_data.h"
#include "tests/support/equation_fixture.h"

namespace {

using Values = std::vector<double>;

class ParallelSolverTest : public EquationTest {
protected:
    ParallelSolverTest() : threads_(omp_get_max_threads()) {
        omp_set_dynamic(0);
        Equation = 1;
    }
    ~ParallelSolverTest() override { omp_set_num_threads(threads_); }

    static Values Field(int first = FirstCell, int last = LastCell) {
        Values v;
        for (int c = first; c <= last; ++c) v.push_back(Cf[c]);
        return v;
    }
    static Values Work(int first = FirstCell, int last = LastCell) {
        Values v;
        for (int c = first; c <= last; ++c) v.push_back(Cwork[c]);
        return v;
    }
    static void SetField(const Values& v, int first = FirstCell) {
        for (size_t i = 0; i < v.size(); ++i) Cf[first + static_cast<int>(i)] = v[i];
    }

    // Solves the active range from `start` with F 164 `variant` on `threads` threads.
    static Values Solve(int variant, int threads, int sweeps, const Values& start) {
        SetField(start);
        SolverVariant = variant;
        omp_set_num_threads(threads);
        SolveEquationParallel(FirstCell, LastCell, sweeps);
        return Field();
    }

private:
    int threads_;
};

// Uneven, diagonally dominant coefficients on every side (also where the
// neighbour is missing) and a start field of no pattern.
Values MakeUnevenBox(int ni, int nj, int nk, bool far) {
    const BoxGrid g = MakeBoxGrid(ni, nj, nk, far);
    std::mt19937 rng(12345);
    std::uniform_real_distribution<double> u(0.1, 1.0);
    std::vector<Array1<double>*> sides = {&Cae, &Caw, &Can, &Cas, &Cat, &Cab};
    if (far) sides.insert(sides.end(), {&Caee, &Caww, &Cann, &Cass, &Catt, &Cabb});
    Values start;
    for (int c = 1; c <= g.cells(); ++c) {
        double sum = 0.0;
        for (Array1<double>* a : sides) sum += (*a)[c] = u(rng);
        Cap[c] = 1.05 * sum + u(rng);
        Csource[c] = u(rng) - 0.5;
        start.push_back(u(rng));
    }
    ConvectionScheme[1] = far ? 1 : 0;
    return start;
}

Values SineProfile(int n) {
    Values v;
    for (int k = 1; k <= n; ++k) v.push_back(std::sin(std::numbers::pi * k / (n + 1)));
    return v;
}

double MaxNorm(const Values& v) {
    double m = 0.0;
    for (double x : v) m = std::max(m, std::abs(x));
    return m;
}

constexpr int kThreadCounts[] = {1, 2, 3, 4, 16};

// Threads for comparing bits: 28 and 30 read cells that other threads are
// writing, so only on one thread are their results repeatable.
int ThreadsFor(int variant) { return variant == 28 || variant == 30 ? 1 : 3; }

// The lowest mode of a row of ten cells: one sweep of two Jacobi iterations
// scales it by cos^2(pi/11). Ten one-cell columns have no vertical links, so
// the hybrids are Jacobi across the columns and scale it alike.
TEST_F(ParallelSolverTest, JacobiSweepScalesTheLowestModeOfARow) {
    MakeChain(10, 0.0);
    const double factor = std::pow(std::cos(std::numbers::pi / 11), 2);
    for (int variant : {27, 29, 30, 31, 32, 33}) {
        for (int threads : kThreadCounts) {
            SCOPED_TRACE("F 164 " + std::to_string(variant) + ", " + std::to_string(threads) + " threads");
            NoThreads = threads;
            const Values start = SineProfile(10);
            const Values got = Solve(variant, threads, 1, start);
            for (int k = 0; k < 10; ++k) EXPECT_NEAR(got[k], factor * start[k], 1e-12) << "cell " << k + 1;
        }
    }
}

// Stood up as one column, the hybrids are symmetric Gauss-Seidel: the serial
// kernel's values to the bit, and its rate.
TEST_F(ParallelSolverTest, HybridsOnOneColumnAreSymmetricGaussSeidel) {
    MakeBoxGrid(1, 1, 10);
    for (int c = 1; c <= 10; ++c) {
        Cap[c] = 2.0;
        Cat[c] = Cab[c] = 1.0;
    }
    const Values start = SineProfile(10);
    SetField(start);
    SolveCellRange(1, 10, 40);
    const Values serial = Field();
    SolveCellRange(1, 10, 1);
    EXPECT_NEAR(MaxNorm(Field()) / MaxNorm(serial), 0.85892, 5e-6);

    struct Case {
        int variant, threads;
    };
    for (const Case& c : {Case{30, 1}, Case{31, 1}, Case{31, 4}, Case{32, 3}, Case{33, 16}}) {
        SCOPED_TRACE("F 164 " + std::to_string(c.variant) + ", " + std::to_string(c.threads) + " threads");
        NoThreads = c.threads;
        EXPECT_EQ(Solve(c.variant, c.threads, 40, start), serial);
    }
}

// On one thread block Gauss-Seidel and the serial fallback sweep as the
// serial kernel does; they differ from it only in the rounding of the sum
// and of the diagonal.
TEST_F(ParallelSolverTest, OneThreadGaussSeidelAndTheFallbackMatchTheSerialKernel) {
    const Values start = MakeUnevenBox(4, 3, 5, false);
    SetField(start);
    SolveCellRange(FirstCell, LastCell, 3);
    const Values serial = Field();

    // Variant 28 divides by Cap in the plain order of the terms; the serial
    // kernel sums them off its dependency chain and multiplies by 1/Cap.
    const Values block = Solve(28, 1, 3, start);
    const Values fallback = Solve(25, 4, 3, start);
    for (size_t i = 0; i < serial.size(); ++i) {
        EXPECT_NEAR(block[i], serial[i], 1e-13 * std::abs(serial[i]));
        EXPECT_NEAR(fallback[i], serial[i], 1e-13 * std::abs(serial[i]));
    }
}

// 27 and 29 are the same Jacobi iteration, and 31 to 33 the same hybrid as 30
// on one thread, whatever the threads and blocks: the same bits, in both
// forms, for 40 blocks (more than the limit table holds) and for columns
// taller than the vertical grid lines.
TEST_F(ParallelSolverTest, DeterministicVariantsGiveTheSameBitsOnAnyThreadCount) {
    struct Case {
        const char* name;
        bool far;
        int blocks, gridLinesZ;
    };
    const Case cases[] = {
        {"7-point", false, 0, 11},
        {"13-point", true, 0, 11},
        {"40 blocks", false, 40, 11},
        {"columns taller than the grid lines", false, 0, 3},
        {"13-point, tall columns, 40 blocks", true, 40, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ResetGlobals();
        Equation = 1;
        NoGridLinesZ = c.gridLinesZ;
        const Values start = MakeUnevenBox(5, 4, 9, c.far);
        const Values jacobi = Solve(27, 1, 3, start);
        NoThreads = 1;
        const Values hybrid = Solve(30, 1, 3, start);
        EXPECT_NE(jacobi, hybrid);
        for (int threads : {1, 2, 3, 4, 8}) {
            SCOPED_TRACE(std::to_string(threads) + " threads");
            NoThreads = c.blocks > 0 ? c.blocks : threads;
            EXPECT_EQ(Solve(27, threads, 3, start), jacobi);
            EXPECT_EQ(Solve(29, threads, 3, start), jacobi);
            for (int variant : {31, 32, 33}) EXPECT_EQ(Solve(variant, threads, 3, start), hybrid) << variant;
        }
    }
}

// Cwork outside the range is another solve's business: a sub-range reads Cf
// there, as the serial kernel does.
TEST_F(ParallelSolverTest, SubRangeIgnoresCworkOutsideTheRange) {
    for (bool far : {false, true}) {
        SCOPED_TRACE(far ? "13-point" : "7-point");
        const Values start = MakeUnevenBox(4, 3, 5, far);
        FirstCell = 16;  // columns 4 to 9 of 12, with neighbours on both sides
        LastCell = 45;
        NoThreads = 3;
        for (int variant : {25, 27, 28, 29, 30, 31, 32, 33}) {
            Values results[2];
            for (int i = 0; i < 2; ++i) {
                for (int c = 1; c <= NoCells; ++c) Cwork[c] = i == 0 ? 0.0 : 1e6;
                for (int c = 1; c <= NoCells; ++c) Cf[c] = start[c - 1];
                results[i] = Solve(variant, ThreadsFor(variant), 2, Field());
            }
            EXPECT_EQ(results[0], results[1]) << "F 164 " << variant;
        }
    }
}

// Which variant solves: the serial fallback fills CinvCap, the parallel
// variants leave it alone. 28 has no 13-point form; its fallback there is the
// 13-point Jacobi pair, which 27 computes too.
TEST_F(ParallelSolverTest, VariantTable) {
    struct Case {
        int variant;
        bool far, fallback;
    };
    std::vector<Case> cases = {{27, false, false}, {28, false, false}, {29, false, false}, {30, false, false},
                               {31, false, false}, {32, false, false}, {33, false, false}, {28, true, true},
                               {34, false, true},  {99, true, true}};
    for (int v = 21; v <= 26; ++v) cases.push_back({v, v % 2 == 0, true});
    for (const Case& c : cases) {
        SCOPED_TRACE("F 164 " + std::to_string(c.variant) + (c.far ? ", 13-point" : ", 7-point"));
        ResetGlobals();
        Equation = 1;
        const Values start = MakeUnevenBox(3, 2, 4, c.far);
        NoThreads = 2;
        const Values got = Solve(c.variant, 2, 2, start);
        EXPECT_EQ(CinvCap[5], c.fallback ? 1.0 / Cap[5] : 0.0);
        if (c.fallback) {
            SetField(start);
            if (c.far) {
                const Values jacobi = Solve(27, 1, 2, start);
                for (size_t i = 0; i < got.size(); ++i) EXPECT_NEAR(got[i], jacobi[i], 1e-13 * std::abs(jacobi[i]));
            } else {
                SolveCellRange(FirstCell, LastCell, 2);
                const Values serial = Field();
                for (size_t i = 0; i < got.size(); ++i) EXPECT_NEAR(got[i], serial[i], 1e-13 * std::abs(serial[i]));
            }
        }
    }
}

// No sweeps, no change (the hybrids still copy Cf into Cwork); but split
// faces on the fallback always make one pass pair, and otherwise as many as
// asked. F 137 on a grid without split sides changes nothing.
TEST_F(ParallelSolverTest, ZeroSweeps) {
    for (int variant : {25, 27, 28, 29, 30, 31, 32, 33}) {
        for (bool far : {false, true}) {
            SCOPED_TRACE("F 164 " + std::to_string(variant) + (far ? ", 13-point" : ", 7-point"));
            const Values start = MakeUnevenBox(3, 2, 4, far);
            for (int c = 0; c <= NoCells; ++c) Cwork[c] = -1.0;
            NoThreads = 2;
            EXPECT_EQ(Solve(variant, 2, 0, start), start);
            if (variant >= 30) {
                EXPECT_EQ(Work(), start);
            }
        }
    }

    const Values start = MakeUnevenBox(3, 2, 4, false);
    AllocateSplitFaces(2);  // every side an ordinary face (count 0)
    const Values plain0 = Solve(25, 2, 0, start), plain3 = Solve(25, 2, 3, start);
    SplitFaceFlag = 1;
    EXPECT_EQ(Solve(25, 2, 0, start), plain0);
    EXPECT_EQ(Solve(25, 2, 3, start), plain3);

    Cnocellsw[1] = -1;  // one split side: cell 1 takes nothing from the west
    const Values once = Solve(25, 2, 0, start);
    EXPECT_NE(once, start);
    EXPECT_EQ(Solve(25, 2, 1, start), once);
    Values repeated = start;
    for (int n = 0; n < 7; ++n) repeated = Solve(25, 2, 1, repeated);
    EXPECT_EQ(Solve(25, 2, 7, start), repeated);
    EXPECT_NE(repeated, once);

    // The pass pair is two Jacobi iterations: without the west term of cell
    // 1 it is the 13-point fallback's single sweep.
    Caw[1] = 0.0;
    SplitFaceFlag = 0;
    const Values jacobi = Solve(27, 1, 1, start);
    SplitFaceFlag = 1;
    const Values split = Solve(25, 2, 0, start);
    for (size_t i = 0; i < split.size(); ++i) EXPECT_NEAR(split[i], jacobi[i], 1e-13 * std::abs(split[i]));
}

// A fixed cell keeps its value, and slot 0 reads as 0 whatever other code
// left in it: a missing neighbour, and the far one behind it, add nothing.
TEST_F(ParallelSolverTest, FixedCellsAndMissingNeighbours) {
    for (bool far : {false, true}) {
        for (int variant : {25, 27, 28, 29, 30, 31, 32, 33}) {
            SCOPED_TRACE("F 164 " + std::to_string(variant) + (far ? ", 13-point" : ", 7-point"));
            const Values start = MakeUnevenBox(3, 3, 4, far);
            FixCell(17, 2.5);
            NoThreads = 3;
            Cf[0] = Cwork[0] = 0.0;
            const Values clean = Solve(variant, ThreadsFor(variant), 4, start);
            EXPECT_NEAR(clean[16], 2.5, 1e-14);
            Cf[0] = Cwork[0] = 1e6;
            EXPECT_EQ(Solve(variant, ThreadsFor(variant), 4, start), clean);
        }
    }
}

// Block limits: each inner entry at the top of its column, however tall, the
// last at the range's end; 40 blocks are capped at the table's 32, and G 50
// makes one block.
TEST_F(ParallelSolverTest, ColumnBlockLimits) {
    struct Case {
        const char* name;
        int columns, layers, first, last, variant, threads;
        std::vector<int> limits;
    };
    const std::vector<Case> cases = {
        {"33, 66 up to the column tops", 12, 10, 11, 110, 31, 3, {10, 50, 80, 110}},
        {"entries on column tops stay", 20, 5, 1, 100, 33, 4, {0, 25, 50, 75, 100}},
        {"16 blocks spread the remainder", 100, 1, 1, 100, 32, 2,
         {0, 6, 12, 18, 25, 31, 37, 43, 50, 56, 62, 68, 75, 81, 87, 93, 100}},
        {"fewer cells than blocks", 5, 1, 1, 5, 31, 8, {0, 0, 0, 0, 0, 0, 0, 0, 5}},
        {"one column", 1, 30, 1, 30, 31, 4, {0, 30, 30, 30, 30}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ResetGlobals();
        NoGridLinesZ = 3;  // columns taller than the grid lines still move to their tops
        MakeBoxGrid(c.columns, 1, c.layers);
        for (int cell = 1; cell <= NoCells; ++cell) Cap[cell] = 1.0;
        NoThreads = c.threads;
        SolverVariant = c.variant;
        SolveEquationParallel(c.first, c.last, 1);
        EXPECT_EQ(std::vector<int>(ColumnBlockLimits, ColumnBlockLimits + c.limits.size()), c.limits);
    }

    MakeBoxGrid(10, 1, 3);
    EXPECT_EQ(ColumnBlockLimitsFor(1, 30, 40, false), 32);
    EXPECT_EQ(ColumnBlockLimits[32], 30);
    NoThreads = 4;
    OpenMPSwitches[8] = 1;
    SolverVariant = 33;
    for (int cell = 1; cell <= NoCells; ++cell) Cap[cell] = 1.0;
    SolveEquationParallel(1, 30, 1);
    EXPECT_EQ(ColumnBlockLimits[0], 0);
    EXPECT_EQ(ColumnBlockLimits[1], 30);
}

// Threads take consecutive equal shares; late threads may get none.
TEST(ParallelShareTest, ThreadsTakeConsecutiveShares) {
    struct Case {
        int n, parts, part, begin, end;
    };
    const Case cases[] = {
        {16, 3, 0, 0, 6}, {16, 3, 1, 6, 12}, {16, 3, 2, 12, 16},  // variant 32 on three threads
        {10, 4, 0, 0, 3}, {10, 4, 3, 9, 10},                      // ten cells on four threads
        {10, 16, 9, 9, 10}, {10, 16, 10, 10, 10}, {10, 16, 15, 10, 10},
        {0, 4, 0, 0, 0},
    };
    for (const Case& c : cases) {
        const Share s = ShareOf(c.n, c.parts, c.part);
        EXPECT_EQ(s.begin, c.begin) << c.n << " " << c.parts << " " << c.part;
        EXPECT_EQ(s.end, c.end) << c.n << " " << c.parts << " " << c.part;
    }
}

}  // namespace
