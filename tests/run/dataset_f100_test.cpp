#include <gtest/gtest.h>

#include "tests/support/read_cases.h"

namespace {

const std::string kF101 = "Error for F 101 in control";

TEST(DataSetsF100, ValuesChecksAndMessages) {
    CheckReadCases({
        {"F 101 0 50 -1 20", "", kAccepted,
         [] {
             return OutputIntervals[0] == 20 && OutputIntervals[1] == 0 && OutputIntervals[2] == 50 &&
                    OutputIntervals[3] == -1 && OutputIntervals[4] == 20;
         }},
        {"F 101 0 0 0 0", "", kAccepted, [] { return OutputIntervals[0] == 1000000; }},
        {"F 101 5 6 7", kF101, kRefused},
        {"F 102 -1", "Error for F 102 in control", kRefused},
        {"F 105 0", "Error for F 105 in control", kRefused},
        {"F 105 1", "", kAccepted, [] { return SurfaceInterval == 1; }},
        {"F 106 0", "Error for F 106 in control", kRefused},
        {"F 106 200000", "Error for F 106 in control", kRefused},
        {"F 106 -0.5", "", kAccepted, [] { return F106Value == -0.5; }},
        {"F 109 1 1 1.5", "Error for F 109 in control", kRefused},
        {"F 109 1 -1 0.5", "Error for F 109 in control", kRefused},
        {"F 109 2 3 0.5", "", kAccepted, [] { return CotAngle1 == 2 && CotAngle2 == 3 && AngleFactor == 0.5; }},
        // F 110 needs the bed-concentration variant 1 of F 60 before it.
        {"F 110 1 0.5", "Error for F 110 in control", kRefused},
        {"F 110 1 0.5", "", kAccepted, [] { return F110Value1 == 1 && F110Value2 == 0.5; }, [] { F60Int1 = 1; }},
        {"F 110 1 1.5", "Error for F 110 in control", kRefused, nullptr, [] { F60Int1 = 1; }},
        {"F 111 1", "", kAccepted},
        {"F 111 2", "Error for F 111 in control", kRefused},
        {"F 112 101", "Error for F 112 in control", kRefused},
        {"F 113 7", "", kAccepted, [] { return FluxInterpolationOption == 7 && F113InitialValue == 7; }},
        {"F 113 101", "Error for F 113 in control", kRefused},
        {"F 114 -1", "Error for F 114 in control", kRefused},
        {"F 115 501", "Error for F 115 in control", kRefused},
        {"F 115 500", "", kAccepted, [] { return VegetationOption == 500; }},
        {"F 120 7", "", kAccepted, [] { return WallLaw == 1000; }},
        {"F 120 7\nF 15 3", "", kAccepted, [] { return WallLaw == 3; }},
        {"F 120 -1", "Error for F 120 in control", kRefused},
        {"F 121", "Error for F 121 in control", kRefused},
        {"F 128 -1", "", kAccepted, [] { return F128Option == -1; }},
        {"F 130 2 10 2 10", "", kAccepted, [] { return F130Int2 == 10 && F130Int4 == 10; }},
        {"F 130 1 10 2 10", "Error for F 130 in control", kRefused},
        {"F 130 2 301 2 10", "Error for F 130 in control", kRefused},
        {"F 130 2 10 2 301", "Error for F 130 in control", kRefused},
        {"F 130 5 4 2 10", "Error for F 130 in control", kRefused},
        {"F 130 2 10 9 8", "Error for F 130 in control", kRefused},
        {"F 130 2 301 2 10", "", kAccepted, nullptr, [] { NoGridLinesX = 400; }},
        {"F 131 21 0.5", "Error for F 131 in control - index\n", kRefused},
        {"F 131 0 0.5", "Error for F 131 in control - index\n", kRefused},
        {"F 131 3 -0.1", "Error for F 131 in control - negative cohesion\n", kRefused},
        {"F 131 3", "Error for F 131 in control - negative cohesion\n", kRefused},
        {"F 131 3 0.5\nF 131 20 0.25", "", kAccepted, [] { return Cohesion[3] == 0.5 && Cohesion[20] == 0.25; }},
        {"F 132 -1", "Error for F 132 in control - negative value\n", kRefused},
        {"F 132 1.5", "", kAccepted, [] { return FroudeLimit == 1.5; }},
        {"F 134 1", "Error for F 134 in control\n", kRefused},
        {"F 134 51", "Error for F 134 in control\n", kRefused},
        {"F 134 50", "", kAccepted, [] { return NoBedLayers == 50; }},
        {"F 137 -1", "Error for F 137 in control\n", kRefused},
        {"F 138 -1e-20", "Error for F 138 in control\n", kRefused},
        {"F 139 1", "Error for F 139 in control, 2nd. parameter\n", kRefused},
        {"F 139 -1 1", "Error for F 139 in control, 1st. parameter\n", kRefused},
        {"F 139 2 3", "", kAccepted, [] { return MinUplus == 2 && MinUplusWall == 3; }},
        {"F 140 -1", "Error for F 140 in control\n", kRefused},
        {"F 141 -1", "Error for F 141 in control\n", kRefused},
        {"F 144 -1 0.5", "Error for F 144 in control\n", kRefused},
        {"F 144 2 0.5", "", kAccepted, [] { return F144Option == 2 && F144Value == 0.5; }},
        {"F 147 20 2 1 -0.2 1 1", "Error for F 147 in control\n", kRefused},
        {"F 147 -1 2 1 0.2 1 1", "Error for F 147 in control\n", kRefused},
        {"F 147 5 0 3 0.1 2 3", "", kAccepted,
         [] { return ExtrapolationPasses == 5 && F147Int2 == 0 && F147Int3 == 3 && F147Value6 == 3; }},
        {"F 148 0", "", kAccepted, [] { return MaxLevelSlope == 0.0; }},
        {"F 148 -0.1", "Error for F 148 in control\n", kRefused},
        {"F 149 1 -1", "Error for F 149 in control\n", kRefused},
        {"F 149 0.5 2", "", kAccepted, [] { return VerticalEddyViscFactor == 0.5 && HorizontalEddyViscFactor == 2; }},
        // Numbers without a handler read nothing.
        {"F 100 -5\nF 145 -1", "", kAccepted},
    });
}

}  // namespace
