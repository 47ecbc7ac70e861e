#include <gtest/gtest.h>

#include "tests/support/read_cases.h"

namespace {

const std::string kF260Message =
    "Error in control file. The F 260 data set will only work\nwhen the F 37 data set is set to 2 or 3\n\n";
const std::string kF261Warning =
    "Warning: The combination of F 206 and F 261 data sets in the control file will\ngive incorrect residuals\n";

TEST(DataSetsF250, ValuesChecksAndMessages) {
    CheckReadCases({
        {"F 250 -1", "Error for F 250 in control\n", kRefused},
        {"F 250 3", "", kAccepted, [] { return ReferenceLevelGroup == 3; }},
        {"F 252 -0.1", "Error for F 252 in control\n", kRefused},
        {"F 254", "Error for F 254 in control\n", kRefused},
        {"F 254 -2", "", kAccepted, [] { return F254Value == -2; }},
        {"F 255 -1", "Error for F 255 in control\n", kRefused},
        {"F 256 x", "Error for F 256 in control\nHave not read any floating point number\n", kRefused},
        {"F 256 -1", "Error for F 256 in control\n", kRefused},
        {"F 256 0.3", "", kAccepted, [] { return F256Value == 0.3; }},
        {"F 259 -1", "Error for F 259 in control\n", kRefused},
        {"F 259 5", "", kAccepted, [] { return StressVariant == 5; }},
        {"F 260 1", kF260Message, kAccepted},
        {"F 260 -1", "Error for F 260 in control\n", kRefused},
        {"F 37 2\nF 260 1\nF 260 0", "", kAccepted},
        {"F 261 16 0.5", kF261Warning, kAccepted, nullptr, [] { NoThreads = 2; }},
        {"F 261 18 0.5", "", kAccepted, [] { return BlockInterfaceOption == 18 && BlockInterfaceRelax == 0.5; }},
        {"F 261 -1 0.5", "Error for F 261 in control\n", kRefused},
        // Options 11 to 15 divide the diagonal by 1 - r.
        {"F 261 11 1.0", "Error for F 261 in control\n", kRefused},
        {"F 261 15 2", "Error for F 261 in control\n", kRefused},
        {"F 261 11 0.99", "", kAccepted, [] { return BlockInterfaceOption == 11; }},
        {"F 261 16 1.0", "", kAccepted, [] { return BlockInterfaceRelax == 1.0; }},
        // F 278 chooses one of the weight formulas 0 to 17.
        {"F 278 18", "Error for F 278 in control\n", kRefused},
        {"F 278 17", "", kAccepted, [] { return SurfaceWeightOption == 17; }},
        {"F 262 1 -1", "Error for F 262 in control\n", kRefused},
        {"F 262 1 1e-5", "", kAccepted, [] { return GroundwaterOption == 1 && GroundwaterConductivity == 1e-5; }},
        {"F 263 10 1", "Error for F 263 in control\n", kRefused},
        {"F 263 3 -1", "Error for F 263 in control\n", kRefused},
        {"F 263 3 2", "", kAccepted, [] { return F263GroupValues[3] == 2 && F263GroupValues[4] == -1; }},
        {"F 264 -1", "", kAccepted, [] { return F264Option == -1; }},
        {"F 265 0.5", "", kAccepted, [] { return GrainPercentile == 0.5; }},
        {"F 265 1.0", "Error for F 265 in control\n", kRefused},
        {"F 266 1 -0.1 0", "Error for F 266 in control\n", kRefused},
        {"F 266 1 0.7 5", "", kAccepted, [] { return BankFailureOption == 1 && BankCohesion == 5; }},
        {"F 267 -1", "Error for F 267 in control\n", kRefused},
        {"F 269 1", "Error for F 269 in control\nThe data set needs two integers. Default F 269 1 1\n", kRefused},
        {"F 269 -1 1", "Error for F 269 in control\n", kRefused},
        {"F 269 0 2", "", kAccepted, [] { return OpenMPSwitches[10] == 0 && OpenMPSwitches[11] == 2; }},
        {"F 270 1 0.5 0.005", "Error for F 270 in control", kRefused},
        {"F 270 1 0.005 1", "Error for F 270 in control", kRefused},
        {"F 270 -1 0.5 1", "Error for F 270 in control", kRefused},
        {"F 270 1 0.5 2", "", kAccepted, [] { return BedSlopeLimitOption == 1 && F270Value2 == 0.5 && MaxBedSlope == 2; }},
        {"F 275 1.5", "Error for F 275 in control\n", kRefused},
        {"F 275 1.5 2", "", kAccepted, [] { return C1eps == 1.5 && C2eps == 2; }},
        {"F 281 1 -1", "Error for F 281 in control\n", kRefused},
        {"F 285 -1 1", "Error for F 285 in control\n", kRefused},
        {"F 285 1 -1", "Error for F 285 in control\n", kRefused},
        {"F 287 -1", "Error for F 287 in control\n", kRefused},
        {"F 287 6 2.0 0.5", "Error for F 287 6 in control\n", kRefused},
        {"F 287 6 0.4", "Error for F 287 6 in control\n", kRefused},
        {"F 287 6 -0.1 1", "Error for F 287 6 in control\n", kRefused},
        {"F 287 6 0.3 3", "", kAccepted, [] { return BalanceLowFactor == 0.3 && BalanceHighFactor == 3; }},
        {"F 287 5 2.0 0.5", "", kAccepted, [] { return ReservoirBalanceMode == 5 && BalanceLowFactor == 0.5; }},
        {"F 289 1 2 3\nx", "Error for F 289 in control\nThere should be four integers on the data set. Now there is 3\n", kRefused},
        {"F 289 1 -2 3 4", "Error for F 289 in control\n", kRefused},
        {"F 289 1 2 3 4", "", kAccepted,
         [] { return LayerUpdateVariant == 1 && LayerBlockGridVariant == 2 && BlockingOption == 4; }},
        {"F 290 -1 1", "Error for F 290 in control\n", kRefused},
        {"F 291 -1 0 0", "Error for F 291 in control\n", kRefused},
        {"F 291 1 0 1", "Warning: The F 291 data set parameters will mostly only work\nwith F 206 0\n\n", kAccepted,
         [] { return F291Int1 == 1 && F291Int3 == 1; }},
        // A selected false-time-step mode divides by the step.
        {"F 292 1 0", "Error for F 292 in control\n", kRefused},
        {"F 292 -1 0.5", "Error for F 292 in control\n", kRefused},
        {"F 292 1 0.5", "", kAccepted, [] { return FalseTimeStepMode == 1 && FalseTimeStep == 0.5; }},
        {"F 293 -1", "Error for F 293 in control\n", kRefused},
        {"F 294 3", "", kAccepted, [] { return InspaceTimeCount == 3; }},
        {"F 295 -1", "Error for F 295 in control\n", kRefused},
        {"F 297 1", "Error for F 297 in control\n", kRefused},
        {"F 297 5", "Error for F 297 in control\n", kRefused},
        {"F 297 4", "", kAccepted, [] { return UnstrucVersion == 4; }},
        {"F 298 2 1 3e20", "Error for F 298 in control\n", kRefused},
        {"F 298 2 1 2", "", kAccepted, [] { return OpenFoamPatchOption == 2 && OpenFoamOutlet2Level == 2; }},
        {"F 299 -1", "Error for F 299 in control\n", kRefused},
        {"F 286 -1\nF 288 -1", "", kAccepted},
    });
}

TEST(DataSetsF250, ResidualFileStartsWithItsHeaderOnly) {
    InProjectDir here;
    here.dir().write("quorva", "old rows\n1 2 3\n");
    ReadOutcome r = ReadFirstPass("F 293 0\n");
    EXPECT_FALSE(r.ended);
    EXPECT_EQ(ResidualFileFlag, 0);
    EXPECT_EQ(here.dir().read("quorva"), "Iteration, Residuals: Ux, Uy, Uz, Continuity, k, epsilon\n");
}

}  // namespace
