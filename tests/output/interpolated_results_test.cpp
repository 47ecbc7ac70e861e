// Results at the user points of `interpol`: reading the points, the point
// file in each mode, the discharge across the line and the VTK sections.
#include <cstdlib>

#include "tests/output/results_case.h"

namespace {

namespace fs = std::filesystem;

class Interpolated : public ResultsCase {
protected:
    // The channel (8 m by 3 m, columns 1 m by 0.5 m, two layers of 0.5 m)
    // with the same flow everywhere.
    void StartUniform(const std::string& control = "") {
        Start(control);
        for (int c = 1; c <= NoCells; ++c) {
            Cu[c] = 0.5;
            Cv[c] = 0.0;
            Cw[c] = 0.0;
            Ck[c] = 0.01;
            Cepsilon[c] = 0.002;
        }
    }

    static EngineCall Write() {
        return CallEngine([] {
            WriteInterpolatedResults(1);
            return 0;
        });
    }

    // Points across the channel at x, from y0 in steps of dy.
    static std::string PointsAcross(double x, double y0, double dy, int n) {
        std::string text;
        for (int p = 0; p < n; ++p) text += "M " + std::to_string(x) + " " + std::to_string(y0 + p * dy) + "\n";
        return text;
    }

    static size_t Count(const std::string& log, const std::string& needle) {
        size_t n = 0;
        for (size_t at = log.find(needle); at != std::string::npos; at = log.find(needle, at + 1)) ++n;
        return n;
    }
};

TEST_F(Interpolated, ReadingThePoints) {
    std::string many;
    for (int p = 0; p < 10001; ++p) many += "M 1 1\n";
    const struct {
        const char* row;
        std::string text;
        int count;
        std::vector<std::pair<double, double>> first;
    } rows[] = {
        {"two points", "M 1 2\nM 3 4\n", 2, {{1, 2}, {3, 4}}},
        // Every M starts a point, also inside a word; one without numbers stays at 0.
        {"M inside a word", "Measured at M 5 6\n", 2, {{0, 0}, {5, 6}}},
        {"M without numbers", "M\nM 7 8\n", 2, {{0, 0}, {7, 8}}},
        {"no M", "x 1 2\n", 0, {}},
        {"past the capacity", many, 10000, {{1, 1}}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.row);
        Start();
        WriteHere("interpol", row.text);
        for (int call = 0; call < 2; ++call) {
            const EngineCall c = Write();
            ASSERT_FALSE(c.ended) << c.log;
            // Read once, on the first call.
            EXPECT_EQ(Count(c.log, "Have read " + std::to_string(row.count) + " M data sets from the interpol file\n"),
                      1u);
        }
        for (size_t p = 0; p < row.first.size(); ++p) {
            EXPECT_EQ(InterpolX[p], row.first[p].first) << p;
            EXPECT_EQ(InterpolY[p], row.first[p].second) << p;
        }
        // A file without points writes nothing; otherwise each call a new numbered file.
        EXPECT_EQ(fs::exists("interres.000"), row.count > 0);
        EXPECT_EQ(fs::exists("interres.001"), row.count > 0);
        EXPECT_FALSE(fs::exists("interres.002"));
        for (const char* name : {"interres.000", "interres.001"}) fs::remove(name);
    }
}

// A point that is not a number would find no cell, or a wrong one, at every
// result: the file is refused with its line before anything is written.
TEST_F(Interpolated, PointsThatAreNotNumbersAreRefused) {
    for (const char* text : {"M 1 2\nM nan 4\n", "M 1 2\nM 3 -inf\n"}) {
        SCOPED_TRACE(text);
        Start();
        WriteHere("interpol", text);
        const EngineCall c = Write();
        EXPECT_TRUE(c.ended);
        EXPECT_EQ(c.status, -6);
        EXPECT_NE(c.log.find("Error reading the 'interpol' file at line 2: a value is not a finite number\n"),
                  std::string::npos)
            << c.log;
        EXPECT_FALSE(fs::exists("interres.000"));
    }
}

TEST_F(Interpolated, MissingFileIsReportedOnce) {
    Start();
    for (int call = 0; call < 3; ++call) ASSERT_FALSE(Write().ended);
    const std::string log = ReadHere("boogie");
    EXPECT_EQ(Count(log, "Warning: Have not been able to open interpol file\n\n"), 1u) << log;
    for (const std::string& name : FilesHere()) EXPECT_NE(name.rfind("interres", 0), 0u) << name;
}

// With 0.5 m/s through 1 m of water the discharge per unit width is 0.5 m2/s
// at every point, near the walls too.
TEST_F(Interpolated, DischargeAcrossTheLineOfUniformFlow) {
    StartUniform("F 48 14\n");
    WriteHere("interpol", PointsAcross(4.1, 0.25, 0.5, 6));
    ASSERT_FALSE(Write().ended);
    const std::vector<std::string> lines = SplitLines(ReadHere("interres14"));
    ASSERT_EQ(lines.size(), 6u);
    for (int p = 0; p < 6; ++p) {
        char expected[64];
        std::snprintf(expected, sizeof expected, "Q 4.100000 %lf 0.500000", 0.25 + 0.5 * p);
        EXPECT_EQ(lines[p], expected);
    }
}

// A single point has no line through it: the line goes across the local
// flow, whatever its direction.
TEST_F(Interpolated, DischargeAtASinglePointIsAcrossTheFlow) {
    for (const auto& [u, v] : {std::pair{0.5, 0.0}, std::pair{0.3, 0.4}, std::pair{-0.4, 0.3}}) {
        SCOPED_TRACE(u);
        StartUniform("F 48 14\n");
        for (int c = 1; c <= NoCells; ++c) {
            Cu[c] = u;
            Cv[c] = v;
        }
        WriteHere("interpol", "M 4.1 1.3\n");
        ASSERT_FALSE(Write().ended);
        EXPECT_EQ(ReadHere("interres14"), "Q 4.100000 1.300000 0.500000\n");
    }
}

TEST_F(Interpolated, PointFileInEachMode) {
    const std::string mLine = "M 4.100000 1.300000 ";
    const struct {
        const char* row;
        std::string control;
        std::vector<std::string> lines;  // of the inner point; a trailing prefix is compared as a prefix
    } rows[] = {
        {"Z line", "F 48 4\n", {"Z 4.100000 1.300000 0.000000 1.000000"}},
        {"Z line by position 11", "F 329 0 1 0 0 0 0 0 0 0 0 4\n", {"Z 4.100000 1.300000 0.000000 1.000000"}},
        {"M block", "F 48 2\n",
         {mLine, "0.750000 0.500000 0.000000 0.000000 0.010000 0.002000",
          "0.250000 0.500000 0.000000 0.000000 0.010000 0.002000"}},
        {"Q block", "F 48 3\n", {"Q 4.100000 1.300000", "0.750000 2.500000e+00", "0.250000 2.500000e+00"}},
        {"C block", "F 48 6\n",
         {"C 4.100000 1.300000", "0.750000 1.000000e-03 2.000000e-03", "0.250000 1.000000e-03 2.000000e-03"}},
        {"N line", "F 48 5\n", {"N 4.100000 1.300000 0.500000"}},
        {"extended M block", "F 309 101\n",
         {"Variables: z-coordinate, velocity-x, velocity-y, velocity-z, k, epsilon, sediment sizes, bed cell height",
          mLine, "0.750000 0.500000 0.000000 0.000000 0.010000 0.002000  2.000000e-03 0.500000",
          "0.250000 0.500000 0.000000 0.000000 0.010000 0.002000  2.000000e-03 0.500000"}},
        {"nothing", "F 48 1\n", {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.row);
        StartUniform(row.control);
        Components.allocate(1, NoCells + 1);
        NoComponents = 1;
        for (int c = 1; c <= NoCells; ++c) {
            Components[0][c] = 2.5;
            conc[0][c] = 1e-3;
            conc[1][c] = 2e-3;
        }
        WriteHere("interpol", "M 4.1 1.3\n");
        ASSERT_FALSE(Write().ended);
        const std::vector<std::string> lines = SplitLines(ReadHere("interres.000"));
        ASSERT_EQ(lines.size(), row.lines.size());
        for (size_t n = 0; n < lines.size(); ++n) {
            if (row.lines[n] == mLine) {
                // The nearest top cell and its three partners, all weighted.
                const std::vector<std::string> w = Words(lines[n]);
                ASSERT_EQ(w.size(), 11u);
                EXPECT_EQ(lines[n].rfind(mLine, 0), 0u);
                for (int k = 3; k < 11; ++k) EXPECT_GT(std::strtod(w[k].c_str(), nullptr), 0.0) << lines[n];
            } else {
                EXPECT_EQ(lines[n], row.lines[n]);
            }
        }
        fs::remove("interres.000");
    }
}

// At the -i/-j edge of the water the partners are missing: no surface speed.
TEST_F(Interpolated, SurfaceSpeedAtTheEdgeIsZero) {
    StartUniform("F 48 5\n");
    WriteHere("interpol", "M 0.1 0.1\nM 4.1 1.3\n");
    ASSERT_FALSE(Write().ended);
    EXPECT_EQ(ReadHere("interres.000"), "N 0.100000 0.100000 0.000000\nN 4.100000 1.300000 0.500000\n");
}

// The sections load in VTK's structured-grid reader: two layers of
// (levels x points).
TEST_F(Interpolated, SectionsLoadInVtk) {
    const struct {
        const char* row;
        std::string control;
        std::vector<std::string> check;
    } rows[] = {
        {"velocities", "F 48 12\n", {"legacy", "ParaView2c.vtk", "80", "27", "Velocities=0:0.5"}},
        {"concentrations", "F 48 16\n",
         {"legacy", "ParaView2cc.vtk", "80", "27", "Concentrations_0=0:0.001", "Concentrations_1=0:0.002"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.row);
        StartUniform(row.control);
        for (int c = 1; c <= NoCells; ++c) {
            conc[0][c] = 1e-3;
            conc[1][c] = 2e-3;
        }
        WriteHere("interpol", PointsAcross(4.1, 0.1, 0.3, 10));
        ASSERT_FALSE(Write().ended);
        const std::vector<std::string> lines = SplitLines(ReadHere(row.check[1]));
        ASSERT_GE(lines.size(), 6u);
        EXPECT_EQ(lines[4], "DIMENSIONS 4 10 2");
        // The first point: the surface, then one cell down per level (the bed
        // cell here), then the bed.
        EXPECT_EQ(lines[6], "0.000000 0.000000 1.000000");
        EXPECT_EQ(lines[7], "0.000000 0.000000 0.250000");
        EXPECT_EQ(lines[8], "0.000000 0.000000 0.000000");
        const LoadResult load = LoadWithVtk(fs::current_path().string(), row.check);
        if (VtkMissing(load)) GTEST_SKIP() << "Debian's /usr/bin/python3 cannot import vtk: " << load.out;
        EXPECT_EQ(load.status, 0) << load.out;
    }
}

}  // namespace
