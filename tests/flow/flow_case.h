// Shared set-up of the flux and coefficient tests: the engine started in the
// test process, a box of cells with its metric, and flow fields on it.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "flow/flow_services.h"
#include "grid/grid_services.h"
#include "run/globals.h"
#include "tests/support/control_text.h"
#include "tests/support/grid_engine.h"
#include "tools/box_geometry.h"

class FlowCase : public ::testing::Test {
protected:
    // Room for boxes of up to 6 x 6 x 4 cells.
    BoxGrid Box(int ni, int nj, int nk, const BoxSpacing& h = {}) {
        WriteHere("control", "G 1 8 8 5 1\nF 65 200 800 400 10 10\n");
        EngineCall start = StartEngineHere();
        EXPECT_FALSE(start.ended) << start.log;
        const BoxGrid g = MakeBoxGeometry(ni, nj, nk, h);
        EngineCall m = CallEngine([] {
            metric();
            return 0;
        });
        EXPECT_FALSE(m.ended) << m.log;
        FirstSurface = 1;
        LastSurface = NoSurfaces;
        return g;
    }

    // An inner surface of cell c on its east (+i) side.
    static int East(int c) { return Csurfe[c]; }

    std::string log() const { return ReadHere("boogie"); }

    InProjectDir here_;
};

// Net mass inflow of cell c.
inline double MassDefect(int c) {
    return Fflux[Csurfw[c]] + Fflux[Csurfs[c]] + Fflux[Csurfb[c]] - Fflux[Csurfe[c]] - Fflux[Csurfn[c]] -
           Fflux[Csurft[c]];
}
