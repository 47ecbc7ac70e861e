// The letters U and H through the built engine.
#include <gtest/gtest.h>

#include "tests/support/grid_engine.h"
#include "tests/support/project_dir.h"

namespace {

const std::string kCube = Fixture("unit_cube", "unstruc");

std::string CubeWithLine(size_t n, const std::string& line) {
    std::string text;
    size_t at = 0;
    for (size_t k = 1; at < kCube.size(); ++k) {
        size_t end = kCube.find('\n', at);
        text += k == n ? line : kCube.substr(at, end - at);
        text += '\n';
        at = end + 1;
    }
    return text;
}

TEST(UnstrucEngine, TheUnitCubeIsReadAndWrittenBack) {
    ProjectDir dir;
    dir.write("control", Fixture("unit_cube", "control"));
    dir.write("unstruc", kCube);
    EngineRun r = dir.run();
    EXPECT_EQ(r.status, 0) << JoinLines(r.boogie);
    EXPECT_EQ(dir.read("unstruc"), kCube);
}

class UnstrucEngineTable : public ::testing::TestWithParam<EngineCase> {};

TEST_P(UnstrucEngineTable, LogAndStatus) { CheckEngineCase(GetParam()); }

const EngineCase kUnstrucEngineCases[] = {
    {"CapacitiesBelowTheFileCounts", "F 65 1 100 100 10 10\nF 2 UHX\nG 1 4 4 2 1\n", -5,
     {"Error reading the 'unstruc' file: the allocated arrays are smaller than the \n"},
     {"G 6/62 2D reference indexes"},
     {{"unstruc", kCube}}},
    {"MissingFileStopsTheRun", "F 2 UWX\nG 1 4 4 2 1\n", -2, {"Error: can not open 'unstruc' file\n"},
     {"SetActiveCellRange", "WaterSolve"}},
    {"NeighbourBeyondTheCells", "F 2 UWX\nG 1 4 4 2 1\n", -6,
     {"Error reading the 'unstruc' file at line 10: neighbour cell 2 of cell 1 is outside 0 to 1\n"},
     {"G 6/62 2D reference indexes", "SetActiveCellRange"},
     {{"unstruc", CubeWithLine(10, "1 2 3 4 5 6 7 8 1 2 3 4 5 6 0 0 0 0 2 0 ")}}},
    {"GridWrittenAfterItIsRead", "F 2 UH\nG 1 4 4 2 1\nF 297 4\n", 1,
     {"G 6/62 2D reference indexes: 0 0 0 0\n"},
     {"is not available in this build", "have not written"},
     {{"unstruc", kCube}}},
};

INSTANTIATE_TEST_SUITE_P(Rows, UnstrucEngineTable, ::testing::ValuesIn(kUnstrucEngineCases), EngineCaseName());

TEST(UnstrucEngine, FailedReadsSayWhyInTheStatusText) {
    const struct {
        std::string unstruc;
        const char* status;
        int exitStatus;
    } rows[] = {
        {"", " Error reading unstruc file  \n", -2},
        {CubeWithLine(17, "2 4 2 2 0 1 0 0 0 0 1 1 1 6 1 8 0 0.000000 0.000000"), " Error on 1st integer, G 1 data set \n",
         -55},
    };
    for (const auto& row : rows) {
        ProjectDir dir;
        dir.write("control", "F 2 UX\nG 1 4 4 2 1\n");
        if (!row.unstruc.empty()) dir.write("unstruc", row.unstruc);
        EngineRun r = dir.run();
        EXPECT_EQ(r.status, row.exitStatus);
        ASSERT_GE(r.out.size(), 2u);
        EXPECT_EQ(r.out.substr(r.out.rfind('\n', r.out.size() - 2) + 1), row.status);
    }
}

}  // namespace
