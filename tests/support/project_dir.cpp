#include "tests/support/project_dir.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include <gtest/gtest.h>

#include "run/run_driver.h"

namespace fs = std::filesystem;

ProjectDir::ProjectDir() {
    std::string tmpl = (fs::temp_directory_path() / "rivax-test-XXXXXX").string();
    if (!mkdtemp(tmpl.data())) throw std::runtime_error("mkdtemp failed");
    path_ = tmpl;
}

ProjectDir::~ProjectDir() {
    std::error_code ec;
    fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(path_, ec);
}

void ProjectDir::write(const std::string& name, const std::string& content) const {
    std::ofstream f(file(name), std::ios::binary);
    f << content;
}

std::string ProjectDir::read(const std::string& name) const {
    std::ifstream f(file(name), std::ios::binary);
    std::stringstream ss;
    ss << f.rdbuf();
    return ss.str();
}

bool ProjectDir::exists(const std::string& name) const { return fs::exists(file(name)); }

std::vector<std::string> ProjectDir::boogieLines() const {
    std::vector<std::string> lines;
    std::ifstream f(file("boogie"), std::ios::binary);
    std::string line;
    while (std::getline(f, line)) lines.push_back(line);
    return lines;
}

EngineRun ProjectDir::run(const std::vector<std::string>& env) const {
    std::string cmd = "cd '" + path_ + "' && ";
    for (const std::string& e : env) cmd += e + " ";
    // Sanitizer reports get their own exit code, so they cannot pass for an
    // engine status.
    cmd += "ASAN_OPTIONS=exitcode=66:detect_leaks=0 UBSAN_OPTIONS=exitcode=66:print_stacktrace=1 ";
    cmd += "'" RIVAX_BINARY "' 2>&1";
    FILE* p = popen(cmd.c_str(), "r");
    if (!p) throw std::runtime_error("popen failed");
    EngineRun r;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0) r.out.append(buf, n);
    int wstatus = pclose(p);
    int code = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : 128 + WTERMSIG(wstatus);
    r.status = code > 127 && WIFEXITED(wstatus) ? code - 256 : code;
    r.boogie = boogieLines();
    EXPECT_EQ(r.out.find("Sanitizer"), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find("runtime error"), std::string::npos) << r.out;
    return r;
}

int ProjectDir::runInProcess() const {
    fs::path old = fs::current_path();
    fs::current_path(path_);
    int status = RunEngine();
    fs::current_path(old);
    return status;
}

bool HasLine(const std::vector<std::string>& lines, const std::string& needle) {
    return LineIndex(lines, needle) >= 0;
}

int LineIndex(const std::vector<std::string>& lines, const std::string& needle) {
    for (size_t i = 0; i < lines.size(); ++i) {
        if (lines[i] == needle) return static_cast<int>(i);
    }
    return -1;
}

std::string JoinLines(const std::vector<std::string>& lines) {
    std::string all;
    for (const std::string& l : lines) all += l + "\n";
    return all;
}

void CheckEngineCase(const EngineCase& c) {
    ProjectDir dir;
    dir.write("control", c.control);
    for (const auto& [name, content] : c.files) dir.write(name, content);
    EngineRun r = dir.run(c.env);
    EXPECT_EQ(r.status, c.status) << "control:\n" << c.control << "\nboogie:\n" << JoinLines(r.boogie);
    const std::string log = dir.read("boogie");
    size_t at = 0;
    for (const std::string& text : c.inOrder) {
        size_t found = log.find(text, at);
        EXPECT_NE(found, std::string::npos) << "missing (in order): [" << text << "]\nboogie:\n" << log;
        if (found != std::string::npos) at = found + text.size();
    }
    for (const std::string& text : c.absent) {
        EXPECT_EQ(log.find(text), std::string::npos) << "unexpected: [" << text << "]\nboogie:\n" << log;
    }
}

void PrintTo(const EngineCase& c, std::ostream* os) { *os << c.name; }
