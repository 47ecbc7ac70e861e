// Shared set-up of the results tests: the engine started inside the test
// process on a channel grid read from its `unstruc` file, with fields set to
// known values.
#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>

#include <filesystem>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "output/output_services.h"
#include "grid/grid_services.h"
#include "run/globals.h"
#include "tests/support/control_text.h"
#include "tests/support/grid_engine.h"
#include "tools/channel_project.h"

// 8 columns along, 6 across, 2 layers: block 1 spans i = 2..9, j = 2..7.
inline ChannelSpec ResultsChannel(const std::string& extraControl = "") {
    ChannelSpec spec;
    spec.columnsAlong = 8;
    spec.columnsAcross = 6;
    spec.gridLinesZ = 3;
    spec.version = 3;
    spec.extraControl = extraControl;
    return spec;
}

// Names of the files in the current directory.
inline std::set<std::string> FilesHere() {
    std::set<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(".")) names.insert(e.path().filename().string());
    return names;
}

// The blank-separated words of a line.
inline std::vector<std::string> Words(const std::string& line) {
    std::vector<std::string> words;
    std::istringstream in(line);
    for (std::string w; in >> w;) words.push_back(w);
    return words;
}

// The plot files in the current directory.
inline std::set<std::string> PlotFilesHere() {
    std::set<std::string> plots;
    for (const std::string& name : FilesHere()) {
        for (const char* prefix : {"tec", "ParaView", "pav2", "paru"}) {
            if (name.rfind(prefix, 0) == 0) plots.insert(name);
        }
    }
    return plots;
}

struct LoadResult {
    int status = -1;
    std::string out;
};

// Runs a shell command; its exit status and its output (with errors).
inline LoadResult RunShell(const std::string& command) {
    LoadResult r;
    FILE* p = popen((command + " 2>&1").c_str(), "r");
    if (!p) return r;
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, p)) > 0;) r.out.append(buffer, n);
    const int status = pclose(p);
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

// Runs the load checks of tests/output/load_plot_file.py with Debian's
// Python and its vtk module.
inline LoadResult LoadWithVtk(const std::string& dir, const std::vector<std::string>& args,
                              const char* script = "load_plot_file.py") {
    std::string command = "cd '" + dir + "' && /usr/bin/python3 '" RIVAX_TESTS_DIR "/output/" + script + "'";
    for (const std::string& a : args) command += " '" + a + "'";
    return RunShell(command);
}

// Status 77 or 127: Debian's Python or its vtk module is missing.
inline bool VtkMissing(const LoadResult& r) { return r.status == 77 || r.status == 127; }

class ResultsCase : public ::testing::Test {
protected:
    // Starts the engine on the channel with `extraControl` and reads its grid.
    void Start(const std::string& extraControl = "") { StartOn(ResultsChannel(extraControl)); }

    // The same on another channel.
    void StartOn(const ChannelSpec& spec) {
        const ChannelProject p = MakeChannelProject(spec);
        WriteHere("control", p.control);
        WriteHere("unstruc", p.unstruc);
        EngineCall start = StartEngineHere();
        ASSERT_FALSE(start.ended) << start.log;
        ASSERT_EQ(start.result, 0) << start.log;
        EngineCall read = CallEngine([] { return ReadUnstructure(); });
        ASSERT_FALSE(read.ended) << read.log;
        ASSERT_EQ(read.result, 0) << read.log;
        ASSERT_EQ(NoCells, p.cells);
        ASSERT_EQ(NoSurfaces, p.surfaces);
        SetKnownFields();
    }

    // Every value distinct, so a value in the wrong place shows.
    static void SetKnownFields() {
        for (int c = 0; c <= NoCells; ++c) {
            const double v = c == 0 ? 0.0 : c;
            Cu[c] = 0.001 * v;
            Cv[c] = -0.002 * v;
            Cw[c] = 1e-5 * v;
            Ck[c] = 0.01 + 1e-4 * v;
            Cepsilon[c] = 0.003 + 1e-6 * v;
            Pres[c] = 9810.0 * v;
        }
        for (int s = 1; s <= NoSurfaces; ++s) Fflux[s] = 0.5 * s - 7.25;
        stime = 3600.5;
        Iter = 42;
        for (int e = 1; e <= 6; ++e) MaxResidual[e] = 1e-3 * e;
    }

    // Runs `fn` and reports how it ended.
    static EngineCall Call(void (*fn)()) {
        return CallEngine([fn] {
            fn();
            return 0;
        });
    }

    InProjectDir here_;
};
