// Letter R inside the test process: files written by the result and bed
// state writers read back onto the channel, the bed-column forms, the names,
// and damaged or mismatching files.
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <functional>

#include "output/restart_files.h"
#include "output/results_writers.h"
#include "tests/output/results_case.h"

namespace {

namespace fs = std::filesystem;

class RestartReader : public ResultsCase {
protected:
    // The channel as a grid whose cells the engine builds, so that the grid
    // the restart rebuilds from the bed state is the grid the files came from.
    // Its cell and surface counts are those of the engine's generation.
    void Start(const std::string& extraControl = "") {
        ChannelSpec spec = ResultsChannel(extraControl);
        spec.version = 4;
        spec.gridLinesZ = 5;
        const ChannelProject p = MakeChannelProject(spec);
        WriteHere("control", p.control);
        WriteHere("unstruc", p.unstruc);
        EngineCall start = StartEngineHere();
        ASSERT_FALSE(start.ended) << start.log;
        EngineCall read = CallEngine([] { return ReadUnstructure(); });
        ASSERT_EQ(read.result, 0) << read.log;
        ASSERT_GT(NoCells, NoBedCells);
        SetKnownFields();
    }

    // Gives every bed value something distinct to carry.
    static void SetKnownBed() {
        for (int b = 1; b <= NoBedCells; ++b) {
            Broughness[b] = 0.01 * b;
            BbedformHeight[b] = 0.001 * b;
            for (int layer = 0; layer <= NoBedLayers; ++layer) {
                for (int s = 0; s <= NoSizes; ++s) BSedDistrib[layer][s][b] = 0.1 * layer + 0.01 * s + 0.0001 * b;
            }
        }
        for (int i = 0; i <= NoGridLinesX; ++i) {
            for (int j = 0; j <= NoGridLinesY; ++j) {
                GridLevels[3][i][j] = -1.0 - 0.01 * i;
                GridLevels[1][i][j] = 0.001 * j;
            }
        }
    }

    // Writes the result file and the bed state, and gives the bed state the
    // name the restart reads.
    static void WriteRestartFiles() {
        ASSERT_FALSE(Call([] { WriteResultFile(1); }).ended);
        ASSERT_FALSE(Call(WriteBedStateFile).ended);
        fs::rename("bedres.t", "bedres");
    }

    // Overwrites what the restart must bring back.
    static void Scramble() {
        for (int c = 1; c <= NoCells; ++c) Cu[c] = Cv[c] = Cw[c] = Ck[c] = Cepsilon[c] = Pres[c] = -99.0;
        for (int s = 1; s <= NoSurfaces; ++s) Fflux[s] = -99.0;
        for (int b = 1; b <= NoBedCells; ++b) Broughness[b] = BbedformHeight[b] = -99.0;
        for (int layer = 0; layer <= NoBedLayers; ++layer) {
            for (int s = 0; s <= NoSizes; ++s) {
                for (int b = 1; b <= NoBedCells; ++b) BSedDistrib[layer][s][b] = -99.0;
            }
        }
        for (int i = 0; i <= NoGridLinesX; ++i) {
            for (int j = 0; j <= NoGridLinesY; ++j) GridLevels[3][i][j] = GridLevels[1][i][j] = -99.0;
        }
    }

    static std::vector<std::string> From(const std::string& text, size_t line) {
        std::vector<std::string> lines = SplitLines(text);
        lines.erase(lines.begin(), lines.begin() + static_cast<std::ptrdiff_t>(std::min(line, lines.size())));
        return lines;
    }

    // The layers of the file hold what SetKnownBed gave them (as printed),
    // the others what Scramble left.
    static void ExpectLayersReadBack(const std::vector<int>& layers) {
        for (int layer = 0; layer <= NoBedLayers; ++layer) {
            const bool inFile = std::count(layers.begin(), layers.end(), layer) > 0;
            for (int s = 0; s <= NoSizes; ++s) {
                const int b = NoBedCells;
                const double v = inFile ? std::stod(std::to_string(0.1 * layer + 0.01 * s + 0.0001 * b)) : -99.0;
                EXPECT_DOUBLE_EQ(BSedDistrib[layer][s][b], v) << "layer " << layer << " size " << s;
            }
        }
    }

    static bool Has(const EngineCall& call, const std::string& text) {
        return call.log.find(text) != std::string::npos;
    }
};

TEST_F(RestartReader, TextFilesComeBackAsTheyWereWritten) {
    Start("F 219 1\n");
    ASSERT_TRUE(Cu_old.exists());
    ASSERT_GT(NoBedCells, 0);
    SetKnownBed();
    MaxDepth = 1.0625;
    WriteRestartFiles();
    const std::string result = ReadHere("result"), bedres = ReadHere("bedres");
    Scramble();
    MaxDepth = 0.0;
    MaxEddyViscosity = 5.0;  // caps the cells whose 90 k2/e + F 72 lies above it

    const EngineCall call = Call(readres);
    ASSERT_FALSE(call.ended) << call.log;
    EXPECT_TRUE(Has(call, " In readres \n\n")) << call.log;
    EXPECT_TRUE(Has(call, "Have read " + std::to_string(NoCells) + " cell values from result file\n")) << call.log;
    EXPECT_FALSE(Has(call, "Have not used 'bedres' file"));
    EXPECT_EQ(FlowInitialisedFlag, 1);
    EXPECT_EQ(ResultFluxesReadFlag, 1);
    EXPECT_STREQ(StatusText, " Have finished reading 'result'");
    EXPECT_STREQ(ModuleName, " Readres-reading results ");
    EXPECT_DOUBLE_EQ(MaxDepth, 1.0625);

    int capped = 0;
    for (int c = 1; c <= NoCells; ++c) {
        const double k = 0.01 + 1e-4 * c, e = 0.003 + 1e-6 * c;
        const double expected = std::min(5.0, 90.0 * k * k / (e + 1e-20) + 0.001);
        ASSERT_NEAR(Ceddyvisc[c], expected, 1e-7 * expected) << c;
        ASSERT_EQ(Ceddyviscz[c], Ceddyvisc[c]) << c;
        ASSERT_EQ(Cu_old[c], Cu[c]);
        ASSERT_EQ(Cepsilon_old[c], Cepsilon[c]);
        capped += Ceddyvisc[c] == 5.0;
    }
    EXPECT_GT(capped, 0);
    EXPECT_LT(capped, NoCells);

    // Written again, the files hold what was read, to the last digit.
    ASSERT_FALSE(Call([] { WriteResultFile(1); }).ended);
    ASSERT_FALSE(Call(WriteBedStateFile).ended);
    EXPECT_EQ(From(ReadHere("result"), 4), From(result, 4));
    EXPECT_EQ(From(ReadHere("bedres.t"), 1), From(bedres, 1));
}

TEST_F(RestartReader, BinaryFileComesBackBitForBitWithoutTheTextFlags) {
    Start("F 48 15\n");
    Cu[5] = 1.0 / 3.0;  // no decimal form holds it exactly
    WriteRestartFiles();
    const std::string bytes = ReadHere("resultb");
    Scramble();
    for (int c = 1; c <= NoCells; ++c) Ceddyvisc[c] = 7.0;

    const EngineCall call = Call(readres);
    ASSERT_FALSE(call.ended) << call.log;
    EXPECT_TRUE(Has(call, "Have read " + std::to_string(NoCells) + " cell values from resultb file\n")) << call.log;
    EXPECT_EQ(Cu[5], 1.0 / 3.0);
    EXPECT_EQ(Ceddyvisc[5], 7.0);  // not derived from the binary form
    EXPECT_EQ(ResultFluxesReadFlag, 0);
    EXPECT_EQ(FlowInitialisedFlag, 1);
    fs::remove("resultb");
    ASSERT_FALSE(Call([] { WriteResultFile(1); }).ended);
    EXPECT_EQ(ReadHere("resultb"), bytes);
}

TEST_F(RestartReader, WithoutBedresTheFlowIsReadOntoThePresentGrid) {
    Start();
    ASSERT_FALSE(Call([] { WriteResultFile(1); }).ended);
    Scramble();
    const int cells = NoCells;
    const EngineCall call = Call(readres);
    ASSERT_FALSE(call.ended) << call.log;
    EXPECT_TRUE(Has(call, "Have not used 'bedres' file\n"));
    EXPECT_TRUE(Has(call, "Have read " + std::to_string(cells) + " cell values from result file\n"));
    EXPECT_FALSE(Has(call, "End of Unstructure"));  // the grid was not rebuilt
    EXPECT_EQ(Broughness[1], -99.0);
    EXPECT_DOUBLE_EQ(Pres[cells], 9810.0 * cells);
    EXPECT_DOUBLE_EQ(Fflux[NoSurfaces], 0.5 * NoSurfaces - 7.25);
}

// A missing result file is a warning: what the bed state brought stays, and
// the flow is not marked as initialised.
TEST_F(RestartReader, MissingResultFileEndsTheRunUninitialised) {
    for (const bool binary : {false, true}) {
        SCOPED_TRACE(binary);
        Start(binary ? "F 48 15\n" : "");
        const EngineCall call = Call(readres);
        EXPECT_EQ(FlowInitialisedFlag, 0);
        if (binary) {
            EXPECT_TRUE(call.ended);
            EXPECT_EQ(call.status, -3);
            EXPECT_STREQ(StatusText, "cannot open file 'resultb' ");
            EXPECT_TRUE(Has(call, " cannot open file 'resultb' for reading "));
        } else {
            // Letter R asked for a restart: without one the run fails.
            EXPECT_TRUE(call.ended);
            EXPECT_EQ(call.status, kRestartRefusedStatus);
            EXPECT_STREQ(StatusText, "cannot open file result ");
            EXPECT_TRUE(Has(call, "Warning: have not been able to open the file 'result' for reading "));
            EXPECT_TRUE(Has(call, "Error: no restart from 'result': it cannot be opened\n"));
        }
    }
}

TEST_F(RestartReader, BedColumnForms) {
    const struct {
        const char* row;
        std::string control;
        int tsc;
        bool letterH;
        std::vector<int> layers;  // in file order
    } rows[] = {
        {"two layers, the top one first", "", 0, false, {1, 0}},
        {"all layers of the multi-layer bed", "F 134 3\n", 3, false, {2, 1, 0}},
        {"three layers without F 37 3 keep the two-layer form", "F 134 3\n", 0, false, {1, 0}},
        {"letter H: layer 1 only", "", 0, true, {1}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.row);
        Start("G 1 10 8 5 2\n" + row.control);
        FlagTSC = row.tsc;
        SetKnownBed();
        WriteRestartFiles();
        if (row.letterH) {
            // The older form: letter H, one layer per column.
            std::string text;
            for (std::string line : SplitLines(ReadHere("bedres"))) {
                if (line.rfind("K ", 0) == 0) line[0] = 'H';
                const std::vector<std::string> w = Words(line);
                if (w.size() == 5 + 2 * 3) {
                    line.clear();
                    for (size_t k = 0; k < 5 + 3; ++k) line += w[k] + " ";
                }
                text += line + "\n";
            }
            WriteHere("bedres", text);
        }
        // The file's layers read back into the layers they came from; the
        // others keep what they hold.
        Scramble();
        const EngineCall call = Call(readres);
        ASSERT_FALSE(call.ended) << call.log;
        ExpectLayersReadBack(row.layers);
        EXPECT_DOUBLE_EQ(Broughness[3], 0.03);
        EXPECT_DOUBLE_EQ(GridLevels[3][4][2], -1.04);
        EXPECT_DOUBLE_EQ(GridLevels[1][4][2], 0.002);
    }
}

// A bed state is read back whatever F 37 the reading run has: the form of
// the other setting lands on the layers it was written from, the others
// keep what they hold.
TEST_F(RestartReader, BedFormOfTheOtherF37SettingIsReadBack) {
    const struct {
        const char* row;
        int writeTsc, readTsc;
        std::vector<int> layers;
    } rows[] = {
        {"two layers of a flow run read by F 37 3", 0, 3, {1, 0}},
        {"all layers of F 37 3 read by a flow run", 3, 0, {3, 2, 1, 0}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.row);
        Start("G 1 10 8 5 2\nF 134 4\n");
        FlagTSC = row.writeTsc;
        SetKnownBed();
        WriteRestartFiles();
        Scramble();
        FlagTSC = row.readTsc;
        const EngineCall call = Call(readres);
        ASSERT_FALSE(call.ended) << call.log;
        ExpectLayersReadBack(row.layers);
    }
}

TEST_F(RestartReader, PartitionNames) {
    const struct {
        int part;
        const char* bedres;
        const char* result;
    } rows[] = {{0, "bedres", "result"}, {2, "bedres.mpi2", "result.mpi2"}, {-1, "bedres", "result"}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.part);
        Start();
        SetKnownBed();
        MpiPart = row.part;
        EXPECT_EQ(RestartFileName("bedres"), row.bedres);
        EXPECT_EQ(RestartFileName("result"), row.result);
        MpiPart = 0;
        WriteRestartFiles();
        MpiPart = row.part;
        if (std::string(row.result) != "result") {
            fs::rename("result", row.result);
            fs::rename("bedres", row.bedres);
        }
        Scramble();
        const EngineCall call = Call(readres);
        ASSERT_FALSE(call.ended) << call.log;
        EXPECT_TRUE(Has(call, std::string("cell values from ") + row.result + " file\n")) << call.log;
        EXPECT_FALSE(Has(call, "Have not used 'bedres' file"));
        EXPECT_DOUBLE_EQ(Broughness[2], 0.02);
        fs::remove(row.result);
        fs::remove(row.bedres);
    }
}

// Edits of a written file, line by line (0-based).
void EditLines(const std::string& name, const std::function<void(std::vector<std::string>&)>& edit) {
    std::vector<std::string> lines = SplitLines(ReadHere(name));
    edit(lines);
    std::string text;
    for (const std::string& l : lines) text += l + "\n";
    WriteHere(name, text);
}

std::string Line(const std::vector<std::string>& words) {
    std::string line;
    for (const std::string& w : words) line += w + " ";
    return line;
}

TEST_F(RestartReader, DamagedOrMismatchingFiles) {
    // The channel: 8 x 6 columns of 3 cells; bedres line 3 holds node (1, 1),
    // line 66 water column 1.
    constexpr int kNodeLines = 9 * 7;
    constexpr int kFirstColumnLine = 2 + kNodeLines;  // 0-based
    const struct {
        const char* row;
        std::function<void()> damage;
        int status;  // 0: the run goes on
        std::vector<std::string> log;
        bool initialised = true;
    } rows[] = {
        {"result cut inside cell record 11",
         [] {
             EditLines("result", [](std::vector<std::string>& l) {
                 l.resize(6 + 11);
                 l.back() = l.back().substr(0, 20);
             });
         },
         kRestartRefusedStatus,
         {"Skipped 1 records of 'result' that are incomplete or hold something that is not a number\n",
          "Warning: 'result' gave 10 of the 144 cell values and 0 of the ", "Error: no restart from 'result': it does not hold every cell and surface of the grid as numbers\n"},
         false},
        {"records outside the grid are skipped",
         [] {
             EditLines("result", [](std::vector<std::string>& l) {
                 l.insert(l.begin() + 7, {"C 999999 1 2 3 4 5 6", "C 0 1 2 3 4 5 6", "C -3 1 2 3 4 5 6",
                                          "F 0 1.5", "F 999999 1.5"});
             });
         },
         kRestartRefusedStatus,
         {"Skipped 5 records of 'result' whose cell or surface number lies outside the grid\n", "Error: no restart from 'result': it does not hold every cell and surface of the grid as numbers\n"},
         false},
        {"a value that is not a number",
         [] { EditLines("result", [](std::vector<std::string>& l) { l[6 + 4] = "C 5 1 2 nan 4 5 6"; }); },
         kRestartRefusedStatus,
         {"Skipped 1 records of 'result' that are incomplete", "Error: no restart from 'result': it does not hold every cell and surface of the grid as numbers\n"},
         false},
        {"result of another grid",
         [] { EditLines("result", [](std::vector<std::string>& l) { l[4] = "U 1 145 5 1 0 0"; }); },
         kRestartRefusedStatus,
         {"Error reading result file, array size is not correct\n",
          "Number of cells in grid is 144, and number of cells in result file is 145\n",
          "read if the F 37 data set is larger than zero\n", "No. points in grid: ",
          "No. cells in grid: 144, no. cells in result file: 145\n", "No. surfaces in grid: ", "MaxDepth = ",
          "an H at the end of the F 2 data set. Then read this file before reading the result file\n", "Error: no restart from 'result': its counts (the U line) do not fit the grid\n"},
         false},
        {"U line cut short",
         [] { EditLines("result", [](std::vector<std::string>& l) { l[4] = "U 1 144"; }); },
         kRestartRefusedStatus,
         {"Error reading result file: the U line does not hold six counts\n", "Error: no restart from 'result': its counts (the U line) do not fit the grid\n"},
         false},
        {"bedres of another G 1",
         [] {
             EditLines("bedres", [](std::vector<std::string>& l) {
                 std::vector<std::string> w = Words(l[1]);
                 w[3] = "6";
                 w[4] = "3";
                 l[1] = Line(w);
             });
         },
         -3,
         {"Error in reading bedres file: array size is not correct\n",
          "Number of bedres grid lines in k direction is 6, and in control file 5.\n",
          "Number of bedres sediment sizes is 3, and in control file 1.\n"},
         false},
        {"damaged title",
         [] { EditLines("bedres", [](std::vector<std::string>& l) { l[0] = "Results from somewhere"; }); },
         -3,
         {"Error in reading bedres file 'bedres' at line 1: expected the title line"},
         false},
        {"size line without the cell count",
         [] { EditLines("bedres", [](std::vector<std::string>& l) { l[1] = l[1].substr(0, l[1].rfind(' ')); }); },
         -3,
         {"at line 2: expected the size line"},
         false},
        {"node line deleted",
         [] { EditLines("bedres", [](std::vector<std::string>& l) { l.erase(l.begin() + 2 + 8); }); },
         -3,
         {"at line 11: expected the node line of i = 2, j = 2, followed by five numbers\n",
          "The line reads: '2 3 "},
         false},
        {"node line with a value missing",
         [] {
             EditLines("bedres", [](std::vector<std::string>& l) { l[2] = l[2].substr(0, l[2].rfind(' ')); });
         },
         -3,
         {"at line 3: expected the node line of i = 1, j = 1, followed by five numbers\n"},
         false},
        {"column line with a value missing",
         [] {
             EditLines("bedres", [](std::vector<std::string>& l) {
                 std::vector<std::string> w = Words(l[kFirstColumnLine + 4]);
                 w.pop_back();
                 l[kFirstColumnLine + 4] = Line(w);
             });
         },
         -3,
         {"at line 70: expected the line of water column 5 with 9 numbers, found 8 words\n"},
         false},
        {"column lines out of step",
         [] { EditLines("bedres", [](std::vector<std::string>& l) { l.erase(l.begin() + kFirstColumnLine); }); },
         -3,
         {"at line 66: expected the line of water column 1, found the number 2\n"},
         false},
        {"bottom cell outside the grid",
         [] {
             EditLines("bedres", [](std::vector<std::string>& l) {
                 std::vector<std::string> w = Words(l[kFirstColumnLine + 1]);
                 w[1] = "145";
                 l[kFirstColumnLine + 1] = Line(w);
             });
         },
         -3,
         {"at line 67: the bottom cell 145 of water column 2 lies outside 0 to 144\n"},
         false},
        {"bedres ends early",
         [] { EditLines("bedres", [](std::vector<std::string>& l) { l.resize(l.size() - 1); }); },
         -3,
         {"Error in reading bedres file 'bedres': it ends after line 112, before the line of water column 48\n"},
         false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.row);
        Start();
        ASSERT_EQ(NoCells, 144);
        ASSERT_EQ(NoBedCells, 48);
        WriteRestartFiles();
        row.damage();
        const EngineCall call = Call(readres);
        EXPECT_EQ(call.ended, row.status != 0) << call.log;
        if (row.status != 0) {
            EXPECT_EQ(call.status, row.status);
        }
        size_t at = 0;
        for (const std::string& text : row.log) {
            const size_t found = call.log.find(text, at);
            EXPECT_NE(found, std::string::npos) << "missing in order: " << text << "\n" << call.log;
            if (found != std::string::npos) at = found + text.size();
        }
        EXPECT_EQ(FlowInitialisedFlag, row.initialised ? 1 : 0);
        if (row.status == 0 && !row.initialised) {
            EXPECT_STREQ(StatusText, " Error reading result file        ");
            EXPECT_EQ(ResultFluxesReadFlag, 0);
        }
    }
}

// A resultb of another size is refused before any value is read.
TEST_F(RestartReader, ResultbOfAnotherSizeEndsTheRunBeforeAnyValueIsRead) {
    const struct {
        const char* row;
        long delta;  // bytes added to the file
    } rows[] = {{"one double short", -8}, {"one double too many", 8}, {"empty", 0}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.row);
        Start("F 48 15\n");
        ASSERT_FALSE(Call([] { WriteResultFile(1); }).ended);
        std::string bytes = ReadHere("resultb");
        const size_t size = bytes.size();
        if (row.delta == 0) {
            bytes.clear();
        } else if (row.delta < 0) {
            bytes.resize(size - 8);
        } else {
            bytes += std::string(8, '\0');
        }
        WriteHere("resultb", bytes);
        Scramble();
        const EngineCall call = Call(readres);
        EXPECT_TRUE(call.ended);
        EXPECT_EQ(call.status, -4);
        EXPECT_TRUE(Has(call, "Error reading 'resultb' file\n"));
        EXPECT_TRUE(Has(call, "The grid needs " + std::to_string(size) + " bytes (144 cells, " +
                                  std::to_string(NoSurfaces) + " surfaces), and the file holds " +
                                  std::to_string(bytes.size()) + "\n"))
            << call.log;
        EXPECT_EQ(Cu[1], -99.0);
        EXPECT_EQ(FlowInitialisedFlag, 0);
    }
}

// A depth-averaged block behind the channel has no node lines: the reader
// passes it over as the writer does and stays on the right nodes.
TEST_F(RestartReader, DepthAveragedBlockHasNoNodeLines) {
    Start();
    SetKnownBed();
    NoBlocks = 2;
    BlockTable[2] = BlockTable[1];
    BlockTable[2].depthAveraged = 1;
    WriteRestartFiles();
    ASSERT_EQ(SplitLines(ReadHere("bedres")).size(), 2u + 63u + 48u);
    Scramble();
    const EngineCall call = Call(readres);
    ASSERT_FALSE(call.ended) << call.log;
    EXPECT_TRUE(Has(call, "Have read 144 cell values from result file\n")) << call.log;
    EXPECT_DOUBLE_EQ(GridLevels[3][9][7], -1.09);
    EXPECT_DOUBLE_EQ(GridLevels[1][9][7], 0.007);
    EXPECT_DOUBLE_EQ(Broughness[48], 0.48);
}

}  // namespace
