#include "tests/support/grid_engine.h"

#include <fstream>
#include <sstream>

#include "run/fatal.h"
#include "run/globals.h"
#include "run/kread.h"
#include "run/run_services.h"

namespace {

std::string ReadFile(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    std::stringstream ss;
    ss << f.rdbuf();
    return ss.str();
}

}  // namespace

EngineCall CallEngine(const std::function<int()>& fn) {
    EngineCall call;
    try {
        call.result = fn();
    } catch (const RunExit& e) {
        call.ended = true;
        call.status = e.status;
    }
    call.log = ReadHere("boogie");
    return call;
}

EngineCall StartEngineHere() {
    return CallEngine([] {
        ResetGlobals();
        kread();
        return AllocateUnstructuredArrays() < -0.01 ? -1 : 0;
    });
}

void WriteHere(const std::string& name, const std::string& text) {
    std::ofstream f(name, std::ios::binary);
    f << text;
}

std::string ReadHere(const std::string& name) { return ReadFile(name); }

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        lines.push_back(text.substr(at, end - at));
        at = end + 1;
    }
    return lines;
}

std::string Fixture(const std::string& dir, const std::string& name) {
    return ReadFile(std::string(RIVAX_FIXTURES) + "/" + dir + "/" + name);
}
