// The grid tasks run inside the test process, in the current directory
// (within an InProjectDir): the engine starts as a run does, then each call
// reports how it ended.
#pragma once

#include <functional>
#include <string>
#include <vector>

struct EngineCall {
    bool ended = false;  // the call ended the run
    int status = 0;      // the run's exit status then
    int result = 0;      // the call's result otherwise
    std::string log;     // `boogie` afterwards
};

// Resets the globals, reads `control` (kread) and allocates the unstructured
// arrays, as the run driver does before its first letter.
EngineCall StartEngineHere();

// Runs `fn` and captures its result or the end of the run.
EngineCall CallEngine(const std::function<int()>& fn);

// Writes `name` in the current directory.
void WriteHere(const std::string& name, const std::string& text);
// Reads `name` from the current directory ("" when missing).
std::string ReadHere(const std::string& name);
// The lines of `text`, without their line ends.
std::vector<std::string> SplitLines(const std::string& text);
// The fixture file tests/fixtures/<dir>/<name>.
std::string Fixture(const std::string& dir, const std::string& name);
