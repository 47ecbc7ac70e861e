// Production and dissipation of the k and epsilon (omega) equations.
#include <cmath>

#include "tests/flow/flow_case.h"

namespace {

class TurbulenceSources : public FlowCase {
protected:
    // 3 x 3 x 3 unit cells; the middle cell has no wall-law face.
    void SetUp() override {
        g_ = Box(3, 3, 3);
        inner_ = g_.cell(1, 1, 1);
        for (int c = 1; c <= NoCells; ++c) {
            Ck[c] = kK;
            Cepsilon[c] = kEps;
            Ceddyvisc[c] = kVisc;
        }
    }
    // U = y: a pure shear dU/dy = 1.
    void Shear() {
        for (int i = 0; i < 3; ++i) {
            for (int j = 0; j < 3; ++j) {
                for (int k = 0; k < 3; ++k) Cu[g_.cell(i, j, k)] = j;
            }
        }
    }
    static constexpr double kK = 0.02, kEps = 0.01, kVisc = 0.5;
    BoxGrid g_;
    int inner_ = 0;
};

TEST_F(TurbulenceSources, ShearProducesInBothVariants) {
    Shear();
    for (const int variant : {0, 1}) {
        SCOPED_TRACE(variant);
        TurbulenceProductionVariant = variant;
        Equation = 5;
        AddTurbulenceSources(FirstCell, LastCell);
        EXPECT_NEAR(Csource[inner_], 1.0 * kVisc, 1e-12);  // Guy^2 * visc / V
        EXPECT_DOUBLE_EQ(Cap[inner_], 1000.0 * kEps / (kK + 1e-20));
        // A wall cell produces nothing here; the wall laws give it its terms.
        EXPECT_EQ(Csource[g_.cell(0, 1, 1)], 0.0);
    }
}

TEST_F(TurbulenceSources, UniformFlowAndMixedStrain) {
    for (int c = 1; c <= NoCells; ++c) Cu[c] = 1.5;
    Equation = 5;
    AddTurbulenceSources(FirstCell, LastCell);
    EXPECT_EQ(Csource[inner_], 0.0);
    // U = x + y: 2 Qn = 2, Qs = 1; variant 1 takes sqrt(|(2 - 1)(2 + 1)|).
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) {
            for (int k = 0; k < 3; ++k) Cu[g_.cell(i, j, k)] = i + j;
        }
    }
    AddTurbulenceSources(FirstCell, LastCell);
    EXPECT_NEAR(Csource[inner_], 3.0 * kVisc, 1e-12);
    TurbulenceProductionVariant = 1;
    AddTurbulenceSources(FirstCell, LastCell);
    EXPECT_NEAR(Csource[inner_], std::sqrt(3.0) * kVisc, 1e-12);
}

TEST_F(TurbulenceSources, ModelTable) {
    Shear();
    const double p = kVisc;  // production of the shear
    const double kp = kK + 1e-20;
    const double eta = std::sqrt(p / kVisc) * kK / (kEps + 1e-20);
    const double eta3 = eta * eta * eta;
    const double rng = (0.0845 * eta3 * (1.0 - eta / 4.38) / (1.0 + 0.012 * eta3) + 1.68) * 1000.0 * kEps / kp;
    const double untouched = -7.0;
    const struct {
        int model;
        double capK, capEps, sourceEps;
    } rows[] = {
        {0, 1000.0 * kEps / kp, 1000.0 * 1.92 * kEps / kp, 1.3 * 1.44 * kEps / kp * p},
        {17, 1000.0 * kEps / kp, 1000.0 * 1.92 * kEps / kp, 1.3 * 1.44 * kEps / kp * p},
        {1, 1000.0 * kEps / kp, rng, 1.42 * kEps / kp * p},
        {15, 1000.0 * kEps / kp, 72.0 * kEps, 0.52 * kEps / kp * p},
        {16, 90.0 * kEps, 72.0 * kEps, 0.52 * kEps / kp * p},
        {2, untouched, untouched, untouched},
        {7, untouched, untouched, untouched},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.model);
        TurbulenceModel = row.model;
        for (const int equation : {5, 6}) {
            Cap[inner_] = Csource[inner_] = untouched;
            Equation = equation;
            AddTurbulenceSources(FirstCell, LastCell);
            EXPECT_NEAR(Cap[inner_], equation == 5 ? row.capK : row.capEps, 1e-9);
            EXPECT_NEAR(Csource[inner_], equation == 5 && row.capK != untouched ? p : row.sourceEps, 1e-12);
        }
    }
}

TEST_F(TurbulenceSources, SinkIsAssignedWhateverThePassBefore) {
    Shear();
    const struct {
        const char* name;
        int f121, variant;
        double source;  // of the epsilon equation
    } rows[] = {
        {"F 121: production only", 1, 0, kVisc},
        {"production switched off", 0, 2, 123.0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        F121Flag = row.f121;
        TurbulenceProductionVariant = row.variant;
        Equation = 6;
        Cap[inner_] = 5e6;  // what an earlier pass left
        Csource[inner_] = 123.0;
        AddTurbulenceSources(FirstCell, LastCell);
        EXPECT_DOUBLE_EQ(Cap[inner_], 1000.0 * 1.92 * kEps / (kK + 1e-20));
        if (row.f121 == 0) {
            EXPECT_DOUBLE_EQ(Csource[inner_], 1.3 * 1.44 * kEps / (kK + 1e-20) * row.source);
        } else {
            EXPECT_NEAR(Csource[inner_], row.source, 1e-12);
        }
    }
}

TEST_F(TurbulenceSources, NoTurbulenceStaysFinite) {
    Shear();
    for (int c = 1; c <= NoCells; ++c) Ck[c] = Cepsilon[c] = Ceddyvisc[c] = 0.0;
    for (const int model : {0, 1, 16}) {
        TurbulenceModel = model;
        for (const int equation : {5, 6}) {
            Equation = equation;
            AddTurbulenceSources(FirstCell, LastCell);
            for (int c = 1; c <= NoCells; ++c) {
                ASSERT_TRUE(std::isfinite(Cap[c]) && std::isfinite(Csource[c])) << model << " " << equation;
            }
        }
    }
}

}  // namespace
