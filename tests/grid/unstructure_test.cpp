// The grid generator on small structured grids: level and layer counts,
// numbering, vertical placement, side links, regions, dead ends, monitors and
// the overflow of the capacities.
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "grid/grid_invariants.h"
#include "run/timei_data.h"
#include "tests/grid/generation_case.h"
#include "surface/surface_services.h"
#include "tests/grid/unstruc_case.h"
#include "tests/support/project_dir.h"

namespace {

std::string Messages(const GridCheck& check) {
    std::string all;
    for (const std::string& m : check.messages) all += m + "\n";
    return all;
}

struct LevelRow {
    const char* name;
    std::string control;
    double depth;
    int levels;
};

void PrintTo(const LevelRow& row, std::ostream* os) { *os << row.name; }

class LevelCounts : public GenerationCase, public ::testing::WithParamInterface<LevelRow> {};

// Every node of a 2 by 2 block at one depth, NZ = 11.
TEST_P(LevelCounts, FollowTheDepth) {
    const LevelRow& row = GetParam();
    Start(4, 4, 11, row.control);
    for (int i = 1; i <= 3; ++i) {
        for (int j = 1; j <= 3; ++j) SetNode(i, j, 0.0, row.depth);
    }
    EngineCall call = Generate();
    ASSERT_EQ(call.result, 1) << call.log;
    EXPECT_EQ(GridWetPoint[2][2], row.levels);
    EXPECT_EQ(GridWetColumn[2][2], row.levels - 1);
    EXPECT_EQ(NoCells, 4 * (row.levels - 1));
    EXPECT_TRUE(CheckGridInvariants().ok()) << Messages(CheckGridInvariants());
}

const LevelRow kLevelRows[] = {
    {"BelowTheDryDepth", "", 0.04, 1},
    {"BelowTheSingleCellDepth", "", 0.1, 2},
    {"DeepestNodeOneLevelShort", "", 1.0, 10},
    {"DeeperThanTheF209Depth", "F 209 0.5\n", 1.0, 11},
    {"LargerF192", "F 192 2\n", 1.0, 11},
    {"HalfTheF209DepthByTheExponent", "F 209 2.0\n", 1.0, 7},  // 2 + trunc(0.5^0.6 * 9)
    {"LinearExponent", "F 209 2.0\nF 87 1\n", 1.0, 6},          // 2 + trunc(0.5 * 9)
};

INSTANTIATE_TEST_SUITE_P(Rows, LevelCounts, ::testing::ValuesIn(kLevelRows),
                         [](const ::testing::TestParamInfo<LevelRow>& i) { return std::string(i.param.name); });

TEST_F(GenerationCase, AnAllDryGridHasNoCellsButNumberedColumns) {
    Start(4, 4, 5);
    for (int i = 1; i <= 3; ++i) {
        for (int j = 1; j <= 3; ++j) SetNode(i, j, 0.0, 0.01);
    }
    BlockTable[1].firstCell = 1;  // ranges of an earlier grid
    BlockTable[1].lastCell = 12;
    EngineCall call = Generate();
    ASSERT_EQ(call.result, 1) << call.log;
    EXPECT_NE(call.log.find("Generating grid with F 64 11 algorithm\n"), std::string::npos) << call.log;
    EXPECT_EQ(NoCells, 0);
    EXPECT_EQ(BlockTable[1].firstCell, 1);
    EXPECT_EQ(BlockTable[1].lastCell, 0);
    EXPECT_EQ(BlockTable[1].firstSurface, BlockTable[1].lastSurface + 1);
    // i outer, j inner, dry columns included.
    EXPECT_EQ(Bkooi[2], 2);
    EXPECT_EQ(Bkooj[2], 3);
    EXPECT_EQ(Bkooi[3], 3);
    EXPECT_EQ(Bkooj[3], 2);
    EXPECT_EQ(Cbedcell[0], 0);
}

// Bed falling 0.1 m per column under a level water surface: deeper columns
// get more layers, numbered from the bed up, and neighbours share faces.
TEST_F(GenerationCase, ASlopingBedGivesDeeperColumnsMoreLayers) {
    Start(8, 4, 7, "F 299 1\n");
    for (int i = 1; i <= 7; ++i) {
        for (int j = 1; j <= 3; ++j) SetNode(i, j, 0.1 * (i - 1), 1.0);
    }
    ASSERT_EQ(Generate().result, 1);
    for (int i = 2; i <= 6; ++i) EXPECT_GE(GridWetColumn[i][2], GridWetColumn[i + 1][2]) << i;
    EXPECT_GT(GridWetColumn[2][2], GridWetColumn[7][2]);
    for (int j = 2; j <= 3; ++j) {
        for (int i = 2; i <= 7; ++i) {
            const int n = GridWetColumn[i][j];
            for (int l = 1; l <= n; ++l) {
                const int c = Cell(i, j, l);
                EXPECT_EQ(CellIndex3[i][j][NoGridLinesZ + 1 - n + l - 1], c);
                EXPECT_EQ(Ccellb[c], l == 1 ? 0 : c - 1);
                EXPECT_EQ(Ccellt[c], l == n ? 0 : c + 1);
            }
        }
    }
    for (int c = 1; c <= NoCells; ++c) {
        if (Ccelle[c] != 0) {
            EXPECT_EQ(Csurfe[c], Csurfw[Ccelle[c]]) << c;
        }
        if (Ccelln[c] != 0) {
            EXPECT_EQ(Csurfn[c], Csurfs[Ccelln[c]]) << c;
        }
        if (Ccellt[c] != 0) {
            EXPECT_EQ(Csurft[c], Csurfb[Ccellt[c]]) << c;
        }
    }
    GridCheck check = CheckGridInvariants();
    EXPECT_TRUE(check.ok()) << Messages(check);
}

// Two rows of columns of 5 and 3 layers side by side (NZ = 7, linear levels
// to a 10 m scale: nodes at 8.5 m get 6 levels, nodes at 4.5 m get 4).
class TwoColumns : public GenerationCase {
protected:
    void Build(const std::string& control = "") {
        Start(4, 4, 7, "F 209 10\nF 87 1\n" + control);
        for (int j = 1; j <= 3; ++j) {
            SetNode(1, j, -8.5, 0.0);
            for (int i = 2; i <= 3; ++i) SetNode(i, j, -4.5, 0.0);
        }
        EngineCall call = Generate();
        ASSERT_EQ(call.result, 1) << call.log;
        ASSERT_EQ(GridWetColumn[2][2], 5);
        ASSERT_EQ(GridWetColumn[3][2], 3);
    }
};

TEST_F(TwoColumns, AreAlignedAtTheTopAndLinkedBedToBed) {
    Build();
    // Cells 1..5 in the deep column, 6..8 in the shallow one, both ending at level NZ.
    EXPECT_EQ(CellIndex3[2][2][7], 5);
    EXPECT_EQ(CellIndex3[2][2][3], 1);
    EXPECT_EQ(CellIndex3[3][2][7], 8);
    EXPECT_EQ(CellIndex3[3][2][5], 6);
    EXPECT_EQ(CellIndex3[3][2][4], 0);
    const int east[6] = {0, 6, 0, 0, 7, 8};  // of the deep column's layers 1..5
    for (int l = 1; l <= 5; ++l) EXPECT_EQ(Ccelle[l], east[l]) << "layer " << l;
    EXPECT_EQ(Ccellw[6], 1);
    EXPECT_EQ(Ccellw[7], 4);
    EXPECT_EQ(Ccellw[8], 5);
    for (int c : {1, 4, 5}) EXPECT_EQ(Csurfe[c], Csurfw[Ccelle[c]]) << c;
    EXPECT_EQ(Fcell1[Csurfe[1]], 1);
    EXPECT_EQ(Fcell2[Csurfe[1]], 6);
    EXPECT_EQ(Fcell2[Csurfe[2]], 0);  // a wall
    // Both tops lie on the water level, the shallow corners collapse the
    // deep column's lower layers: layers 2 and 3 have no height there.
    EXPECT_DOUBLE_EQ(Pz1[Cpoint7[5]], 0.0);
    EXPECT_DOUBLE_EQ(Pz1[Cpoint7[8]], 0.0);
    EXPECT_NEAR(Pz1[Cpoint6[2]], Pz1[Cpoint2[2]], 1e-9);
    EXPECT_NEAR(Pz1[Cpoint6[3]], Pz1[Cpoint2[3]], 1e-9);
    EXPECT_DOUBLE_EQ(Pz1[Cpoint2[1]], -4.5);
    EXPECT_NEAR(Pz1[Cpoint6[1]], -3.0, 1e-9);
    EXPECT_NEAR(Pz1[Cpoint5[1]], -8.5 + 8.5 / 5.0, 1e-9);
}

// Without F 299 the zero-height edges keep two points each, so the shared
// face of the deep column's fourth layer carries points of its own, at the
// shallow cell's corner positions; with F 299 every shared face has the
// cells' own corners.
TEST_F(TwoColumns, ShareCornerPointsOnlyWithF299) {
    Build();
    const int face = Csurfw[7];
    EXPECT_NE(Fpoint1[face], Cpoint1[7]);
    EXPECT_NEAR(Pz1[Fpoint1[face]], Pz1[Cpoint1[7]], 1e-9);
    EXPECT_DOUBLE_EQ(Px1[Fpoint1[face]], Px1[Cpoint1[7]]);
    Build("F 299 1\n");
    GridCheck check = CheckGridInvariants();
    EXPECT_TRUE(check.ok()) << Messages(check);
}

// The wet-and-dry rules would remove the lone columns of these small
// fixtures; they are switched off where the test is about the generation.
constexpr const char* kNoColumnRemoval = "F 159 0 0 0 0 0\n";

TEST_F(GenerationCase, DryCornersLieOnTheirBedAndWaterLevel) {
    // F 183 2 keeps the lone wet point wet.
    Start(4, 4, 5, std::string(kNoColumnRemoval) + "F 183 2\n");
    for (int i = 1; i <= 3; ++i) {
        for (int j = 1; j <= 3; ++j) SetNode(i, j, 0.0, 0.03);
    }
    SetNode(2, 2, 0.0, 0.1);
    ASSERT_EQ(Generate().result, 1);
    ASSERT_EQ(GridWetColumn[2][2], 1);
    ASSERT_EQ(GridWetColumn[3][2], 1);
    ASSERT_EQ(NoCells, 4);
    const Array1<int>* const bottom[4] = {&Cpoint1, &Cpoint2, &Cpoint3, &Cpoint4};
    const Array1<int>* const top[4] = {&Cpoint5, &Cpoint6, &Cpoint7, &Cpoint8};
    for (int c = 0; c < 4; ++c) {
        EXPECT_DOUBLE_EQ(Pz1[(*bottom[c])[1]], 0.0) << c;
        EXPECT_DOUBLE_EQ(Pz1[(*top[c])[1]], c == 2 ? 0.1 : 0.03) << c;
    }
    EXPECT_EQ(Ccelle[1], 2);
}

TEST_F(GenerationCase, AG13RegionKeepsItsColumnsDry) {
    Start(6, 5, 4);
    NoG13Regions = 1;
    G13Regions[1] = {};
    G13Regions[1].iFirst = G13Regions[1].iLast = 3;
    G13Regions[1].jFirst = G13Regions[1].jLast = 3;
    ASSERT_EQ(Generate().result, 1);
    EXPECT_EQ(GridWetColumn[3][3], 0);
    EXPECT_EQ(Gridz[3][3][0], 0.0);
    EXPECT_EQ(NoCells, 11 * 2);
    EXPECT_EQ(Ccelle[Cell(2, 3, 1)], 0);
    EXPECT_EQ(Ccellw[Cell(4, 3, 2)], 0);
    EXPECT_EQ(Ccelln[Cell(3, 2, 1)], 0);
    EXPECT_EQ(Ccells[Cell(3, 4, 2)], 0);
    for (int c = 1; c <= NoCells; ++c) {
        if (Ccelle[c] != 0) {
            EXPECT_EQ(Csurfe[c], Csurfw[Ccelle[c]]) << c;
        }
        if (Ccelln[c] != 0) {
            EXPECT_EQ(Csurfn[c], Csurfs[Ccelln[c]]) << c;
        }
    }
}

struct PlacementRow {
    const char* name;
    std::string control;
    double shallowSteep, shallowFlat;  // bed-cell bottoms at corners 3 and 4
};

void PrintTo(const PlacementRow& row, std::ostream* os) { *os << row.name; }

class BedCellBottom : public GenerationCase, public ::testing::WithParamInterface<PlacementRow> {};

// The first column: corners 1 and 2 deep, corners 3 and 4 shallow (0.1 m of
// water, the single-cell depth 0.2 m); only corner 3 stands at the top of a
// steep edge.
TEST_P(BedCellBottom, FollowsTheF159FifthValue) {
    Start(4, 4, 5, GetParam().control);
    SetNode(1, 2, 0.9, 1.0);
    SetNode(2, 2, 0.9, 1.0);
    ASSERT_EQ(Generate().result, 1);
    ASSERT_GT(NoCells, 1);
    EXPECT_DOUBLE_EQ(Pz1[Cpoint1[1]], 0.0);
    EXPECT_NEAR(Pz1[Cpoint3[1]], GetParam().shallowSteep, 1e-12);
    EXPECT_NEAR(Pz1[Cpoint4[1]], GetParam().shallowFlat, 1e-12);
}

const PlacementRow kPlacementRows[] = {
    {"Default", "", 0.9, 0.9},
    {"ShallowNodesOneSingleCellDepthDown", "F 159 1 0 0 1 2\n", 0.8, 0.8},
    {"OnlySteepNodesDown", "F 159 1 0 0 1 3\n", 0.8, 0.9},
    // The steep bed is one plane: no corner stands above it.
    {"SteepPlaneWithoutOffsets", "F 159 1 0 0 1 4\n", 0.9, 0.9},
};

INSTANTIATE_TEST_SUITE_P(Rows, BedCellBottom, ::testing::ValuesIn(kPlacementRows),
                         [](const ::testing::TestParamInfo<PlacementRow>& i) { return std::string(i.param.name); });

// F 159 second value 10 closes a side whose two nodes lie above the water.
TEST_F(GenerationCase, SidesAboveTheWaterAreWalls) {
    for (const char* control : {kNoColumnRemoval, "F 159 0 10 0 0 0\n"}) {
        SCOPED_TRACE(control);
        Start(4, 4, 4, control);
        SetNode(2, 1, 0.0, -0.1);
        SetNode(2, 2, 0.0, -0.1);
        ASSERT_EQ(Generate().result, 1);
        ASSERT_EQ(GridWetColumn[2][2], 2);
        ASSERT_EQ(GridWetColumn[3][2], 2);
        const bool walls = control != kNoColumnRemoval;
        EXPECT_EQ(Ccelle[Cell(2, 2, 2)], walls ? 0 : Cell(3, 2, 2));
        EXPECT_EQ(Ccellw[Cell(3, 2, 1)], walls ? 0 : Cell(2, 2, 1));
    }
}

// A channel two columns wide with a side arm of two single-cell columns: the
// arm is cut off cell by cell from its end; a discharge group at the end of
// the arm keeps it open.
TEST_F(GenerationCase, DeadEndsCascadeAlongAnArm) {
    for (int group : {0, 1}) {
        SCOPED_TRACE(group);
        Start(6, 6, 3, kNoColumnRemoval);
        for (int i = 2; i <= 4; ++i) {
            for (int j = 4; j <= 5; ++j) GridRegion[i][j] = 1;
        }
        CdischargeGroup[10] = group;
        ASSERT_EQ(Generate().result, 1);
        ASSERT_EQ(NoCells, 10);
        ASSERT_EQ(Cell(5, 5, 1), 10);
        EXPECT_EQ(CdeadEndFlag[9], 1 - group);
        EXPECT_EQ(CdeadEndFlag[10], 1 - group);
        for (int c = 1; c <= 8; ++c) EXPECT_EQ(CdeadEndFlag[c], 0) << c;
    }
}

// Monitors of the water level (h) follow their column into the new grid:
// the cell above the bed cell, or the bed cell of a single-layer column.
TEST_F(GenerationCase, LevelMonitorsFollowTheirColumn) {
    Start(4, 4, 4);
    NoTimeoRecords = 1;
    TimeoRecord& rec = TimeoRecords[0];
    rec.noItems = 3;
    const int columns[3][2] = {{3, 3}, {99, 2}, {2, 99}};
    for (int k = 0; k < 3; ++k) {
        rec.letter[k] = 'h';
        rec.value[k] = 7;
        rec.value2[k] = columns[k][0];
        rec.value3[k] = columns[k][1];
    }
    EngineCall call = Generate();
    ASSERT_EQ(call.result, 1);
    EXPECT_EQ(rec.value[0], Cell(3, 3, 2));
    EXPECT_EQ(rec.value[1], 7);
    EXPECT_EQ(rec.value[2], 7);
    EXPECT_NE(call.log.find("Warning: 2 timei monitor items name no column of the grid; skipped\n"),
              std::string::npos)
        << call.log;
}

// The two blocks of 2 by 2 single-cell columns as the grid editor writes
// them, without counts and cells.
std::string TwoBlocksWithoutCounts() {
    std::string text = WithLine(Fixture("two_blocks_v4", "unstruc"), 1, "4 0 0 2 0 0 0 0");
    text = WithLine(text, 2, "2 3 2 3 0 1 0 0 0 0 1 0 1 0 1 0 0 0.000000 0.000000");
    text = WithLine(text, 3, "2 3 5 6 0 1 0 0 0 0 1 0 1 0 1 0 0 0.000000 0.000000");
    text = WithLine(text, 4, "1 0 0 1 5 0 2 250.000000 0.000000");
    text = WithLine(text, 5, "");
    const size_t lines = SplitLines(text).size();
    for (size_t n = lines - 17; n <= lines; ++n) {
        const std::string line = Line(text, n);
        text = WithLine(text, n, std::string("0").append(line, line.find(' ')));
    }
    return text;
}

const char* const kRoomForOneBlock = "G 1 6 8 3 1\nF 65 7 100 100 10 10\n";

// Room for one of the two blocks: the report, then the second block empty,
// the first intact, and the end of the run.
TEST_F(UnstrucCase, AGridBeyondTheCapacitiesEndsTheRunWithTheCompleteBlocks) {
    Start(kRoomForOneBlock);
    EngineCall read = Read(TwoBlocksWithoutCounts());
    ASSERT_TRUE(read.ended) << read.log;
    EXPECT_EQ(read.status, kGridOverflowStatus);
    EXPECT_NE(read.log.find("Error: Unstructured arrays are too small. Increase with the F 65 data set.\n"
                            "NoPoints=26, MaxPoints=100\nNoSurface=26, MaxFlater=100\nNoCells=8, MaxCeller=7\n"),
              std::string::npos)
        << read.log;
    EXPECT_EQ(NoCells, 4);
    EXPECT_EQ(FileNoCells, 4);
    EXPECT_EQ(FileNoSurfaces, 20);
    EXPECT_EQ(NoPoints, 18);
    EXPECT_EQ(BlockTable[1].lastCell, 4);
    EXPECT_EQ(BlockTable[2].firstCell, 5);
    EXPECT_EQ(BlockTable[2].lastCell, 4);
    EXPECT_EQ(BlockTable[2].firstPoint, BlockTable[2].lastPoint + 1);
    EXPECT_EQ(Gridz[2][5][0], 0.0);
    GridCheck check = CheckGridInvariants();
    EXPECT_TRUE(check.ok()) << Messages(check);
    EXPECT_FALSE(ReadHere("koosurf.1").empty());
}

// Y on a grid read from a version-3 channel: the same columns, and the cell
// volumes add up to the water.
TEST_F(UnstrucCase, TheChannelRegeneratedHoldsItsWater) {
    StartAndRead(Channel(3).control, Channel(3).unstruc);
    // As every caller of the generator does after it.
    EngineCall call = CallEngine([] {
        const int result = Unstructure();
        metric();
        UpdateWaterColumnsAfterRegrid();
        return result;
    });
    ASSERT_EQ(call.result, 1) << call.log;
    EXPECT_EQ(NoCells, 4 * 3 * 2);
    double volume = 0.0;
    for (int c = 1; c <= NoCells; ++c) volume += Cvol[c];
    EXPECT_NEAR(volume, 4.0 * 1.5 * 1.0, 1e-9);
    GridCheck check = CheckGridInvariants();
    EXPECT_TRUE(check.ok()) << Messages(check);
}

}  // namespace

namespace {

TEST(UnstructureEngine, TheChannelGeneratedByYIsWrittenWithItsCells) {
    ChannelSpec spec = GridTestChannel(3);
    spec.letters = "UYHX";
    ProjectDir dir;
    ASSERT_TRUE(WriteChannelProject(dir.path(), spec));
    EngineRun r = dir.run();
    EXPECT_EQ(r.status, 0) << JoinLines(r.boogie);
    EXPECT_TRUE(HasLine(r.boogie, "Generating grid with F 64 11 algorithm"));
    // 4 by 3 columns of NZ - 2 layers.
    const std::string grid = dir.read("unstruc");
    EXPECT_EQ(grid.substr(0, grid.find(' ', 2)), "3 24");
}

// The default cleaning drops columns with fewer than two wet sides pass after
// pass; the channel tool must keep a channel one column wide (or long) whole
// instead of leaving the flow computation without a cell.
TEST(UnstructureEngine, ChannelOneColumnWideKeepsEveryColumn) {
    struct Size { int along, across; };
    for (Size size : {Size{6, 1}, Size{1, 3}}) {
        ChannelSpec spec = GridTestChannel(4);
        spec.columnsAlong = size.along;
        spec.columnsAcross = size.across;
        spec.letters = "UYHX";
        ProjectDir dir;
        ASSERT_TRUE(WriteChannelProject(dir.path(), spec));
        EngineRun r = dir.run();
        EXPECT_EQ(r.status, 0) << JoinLines(r.boogie);
        const std::string grid = dir.read("unstruc");
        // Every column keeps its NZ - 2 layers.
        const int cells = size.along * size.across * 2;
        EXPECT_EQ(grid.substr(0, grid.find(' ', 2)), "3 " + std::to_string(cells)) << size.along << " by " << size.across;
    }
}

TEST(UnstructureEngine, ArraysTooSmallEndTheRunAfterTheReport) {
    ProjectDir dir;
    dir.write("control", std::string("F 2 UHX\n") + kRoomForOneBlock);
    const std::string text = TwoBlocksWithoutCounts();
    dir.write("unstruc", text);
    EngineRun r = dir.run();
    EXPECT_EQ(r.status, kGridOverflowStatus);
    EXPECT_TRUE(HasLine(r.boogie, "NoCells=8, MaxCeller=7")) << JoinLines(r.boogie);
    EXPECT_TRUE(HasLine(r.boogie, "the Grid Editor (Add block from koosurf)"));
    EXPECT_FALSE(dir.read("koosurf.1").empty());
    EXPECT_FALSE(dir.read("koosurf.2").empty());
    EXPECT_EQ(dir.read("unstruc"), text);  // H never ran
}

}  // namespace

namespace {

struct FrameRow {
    const char* name;
    std::string control;
    int cells;
    std::vector<std::string> log;  // in this order
};

void PrintTo(const FrameRow& row, std::ostream* os) { *os << row.name; }

class GeneratorFrame : public GenerationCase, public ::testing::WithParamInterface<FrameRow> {};

// A 2 by 2 block of two-layer columns (NZ = 4) under the frame's options.
TEST_P(GeneratorFrame, RunsTheChosenAlgorithmAndItsSteps) {
    const FrameRow& row = GetParam();
    Start(4, 4, 4, row.control);
    EngineCall call = Generate();
    ASSERT_FALSE(call.ended) << call.log;
    EXPECT_EQ(call.result, 1) << call.log;
    EXPECT_EQ(NoCells, row.cells);
    EXPECT_EQ(BlockTable[1].lastCell, row.cells);
    size_t at = 0;
    for (const std::string& text : row.log) {
        at = call.log.find(text, at);
        ASSERT_NE(at, std::string::npos) << text << "\n" << call.log;
    }
}

const FrameRow kFrameRows[] = {
    {"DefaultFamily", "F 64 112\n", 8, {"Generating grid with F 64 112 algorithm\n"}},
    {"ValueWithoutAlgorithm", "F 64 20\n", 0, {"Generating grid with F 64 20 algorithm\n"}},
    {"FixedLevelsWithShoreline", "F 64 30\nG 3 0 0.25 0.5 1\n", 12, {"Generating grid with F 64 30 algorithm\n"}},
    {"SplitFacesInsteadOfF64", "F 137 1\nF 64 20\n", 12, {"Generating grid with F 64 20 algorithm\n"}},
    {"PauseReportedOnceAndPassed", "F 156 1\nF 299 1\n", 8, {"PauseFlag = 1\n", "End of Unstructure"}},
    {"EndLinesWithF299", "F 299 1\n", 8,
     {"End of Unstructure, Iter = 0, NoCells = 8\n", "Number of antlin points: 27, NoPoints: 27\n"}},
};

INSTANTIATE_TEST_SUITE_P(Rows, GeneratorFrame, ::testing::ValuesIn(kFrameRows),
                         [](const ::testing::TestParamInfo<FrameRow>& i) { return std::string(i.param.name); });

// F 165 numbers the rows of columns from the last one, but builds them in
// the usual order.
TEST_F(GenerationCase, F165ReversesTheNumberingAcrossJ) {
    Start(4, 4, 4, "F 165 1\n");
    ASSERT_EQ(Generate().result, 1);
    EXPECT_EQ(Cell(2, 3, 1), 1);
    EXPECT_EQ(Cell(2, 2, 1), 5);
    EXPECT_EQ(Cpoint1[5], 1);  // the first cell built
    EXPECT_EQ(Ccelln[5], 1);
    EXPECT_EQ(Csurfn[5], Csurfs[1]);
}

// A depth-averaged block left by an earlier generation is neither counted in
// the file header nor kept.
TEST_F(GenerationCase, AnEarlierDepthAveragedBlockIsNotCounted) {
    for (const char* control : {"", "F 68 1\n"}) {
        SCOPED_TRACE(control);
        Start(4, 4, 4, control);
        NoBlocks = 2;
        BlockTable[2] = BlockTable[1];
        BlockTable[2].depthAveraged = 1;
        EngineCall call = Generate();
        ASSERT_EQ(call.result, 1) << call.log;
        EXPECT_EQ(FileNoBlocks, 1);
        EXPECT_EQ(FileNoCells, 8);
        // F 68 1 builds the block anew behind the counted ones.
        const bool built = *control != '\0';
        EXPECT_EQ(NoBlocks, built ? 2 : 1);
        EXPECT_EQ(BlockTable[NoBlocks].depthAveraged, built ? 1 : 0);
    }
}

struct BoundaryRow {
    const char* name;
    std::string control;
    int result, records;
};

void PrintTo(const BoundaryRow& row, std::ostream* os) { *os << row.name; }

class BoundaryRecords : public GenerationCase, public ::testing::WithParamInterface<BoundaryRow> {};

// An overlapping 2 by 2 block of two-layer columns: every cell is marked,
// and the cells on its edges get records.
TEST_P(BoundaryRecords, CoverTheBlockEdges) {
    Start(4, 4, 4, GetParam().control);
    BlockTable[1].overlapLevel = 1;
    EngineCall call = Generate();
    // A negative figure is the status of a run that the full list ended.
    if (GetParam().result < 0) {
        EXPECT_TRUE(call.ended) << call.log;
        EXPECT_EQ(call.status, GetParam().result) << call.log;
    } else {
        EXPECT_EQ(call.result, GetParam().result) << call.log;
    }
    EXPECT_EQ(NoBoundaryCells, GetParam().records);
    EXPECT_EQ(C2DFlag[1], 2);
    EXPECT_EQ(BoundaryCellNo[1], 1);
    EXPECT_EQ(BoundaryCellBlock[1], 1);
}

const BoundaryRow kBoundaryRows[] = {
    // Each column has two outer sides, each layer a record per side.
    {"AllSides", "", 1, 16},
    {"WithTopFaces", "F 241 1\n", 1, 20},
    {"OnlyWestSidesWithF280", "F 280 3\n", 1, 4},
    {"RecordsFull", "F 65 2000 4000 4000 5 50\n", -5, 4},
};

INSTANTIATE_TEST_SUITE_P(Rows, BoundaryRecords, ::testing::ValuesIn(kBoundaryRows),
                         [](const ::testing::TestParamInfo<BoundaryRow>& i) { return std::string(i.param.name); });

// With F 114 20 an upper cell beside a wall borrows the side neighbour of
// its column's bed cell.
TEST_F(GenerationCase, UpperCellsBorrowTheBedCellsNeighbours) {
    Start(4, 4, 7, "F 114 20\nF 209 10\nF 87 1\n");
    for (int j = 1; j <= 3; ++j) {
        SetNode(1, j, -8.5, 0.0);
        for (int i = 2; i <= 3; ++i) SetNode(i, j, -4.5, 0.0);
    }
    ASSERT_EQ(Generate().result, 1);
    ASSERT_EQ(Ccelle[2], 0);
    EXPECT_EQ(Ccelle_bottom[2], Ccelle[1]);
    EXPECT_EQ(Ccelle_bottom[4], 0);  // it has its own east neighbour
    EXPECT_EQ(Ccellw_bottom[2], 0);
}

}  // namespace

namespace {

// A steep, uneven bed with the steep-bed offsets (F 159 fifth value 4): the
// layers below an offset have walls, and every link is mutual, names a cell
// of the grid and shares its face.
TEST_F(GenerationCase, SteepBedOffsetsKeepTheLinksMutual) {
    Start(7, 7, 9, "F 159 1 0 0 1 4\n");
    for (int i = 1; i <= 6; ++i) {
        for (int j = 1; j <= 6; ++j) SetNode(i, j, 1.5 * i + 3.0 * ((i * j) % 3), 25.0);
    }
    ASSERT_EQ(Generate().result, 1);
    int largest = 0;
    for (int i = 2; i <= 6; ++i) {
        for (int j = 2; j <= 6; ++j) largest = std::max(largest, GenColumnWork1[i][j]);
    }
    EXPECT_GT(largest, 0);
    struct Link {
        Array1<int>* to;
        Array1<int>* back;
        Array1<int>* face;
        Array1<int>* backFace;
    } links[] = {{&Ccelle, &Ccellw, &Csurfe, &Csurfw}, {&Ccellw, &Ccelle, &Csurfw, &Csurfe},
                 {&Ccelln, &Ccells, &Csurfn, &Csurfs}, {&Ccells, &Ccelln, &Csurfs, &Csurfn}};
    for (int c = 1; c <= NoCells; ++c) {
        for (const Link& l : links) {
            const int n = (*l.to)[c];
            if (n == 0) continue;
            ASSERT_TRUE(n > 0 && n <= NoCells) << c;
            EXPECT_EQ((*l.back)[n], c) << c;
            EXPECT_EQ((*l.face)[c], (*l.backFace)[n]) << c;
        }
    }
}

}  // namespace
