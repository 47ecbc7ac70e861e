// The Coriolis force of the earth's rotation on the horizontal velocity, with
// an optional damping that grows with the gap between the Coriolis term and
// the cell's own velocity component.
#include <cmath>

#include "flow/flow_data.h"
#include "flow/flow_services.h"
#include "grid/grid_data.h"
#include "run/globals.h"

void AddCoriolisForce() {
    if (Equation != 1 && Equation != 2) return;
    const double f = Coriolis, damping = CoriolisImplicitFactor;
    const bool alongX = Equation == 1;
    const double* const u = Cu.data();
    const double* const v = Cv.data();
    for (int c = FirstCell; c <= LastCell; ++c) {
        // Along x the force is rho f V, along y -rho f U.
        const double turned = 1000.0 * f * (alongX ? v[c] : u[c]);
        const double own = 1000.0 * (alongX ? u[c] : v[c]);
        Csource[c] += (alongX ? turned : -turned) * Cvol[c];
        Cap[c] += std::fabs(turned - own) * damping * std::sqrt(2.0 * Cvol[c] * Ckdist[c]);
    }
}
