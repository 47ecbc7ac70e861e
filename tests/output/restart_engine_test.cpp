// Letter R through the built engine: a converged channel flow written,
// renamed and read back, and files that do not fit the grid.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <map>
#include <regex>
#include <string>

#include "tests/output/results_case.h"
#include "tests/support/project_dir.h"

namespace {

namespace fs = std::filesystem;

// 8 x 3 columns of 4 cells whose cells the engine builds (version 4), with
// an inflow: converges in a few seconds under the sanitizers.
ChannelSpec RestartChannel(const std::string& letters, const std::string& extraControl) {
    ChannelSpec spec;
    spec.columnsAlong = 8;
    spec.columnsAcross = 3;
    spec.gridLinesZ = 5;
    spec.length = 8.0;
    spec.width = 1.5;
    spec.depth = 0.5;
    spec.version = 4;
    spec.discharge = 0.2;
    spec.letters = letters;
    spec.extraControl = "K 1 3000\nK 3 0.8 0.8 0.8 0.3 0.7 0.7\nK 4 2 2 2 10 3 3\n" + extraControl;
    return spec;
}

EngineRun RunLetters(const ProjectDir& dir, const std::string& letters, const std::string& extraControl = "") {
    EXPECT_TRUE(WriteChannelProject(dir.path(), RestartChannel(letters, extraControl)));
    return dir.run();
}

std::vector<std::string> From(const std::string& text, size_t line) {
    std::vector<std::string> lines = SplitLines(text);
    lines.erase(lines.begin(), lines.begin() + static_cast<std::ptrdiff_t>(std::min(line, lines.size())));
    return lines;
}

int ResultIteration(const std::string& result) {
    std::smatch m;
    const std::string second = SplitLines(result).at(1);
    return std::regex_match(second, m, std::regex("Results, iter = (\\d+)")) ? std::stoi(m[1]) : -1;
}

class RestartEngine : public ::testing::Test {
protected:
    // Runs the flow to convergence and gives the bed state its restart name.
    void Converge(const std::string& extraControl = "") {
        const EngineRun first = RunLetters(dir_, "UW", extraControl);
        ASSERT_EQ(first.status, 1) << JoinLines(first.boogie);
        ASSERT_TRUE(HasLine(first.boogie, "Solution converged"));
        fs::rename(dir_.file("bedres.t"), dir_.file("bedres"));
        // The cells of the grid the engine built: the last count of the size line.
        cells_ = std::stoi(Words(SplitLines(dir_.read("bedres")).at(1)).back());
    }

    ProjectDir dir_;
    int cells_ = 0;
};

// A grid file that carries its own cells (version 3, as the channel tool and
// examples/channel write it) holds one layer more than the generation makes
// of the same G 1: the restart keeps the cells read, since the bed state
// describes that very grid, instead of a regenerated grid its cell numbers
// do not fit.
TEST(RestartEngineVersion3, BedStateOfAGridWithItsOwnCellsIsRestartedFrom) {
    ProjectDir dir;
    ChannelSpec spec = RestartChannel("UMX", "");
    spec.version = 3;
    ASSERT_TRUE(WriteChannelProject(dir.path(), spec));
    const EngineRun write = dir.run();
    ASSERT_EQ(write.status, 0) << JoinLines(write.boogie);
    fs::rename(dir.file("bedres.t"), dir.file("bedres"));
    const std::string result = dir.read("result"), bedres = dir.read("bedres");
    spec.letters = "URMX";
    ASSERT_TRUE(WriteChannelProject(dir.path(), spec));
    const EngineRun restart = dir.run();
    ASSERT_EQ(restart.status, 0) << JoinLines(restart.boogie);
    EXPECT_FALSE(HasLine(restart.boogie, "Have not used 'bedres' file"));
    EXPECT_EQ(From(dir.read("bedres.t"), 1), From(bedres, 1));
    EXPECT_EQ(From(dir.read("result"), 2), From(result, 2));
}

TEST_F(RestartEngine, TextRoundTripWritesTheSameFilesAgain) {
    Converge();
    const std::string result = dir_.read("result"), bedres = dir_.read("bedres");
    ASSERT_GT(ResultIteration(result), 5);
    const EngineRun again = RunLetters(dir_, "URM");
    ASSERT_EQ(again.status, 1) << JoinLines(again.boogie);
    EXPECT_TRUE(HasLine(again.boogie, "Have read " + std::to_string(cells_) + " cell values from result file"));
    EXPECT_EQ(From(dir_.read("result"), 4), From(result, 4));
    EXPECT_EQ(From(dir_.read("bedres.t"), 1), From(bedres, 1));
}

TEST_F(RestartEngine, BinaryRoundTripIsBitIdentical) {
    Converge("F 48 15\n");
    const std::string bytes = dir_.read("resultb");
    ASSERT_GT(bytes.size(), sizeof(double) * 6u * (cells_ + 1u));
    const EngineRun again = RunLetters(dir_, "URM", "F 48 15\n");
    ASSERT_EQ(again.status, 1) << JoinLines(again.boogie);
    EXPECT_TRUE(HasLine(again.boogie, "Have read " + std::to_string(cells_) + " cell values from resultb file"));
    EXPECT_EQ(dir_.read("resultb"), bytes);
}

// The restarted flow is the converged one: a few iterations confirm it.
TEST_F(RestartEngine, ContinuationConvergesAtOnce) {
    Converge();
    const int cold = ResultIteration(dir_.read("result"));
    const EngineRun again = RunLetters(dir_, "URW");
    ASSERT_EQ(again.status, 1) << JoinLines(again.boogie);
    EXPECT_TRUE(HasLine(again.boogie, "Solution converged"));
    const int warm = ResultIteration(dir_.read("result"));
    EXPECT_LE(warm, 10) << "a cold start took " << cold;
    EXPECT_GT(cold, 4 * warm);
}

// The six residuals of every "Iter:" line of a log, by iteration.
std::map<int, std::array<double, 6>> ResidualsByIteration(const std::vector<std::string>& boogie) {
    std::map<int, std::array<double, 6>> rows;
    const std::regex line("Iter: (\\d+), Resid: +(\\S+) +(\\S+) +(\\S+) +(\\S+) +(\\S+) +(\\S+)");
    for (const std::string& l : boogie) {
        std::smatch m;
        if (!std::regex_match(l, m, line)) continue;
        std::array<double, 6>& r = rows[std::stoi(m[1])];
        for (int k = 0; k < 6; ++k) r[k] = std::stod(m[k + 2]);
    }
    return rows;
}

// A restart from files written in the middle of a run goes on as that run
// went on: every residual of its later iterations is the one of the same
// iteration of the uninterrupted run. A field, a flux or a setting the files
// do not give back shows as residuals that jump away from the run's own.
// (The first pass takes the fluxes as stored, as a cold start does, where the
// running flow forms them again from its momentum coefficients: the first
// iteration alone differs by a few per cent.)
TEST(RestartEngineContinuation, ResumesTheInterruptedIterations) {
    const std::string perIteration = "F 48 15\nF 53 1 0 1 1\n";
    ProjectDir dir;
    // Files every 10 iterations: the n-th pair holds iteration 10 n - 1.
    const EngineRun cold = RunLetters(dir, "UW", perIteration + "P 10 10\n");
    ASSERT_EQ(cold.status, 1) << JoinLines(cold.boogie);
    ASSERT_TRUE(HasLine(cold.boogie, "Solution converged"));
    const auto coldRows = ResidualsByIteration(cold.boogie);
    ASSERT_FALSE(coldRows.empty());
    const int converged = coldRows.rbegin()->first;
    // The last pair at least three iterations before the end.
    const int pair = (converged - 2) / 10;
    const int written = 10 * pair - 1;
    ASSERT_GE(written, 9) << "converged at " << converged;
    char number[16];
    std::snprintf(number, sizeof number, "%04d", pair - 1);
    ASSERT_NE(SplitLines(dir.read(std::string("bedres.") + number)).at(0).find("iter = " + std::to_string(written)), std::string::npos);
    fs::copy_file(dir.file(std::string("result.") + number), dir.file("resultb"));
    fs::copy_file(dir.file(std::string("bedres.") + number), dir.file("bedres"));

    const EngineRun warm = RunLetters(dir, "URW", perIteration);
    ASSERT_EQ(warm.status, 1) << JoinLines(warm.boogie);
    EXPECT_TRUE(HasLine(warm.boogie, "Solution converged"));
    const auto warmRows = ResidualsByIteration(warm.boogie);
    int compared = 0;
    for (const auto& [iter, residuals] : warmRows) {
        const auto same = coldRows.find(written + iter);
        if (iter < 2 || same == coldRows.end()) continue;
        for (int k = 0; k < 6; ++k) {
            EXPECT_NEAR(residuals[k], same->second[k], 0.05 * same->second[k] + 1e-12)
                << "equation " << k + 1 << " at restart iteration " << iter << " (run iteration " << written + iter << ")";
        }
        ++compared;
    }
    EXPECT_GE(compared, 2);
}

// Files of another grid, cheaply made by letter M on the grid read.
TEST(RestartEngineMismatch, FilesThatDoNotFitTheGrid) {
    const struct {
        const char* row;
        std::string control;  // of the restart; the files come from the default
        bool bedres;
        int status;
        std::vector<std::string> lines;
    } rows[] = {
        {"G 1 with another k count",
         "G 1 10 5 6 1\n",
         true,
         -3,
         {"Error in reading bedres file: array size is not correct",
          "Number of bedres grid lines in k direction is 5, and in control file 6."}},
        {"result of another grid",
         "G 1 10 5 6 1\n",
         false,
         kRestartRefusedStatus,
         {"Have not used 'bedres' file", "Error reading result file, array size is not correct",
          "an H at the end of the F 2 data set. Then read this file before reading the result file",
          "Error: no restart from 'result': its counts (the U line) do not fit the grid"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.row);
        ProjectDir dir;
        const EngineRun first = RunLetters(dir, "UM");
        ASSERT_EQ(first.status, 1) << JoinLines(first.boogie);
        if (row.bedres) {
            fs::rename(dir.file("bedres.t"), dir.file("bedres"));
        }
        const EngineRun again = RunLetters(dir, "URM", row.control);
        EXPECT_EQ(again.status, row.status) << JoinLines(again.boogie);
        int at = -1;
        for (const std::string& line : row.lines) {
            const int found = LineIndex(again.boogie, line);
            EXPECT_GT(found, at) << line << "\n" << JoinLines(again.boogie);
            at = found;
        }
        EXPECT_EQ(JoinLines(again.boogie).find("cell values from"), std::string::npos);
    }
}

}  // namespace
