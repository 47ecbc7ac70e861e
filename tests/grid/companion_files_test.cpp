// The node and column files beside the grid file, on the channel: 4 by 3
// columns (i = 2..5, j = 2..4) of 3 cells.
#include <cstdio>
#include <filesystem>

#include "grid/companion_files.h"
#include "tests/grid/unstruc_case.h"

namespace {

class CompanionFiles : public UnstrucCase {
protected:
    void SetUp() override { StartAndRead(Channel(3).control, Channel(3).unstruc); }

    // One koomin line for node (2, 2), moved by dx in x, at `level`.
    static void WriteKoomin(double dx, double level) {
        char line[160];
        std::snprintf(line, sizeof line, "2 2 %.6f %.6f %.6f\n", Gridx[2][2] + dx, Gridy[2][2], level);
        WriteHere("koomin", line);
    }
    static EngineCall ReadKoomin() { return CallEngine([] { return ReadKoominFile(); }); }
};

TEST_F(CompanionFiles, KoominPointsMustLieOnTheirNodes) {
    const double bed = Gridz[2][2][1];
    WriteKoomin(0.005, bed - 2.0);
    EngineCall near = ReadKoomin();
    ASSERT_FALSE(near.ended);
    EXPECT_EQ(near.result, 0);
    EXPECT_DOUBLE_EQ(GridLevels[3][2][2], bed - 2.0);

    WriteKoomin(0.02, bed - 2.0);
    EngineCall off = ReadKoomin();
    ASSERT_FALSE(off.ended);
    EXPECT_EQ(off.result, -58);
    EXPECT_NE(off.log.find("Error in koomin file for point (2,2)\n"), std::string::npos) << off.log;
}

TEST_F(CompanionFiles, KoominLevelsAboveTheBedAreLoweredUnlessAllowed) {
    const double bed = Gridz[2][2][1];
    WriteKoomin(0.0, bed + 0.5);
    EngineCall lowered = ReadKoomin();
    EXPECT_DOUBLE_EQ(GridLevels[3][2][2], bed);
    EXPECT_NE(lowered.log.find("Warning, koomin levels above koordina levels at grid line intersection (2,2).\n"),
              std::string::npos);
    F249Option = 1;
    ReadKoomin();
    EXPECT_DOUBLE_EQ(GridLevels[3][2][2], bed + 0.5);
}

TEST_F(CompanionFiles, KoominkToleranceFollowsTheGridExtent) {
    // 1e-5 of the 4 m channel length: 4e-5 m.
    char line[160];
    std::snprintf(line, sizeof line, "2 2 %.6f %.6f %.6f 0\n", Gridx[2][2] + 1e-4, Gridy[2][2], -3.0);
    WriteHere("koomink", line);
    EngineCall call = ReadKoomin();
    EXPECT_EQ(call.result, -58);
    EXPECT_NE(call.log.find("Error in koomink file for point (2,2)\n"), std::string::npos);
}

TEST_F(CompanionFiles, WithoutKoominTheLevelLiesTenMetresBelowTheBed) {
    std::filesystem::remove("koomin");
    ReadKoomin();
    EXPECT_DOUBLE_EQ(GridLevels[3][3][3], Gridz[3][3][1] - 10.0);
    KoominMode = 41;
    KoominDepth = 2.5;
    ReadKoomin();
    EXPECT_DOUBLE_EQ(GridLevels[3][3][3], Gridz[3][3][1] - 2.5);
}

TEST_F(CompanionFiles, BedroughOverridesInteriorNodesOnly) {
    WriteHere("bedrough", "B 3 3 0.25\nB 0 3 0.5\n");
    const double before = GridBedRough[2][3];
    EngineCall call = CallEngine([] {
        ReadBedroughFile();
        return 0;
    });
    EXPECT_DOUBLE_EQ(GridBedRough[3][3], 0.25);
    EXPECT_DOUBLE_EQ(GridBedRough[2][3], before);
    EXPECT_NE(call.log.find("Have read 1 roughness points from bedrough file\n"), std::string::npos);
}

struct Alpha1Row {
    const char* name;
    std::string text;  // empty: no file
    int status;
    const char* message;
};

TEST_F(CompanionFiles, Alpha1FaultsEndTheRun) {
    const std::string n = std::to_string(NoCells);
    const Alpha1Row rows[] = {
        {"missing", "", -88, "Error: can not open alpha1 file\n"},
        {"no count", "head>\nx\n", -89, "Error in reading number of cells from alpha 1 file\n"},
        {"wrong count", "head>\n5\n(\n", -89, "Error in reading alpha 1 file: number of cells is 5, not 36\n"},
        {"short", "head>\n" + n + "\n(\n1\n1\nz\n", -90, "Error in reading alpha 1 file at cell no. 3\n"},
    };
    for (const Alpha1Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::filesystem::remove("alpha1");
        if (!row.text.empty()) WriteHere("alpha1", row.text);
        EngineCall call = CallEngine([] {
            ReadAlpha1File();
            return 0;
        });
        ASSERT_TRUE(call.ended);
        EXPECT_EQ(call.status, row.status);
        EXPECT_NE(call.log.find(row.message), std::string::npos) << call.log;
    }
}

// Full columns below the two upper cells: the half crossing lies between the
// centres of the middle and the top cell, found through the top neighbours.
TEST_F(CompanionFiles, Alpha1LevelCrossesBetweenCellCentres) {
    std::string text = "FoamFile>\n" + std::to_string(NoCells) + "\n(\n";
    for (int c = 1; c <= NoCells; ++c) {
        const bool top = Ccellt[c] == 0;
        text += top ? "0.0\n" : "1.0\n";
    }
    WriteHere("alpha1", text);
    Alpha1PrintI = 3;
    Alpha1PrintJ = 3;
    EngineCall call = CallEngine([] {
        ReadAlpha1File();
        return 0;
    });
    ASSERT_FALSE(call.ended) << call.log;
    int c = static_cast<int>(Gridz[3][3][0]);
    while (Ccellt[Ccellt[c]] > 0) c = Ccellt[c];
    const double expected = 0.5 * (Czcenter[c] + Czcenter[Ccellt[c]]);
    EXPECT_NEAR(Gridz[3][3][NoGridLinesZ + 1], expected, 1e-12);
}

TEST_F(CompanionFiles, WrittenNodeFilesHaveOneLinePerNode) {
    ASSERT_EQ(CallEngine([] { return WriteGridCompanionFiles(); }).result, 0);
    const int nodes = (NoGridLinesX - 1) * (NoGridLinesY - 1);
    EXPECT_EQ(SplitLines(ReadHere("koordina.t")).size(), static_cast<size_t>(nodes));
    EXPECT_EQ(SplitLines(ReadHere("koomin.bed")).size(), static_cast<size_t>(nodes));
    const BlockRecord& b = BlockTable[1];
    EXPECT_EQ(SplitLines(ReadHere("koordina.si1")).size(),
              static_cast<size_t>((b.iLast - b.iFirst + 2) * (b.jLast - b.jFirst + 2)));
    EXPECT_FALSE(std::filesystem::exists("koordina.si2"));
}

TEST_F(CompanionFiles, KoosurfPartitionsCutBlockOneEvenly) {
    BlockTable[1].iFirst = 2;
    BlockTable[1].iLast = 5;
    MpiPart = 3;
    divisionMPI[1] = -1;
    ASSERT_EQ(CallEngine([] { return WriteKoosurfMpi(); }).result, 0);
    EXPECT_EQ(divisionMPI[0], 2);
    EXPECT_EQ(divisionMPI[1], 2);
    EXPECT_EQ(divisionMPI[2], 3);
    EXPECT_EQ(divisionMPI[3], 5);
    const int rowNodes = BlockTable[1].jLast - BlockTable[1].jFirst + 2;
    // Rows 2 to 5: the partition starts one row before its boundary.
    EXPECT_EQ(SplitLines(ReadHere("koosurf.mpi3")).size(), static_cast<size_t>(4 * rowNodes));
    EXPECT_EQ(SplitLines(ReadHere("koosurf.mpi1")).front().substr(0, 4), "1 1 ");
}

}  // namespace
