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

}  // namespace
