// The flume of the shallow-water solver: 20 m long and 0.5 m wide, 40 x 2
// columns of one layer, 0.22 m deep, run in the test process by letters U
// and L so that the state of the depth-averaged block can be read afterwards.
#pragma once

#include <cmath>
#include <string>

#include "drivers/drivers_data.h"
#include "grid/grid_data.h"
#include "run/globals.h"
#include "tests/support/project_dir.h"
#include "tools/channel_project.h"

struct FlumeRun {
    int status = 0;
    std::string log;
};

inline ChannelSpec Flume(const std::string& control, double bed = 0.0, int across = 2, double depth = 0.22) {
    ChannelSpec spec;
    spec.columnsAlong = 40;
    spec.columnsAcross = across;
    spec.gridLinesZ = 2;
    spec.length = 20.0;
    spec.width = 0.5;
    spec.depth = depth;
    spec.bedLevel = bed;
    spec.version = 4;
    spec.letters = "UL";
    spec.extraControl = control;
    return spec;
}

inline FlumeRun RunFlume(const ProjectDir& dir, const ChannelSpec& spec) {
    FlumeRun run;
    if (!WriteChannelProject(dir.path(), spec)) {
        run.status = -999;
        return run;
    }
    run.status = dir.runInProcess();
    run.log = dir.read("boogie");
    return run;
}

inline const BlockRecord& FlumeBlock() { return BlockTable[NoBlocks]; }

// The cell of the depth-averaged block whose centre lies nearest to (x, y).
inline int FlumeCellNear(double x, double y) {
    const BlockRecord& r = FlumeBlock();
    int best = 0;
    double bestDistance = HUGE_VAL;
    for (int c = r.firstCell; c <= r.lastCell; ++c) {
        const double d = std::hypot(Cxcenter[c] - x, Cycenter[c] - y);
        if (d < bestDistance) {
            best = c;
            bestDistance = d;
        }
    }
    return best;
}

inline double Depth(int c) { return ShallowWork3A[0][c]; }
inline double Discharge(int c) { return ShallowWork3A[1][c]; }
