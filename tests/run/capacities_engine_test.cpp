// Grid sizes and capacities through the built engine: control text in, log
// texts and exit status out.
#include <gtest/gtest.h>

#include "tests/support/project_dir.h"

namespace {

class CapacitiesEngineTable : public ::testing::TestWithParam<EngineCase> {};

TEST_P(CapacitiesEngineTable, LogAndStatus) { CheckEngineCase(GetParam()); }

const EngineCase kCapacitiesEngineCases[] = {
    {"SmallGridAllocatesBothFamilies", "G 1 20 15 6 1\nF 2 X\n", 0,
     {"Have allocated ", " Mbytes structured arrays\n", "Have allocated ", " Mbytes unstructured arrays\n\n"}},
    {"VerticalDistributionTableTooSmall", "G 1 20 15 998 1\nF 2 X\n", -2,
     {"Error - increase zdistrib array, nz = 1000\n"}, {"Have allocated"}},
    {"TooFewGridLines", "G 1 3 300 11 1\nF 2 X\n", kRefused, {"Input error for G 1 in control"}, {"Have allocated"}},
    {"CapacitiesTooLow", "F 65 100 100 5 10 10\nF 2 X\n", kRefused, {"Error for F 65 in control: too low numbers"}},
    {"CapacitiesIncomplete", "F 65 3\nF 2 X\n", kRefused, {"Error for F 65 in control: Have only read 1 numbers."}},
    {"LaterG1ShrinksTheGridUnderARegion", "G 13 0 2 30 2 30 2 5\nG 1 20 20 11 1\nF 2 X\n", kRefused,
     {"Input error for G 13 in control"}, {"Have allocated"}},
    {"LaterF65ShrinksTheCellsUnderTheReference", "G 6 500 0 0 0.5 0.01\nF 65 400 800 800 10 10\nF 2 X\n", kRefused,
     {"Input error for G 6 in control\n"}, {"Have allocated"}},
};

INSTANTIATE_TEST_SUITE_P(Rows, CapacitiesEngineTable, ::testing::ValuesIn(kCapacitiesEngineCases), EngineCaseName());

}  // namespace
