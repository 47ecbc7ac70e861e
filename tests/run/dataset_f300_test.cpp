#include <gtest/gtest.h>

#include "tests/support/read_cases.h"

namespace {

const std::string kF337Order =
    "Error in control file. The F 337 data set can only be used\nwhen preceded by an F 308 (MPI) data set\n\n";

bool OutputFlagsAre(std::initializer_list<int> expected) {
    int k = 0;
    for (int v : expected) {
        if (OutputFlags[k++] != v) return false;
    }
    return true;
}

TEST(DataSetsF300, ValuesChecksAndMessages) {
    CheckReadCases({
        {"F 301 -1", "Error for F 301 in control\n", kRefused},
        {"F 301 1e5", "", kAccepted, [] { return DivergenceLimit == 1e5; }},
        {"F 303 -1", "Error for F 303 in control\n", kRefused},
        {"F 308 -1", "Error for F 308 in control\n", kRefused},
        {"F 308 1200", "", kAccepted, [] { return MpiPart == 1200; }},
        {"F 314 2 0", "Error for F 314 in control\n", kRefused},
        {"F 314 1 1", "", kAccepted, [] { return F314Int1 == 1 && F314Int2 == 1; }},
        {"F 317 99 1", "Error for F 317 in control\n", kRefused},
        {"F 317 0 1", "Error for F 317 in control\n", kRefused},
        {"F 317 2 0", "Error for F 317 in control\n", kRefused},
        // Entry 1 names a j grid line, which must exist.
        {"F 317 1 301", "Error for F 317 in control\n", kRefused},
        {"F 317 1 300", "", kAccepted, [] { return F317Values[1] == 300; }},
        {"F 317 98 1000", "", kAccepted, [] { return F317Values[98] == 1000; }},
        {"F 318 99 1", "Error for F 318 in control\n", kRefused},
        {"F 318 5 5", "", kAccepted, [] { return F317Values[5] == 0; }},
        {"F 322 -1 0", "Error for F 322 in control\n", kRefused},
        {"F 326 1 -1", "Error for F 326 in control\n", kRefused},
        {"F 329 1 1 0 5\nF 24 1", "Have read 4 integers from the F 329 data set\n", kAccepted,
         [] { return OutputFlagsAre({1, 1, 0, 5, 0}) && TurbulenceModel == 1; }},
        {"F 329 0 3 150 7", "Have read 2 integers from the F 329 data set\n", kAccepted,
         [] { return OutputFlagsAre({0, 3, 0, 0}); }},
        {"F 329 x", "Have read 0 integers from the F 329 data set\nError for F 329 in control", kRefused},
        {"F 329 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 19 20 21",
         "Have read 20 integers from the F 329 data set\n", kAccepted,
         [] { return OutputFlags[19] == 20 && OutputFlags[20] == 0; }},
        {"F 329 1 99999999999 5", "Error for F 329 in control", kRefused},
        {"F 330 -1 0", "Error for F 330 in control\n", kRefused},
        {"F 330 1 2e8", "Error for F 330 in control\n", kRefused},
        {"F 330 1 -1e8", "", kAccepted},
        {"F 331 1", "Error for F 331 in control\n", kRefused},
        {"F 331 2", "", kAccepted},
        {"F 332 -0.01", "Error for F 332 in control\n", kRefused},
        {"F 334 -0.01 0", "Error for F 334 in control\n", kRefused},
        {"F 335 -0.0005", "", kAccepted, [] { return EndTime == -0.0005; }},
        {"F 335 -0.01", "Error for F 335 in control\n", kRefused},
        {"F 337 1 3 0.5", kF337Order, -1},
        {"F 308 2\nF 337 1 3 0.5", "", kAccepted},
        {"F 308 2\nF 337 1 3", "Error for F 337 in control: have not read three numbers\n", kRefused},
        {"F 308 2\nF 337 1 10 0.5", "Error for F 337 in control: 2nd integer not between 1 and 9\n", kRefused},
        {"F 308 2\nF 337 4 3 -0.5", "Error for F 337, group 4, block 3: discharge is too low\n", kRefused},
        {"F 338 -1", "Error for F 338 in control\n", kRefused},
        {"F 340 0", "Error for F 340 in control\n", kRefused},
        {"F 340 9", "", kAccepted, [] { return F340Group == 9; }},
        {"F 341 10", "Error for F 341 in control\n", kRefused},
        {"F 341 9", "", kAccepted, [] { return StepLossFlag == 9; }},
        {"F 345 -1", "Error for F 345 in control\n", kRefused},
        {"F 350 10 20 1 1", "Error for F 350 in control\n", kRefused},
        {"F 350 20 10 1", "Error for F 350 in control\n", kRefused},
        {"F 350 20 10 -1 1", "Error for F 350 in control\n", kRefused},
        {"F 350 20 10 1 1", "", kAccepted, [] { return DischargeTimeStepFlag == 1 && MinDischargeTimeStep == 10; }},
        {"F 351 1 0.00005", "Error for F 351 in control\n", kRefused},
        {"F 351 1 0.5", "", kAccepted, [] { return CriticalLevelFlag == 1 && CriticalFroude == 0.5; }},
        {"F 352 1", "Error for F 352 in control\n", kRefused},
        {"F 353 -5", "", kAccepted, [] { return F353Option == -5; }},
        {"F 354 -1 3", "", kAccepted, [] { return Alpha1PrintI == -1 && Alpha1PrintJ == 3; }},
        {"F 355 -1 1", "Error for F 355 in control\n", kRefused},
        {"F 355 1 0.5", "", kAccepted, [] { return SigmaCorrectionOption == 1 && SigmaCorrectionFactor == 0.5; }},
        {"F 300 -1\nF 302 -1\nF 307 -1\nF 356 -1", "", kAccepted},
    });
}

// The face-based wall laws know only the laws 0, 5 and 8; the reader takes
// the data sets in any order, the checks after it refuse other laws.
TEST(DataSetsF300, FaceWallLawsNeedALawTheyKnow) {
    CheckReadCases({
        {"F 305 1", "", kAccepted, [] { return FaceWallLawFlag == 1 && FaceWallLawSupported(); }},
        {"F 15 8\nF 305 1", "", kAccepted, [] { return FaceWallLawSupported(); }},
        {"F 15 5\nF 305 1\nF 15 0", "", kAccepted, [] { return FaceWallLawSupported(); }},
        {"F 15 3\nF 305 1", "", kAccepted, [] { return !FaceWallLawSupported(); }},
        {"F 305 1\nF 15 19", "", kAccepted, [] { return !FaceWallLawSupported(); }},
        {"F 305 1\nF 120 0", "", kAccepted, [] { return !FaceWallLawSupported(); }},
        {"F 305 2\nF 15 3", "", kAccepted, [] { return FaceWallLawSupported(); }},
        {"F 305 -1", "Error for F 305 in control\n", kRefused},
    });
}

}  // namespace
