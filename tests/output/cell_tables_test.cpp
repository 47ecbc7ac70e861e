// The dispatcher's tables: every cell's values, the bed points, the outline
// of the wet area and the habitat classes; and the discharge report of a
// narrow block.
#include <cmath>
#include <cstdlib>

#include "run/status.h"
#include "tests/output/results_case.h"
#include "tests/support/project_dir.h"

namespace {

namespace fs = std::filesystem;

// The channel's cell at column (i, j), layer l (as the channel writer numbers them).
int ChannelCell(int i, int j, int l) { return ((j - 2) * 8 + (i - 2)) * 2 + l; }

std::vector<double> Numbers(const std::string& line) {
    std::vector<double> v;
    for (const std::string& w : Words(line)) v.push_back(std::strtod(w.c_str(), nullptr));
    return v;
}

class CellTables : public ResultsCase {
protected:
    // Only the F 329 position n asks for something.
    static void Select(int position) {
        for (int p = 1; p <= 20; ++p) OutputFlags[p - 1] = p == position ? 1 : 0;
    }
};

TEST_F(CellTables, ProbeFileHoldsElevenValuesPerCell) {
    Start();
    Select(9);
    Ceddyvisc[5] = 0.125;
    conc[0][5] = 3.5e-7;
    ASSERT_FALSE(Call(WriteResults).ended);
    const std::vector<std::string> lines = SplitLines(ReadHere("PirakPkt.dat"));
    ASSERT_EQ(lines.size(), static_cast<size_t>(NoCells));
    for (const std::string& line : lines) ASSERT_EQ(Words(line).size(), 11u) << line;
    char expected[512];
    std::snprintf(expected, sizeof expected, "%lf %lf %lf %lf %lf %lf %lf %lf %lf %lf %le", Cxcenter[5], Cycenter[5],
                  Czcenter[5], Cu[5], Cv[5], Cw[5], Pres[5], Ck[5], Cepsilon[5], 0.125, 3.5e-7);
    EXPECT_EQ(lines[4], expected);
}

TEST_F(CellTables, ProbeFileNamesAndFailure) {
    Start("P 10 1\n");
    Select(9);
    WriteHere("pirak_00000.dat", "taken");
    ASSERT_FALSE(Call(WriteResults).ended);
    EXPECT_EQ(SplitLines(ReadHere("pirak_00001.dat")).size(), static_cast<size_t>(NoCells));
    EXPECT_EQ(ReadHere("pirak_00000.dat"), "taken");

    // The fixed name cannot be created: the run ends, with the name the
    // status has always shown.
    ResultInterval = 0;
    fs::create_directory("PirakPkt.dat");
    const EngineCall call = Call(WriteResults);
    EXPECT_TRUE(call.ended);
    EXPECT_EQ(call.status, -3);
    EXPECT_EQ(std::string(StatusText), "cannot open file 'PirakPtk.dat' ");
    EXPECT_TRUE(fs::is_empty("PirakPkt.dat"));
}

TEST_F(CellTables, BedPointsAreTheBedCellBottoms) {
    Start();
    Select(10);
    Czcenter[ChannelCell(3, 4, 1)] = 0.5;
    Ckdist[ChannelCell(3, 4, 1)] = 0.125;
    ASSERT_FALSE(Call(WriteResults).ended);
    const std::vector<std::string> lines = SplitLines(ReadHere("beddata.sim"));
    ASSERT_EQ(lines.size(), 48u);  // one per column
    const int bed = ChannelCell(3, 4, 1);
    // Bed cells come in cell order: column (3, 4) is the 18th.
    const std::vector<double> v = Numbers(lines[17]);
    ASSERT_EQ(v.size(), 3u);
    EXPECT_DOUBLE_EQ(v[0], std::round(Cxcenter[bed] * 1e6) / 1e6);
    EXPECT_DOUBLE_EQ(v[1], std::round(Cycenter[bed] * 1e6) / 1e6);
    EXPECT_DOUBLE_EQ(v[2], 0.375);
    for (const std::string& line : lines) {
        if (line != lines[17]) {
            EXPECT_EQ(Words(line)[2], "0.000000") << line;
        }
    }
}

TEST_F(CellTables, OutlineListsTheOpenBottomEdgesSouthEastNorthWest) {
    Start();
    Select(12);
    ASSERT_FALSE(Call(WriteResults).ended);
    const std::vector<std::string> lines = SplitLines(ReadHere("melvok"));
    // 8 columns along each long side, 6 across each end; the corner columns twice.
    ASSERT_EQ(lines.size(), 8u + 8u + 6u + 6u);
    // Column (2, 2) at the south-west corner (1 m by 0.5 m): south, then west.
    EXPECT_EQ(lines[0], "0.500000 0.000000");
    EXPECT_EQ(lines[1], "0.000000 0.250000");

    // A single column has all four edges open, in that order.
    ChannelSpec one = ResultsChannel();
    one.columnsAlong = 1;
    one.columnsAcross = 1;
    one.length = 2.0;
    one.width = 1.0;
    StartOn(one);
    Select(12);
    ASSERT_FALSE(Call(WriteResults).ended);
    EXPECT_EQ(SplitLines(ReadHere("melvok")),
              (std::vector<std::string>{"1.000000 0.000000", "2.000000 0.500000", "1.000000 1.000000",
                                        "0.000000 0.500000"}));
}

TEST_F(CellTables, OptionalTablesThatCannotBeWrittenAreSkipped) {
    Start();
    for (int p = 1; p <= 20; ++p) OutputFlags[p - 1] = p == 10 || p == 12 || p == 13 ? 1 : 0;
    fs::create_directory("beddata.sim");
    fs::create_directory("melvok");
    const EngineCall call = Call(WriteResults);
    ASSERT_FALSE(call.ended) << call.log;
    EXPECT_NE(call.log.find("'beddata.sim'; it is skipped"), std::string::npos) << call.log;
    EXPECT_NE(call.log.find("'melvok'; it is skipped"), std::string::npos) << call.log;
    EXPECT_TRUE(fs::exists("habitat"));
    EXPECT_EQ(std::string(StatusText), "have written result file  ");
}

// The areas of a habitat line: depth class area and speed class area.
struct ClassAreas {
    double depth, speed;
};

class Habitat : public CellTables {
protected:
    // Every column 1 m deep (two layers) with the water moving at 1 m/s;
    // each bed face 0.5 m2.
    void StartUniform() {
        Start();
        Select(13);
        FirstCell = 1;
        LastCell = NoCells;
        for (int c = 1; c <= NoCells; ++c) {
            Ckdist[c] = 0.25;
            Cu[c] = 0.6;
            Cv[c] = -0.8;
        }
        for (int c = 1; c <= NoCells; ++c) {
            if (Ccellb[c] == 0) Farea[Csurfb[c]] = 0.5;
        }
    }

    static void SetColumn(int i, int j, double half, double u) {
        for (int l = 1; l <= 2; ++l) {
            Ckdist[ChannelCell(i, j, l)] = half;
            Cu[ChannelCell(i, j, l)] = u;
            Cv[ChannelCell(i, j, l)] = 0.0;
        }
    }

    // The 20 class lines: upper bounds and areas.
    static std::vector<std::vector<double>> Table() {
        const std::vector<std::string> lines = SplitLines(ReadHere("habitat"));
        EXPECT_EQ(lines.size(), 21u);
        EXPECT_EQ(lines.empty() ? "" : lines[0], "Depth (m), area (m2), velocity (m/s), area(m2)");
        std::vector<std::vector<double>> rows;
        for (size_t n = 1; n < lines.size(); ++n) rows.push_back(Numbers(lines[n]));
        return rows;
    }
};

TEST_F(Habitat, ClassEdges) {
    const struct {
        const char* row;
        void (*change)();
        double maxDepth, maxSpeed;
        std::vector<std::pair<int, ClassAreas>> areas;  // non-empty classes (0-based)
    } rows[] = {
        // d = Dmax falls into the last class, not past it.
        {"uniform", [] {}, 1.0, 1.0, {{19, {24.0, 24.0}}}},
        // A column of no depth goes to the first class, its speed too.
        {"one column dry", [] { SetColumn(4, 3, 0.0, 0.0); }, 1.0, 1.0, {{0, {0.5, 0.5}}, {19, {23.5, 23.5}}}},
        // Half the depth: 20 x 0.5 - 0.01 truncates to class 9.
        {"half depth", [] { SetColumn(4, 3, 0.125, 0.25); }, 1.0, 1.0, {{9, {0.5, 0.0}}, {4, {0.0, 0.5}}, {19, {23.5, 23.5}}}},
        // Still water everywhere: no speed scale, every column in the first speed class.
        {"still", [] { for (int c = 1; c <= NoCells; ++c) Cu[c] = Cv[c] = 0.0; }, 1.0, 0.0, {{0, {0.0, 24.0}}, {19, {24.0, 0.0}}}},
        // Nothing wet: no scale at all.
        {"all dry", [] { for (int c = 1; c <= NoCells; ++c) Ckdist[c] = 0.0; }, 0.0, 0.0, {{0, {24.0, 24.0}}}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.row);
        StartUniform();
        row.change();
        ASSERT_FALSE(Call(WriteResults).ended);
        const std::vector<std::vector<double>> table = Table();
        ASSERT_EQ(table.size(), 20u);
        for (int n = 0; n < 20; ++n) {
            ClassAreas expected{0.0, 0.0};
            for (const auto& [k, a] : row.areas) {
                if (k == n) expected = a;
            }
            ASSERT_EQ(table[n].size(), 4u);
            EXPECT_NEAR(table[n][0], (n + 1) * row.maxDepth / 20, 1e-6) << n;
            EXPECT_NEAR(table[n][1], expected.depth, 1e-6) << n;
            EXPECT_NEAR(table[n][2], (n + 1) * row.maxSpeed / 20, 1e-6) << n;
            EXPECT_NEAR(table[n][3], expected.speed, 1e-6) << n;
        }
    }
}

TEST_F(Habitat, UnwritableTableEndsTheCall) {
    StartUniform();
    OutputFlags[14] = 1;  // the discharge report would come after it
    fs::create_directory("habitat");
    SetStatusText("before");
    const EngineCall call = Call(WriteResults);
    ASSERT_FALSE(call.ended);
    EXPECT_FALSE(fs::exists("boogie.spe"));
    EXPECT_EQ(std::string(StatusText), "before");
    EXPECT_EQ(WritingFilesFlag, 0);
}

// A block of one or two columns across: the middle of the block is held
// inside it, where the cells are.
TEST_F(CellTables, DischargeReportOfANarrowBlock) {
    for (const int across : {1, 2}) {
        SCOPED_TRACE(across);
        ChannelSpec spec = ResultsChannel();
        spec.columnsAcross = across;
        StartOn(spec);
        Select(15);
        double flux = 0.0;
        for (int c = 1; c <= NoCells; ++c) Fflux[Csurfe[c]] = 0.0;
        // The section of i = 9 / 2 - 1 = 3: every cell of every column.
        for (int j = 2; j <= across + 1; ++j) {
            for (int l = 1; l <= 2; ++l) {
                const int c = ((j - 2) * 8 + 1) * 2 + l;
                Fflux[Csurfe[c]] = 250.0;
                flux += 250.0;
            }
        }
        ASSERT_FALSE(Call(WriteResults).ended);
        const std::string report = ReadHere("boogie.spe");
        EXPECT_EQ(report.rfind("Discharge (l/s): flux: " + std::to_string(flux).substr(0, 10), 0), 0u) << report;
    }
}

// Letter M through the built engine with the four tables switched on.
TEST(CellTablesEngine, TablesOfAChannelRun) {
    ProjectDir dir;
    ChannelSpec spec = ResultsChannel("F 329 1 1 0 0 0 0 0 0 1 1 0 1 1\n");
    spec.letters = "UMX";
    ASSERT_TRUE(WriteChannelProject(dir.path(), spec));
    const ChannelProject p = MakeChannelProject(spec);
    const EngineRun run = dir.run();
    ASSERT_EQ(run.status, 0) << JoinLines(run.boogie);
    EXPECT_EQ(SplitLines(dir.read("PirakPkt.dat")).size(), static_cast<size_t>(p.cells));
    EXPECT_EQ(SplitLines(dir.read("beddata.sim")).size(), 48u);
    EXPECT_EQ(SplitLines(dir.read("melvok")).size(), 28u);
    // A grid read is active as a whole: every column of the 8 m x 3 m
    // channel, 1 m deep, lies in the depth classes and in the speed classes.
    const std::vector<std::string> habitat = SplitLines(dir.read("habitat"));
    ASSERT_EQ(habitat.size(), 21u);
    EXPECT_EQ(habitat[0], "Depth (m), area (m2), velocity (m/s), area(m2)");
    double depthArea = 0.0, speedArea = 0.0;
    for (size_t n = 1; n < habitat.size(); ++n) {
        const std::vector<std::string> w = Words(habitat[n]);
        ASSERT_EQ(w.size(), 4u) << habitat[n];
        depthArea += std::stod(w[1]);
        speedArea += std::stod(w[3]);
    }
    EXPECT_NEAR(depthArea, spec.length * spec.width, 1e-4);
    EXPECT_NEAR(speedArea, spec.length * spec.width, 1e-4);
    EXPECT_NEAR(std::stod(Words(habitat[20])[0]), spec.depth, 1e-4);
}

}  // namespace
