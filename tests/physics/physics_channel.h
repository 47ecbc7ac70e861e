// The channel of the physics checks.
#pragma once

#include <cmath>
#include <string>

#include "run/globals.h"
#include "tools/channel_project.h"

// 16 m long, 1.5 m wide and 0.25 m deep, in 16 x 3 columns of 8 layers: 64
// depths of run, enough for the flow to develop fully, in few enough cells
// to converge in seconds under the sanitizers. The bed and walls are 1 cm
// rough.
inline ChannelSpec PhysicsChannel(double discharge) {
    ChannelSpec spec;
    spec.columnsAlong = 16;
    spec.columnsAcross = 3;
    spec.gridLinesZ = 9;
    spec.length = 16.0;
    spec.width = 1.5;
    spec.depth = 0.25;
    spec.bedLevel = 10.0;
    spec.version = 3;
    spec.discharge = discharge;
    spec.letters = "UW";
    spec.extraControl = "F 16 0.01\nK 1 3000\nK 3 0.8 0.8 0.8 0.3 0.7 0.7\nK 4 2 2 2 10 3 3\n";
    return spec;
}

// The channel of examples/channel (README): 40 x 8 columns of 10 layers,
// 20 m by 2 m and 1 m deep over a bed at 10 m, 1 m3/s through a Strickler bed
// of M 50, with the example's relaxation and sweeps; `extra` is appended to
// `control`.
inline ChannelSpec ExampleChannelSpec(const std::string& letters, const std::string& extra) {
    ChannelSpec spec;
    spec.columnsAlong = 40;
    spec.columnsAcross = 8;
    spec.gridLinesZ = 11;
    spec.length = 20.0;
    spec.width = 2.0;
    spec.depth = 1.0;
    spec.bedLevel = 10.0;
    spec.bedSlope = 0.001;
    spec.version = 3;
    spec.discharge = 1.0;
    spec.letters = letters;
    spec.extraControl = "W 1 50 1 11\nF 24 0\nK 3 0.8 0.8 0.8 0.3 0.7 0.7\nK 4 2 2 2 10 3 3\n" + extra;
    return spec;
}

// The bed cell of the column whose centre lies nearest to (x, y), after a run.
inline int BedCellNear(double x, double y) {
    int best = 0;
    double bestDistance = HUGE_VAL;
    for (int c = 1; c <= NoCells; ++c) {
        if (Ccellb[c] != 0) continue;
        const double d = std::hypot(Cxcenter[c] - x, Cycenter[c] - y);
        if (d < bestDistance) {
            best = c;
            bestDistance = d;
        }
    }
    return best;
}

// The small pool of the sediment and water-quality runs: 4 m long, 2 m wide
// and 1 m deep in 4 x 2 columns of 5 layers (40 cells).
inline ChannelSpec PoolChannel(double discharge, const std::string& letters, const std::string& control) {
    ChannelSpec spec;
    spec.columnsAlong = 4;
    spec.columnsAcross = 2;
    spec.gridLinesZ = 6;
    spec.length = 4.0;
    spec.width = 2.0;
    spec.depth = 1.0;
    spec.version = 3;
    spec.discharge = discharge;
    spec.letters = letters;
    spec.extraControl = control;
    return spec;
}
