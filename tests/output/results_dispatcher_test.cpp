// The results dispatcher: which outputs one call writes, the layer-block
// velocities, the bed state file and the reports in `boogie.spe`.
#include <cmath>

#include "run/placeholder.h"
#include "tests/output/results_case.h"

namespace {

class ResultsDispatcher : public ResultsCase {
protected:
    EngineCall Dispatch() { return Call(WriteResults); }

    // The names of the placeholder writers that a call reached, in order.
    static std::vector<std::string> WritersReached(const std::string& log) {
        std::vector<std::string> names;
        for (const std::string& line : SplitLines(log)) {
            const size_t at = line.find(" is not available in this build");
            if (at != std::string::npos) names.push_back(line.substr(0, at));
        }
        return names;
    }
};

TEST_F(ResultsDispatcher, SwitchesAndSelectorChooseTheWriters) {
    using Names = std::vector<std::string>;
    using Files = std::set<std::string>;
    // Numbered output is off: the plan files of the two blocks share one
    // Tecplot name, and the whole-grid VTK plan file is numbered anyway.
    const Files tec2 = {"tecplot2.dat"}, pv2 = {"pav2_00000.vtk"}, tec3 = {"tecplfe.dat"};
    const Files perBlockPv = {"ParaView2_n1.vtk", "ParaView2_n2.vtk"};
    const struct {
        const char* row;
        int position;  // F 329 position set to 1, 0 for none
        int selector;
        Names writers;  // placeholders reached
        Files plots = {};
        Files tables = {};
    } rows[] = {
        {"defaults", 0, 0, {}},
        {"Tecplot plan", 3, 0, {}, tec2},
        {"Tecplot plan per block", 4, 0, {}, tec2},
        {"Tecplot 3D", 5, 0, {}, tec3},
        {"VTK 3D", 6, 0, {}, {"ParaView3U.vtk"}},
        {"VTK plan", 7, 0, {}, pv2},
        {"VTK plan per block", 8, 0, {}, perBlockPv},
        {"probe", 9, 0, {}, {}, {"PirakPkt.dat"}},
        {"bed points", 10, 0, {}, {}, {"beddata.sim"}},
        {"boundary edges", 12, 0, {}, {}, {"melvok"}},
        {"habitat", 13, 0, {}, {}, {"habitat"}},
        {"fracres", 16, 0, {}, {}, {"fracres.new"}},
        {"F 48 7", 0, 7, {}, tec2},
        {"F 48 87", 0, 87, {}, tec2},
        {"F 48 8", 0, 8, {}, {"tecplot2.dat", "tecplfe.dat"}},
        {"F 48 88", 0, 88, {}, {"tecplot2.dat", "tecplfe.dat"}},
        {"F 48 9", 0, 9, {}, tec3},
        {"F 48 89", 0, 89, {}, tec3},
        {"F 48 10", 0, 10, {}, {"ParaView3U.vtk"}},
        {"F 48 90", 0, 90, {}, {"ParaView3U.vtk"}},
        {"F 48 11", 0, 11, {}, pv2},
        {"F 48 91", 0, 91, {}, pv2},
        {"F 48 13", 0, 13, {}, {}, {"PirakPkt.dat"}},
        {"F 48 17", 0, 17, {}, {}, {"melvok"}},
        {"F 48 18", 0, 18, {}, tec2},
        {"F 48 19", 0, 19, {}, perBlockPv},
        {"F 48 22", 0, 22, {}, {}, {"beddata.sim"}},
        {"F 48 5", 0, 5, {}, {}, {"habitat"}},
        {"F 48 12", 0, 12, {}},
    };
    Start();
    NoBlocks = 2;  // two per-block files
    for (const auto& row : rows) {
        SCOPED_TRACE(row.row);
        OutputFlags[0] = 0;  // no result file, so that nothing but the switch is tested
        for (int p = 3; p <= 20; ++p) OutputFlags[p - 1] = p == row.position ? 1 : 0;
        OutputSelector = row.selector;
        WriteHere("boogie", "");
        ForgetUnavailableReports();  // each row reads the writers it reached from the log
        EngineCall call = Dispatch();
        ASSERT_FALSE(call.ended) << call.log;
        EXPECT_EQ(WritersReached(call.log), row.writers);
        EXPECT_EQ(PlotFilesHere(), row.plots);
        for (const std::string& name : PlotFilesHere()) std::filesystem::remove(name);
        Files tables;
        for (const char* name : {"PirakPkt.dat", "beddata.sim", "melvok", "habitat", "fracres.new"}) {
            if (std::filesystem::exists(name)) tables.insert(name);
            std::filesystem::remove(name);
        }
        EXPECT_EQ(tables, row.tables);
        EXPECT_EQ(std::string(StatusText), "have written result file  ");
        EXPECT_EQ(WritingFilesFlag, 0);
    }
}

TEST_F(ResultsDispatcher, SinglePositionZeroKeepsTheBedStateFile) {
    Start("F 329 0\n");
    NoBedCells = 3;
    for (int b = 1; b <= 3; ++b) Bcellt[b] = 2 * b - 1;
    ASSERT_FALSE(Dispatch().ended);
    EXPECT_FALSE(std::filesystem::exists("result"));
    EXPECT_TRUE(std::filesystem::exists("bedres.t"));
    // Without counted columns there is no bed state.
    std::filesystem::remove("bedres.t");
    NoBedCells = 0;
    ASSERT_FALSE(Dispatch().ended);
    EXPECT_FALSE(std::filesystem::exists("bedres.t"));
}

// The outputs show the bed cells of an appended layer block at rest, and the
// flow keeps its velocities.
TEST_F(ResultsDispatcher, LayerBlockBedCellsAreWrittenAtRestWithoutChangingTheFlow) {
    Start("F 236 1 0 0 0\n");
    NoBlocks = 2;
    BlockTable[2] = BlockTable[1];
    BlockTable[2].layerBlock = 1;
    BlockTable[2].firstColumn = 2;
    BlockTable[2].lastColumn = 3;
    NoBedCells = 4;
    const int bed[] = {0, 1, 3, 5, 7};
    for (int b = 1; b <= 4; ++b) Bcellt[b] = bed[b];
    ASSERT_FALSE(Dispatch().ended);
    const std::vector<std::string> lines = SplitLines(ReadHere("result"));
    for (int c : {3, 5}) {
        const std::string atRest = "C " + std::to_string(c) + " 0.00000000e+00 0.00000000e+00 0.00000000e+00 ";
        EXPECT_EQ(lines.at(5 + c).substr(0, atRest.size()), atRest);
        EXPECT_DOUBLE_EQ(Cu[c], 0.001 * c);
        EXPECT_DOUBLE_EQ(Cv[c], -0.002 * c);
        EXPECT_DOUBLE_EQ(Cw[c], 1e-5 * c);
    }
    EXPECT_EQ(lines.at(5 + 1).substr(0, 19), "C 1 1.00000000e-03 ");
    EXPECT_EQ(lines.at(5 + 7).substr(0, 19), "C 7 7.00000000e-03 ");
}

TEST_F(ResultsDispatcher, NumberedOutputAddsOneFilePerCallAndOutput) {
    Start("P 10 1\n");
    NoBedCells = 2;
    WriteHere("result.0000", "taken");
    for (int call = 0; call < 2; ++call) ASSERT_FALSE(Dispatch().ended);
    const std::set<std::string> expected = {"result.0000", "result.0001", "result.0002", "bedres.0000", "bedres.0001"};
    std::set<std::string> numbered;
    for (const std::string& name : FilesHere()) {
        if (name.rfind("result.", 0) == 0 || name.rfind("bedres", 0) == 0) numbered.insert(name);
    }
    EXPECT_EQ(numbered, expected);
    EXPECT_EQ(ReadHere("result.0000"), "taken");
}

TEST_F(ResultsDispatcher, BedStateFileNames) {
    const struct {
        std::string control;
        int part;  // F 308, set after the grid is read
        const char* name;
    } rows[] = {
        {"", 0, "bedres.t"},
        {"", 2, "bedres.mpi2.t"},
        {"P 15 3\n", 0, "bedres.0000"},
        {"P 10 1\n", 2, "bedres.mpi2.0000"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Start("F 329 0\n" + row.control);
        MpiPart = row.part;
        NoBedCells = 1;
        ASSERT_FALSE(Dispatch().ended);
        EXPECT_TRUE(std::filesystem::exists(row.name));
        std::filesystem::remove(row.name);
    }
}

TEST_F(ResultsDispatcher, BedStateFileLayout) {
    for (const bool multiLayer : {false, true}) {
        SCOPED_TRACE(multiLayer);
        Start(multiLayer ? "F 134 3\nG 1 11 9 3 2\n" : "G 1 11 9 3 2\n");
        if (multiLayer) FlagTSC = 3;
        Iter = 17;
        MaxDepth = 1.25;
        NoBedCells = 2;
        Bcellt[1] = 1;
        Bcellt[2] = 3;
        Broughness[1] = 0.1;
        Broughness[2] = 0.2;
        Croughness[3] = 0.03;
        BbedformHeight[2] = 0.5;
        for (int layer = 0; layer <= NoBedLayers; ++layer) {
            for (int s = 0; s <= NoSizes; ++s) BSedDistrib[layer][s][2] = layer + 0.1 * s;
        }
        GridLevels[3][1][1] = -2.0;
        GridLevels[1][1][1] = 0.125;
        ASSERT_FALSE(Dispatch().ended);
        const std::vector<std::string> lines = SplitLines(ReadHere("bedres.t"));
        // 8 by 6 columns: 9 by 7 node lines.
        ASSERT_EQ(lines.size(), 2u + 63u + 2u);
        EXPECT_EQ(lines[0], "Results from RIVAX 2.0, iter = 17");
        EXPECT_EQ(lines[1], "K 11 9 3 2 2    1.25000000000000000 " + std::to_string(NoCells));
        EXPECT_EQ(lines[2], "1 1    0.0     0.00000000000000     1.00000000000000 -2.000000 0.125000");
        EXPECT_EQ(lines[3].substr(0, 14), "1 2    0.0    ");
        EXPECT_EQ(lines[3 + 6].substr(0, 14), "2 1    0.0    ");  // j runs inside i
        EXPECT_EQ(lines[2 + 7 + 1].substr(0, 14), "2 2    1.0    ");  // the bottom cell of column (2, 2)
        // Column 1 keeps the start bed: all of size 1 in layers 0 and 1.
        const std::string start = "0.000000 1.000000 0.000000 ";
        EXPECT_EQ(lines[65], "1 1 0.100000 0.000000 0.000000 " +
                                 (multiLayer ? "0.000000 0.000000 0.000000 " + start + start : start + start));
        const std::string layers = multiLayer ? "2.000000 2.100000 2.200000 1.000000 1.100000 1.200000 "
                                                "0.000000 0.100000 0.200000 "
                                              : "1.000000 1.100000 1.200000 0.000000 0.100000 0.200000 ";
        EXPECT_EQ(lines[66], "2 3 0.200000 0.030000 0.500000 " + layers);
    }
}

}  // namespace
