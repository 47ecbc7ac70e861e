#include <gtest/gtest.h>

#include "tests/support/read_cases.h"

namespace {

std::string Repeat(const std::string& text, int times) {
    std::string all;
    for (int k = 0; k < times; ++k) all += text;
    return all;
}

std::string RisingList(int n) {
    std::string s = "W 2 ";
    s += std::to_string(n);
    for (int k = 1; k <= n; ++k) {
        s += ' ';
        s += std::to_string(k);
    }
    return s;
}

const std::string kW4 = "Input error for W 4 in control\n";

TEST(DataSetsW, ValuesChecksAndMessages) {
    CheckReadCases({
        {"W 1 181 1 1", "Input error for W 1 in control", kRefused},
        {"W 1 0.5 1 1", "Input error for W 1 in control", kRefused},
        {"W 1 50 0 1", "Input error for W 1 in control", kRefused},
        {"W 1 50 1 10001", "Input error for W 1 in control", kRefused},
        {"W 1 40 2 -5000", "", kAccepted,
         [] { return W1Given == 1 && StricklerCoefficient == 40 && W1SecondValue == 2 && InitialWaterLevel == -5000; }},
        {"W 2 4 3 5 5 9", "", kAccepted,
         [] { return NoW2Values == 4 && W2Values[1] == 3 && W2Values[3] == 5 && W2Values[4] == 9; }},
        {"W 2 4 3 5 4 9", "Input error for W 2 in control", kRefused},
        {"W 2 1 301", "Input error for W 2 in control", kRefused},
        {"W 2 1 0", "Input error for W 2 in control", kRefused},
        {"W 2 0", "", kAccepted, [] { return NoW2Values == 0; }},
        {"W 2 2 5 6\nW 2 1 3", "", kAccepted, [] { return NoW2Values == 1 && W2Values[1] == 3 && W2Values[2] == 6; }},
        // The count must fit the table before any value is stored.
        {"W 2 400 1 2 3", "Input error for W 2 in control", kRefused, [] { return W2Values[1] == 0; }},
        {"W 2 -1 1 2", "Input error for W 2 in control", kRefused},
        {"W 2 x", "Input error for W 2 in control", kRefused},
        {RisingList(300), "Input error for W 2 in control", kRefused},
        {RisingList(299), "", kAccepted, [] { return NoW2Values == 299 && W2Values[299] == 299; }},
        {"W 4 2 1 10 1 5 1 3", "", kAccepted,
         [] { return MWallNo == 1 && MWall[1].dir == 2 && MWall[1].node == 10 && MWall[1].to2 == 3; }},
        {"W 4 0 1 10 1 5 1 3", kW4 + "MWall(1).dir = 0\n", kRefused},
        {"W 4 2 1 10 1 5 1 3\nW 4 2 2 10 1 5 1 3", kW4 + "MWall(2).posneg = 2\n", kRefused},
        {"W 4 1 0 5 0 5 1 3", kW4 + "A-MWall(1)\n", kRefused},
        {"W 4 1 0 5 1 5 4 3", kW4 + "A-MWall(1)\n", kRefused},
        {"W 4 1 0 301 1 5 1 3", kW4 + "A-MWall(1).node = 301\n", kRefused},
        {"W 4 3 0 12 1 5 1 3", kW4 + "A-MWall(1).node = 12\n", kRefused},
        {"W 4 1 0 5 1 301 1 3", kW4 + "B-MWall(1)\n", kRefused},
        {"W 4 1 0 5 1 5 1 12", kW4 + "B-MWall(1)\n", kRefused},
        {"W 4 2 0 5 1 301 1 11", kW4 + "B-MWall(1)\n", kRefused},
        {"W 4 3 0 5 1 300 1 300", "", kAccepted},
        {Repeat("W 4 1 0 5 1 5 1 3\n", 29), "", kAccepted, [] { return MWallNo == 29; }},
        {Repeat("W 4 1 0 5 1 5 1 3\n", 30), kW4 + "MWallNo = 30, too large\n", kRefused},
        {"W 6 -1 5", "Error, for data set W 6, 1\n", kRefused},
        {"W 6 1 1\nW 6 301 1", "Error, for data set W 6, 2\n", kRefused},
        {"W 6 3 4\nW 6 0 300", "", kAccepted,
         [] { return NoFixedPoints == 2 && FixedPointI[1] == 3 && FixedPointJ[1] == 4 && FixedPointJ[2] == 300; }},
        // One step of the pass per data set, so 20000 of them fit its budget.
        {Repeat("W 6 1 1", 19999), "", kAccepted, [] { return NoFixedPoints == 19999; }},
        {Repeat("W 6 1 1", 20000), "Error, too many W 6 data sets\n", kRefused},
        {"W 7 4 1 1 0.5 0.1", "Integer error, for data set W 7, 1\n", kRefused},
        {"W 7 1 301 1 0.5 0.1", "Integer error, for data set W 7, 1\n", kRefused},
        {"W 7 1 2 3 0.5 0.1", "", kAccepted,
         [] {
             const AttractorRecord& a = Attractors[1];
             return NoAttractors == 1 && a.type == 1 && a.i == 2 && a.j == 3 && a.amplitude == 0.5 && a.decay == 0.1;
         }},
        {Repeat("W 7 1 2 3 0.5 0.1\n", 199), "", kAccepted, [] { return NoAttractors == 199; }},
        {Repeat("W 7 1 2 3 0.5 0.1\n", 200), "Error, too many W 7 data sets\n", kRefused},
        {"W 3 1\nW 0 1\nW 5 1\nW 8 1\nW -1 1", "", kAccepted, [] { return W1Given == 0; }},
    });
}

}  // namespace
