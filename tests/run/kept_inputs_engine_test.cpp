// What a run must never do to the project: lose an input (an empty grid over
// `unstruc`, diverged fields over the `result` a restart read), leave
// temporary files behind when it is killed, or write outside the project
// through a symbolic link. Each case runs the built engine.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "run/log.h"
#include "run/output_file.h"
#include "run/stop_signals.h"
#include "tests/support/project_dir.h"
#include "tools/channel_project.h"

namespace {

namespace fs = std::filesystem;

// 8 x 3 columns of 4 cells (the engine builds the cells) with an inflow:
// converges in about a second under the sanitizers.
ChannelSpec SmallChannel(const std::string& letters, const std::string& extraControl) {
    ChannelSpec spec;
    spec.width = 1.5;
    spec.depth = 0.5;
    spec.discharge = 0.2;
    spec.letters = letters;
    spec.extraControl = "K 1 3000\nK 4 2 2 2 10 3 3\nF 329 1\n" + extraControl;
    return spec;
}

const char kConverging[] = "K 3 0.8 0.8 0.8 0.3 0.7 0.7\n";
const char kDiverging[] = "K 3 1.9 1.9 1.9 1.9 1.9 1.9\n";

// A process id that no process can have (beyond any pid_max).
const char kDeadPid[] = "999999999";

std::vector<std::string> TempFiles(const ProjectDir& dir) {
    std::vector<std::string> found;
    for (const auto& e : fs::directory_iterator(dir.path())) {
        const std::string name = e.path().filename().string();
        if (name.find(".tmp") != std::string::npos) found.push_back(name);
    }
    return found;
}

// One project (the channel and a `result` of its own), one run. Files in
// `kept` must be byte for byte what they were; `links` are symbolic links in
// the project to files outside it, whose contents must stay too.
struct KeptCase {
    std::string name;
    std::string letters;
    std::string control;
    int status;
    std::string said;  // in `boogie`, or on standard output when the log is refused
    std::vector<std::string> kept;
    std::vector<std::pair<std::string, std::string>> files = {};
    std::vector<std::string> links = {};
    std::vector<std::string> gone = {};     // must not exist after the run
    std::vector<std::string> regular = {};  // regular files after the run (links replaced, others' files kept)
};

void PrintTo(const KeptCase& c, std::ostream* os) { *os << c.name; }

struct KeptCaseName {
    template <class Info>
    std::string operator()(const Info& i) const { return i.param.name; }
};

std::string Joined(const std::vector<std::string>& v) {
    std::string all;
    for (const std::string& s : v) all += s + " ";
    return all;
}

class KeptInputs : public ::testing::TestWithParam<KeptCase> {};

TEST_P(KeptInputs, RunLeavesThemAsTheyWere) {
    const KeptCase& c = GetParam();
    ProjectDir dir, outside;
    ASSERT_TRUE(WriteChannelProject(dir.path(), SmallChannel(c.letters, kConverging + c.control)));
    dir.write("result", "a result a restart would read\n");
    for (const auto& [name, content] : c.files) dir.write(name, content);
    for (const std::string& link : c.links) {
        outside.write(link, "the user's own " + link + "\n");
        fs::create_symlink(outside.file(link), dir.file(link));
    }
    std::vector<std::pair<std::string, std::string>> before;
    for (const std::string& name : c.kept) before.emplace_back(name, dir.read(name));

    const EngineRun r = dir.run();
    EXPECT_EQ(r.status, c.status) << JoinLines(r.boogie) << r.out;
    const std::string log = JoinLines(r.boogie);
    EXPECT_TRUE(log.find(c.said) != std::string::npos || r.out.find(c.said) != std::string::npos)
        << "missing: " << c.said << "\nboogie:\n" << log << "\nstdout:\n" << r.out;
    for (const auto& [name, content] : before) EXPECT_TRUE(dir.read(name) == content) << name << " changed";
    for (const std::string& link : c.links) EXPECT_EQ(outside.read(link), "the user's own " + link + "\n") << link;
    for (const std::string& name : c.gone) EXPECT_FALSE(fs::exists(fs::symlink_status(dir.file(name)))) << name;
    for (const std::string& name : c.regular) EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(dir.file(name)))) << name;
    for (const std::string& name : TempFiles(dir)) {
        EXPECT_NE(std::find(c.regular.begin(), c.regular.end(), name), c.regular.end()) << "left behind: " << name;
    }
}

const std::string kLivePid = std::to_string(static_cast<long>(getpid()));

const std::vector<std::string> kAllInputs = {"unstruc", "koordina", "result"};
const std::vector<std::string> kGrid = {"unstruc", "koordina"};

const KeptCase kKeptCases[] = {
    {"LetterHWithoutGridRefuses", "H", "", -4, "Error: there is no grid to write", kAllInputs},
    {"LetterHBeforeTheGridIsReadRefuses", "HUW", "", -4, "Error: there is no grid to write", kAllInputs},
    {"LinkedLogRefusedOnStandardOutput", "UW", "", -3, "'boogie' is a symbolic link", kAllInputs, {}, {"boogie"}},
    {"LinkedResidualHistoryReplaced", "UW", "F 293 1\n", 1, "Solution converged", kGrid, {}, {"quorva"}, {},
     {"quorva"}},
    {"LinkedGridLogReplaced", "UVW", "", 1, "Solution converged", kGrid, {{"geodata", "E 0 0 0\nE 8 1.5 0\n"}},
     {"boogie.bed"}, {}, {"boogie.bed"}},
    {"StaleTempsOfOthersRemovedLiveKept", "UW", "", 1, "Solution converged", kGrid,
     {{std::string("result.tmp") + kDeadPid, std::string(4096, 'x')},
      {std::string("bedres.t.tmp") + kDeadPid, "x"},
      {"result.tmp" + kLivePid, "a live process's file"},
      {"result.tmpold", "not a temporary file of the engine"}},
     {}, {std::string("result.tmp") + kDeadPid, std::string("bedres.t.tmp") + kDeadPid},
     {"result.tmp" + kLivePid, "result.tmpold"}},
};

INSTANTIATE_TEST_SUITE_P(Rows, KeptInputs, ::testing::ValuesIn(kKeptCases), KeptCaseName());

// A restart that diverges: `result` stays the converged field it restarted
// from, and the diverged one is beside it.
TEST(KeptInputsRestart, DivergedRestartKeepsTheResultItReadAndWritesResultDiverged) {
    ProjectDir dir;
    ASSERT_TRUE(WriteChannelProject(dir.path(), SmallChannel("UW", kConverging)));
    const EngineRun first = dir.run();
    ASSERT_EQ(first.status, 1) << JoinLines(first.boogie);
    const std::string converged = dir.read("result");
    ASSERT_FALSE(converged.empty());

    ASSERT_TRUE(WriteChannelProject(dir.path(), SmallChannel("URW", kDiverging)));
    const EngineRun again = dir.run();
    EXPECT_EQ(again.status, -1) << JoinLines(again.boogie);
    EXPECT_NE(JoinLines(again.boogie).find("Solution diverged after"), std::string::npos);
    EXPECT_TRUE(HasLine(again.boogie, "The flow computation failed: its fields are written to 'result.diverged', "
                                      "'result' is kept"))
        << JoinLines(again.boogie);
    EXPECT_TRUE(dir.read("result") == converged) << "the result restarted from was replaced";
    const std::string diverged = dir.read("result.diverged");
    EXPECT_NE(diverged.find("Results, iter = "), std::string::npos);
    EXPECT_FALSE(diverged == converged);
}

// The handler removes a temporary file that is being written when the
// signal comes: a child process stands for the run.
TEST(StopSignal, RemovesTheFileBeingWrittenLogsAndEndsWithMinusOne) {
    ProjectDir dir;
    dir.write("result", "kept\n");
    dir.write("boogie", "");
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (chdir(dir.path().c_str()) != 0) _exit(3);
        InstallStopSignals();
        OutputFile out("result");
        if (!out) _exit(4);
        for (int k = 0; k < 10000; ++k) std::fputs("C 1 0 0 0 0 0 0\n", out.get());
        std::fflush(out.get());
        raise(SIGTERM);
        _exit(5);  // not reached
    }
    int wstatus = 0;
    ASSERT_EQ(waitpid(child, &wstatus, 0), child);
    ASSERT_TRUE(WIFEXITED(wstatus));
    EXPECT_EQ(static_cast<signed char>(WEXITSTATUS(wstatus)), kStoppedBySignalStatus);
    EXPECT_TRUE(TempFiles(dir).empty()) << Joined(TempFiles(dir));
    EXPECT_EQ(dir.read("result"), "kept\n");
    EXPECT_TRUE(HasLine(dir.boogieLines(), "Run stopped by signal 15; the files being written are removed, "
                                           "the files as they were are kept"));
}

// The built engine killed in the middle of a flow run that writes numbered
// results at every iteration.
TEST(StopSignal, EngineKilledDuringARunLeavesNoTemporaryFile) {
    ProjectDir dir;
    ASSERT_TRUE(WriteChannelProject(dir.path(), SmallChannel("UW", "K 3 0.05 0.05 0.05 0.05 0.05 0.05\nK 1 1000000\nP 10 1\n")));
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (chdir(dir.path().c_str()) != 0) _exit(3);
        setenv("ASAN_OPTIONS", "detect_leaks=0", 1);
        execl(RIVAX_BINARY, RIVAX_BINARY, static_cast<char*>(nullptr));
        _exit(4);
    }
    // Until the run has written a few numbered results (or a minute passed).
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!fs::exists(dir.file("result.0003")) && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ASSERT_EQ(kill(child, SIGTERM), 0);
    int wstatus = 0;
    ASSERT_EQ(waitpid(child, &wstatus, 0), child);
    ASSERT_TRUE(WIFEXITED(wstatus)) << "ended by signal " << WTERMSIG(wstatus);
    EXPECT_EQ(static_cast<signed char>(WEXITSTATUS(wstatus)), kStoppedBySignalStatus);
    EXPECT_TRUE(TempFiles(dir).empty()) << Joined(TempFiles(dir));
    const std::vector<std::string> log = dir.boogieLines();
    EXPECT_TRUE(HasLine(log, "Run stopped by signal 15; the files being written are removed, "
                             "the files as they were are kept"))
        << JoinLines(log);
    EXPECT_FALSE(HasLine(log, "Solution converged"));
}

}  // namespace
