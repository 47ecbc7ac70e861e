// A fresh project directory per test, and runs of the engine inside it.
#pragma once

#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "run/fatal.h"

// The status of a run whose `control` data set is refused.
inline constexpr int kRefused = kControlRefusedStatus;

struct EngineRun {
    int status = 0;             // exit status as the engine returns it (negative for errors)
    std::string out;            // standard output (the status texts)
    std::vector<std::string> boogie;  // lines of the log, without line ends
};

class ProjectDir {
public:
    ProjectDir();
    ~ProjectDir();
    ProjectDir(const ProjectDir&) = delete;
    ProjectDir& operator=(const ProjectDir&) = delete;

    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }
    void write(const std::string& name, const std::string& content) const;
    std::string read(const std::string& name) const;
    bool exists(const std::string& name) const;

    // Runs the built `rivax` binary in this directory, as a user would.
    EngineRun run(const std::vector<std::string>& env = {}) const;

    // Runs the engine inside this test process (globals reset first), with the
    // working directory switched to this directory for the call.
    int runInProcess() const;

    std::vector<std::string> boogieLines() const;

private:
    std::string path_;
};

// True when `lines` holds `needle` as a whole line.
bool HasLine(const std::vector<std::string>& lines, const std::string& needle);
// Index of the first line equal to `needle`, or -1.
int LineIndex(const std::vector<std::string>& lines, const std::string& needle);

std::string JoinLines(const std::vector<std::string>& lines);

// One row of an end-to-end table: a `control` text (and other files) in, the
// log texts expected in that order and the exit status out.
struct EngineCase {
    std::string name;
    std::string control;
    int status = 1;
    std::vector<std::string> inOrder = {};  // texts that appear in `boogie` in this order
    std::vector<std::string> absent = {};   // texts that must not appear in `boogie`
    std::vector<std::pair<std::string, std::string>> files = {};
    std::vector<std::string> env = {};
};

void CheckEngineCase(const EngineCase& c);
// Names the row in test output instead of dumping its bytes.
void PrintTo(const EngineCase& c, std::ostream* os);
// Test-name generator for tables of EngineCase.
struct EngineCaseName {
    template <class Info>
    std::string operator()(const Info& i) const { return i.param.name; }
};
