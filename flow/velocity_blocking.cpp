// Stopping or damping the flow in the cells of an appended soil block by its
// stress ratios and counters, by its layer level or at its bed (F 289 4th).
#include <algorithm>

#include "flow/flow_data.h"
#include "flow/flow_services.h"
#include "grid/grid_data.h"
#include "run/globals.h"
#include "sediment/sediment_data.h"

namespace {

void Zero(int c) { Cu[c] = Cv[c] = Cw[c] = 0.0; }

void Scale(int c, double f) {
    Cu[c] *= f;
    Cv[c] *= f;
    Cw[c] *= f;
}

// A ratio damps the flow and at most stops it: a negative ratio (a cell
// whose velocity or pressure is negative) must not reverse or amplify it.
double Damping(double r) { return r > 0.0 ? std::min(r, 1.0) : 0.0; }

// Mode 5: the smallest ratio of the cell, its upstream neighbour along i and
// its neighbours along j.
double UpstreamRatio(int c) {
    const double* R = CstressRatio.data();
    double f = std::min(1.0, R[c]);
    const double flux = Fflux[Csurfw[c]];
    const int e = Ccelle[c], w = Ccellw[c], s = Ccells[c], n = Ccelln[c];
    if (e > 0 && flux < 0.0) f = std::min(f, R[e]);
    if (w > 0 && flux > 0.0) f = std::min(f, R[w]);
    if (s > 0) f = std::min(f, R[s]);
    if (n > 0) f = std::min(f, R[n]);
    return f;
}

// Mode 6: a column without a level has no layer above its cells.
bool BelowLayerLevel(int c) {
    const int col = Cbedcell.exists() ? Cbedcell[c] : 0;
    return col > 0 && static_cast<size_t>(col) < BlayerSlope.size() && BlayerSlope[col] > Czcenter[c];
}

int AppendedBlock() {
    for (int b = 1; b <= std::min(NoBlocks, 2); ++b) {
        if (BlockTable[b].layerBlock > 0) return b;
    }
    return 0;
}

}  // namespace

void ApplyVelocityBlocking() {
    const int block = AppendedBlock();
    const int mode = BlockingOption;
    if (block == 0 || mode < 1 || mode > 7 || !CstressRatio.exists() || !CstressCount.exists()) return;
    const BlockRecord& r = BlockTable[block];
    const int first = std::max(r.firstCell, 1), last = std::min(r.lastCell, NoCells);
    const double* R = CstressRatio.data();
    for (int c = first; c <= last; ++c) {
        switch (mode) {
            case 1: if (CstressCount[c] < 1) Zero(c); break;
            case 2: if (R[c] < 0.0) Zero(c); break;
            case 3: if (R[c] < 1.0) Zero(c); break;
            case 4: Scale(c, Damping(R[c])); break;
            case 5: {
                const double f = Damping(UpstreamRatio(c));
                Scale(c, f * f * f * f);
                break;
            }
            case 6: if (BelowLayerLevel(c)) Zero(c); break;
            default: if (Ccellb[c] == 0) Zero(c); break;
        }
    }
}
