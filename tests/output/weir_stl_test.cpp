// The weir outline of `weir,txt` as a closed STL surface, checked with VTK.
#include <map>

#include "run/status.h"
#include "tests/output/results_case.h"

namespace {

namespace fs = std::filesystem;

// What check_stl.py found, by name.
std::map<std::string, double> CheckStl() {
    const LoadResult r = LoadWithVtk(fs::current_path().string(), {"weir.stl"}, "check_stl.py");
    std::map<std::string, double> found;
    if (r.status != 0) {
        found["status"] = r.status;
        return found;
    }
    for (const std::string& line : SplitLines(r.out)) {
        const std::vector<std::string> w = Words(line);
        if (w.size() == 2) found[w[0]] = std::stod(w[1]);
    }
    return found;
}

size_t Facets(const std::string& stl) {
    size_t n = 0;
    for (size_t at = stl.find(" facet normal 0 0 0\n"); at != std::string::npos; at = stl.find(" facet normal", at + 1)) ++n;
    return n;
}

EngineCall Export() { return CallEngine([] { return WriteWeirStl(); }); }

// A 2 m by 0.5 m rectangle, 1 m high.
const char kBox[] = "0 0 0 0 0 1\n2 0 0 2 0 1\n2 0.5 0 2 0.5 1\n0 0.5 0 0 0.5 1\n";

TEST(WeirStl, ClosedSurfaceOfTheOutline) {
    InProjectDir here;
    WriteHere("weir,txt", kBox);
    const EngineCall call = Export();
    ASSERT_FALSE(call.ended) << call.log;
    EXPECT_EQ(call.result, 0);
    const std::string stl = ReadHere("weir.stl");
    EXPECT_EQ(Facets(stl), 16u);
    EXPECT_EQ(stl.rfind("solid weir_construction\n facet normal 0 0 0\n  outer loop\n   vertex 0.000000 0.000000 0.000000\n"
                        "   vertex 0.000000 0.000000 1.000000\n   vertex 2.000000 0.000000 0.000000\n  endloop\n endfacet\n",
                        0),
              0u);
    EXPECT_EQ(stl.substr(stl.size() - 19), "\nendsolid rivaxsurf");
    std::map<std::string, double> v = CheckStl();
    if (v.count("status") && (v["status"] == 77 || v["status"] == 127)) GTEST_SKIP() << "no vtk in /usr/bin/python3";
    ASSERT_FALSE(v.count("status")) << v["status"];
    EXPECT_EQ(v["points"], 10);
    EXPECT_EQ(v["triangles"], 16);
    EXPECT_EQ(v["boundary"], 0);
    EXPECT_EQ(v["nonmanifold"], 0);
    // Euler's formula of a closed surface without holes.
    EXPECT_EQ(v["points"] - v["edges"] + v["triangles"], 2);
    EXPECT_NEAR(v["volume"], 1.0, 1e-6);
    EXPECT_NEAR(v["area"], 7.0, 1e-6);
}

TEST(WeirStl, LineCounts) {
    std::string longFile;
    for (int n = 0; n < 500; ++n) longFile += std::to_string(n) + " 0 0 " + std::to_string(n) + " 1 1\n";
    const struct {
        const char* row;
        std::string text;
        size_t facets;
    } rows[] = {
        // The last band facets join line 3 back to line 1.
        {"three lines", "0 0 0 0 0 1\n1 0 0 1 0 1\n0 1 0 0 1 1\n", 12},
        {"empty", "", 0},
        // Reading stops at a line without six numbers.
        {"short line", "0 0 0 0 0 1\n1 0 0 1 0 1\n0 1 0 end\n5 5 5 5 5 5\n", 8},
        // The 500th line is not read.
        {"500 lines", longFile, 4u * 499u},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.row);
        InProjectDir here;
        WriteHere("weir,txt", row.text);
        const EngineCall call = Export();
        ASSERT_FALSE(call.ended) << call.log;
        const std::string stl = ReadHere("weir.stl");
        EXPECT_EQ(Facets(stl), row.facets);
        if (row.facets == 0) {
            EXPECT_EQ(stl, "solid weir_construction\nendsolid rivaxsurf");
        }
    }
}

TEST(WeirStl, MissingOutlineOrUnwritableSurface) {
    {
        InProjectDir here;
        const EngineCall call = Export();
        ASSERT_FALSE(call.ended);
        EXPECT_EQ(call.result, 1);
        EXPECT_FALSE(fs::exists("weir.stl"));
    }
    {
        InProjectDir here;
        WriteHere("weir,txt", kBox);
        fs::create_directory("weir.stl");
        const EngineCall call = Export();
        EXPECT_TRUE(call.ended);
        EXPECT_EQ(call.status, -3);
        EXPECT_EQ(std::string(StatusText), "cannot open file 'weir.stl' ");
        EXPECT_TRUE(fs::is_empty("weir.stl"));
    }
}

}  // namespace
