// The command-line entry of the exports, `rivax-export openfoam|stl DIR`, run
// as a user would on a copy of the example project.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/project_dir.h"

namespace {

namespace fs = std::filesystem;

constexpr char kFoamEnv[] = "/usr/share/openfoam/etc/bashrc";

struct Shell {
    int status = -1;
    std::string out;  // standard output and errors
};

Shell RunShell(const std::string& command) {
    Shell r;
    FILE* p = popen((command + " 2>&1").c_str(), "r");
    if (!p) return r;
    std::array<char, 4096> buffer;
    for (size_t n; (n = std::fread(buffer.data(), 1, buffer.size(), p)) > 0;) r.out.append(buffer.data(), n);
    const int status = pclose(p);
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

// The tool with these arguments, from another directory than the project's.
Shell Export(const std::string& args) {
    return RunShell("cd / && ASAN_OPTIONS=exitcode=66:detect_leaks=0 UBSAN_OPTIONS=exitcode=66 '" RIVAX_EXPORT_BINARY
                    "' " + args);
}

void CopyExample(const ProjectDir& dir) {
    fs::copy(RIVAX_EXAMPLES "/channel", dir.path(), fs::copy_options::recursive | fs::copy_options::overwrite_existing);
}

// Every edge of the STL's triangles, by its two vertex lines, with the number
// of triangles that share it.
std::map<std::pair<std::string, std::string>, int> EdgeUses(const std::string& stl, int* triangles) {
    std::map<std::pair<std::string, std::string>, int> edges;
    std::istringstream in(stl);
    std::vector<std::string> corners;
    *triangles = 0;
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("   vertex ", 0) == 0) corners.push_back(line.substr(10));
        if (line != "  endloop") continue;
        if (corners.size() == 3) {
            ++*triangles;
            for (int k = 0; k < 3; ++k) {
                std::string a = corners[k], b = corners[(k + 1) % 3];
                if (b < a) std::swap(a, b);
                ++edges[{a, b}];
            }
        }
        corners.clear();
    }
    return edges;
}

TEST(ExportTool, OpenFoamCaseOfTheExampleMeshes) {
    ProjectDir dir;
    CopyExample(dir);
    const Shell run = Export("openfoam '" + dir.path() + "'");
    ASSERT_EQ(run.status, 0) << run.out;
    EXPECT_NE(run.out.find("3200 cells"), std::string::npos) << run.out;
    for (const char* f : {"system/blockMeshDict", "system/controlDict", "system/fvSchemes", "system/fvSolution", "0/alpha1",
                          "0/U", "0/k", "0/epsilon", "0/nut", "0/p_rgh", "levels"}) {
        EXPECT_TRUE(dir.exists(std::string("openfoam/") + f)) << f;
    }
    // The project itself is left as it was: no case file among its inputs.
    for (const char* f : {"alpha1", "U", "blockMeshDict"}) EXPECT_FALSE(dir.exists(f)) << f;
    if (!fs::exists(kFoamEnv)) GTEST_SKIP() << "OpenFOAM is not installed (" << kFoamEnv << "): the case is not meshed";
    const Shell mesh = RunShell("cd '" + dir.file("openfoam") + "' && bash -c '. " + kFoamEnv +
                                " >/dev/null 2>&1; blockMesh && checkMesh'");
    EXPECT_EQ(mesh.status, 0) << mesh.out;
    EXPECT_NE(mesh.out.find("Mesh OK."), std::string::npos) << mesh.out;
    EXPECT_NE(mesh.out.find("    cells:            3200\n"), std::string::npos) << mesh.out;
}

// A case directory the user has set up keeps the run settings written there.
TEST(ExportTool, OwnCaseSettingsAreKept) {
    ProjectDir dir;
    CopyExample(dir);
    fs::create_directories(dir.file("openfoam/system"));
    dir.write("openfoam/system/controlDict", "mine\n");
    const Shell run = Export("openfoam '" + dir.path() + "'");
    ASSERT_EQ(run.status, 0) << run.out;
    EXPECT_EQ(dir.read("openfoam/system/controlDict"), "mine\n");
    EXPECT_TRUE(dir.exists("openfoam/system/blockMeshDict"));
}

TEST(ExportTool, StlOfTheExampleWeirIsClosed) {
    ProjectDir dir;
    CopyExample(dir);
    const Shell run = Export("stl '" + dir.path() + "'");
    ASSERT_EQ(run.status, 0) << run.out;
    int triangles = 0;
    const auto edges = EdgeUses(dir.read("weir.stl"), &triangles);
    // Four sides of two triangles and two caps of four.
    EXPECT_EQ(triangles, 16);
    ASSERT_FALSE(edges.empty());
    for (const auto& [edge, uses] : edges) {
        EXPECT_EQ(uses, 2) << "edge " << edge.first << " - " << edge.second;
    }
}

TEST(ExportTool, WrongUseIsRefused) {
    ProjectDir dir;
    dir.write("control", "F 2 W\nG 1 4 4 3 1\n");
    ProjectDir empty;
    const struct {
        const char* row;
        std::string args;
        int status;
        std::string says;
    } rows[] = {
        {"no arguments", "", 2, "usage: rivax-export openfoam DIR"},
        {"unknown export", "vtk '" + dir.path() + "'", 2, "usage: rivax-export openfoam DIR"},
        {"no such directory", "stl '" + dir.path() + "/none'", 1, "cannot enter the project directory"},
        {"no weir outline", "stl '" + dir.path() + "'", 1, "cannot open file 'weir,txt'"},
        {"no grid letter", "openfoam '" + dir.path() + "'", 1, "must name letter U (read unstruc) or Y"},
        // The engine's own fault: no `control` (status -4).
        {"no control", "openfoam '" + empty.path() + "'", 252, "rivax-export:"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.row);
        const Shell run = Export(row.args);
        EXPECT_EQ(run.status, row.status) << run.out;
        EXPECT_NE(run.out.find(row.says), std::string::npos) << run.out;
    }
    EXPECT_FALSE(empty.exists("control"));
    EXPECT_FALSE(dir.exists("openfoam"));
}

}  // namespace
