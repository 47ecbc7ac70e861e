// A channel grid read inside the test process for the node-level bed
// operations: its one block selected for the morphology step, and the bed
// volume the node levels stand for.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "flow/cell_lookup.h"
#include "grid/grid_services.h"
#include "run/globals.h"
#include "sediment/sediment_services.h"
#include "tests/support/control_text.h"
#include "tests/support/grid_engine.h"
#include "tools/channel_project.h"

// Test names of a table whose rows have a `name`.
struct CaseName {
    template <class Info>
    std::string operator()(const Info& i) const {
        return i.param.name;
    }
};

class BedNodeChannel : public ::testing::Test {
protected:
    // Reads the channel with `sizes` sediment sizes and the data sets `more`.
    void Load(ChannelSpec spec, int sizes = 1, const std::string& more = "") {
        spec.letters = "";
        spec.version = 3;
        const ChannelProject p = MakeChannelProject(spec);
        std::string control = p.control;
        char from[64], to[64];
        std::snprintf(from, sizeof from, "%d 1\n", spec.gridLinesZ);
        std::snprintf(to, sizeof to, "%d %d\n", spec.gridLinesZ, sizes);
        const size_t at = control.find("G 1 ");
        const size_t end = control.find(from, at);
        ASSERT_NE(end, std::string::npos) << control;
        control.replace(end, std::string(from).size(), to);
        WriteHere("control", control + more);
        WriteHere("unstruc", p.unstruc);
        WriteHere("koordina", p.koordina);
        const EngineCall start = StartEngineHere();
        ASSERT_FALSE(start.ended) << start.log;
        const EngineCall read = CallEngine([] { return ReadUnstructure(); });
        ASSERT_FALSE(read.ended) << read.log;
        ASSERT_EQ(read.result, 0) << read.log;
        SelectWholeGrid();
        ASSERT_EQ(NoSizes, sizes);
    }

    static const BlockRecord& Block() { return BlockTable[1]; }

    // Calls f(i, j) for every column of the block.
    template <class F>
    static void ForEachColumn(F f) {
        const BlockRecord& r = Block();
        for (int i = r.iFirst; i <= r.iLast; ++i) {
            for (int j = r.jFirst; j <= r.jLast; ++j) f(i, j);
        }
    }

    // Calls f(i, j) for every node of the block.
    template <class F>
    static void ForEachNode(F f) {
        const BlockRecord& r = Block();
        for (int i = r.iFirst - 1; i <= r.iLast; ++i) {
            for (int j = r.jFirst - 1; j <= r.jLast; ++j) f(i, j);
        }
    }

    static double CornerMean(int i, int j) {
        return 0.25 * (Gridz[i][j][1] + Gridz[i - 1][j][1] + Gridz[i - 1][j - 1][1] + Gridz[i][j - 1][1]);
    }

    // The bed volume over the wet columns (bottom faces) or over all columns
    // of the block (plan areas) above level 0.
    static double WetBedVolume() {
        double v = 0.0;
        ForEachColumn([&v](int i, int j) {
            const int c = GridColumnBottom(i, j);
            if (c > 0) v += Careaz[c] * CornerMean(i, j);
        });
        return v;
    }
    static double PlanBedVolume() {
        double v = 0.0;
        ForEachColumn([&v](int i, int j) { v += PlanArea[i][j] * CornerMean(i, j); });
        return v;
    }

    static int BedCell(int i, int j) { return Cbedcell[GridColumnBottom(i, j)]; }

    InProjectDir here_;
};
