// Reading the grid file: versions, sections, warnings and refusals.
#include <algorithm>
#include <sstream>

#include "tests/grid/unstruc_case.h"

namespace {

// The channel grid in the version-2 and version-1 forms, as the engine
// writes them.
class UnstrucVersions : public UnstrucCase {
protected:
    std::string channelControl(const std::string& more = "") { return Channel(3).control + more; }

    std::string writtenV2() {
        StartAndRead(channelControl("F 297 2\n"), Channel(3).unstruc);
        EXPECT_EQ(Write().result, 0);
        return ReadHere("unstruc");
    }

    std::string writtenV1() {
        StartAndRead(channelControl(), Channel(3).unstruc);
        CallEngine([] {
            WriteUnstrucSnapshot();
            return 0;
        });
        return ReadHere("unstruc.0");
    }
};

// Version 0 holds the version-1 sections with the point count first in the
// header and neither point counts nor point lists in the group lines.
std::string VersionZeroOf(const std::string& v1) {
    std::vector<std::string> in = SplitLines(v1), out;
    std::istringstream head(in.at(0));
    int h[8];
    for (int& v : h) head >> v;
    std::ostringstream header;
    header << h[7] << ' ' << h[1] << ' ' << h[2] << ' ' << h[3] << ' ' << h[4] << ' ' << h[5] << ' ' << h[6];
    out.push_back(header.str());
    size_t at = 1;
    const size_t plain = static_cast<size_t>(h[7] + h[1] + h[2] + h[3] + h[4] + h[5]);
    for (size_t k = 0; k < plain; ++k) out.push_back(in.at(at++));
    for (int g = 1; g <= 9; ++g) {
        std::istringstream line(in.at(at++));
        std::string v[9];
        for (std::string& s : v) line >> s;
        out.push_back(v[0] + " " + v[1] + " " + v[2] + " " + v[3] + " " + v[4] + " " + v[5] + " " + v[7] + " " + v[8]);
        out.push_back(in.at(at++));
        at += static_cast<size_t>(std::stoi(v[6]));
    }
    while (at < in.size()) out.push_back(in.at(at++));
    return JoinText(out);
}

TEST_F(UnstrucVersions, EachVersionIsRecognisedAndGivesTheSameGrid) {
    const std::string v2 = writtenV2();
    const std::string v1 = writtenV1();
    ASSERT_EQ(SplitLines(v2).at(0).substr(0, 2), "2 ");
    ASSERT_EQ(SplitLines(v1).at(0).substr(0, 2), "1 ");
    const struct {
        std::string text;
        int version;
    } rows[] = {{Channel(3).unstruc, 3}, {v2, 2}, {v1, 1}, {VersionZeroOf(v1), 0}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.version);
        StartAndRead(channelControl(), row.text);
        EXPECT_EQ(ReadUnstrucVersion, row.version);
        EXPECT_EQ(NoCells, 36);
        EXPECT_EQ(NoPoints, 80);
        EXPECT_EQ(FileNoCells, 36);
        EXPECT_EQ(FileNoBlocks, 1);
        EXPECT_EQ(NoBlocks, 1);
        // The node data come from the node lines (3) or the cell corners (0-2).
        EXPECT_DOUBLE_EQ(Gridx[5][4], 4.0);
        EXPECT_DOUBLE_EQ(Gridy[5][4], 1.5);
        EXPECT_DOUBLE_EQ(Gridz[5][4][1], 0.0);
        EXPECT_DOUBLE_EQ(Gridz[5][4][4], 1.0);
        EXPECT_DOUBLE_EQ(Gridz[5][4][5], 1.0);
        EXPECT_DOUBLE_EQ(GridLevels[0][5][4], 0.0);
        EXPECT_EQ(Gridz[2][2][0], 1.0);
        EXPECT_EQ(Gridz[5][4][0], 34.0);
        EXPECT_EQ(Gridz[1][1][0], 0.0);
        EXPECT_EQ(DischargeGroups[1].noSurfaces, 9);
        EXPECT_DOUBLE_EQ(DischargeGroups[1].discharge, 250.0);
        EXPECT_DOUBLE_EQ(GridXMax, 4.0);
        EXPECT_DOUBLE_EQ(GridYMin, row.version == 3 ? 0.0 : 0.5);
    }
}

TEST_F(UnstrucVersions, VersionZeroGroupLinesKeepThePointCount) {
    const std::string v0 = VersionZeroOf(writtenV1());
    Start(channelControl());
    // The kept points locate the group's surfaces again once the grid is read:
    // seven points on the three west-end segments, three cells each.
    DischargeGroups[1].noPoints = 7;
    for (int p = 0; p < 7; ++p) {
        DischargeGroups[1].pointX[p] = 0.0;
        DischargeGroups[1].pointY[p] = 0.25 + 0.5 * (p % 3);
    }
    DischargeGroups[4].noPoints = 2;
    EngineCall read = Read(v0);
    ASSERT_EQ(read.result, 0) << read.log;
    EXPECT_EQ(ReadUnstrucVersion, 0);
    EXPECT_EQ(DischargeGroups[1].noPoints, 7);
    EXPECT_EQ(DischargeGroups[4].noPoints, 2);
    EXPECT_EQ(DischargeGroups[1].noSurfaces, 21);
    EXPECT_EQ(DischargeGroups[2].groupType, 0);
    EXPECT_EQ(SourceCellGroups[9].noCells, 0);
}

TEST_F(UnstrucVersions, AnEarlyRowEndMarksTheRestOfTheRowDry) {
    std::vector<std::string> lines = SplitLines(writtenV2());
    // Rows of bottom cells follow the groups and source-cell groups; the row
    // of grid line 3 holds the columns (3, 1..7).
    const size_t row3 = lines.size() - 7 + 2;
    ASSERT_EQ(lines.at(row3), " 0 4 16 28 0 0");
    lines.at(row3) = " 0 4";
    Start(channelControl());
    Gridz[3][4][0] = 9.0;  // left over from an earlier grid
    EngineCall read = Read(JoinText(lines));
    ASSERT_EQ(read.result, 0) << read.log;
    EXPECT_EQ(Gridz[3][2][0], 0.0);  // the value before the line end is dry too
    EXPECT_EQ(Gridz[3][3][0], 0.0);
    EXPECT_EQ(Gridz[3][4][0], 0.0);
    EXPECT_EQ(Gridz[4][2][0], 7.0);
    // The corners of the cell named before the line end are still placed.
    EXPECT_DOUBLE_EQ(Gridx[3][2], 2.0);
    EXPECT_DOUBLE_EQ(Gridz[3][2][4], 1.0);
}

TEST_F(UnstrucVersions, AFileThatEndsInTheColumnRowsLeavesTheLaterRowsDry) {
    std::vector<std::string> lines = SplitLines(writtenV2());
    lines.resize(lines.size() - 5);
    ASSERT_EQ(lines.back(), " 0 1 13 25 0 0");
    lines.back() = " 0 1 13";  // row 2 ends after column 3, without a line end
    std::string text = JoinText(lines);
    text.pop_back();
    Start(channelControl());
    Gridz[2][4][0] = 9.0;  // left over from an earlier grid
    Gridz[5][4][0] = 9.0;
    EngineCall read = Read(text);
    ASSERT_EQ(read.result, 0) << read.log;
    EXPECT_EQ(Gridz[2][3][0], 13.0);
    EXPECT_EQ(Gridz[2][4][0], 0.0);
    EXPECT_EQ(Gridz[3][2][0], 0.0);
    EXPECT_EQ(Gridz[5][4][0], 0.0);
}

TEST_F(UnstrucCase, VersionFourReadsBlocksGroupsAndNodesOnly) {
    StartAndRead(Fixture("two_blocks_v4", "control"), Fixture("two_blocks_v4", "unstruc"));
    EXPECT_EQ(ReadUnstrucVersion, 4);
    EXPECT_EQ(NoBlocks, 2);
    // The cells come from the generator: one layer in each of the 2 by 2
    // columns of both blocks.
    EXPECT_EQ(NoCells, 8);
    EXPECT_EQ(BlockTable[2].jFirst, 5);
    EXPECT_EQ(BlockTable[2].jLast, 6);
    EXPECT_EQ(BlockTable[2].field8, 1);
    EXPECT_EQ(BlockTable[2].field11, 1);  // iLast 3 is above 2
    EXPECT_EQ(BlockTable[1].firstCell, 1);
    EXPECT_EQ(BlockTable[1].lastCell, 4);
    EXPECT_EQ(BlockTable[2].firstCell, 5);
    EXPECT_EQ(BlockTable[2].lastCell, 8);
    EXPECT_EQ(DischargeGroups[1].noPoints, 2);
    EXPECT_DOUBLE_EQ(DischargeGroups[1].pointY[1], 1.5);
    EXPECT_EQ(SourceCellGroups[0].equation, 7);
    EXPECT_DOUBLE_EQ(SourceCellGroups[0].amount, 1.5);
    EXPECT_DOUBLE_EQ(Gridz[3][6][1], 0.2);
    EXPECT_DOUBLE_EQ(Gridz[3][6][3], 2.0);
    EXPECT_DOUBLE_EQ(Gridz[3][6][4], 2.0);
    EXPECT_DOUBLE_EQ(Gridy[3][6], 5.0);
    // The extremes cover the last block read.
    EXPECT_DOUBLE_EQ(GridYMin, 3.0);
    EXPECT_DOUBLE_EQ(GridYMax, 5.0);
}

// Group 1 of the unit cube (NZ 2) with a TO level, a discharge and F 276.
TEST_F(UnstrucCase, LowTopLevelsAreRaisedOrWarnedAbout) {
    const struct {
        const char* group;
        const char* f276;
        int to;
        bool warned;
    } rows[] = {
        {"1 0 0 1 3 0 0 5.000000 0.000000", "", 3, false},     // above the grid: kept
        {"1 0 0 1 1 0 0 5.000000 0.000000", "", 2, false},     // below, F 276 1: raised silently
        {"1 0 0 1 1 0 0 5.000000 0.000000", "F 276 0\n", 1, true},
        {"1 0 0 1 2 0 0 5.000000 0.000000", "", 2, true},      // at the top level: warned even so
        {"1 0 0 1 2 0 0 0.000000 0.000000", "F 276 0\n", 2, false},  // no water: no warning
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.group);
        StartAndRead(std::string(kCubeControl) + row.f276, WithLine(CubeText(), 18, row.group));
        EXPECT_EQ(DischargeGroups[1].toLevel, row.to);
        const std::string log = ReadHere("boogie");
        const std::string warning =
            "Warning, low value on TO integer in dialog box for discharge group 1\n"
            "Advice: if you are not sure what you are doing: increase number to at least 4 \n";
        EXPECT_EQ(log.find(warning) != std::string::npos, row.warned) << log;
    }
}

TEST_F(UnstrucVersions, VersionZeroGivesTheLongerAdvice) {
    std::vector<std::string> lines = SplitLines(VersionZeroOf(writtenV1()));
    auto group1 = std::find(lines.begin(), lines.end(), "1 0 0 1 6 9 250.000000 0.000000");
    ASSERT_NE(group1, lines.end());
    *group1 = "1 0 0 1 3 9 250.000000 0.000000";
    StartAndRead(channelControl("F 276 0\n"), JoinText(lines));
    EXPECT_NE(ReadHere("boogie").find("Warning, low value on TO integer in dialog box for discharge group 1\n"
                                      "Advice: if you are not sure what you are doing: increase number to at least 6,\n"
                                      "Regenerate the discharge groups and make a new unstruc file\n\n"),
              std::string::npos);
}

TEST_F(UnstrucCase, BlocksReachingTheGridSizeEndTheRead) {
    const struct {
        const char* block;
        int result;
        int field11;
    } rows[] = {{"2 2 2 4 0 1 0 0 0 0 1 1 1 6 1 8 0 0.000000 0.000000", -54, 0},
                {"2 4 2 2 0 1 0 0 0 0 1 1 1 6 1 8 0 0.000000 0.000000", -55, 1},
                {"2 4 2 4 0 1 0 0 0 0 1 1 1 6 1 8 0 0.000000 0.000000", -54, 1}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.block);
        Start(kCubeControl);
        EngineCall read = Read(WithLine(CubeText(), 17, row.block));
        EXPECT_FALSE(read.ended);
        EXPECT_EQ(read.result, row.result);
        EXPECT_EQ(BlockTable[1].field11, row.field11);
        EXPECT_EQ(BlockTable[1].iLast, row.field11 == 1 ? 4 : 2);  // the failing block is stored
    }
}

TEST_F(UnstrucCase, BlockSelectionMayExceedTheBlocksOnlyForTheLayerBlock) {
    const struct {
        const char* control;
        bool refused;
    } rows[] = {{"G 25 1 1\n", false},
                {"G 25 2 1 1\n", true},
                {"G 25 2 1 1\nF 236 1 0 0 0\n", false},
                {"G 25 3 1 1 1\nF 236 1 0 0 0\n", true}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.control);
        Start(std::string(kCubeControl) + row.control);
        EngineCall read = Read(CubeText());
        EXPECT_EQ(read.ended, row.refused) << read.log;
        if (row.refused) {
            EXPECT_EQ(read.status, kControlRefusedStatus);
            EXPECT_NE(read.log.find("Error on first integer on G 25 data set in control file\n"), std::string::npos);
        }
    }
}

// A damaged unit cube: the line to change (from 1), its new text, and the
// message that must name the fault. Each is refused without touching memory
// outside the arrays.
struct Damage {
    const char* name;
    size_t line;
    const char* text;
    const char* message;
};

void PrintTo(const Damage& row, std::ostream* os) { *os << row.name; }

class DamagedCube : public UnstrucCase, public ::testing::WithParamInterface<Damage> {};

TEST_P(DamagedCube, IsRefusedNamingTheLine) {
    const Damage& d = GetParam();
    Start(kCubeControl);
    std::string text = d.line == 0 ? std::string(d.text) : WithLine(CubeText(), d.line, d.text);
    EngineCall read = Read(text);
    EXPECT_FALSE(read.ended);
    EXPECT_EQ(read.result, kUnstrucBadFile);
    EXPECT_NE(read.log.find(d.message), std::string::npos) << read.log;
    EXPECT_EQ(read.log.find("SetUpAfterReadingGrid"), std::string::npos);
}

const Damage kDamages[] = {
    {"NeighbourBeyondTheCells", 10, "1 2 3 4 5 6 7 8 1 2 3 4 5 6 0 2 0 0 0 0 ",
     "Error reading the 'unstruc' file at line 10: neighbour cell 2 of cell 1 is outside 0 to 1\n"},
    {"NegativeNeighbour", 10, "1 2 3 4 5 6 7 8 1 2 3 4 5 6 0 0 0 -1 0 0 ", "neighbour cell -1 of cell 1"},
    {"CornerBeyondThePoints", 10, "1 2 3 4 5 6 7 9 1 2 3 4 5 6 0 0 0 0 0 0 ",
     "line 10: corner point 9 of cell 1 is outside 0 to 8"},
    {"FaceBeyondTheSurfaces", 10, "1 2 3 4 5 6 7 8 1 2 3 4 5 7 0 0 0 0 0 0 ", "surface 7 of cell 1 is outside 0 to 6"},
    {"SurfaceCellBeyondTheCells", 13, "4 8 7 3 1 3 ", "line 13: cell 3 of surface 3 is outside 0 to 1"},
    {"SurfaceCornerBeyondThePoints", 11, "1 5 6 12 0 1 ", "corner point 12 of surface 1"},
    // The values of the next line are taken for the missing ones.
    {"CellLineShort", 10, "1 2 3 4 5 6 7 8 1 2 3 4 5 6 0 0 0 0", "line 11: neighbour cell 5 of cell 1 is outside 0 to 1"},
    {"NotANumber", 5, "0.000000 1.000000 0.0x0000", "line 5: point 4 is incomplete"},
    {"RealThatIsNotFinite", 3, "nan 0.000000 0.000000", "line 3: point 2 is incomplete"},
    {"UnknownVersion", 1, "7 1 6 1 0 0 0 8", "line 1: the file version 7 is not one of 0 to 4"},
    {"NegativeFirstInteger", 1, "-3 1 6 1 0 0 0 8", "the file version -3 is not one of 0 to 4"},
    {"TooManyBlocks", 1, "3 1 6 100 0 0 0 8", "100 blocks; the block table holds 99"},
    {"TooManySideEdges", 1, "3 1 6 1 201 0 0 8", "201 side edges; the edge list holds 200"},
    {"BlockBeforeTheFirstGridLine", 17, "0 2 2 2 0 1 0 0 0 0 1 1 1 6 1 8 0 0.000000 0.000000",
     "line 17: block 1 covers the columns 0 to 2 in i and 2 to 2 in j"},
    {"BlockCellsBeyondTheCells", 17, "2 2 2 2 0 1 0 0 0 0 1 2 1 6 1 8 0 0.000000 0.000000",
     "the cells 1 to 2 of block 1 do not lie within 1 to 1"},
    {"GroupSurfaceBeyondTheSurfaces", 18, "1 0 0 1 151 2 0 0.000000 0.000000\n3 9",
     "line 19: surface 9 of discharge group 1 is outside 0 to 6"},
    {"GroupWithTooManyPoints", 18, "1 0 0 1 151 0 5001 0.000000 0.000000",
     "discharge group 1 has 5001 points; a group holds 0 to 5000"},
    {"GroupWithNegativeSurfaceCount", 18, "1 0 0 1 151 -1 0 0.000000 0.000000", "discharge group 1 has -1 surfaces"},
    {"SourceGroupWithTooManyCells", 36, "3 101 1.000000 ", "source-cell group 0 has 101 cells; a group holds 0 to 100"},
    {"SourceCellBeyondTheCells", 37, "3 1 1.000000 2 ", "line 37: cell 2 of source-cell group 1 is outside 0 to 1"},
    {"NodeBottomCellBeyondTheCells", 49, "2 0.000000 1.000000 1.000000 1.000000 ",
     "line 49: bottom cell 2 of node (2,2) is outside 0 to 1"},
    {"NegativeNodeBottomCell", 46, "-1 0.000000 1.000000 0.000000 0.000000 ", "bottom cell -1 of node (1,1)"},
    {"NodeLineCut", 49, "1 0.000000 1.000000 1.000000",
     "the line of node (2,2) of block 1 is incomplete or holds something that is not a number"},
};

INSTANTIATE_TEST_SUITE_P(Rows, DamagedCube, ::testing::ValuesIn(kDamages),
                         [](const ::testing::TestParamInfo<Damage>& i) { return std::string(i.param.name); });

TEST_F(UnstrucCase, SideEdgesPairsAndBoundaryRecordsAreCheckedToo) {
    // The cube with one side edge, one edge pair and one block-boundary record.
    std::vector<std::string> lines = SplitLines(CubeText());
    lines.at(0) = "3 1 6 1 1 1 1 8";
    lines.insert(lines.begin() + 17, {"1 2 1 1", "2 5"});
    lines.insert(lines.end(), {"1 3 1 1 0.500000", "1 0.250000 0.000000 0.000000 1.000000",
                               "0 0.000000 0.000000 0.000000 0.000000", "0 0.000000 0.000000 0.000000 0.000000",
                               "0 0.000000 0.000000 0.000000 0.000000"});
    const std::string good = JoinText(lines);
    StartAndRead(kCubeControl, good);
    EXPECT_EQ(EdgeList[0].iB, 2);
    EXPECT_EQ(EdgePairs[1][1], 5);
    EXPECT_EQ(BoundaryCellSurface[1], 3);
    EXPECT_EQ(BoundaryCellPartner[1][0], 1);
    EXPECT_DOUBLE_EQ(BoundaryCellPartnerXyz[1][0][2], 1.0);
    EXPECT_DOUBLE_EQ(BoundaryCellValue[1], 0.5);

    const struct {
        size_t line;
        const char* text;
        const char* message;
    } rows[] = {{18, "1 6 1 1", "line 18: node index i 6 of side edge 0 is outside 0 to 5"},
                {19, "2 7", "line 19: surface 7 of edge pair 1 is outside 0 to 6"},
                {52, "1 3 1 2 0.500000", "block 2 of block-boundary record 1 is outside 0 to 1"},
                {53, "2 0.250000 0.000000 0.000000 1.000000", "partner cell 2 of block-boundary record 1"},
                {56, "0 0.000000 0.000000 0.000000", "line 57: block-boundary record 1 is incomplete"}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text);
        Start(kCubeControl);
        EngineCall read = Read(WithLine(good, row.line, row.text));
        EXPECT_EQ(read.result, kUnstrucBadFile);
        EXPECT_NE(read.log.find(row.message), std::string::npos) << read.log;
    }
}

TEST_F(UnstrucVersions, BottomCellsOfTheColumnRowsAreChecked) {
    const std::string v2 = writtenV2();
    std::vector<std::string> lines = SplitLines(v2);
    const size_t row3 = lines.size() - 7 + 2;
    lines.at(row3) = " 0 2 6 37 0 0 0";
    Start(channelControl());
    EngineCall read = Read(JoinText(lines));
    EXPECT_EQ(read.result, kUnstrucBadFile);
    EXPECT_NE(read.log.find("bottom cell 37 of column (3,4) is outside 0 to 36"), std::string::npos) << read.log;

    // A column whose cells climb into a loop is refused once it is taller than NZ allows.
    lines = SplitLines(v2);
    const size_t cell3 = 1 + 80 + 3;
    std::string text = lines.at(cell3 - 1);
    lines.at(cell3 - 1) = text.substr(0, text.rfind(' ', text.size() - 2) + 1) + "1 ";
    Start(channelControl());
    read = Read(JoinText(lines));
    EXPECT_EQ(read.result, kUnstrucBadFile);
    EXPECT_NE(read.log.find("the column of cell 1 has more than 2 cells above it"), std::string::npos) << read.log;
}

TEST_F(UnstrucCase, HeaderCountsAreCheckedAgainstTheCapacities) {
    const struct {
        const char* control;
        const char* header;
        int status;
        const char* message;
    } rows[] = {
        {"F 65 1 100 100 10 10\n", "3 1 6 1 0 0 0 8", -5,
         "Error reading the 'unstruc' file: the allocated arrays are smaller than the \n"
         "data in the file. Increase the values on the F 65 data set in the control\nfile and try again\n\n"},
        {"F 65 2 6 100 10 10\n", "3 1 6 1 0 0 0 8", -5, "the allocated arrays are smaller than the"},
        {"F 65 2 7 8 10 10\n", "3 1 6 1 0 0 0 8", -5, "the allocated arrays are smaller than the"},
        {"F 65 2 7 9 10 2\n", "3 1 6 1 0 2 0 8", -5, "the allocated arrays are smaller than the"},
        {"F 65 2 7 9 3 10\n", "3 1 6 1 0 0 3 8", -5, "the allocated arrays are smaller than the"},
        {"", "3 -1 6 1 0 0 0 8", -1, "Error reading the 'unstruc' file: the header gives -1 cells\n"},
        {"", "3 1 6 1 0 -2 0 8", -1, "the header gives -2 edge pairs"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.header);
        Start(std::string(kCubeControl) + row.control);
        EngineCall read = Read(WithLine(CubeText(), 1, row.header));
        EXPECT_TRUE(read.ended);
        EXPECT_EQ(read.status, row.status);
        EXPECT_NE(read.log.find(row.message), std::string::npos) << read.log;
    }
    // One more than each count fits.
    StartAndRead(std::string(kCubeControl) + "F 65 2 7 9 10 10\n", CubeText());
}

TEST_F(UnstrucVersions, AVersionTwoFileMustMatchTheGridSizes) {
    const std::string v2 = writtenV2();
    Start(Channel(3).control + "G 1 7 6 4 1\n");
    EngineCall read = Read(v2);
    EXPECT_TRUE(read.ended);
    EXPECT_EQ(read.status, kUnstrucG1MismatchStatus);
    EXPECT_NE(read.log.find("Error: The two first integers on the G 1 data set in the control file\n"
                            "must be the same as when the unstruc file was created (G 1 6 5 ..).\n"),
              std::string::npos)
        << read.log;
}

TEST_F(UnstrucCase, AFileThatEndsEarlyIsRefused) {
    std::vector<std::string> lines = SplitLines(CubeText());
    lines.resize(12);  // surfaces 3 to 6 and everything after them are missing
    Start(kCubeControl);
    EngineCall read = Read(JoinText(lines));
    EXPECT_EQ(read.result, kUnstrucBadFile);
    EXPECT_NE(read.log.find("Error reading the 'unstruc' file at line 13: surface 3 is incomplete or holds something "
                            "that is not a number\n"),
              std::string::npos)
        << read.log;
}

TEST_F(UnstrucCase, AMissingFileIsAFailure) {
    Start(kCubeControl);
    EngineCall read = CallEngine([] { return ReadUnstructure(); });
    EXPECT_EQ(read.result, kUnstrucMissing);
    EXPECT_NE(read.log.find("Error: can not open 'unstruc' file\n"), std::string::npos);
}

TEST_F(UnstrucCase, APartitionReadsItsOwnFileUnlessPartitionsAreWritten) {
    Start(std::string(kCubeControl) + "F 308 2\n");
    WriteHere("unstruc.mpi2", CubeText());
    EngineCall read = CallEngine([] { return ReadUnstructure(); });
    EXPECT_EQ(read.result, 0) << read.log;
    PartitionRunFlag = 1;
    read = CallEngine([] { return ReadUnstructure(); });
    EXPECT_EQ(read.result, kUnstrucMissing);
    EXPECT_NE(read.log.find("Error: can not open 'unstruc' file\n"), std::string::npos);
}

TEST_F(UnstrucCase, DiagnosticsCheckTheGridAfterReading) {
    StartAndRead(std::string(kCubeControl) + "F 1 D\n", CubeText());
    EXPECT_NE(ReadHere("boogie").find("Grid check: 0 faults\n"), std::string::npos);
}

}  // namespace
