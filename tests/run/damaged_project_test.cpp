// Damaged projects: every run that fails ends with a status that no normal
// end has, says why (in `boogie`, or on standard output when `boogie` itself
// cannot be written) and leaves its input files as they were.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "run/fatal.h"
#include "tests/grid/unstruc_case.h"
#include "tests/support/project_dir.h"
#include "tools/channel_project.h"

namespace {

namespace fs = std::filesystem;

// The channel's files, as the project's files by name.
using Files = std::map<std::string, std::string>;

// The grid-test channel (version 3: 80 points on lines 2 to 81, 36 cells on
// lines 82 to 117, then 141 surfaces) with the letters given.
Files ChannelFiles(const std::string& letters) {
    ChannelSpec spec = GridTestChannel(3);
    spec.letters = letters;
    const ChannelProject p = MakeChannelProject(spec);
    return {{"control", p.control}, {"unstruc", p.unstruc}, {"koordina", p.koordina}};
}

// Cell c's line of the channel's grid file: corners 1-8, surfaces and then
// neighbours south, east, north, west, bottom, top.
constexpr size_t kFirstCellLine = 82;
size_t CellLine(int c) { return kFirstCellLine + static_cast<size_t>(c) - 1; }

// `text` with field `field` (from 0) of line `line` replaced.
std::string WithField(const std::string& text, size_t line, size_t field, const std::string& value) {
    std::vector<std::string> fields;
    std::string f;
    for (char ch : Line(text, line) + " ") {
        if (ch == ' ') {
            if (!f.empty()) fields.push_back(f);
            f.clear();
        } else {
            f += ch;
        }
    }
    fields.at(field) = value;
    std::string joined;
    for (const std::string& v : fields) joined += v + " ";
    return WithLine(text, line, joined);
}

constexpr size_t kTopNeighbour = 19, kEastNeighbour = 15;

// The line of the listed surfaces of discharge group `g` (1 or 2).
size_t GroupSurfaceLine(const std::string& unstruc, int g) {
    const std::vector<std::string> lines = SplitLines(unstruc);
    int seen = 0;
    for (size_t n = 0; n + 1 < lines.size(); ++n) {
        // A group record ("type 0 0 1 6 9 3 discharge area") precedes its list.
        if (lines[n].rfind("1 0 0 1 6 9 3 ", 0) == 0 || lines[n].rfind("0 0 0 1 6 9 3 ", 0) == 0) {
            if (++seen == g) return n + 2;
        }
    }
    ADD_FAILURE() << "no list of group " << g;
    return 1;
}

std::string AllLinesNotANumber(const std::string& koordina) {
    std::string out;
    for (const std::string& l : SplitLines(koordina)) {
        const size_t i = l.find(' '), j = l.find(' ', i + 1);
        out += l.substr(0, j) + " nan nan nan nan\n";
    }
    return out;
}

struct Damage {
    std::string name;
    std::string letters;                  // F 2 of the channel
    std::function<void(Files&)> damage;   // edits the files before the run
    int status;
    std::string line;                     // the text that names the problem
    bool onStandardOutput = false;        // where `boogie` cannot be written
    std::vector<std::string> env = {};
    std::function<void(const ProjectDir&)> prepare = nullptr;  // what files cannot express
};

void PrintTo(const Damage& d, std::ostream* os) { *os << d.name; }

class DamagedProject : public ::testing::TestWithParam<Damage> {};

TEST_P(DamagedProject, EndsWithItsStatusAndMessageAndKeepsItsInputs) {
    const Damage& d = GetParam();
    Files files = ChannelFiles(d.letters);
    d.damage(files);
    ProjectDir dir;
    for (const auto& [name, text] : files) dir.write(name, text);
    if (d.prepare) d.prepare(dir);
    std::map<std::string, std::string> before;
    for (const auto& entry : fs::directory_iterator(dir.path())) {
        if (entry.is_regular_file()) before[entry.path().filename().string()] = dir.read(entry.path().filename());
    }
    const EngineRun r = dir.run(d.env);
    const std::string log = dir.read("boogie");
    EXPECT_EQ(r.status, d.status) << "boogie:\n" << log << "\nstandard output:\n" << r.out;
    const std::string& where = d.onStandardOutput ? r.out : log;
    EXPECT_NE(where.find(d.line), std::string::npos) << "missing [" << d.line << "] in:\n" << where;
    for (const auto& [name, text] : before) {
        if (name == "boogie") continue;
        EXPECT_EQ(std::hash<std::string>{}(dir.read(name)), std::hash<std::string>{}(text)) << name << " changed";
    }
    for (const auto& entry : fs::directory_iterator(dir.path())) {
        EXPECT_EQ(entry.path().filename().string().find(".tmp"), std::string::npos) << entry.path();
    }
}

auto Append(const std::string& dataSets) {
    return [dataSets](Files& f) { f["control"] += dataSets; };
}

auto ControlOf(const std::string& text) {
    return [text](Files& f) { f["control"] = text; };
}

auto CellField(int cell, size_t field, const std::string& value) {
    return [=](Files& f) { f["unstruc"] = WithField(f["unstruc"], CellLine(cell), field, value); };
}

auto NoChange() {
    return [](Files&) {};
}

// A directory where the run looks for the input file `name`.
auto DirectoryNamed(const std::string& name) {
    return [name](const ProjectDir& dir) {
        fs::remove(dir.file(name));
        fs::create_directory(dir.file(name));
    };
}

// The `result` of a run of the channel (letters UM), then `damage` on it:
// the restart of the row reads what is left.
auto DamagedResult(std::function<std::string(const std::string&)> damage) {
    return [damage](const ProjectDir& dir) {
        const std::string control = dir.read("control");
        dir.write("control", ChannelFiles("UM").at("control"));
        ASSERT_EQ(dir.run().status, 1) << dir.read("boogie");
        dir.write("result", damage(dir.read("result")));
        dir.write("control", control);
        fs::remove(dir.file("boogie"));
    };
}

// `text` with every line that starts with `prefix` replaced by `line`.
std::string WithLineStarting(const std::string& text, const std::string& prefix, const std::string& line) {
    std::string out;
    bool found = false;
    for (const std::string& l : SplitLines(text)) {
        const bool hit = l.rfind(prefix, 0) == 0;
        found = found || hit;
        out += (hit ? line : l) + "\n";
    }
    EXPECT_TRUE(found) << "no line starts with [" << prefix << "]";
    return out;
}

// A `compres` of the channel's 36 cells, one component, with `line` for cell 5.
std::string CompresWithCell5(const std::string& line) {
    std::string out;
    for (int c = 1; c <= 36; ++c) out += c == 5 ? line + "\n" : "1.000000e-01 \n";
    return out;
}

const Damage kDamages[] = {
    // Exit statuses of failed tasks.
    {"UnstrucMissing", "UH", [](Files& f) { f.erase("unstruc"); }, -2, "Error: can not open 'unstruc' file\n"},
    {"UnstrucCutShort", "UH",
     [](Files& f) { f["unstruc"] = f["unstruc"].substr(0, f["unstruc"].size() / 2); }, -6,
     "Error reading the 'unstruc' file at line"},
    {"ControlIsADirectory", "UH", [](Files& f) { f.erase("control"); }, -4, "Error, cannot open file 'control'\n",
     false, {}, [](const ProjectDir& dir) { fs::create_directory(dir.file("control")); }},
    {"LogCannotBeWritten", "UH", [](Files&) {}, -3, "cannot write file 'boogie' ", true,
     {"trap '' XFSZ;", "ulimit -f 0;"}},
    {"TimeiUnreadable", "UW", Append("F 17 1.0\n"), -8, "Error in timei file: code 8\n", false, {},
     [](const ProjectDir& dir) { dir.write("timei", "I 0 0.25 0.25 1 1\nI 10 nan 0.25 1 1\n"); }},
    {"BlockBeyondTheG1Sizes", "UH",
     [](Files& f) { f["control"] = WithLine(f["control"], 3, "G 1 5 5 4 1"); }, -55,
     " Error on 1st integer, G 1 data set "},
    // Control data sets whose values are present but are not numbers, or missing.
    // (A data set that is refused ends with a status of its own, never 1.)
    {"G1NotANumber", "UH", [](Files& f) { f["control"] = WithLine(f["control"], 3, "G 1 nan 5 4 1"); }, kRefused,
     "Input error for G 1 in control"},
    {"G1InWords", "UH", [](Files& f) { f["control"] = WithLine(f["control"], 3, "G 1 six five four one"); },
     kRefused, "Input error for G 1 in control"},
    {"K1NotANumber", "UH", Append("K 1 nan\n"), kRefused, "Input error for K 1 in control"},
    {"K1InWords", "UH", Append("K 1 many\n"), kRefused, "Input error for K 1 in control"},
    {"F24NotANumber", "UH", Append("F 24 nan\n"), kRefused, "Error for F 24 in control"},
    {"F329Infinite", "UH", Append("F 329 -inf\n"), kRefused, "Error for F 329 in control"},
    {"W1WithoutValues", "UH", Append("W 1\nF 24 0\n"), kRefused, "Input error for W 1 in control"},
    {"FileCutInsideADataSet", "UH", Append("F 24"), kRefused, "Error for F 24 in control"},
    {"F65TooLow", "UH", Append("F 65 1 1 1 1 1\n"), kRefused, "Error for F 65 in control: too low numbers"},
    {"G25BlockBeyondTheFile", "UH", Append("G 25 3 1 2 3\n"), kRefused,
     "Error on first integer on G 25 data set in control file\n"},
    // Letter R asked for a restart: without one the run fails.
    {"RestartWithoutResult", "UR", NoChange(), kRestartRefusedStatus,
     "Error: no restart from 'result': it cannot be opened\n"},
    {"RestartFromEmptyResult", "UR", NoChange(), kRestartRefusedStatus,
     "Error: no restart from 'result': it does not hold every cell and surface", false, {},
     DamagedResult([](const std::string&) { return std::string(); })},
    {"RestartFromResultCutShort", "UR", NoChange(), kRestartRefusedStatus,
     "Error: no restart from 'result': it does not hold every cell and surface", false, {},
     DamagedResult([](const std::string& r) { return r.substr(0, r.size() / 2); })},
    {"RestartFromResultOfAnotherGrid", "UR", NoChange(), kRestartRefusedStatus,
     "Error: no restart from 'result': its counts (the U line) do not fit the grid\n", false, {},
     DamagedResult([](const std::string& r) { return WithLineStarting(r, "U ", "U 80 37 141 1 0 0"); })},
    {"RestartFromResultNotANumber", "UR", NoChange(), kRestartRefusedStatus,
     "Error: no restart from 'result': it does not hold every cell and surface", false, {},
     DamagedResult([](const std::string& r) { return WithLineStarting(r, "C 5 ", "C 5 nan 0 0 0 0 0"); })},
    {"RestartFromResultCellOutsideTheGrid", "UR", NoChange(), kRestartRefusedStatus,
     "Skipped 1 records of 'result' whose cell or surface number lies outside the grid\n", false, {},
     DamagedResult([](const std::string& r) { return WithLineStarting(r, "C 5 ", "C 99999 0 0 0 0 0 0"); })},
    // Files a letter must write but cannot.
    {"CompresCannotBeWritten", "UE", Append("F 50 1\n"), -3, "Error: cannot write the file 'compres'\n", false, {},
     DirectoryNamed("compres")},
    {"Con2resCannotBeWritten", "UF", NoChange(), -3, "Error: can not write the file 'con2res.new'\n", false, {},
     DirectoryNamed("con2res.new")},
    {"KoominBedCannotBeWritten", "UH", NoChange(), -3, "Error: can not write the file 'koomin.bed'\n", false, {},
     DirectoryNamed("koomin.bed")},
    // Tasks that cannot run on this project.
    {"ShallowWaterWithoutF311", "UL", NoChange(), kShallowWaterRefusedStatus,
     "The F 311 data set has to be used in the control file when computing the \n"},
    {"ShallowWaterWithout2DBlock", "UL", Append("F 311 1\n"), kShallowWaterRefusedStatus,
     "Error in computation of Shallow Water Equations: 2D block not correctly made\n"},
    {"MorePartitionsThanBoundaries", "UA", Append("F 308 1000\n"), kPartitionRefusedStatus,
     "Error: 1000 partitions exceed the 999 the partition boundaries hold\n", false, {},
     [](const ProjectDir& dir) {
         for (const char* name : {"unstruc", "koordina"}) dir.write(std::string(name) + ".mpi1000", dir.read(name));
     }},
    // Files read back by letter O that would leave part of a field unset.
    {"CompresStopsEarly", "UO", Append("F 50 1\n"), kReadBackRefusedStatus,
     "Error reading 'compres' file: it stops before the 1 values of each of the 36 cells", false, {},
     [](const ProjectDir& dir) { dir.write("compres", "1.000000e-01 \n"); }},
    {"CompresNotANumber", "UO", Append("F 50 1\n"), kReadBackRefusedStatus,
     "Error reading 'compres' file: it stops before", false, {},
     [](const ProjectDir& dir) { dir.write("compres", CompresWithCell5("nan")); }},
    {"FracresLineOutsideTheGrid", "UO", NoChange(), kReadBackRefusedStatus,
     "Error in fracres, i=500,j=500: the position lies outside the grid\n", false, {},
     [](const ProjectDir& dir) { dir.write("fracres", "500 500 0.5 0.5\n"); }},
    // Bed points that give no bed, and inputs that are directories.
    {"GeodataEmpty", "UV", [](Files& f) { f["geodata"] = ""; }, -6,
     "Error, no bed points could be read from the geodata file; the bed levels are not interpolated\n"},
    {"GeodataRandomBytes", "UV",
     [](Files& f) {
         std::string bytes;
         for (unsigned v = 7; bytes.size() < 4096; v = v * 1103515245u + 12345u) bytes += static_cast<char>(v >> 16);
         f["geodata"] = bytes;
     },
     -6, "Error, no bed points could be read from the geodata file"},
    {"GeodataMissing", "UV", NoChange(), -2, "Error, cannot open the geodata file"},
    {"GeodataIsADirectory", "UV", NoChange(), kInputNotAFileStatus, "Error: 'geodata' is a directory, not a file\n",
     false, {}, DirectoryNamed("geodata")},
    {"KoordinaIsADirectory", "UH", NoChange(), kInputNotAFileStatus,
     "Error: 'koordina' is a directory, not a file\n", false, {}, DirectoryNamed("koordina")},
    {"TimeiIsADirectory", "UW", Append("F 17 1.0\n"), kInputNotAFileStatus,
     "Error: 'timei' is a directory, not a file\n", false, {}, DirectoryNamed("timei")},
    {"InflowIsADirectory", "UH", NoChange(), kInputNotAFileStatus, "Error: 'inflow' is a directory, not a file\n",
     false, {}, DirectoryNamed("inflow")},
    {"InspaceIsADirectory", "UH", NoChange(), kInputNotAFileStatus,
     "Error: 'inspace' is a directory, not a file\n", false, {}, DirectoryNamed("inspace")},
    {"BedroughIsADirectory", "UH", NoChange(), kInputNotAFileStatus,
     "Error: 'bedrough' is a directory, not a file\n", false, {}, DirectoryNamed("bedrough")},
    {"NoF2", "UH", ControlOf("G 1 6 5 4 1\nF 65 200 400 200 10 10\n"), -4,
     "Error in control: no F 2 data set, so there is no task to run\n"},
    {"F2WithoutLetters", "UH", ControlOf("F 2\nG 1 6 5 4 1\nF 65 200 400 200 10 10\n"), -4,
     "The F 2 data set names no task"},
    {"F2LowerCase", "uh", [](Files&) {}, -4, "The F 2 data set names no task"},
    {"EmptyControl", "UH", ControlOf(""), -4, "no F 2 data set"},
    // Grid files with values that are not finite numbers.
    {"KoordinaNotANumber", "UH",
     [](Files& f) { f["koordina"] = WithLine(f["koordina"], 3, "1 3 0.000000 1.000000 nan 1.000000"); }, -6,
     "Error reading the 'koordina' file at line 3: a value is not a finite number\n"},
    {"KoordinaAllNotANumberRegenerated", "UH",
     [](Files& f) {
         f["control"] += "F 112 1\n";
         f["koordina"] = AllLinesNotANumber(f["koordina"]);
     },
     -6, "Error reading the 'koordina' file at line 1: a value is not a finite number\n"},
    {"GeodataInfinite", "UV", [](Files& f) { f["geodata"] = "E 0 0 0\nE 1 0 0\nE 0 1 inf\nE 1 1 0\n"; }, -6,
     "Error reading the 'geodata' file at line 3: a value is not a finite number\n"},
    // Cells that contradict themselves.
    {"CellIsItsOwnTopNeighbour", "UH", CellField(1, kTopNeighbour, "1"), -6,
     "cell 1: top neighbour 1 is not another cell"},
    {"NeighbourCycle", "UH", CellField(3, kTopNeighbour, "1"), -6, "top neighbours lead back to it"},
    {"NeighbourAcrossAFaceItDoesNotShare", "UH", CellField(1, kEastNeighbour, "5"), -6,
     "cell 1: east neighbour 5 has 2 as its west neighbour"},
    {"RepeatedPointsMakeAZeroHeightCell", "UH",
     [](Files& f) {
         // The top corners of cell 1 become its bottom corners 1, 17, 21, 5.
         const char* const bottom[4] = {"1", "17", "21", "5"};
         for (size_t k = 0; k < 4; ++k) f["unstruc"] = WithField(f["unstruc"], CellLine(1), 4 + k, bottom[k]);
     },
     -1, "In metric, Error for cell 1, zero volume: 0.000000\n"},
    {"GroupOnInteriorFaces", "UH",
     [](Files& f) { f["unstruc"] = WithField(f["unstruc"], GroupSurfaceLine(f["unstruc"], 1), 0, "2"); }, -6,
     "discharge group 1 lists surface 2, which lies between cells 1 and 4"},
    {"GroupOnAnotherGroupsFaces", "UH",
     [](Files& f) {
         const std::string list1 = Line(f["unstruc"], GroupSurfaceLine(f["unstruc"], 1));
         f["unstruc"] = WithField(f["unstruc"], GroupSurfaceLine(f["unstruc"], 2), 0, list1.substr(0, list1.find(' ')));
     },
     -6, "of discharge group 1"},
    // A grid file that cannot be written keeps the old one whole: the file
    // size limit (2 or 4 kB, as the shell counts its blocks) lets the log
    // (under 1 kB here) grow but not the grid file (8 kB).
    {"UnstrucCannotBeWritten", "UH", [](Files&) {}, -4, "Error: cannot write 'unstruc' file; the file as it was is kept\n",
     false, {"trap '' XFSZ;", "ulimit -f 4;"}},
};

INSTANTIATE_TEST_SUITE_P(Rows, DamagedProject, ::testing::ValuesIn(kDamages),
                         [](const ::testing::TestParamInfo<Damage>& i) { return i.param.name; });

// Stored control files leave optional values off and write notes after the
// values; both keep working.
TEST(DamagedProject, OptionalValuesLeftOffKeepTheirDefaults) {
    Files files = ChannelFiles("UH");
    files["control"] += "W 1 50\nF 24 0 standard k-epsilon\nK 4 2 2\nF 329 1 1 0 0 0 1 1";
    ProjectDir dir;
    for (const auto& [name, text] : files) dir.write(name, text);
    const EngineRun r = dir.run();
    const std::string log = dir.read("boogie");
    EXPECT_EQ(r.status, 1) << log;
    EXPECT_NE(log.find("Have read 7 integers from the F 329 data set\n"), std::string::npos) << log;
    EXPECT_EQ(log.find("rror"), std::string::npos) << log;
}

}  // namespace
