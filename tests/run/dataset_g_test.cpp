// The G data sets: values, checks with their messages and statuses, lists and
// the re-check of stored records against the final sizes.
#include <string>

#include <gtest/gtest.h>

#include "tests/support/read_cases.h"

namespace {

std::string Repeat(const std::string& dataSet, int times) {
    std::string text;
    for (int k = 0; k < times; ++k) text += dataSet + "\n";
    return text;
}

const std::string kG1 = "Input error for G 1 in control";
const std::string kG6 = "Input error for G 6 in control\n";
const std::string kG62Values = "Input error for one of the values on the G 62 data set in the in control file\n";
const std::string kG13 = "Input error for G 13 in control";
const std::string kG22 = "Input error for G 22 in control";
const std::string kG29 = "Error for G 29 in control file\n\n";
const std::string kG41 = "Input error for G 41 in control";

TEST(DataSetsG, GridSizesAndVerticalDistribution) {
    CheckReadCases({
        {"", "", kAccepted,
         [] {
             return NoGridLinesX == 300 && NoGridLinesY == 300 && NoGridLinesZ == 11 && NoSizes == 1 &&
                    zdistrib[11] == 1.0 && zdistrib[4] == 0.3;
         }},
        {"G 1 300 300 2 0", "", kAccepted, [] { return NoGridLinesZ == 2 && NoSizes == 0; }},
        {"G 1\n20\n15 6 3", "", kAccepted, [] { return NoGridLinesY == 15 && NoSizes == 3; }},
        {"G 1 3 300 11 1", kG1, kRefused},
        {"G 1 20 20 1 1", kG1, kRefused},
        {"G 1 20 20 11 51", kG1, kRefused},
        {"G 2 2 10 2 300", "", kAccepted},
        {"G 2 1 10 2 10", "Input error for G 2 in control", kRefused},
        {"G 2 2 10 5 4", "Input error for G 2 in control", kRefused},
        {"G 1 20 20 4 1 G 3 0.0 0.5 0.5 1.0", "", kAccepted, [] { return zdistrib[3] == 0.5 && zdistrib[4] == 1.0; }},
        {"G 1 20 20 4 1 G 3 0.0 0.6 0.5 1.0", "Input error for G 3 in control", kRefused},
        {"G 1 20 20 4 1 G 3 -0.1 0.5 0.5 1.0", "Input error for G 3 in control", kRefused},
        {"G 1 20 20 4 1 G 30 0.0 0.5", "Input error for G 30 in control", kRefused},
        // Before the G 1 that lowers it, G 3 reads the default 11 values.
        {"G 3 0 1 2 3 4 5 6 7 8 9 10 G 1 20 20 4 1", "", kAccepted, [] { return zdistrib[11] == 10.0; }},
        // A distribution longer than the table is refused before it is stored.
        {"G 1 20 20 998 1 G 3 0 1", kG1, kRefused},
        {"G 4 0 304 15 0.5", "", kAccepted},
        {"G 4 305 0 0 0.5", "Input error for G 4 in control", kRefused},
        {"G 5 0 1 0 1 0 1 0.5", "", kAccepted},
        {"G 5 305 305 0 1 0 1", "Input error for G 5 in control\nWrong first indexes", kRefused},
        {"G 5 0 1 0 1 0 16", "Input error for G 5 in control\nWrong second indexes", kRefused},
        {"G 5 2 1 0 1 0 1", "Input error for G 5 in control\nWrong match beween indexes", kRefused},
        {"G 9 300", "", kAccepted},
        {"G 9 0", "Error for G 9 in control", kRefused},
    });
}

TEST(DataSetsG, ReferenceCell) {
    CheckReadCases({
        {"G 6 5 1 2 0.5 0.02", "", kAccepted,
         [] { return ReferenceCell == 5 && ReferenceCellGroup == 2 && SurfaceUpdateResidual == 0.02; }},
        {"G 6 49999 0 0 0.5 0.01", "", kAccepted},
        // The reference cell must be a slot of the cell arrays.
        {"G 6 50000 0 0 0.5 0.01", kG6, kRefused},
        {"F 65 100 200 200 10 10 G 6 100 0 0 0.5 0.01", kG6, kRefused},
        {"G 6 5 0 0 20 0.01", kG6, kRefused},
        {"G 6 5 0 -1 0.5 0.01", kG6, kRefused},
        {"G 62 5 0 0 1 0.5 0.01", "", kAccepted, [] { return ReferenceLevelGroup == 1; }},
        {"G 62 5 0 0 1 0.5", "Input error for G 62 in control. Have you provided 6 parameters?\n", kRefused},
        {"G 62 5 0 0 -1 0.5 0.01", kG62Values, kRefused},
    });
}

TEST(DataSetsG, ListsAndTheirCapacities) {
    const std::string g7 = "G 7 1 0 0 0 0 0 0 8 0.5 0 0 4.5";
    const std::string g10 = "G 10 2 5 2 5 2 5 1.0";
    const std::string g11 = "G 11 2 5 2 5 2 5 1.0 2.0";
    CheckReadCases({
        {Repeat(g7, 19), "", kAccepted,
         [] {
             return NoG7Records == 19 && G7Records[19].ivalue[0] == 1 && G7Records[19].ivalue[7] == 8 &&
                    G7Records[19].rvalue[3] == 4.5;
         }},
        {Repeat(g7, 20), "Input error for G 7 in control\nData sets must not exceed 19\n", kRefused,
         [] { return NoG7Records == 19; }},
        {Repeat(g10, 10) + Repeat(g11, 9), "", kAccepted},
        {Repeat(g10, 10) + Repeat(g11, 10), "Input error for G 11 in control\nData sets must not exceed 19\n", kRefused},
        {"G 10 1 5 2 5 2 5 1.0", "Input error for G 10 in control", kRefused},
        {"G 11 2 5 2 5 2 13 1.0 2.0", "Input error for G 11 in control", kRefused},
        {"G 1 20 20 11 2 G 12 3 0.25 0.5", "", kAccepted,
         [] { return NoG12Records == 1 && G12Records[1].group == 3 && G12Records[1].concentration[2] == 0.5; }},
        {"G 12 10 0.5", "Input error for G 12, first parameter, in control", kRefused},
        {"G 12 3 1.5", "Input error for G 12, concentration, in control", kRefused},
        {Repeat("G 12 3 0.5", 20), "Input error for G 12 in control\nData sets must not exceed 19\n", kRefused},
        {"G 13 1 2 3 2 3 2 3", "", kAccepted, [] { return NoG13Regions == 1 && G13Regions[1].kLast == 3; }},
        {"G 13 5 2 3 2 3 2 3", kG13, kRefused},
        {"G 13 0 2 302 2 3 2 3", kG13, kRefused},
        {Repeat("G 13 1 2 3 2 3 2 3", 500), "Input error for G 13 in control\nData sets must not exceed 499\n", kRefused},
        {"G 14 7 2 2 2", "Input error for G 14 in control", kRefused},
        {Repeat("G 14 1 2 2 2", 30), "Input error for G 14 in control\nData sets must not exceed 29\n", kRefused},
        {"G 18 0.1 0.2 0.3 0.4 0.5 0.6", "", kAccepted,
         [] { return NoInitialValueSets == 1 && G18Records[1][1] == 0.1 && InitialValueSets[1][6] == 0.6; }},
        {Repeat("G 18 0 0 0 0 0 0", 20), "Increase array for G 18 and recompile\n", -2},
        {"G 22 2 2 2 3 0 1 1e-5", "", kAccepted, [] { return NoDragZones == 1; }},
        {"G 22 2 2 2 3 0 1 0.0", kG22, kRefused},
        {"G 22 2 301 2 3 0 1 1", kG22, kRefused},
        {"G 22 2 3 2 3 1 0 1", kG22, kRefused},
        {Repeat("G 22 2 3 2 3 0 1 1", 20), "Input error for G 22 in control\nNumber of data sets must not exceed 19\n",
         kRefused},
        {Repeat("G 42 1 2", 21), "", kAccepted},
        {Repeat("G 42 1 2", 22), "Too many G 42 data sets\n", kRefused},
    });
}

TEST(DataSetsG, PlotVariablesAndBlockValues) {
    const std::string positive = "The G 24 data set has to include a positive integer first\n";
    CheckReadCases({
        {"G 24 0", "", kAccepted, [] { return NoPlotVariables == 0; }},
        {"G 24 -1", positive, kRefused},
        {"G 24 x", positive, kRefused},
        {"G 24 300", "Too many points in G 24 data set\n", kRefused},
        {"G 24 2 c 1 1 N 0 0",
         "Error in G 24 data set. The N variable can not be used when the F 37 data set is not 3\n", kAccepted,
         [] {
             return NoPlotVariables == 2 && PlotVariables[0].letter == 'c' && PlotVariables[1].letter == 'N' &&
                    PlotVariables[0].level == 1;
         }},
        // The letter is the first byte that is not a blank; a tenth blank is the letter itself.
        {"G 24 1" + std::string(9, ' ') + "z 0 0", "", kAccepted, [] { return PlotVariables[0].letter == 'z'; }},
        {"G 24 1" + std::string(10, ' ') + "0 0", "", kAccepted, [] { return PlotVariables[0].letter == ' '; }},
        {"G 24 2 c 1 1 v 12 0", "Error in G 24 data set, variable no. 1\n", kRefused},
        {"G 24 1 c 1 2", "Error in G 24 data set, variable no. 0\n", kRefused},
        {"G 24 1 c 1", "Error in G 24 data set, variable no. 0\n", kRefused},
        {"G 24 2 u 0 0 v 0 0 G 24 1 w 0 0", "", kAccepted,
         [] { return NoPlotVariables == 1 && PlotVariables[0].letter == 'w'; }},
        {"G 25 2 1 5", "", kAccepted, [] { return NoBlockSelectionValues == 2 && BlockSelection[2] == 5; }},
        {"G 25 2 1 21", "Error for integer no. 3 on G 25 data set\n", kRefused},
        {"G 25 0", "Error first integer on G 25 data set\n", kRefused},
        {"G 25 100", "Error first integer on G 25 data set\n", kRefused},
        {"G 26 3 1 0 1", "", kAccepted, [] { return G26BlockValues[2] == 0 && G26BlockValues[98] == 1; }},
        {"G 26 3 1 0 11", "Error after reading 4 integer in the G 26 data set\n", kRefused,
         [] { return G26BlockValues[2] == 0 && G26BlockValues[4] == 1; }},
        {"G 26 2 1", "Error after reading 3 integer in the G 26 data set\n", kRefused},
        {"G 26 91", "Error first integer on G 26 data set\n", kRefused},
        {"G 50 0 1 2 3 0 0 0 0 0 0", "Error for G 50 data set in control file\nInteger no. 3 = 3\n", kAccepted,
         [] { return OpenMPSwitches[3] == 3 && OpenMPSwitches[2] == 2; }},
    });
}

TEST(DataSetsG, PartitionsRatingCurvesBoxesAndProfiles) {
    const std::string curve = "G 28 2 5 3 3 10.5 2 1.5";
    CheckReadCases({
        {"G 27 0 10 10 20", "", kAccepted, [] { return divisionMPI[4] == 20; }, [] { MpiPart = 4; }},
        {"G 27 0 10",
         "Error for G 27 data set in control file. The F 308 data set\n"
         "must be present in the control file and have an integer above 1\n\n",
         -1, nullptr, [] { MpiPart = 1; }},
        {"G 27 0 10", "Error for MPI parameters: recompile with increased divisionMPI array\n\n", -1, nullptr,
         [] { MpiPart = 1000; }},
        {"G 27 0 10", "Error for G 27 data set: only 2 integers are present.Required number of integers are 4\n\n", -1,
         nullptr, [] { MpiPart = 4; }},
        {"G 27 0 10 5 20", "Error in G 27 data set: integers have to be givein in rising order\n\n", -1, nullptr,
         [] { MpiPart = 4; }},
        {curve, "", kAccepted, [] { return NoRatingCurves == 1 && RatingCurves[0].exponent == 1.5; }},
        {curve + " G 28 2 5 3 3 10.5 4 1.5", "Error for G 28 in the control file, 2 occurrence\n", -1},
        {"G 28 2 5 3 3 10.5 2", "Error for G 28 in the control file, 1 occurrence\n", -1},
        {"G 28 2 299 3 3 10.5 2 1", "Error for G 28 in the control file, 1 occurrence\n", -1},
        {Repeat(curve, 20), "", kAccepted},
        // The table holds 20 curves.
        {Repeat(curve, 21), "Error for G 28 in the control file, 21 occurrence\n", -1, [] { return NoRatingCurves == 20; }},
        {"G 29 2 3 2 3", "", kAccepted, [] { return DepositBoxJLast == 3; }},
        {"G 29 3 2 2 3", kG29, -1},
        {"G 29 2 3 2", kG29, -1},
        {"G 31 3 0.5", "", kAccepted, [] { return InspaceSizeFactor[3] == 0.5 && InspaceSizeFactor[4] == 1.0; }},
        {"G 31 21 1.0", "Input error for G 31 in control - first parameter", kRefused},
        {"G 31 3 -1", "Input error for G 31 in control - second parameter", kRefused},
        {"G 31 3", "Input error for G 31 in control - second parameter", kRefused},
        {"G 40 2 1.0 5.0 0.0 4.0", "", kAccepted, [] { return NoInitialProfilePoints == 2 && G40Pairs[1].value == 4.0; }},
        {"G 40 0", "Input error for G 40 in control", kRefused},
        {"G 40 50", "Input error for G 40 in control", kRefused},
        {"F 50 2 G 41 1 2 1.0 5.0 0.0 4.0", "", kAccepted,
         [] {
             return NoComponentProfiles == 1 && G41Component[0] == 1 && G41ComponentNo[0] == 1 &&
                    G41PairCount[0] == 2 && G41Pairs[0][1].value == 4.0;
         }},
        // The component must be one that F 50 declares.
        {"F 50 2 G 41 2 1 1.0 5.0", kG41, kRefused},
        {"G 41 0 1 1.0 5.0", kG41, kRefused},
        {"F 50 2 G 41 1 50 1.0 5.0", kG41, kRefused},
        {"F 50 2 " + Repeat("G 41 1 1 1.0 5.0", 11), "Input error for G 41 in control - too many data sets", kRefused},
    });
}

// A bed-layer letter must read a layer of the bed (layers 0 to F 134), and q
// a component of F 50; checked once the whole file is read.
TEST(DataSetsG, PlotLettersNameALayerOrComponentThatExists) {
    const std::string error0 = "Error in G 24 data set, variable no. 0\n";
    CheckReadCases({
        {"G 24 3 L 3 0 a 0 0 f 3 1", "", kAccepted},
        {"F 37 3 G 24 1 N 3 0", "", kAccepted},
        {"F 37 3 G 24 1 N 4 0", error0, kRefused},
        {"G 24 1 L 4 0", error0, kRefused},
        {"G 24 2 u 4 0 f 4 1", "Error in G 24 data set, variable no. 1\n", kRefused},
        {"G 24 1 a 4 0 F 134 3", "", kAccepted},
        {"F 50 2 G 24 1 q 0 1", "", kAccepted},
        {"G 1 20 20 11 3 F 50 2 G 24 1 q 0 2", error0, kRefused},
        {"G 24 1 q 0 1 F 50 1", error0, kRefused},
        {"G 24 1 q 0 1", "", kAccepted},  // no components: q shows zeros
    });
}

// A G 1, F 50 or F 65 placed after a record may lower the sizes the record
// was checked against; the record is refused once the whole file is read.
TEST(DataSetsG, RecordsAreRecheckedAgainstTheFinalSizes) {
    CheckReadCases({
        {"G 13 0 2 30 2 30 2 5 G 1 20 20 11 1", kG13, kRefused},
        {"G 13 0 2 21 2 21 2 5 G 1 20 20 11 1", "", kAccepted},
        {"G 6 100 0 0 0.5 0.01 F 65 100 200 200 10 10", kG6, kRefused},
        {"G 62 100 0 0 0 0.5 0.01 F 65 100 200 200 10 10", kG62Values, kRefused},
        {"G 22 2 30 2 3 0 1 1 G 1 20 20 11 1", kG22, kRefused},
        {"G 24 2 c 1 0 c 8 0 G 1 20 20 5 1", "Error in G 24 data set, variable no. 1\n", kRefused},
        {"G 1 20 20 11 3 G 24 1 c 1 3 F 79 0 2", "Error in G 24 data set, variable no. 0\n", kRefused},
        {"G 28 2 5 2 2 10 1 1 G 1 6 20 11 1", "Error for G 28 in the control file, 1 occurrence\n", -1},
        {"G 29 2 30 2 3 G 1 20 20 11 1", kG29, -1},
        {"F 50 3 G 41 2 1 1.0 5.0 F 50 1", kG41, kRefused},
        // The other families whose records carry grid indexes.
        {"F 130 2 30 2 10 G 1 20 20 11 1", "Error for F 130 in control", kRefused},
        {"F 130 2 20 2 20 G 1 20 20 11 1", "", kAccepted},
        {"W 2 2 5 30 G 1 20 20 11 1", "Input error for W 2 in control", kRefused},
        {"W 4 1 0 25 1 5 1 3 G 1 20 20 11 1", "Input error for W 4 in control\nA-MWall(1).node = 25\n", kRefused},
        {"W 4 1 0 5 1 25 1 3 G 1 20 20 11 1", "Input error for W 4 in control\nB-MWall(1)\n", kRefused},
        {"W 6 5 5 W 6 25 3 G 1 20 20 11 1", "Error, for data set W 6, 2\n", kRefused},
        {"W 7 1 5 25 1.0 2.0 G 1 20 20 11 1", "Integer error, for data set W 7, 1\n", kRefused},
    });
}

}  // namespace
