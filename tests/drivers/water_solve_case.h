// The channel of the grid tests, read inside the test process, ready for a
// call of WaterSolve.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "drivers/flow_drivers.h"
#include "grid/grid_services.h"
#include "run/globals.h"
#include "tests/grid/unstruc_case.h"
#include "tests/support/project_dir.h"

// The channel of the grid tests, read from its grid file, ready for a call.
class WaterSolveCase : public UnstrucCase {
protected:
    void Start(const std::string& extraControl) {
        ChannelSpec spec = GridTestChannel(3);
        spec.letters = "UW";
        spec.extraControl = extraControl;
        const ChannelProject p = MakeChannelProject(spec);
        WriteHere("koordina", p.koordina);
        StartAndRead(p.control, p.unstruc);
        // What the run start values give the residuals, until a call of
        // their own sets them.
        for (int eq = 1; eq <= 6; ++eq) ResidualScale[eq] = 1.0;
        SetActiveCellRange();
    }

    EngineCall Solve() {
        return CallEngine([] { return WaterSolve(); });
    }

    static bool Finite(const Array1<double>& a) {
        for (int c = FirstCell; c <= LastCell; ++c) {
            if (!std::isfinite(a[c])) return false;
        }
        return true;
    }
};

// An end-to-end W run of the channel in `dir` with `extraControl` and the
// other files given (name, text).
inline EngineRun RunChannelWater(const ProjectDir& dir, const std::string& extraControl,
                                 const std::vector<std::pair<std::string, std::string>>& files = {}) {
    ChannelSpec spec = GridTestChannel(3);
    spec.letters = "UW";
    spec.extraControl += extraControl;
    EXPECT_TRUE(WriteChannelProject(dir.path(), spec));
    for (const auto& [name, text] : files) dir.write(name, text);
    return dir.run();
}
