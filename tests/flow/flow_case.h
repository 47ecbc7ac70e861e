// Shared set-up of the flux and coefficient tests: the engine started in the
// test process, a box of cells with its metric, and flow fields on it.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "flow/flow_services.h"
#include "grid/grid_services.h"
#include "run/globals.h"
#include "tests/support/control_text.h"
#include "tests/support/grid_engine.h"
#include "tools/box_geometry.h"

class FlowCase : public ::testing::Test {
protected:
    // Room for boxes of up to 6 x 6 x 4 cells; `extraControl` adds data sets.
    BoxGrid Box(int ni, int nj, int nk, const BoxSpacing& h = {}, const std::string& extraControl = "") {
        return Box(ni, nj, nk, h, {}, extraControl);
    }
    // `reshape` may move the points before the metric is computed.
    BoxGrid Box(int ni, int nj, int nk, const BoxSpacing& h, const std::function<void(const BoxGrid&)>& reshape,
                const std::string& extraControl = "") {
        WriteHere("control", "G 1 8 8 5 1\nF 65 200 800 400 10 10\n" + extraControl);
        EngineCall start = StartEngineHere();
        EXPECT_FALSE(start.ended) << start.log;
        const BoxGrid g = MakeBoxGeometry(ni, nj, nk, h);
        if (reshape) reshape(g);
        EngineCall m = CallEngine([] {
            metric();
            return 0;
        });
        EXPECT_FALSE(m.ended) << m.log;
        FirstSurface = 1;
        LastSurface = NoSurfaces;
        return g;
    }

    // 5 x 1 x 4 cells, whose columns chunks of the active range cut, with
    // turbulence and speeds that differ from cell to cell and columns of
    // different depths.
    void ChunkedColumns() {
        Box(5, 1, 4, {2.0, 2.0, 0.02});
        for (int c = 1; c <= NoCells; ++c) {
            Ck[c] = 1e-4 * (1 + c % 7);
            Cepsilon[c] = 1e-4 * (1 + c % 5);
            Cu[c] = 1e-4 * c;
            Ckdist[c] *= 1.0 + 0.1 * (c % 3);
        }
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

// Sets up with `setUp` and runs `work` over the active cells cut into 1, 3,
// 4 and 6 chunks on as many threads; the arrays `a` and `b` must come out
// the same, bit for bit, every time.
inline void ExpectSameForAnyChunking(const std::function<void()>& setUp, void (*work)(int, int),
                                     const Array1<double>& a, const Array1<double>& b) {
    std::vector<double> reference;
    for (const int chunks : {1, 3, 4, 6}) {
        setUp();
        RunInChunks(FirstCell, LastCell, chunks, work);
        std::vector<double> got;
        for (int c = 1; c <= NoCells; ++c) {
            got.push_back(a[c]);
            got.push_back(b[c]);
        }
        if (reference.empty()) {
            reference = got;
        } else {
            EXPECT_EQ(got, reference) << chunks << " chunks";
        }
    }
}
