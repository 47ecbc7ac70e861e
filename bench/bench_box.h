// A box of side x side x side cells allocated as a run allocates it, with its
// points and surfaces; the engine's log goes to a directory of its own.
#pragma once

#include <unistd.h>

#include <cstdlib>
#include <stdexcept>

#include "run/globals.h"
#include "run/run_services.h"
#include "tools/box_geometry.h"

inline void AllocateBenchBox(int side, const BoxSpacing& h = {}) {
    char dir[] = "/tmp/rivax-bench-XXXXXX";
    if (!mkdtemp(dir) || chdir(dir) != 0) throw std::runtime_error("no directory for the log");
    ResetGlobals();
    const int cells = side * side * side;
    MaxCeller = cells + 2;
    MaxFlater = 3 * cells + 3 * side * side + 2;
    MaxPoints = (side + 1) * (side + 1) * (side + 1) + 2;
    NoGridLinesX = NoGridLinesY = side + 2;
    NoGridLinesZ = 3;
    if (AllocateStructuredArrays() != 0 || AllocateUnstructuredArrays() < 0) {
        throw std::runtime_error("the arrays of the box cannot be allocated");
    }
    MakeBoxGeometry(side, side, side, h);
}
