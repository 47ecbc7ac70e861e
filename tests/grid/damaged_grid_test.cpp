// Damaged grids and values that would crash the engine or corrupt its
// fields: each is refused with the line that holds it, a failing status, and
// the inputs left as they were.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "tests/grid/unstruc_case.h"
#include "tests/support/project_dir.h"
#include "tools/channel_project.h"

namespace {

namespace fs = std::filesystem;

using Files = std::map<std::string, std::string>;

// The grid-test channel, G 1 6 5 4 1: 4 by 3 columns of 3 cells.
Files GridChannel(int version, const std::string& letters, const std::string& extra = "") {
    ChannelSpec spec = GridTestChannel(version);
    spec.letters = letters;
    spec.extraControl += extra;
    const ChannelProject p = MakeChannelProject(spec);
    return {{"control", p.control}, {"unstruc", p.unstruc}, {"koordina", p.koordina}};
}

// The block record of the version-3 channel: header, 80 points, 36 cells,
// 141 surfaces, then "iFirst iLast jFirst jLast ..." = "2 5 2 4 ...".
constexpr size_t kBlockLine = 1 + 80 + 36 + 141 + 1;

std::string WithWord(const std::string& line, size_t word, const std::string& value) {
    std::istringstream in(line);
    std::vector<std::string> words;
    for (std::string w; in >> w;) words.push_back(w);
    words.at(word) = value;
    std::string out;
    for (const std::string& w : words) out += w + " ";
    return out;
}

auto BlockField(size_t field, const std::string& value) {
    return [=](Files& f) { f["unstruc"] = WithLine(f["unstruc"], kBlockLine, WithWord(Line(f["unstruc"], kBlockLine), field, value)); };
}

// The last line of the version-3 channel: the node line of (5,4).
auto LastNodeLine(const std::string& text) {
    return [=](Files& f) { f["unstruc"] = WithLine(f["unstruc"], SplitLines(f["unstruc"]).size(), text); };
}

auto Add(const std::string& name, const std::string& text) {
    return [=](Files& f) { f[name] = text; };
}

// The version-4 channel's result and bed state after letter M, as a restart
// (letters UR) reads them.
const Files& RestartChannel() {
    static const Files files = [] {
        Files f = GridChannel(4, "UM", "F 329 1 1 0 0 0 1 1\n");
        ProjectDir dir;
        for (const auto& [name, text] : f) dir.write(name, text);
        const EngineRun r = dir.run();
        EXPECT_EQ(r.status, 1) << dir.read("boogie");
        Files restart = GridChannel(4, "UR");
        restart["result"] = dir.read("result");
        restart["bedres"] = dir.read("bedres.t");
        return restart;
    }();
    return files;
}

// Field `word` of line `line` of the bed state: node lines "i j bottom bed
// water koomin change" come first (line 3 on), then per water column "b
// bottom roughness cellRoughness bedform" (9 words with one size and two
// layers) and per layer the thickness and one fraction per size.
auto BedStateWord(size_t line, size_t word, const std::string& value) {
    return [=](Files& f) { f["bedres"] = WithLine(f["bedres"], line, WithWord(Line(f["bedres"], line), word, value)); };
}

// The first water-column line of the restart channel's bed state.
size_t FirstColumnLine() {
    const std::vector<std::string> lines = SplitLines(RestartChannel().at("bedres"));
    for (size_t n = 2; n < lines.size(); ++n) {
        std::istringstream in(lines[n]);
        size_t words = 0;
        for (std::string w; in >> w;) ++words;
        if (lines[n].rfind("1 ", 0) == 0 && words > 7) return n + 1;
    }
    ADD_FAILURE() << "no water-column line";
    return 1;
}

struct Damage {
    std::string name;
    std::function<Files()> project;
    std::function<void(Files&)> damage;
    std::string line;  // in `boogie`
    int status;
    std::function<void(const ProjectDir&)> prepare = nullptr;  // what the files cannot express
};

void PrintTo(const Damage& d, std::ostream* os) { *os << d.name; }

Files Version3() { return GridChannel(3, "UH"); }
Files Restart() { return RestartChannel(); }
auto WithExtra(const std::string& extra) {
    return [=] { return GridChannel(3, "UH", extra); };
}

// A file name made into a link to an endless device.
auto Endless(const std::string& name) {
    return [=](const ProjectDir& dir) {
        fs::remove(dir.file(name));
        fs::create_symlink("/dev/zero", dir.file(name));
    };
}

const Damage kDamages[] = {
    // Block records: every later step walks the block's columns.
    {"BlockFirstColumnBeyondTheGrid", Version3, BlockField(0, "99999"),
     "line 259: block 1 covers the columns 99999 to 5 in i and 2 to 4 in j; a block lies within 1 to 5 and 1 to 4",
     -6},
    {"BlockLastRowNegative", Version3, BlockField(3, "-3"), "line 259: block 1 covers the columns 2 to 5 in i and 2 to -3",
     -6},
    {"BlockLastColumnIntMin", Version3, BlockField(1, "-2147483648"),
     "block 1 covers the columns 2 to -2147483648 in i", -6},
    // G 1 sizes that do not fit the grid or the arithmetic.
    {"G1SizesOfIntMax", Version3,
     [](Files& f) { f["control"] = WithLine(f["control"], 3, "G 1 2147483647 2147483647 4 1"); },
     "The G 1 sizes give 4611686022722355201 grid nodes in the plan; at most 2147483647 can be numbered\n", kRefused},
    {"G1WithFewerLinesInZThanTheColumns", Version3,
     [](Files& f) { f["control"] = WithLine(f["control"], 3, "G 1 6 5 3 1"); },
     "Error reading the 'unstruc' file: the column of cell 1 has more than 1 cells above it; G 1 gives 3 grid lines "
     "in z\n",
     -6},
    {"ZeroGrainDiameter", Version3, [](Files& f) { f["control"] += "S 1 0 0.02\n"; },
     "Input error for S in control in second or third float for i=1\n", kRefused},
    // Values that are not finite numbers in the grid's companion files.
    {"KoominNotANumber", Version3, Add("koomin", "1 1 0.0 0.0 -1.0\n1 2 0.0 0.5 nan\n"),
     "Error reading the 'koomin' file at line 2: a value is not a finite number\n", -6},
    {"KoominkInfiniteCoordinate", Version3, Add("koomink", "1 1 inf 0.0 -1.0 0\n"),
     "Error reading the 'koomink' file at line 1: a value is not a finite number\n", -6},
    {"BedangleNotANumber", WithExtra("F 274 1\n"), Add("bedangle", "2 2 30 30 1 20\n3 2 nan 30 1 20\n"),
     "Error reading the 'bedangle' file at line 2: a value is not a finite number\n", -6},
    {"BedroughNegative", Version3, Add("bedrough", "B 2 2 0.01\nB 3 2 -0.05\n"),
     "Error reading the 'bedrough' file at line 2: a roughness height is negative\n", -6},
    // Levels no terrain has.
    {"KoordinaBedLevelOf1e300", Version3,
     [](Files& f) { f["koordina"] = WithLine(f["koordina"], 2, "1 2 0.000000 0.500000 1e300 1.000000"); },
     "Error reading the 'koordina' file at line 2: a level of 1e+300 m lies beyond 1e+06 m\n", -6},
    {"KoominLevelFarBelowTheGrid", Version3, Add("koomin", "1 1 0.0 0.0 -2e6\n"),
     "Error reading the 'koomin' file at line 1: a level of -2e+06 m lies beyond 1e+06 m\n", -6},
    {"GeodataBedPointOf1e300", [] { return GridChannel(3, "UV"); },
     Add("geodata", "E 0 0 0\nE 4 0 0\nE 0 1.5 1e300\nE 4 1.5 0\n"),
     "Error reading the 'geodata' file at line 3: a level of 1e+300 m lies beyond 1e+06 m\n", -6},
    {"UnstrucNodeBedLevelOf1e300", Version3, LastNodeLine("34 1e300 1.000000 4.000000 1.500000"),
     "node (5,4) has the bed level 1e+300 m and the water level 1 m; a level lies within 1e+06 m", -6},
    {"UnstrucPointLevelOf1e300", Version3,
     [](Files& f) { f["unstruc"] = WithLine(f["unstruc"], 2, "0.000000 0.000000 1e300"); },
     "line 2: point 1 lies at the level 1e+300 m, beyond 1e+06 m", -6},
    // Bed state values that would make negative or growing sediment masses.
    {"BedStateNodeLevelOf1e300", Restart, BedStateWord(3, 3, "1e300"), "the level 1e+300 m of node", -3},
    {"BedStateNegativeRoughness", Restart, [](Files& f) { BedStateWord(FirstColumnLine(), 2, "-0.01")(f); },
     "the roughness -0.01 of water column 1 is negative", -3},
    {"BedStateNegativeLayerThickness", Restart, [](Files& f) { BedStateWord(FirstColumnLine(), 5, "-1.0")(f); },
     "the thickness -1 of layer", -3},
    {"BedStateFractionAboveOne", Restart, [](Files& f) { BedStateWord(FirstColumnLine(), 6, "1.5")(f); },
     "the fraction 1.5 of size 1 in layer", -3},
    // Inputs that never end.
    {"UnstrucIsEndless", Version3, [](Files&) {}, "Error reading the 'unstruc' file: it is not a regular file\n", -6,
     Endless("unstruc")},
    {"BedStateIsEndless", Restart, [](Files&) {}, "Error in reading bedres file 'bedres': it is not a regular file\n",
     -3, Endless("bedres")},
    {"ResultIsEndless", Restart, [](Files&) {}, "Error reading the 'result' file: it is not a regular file\n", -4,
     Endless("result")},
    {"BedStateLineWithoutEnd", Restart, [](Files& f) { f["bedres"] = WithLine(f["bedres"], FirstColumnLine(), std::string(1 << 21, '7')); },
     "the line is longer than 1048576 characters", -3},
};

class DamagedGrid : public ::testing::TestWithParam<Damage> {};

TEST_P(DamagedGrid, IsRefusedNamingTheLineAndKeepsItsInputs) {
    const Damage& d = GetParam();
    Files files = d.project();
    d.damage(files);
    ProjectDir dir;
    for (const auto& [name, text] : files) dir.write(name, text);
    if (d.prepare) d.prepare(dir);
    const EngineRun r = dir.run();
    const std::string log = dir.read("boogie");
    EXPECT_EQ(r.status, d.status) << log;
    EXPECT_NE(log.find(d.line), std::string::npos) << "missing [" << d.line << "] in:\n" << log;
    for (const auto& [name, text] : files) {
        if (fs::is_symlink(dir.file(name))) continue;
        EXPECT_TRUE(dir.read(name) == text) << name << " changed";
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, DamagedGrid, ::testing::ValuesIn(kDamages),
                         [](const ::testing::TestParamInfo<Damage>& i) { return i.param.name; });

}  // namespace
