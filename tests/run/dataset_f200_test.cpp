#include <omp.h>

#include <cmath>

#include <gtest/gtest.h>

#include "tests/support/read_cases.h"

namespace {

const std::string kF235Warning = "not used in combination with the F 206 data set\n\n";

TEST(DataSetsF200, ValuesChecksAndMessages) {
    CheckReadCases({
        {"F 200 0 0.1 0.1", "Error for F 200 in control", kRefused},
        {"F 200 1 -0.01 0.02", "Error for F 200 in control", kRefused},
        {"F 200 1 0.01 0.02", "", kAccepted, [] { return InitialTurbulenceOption == 1 && InitialEpsilon == 0.02; }},
        {"F 200 2 0.01 0.02 0.5", "Error for F 200 in control", kRefused},
        {"F 200 2 0.01 0.02 0.5 -1", "Error for F 200 in control", kRefused},
        {"F 200 2 0.01 0.02 0.5 0.6", "", kAccepted, [] { return F200Value4 == 0.5 && F200Value5 == 0.6; }},
        {"F 201 6 4 1", "Error for F 201 in control", kRefused},
        {"F 201 5 0 1", "Error for F 201 in control", kRefused},
        {"F 201 2 3 4", "", kAccepted, [] { return VegVariableCount == 2 && VegLevelCount == 3 && VegTimeCount == 4; }},
        {"F 202 2 -0.1", "Error for F 202 in control", kRefused},
        {"F 202 2 0.05", "", kAccepted, [] { return InflowProfileOption == 2 && InflowRoughness == 0.05; }},
        // The profile divides by the roughness, whichever of F 202 and F 16 set it last.
        {"F 202 2 0", "Error for F 202 in control", kRefused},
        {"F 202 1 0.05\nF 16 -2", "Error for F 202 in control", kRefused},
        {"F 202 0 0", "", kAccepted, [] { return InflowProfileOption == 0; }},
        {"F 203", "Error for F 203 in control", kRefused},
        {"F 205 3", "", kAccepted, [] { return BedChangeVariant == 3; }},
        {"F 206 -1", "Error for F 206 in control", kRefused},
        {"F 208", "Error for F 208 in control\n", kRefused},
        {"F 209 2.5", "", kAccepted, [] { return MaxGridDepth == 2.5; }},
        {"F 212 -1", "Error for F 212 in control\n", kRefused},
        {"F 213 -1 0.5", "Error for F 213 in control\n", kRefused},
        {"F 214 1 30 0.1 0.2", "Error for F 214 in control\n", kRefused},
        {"F 214 1 30 0.1 0.2 0.3", "", kAccepted, [] { return BedSlopeAngleA == 30 && BedSlopeCoefA3 == 0.3; }},
        {"F 215 -1 1", "Error for F 215 in control\n", kRefused},
        {"F 216 1", "Error for F 216 in control\n", kRefused},
        {"F 217 -1 1 1", "Error for F 217 in control\n", kRefused},
        {"F 218", "Error for F 218 in control", kRefused},
        {"F 218 5", "", kAccepted, [] { return BugtrapIter == 5 && BugtrapCell == 0; }},
        {"F 218 5 17", "", kAccepted, [] { return BugtrapCell == 17; }},
        // The cell must be one of the cell arrays.
        {"F 218 5 -1", "Error for F 218 in control", kRefused},
        {"F 218 5 50000", "Error for F 218 in control", kRefused},
        {"F 218 5 49999", "", kAccepted, [] { return BugtrapCell == 49999; }},
        {"F 218 5 100", "Error for F 218 in control", kRefused, nullptr, [] { MaxCeller = 100; }},
        {"F 224 -1", "", kAccepted, [] { return SurfaceResidualLimit == -1; }},
        {"F 225 2", "Error for F 225 in control", kRefused},
        {"F 225 2 -3", "", kAccepted, [] { return GeodataScale == 2 && GeodataOffset == -3; }},
        {"F 227 0", "", kAccepted, [] { return F227Int == 0; }},
        {"F 232 1 2", "Error for F 232 in control", kRefused},
        {"F 234", "Error for F 234 in control\n", kRefused},
        {"F 235 0", "Warning: The F 235 0 data set will only work when\n" + kF235Warning, kAccepted},
        {"F 235 3", "Warning: The F 235 3 data set will only work when\n" + kF235Warning, kAccepted,
         [] { return TrekantOption == 3; }},
        {"F 235 10\nF 235 21\nF 235 1\nF 235 5", "", kAccepted, [] { return TrekantOption == 5; }},
        {"F 236 2 0.1 100", "Error for F 236 in control\n", kRefused},
        {"F 236 2 0.1 100 0.7", "", kAccepted, [] { return LayerBlockOption == 2 && SoilFrictionCoef == 0.7; }},
        {"F 237 3 0.0", "Error for F 237, group 3: discharge is too low\n", kRefused},
        {"F 237 10 5", "Error for F 237 in control\n", kRefused},
        {"F 237 0 5", "Error for F 237 in control\n", kRefused},
        {"F 237 3 -1", "Error for F 237 in control\n", kRefused},
        {"F 237 3 5.5\nF 237 9 1", "", kAccepted,
         [] { return GivenGroupDischarge[3] == 5.5 && GivenGroupDischarge[9] == 1 && GivenGroupDischarge[1] == -1; }},
        {"F 238 3", "Error for F 238 in control\nYou have to give in two numbers: an integer and a float\n\n", kRefused},
        {"F 238 -1 0", "Error for F 238 in control\n", kRefused},
        {"F 238 3 -20001", "Error for F 238 in control\n", kRefused},
        {"F 238 3 -20000", "", kAccepted, [] { return BlockCouplingOption == 3 && F238Value2 == -20000; }},
        {"F 239 -1 5", "Error for F 239 in control\n", kRefused},
        {"F 239 10 20", "", kAccepted, [] { return PlanSolverSweeps1 == 10 && PlanSolverSweeps2 == 20; }},
        {"F 241 -1", "Error for F 241 in control\n", kRefused},
        {"F 242 0", "Error for F 242 in control\nInvalid number on data set: 0\n", kRefused},
        {"F 242 x", "Error for F 242 in control\nHave not read any integer\n", kRefused},
        {"F 242 7", "", kAccepted, [] { return F242Int == 7; }},
        {"F 244 1.1 0.5", "Error for F 244 in control\n", kRefused},
        {"F 244 0.3 0.9", "", kAccepted, [] { return TrekantValueRelax == 0.3 && TrekantRelax == 0.9; }},
        {"F 245 13 0", "Error for F 245 in control\n", kRefused},
        {"F 245 13 0 7", "", kAccepted, [] { return TrekantOption == 13 && F245Int2 == 0; }},
        {"F 246 1 0 0", "Error for F 246 in control, not correct number of parameters\n", kRefused},
        {"F 246 2 1 1 0.3", "", kAccepted, [] { return F246Int1 == 2 && SurfaceSlopeLimit == 0.3; }},
        {"F 247 1e7 0.6", "Error for F 247 in control\n", kRefused},
        {"F 247 1e6 0.3", "Error for F 247 in control\n", kRefused},
        // Lambda divides by 1 - 2 nu.
        {"F 247 1e7 0.5", "Error for F 247 in control\n", kRefused},
        {"F 247 1e7 0", "", kAccepted, [] { return LameLambda == 0.0; }},
        {"F 247 2e7 0.25", "", kAccepted, [] { return std::fabs(LameLambda - 8e6) < 1e-6; }},
        {"F 248 1", "", kAccepted, [] { return StressComputationOption == 1; }},
        {"F 249 1", "", kAccepted, [] { return F249Option == 1; }},
        {"F 207 -1\nF 243 x\nF 211 y", "", kAccepted},
    });
}

TEST(DataSetsF200, ThreadCountIsCappedByTheRuntime) {
    InProjectDir here;
    const int most = omp_get_max_threads();
    ReadOutcome r = ReadFirstPass("F 206 " + std::to_string(most + 3) + "\n");
    EXPECT_FALSE(r.ended);
    EXPECT_EQ(r.log, "Max. number of threads: " + std::to_string(most) + ", value F 206: " + std::to_string(most + 3) + "\n");
    EXPECT_EQ(NoThreads, most);
    EXPECT_EQ(omp_get_dynamic(), 0);
}

TEST(DataSetsF200, ZeroThreadsLeaveTheRuntimeAlone) {
    InProjectDir here;
    omp_set_num_threads(2);
    ReadOutcome r = ReadFirstPass("F 206 0\n");
    EXPECT_FALSE(r.ended);
    EXPECT_EQ(NoThreads, 0);
    EXPECT_EQ(omp_get_max_threads(), 2);
}

}  // namespace
