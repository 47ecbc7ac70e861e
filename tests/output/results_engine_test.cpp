// Letter M through the built engine on a channel grid.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "tests/output/results_case.h"
#include "tests/support/project_dir.h"

namespace {

namespace fs = std::filesystem;

struct ChannelRun {
    EngineRun run;
    ChannelProject project;
    std::set<std::string> files;
};

ChannelRun RunChannel(ProjectDir& dir, const std::string& letters, const std::string& extraControl = "") {
    ChannelSpec spec = ResultsChannel(extraControl);
    spec.letters = letters;
    EXPECT_TRUE(WriteChannelProject(dir.path(), spec));
    ChannelRun r;
    r.project = MakeChannelProject(spec);
    r.run = dir.run();
    for (const auto& e : fs::directory_iterator(dir.path())) r.files.insert(e.path().filename().string());
    return r;
}

size_t CountLines(const std::vector<std::string>& lines, char letter) {
    size_t n = 0;
    for (const std::string& l : lines) n += !l.empty() && l[0] == letter && l[1] == ' ';
    return n;
}

TEST(ResultsEngine, LetterMWritesTheResultOfTheGridRead) {
    ProjectDir dir;
    ChannelRun r = RunChannel(dir, "UMX");
    EXPECT_EQ(r.run.status, 0) << JoinLines(r.run.boogie);
    const std::vector<std::string> lines = SplitLines(dir.read("result"));
    ASSERT_GE(lines.size(), 6u);
    EXPECT_EQ(lines[0], " 0.000000 seconds");
    EXPECT_EQ(lines[1], "Results, iter = 0");
    EXPECT_EQ(CountLines(lines, 'C'), static_cast<size_t>(r.project.cells));
    EXPECT_EQ(CountLines(lines, 'F'), static_cast<size_t>(r.project.surfaces));
    EXPECT_EQ(lines.size(), 6u + r.project.cells + r.project.surfaces);
    EXPECT_NE(r.run.out.find("have written result file  "), std::string::npos);
}

TEST(ResultsEngine, NumberedResultsTakeTheFirstFreeNumbers) {
    for (const bool taken : {false, true}) {
        SCOPED_TRACE(taken);
        ProjectDir dir;
        if (taken) dir.write("result.0000", "kept");
        ChannelRun r = RunChannel(dir, "UMMX", "P 10 1\n");
        EXPECT_EQ(r.run.status, 0) << JoinLines(r.run.boogie);
        const std::set<std::string> expected =
            taken ? std::set<std::string>{"result.0000", "result.0001", "result.0002"}
                  : std::set<std::string>{"result.0000", "result.0001"};
        std::set<std::string> results;
        for (const std::string& f : r.files) {
            if (f.rfind("result", 0) == 0) results.insert(f);
        }
        EXPECT_EQ(results, expected);
        if (taken) {
            EXPECT_EQ(dir.read("result.0000"), "kept");
        }
    }
}

TEST(ResultsEngine, BinarySelectorWritesOnlyResultb) {
    ProjectDir dir;
    ChannelRun r = RunChannel(dir, "UMX", "F 48 15\n");
    EXPECT_EQ(r.run.status, 0) << JoinLines(r.run.boogie);
    // The bed state goes with every run whose grid has water columns.
    EXPECT_EQ(r.files, (std::set<std::string>{"bedres.t", "boogie", "control", "koordina", "resultb", "unstruc"}));
    EXPECT_EQ(fs::file_size(dir.file("resultb")),
              sizeof(double) * (6u * (r.project.cells + 1u) + r.project.surfaces + 1u));
}

TEST(ResultsEngine, ResultSwitchedOff) {
    ProjectDir dir;
    ChannelRun r = RunChannel(dir, "UMX", "F 329 0\n");
    EXPECT_EQ(r.run.status, 0) << JoinLines(r.run.boogie);
    EXPECT_EQ(r.files, (std::set<std::string>{"bedres.t", "boogie", "control", "koordina", "unstruc"}));
}

TEST(ResultsEngine, ResultThatIsADirectoryEndsTheRun) {
    ProjectDir dir;
    fs::create_directory(dir.file("result"));
    ChannelRun r = RunChannel(dir, "UMX");
    EXPECT_EQ(r.run.status, -3);
    EXPECT_TRUE(HasLine(r.run.boogie, "Error: can not write the file 'result'"));
    EXPECT_NE(r.run.out.find("cannot open file 'result' "), std::string::npos);
    EXPECT_TRUE(fs::is_directory(dir.file("result")));
    EXPECT_TRUE(fs::is_empty(dir.file("result")));
}

// The numbered result files a flow run of 12 iterations leaves.
size_t NumberedResultsOfFlowRun(const std::string& control) {
    ProjectDir dir;
    ChannelSpec spec = ResultsChannel("P 10 100\nP 15 5\nK 1 12\n" + control);
    spec.letters = "UW";
    spec.discharge = 0.5;
    EXPECT_TRUE(WriteChannelProject(dir.path(), spec));
    const EngineRun run = dir.run();
    EXPECT_EQ(run.status, 1) << JoinLines(run.boogie);
    size_t n = 0;
    for (const auto& e : fs::directory_iterator(dir.path())) n += e.path().filename().string().rfind("result.", 0) == 0;
    return n;
}

// P 15 asks for results at every iteration after the fifth, whatever P 10
// says: every flow driver writes, at each such iteration, the snapshots
// before and after the SIMPLE corrections and the iteration's results.
TEST(ResultsEngine, P15WritesAfterItsIterationBesideP10InEveryDriver) {
    const size_t byDefault = NumberedResultsOfFlowRun("");
    EXPECT_GE(byDefault, 5u);
    EXPECT_EQ(NumberedResultsOfFlowRun("F 170 1\n"), byDefault) << "fast driver";
    EXPECT_EQ(NumberedResultsOfFlowRun("F 328 1\n"), byDefault) << "block-parallel driver";
}

}  // namespace
