// Shared set-up of the grid-file tests: a project directory, the engine
// started inside the test process, and edits of grid-file texts.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "grid/grid_services.h"
#include "run/globals.h"
#include "tests/support/control_text.h"
#include "tests/support/grid_engine.h"
#include "tools/channel_project.h"

class UnstrucCase : public ::testing::Test {
protected:
    // Starts the engine on `control` (the F 2 letters are not run).
    void Start(const std::string& control) {
        WriteHere("control", control);
        EngineCall start = StartEngineHere();
        ASSERT_FALSE(start.ended) << start.log;
        ASSERT_EQ(start.result, 0) << start.log;
    }

    // Writes `text` as `unstruc` and reads it.
    EngineCall Read(const std::string& text) {
        WriteHere("unstruc", text);
        return CallEngine([] { return ReadUnstructure(); });
    }

    EngineCall Write() {
        return CallEngine([] { return WriteUnstrucFile(); });
    }

    // Starts on `control`, reads `text` and expects it to be accepted.
    void StartAndRead(const std::string& control, const std::string& text) {
        Start(control);
        EngineCall read = Read(text);
        ASSERT_FALSE(read.ended) << read.log;
        ASSERT_EQ(read.result, 0) << read.log;
    }

    InProjectDir here_;
};

// Small capacities keep the allocation, and so the tests, quick.
inline const char* const kCubeControl = "F 2 UHX\nG 1 4 4 2 1\nF 65 100 100 100 10 10\n";

inline std::string CubeText() { return Fixture("unit_cube", "unstruc"); }

// The channel of the grid tests: 4 by 3 columns of 3 cells, 1.5 m wide,
// with an inflow and an outflow group; no F 2 letters.
inline ChannelSpec GridTestChannel(int version, double slope = 0.0) {
    ChannelSpec spec;
    spec.columnsAlong = 4;
    spec.columnsAcross = 3;
    spec.gridLinesZ = 4;
    spec.length = 4.0;
    spec.width = 1.5;
    spec.bedSlope = slope;
    spec.version = version;
    spec.discharge = 0.25;
    spec.letters = "";
    spec.extraControl = "F 65 200 400 200 10 10\n";
    return spec;
}

// The channel's control (without letters) and grid text.
inline ChannelProject Channel(int version, double slope = 0.0) {
    return MakeChannelProject(GridTestChannel(version, slope));
}

// A grid file and the control it is read with.
struct GridFixture {
    std::string name;
    std::string control;
    std::string text;
};

// The finished grids: the hand-written fixtures and the channel, flat and
// sloping.
inline std::vector<GridFixture> FinishedGrids() {
    return {{"unit cube", kCubeControl, CubeText()},
            {"two blocks, version 4", Fixture("two_blocks_v4", "control"), Fixture("two_blocks_v4", "unstruc")},
            {"channel", Channel(3).control, Channel(3).unstruc},
            {"sloping channel", Channel(3, 0.02).control, Channel(3, 0.02).unstruc}};
}

inline std::string JoinText(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& l : lines) text += l + "\n";
    return text;
}

// `text` with line n (from 1) replaced.
inline std::string WithLine(const std::string& text, size_t n, const std::string& line) {
    std::vector<std::string> lines = SplitLines(text);
    lines.at(n - 1) = line;
    return JoinText(lines);
}

inline std::string Line(const std::string& text, size_t n) { return SplitLines(text).at(n - 1); }
