// Small structured grids built in the test process for the grid generator:
// one block of unit columns, every node at the same level until a test says
// otherwise.
#pragma once

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "grid/grid_data.h"
#include "grid/grid_services.h"
#include "run/globals.h"
#include "surface/surface_services.h"
#include "tests/support/control_text.h"
#include "tests/support/grid_engine.h"

class GenerationCase : public ::testing::Test {
protected:
    // G 1 nx ny nz; one block of the columns 2..nx-1 by 2..ny-1 whose nodes
    // (1..nx-1 by 1..ny-1) have the bed at 0 and the water level at 1 m. The
    // F 94 depths are 0.05 and 0.2 m unless `control` gives others.
    void Start(int nx, int ny, int nz, const std::string& control = "") {
        WriteHere("control", "G 1 " + std::to_string(nx) + " " + std::to_string(ny) + " " + std::to_string(nz) +
                                 " 1\nF 65 2000 4000 4000 50 50\nF 94 0.05 0.2\n" + control);
        EngineCall start = StartEngineHere();
        // The grid below needs the arrays: a start that failed ends the test.
        if (start.ended || start.result != 0) throw std::runtime_error("the engine did not start:\n" + start.log);
        NoBlocks = 1;
        BlockRecord& b = BlockTable[1];
        b.iFirst = 2;
        b.iLast = nx - 1;
        b.jFirst = 2;
        b.jLast = ny - 1;
        b.field8 = 1;
        for (int i = 1; i <= nx - 1; ++i) {
            for (int j = 1; j <= ny - 1; ++j) {
                Gridx[i][j] = i - 1;
                Gridy[i][j] = j - 1;
                SetNode(i, j, 0.0, 1.0);
            }
        }
    }

    static void SetNode(int i, int j, double bed, double water) {
        Gridz[i][j][1] = bed;
        Gridz[i][j][NoGridLinesZ] = water;
    }

    static EngineCall Generate() {
        return CallEngine([] { return Unstructure(); });
    }

    // Generate() with what every caller of the generator does next: the
    // metric and the water columns.
    static EngineCall GenerateWithColumns() {
        return CallEngine([] {
            const int result = Unstructure();
            metric();
            UpdateWaterColumnsAfterRegrid();
            return result;
        });
    }

    // The cell of column (i, j) in layer `layer` from its bed.
    static int Cell(int i, int j, int layer) { return static_cast<int>(Gridz[i][j][0]) + layer - 1; }

    InProjectDir here_;
};
