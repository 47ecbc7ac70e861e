// Damaged projects: every run that fails ends with a status that no normal
// end has, says why (in `boogie`, or on standard output when `boogie` itself
// cannot be written) and leaves its input files as they were.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

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
    {"G1NotANumber", "UH", [](Files& f) { f["control"] = WithLine(f["control"], 3, "G 1 nan 5 4 1"); }, 1,
     "Input error for G 1 in control"},
    {"G1InWords", "UH", [](Files& f) { f["control"] = WithLine(f["control"], 3, "G 1 six five four one"); }, 1,
     "Input error for G 1 in control"},
    {"K1NotANumber", "UH", Append("K 1 nan\n"), 1, "Input error for K 1 in control"},
    {"F24NotANumber", "UH", Append("F 24 nan\n"), 1, "Error for F 24 in control"},
    {"F329Infinite", "UH", Append("F 329 -inf\n"), 1, "Error for F 329 in control"},
    {"W1WithoutValues", "UH", Append("W 1\nF 24 0\n"), 1, "Input error for W 1 in control"},
    {"FileCutInsideADataSet", "UH", Append("F 24"), 1, "Error for F 24 in control"},
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
