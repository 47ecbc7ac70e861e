// Storage terms of unsteady runs, pseudo-time terms and shoreline cells.
#include <cmath>

#include "tests/flow/flow_case.h"

namespace {

class TransientTerms : public FlowCase {
protected:
    BoxGrid Cells(int ni) {
        const BoxGrid g = Box(ni, 1, 1);
        const size_t n = static_cast<size_t>(NoCells) + 1;
        EXPECT_TRUE(Cu_old.allocate(n) && Cu_old2.allocate(n));
        Cf.designate(Cu);
        Cf_old.designate(Cu_old);
        Cf_old2.designate(Cu_old2);
        Equation = 1;
        return g;
    }
};

// d(phi)/dt = -phi from phi = 1 to t = 1: the decay is the sink 1000 V phi.
double Decay(double dt) {
    TimeStep = dt;
    Cu[1] = 1.0;
    Cu_old[1] = std::exp(dt);  // the exact value one step back
    const int steps = static_cast<int>(std::lround(1.0 / dt));
    for (int n = 0; n < steps; ++n) {
        Cu_old2[1] = Cu_old[1];
        Cu_old[1] = Cu[1];
        Cap[1] = 1000.0 * Cvol[1];
        Csource[1] = 0.0;
        AddTransientTerms(1, 1);
        Cu[1] = Csource[1] / Cap[1];
    }
    return Cu[1];
}

TEST_F(TransientTerms, ImplicitEulerDecay) {
    Cells(1);
    EXPECT_NEAR(Decay(0.1), std::pow(1.0 / 1.1, 10), 1e-12);
}

TEST_F(TransientTerms, SecondOrderDecayConverges) {
    Cells(1);
    TimeOrder = 1;
    double previous = 0.0;
    for (const double dt : {0.1, 0.05, 0.025, 0.0125}) {
        SCOPED_TRACE(dt);
        const double error = std::fabs(Decay(dt) - std::exp(-1.0));
        if (previous > 0.0) {
            EXPECT_GT(previous / error, 3.5);
            EXPECT_LT(previous / error, 4.5);
        }
        previous = error;
    }
    EXPECT_LT(previous, 1e-4);
}

TEST_F(TransientTerms, SecondOrderWithoutChangeIsOneStep) {
    Cells(1);
    TimeStep = 2.0;
    TimeOrder = 1;
    Cu_old[1] = Cu_old2[1] = 3.0;
    AddTransientTerms(1, 1);
    const double m = 1000.0 * Cvol[1] / 2.0;
    EXPECT_DOUBLE_EQ(Cap[1], 1.5 * m);
    EXPECT_DOUBLE_EQ(Csource[1] / Cap[1], 3.0);
}

// Under Theta the neighbour terms of the old field enter as differences
// from the cell's own old value: a uniform field adds nothing.
TEST_F(TransientTerms, ThetaKeepsUniformFieldsUniform) {
    for (const double theta : {0.0, 0.25, 0.5, 0.9}) {
        SCOPED_TRACE(theta);
        Cells(3);
        TimeStep = 1.0;
        Theta = theta;
        const double old[] = {0.0, 1.0, 2.0, 4.0};
        for (int c = 1; c <= 3; ++c) {
            Cu_old[c] = 2.0;
            Cae[c] = c < 3 ? 0.7 * (1.0 - theta) : 0.0;  // as scaled by the coefficient pass
            Caw[c] = c > 1 ? 0.3 * (1.0 - theta) : 0.0;
        }
        AddTransientTerms(1, 3);
        const double m = 1000.0 * Cvol[2];
        for (int c = 1; c <= 3; ++c) EXPECT_DOUBLE_EQ(Csource[c], m * 2.0) << c;
        // Theta times the unscaled neighbour terms.
        for (int c = 1; c <= 3; ++c) {
            Cu_old[c] = old[c];
            Csource[c] = 0.0;
        }
        AddTransientTerms(1, 3);
        EXPECT_NEAR(Csource[2], m * 2.0 + theta * (0.7 * (4.0 - 2.0) + 0.3 * (1.0 - 2.0)), 1e-9);
    }
}

TEST_F(TransientTerms, ShorelineAndPseudoTime) {
    const struct {
        const char* name;
        int trekant, falseMode, iter, equation;
        double cap1, source1, cap2, source2;  // shoreline cell 1, regular cell 2
    } rows[] = {
        {"storage twice", 1, 0, 0, 1, 200.0, 400.0, 100.0, 200.0},
        {"with the current value", 21, 0, 0, 2, 200.0, 500.0, 100.0, 200.0},
        {"no source", 5, 0, 0, 3, 100.0, 0.0, 100.0, 200.0},
        {"velocities only", 1, 0, 0, 5, 100.0, 200.0, 100.0, 200.0},
        {"pseudo time everywhere", 0, 1, 0, 5, 120.0, 260.0, 120.0, 260.0},
        {"pseudo time at the shore", 0, 2, 0, 1, 120.0, 260.0, 100.0, 200.0},
        {"pseudo time from iteration 3", 0, 3, 2, 1, 100.0, 200.0, 100.0, 200.0},
        {"pseudo time at iteration 3", 0, 3, 3, 1, 120.0, 260.0, 120.0, 260.0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Cells(2);
        ASSERT_TRUE(Ctrekant.allocate(static_cast<size_t>(NoCells) + 1));
        Ctrekant[1] = 1;
        Ctrekant[2] = 0;
        TimeStep = 10.0;  // m = 100
        FalseTimeStep = 50.0;  // 20
        TrekantOption = row.trekant;
        FalseTimeStepMode = row.falseMode;
        Iter = row.iter;
        Equation = row.equation;
        for (int c = 1; c <= 2; ++c) {
            Cu_old[c] = 2.0;
            Cu[c] = 3.0;
        }
        AddTransientTerms(1, 2);
        EXPECT_DOUBLE_EQ(Cap[1], row.cap1);
        EXPECT_DOUBLE_EQ(Csource[1], row.source1);
        EXPECT_DOUBLE_EQ(Cap[2], row.cap2);
        EXPECT_DOUBLE_EQ(Csource[2], row.source2);
    }
}

}  // namespace
