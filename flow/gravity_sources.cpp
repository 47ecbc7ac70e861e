// Gravity in the momentum equations: the drive of a tilted water surface in
// U and V, and the weight of the water (or of the layer block) in W.
#include <cmath>

#include "flow/flow_data.h"
#include "flow/flow_services.h"
#include "grid/grid_data.h"
#include "run/globals.h"

namespace {

// Weight of the cell's water, 9810 N per cubic metre, in the forms of F 181:
// 1 gives a bed or top cell the mean of itself and its one vertical
// neighbour, 3 also an inner cell the mean over its neighbours with itself
// counted twice, 2 every cell its own weight.
double WaterWeight(int form, int c) {
    const int t = Ccellt[c], b = Ccellb[c];
    const double vc = Cvol[c];
    if (form == 2) return 9810.0 * vc;
    if (t > 0 && b > 0) return form == 3 ? 2452.5 * (2.0 * vc + Cvol[t] + Cvol[b]) : 9810.0 * vc;
    if (t > 0) return 4905.0 * (vc + Cvol[t]);
    if (b > 0) return 4905.0 * (vc + Cvol[b]);
    return 9810.0 * vc;
}

// The surface tilt drives every cell of the column below the top cell T:
// -rho g ds/dx per unit volume, which is 9810 nx/nz with (nx, ny, nz) the
// normal of the top face, whichever way it points.
void AddSurfaceSlopeForce(int equation, int first, int last) {
    const double* const nxy = equation == 1 ? Fvecx.data() : Fvecy.data();
    for (int top = first; top <= last; ++top) {
        if (Ccellt[top] != 0) continue;
        const int s = Csurft[top];
        const double nz = Fvecz[s];
        if (!(std::fabs(nz) > 1e-20)) continue;
        const double g = 9810.0 * nxy[s] / nz;
        if (g == 0.0) continue;
        for (int c = top, steps = 0; c > 0 && steps < NoCells; c = Ccellb[c], ++steps) Csource[c] += Cvol[c] * g;
    }
}

void SubtractLayerBlockWeight() {
    if (LayerBlockOption == 1) {
        for (int c = BlockTable[1].firstCell; c <= BlockTable[1].lastCell; ++c) Csource[c] -= WaterWeight(1, c);
        return;
    }
    if (LayerBlockOption < 2 || NoBlocks < 2 || BlockTable[2].layerBlock <= 0) return;
    for (int c = BlockTable[2].firstCell; c <= BlockTable[2].lastCell; ++c) {
        // The bottom cells of the appended block rest on the soil and carry
        // no weight of their own.
        if (c <= Bcellt[Cbedcell[c]]) continue;
        Csource[c] -= Ccellt[c] > 0 || Ccellb[c] <= 0 ? 9810.0 * Cvol[c] : 4905.0 * (Cvol[c] + Cvol[Ccellb[c]]);
    }
}

}  // namespace

void AddSurfaceSlopeGravity(int equation, int first, int last) {
    if (equation == 1 || equation == 2) {
        if (SurfaceSlopeGravityFlag > 0) AddSurfaceSlopeForce(equation, first, last);
        return;
    }
    if (equation != 3) return;
    if (LayerBlockOption != 0) {
        SubtractLayerBlockWeight();
        return;
    }
    const int form = HydrostaticPressureFlag;
    if (form < 1 || form > 3) return;
    for (int c = first; c <= last; ++c) Csource[c] -= WaterWeight(form, c);
}
