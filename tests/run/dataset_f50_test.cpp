// The data sets F 50 to F 99: values, checks, messages and derived settings.
#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "tests/support/read_cases.h"

namespace {

std::string Refused(int n) { return "Error for F " + std::to_string(n) + " in control"; }

TEST(DataSetsF50, ValuesChecksAndMessages) {
    CheckReadCases({
        {"F 50 10", "", kAccepted, [] { return NoComponents == 10; }},
        {"F 50 11", Refused(50), kRefused},
        {"F 51 -2", "", kAccepted, [] { return Coriolis == -2.0 && CoriolisFlag == 1; }},
        {"F 51 2.5", Refused(51), kRefused},
        {"F 52 1 0.5", Refused(52), kRefused},
        {"F 52 0 0.5 0.5", Refused(52), kRefused},
        {"F 52 10 1.5 0.6", Refused(52), kRefused},
        {"F 52 1000 1 -1", "", kAccepted, [] { return WindSpeed[0] == 1000.0 && WindSpeed[2] == -1.0; }},
        {"F 53 5 0 1 2", "", kAccepted, [] { return PrintInterval == 5 && TimeoInterval == 2; }},
        {"F 53 5 1 0 2", Refused(53), kRefused},
        {"F 53 5 1 1", Refused(53), kRefused},
        {"F 54 -0.1", Refused(54), kRefused},
        {"F 56 1 0.005", Refused(56), kRefused},
        {"F 58 1 1 1 0 0.5 5 5 -0.0001 5 0", "", kAccepted, [] { return F227Int == 0; }},
        {"F 58 0 0 0 2 0 0 0 0 0 0", Refused(58), kRefused},
        {"F 58 0 0 0 1 0 0 0 0 5.1 0", Refused(58), kRefused},
        {"F 60 1 11", Refused(60), kRefused},
        {"F 61 0.5", "", kAccepted, [] { return Theta == 0.5; }},
        // The explicit weight Theta / (1 - Theta) needs Theta below 1.
        {"F 61 1", Refused(61), kRefused},
        {"F 63 1", "", kAccepted,
         [] { return ConvectionScheme[8] == 1 && ConvectionScheme[9] == 1 && ConvectionScheme[1] == 0; }},
        {"F 63 2", "", kAccepted, [] { return ConvectionScheme[8] == 0 && F63Option == 2; }},
        {"F 64 12", "", kAccepted, [] { return TopCellWalkFlag == 0; }},
        {"F 64 14", "", kAccepted, [] { return TopCellWalkFlag == 1; }},
        {"F 64 0", "", kAccepted, [] { return TopCellWalkFlag == 1; }},
        {"F 64 100", "", kAccepted, [] { return TopCellWalkFlag == 0 && GridAlgorithm == 100; }},
        {"F 64 501", Refused(64), kRefused},
        {"F 65 100 100 5 10 10", "Error for F 65 in control: too low numbers", kRefused},
        {"F 65 0 100 100 10 10", "Error for F 65 in control: too low numbers", kRefused},
        {"F 65 3", "Error for F 65 in control: Have only read 1 numbers.", kRefused},
        {"F 65 100 200 300 1 0", "", kAccepted,
         [] {
             return MaxCeller == 100 && MaxFlater == 200 && MaxPoints == 300 && MaxBoundaryCells == 2 &&
                    MaxEdgePairs == 2;
         }},
        {"F 66 1.5", Refused(66), kRefused},
        {"F 67 1", "", kAccepted,
         [] { return NoComponents == 1 && std::strcmp(QNames[0], "Temperature        ") == 0; }},
        {"F 50 3 F 67 1", "", kAccepted, [] { return NoComponents == 3; }},
        {"F 67 1 F 50 0", "", kAccepted, [] { return NoComponents == 0; }},
        {"F 68 3", "", kAccepted, [] { return Hydrostatic == 3; }},
        {"F 68 11", Refused(68), kRefused},
        {"F 69 1 2 3 4 5 6 7", "", kAccepted, [] { return ColumnFluxOption == 4 && F69Int7 == 7; }},
        {"F 69 1 2 3 4 5 6", Refused(69), kRefused},
        {"F 70 101", Refused(70), kRefused},
        {"F 74 3", Refused(74), kRefused},
        {"F 75 20", "", kAccepted, [] { return WaterTemperatureFlag == 1 && WaterTemperature == 20.0; }},
        {"F 75 41", Refused(75), kRefused},
        {"F 76 1 1 2", Refused(76), kRefused},
        {"F 77 1 -1", Refused(77), kRefused},
        {"F 79 2 3", "", kAccepted, [] { return ComponentWorkRows == 2 && NoSizes == 3; }},
        {"F 79 2 51", Refused(79), kRefused},
        {"F 79 11 1", Refused(79), kRefused},
        {"F 80 0.5 -1", Refused(80), kRefused},
        {"F 80 3 0", Refused(80), kRefused},
        {"F 80 0.5 2", "", kAccepted, [] { return CoriolisFlag == 1 && CoriolisImplicitFactor == 2.0; }},
        {"F 81 0", Refused(81), kRefused},
        {"F 82 0.1 10 -1.5 3", Refused(82), kRefused},
        {"F 82 -0.5 -1 -1.5 3", Refused(82), kRefused},
        {"F 83 1 2 3", Refused(83), kRefused},
        {"F 86 0.04", "", kAccepted,
         [] { return MinWaterDepth == 0.04 && SingleCellDepth == 0.04 && DryDepth == 0.01; }},
        {"F 86 11", Refused(86), kRefused},
        {"F 94 -0.5 0.2", "", kAccepted,
         [] { return DryDepth == -0.5 && SingleCellDepth == 0.2 && MinWaterDepth == 0.2; }},
        {"F 94 0.1 -0.2", Refused(94), kRefused},
        {"F 94 0.002 0.03 F 86 0.04", "", kAccepted, [] { return DryDepth == 0.01; }},
        {"F 89 0.0005", Refused(89), kRefused},
        {"F 91 -1 3", Refused(91), kRefused},
        {"F 93 5", "", kAccepted, [] { return SupercriticalAveragingFlag == 1; }},
        {"F 93 1001", Refused(93), kRefused},
        {"F 95 0.5 0.2", "", kAccepted, [] { return NearBedOption == 2; }},
        {"F 92 1 F 95 0.5 0.2", "", kAccepted, [] { return NearBedOption == 1; }},
        {"F 95 -0.5 0.2", Refused(95), kRefused},
        {"F 97 -5", "", kAccepted},
        {"F 99 0", Refused(99), kRefused},
    });
}

}  // namespace
