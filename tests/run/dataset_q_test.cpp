// The Q data sets: the typed layouts, the index checks, names, the table's
// capacity and the re-check against the final component count.
#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "tests/support/read_cases.h"

namespace {

std::string QError(int n) { return "Input error for Q " + std::to_string(n) + " in control\n"; }
std::string QError(int n, int c) {
    return "Input error for Q " + std::to_string(n) + " " + std::to_string(c) + " in control\n";
}

// How many integers, then reals, each record type reads.
struct Layout {
    int type, ints, reals;
};
const Layout kLayouts[] = {
    {1, 0, 1},    {5, 0, 1},    {11, 0, 1},   {1001, 0, 1}, {2001, 0, 1},  {2, 1, 1},    {113, 1, 1},
    {1002, 1, 1}, {1012, 1, 1}, {2002, 1, 1}, {3, 2, 1},    {1003, 2, 1},  {2003, 2, 1}, {4, 2, 2},
    {1004, 2, 2}, {2004, 2, 2}, {221, 2, 2},  {17, 1, 7},   {42, 0, 4},    {51, 0, 5},   {81, 0, 8},
    {120, 1, 2},  {121, 1, 2},  {122, 1, 2},  {123, 1, 2},  {131, 1, 3},   {132, 1, 3},  {133, 1, 3},
    {151, 1, 5},  {152, 1, 5},  {161, 1, 6},  {162, 1, 6},  {230, 2, 3},   {251, 2, 5},  {252, 2, 5},
    {261, 2, 6},  {272, 2, 7},  {281, 2, 8},  {282, 2, 8},  {291, 2, 9},   {340, 3, 4},  {361, 3, 6},
    {371, 3, 7},  {1060, 0, 6}, {1102, 0, 2}, {2030, 0, 3}, {2149, 4, 9},  {6100, 6, 10},
};

// A Q line of type t for component 1 with every integer 1 and the reals
// 0.5, 1.5, ...; `missing` values left out at the end.
std::string QLine(const Layout& l, int missing) {
    std::string text = "Q " + std::to_string(l.type) + " 1";
    const int values = l.ints + l.reals - missing;
    for (int k = 0; k < values; ++k) {
        // Appended piece by piece: GCC 12 warns (-Wrestrict) on a literal plus a temporary here.
        text += ' ';
        text += k < l.ints ? std::string("1") : std::to_string(k - l.ints) + ".5";
    }
    return text;
}

const Layout* g_layout = nullptr;

bool RecordHoldsItsValues() {
    const Layout& l = *g_layout;
    if (NoQDataSets != 1) return false;
    const QDataSetRecord& r = QDataSets[0];
    if (r.component != 1 || r.qtype != l.type) return false;
    for (int k = 0; k < kQInts; ++k) {
        if (r.ivalue[k] != (k < l.ints ? 1 : 0)) return false;
    }
    for (int k = 0; k < kQReals; ++k) {
        if (r.rvalue[k] != (k < l.reals ? k + 0.5 : 0.0)) return false;
    }
    return true;
}

TEST(DataSetsQ, EveryTypeReadsItsIntegersThenReals) {
    const std::string before = "F 50 3\nF 79 2 1\n";
    for (const Layout& l : kLayouts) {
        g_layout = &l;
        CheckReadCases({
            {before + QLine(l, 0) + "\nF 2 X", "", kAccepted, RecordHoldsItsValues},
            {before + QLine(l, 1) + "\nF 2 X", QError(l.type, 1), kRefused, [] { return NoQDataSets == 0; }},
        });
    }
}

TEST(DataSetsQ, IndexesAndNumbers) {
    CheckReadCases({
        {"F 50 2\nQ 230 1 0 1 0.5 0.2 0.1", "", kAccepted,
         [] {
             const QDataSetRecord& r = QDataSets[0];
             return r.component == 1 && r.qtype == 230 && r.ivalue[0] == 0 && r.ivalue[1] == 1 &&
                    r.rvalue[0] == 0.5 && r.rvalue[2] == 0.1 && r.rvalue[3] == 0.0;
         }},
        {"F 50 2\nQ 3 0 2 1 0.5", QError(3, 0), kRefused},
        {"F 50 2\nQ 3 0 1 -1 0.5", QError(3, 0), kRefused},
        // Every index reaches the component arrays, so none may equal the count.
        {"F 50 2\nQ 2 0 1 0.5", "", kAccepted},
        {"F 50 2\nQ 2 0 2 0.5", QError(2, 0), kRefused},
        {"F 50 1\nQ 1 1 0.5", QError(1), kRefused},
        {"Q 1 0 0.5", QError(1), kRefused},
        {"F 50 1\nQ 10001 0 1", QError(10001), kRefused},
        {"F 50 1\nQ -1 0 1", QError(-1), kRefused},
        {"F 50 1\nQ 7 0 1.5\nQ 10000 0 2", "", kAccepted, [] { return NoQDataSets == 0; }},
        {"F 50 1\nQ 17 0 0 1 2 3\nF 2 X", QError(17, 0), kRefused},
        {"F 50 1\nQ 1 0 0.5\nQ 1 0 0.7", "", kAccepted,
         [] { return NoQDataSets == 2 && QDataSets[0].rvalue[0] == 0.5 && QDataSets[1].rvalue[0] == 0.7; }},
        // Q 2149: a component, then three rows of the component work array.
        {"F 50 2\nF 79 3 1\nQ 2149 1 0 0 1 2 1 2 3 4 5 6 7 8 9", "", kAccepted,
         [] { return QDataSets[0].ivalue[3] == 2 && QDataSets[0].rvalue[8] == 9.0; }},
        {"F 50 2\nF 79 3 1\nQ 2149 1 0 0 1 3 1 2 3 4 5 6 7 8 9", QError(2149, 1), kRefused},
        {"F 50 2\nQ 2149 1 0 0 0 0 1 2 3 4 5 6 7 8 9", QError(2149, 1), kRefused},
        {"F 50 2\nF 79 3 1\nQ 2149 1 2 0 0 0 1 2 3 4 5 6 7 8 9", QError(2149, 1), kRefused},
        // Q 6100: a count of at most five pairs, then five components.
        {"F 50 2\nQ 6100 0 5 0 1 0 1 0 1 2 3 4 5 6 7 8 9 10", "", kAccepted,
         [] { return QDataSets[0].ivalue[0] == 5 && QDataSets[0].rvalue[9] == 10.0; }},
        {"F 50 2\nQ 6100 0 0 0 0 0 0 0 1 2 3 4 5 6 7 8 9 10", "", kAccepted},
        {"F 50 2\nQ 6100 0 6 0 1 0 1 0 1 2 3 4 5 6 7 8 9 10", QError(6100, 0), kRefused},
        {"F 50 2\nQ 6100 0 -1 0 1 0 1 0 1 2 3 4 5 6 7 8 9 10", QError(6100, 0), kRefused},
        {"F 50 2\nQ 6100 0 1 0 1 0 1 2 1 2 3 4 5 6 7 8 9 10", QError(6100, 0), kRefused},
        {"F 50 1\nQ 1 0 nan", QError(1, 0), kRefused},
    });
}

TEST(DataSetsQ, TableHoldsTwoHundredRecords) {
    CheckReadCases({
        {"F 50 1\n" + RepeatLines("Q 1 0 0.5", 200), "", kAccepted, [] { return NoQDataSets == 200; }},
        {"F 50 1\n" + RepeatLines("Q 1 0 0.5", 200) + "Q 3 0 0 0 0.5", QError(3, 0), kRefused,
         [] { return NoQDataSets == 200; }},
        // Names are no records.
        {"F 50 1\n" + RepeatLines("Q 1 0 0.5", 200) + "Q 0 0 Oxygen", "", kAccepted},
    });
}

TEST(DataSetsQ, Names) {
    static const std::string k39(39, 'n');
    CheckReadCases({
        {"F 50 2\nQ 0 1 Oxygen", "", kAccepted, [] { return std::strcmp(QNames[1], "Oxygen") == 0; }},
        {"F 67 1\nQ 0 0 Temp", "", kAccepted, [] { return std::strcmp(QNames[0], "Temp") == 0; }},
        {"F 50 2\nQ 0 1 " + k39, "", kAccepted, [] { return QNames[1] == k39; }},
        {"F 50 2\nQ 0 1 " + k39 + "x", QError(0, 1), kRefused, [] { return QNames[1][0] == '\0'; }},
        {"F 50 2\nQ 0 1", QError(0, 1), kRefused},
        {"F 50 2\nQ 0 2 Oxygen", QError(0), kRefused},
    });
}

TEST(DataSetsQ, RecheckedAgainstTheFinalCounts) {
    CheckReadCases({
        {"F 50 3\nQ 3 0 2 1 0.5\nF 50 2", QError(3, 0), kRefused},
        {"F 50 3\nQ 1 2 0.5\nF 50 2", QError(1, 2), kRefused},
        {"F 50 3\nQ 1 2 0.5\nF 50 3", "", kAccepted},
        {"F 50 2\nF 79 3 1\nQ 2149 1 0 0 1 2 1 2 3 4 5 6 7 8 9\nF 79 2 1", QError(2149, 1), kRefused},
    });
}

}  // namespace
