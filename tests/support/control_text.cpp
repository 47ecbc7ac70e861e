#include "tests/support/control_text.h"

#include <cstdio>
#include <filesystem>
#include <stdexcept>

#include "run/fatal.h"
#include "run/globals.h"
#include "run/kread.h"
#include "run/log.h"

namespace fs = std::filesystem;

InProjectDir::InProjectDir() : old_(fs::current_path().string()) { fs::current_path(dir_.path()); }

InProjectDir::~InProjectDir() { fs::current_path(old_); }

namespace {

std::string ReadLog() {
    std::string text;
    FILE* log = std::fopen("boogie", "rb");
    if (!log) return text;
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, log)) > 0) text.append(buf, n);
    std::fclose(log);
    return text;
}

FILE* g_pass_input = nullptr;
void (*g_pass)(FILE*) = nullptr;
void RunPassOnInput() { g_pass(g_pass_input); }

ReadOutcome RunPass(const std::string& text, void (*pass)(FILE*), void (*afterDefaults)() = nullptr) {
    // Each read starts its own log, as the reader does.
    if (!LogCreate()) throw std::runtime_error("cannot create boogie");
    ResetGlobals();
    if (afterDefaults) afterDefaults();
    std::string buffer = text;
    FILE* fp = fmemopen(buffer.data(), buffer.size(), "r");
    if (!fp) throw std::runtime_error("fmemopen failed");
    g_pass_input = fp;
    g_pass = pass;
    ReadOutcome out = CaptureRunEnd(RunPassOnInput);
    std::fclose(fp);
    return out;
}

// The reader re-checks the stored records against the final sizes right
// after its first pass.
void FirstPassAndRecheck(FILE* fp) {
    FirstPass(fp);
    RecheckAgainstFinalSizes();
}

}  // namespace

ReadOutcome CaptureRunEnd(void (*fn)()) {
    ReadOutcome out;
    try {
        fn();
    } catch (const RunExit& e) {
        out.ended = true;
        out.status = e.status;
    }
    out.log = ReadLog();
    return out;
}

ReadOutcome ReadFirstPass(const std::string& text, void (*afterDefaults)()) {
    return RunPass(text, FirstPassAndRecheck, afterDefaults);
}
ReadOutcome ReadSecondPass(const std::string& text) { return RunPass(text, SecondPass); }
