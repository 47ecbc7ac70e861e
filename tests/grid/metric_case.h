// Shared set-up of the metric tests: the engine started inside the test
// process on a small control text, boxes of cells built straight into the
// grid arrays, and the metric run with its end captured.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "grid/grid_services.h"
#include "run/globals.h"
#include "tests/support/control_text.h"
#include "tests/support/grid_engine.h"
#include "tools/box_geometry.h"

class MetricCase : public ::testing::Test {
protected:
    // Room for boxes of up to 6 x 6 x 4 cells and ten block-boundary records.
    void Start(const std::string& more = "") {
        WriteHere("control", "G 1 8 8 5 1\nF 65 200 800 400 10 10\n" + more);
        EngineCall start = StartEngineHere();
        ASSERT_FALSE(start.ended) << start.log;
        ASSERT_EQ(start.result, 0) << start.log;
    }

    static EngineCall Metric() {
        return CallEngine([] {
            metric();
            return 0;
        });
    }

    // Runs the metric and expects it to go through.
    static void MetricRuns() {
        EngineCall m = Metric();
        ASSERT_FALSE(m.ended) << m.log;
    }

    InProjectDir here_;
};

// The sides of a cell: its surface, its neighbour, and the side number the
// surfaces record.
struct CellSide {
    const char* name;
    Array1<int>* surface;
    Array1<int>* neighbour;
    int type;
};

inline const CellSide kCellSides[6] = {
    {"south", &Csurfs, &Ccells, 1}, {"east", &Csurfe, &Ccelle, 2}, {"north", &Csurfn, &Ccelln, 3},
    {"west", &Csurfw, &Ccellw, 4},  {"bottom", &Csurfb, &Ccellb, 5}, {"top", &Csurft, &Ccellt, 6},
};
