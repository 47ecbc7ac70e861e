// The plot files on the 8 x 6 channel of two layers: names, layouts, number
// formats, the cells behind each point, the bed mode and failures.
#include <cstdio>

#include "output/plot_variables.h"
#include "run/output_file.h"
#include "tests/output/results_case.h"

namespace {

// The channel's numbering: columns i = 2..9, j = 2..7, two cells each; nodes
// i = 1..9, j = 1..7, three point levels each.
int Cell(int i, int j, int level) { return ((j - 2) * 8 + (i - 2)) * 2 + level; }
int Point(int i, int j, int k) { return ((i - 1) * 7 + (j - 1)) * 3 + k + 1; }

std::vector<std::string> Lines(const std::string& name) { return SplitLines(ReadHere(name)); }

void RemovePlotFilesHere() {
    for (const std::string& name : PlotFilesHere()) std::filesystem::remove(name);
}

class PlotFiles_ : public ResultsCase {
protected:
    // Starts on the channel with G 24 `entries` ("2 p 2 0 y 0 0").
    void StartWith(const std::string& entries, const std::string& more = "") {
        Start("G 24 " + entries + "\n" + more);
        Cu[0] = Cv[0] = Cw[0] = 0.0;  // the known fields put -0.0 there
        for (int c = 1; c <= NoCells; ++c) Czcenter[c] = (c % 2 == 1) ? 0.25 : 0.75;
    }
};
using PlotFileNames = PlotFiles_;
using TecplotPlan = PlotFiles_;
using VtkPlan = PlotFiles_;
using Vtk3D = PlotFiles_;
using Tecplot3D = PlotFiles_;

TEST_F(PlotFileNames, ByNumberingPartitionAndBlock) {
    enum Writer { kTec2, kVtk2, kTec3, kVtk3 };
    const struct {
        Writer writer;
        int numbered, block, interval, startIteration, part;
        const char* name;
    } rows[] = {
        {kTec2, 1, 0, 0, 0, 0, "tecplot2.dat"},
        {kTec2, 1, 0, 0, 0, 3, "tecplot2.mpi3.dat"},
        {kTec2, 1, 2, 0, 0, 0, "tecplot2.dat"},  // without numbering every block writes the one name
        {kTec2, 1, 2, 1, 0, 0, "tec2_n2_00000.dat"},
        {kTec2, 1, 0, 0, 4, 0, "tec2_00000.dat"},
        {kTec2, 1, 0, 1, 0, 3, "tec2.mpi3.00000.dat"},
        {kVtk2, 0, 0, 0, 0, 0, "ParaView2.vtk"},
        {kVtk2, 0, 0, 0, 0, 3, "ParaView2.mpi3.vtk"},
        {kVtk2, 1, 0, 0, 0, 0, "pav2_00000.vtk"},  // the dispatcher's request numbers it
        {kVtk2, 1, 0, 0, 0, 3, "pav2.mpi3.00000.vtk"},
        {kVtk2, 0, 0, 1, 0, 0, "pav2_00000.vtk"},
        {kVtk2, 0, 0, 0, 4, 0, "ParaView2.vtk"},  // P 15 plays no part here
        {kVtk2, 1, 2, 0, 0, 0, "ParaView2_n2.vtk"},
        {kVtk2, 1, 2, 0, 0, 3, "ParaView2_n2.mpi3.vtk"},
        {kVtk2, 1, 2, 1, 0, 3, "pav2_n2_00000.vtk"},
        {kTec3, 1, 0, 0, 0, 0, "tecplfe.dat"},
        {kTec3, 1, 0, 0, 0, 3, "tecplfe.mpi3.dat"},
        {kTec3, 1, 0, 0, 4, 3, "tec3_00000.dat"},
        {kVtk3, 1, 0, 0, 0, 0, "ParaView3U.vtk"},
        {kVtk3, 1, 0, 0, 0, 3, "ParaView3U.mpi3.dat"},
        {kVtk3, 1, 0, 1, 0, 0, "paru3_00000.vtk"},
        {kVtk3, 1, 0, 1, 0, 3, "paru.mpi3.00000.vtk"},
    };
    StartWith("1 y 0 0");
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        ResultInterval = r.interval;
        ResultStartIteration = r.startIteration;
        MpiPart = r.part;
        EngineCall call = CallEngine([&r] {
            switch (r.writer) {
                case kTec2: WriteTecplot2D(r.numbered, r.block); break;
                case kVtk2: WriteParaView2D(r.numbered, r.block); break;
                case kTec3: WriteTecplot3D(r.numbered); break;
                case kVtk3: WriteParaView3U(r.numbered); break;
            }
            return 0;
        });
        ASSERT_FALSE(call.ended) << call.log;
        EXPECT_EQ(PlotFilesHere(), std::set<std::string>{r.name});
        RemovePlotFilesHere();
    }
}

// Numbered per-block files through the dispatcher: each block its own name,
// the same content (the F 268 block's), and the next call the next number.
TEST_F(PlotFileNames, PerBlockFilesThroughTheDispatcher) {
    StartWith("2 p 2 0 y 0 0", "P 10 1\nF 329 0 0 0 1 0 0 0 1\n");
    NoBlocks = 2;
    ASSERT_FALSE(Call(WriteResults).ended);
    ASSERT_FALSE(Call(WriteResults).ended);
    const std::set<std::string> expected = {"tec2_n1_00000.dat", "tec2_n2_00000.dat", "tec2_n1_00001.dat",
                                            "tec2_n2_00001.dat", "pav2_n1_00000.vtk", "pav2_n2_00000.vtk",
                                            "pav2_n1_00001.vtk", "pav2_n2_00001.vtk"};
    EXPECT_EQ(PlotFilesHere(), expected);
    EXPECT_EQ(ReadHere("tec2_n1_00000.dat"), ReadHere("tec2_n2_00000.dat"));
    EXPECT_EQ(ReadHere("pav2_n1_00000.vtk"), ReadHere("pav2_n2_00000.vtk"));
}

TEST_F(PlotFileNames, AFileThatCannotBeWrittenEndsTheRun) {
    const struct {
        void (*write)();
        const char* name;
    } rows[] = {
        {[] { WriteTecplot2D(1, 0); }, "tecplot2.dat"},
        {[] { WriteParaView2D(0, 0); }, "ParaView2.vtk"},
        {[] { WriteTecplot3D(1); }, "tecplfe.dat"},
        {[] { WriteParaView3U(1); }, "ParaView3U.vtk"},
    };
    StartWith("1 y 0 0");
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        WriteHere(r.name, "old");
        SetOutputFileFaultHook([](const std::string&, FILE*) { return false; });
        EngineCall call = Call(r.write);
        SetOutputFileFaultHook(nullptr);
        EXPECT_TRUE(call.ended);
        EXPECT_EQ(call.status, -3);
        EXPECT_EQ(std::string(StatusText), std::string("cannot open file '") + r.name + "' ");
        EXPECT_EQ(ReadHere(r.name), "old");
    }
}

// Without a grid block there is nothing to lay out: the plan files are not
// written, and the run goes on.
TEST_F(PlotFileNames, PlanFilesOfABlockOutsideTheGridAreNotWritten) {
    StartWith("1 y 0 0");
    NoBlocks = 0;
    EngineCall call = Call([] {
        WriteTecplot2D(1, 0);
        WriteParaView2D(0, 0);
    });
    EXPECT_FALSE(call.ended);
    EXPECT_TRUE(PlotFilesHere().empty());
    EXPECT_NE(call.log.find("Error: block 1 does not lie inside the structured grid; 'tecplot2.dat' is not written\n"),
              std::string::npos);
}

TEST_F(TecplotPlan, TitleVariablesZoneAndPoints) {
    StartWith("3 p 2 0 y 0 0 p 3 0");
    std::snprintf(ResultTitle, sizeof ResultTitle, "Written from test");
    ASSERT_FALSE(Call([] { WriteTecplot2D(1, 0); }).ended);
    const std::vector<std::string> lines = Lines("tecplot2.dat");
    ASSERT_EQ(lines.size(), 4u + 10u * 8u);
    EXPECT_EQ(lines[0], "TITLE = \"PLAN-2_" + std::string(Title + 1) + " Written from test\"");
    EXPECT_EQ(lines[1], R"(VARIABLES="X1","X2","X3","Ux","Uy","Pressure 2 ","Depth","Pressure 3 ")");
    // The block's 8 x 6 columns and the ring around them.
    EXPECT_EQ(lines[2], "ZONE I=10,J=8,F=POINT");
    EXPECT_EQ(lines[3], "SOLUTIONTIME=3600.500000");
    for (size_t n = 4; n < lines.size(); ++n) ASSERT_EQ(Words(lines[n]).size(), 8u) << lines[n];
    // The ring corner stands on node (1, 1) and shows column (2, 2); a level
    // above the column's top takes the top cell.
    EXPECT_EQ(lines[4], "0.000000 0.000000 0.750000 0.002000 -0.004000 1.962000e+04 1.000000e+00 1.962000e+04");
    // The first point inside: the middle of column (2, 2).
    EXPECT_EQ(lines[4 + 11], "0.500000 0.250000 0.750000 0.002000 -0.004000 1.962000e+04 1.000000e+00 1.962000e+04");
    // The far ring corner: node (9, 7), column (9, 7).
    const int top = Cell(9, 7, 2);
    char last[200];
    std::snprintf(last, sizeof last, "8.000000 3.000000 0.750000 %lf %lf %le 1.000000e+00 %le", 0.001 * top,
                  -0.002 * top, 9810.0 * top, 9810.0 * top);
    EXPECT_EQ(lines.back(), last);
}

TEST_F(TecplotPlan, DryColumnWaterSurfaceLevelAndEmptyList) {
    StartWith("2 w 1 0 z 0 0");
    Gridz[5][4][0] = 0.0;  // column (5, 4) dry
    ASSERT_FALSE(Call([] { WriteTecplot2D(1, 0); }).ended);
    std::vector<std::string> lines = Lines("tecplot2.dat");
    // Point (5, 4): the bed level, no velocity, no cell values; the grid still shows.
    EXPECT_EQ(lines[4 + 3 * 10 + 4], "3.500000 1.250000 0.000000 0.000000 0.000000 0.000000e+00 0.000000e+00");

    PlanCellLevel = NoGridLinesZ + 1;  // on the water surface, with the top cell's velocity
    NoPlotVariables = 0;
    ASSERT_FALSE(Call([] { WriteTecplot2D(1, 0); }).ended);
    lines = Lines("tecplot2.dat");
    EXPECT_EQ(lines[1], R"(VARIABLES="X1","X2","X3","Ux","Uy")");
    EXPECT_EQ(lines[4 + 11], "0.500000 0.250000 1.000000 0.002000 -0.004000");
    EXPECT_EQ(Words(lines[4 + 3 * 10 + 4])[2], "1.000000");
}

TEST_F(VtkPlan, LayoutAndNumberFormats) {
    StartWith("1 p 1 0");
    Pres[Cell(2, 2, 2)] = 1e-15;     // below 1e-14: written as 0.0
    Pres[Cell(3, 2, 2)] = -2.5e-14;  // just above it
    Pres[Cell(4, 2, 2)] = 0.0;
    Cu[0] = 0.5;  // whatever lies in the slot of no cell stays there
    ASSERT_FALSE(Call([] { WriteParaView2D(0, 0); }).ended);
    EXPECT_EQ(Cu[0], 0.5);
    EXPECT_EQ(std::string(StatusText), "have written ParaView 2D file  ");
    const std::vector<std::string> lines = Lines("ParaView2.vtk");
    ASSERT_EQ(lines.size(), 6u + 80u + 2u + 3u + 8u + 2u + 80u);
    EXPECT_EQ(lines[0], "# vtk DataFile Version 2.0");
    EXPECT_EQ(lines[1], "RIVAX 2 " + std::string(Title + 1) + " 3600.500000 seconds.");
    EXPECT_EQ(lines[2], "ASCII");
    EXPECT_EQ(lines[3], "DATASET STRUCTURED_GRID");
    EXPECT_EQ(lines[4], "DIMENSIONS 10 8 1");
    EXPECT_EQ(lines[5], "POINTS 80 float");
    EXPECT_EQ(lines[6], "0.000000 0.000000 0.000000");
    EXPECT_EQ(lines[6 + 11], "0.500000 0.250000 0.000000");
    EXPECT_EQ(lines[86], "");
    EXPECT_EQ(lines[87], "POINT_DATA 80");
    EXPECT_EQ(lines[88], "");
    EXPECT_EQ(lines[89], "SCALARS Pressure_1 float");
    EXPECT_EQ(lines[90], "LOOKUP_TABLE default");
    // Every entry shows the plan cell (P 3 level 2), whatever its own level.
    EXPECT_EQ(lines[91], " 0.0 0.0 -2.5e-14 0.0 78480 98100 117720 137340 156960 156960");
    for (int row = 0; row < 8; ++row) EXPECT_EQ(Words(lines[91 + row]).size(), 10u);
    EXPECT_EQ(lines[99], "");
    EXPECT_EQ(lines[100], "VECTORS Velocities float");
    // A ring point's own column beyond the block holds no cells.
    EXPECT_EQ(lines[101], "0.000000 0.000000 0.000000");
    EXPECT_EQ(lines[101 + 11], "0.002000 -0.004000 0.000020");
}

TEST_F(VtkPlan, BedModeByPlotLetter) {
    StartWith("3 r 0 0 u 0 0 m 0 0");
    NoBedCells = 48;
    for (int i = 2; i <= 9; ++i) {
        for (int j = 2; j <= 7; ++j) {
            const int n = (j - 2) * 8 + (i - 1);
            pointbed[i][j] = n;
            Bcellt[n] = Cell(i, j, 1);
            Broughness[n] = 0.01 * n;
        }
    }
    // Only the bed cells belong to this numbering of the columns; the cells
    // above them are left outside any column.
    for (int c = 0; c <= NoCells; ++c) Cbedcell[c] = 0;
    for (int n = 1; n <= NoBedCells; ++n) Cbedcell[Bcellt[n]] = n;
    for (const char mode : {'g', 'r'}) {
        SCOPED_TRACE(mode);
        PlotModeLetter = mode;
        ASSERT_FALSE(Call([] { WriteParaView2D(0, 0); }).ended);
        const std::vector<std::string> lines = Lines("ParaView2.vtk");
        ASSERT_EQ(lines[89], "SCALARS Roughness float");
        const std::vector<std::string> roughness = Words(lines[91]), speed = Words(lines[91 + 11]),
                                       shear = Words(lines[91 + 22]);
        ASSERT_EQ(roughness.size(), 10u);
        if (mode == 'r') {
            // Column by column, the ring repeating its neighbours.
            EXPECT_EQ(roughness[0], "0.01");
            EXPECT_EQ(roughness[1], "0.01");
            EXPECT_EQ(roughness[2], "0.02");
            EXPECT_EQ(roughness[9], "0.08");
            EXPECT_EQ(speed, std::vector<std::string>(10, "0.0"));
            // The bed shear of each column's bottom cell.
            char expected[32];
            std::snprintf(expected, sizeof expected, "%lg", 300.0 * Ck[Cell(3, 2, 1)]);
            EXPECT_EQ(shear[2], expected);
        } else {
            // The plan cell, one above the bed: no bed roughness behind it, no bed shear.
            EXPECT_EQ(roughness[1], "0.0");
            EXPECT_NE(speed[1], "0.0");
            EXPECT_EQ(shear, std::vector<std::string>(10, "0.0"));
        }
    }
    // Without counted columns there is no bed mode.
    NoBedCells = 0;
    ASSERT_FALSE(Call([] { WriteParaView2D(0, 0); }).ended);
    EXPECT_NE(Words(Lines("ParaView2.vtk")[91 + 11])[1], "0.0");
}

TEST_F(Vtk3D, GridCellsAndPointAverages) {
    StartWith("2 k 0 0 z 0 0");
    // A cell beyond NoCells that would share a corner with the last column.
    const int stale = NoCells + 1;
    Cpoint1[stale] = Point(8, 6, 0);
    Cu[stale] = 100.0;
    ASSERT_FALSE(Call([] { WriteParaView3U(1); }).ended);
    const std::vector<std::string> lines = Lines("ParaView3U.vtk");
    const size_t points = 189, cells = 96;
    ASSERT_EQ(lines.size(), 4u + 1u + points + 1u + 1u + cells + 1u + cells + 2u + points + 2u * (3u + points));
    EXPECT_EQ(lines[1], "RIVAX 2 " + std::string(Title + 1) + " 3600.500000 seconds");
    EXPECT_EQ(lines[3], "DATASET UNSTRUCTURED_GRID");
    EXPECT_EQ(lines[4], "POINTS 189 float");
    EXPECT_EQ(lines[5 + points], "");
    const size_t cellsAt = 6 + points;
    EXPECT_EQ(lines[cellsAt], "CELLS 96 864");
    for (int c = 1; c <= NoCells; ++c) {
        char expected[120];
        std::snprintf(expected, sizeof expected, "8 %d %d %d %d %d %d %d %d", Cpoint1[c] - 1, Cpoint2[c] - 1,
                      Cpoint3[c] - 1, Cpoint4[c] - 1, Cpoint5[c] - 1, Cpoint6[c] - 1, Cpoint7[c] - 1, Cpoint8[c] - 1);
        ASSERT_EQ(lines[cellsAt + static_cast<size_t>(c)], expected);
    }
    const size_t typesAt = cellsAt + 1 + cells;
    EXPECT_EQ(lines[typesAt], "CELL_TYPES 96");
    for (size_t c = 1; c <= cells; ++c) ASSERT_EQ(lines[typesAt + c], "12");
    const size_t dataAt = typesAt + 1 + cells;
    EXPECT_EQ(lines[dataAt], "POINT_DATA 189");
    EXPECT_EQ(lines[dataAt + 1], "VECTORS Velocity float");
    auto velocity = [&](int p) { return lines[dataAt + 1 + static_cast<size_t>(p)]; };
    // A bed corner of the channel: its one cell. An interior point: the eight
    // cells around it; a surface point: the four top cells.
    EXPECT_EQ(velocity(Point(1, 1, 0)), "0.001000 -0.002000 0.000010");
    EXPECT_EQ(velocity(Point(2, 2, 1)), "0.010500 -0.021000 0.000105");
    EXPECT_EQ(velocity(Point(2, 2, 2)), "0.011000 -0.022000 0.000110");
    // The bed point under the last column's corner: its four bed cells only.
    EXPECT_EQ(velocity(Point(8, 6, 0)), "0.086000 -0.172000 0.000860");
    const size_t kAt = dataAt + 2 + points;
    EXPECT_EQ(lines[kAt], "");
    EXPECT_EQ(lines[kAt + 1], "SCALARS Turbulent_k float");
    EXPECT_EQ(lines[kAt + 2], "LOOKUP_TABLE default");
    EXPECT_EQ(lines[kAt + 2 + static_cast<size_t>(Point(2, 2, 1))], "0.01105");
    const size_t zAt = kAt + 3 + points;
    EXPECT_EQ(lines[zAt + 1], "SCALARS Bed_level float");
    EXPECT_EQ(lines[zAt + 3], "0.000000");
    // The edge pairs were applied and the nodes of the points are set.
    EXPECT_EQ(Pmerge[Point(4, 3, 1)], Point(4, 3, 1));
    EXPECT_EQ(Pkooi[Point(4, 3, 1)], 4);
    EXPECT_EQ(Pkooj[Point(4, 3, 1)], 3);
}

// Two sides of a joined interface: the first surface's corners take the
// second surface's points.
TEST_F(Vtk3D, EdgePairsMergePoints) {
    StartWith("0");
    const int c = Cell(2, 2, 1);
    NoEdgePairs = 1;
    EdgePairs[1][0] = Csurfw[c];
    EdgePairs[1][1] = Csurfe[c];
    ASSERT_FALSE(Call([] { WriteParaView3U(1); }).ended);
    EXPECT_EQ(Pmerge[Point(1, 1, 0)], Point(2, 1, 0));
    EXPECT_EQ(Pmerge[Point(1, 2, 1)], Point(2, 2, 1));
    EXPECT_EQ(Pmerge[Point(2, 2, 1)], Point(2, 2, 1));
}

TEST_F(Tecplot3D, ZoneNodeValuesAndElements) {
    StartWith("2 y 0 0 u 1 0");
    GroupDischarge[1] = 250.0;
    // A point half-way between nodes (5, 4) and (6, 4), where the depth is 1 and 2.
    Px1[Point(5, 4, 1)] += 0.5;
    Gridz[6][4][NoGridLinesZ] = 2.0;
    // A point moved onto node (7, 5), far from its own node (2, 2).
    Px1[Point(2, 2, 2)] = Gridx[7][5];
    Py1[Point(2, 2, 2)] = Gridy[7][5];
    Gridz[7][5][NoGridLinesZ] = 3.0;
    ASSERT_FALSE(Call([] { WriteTecplot3D(1); }).ended);
    const std::vector<std::string> lines = Lines("tecplfe.dat");
    ASSERT_EQ(lines.size(), 3u + 189u + 96u);
    EXPECT_EQ(lines[0], "TITLE = \"FE_" + std::string(Title + 1) + " 3600.500000 sec. \"");
    EXPECT_EQ(lines[1], R"(VARIABLES="X1","X2","X3","Ux","Uy","No","Depth","Horiz. velocity")");
    EXPECT_EQ(lines[2], "ZONE T=\"Discharge: 250.000000 l/s, time: 3600.500000 sec\" N=189,E=96,F=FEPOINT, ET=BRICK");
    auto point = [&](int p) { return lines[2 + static_cast<size_t>(p)]; };
    // Every point on its node but one; the single block is not coupled.
    EXPECT_EQ(point(1), "0.000000 0.000000 0.000000 0.001000 -0.002000 0 1.000000e+00 2.236068e-03");
    EXPECT_EQ(Words(point(Point(5, 4, 1)))[6], "1.500000e+00");
    EXPECT_EQ(Words(point(Point(5, 3, 1)))[6], "1.000000e+00");
    EXPECT_EQ(Words(point(Point(2, 2, 2)))[6], "3.000000e+00");
    for (int c = 1; c <= NoCells; ++c) {
        char expected[120];
        std::snprintf(expected, sizeof expected, "%d %d %d %d %d %d %d %d", Cpoint1[c], Cpoint2[c], Cpoint3[c],
                      Cpoint4[c], Cpoint5[c], Cpoint6[c], Cpoint7[c], Cpoint8[c]);
        ASSERT_EQ(lines[2 + 189 + static_cast<size_t>(c)], expected);
    }
}

// A dry column next to a point: in a grid of several blocks the Tecplot 3D
// file starts from the diagonal neighbour instead; the VTK 3D file never does.
TEST_F(Tecplot3D, DryColumnSubstituteWithSeveralBlocks) {
    StartWith("0");
    Gridz[3][3][0] = 0.0;
    const int p = Point(2, 2, 0);  // its bed cells: 1, 3, 17 and the dry column's 19
    const struct {
        int blocks;
        const char* tecplot;  // Ux of the point
    } rows[] = {{1, "0.007000"}, {2, "0.010000"}};
    for (const auto& r : rows) {
        SCOPED_TRACE(r.blocks);
        NoBlocks = r.blocks;
        ASSERT_FALSE(Call([] {
                         WriteTecplot3D(1);
                         WriteParaView3U(1);
                     }).ended);
        EXPECT_EQ(Words(Lines("tecplfe.dat")[2 + static_cast<size_t>(p)])[3], r.tecplot);
        const std::vector<std::string> vtk = Lines("ParaView3U.vtk");
        const size_t dataAt = 4 + 1 + 189 + 1 + 1 + 96 + 1 + 96;
        EXPECT_EQ(Words(vtk[dataAt + 1 + static_cast<size_t>(p)])[0], "0.007000");
    }
}

TEST_F(Tecplot3D, CoupledBlocksAndZones) {
    StartWith("0");
    // Block 2, coupled, holds the points from 101 and the cells from 49 on.
    NoBlocks = 2;
    BlockTable[2] = BlockTable[1];
    BlockTable[1].lastPoint = 100;
    BlockTable[1].lastCell = 48;
    BlockTable[2].overlapLevel = 1;
    BlockTable[2].firstPoint = 101;
    BlockTable[2].firstCell = 49;
    const struct {
        int zone;
        const char* zoneCounts;
        int firstPoint, points, firstCell;
    } rows[] = {
        {0, "N=189,E=96", 1, 189, 1},
        {1, "N=100,E=48", 1, 100, 1},
        {2, "N=89,E=48", 101, 89, 49},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.zone);
        PlotZoneBlock = r.zone;
        ASSERT_FALSE(Call([] { WriteTecplot3D(1); }).ended);
        const std::vector<std::string> lines = Lines("tecplfe.dat");
        EXPECT_NE(lines[2].find(r.zoneCounts), std::string::npos) << lines[2];
        // The No column flags the points of the coupled block.
        EXPECT_EQ(Words(lines[3]).back(), r.firstPoint > 100 ? "1" : "0");
        if (r.zone == 0) {
            EXPECT_EQ(Words(lines[3 + 100]).back(), "1");
        }
        // Element lines number the zone's nodes from its first point on.
        const std::vector<std::string> first = Words(lines[3 + static_cast<size_t>(r.points)]);
        ASSERT_EQ(first.size(), 8u);
        EXPECT_EQ(std::stoi(first[0]), Cpoint1[r.firstCell] - (r.firstPoint - 1));
    }
}

}  // namespace
