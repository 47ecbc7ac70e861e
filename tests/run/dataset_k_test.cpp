#include <gtest/gtest.h>

#include "tests/support/read_cases.h"

namespace {

bool RelaxationIs(double a, double b, double c, double d, double e, double f) {
    return RelaxationFactors[1] == a && RelaxationFactors[2] == b && RelaxationFactors[3] == c &&
           RelaxationFactors[4] == d && RelaxationFactors[5] == e && RelaxationFactors[6] == f;
}

bool TableIs(const int* t, int a, int b, int c, int d, int e, int f) {
    return t[1] == a && t[2] == b && t[3] == c && t[4] == d && t[5] == e && t[6] == f;
}

TEST(DataSetsK, ValuesChecksAndMessages) {
    CheckReadCases({
        {"K 1 100 20", "", kAccepted, [] { return iterGlobalMax == 100 && SurfaceUpdateInterval == 20; }},
        {"K 1 100", "", kAccepted, [] { return iterGlobalMax == 100 && SurfaceUpdateInterval == 50000; }},
        {"K 2 0 2", "Input error for K 2 in control", kRefused},
        {"K 2 -1 1", "Input error for K 2 in control", kRefused},
        {"K 2 1 0", "", kAccepted, [] { return K2Int1 == 1 && SurfaceUpdateFlag == 0; }},
        {"K 3 0.7 0.7 0.7 0.3 0.6 0.6", "", kAccepted, [] { return RelaxationIs(0.7, 0.7, 0.7, 0.3, 0.6, 0.6); }},
        {"K 3 0.7 0.7 5.5", "Input error for K 3 in control", kRefused},
        {"K 3 0.7 0.7 -0.1 1 1 1", "Input error for K 3 in control", kRefused},
        {"K 3 0.7 0.7 0.7 0.3 0.6\nF 24 1", "Input error for K 3 in control", kRefused},
        {"K 3 0.7 nan 0.7 0.3 0.6 0.6", "Input error for K 3 in control", kRefused},
        {"K 4 1 1 1 300", "Input error for K 4 in control", kRefused},
        {"K 4 3 3 3 10 1 1", "", kAccepted, [] { return TableIs(SolverSweeps, 3, 3, 3, 10, 1, 1); }},
        // Missing values keep the entries before, the pressure correction's 5 among them.
        {"K 4 2 2 2\nF 24 1", "", kAccepted,
         [] { return TableIs(SolverSweeps, 2, 2, 2, 5, 1, 1) && TurbulenceModel == 1; }},
        {"K 4 1 1 1 1 1 9999999999", "Input error for K 4 in control", kRefused},
        {"K 5 -1", "Input error for K 5 in control", kRefused},
        {"K 5 1 2 3 10 11 12", "", kAccepted, [] { return TableIs(SolverAcceleration, 1, 2, 3, 10, 11, 12); }},
        {"K 5 0 0 21", "Input error for K 5 in control", kRefused},
        {"K 6 101", "Input error for K 6 in control", kRefused},
        {"K 6 10 0 0 0 0 0", "", kAccepted, [] { return TableIs(ConvectionScheme, 10, 0, 0, 0, 0, 0); }},
        {"K 7 -1\nK 0 -1\nK -2 -1", "", kAccepted},
    });
}

TEST(DataSetsK, DefaultsWithoutKDataSets) {
    ResetGlobals();
    EXPECT_TRUE(RelaxationIs(0.8, 0.8, 0.8, 0.2, 0.5, 0.5));
    EXPECT_TRUE(TableIs(SolverSweeps, 1, 1, 1, 5, 1, 1));
    for (int e = 7; e < kEquationTableSize; ++e) {
        EXPECT_EQ(RelaxationFactors[e], 0.0);
        EXPECT_EQ(SolverSweeps[e], 1);
    }
    EXPECT_EQ(RelaxationFactors[0], 0.0);
    EXPECT_TRUE(TableIs(SolverAcceleration, 0, 0, 0, 0, 0, 0));
    EXPECT_TRUE(TableIs(ConvectionScheme, 0, 0, 0, 0, 0, 0));
}

}  // namespace
