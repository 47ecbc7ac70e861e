// The OpenFOAM case export: the files as text, and the case meshed and
// checked by OpenFOAM's own blockMesh, checkMesh and foamToVTK.
#include <fstream>
#include <map>

#include "run/status.h"
#include "tests/output/results_case.h"

namespace {

namespace fs = std::filesystem;

constexpr char kFoamEnv[] = "/usr/share/openfoam/etc/bashrc";
const char* const kFields[] = {"alpha1", "U", "k", "epsilon", "nut", "p_rgh"};

// 6 columns along 6 m, 3 across 1.5 m, 4 layers in 1 m of water, 1 m3/s
// from the west end to the east end.
ChannelSpec FoamChannel(const std::string& control = "") {
    ChannelSpec spec;
    spec.columnsAlong = 6;
    spec.columnsAcross = 3;
    spec.gridLinesZ = 5;
    spec.length = 6.0;
    spec.width = 1.5;
    spec.depth = 1.0;
    spec.version = 3;
    spec.discharge = 1.0;
    spec.letters = "U";
    spec.extraControl = control;
    return spec;
}

struct Patch {
    std::string type;
    int faces = 0;
};

struct FoamRun {
    LoadResult blockMesh, checkMesh, foamToVTK;
    std::map<std::string, Patch> patches;
    int cells = -1;
};

// The patches of constant/polyMesh/boundary: a name line, then its type and
// face count inside the braces.
std::map<std::string, Patch> ReadBoundary(const std::string& path) {
    std::map<std::string, Patch> patches;
    std::ifstream in(path);
    std::string line, name, previous;
    while (std::getline(in, line)) {
        const std::vector<std::string> w = Words(line);
        if (w.size() == 1 && w[0] == "{") name = previous;
        if (w.size() == 2 && w[0] == "type" && !name.empty()) patches[name].type = w[1].substr(0, w[1].size() - 1);
        if (w.size() == 2 && w[0] == "nFaces" && !name.empty()) patches[name].faces = std::stoi(w[1]);
        if (w.size() == 1 && w[0] == "}") name.clear();
        if (w.size() == 1) previous = w[0];
    }
    return patches;
}

class OpenFoamCase : public ResultsCase {
protected:
    void SetUp() override {
        if (!fs::exists(kFoamEnv)) GTEST_SKIP() << "OpenFOAM tools not installed (Debian package openfoam)";
    }

    void Export(const std::string& control = "") {
        StartOn(FoamChannel(control));
        const EngineCall call = CallEngine([] { return WriteOpenFoamCase(); });
        ASSERT_FALSE(call.ended) << call.log;
        ASSERT_EQ(call.result, 0);
    }

    // The written files laid out as a case beside a minimal run set-up, and
    // the three tools run on it.
    static FoamRun RunTools() {
        const fs::path dir = fs::current_path() / "case";
        fs::remove_all(dir);
        fs::create_directories(dir / "system");
        fs::create_directories(dir / "0");
        fs::copy_file("blockMeshDict", dir / "system" / "blockMeshDict");
        for (const char* f : kFields) fs::copy_file(f, dir / "0" / f);
        const std::string header = "FoamFile { version 2.0; format ascii; class dictionary; object ";
        WriteHere("case/system/controlDict",
                  header + "controlDict; }\napplication interFoam;\nstartFrom startTime;\nstartTime 0;\nstopAt endTime;\n"
                           "endTime 1;\ndeltaT 0.1;\nwriteControl timeStep;\nwriteInterval 1;\n");
        WriteHere("case/system/fvSchemes", header + "fvSchemes; }\nddtSchemes { default Euler; }\n"
                                                    "gradSchemes { default Gauss linear; }\ndivSchemes { default none; }\n"
                                                    "laplacianSchemes { default Gauss linear corrected; }\n"
                                                    "interpolationSchemes { default linear; }\n"
                                                    "snGradSchemes { default corrected; }\n");
        WriteHere("case/system/fvSolution", header + "fvSolution; }\n");
        const auto tool = [&dir](const std::string& command) {
            return RunShell("cd '" + dir.string() + "' && bash -c '. " + kFoamEnv + " >/dev/null 2>&1; " + command + "'");
        };
        FoamRun run;
        run.blockMesh = tool("blockMesh");
        run.checkMesh = tool("checkMesh");
        run.foamToVTK = tool("foamToVTK -fields \"(alpha1 U k epsilon nut p_rgh)\"");
        run.patches = ReadBoundary((dir / "constant" / "polyMesh" / "boundary").string());
        for (const std::string& line : SplitLines(run.checkMesh.out)) {
            const std::vector<std::string> w = Words(line);
            if (w.size() == 2 && w[0] == "cells:") run.cells = std::stoi(w[1]);
        }
        return run;
    }

    static void ExpectToolsPass(const FoamRun& run) {
        EXPECT_EQ(run.blockMesh.status, 0) << run.blockMesh.out;
        EXPECT_EQ(run.checkMesh.status, 0) << run.checkMesh.out;
        EXPECT_NE(run.checkMesh.out.find("Mesh OK."), std::string::npos) << run.checkMesh.out;
        EXPECT_EQ(run.foamToVTK.status, 0) << run.foamToVTK.out;
    }
};

TEST_F(OpenFoamCase, PatchOptionsMeshAndCheck) {
    using Patches = std::map<std::string, int>;
    const Patches standard = {{"freeSurface", 18}, {"inlet", 12}, {"outlet1", 12}, {"fixedBedSides", 66}};
    const struct {
        const char* row;
        std::string control;
        Patches patches;
    } rows[] = {
        {"default", "", standard},
        // The side walls go to the lateral patch alone: 18 bottoms remain walls.
        {"lateral patch", "F 298 1 1e20 1e20\n",
         {{"freeSurface", 18}, {"inlet", 12}, {"outlet1", 12}, {"fixedBedSides", 18}, {"freeSides", 48}}},
        // From the discharge groups and the wall flags: the same faces.
        {"from groups", "F 298 2 1e20 1e20\n", standard},
        // The inlet side above the inlet level is wall; no inlet faces.
        {"inlet level below the bed", "F 298 0 -1 1e20\n",
         {{"freeSurface", 18}, {"inlet", 0}, {"outlet1", 12}, {"fixedBedSides", 78}}},
        // The inlet group above 0.4 m is closed: its faces are walls, so no
        // face is left outside the patches.
        {"from groups, inlet level", "F 298 2 0.4 1e20\n",
         {{"freeSurface", 18}, {"inlet", 6}, {"outlet1", 12}, {"fixedBedSides", 72}}},
        // The outlet side split at 0.4 m: two layers below, two above.
        {"second outlet", "F 298 0 1e20 0.4\n",
         {{"freeSurface", 18}, {"inlet", 12}, {"outlet1", 6}, {"outlet2", 6}, {"fixedBedSides", 66}}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.row);
        Export(row.control);
        const FoamRun run = RunTools();
        ExpectToolsPass(run);
        EXPECT_EQ(run.cells, 72);
        Patches found;
        for (const auto& [name, patch] : run.patches) {
            if (patch.faces > 0 || row.patches.count(name)) found[name] = patch.faces;
        }
        EXPECT_EQ(found, row.patches);
        if (run.patches.count("freeSides")) {
            EXPECT_EQ(run.patches.at("freeSides").type, "symmetry");
        }
        ASSERT_TRUE(run.patches.count("fixedBedSides"));
        EXPECT_EQ(run.patches.at("fixedBedSides").type, "wall");
    }
}

TEST_F(OpenFoamCase, StartFields) {
    Export();
    const std::string u = ReadHere("U");
    // 1000 l/s through 1.5 m2 at each end.
    EXPECT_NE(u.find("/* Inlet area_x:       1.500000000000 m2, area_y:       0.000000000000 m2 */\n"),
              std::string::npos)
        << u;
    EXPECT_NE(u.find("    inlet\n    {\n        type            fixedValue;\n"
                     "        value           uniform (0.666667 0 0);\n    }\n"),
              std::string::npos)
        << u;
    EXPECT_NE(u.find("    outlet1\n    {\n        type            fixedValue;\n"
                     "        value           uniform (0.666667 0 0);\n    }\n"),
              std::string::npos)
        << u;
    // Water in the bed layer of the upstream half: x < 0.5 x 5.5 m.
    const std::vector<std::string> alpha = SplitLines(ReadHere("alpha1"));
    int ones = 0, zeros = 0;
    for (const std::string& line : alpha) {
        ones += line == "1";
        zeros += line == "0" || line == "0)";  // the list closes on the last value's line
    }
    EXPECT_EQ(ones, 9);
    EXPECT_EQ(zeros, 63);
    const std::vector<std::string> levels = SplitLines(ReadHere("levels"));
    ASSERT_EQ(levels.size(), 73u);
    EXPECT_EQ(levels[0], "Cell no.     levels[m]");
    EXPECT_EQ(levels[1], "1    0.125000");

    // No faces on the inlet side: a velocity of 0 rather than infinity.
    Export("F 298 0 -1 1e20\n");
    EXPECT_NE(ReadHere("U").find("    inlet\n    {\n        type            fixedValue;\n"
                                 "        value           uniform (0.000000 0 0);\n"),
              std::string::npos);
}

TEST_F(OpenFoamCase, HeaderAndBlockLines) {
    Export();
    const std::vector<std::string> lines = SplitLines(ReadHere("blockMeshDict"));
    ASSERT_GT(lines.size(), 30u);
    const std::vector<std::string> head(lines.begin() + 2, lines.begin() + 19);
    EXPECT_EQ(head, (std::vector<std::string>{"FoamFile ", "{", "    version      2.0;", "    format       ascii;", "",
                                              "    root         \"\";", "    case         \"\";",
                                              "    instance     \"\";", "    local        \"\";", "",
                                              "    class        dictionary;", "    object       blockMeshDict;", "}", "",
                                              "// * * * * * * * * * * * * * * * * * * * * * * * * * * * * * * * * //",
                                              "", "convertToMeters 1.0;"}));
    EXPECT_EQ(lines[0], "/* OpenFOAM grid file from RIVAX 2 " + std::string(Title + 1) + " */");
    // Cell 1, the bed cell of the south-west column: its points from 0.
    const int at = LineIndex(lines, "blocks      ");
    ASSERT_GT(at, 0);
    char hex[160];
    std::snprintf(hex, sizeof hex, "     hex (%d %d %d %d %d %d %d %d)  (1 1 1) simpleGrading (1 1 1)", Cpoint1[1] - 1,
                  Cpoint2[1] - 1, Cpoint3[1] - 1, Cpoint4[1] - 1, Cpoint5[1] - 1, Cpoint6[1] - 1, Cpoint7[1] - 1,
                  Cpoint8[1] - 1);
    EXPECT_EQ(lines[at + 2], hex);
    EXPECT_EQ(lines[at + 2], "     hex (0 20 25 5 1 21 26 6)  (1 1 1) simpleGrading (1 1 1)");
}

// Dry columns of block 1 have no cells, so no faces: none of their faces is
// listed, the mesh is made and checked. The north bank (node lines j = 3
// and 4) lies above the water, which leaves the columns of j = 4 dry.
TEST_F(OpenFoamCase, DryColumnsOfBlockOne) {
    ChannelSpec spec = FoamChannel();
    spec.version = 4;  // the engine makes the cells from the node levels
    ChannelProject p = MakeChannelProject(spec);
    // The node lines close the file, i = 1..7 outer, j = 1..4 inner.
    std::vector<std::string> lines = SplitLines(p.unstruc);
    const size_t firstNode = lines.size() - 7 * 4;
    for (size_t n = firstNode; n < lines.size(); ++n) {
        const int j = static_cast<int>((n - firstNode) % 4) + 1;
        const std::vector<std::string> w = Words(lines[n]);
        ASSERT_EQ(w.size(), 5u);
        if (j >= 3) lines[n] = w[0] + " 1.500000 " + w[2] + " " + w[3] + " " + w[4] + " ";
    }
    std::string unstruc;
    for (const std::string& line : lines) unstruc += line + "\n";
    WriteHere("control", p.control);
    WriteHere("unstruc", unstruc);
    ASSERT_FALSE(StartEngineHere().ended);
    const EngineCall read = CallEngine([] { return ReadUnstructure(); });
    ASSERT_FALSE(read.ended) << read.log;
    for (int i = 2; i <= 7; ++i) ASSERT_EQ(Gridz[i][4][0], 0.0) << "column " << i << " is not dry";
    ASSERT_GT(NoCells, 0);
    const EngineCall call = CallEngine([] { return WriteOpenFoamCase(); });
    ASSERT_FALSE(call.ended) << call.log;
    EXPECT_EQ(ReadHere("blockMeshDict").find("(-1 -1 -1 -1)"), std::string::npos);
    const FoamRun run = RunTools();
    ExpectToolsPass(run);
    EXPECT_EQ(run.cells, NoCells);
}

TEST_F(OpenFoamCase, UnwritableFileEndsTheRun) {
    for (const auto& [file, shown] : {std::pair{"blockMeshDict", "polyMeshDict"}, std::pair{"p_rgh", "p_rgh"}}) {
        SCOPED_TRACE(file);
        StartOn(FoamChannel());
        fs::create_directory(file);
        const EngineCall call = CallEngine([] { return WriteOpenFoamCase(); });
        EXPECT_TRUE(call.ended);
        EXPECT_EQ(call.status, -3);
        EXPECT_EQ(std::string(StatusText), "cannot open file '" + std::string(shown) + "' ");
        fs::remove(file);
    }
}

}  // namespace
