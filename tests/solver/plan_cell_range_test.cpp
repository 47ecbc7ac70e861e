// Sweeps over a range of sideways-linked cells: the serial forms, split faces
// and the two parallel variants.
#include <omp.h>

#include <cmath>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "run/params_f100.h"
#include "run/params_f150.h"
#include "run/params_k.h"
#include "solver/solver_data.h"
#include "tests/support/equation_fixture.h"

namespace {

using Values = std::vector<double>;

class PlanCellRange : public EquationTest {
protected:
    PlanCellRange() : threads_(omp_get_max_threads()) {
        omp_set_dynamic(0);
        Equation = 4;
    }
    ~PlanCellRange() override { omp_set_num_threads(threads_); }

    // A plan of ni x nj cells with uneven, diagonally dominant coefficients
    // on every side and a start field of no pattern.
    Values MakePlan(int ni, int nj, bool far) {
        g_ = MakeBoxGrid(ni, nj, 1, far);
        std::mt19937 rng(777);
        std::uniform_real_distribution<double> u(0.1, 1.0);
        std::vector<Array1<double>*> sides = {&Cae, &Caw, &Can, &Cas};
        if (far) sides.insert(sides.end(), {&Caee, &Caww, &Cann, &Cass});
        Values start;
        for (int c = 1; c <= g_.cells(); ++c) {
            double sum = 0.0;
            for (Array1<double>* a : sides) sum += (*a)[c] = u(rng);
            Cap[c] = 1.02 * sum + 0.1 * u(rng);
            Csource[c] = u(rng) - 0.5;
            start.push_back(u(rng));
        }
        ConvectionScheme[Equation] = far ? 1 : 0;
        return start;
    }

    static Values Solve(int variant, int threads, int sweeps, const Values& start, int first, int last) {
        for (size_t i = 0; i < start.size(); ++i) Cf[1 + static_cast<int>(i)] = start[i];
        SolverVariant = variant;
        omp_set_num_threads(threads);
        SolvePlanCellRange(first, last, sweeps);
        Values v;
        for (int c = 1; c <= static_cast<int>(start.size()); ++c) v.push_back(Cf[c]);
        return v;
    }

    // Largest |Cap f - sum - source| over the cells, in the 5-point or far form.
    static double Residual(int cells, bool far) {
        double worst = 0.0;
        for (int c = 1; c <= cells; ++c) {
            const int e = Ccelle[c], w = Ccellw[c], n = Ccelln[c], s = Ccells[c];
            double sum = Cae[c] * Cf[e] + Caw[c] * Cf[w] + Can[c] * Cf[n] + Cas[c] * Cf[s] + Csource[c];
            if (far) sum += Caee[c] * Cf[Ccelle[e]] + Caww[c] * Cf[Ccellw[w]] + Cann[c] * Cf[Ccelln[n]] + Cass[c] * Cf[Ccells[s]];
            worst = std::max(worst, std::fabs(Cap[c] * Cf[c] - sum));
        }
        return worst;
    }

    BoxGrid g_;

private:
    int threads_;
};

TEST_F(PlanCellRange, SerialSweepsSolveTheNearAndTheFarForm) {
    for (const bool far : {false, true}) {
        SCOPED_TRACE(far ? "far" : "near");
        const Values start = MakePlan(7, 5, far);
        Solve(0, 1, 400, start, 1, 35);
        EXPECT_LT(Residual(35, far), 1e-12);
    }
}

TEST_F(PlanCellRange, SweepCountZeroLeavesTheFieldAndAnIsolatedCellTakesItsSource) {
    const Values start = MakePlan(4, 4, false);
    EXPECT_EQ(Solve(0, 1, 0, start, 1, 16), start);
    EXPECT_EQ(Solve(27, 2, 0, start, 1, 16), start);
    // Cell 6 cut loose from its neighbours, whatever its coefficients say.
    Ccelle[6] = Ccellw[6] = Ccelln[6] = Ccells[6] = 0;
    const Values v = Solve(0, 1, 1, start, 6, 6);
    EXPECT_DOUBLE_EQ(v[5], Csource[6] / Cap[6]);
}

// Jacobi in one region: the same bits on any thread count, and the same as
// the half-step regions of variant 29 on a range long enough for them.
TEST_F(PlanCellRange, JacobiVariantsAgreeBitForBitOnAnyThreadCount) {
    for (const bool far : {false, true}) {
        SCOPED_TRACE(far ? "far" : "near");
        const Values start = MakePlan(20, 20, far);
        const Values one = Solve(27, 1, 5, start, 1, 400);
        EXPECT_EQ(Solve(27, 4, 5, start, 1, 400), one);
        EXPECT_EQ(Solve(27, 3, 5, start, 1, 400), one);
        EXPECT_NE(Solve(0, 1, 5, start, 1, 400), one);
        if (!far) {
            EXPECT_EQ(Solve(29, 4, 5, start, 1, 400), one);
        }
    }
}

// Variants 29, 30 and 33 split a range into half-step regions only beyond
// 301 cells and only in the near form; otherwise the range is solved serially.
TEST_F(PlanCellRange, HalfStepsOnlyForRangesOfMoreThan301Cells) {
    struct Case {
        int variant, last;
        bool far, halfSteps;
    };
    for (const Case k : {Case{29, 301, false, false}, Case{29, 302, false, true}, Case{30, 302, false, true},
                         Case{33, 302, false, true}, Case{29, 302, true, false}, Case{31, 302, false, false}}) {
        SCOPED_TRACE(testing::Message() << "variant " << k.variant << " last " << k.last << " far " << k.far);
        const Values start = MakePlan(20, 20, k.far);
        const Values serial = Solve(0, 1, 3, start, 1, k.last);
        const Values jacobi = Solve(27, 1, 3, start, 1, k.last);
        const Values v = Solve(k.variant, 4, 3, start, 1, k.last);
        EXPECT_EQ(v, k.halfSteps ? jacobi : serial);
        // Cells beyond the range are never touched.
        EXPECT_EQ(v[k.last], start[k.last]);
    }
}

class PlanSplitFaces : public PlanCellRange {
protected:
    // A chain of 6 cells; cell 2 faces cells 5 and 6 on its east side and
    // nothing on its north side, although its ordinary coefficient there is 1.
    Values MakeSplitChain() {
        g_ = MakeBoxGrid(6, 1, 1);
        AllocateSplitFaces(2);
        for (int c = 1; c <= 6; ++c) {
            Cap[c] = 4.0;
            Cae[c] = Caw[c] = 1.0;
            Csource[c] = c;
        }
        SplitFaceFlag = 1;
        Cnocellse[2] = 2;
        CnbMultiE[2][0] = 5;
        CaMultiE[2][0] = 0.5;
        CaMultiE[2][1] = 0.25;
        Ccelln[2] = 4;
        Can[2] = 1.0;
        Cnocellsn[2] = -1;
        return {0.1, 0.2, 0.3, 0.4, 0.5, 0.6};
    }
};

TEST_F(PlanSplitFaces, OneSymmetricSweepWhateverTheCount) {
    const Values start = MakeSplitChain();
    const Values once = Solve(0, 1, 1, start, 1, 6);
    EXPECT_EQ(Solve(0, 1, 6, start, 1, 6), once);
    EXPECT_EQ(Solve(0, 1, 0, start, 1, 6), once);
    EXPECT_NE(once, start);
}

// The coarse levels have no split side: F 137 leaves their sweeps alone.
TEST_F(PlanSplitFaces, RangeWithoutSplitSidesKeepsItsSweepCount) {
    for (const bool far : {false, true}) {
        SCOPED_TRACE(far ? "far" : "near");
        SplitFaceFlag = 0;
        const Values start = MakePlan(5, 4, far);
        const Values plain = Solve(0, 1, 6, start, 1, 20);
        AllocateSplitFaces(2);
        SplitFaceFlag = 1;
        EXPECT_EQ(Solve(0, 1, 6, start, 1, 20), plain);
        EXPECT_NE(Solve(0, 1, 1, start, 1, 20), plain);
    }
}

TEST_F(PlanSplitFaces, SplitSidesReadTheirFacingCellsAndANegativeCountAddsNothing) {
    const Values start = MakeSplitChain();
    // Only cell 2 solved: west 0.1, east 0.5·f5 + 0.25·f6, nothing from the north.
    const Values v = Solve(0, 1, 1, start, 2, 2);
    EXPECT_DOUBLE_EQ(v[1], (2.0 + 1.0 * 0.1 + 0.5 * 0.5 + 0.25 * 0.6) / 4.0);
    // Variant 27 ignores the lists and takes the ordinary coefficients.
    const Values j = Solve(27, 2, 1, start, 2, 2);
    EXPECT_DOUBLE_EQ(j[1], (1.0 * 0.3 + 1.0 * 0.1 + 1.0 * 0.4 + 2.0) / 4.0);
}

}  // namespace
