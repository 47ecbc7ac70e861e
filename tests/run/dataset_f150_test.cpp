#include <gtest/gtest.h>

#include "tests/support/read_cases.h"

namespace {

const std::string kF159 = "Error for F 159 in control\nDefault F 159: 1 0 0 1 0\n";

TEST(DataSetsF150, ValuesChecksAndMessages) {
    CheckReadCases({
        {"F 150 -1 0", "Error for F 150 in control\n", kRefused},
        {"F 150 3 4", "", kAccepted, [] { return F150Int2 == 4; }},
        {"F 152 11", "Error for F 152 in control\n", kRefused},
        {"F 152 10", "", kAccepted, [] { return NoGridLevels == 10; }},
        {"F 153 0", "", kAccepted, [] { return CellResidualFlag == 0; }},
        {"F 153 -1", "Error for F 153 in control\n", kRefused},
        {"F 154 -1 0.5", "Error for F 154 in control\n", kRefused},
        {"F 156 -1", "Error for F 156 in control\n", kRefused},
        {"F 156 2", "", kAccepted, [] { return PauseFlag == 2; }},
        {"F 157 4", "", kAccepted, [] { return SimpleVariant == 4; }},
        {"F 159 1 0 0 1", kF159, kRefused},
        {"F 159 1 0 -1 1 0", kF159, kRefused},
        {"F 159 2 0 0 1 5", "", kAccepted, [] { return F159Int1 == 2 && F159Int5 == 5; }},
        {"F 160 -1", "Error for F 160 in control\n", kRefused},
        {"F 162", "Error for F 162 in control\n", kRefused},
        {"F 164 -3", "", kAccepted, [] { return SolverVariant == -3; }},
        {"F 168 2", "", kAccepted, [] { return MultigridChoice == 2; }},
        {"F 169 1", "Error for F 169 in control\n", kRefused},
        {"F 170 1", "", kAccepted, [] { return FastSolverFlag == 1; }},
        {"F 172 1 2.5", "Error for F 172 in control\n", kRefused},
        {"F 172 -1 2.5 3", "Error for F 172 in control\n", kRefused},
        {"F 172 1 2.5 3", "", kAccepted, [] { return F172Int1 == 1 && F172Value2 == 2.5 && F172Value3 == 3; }},
        {"F 174 5", "", kAccepted, [] { return CyclicInterval == 5; }},
        {"F 179 2", "Error for F 179 in control\n", kRefused},
        // F 36 11 and F 181 both set the hydrostatic flag; the later one decides.
        {"F 36 11\nF 181 0", "", kAccepted, [] { return HydrostaticPressureFlag == 0 && SimpleVariant == 30; }},
        {"F 181 0\nF 36 11", "", kAccepted, [] { return HydrostaticPressureFlag == 1; }},
        {"F 182 1", "", kAccepted, [] { return BedThicknessCheckOption == 1; }},
        {"F 185 1", "Error for F 185 in control\n", kRefused},
        {"F 185 1 0.5", "", kAccepted, [] { return WallEpsilonDistanceFlag == 1 && WallEpsilonDistanceFactor == 0.5; }},
        {"F 186 1", "", kAccepted, [] { return LineSolverFlag == 1; }},
        {"F 188 -1", "", kAccepted, [] { return MorphologyBlock == -1; }},
        {"F 191 -0.5", "", kAccepted, [] { return EdgeMatchTolerance == -0.5; }},
        {"F 198", "Error for F 198 in control\n", kRefused},
        {"F 151 -1\nF 199 x", "", kAccepted},
    });
}

}  // namespace
