// Limited higher-order convection as a deferred correction (K 6 10..19): the
// first-order coefficients stay, and the difference between the limited face
// value and the upwind value enters the sources.
#include <algorithm>

#include "flow/flow_data.h"
#include "flow/flow_services.h"
#include "flow/second_order.h"
#include "grid/grid_data.h"
#include "run/globals.h"

double TvdLimiter(int scheme, double r) {
    switch (scheme) {
        case 10: return 0.75 * r + 0.25;                                        // QUICK
        case 11: return 0.5 * (1.3333 * r + 0.666667);                          // cubic upwind
        case 12: return std::max(0.0, std::min({2.0 * r, 0.75 * r + 0.25, 4.0}));  // SMART
        case 13: return r > 0.0 ? 4.0 * r / (r + 3.0) : 0.0;                    // H-QUICK
        case 14: return r > 0.0 ? 2.0 * r / (r + 1.0) : 0.0;                    // van Leer
        case 15: return std::max({0.0, std::min(2.0 * r, 1.0), std::min(r, 2.0)});  // superbee
        case 16: return std::max(0.0, std::min(r, 1.0));                        // minmod
        case 17: return 1.0;                                                    // second-order upwind
        case 19: return std::max(0.0, std::min({2.0 * r, 0.5 * r + 0.5, 2.0}));  // monotonised central
        default: return 0.0;  // 18 is first-order upwind; no limiter above 19
    }
}

namespace {

// The transported field of equation e, or nullptr for an equation without
// a correction (the pressure correction, sediment and components).
const double* CorrectedField(int e) {
    switch (e) {
        case 1: return Cu.data();
        case 2: return Cv.data();
        case 3: return Cw.data();
        case 5: return Ck.data();
        case 6: return Cepsilon.data();
        default: return nullptr;
    }
}

}  // namespace

void AddTvdCorrection(int first, int last) {
    if (Equation < 0 || Equation >= kEquationTableSize) return;
    const int scheme = ConvectionScheme[Equation];
    const double* const phi = CorrectedField(Equation);
    if (phi == nullptr || scheme < 10 || scheme > 19 || scheme == 18) return;
    const int* const cell1 = Fcell1.data();
    const int* const cell2 = Fcell2.data();
    const int* const far1 = Fcellfar1.data();
    const int* const far2 = Fcellfar2.data();
    const double* const flux = Fflux.data();
    double* const source = Csource.data();
    for (int s = first; s <= last; ++s) {
        const int c1 = cell1[s], c2 = cell2[s];
        if (c1 <= 0 || c2 <= 0) continue;
        const double f = flux[s];
        int up, upup, down;
        if (f > 0.0 && far1[s] >= 1) {
            up = c1, upup = far1[s], down = c2;
        } else if (f < 0.0 && far2[s] >= 1) {
            up = c2, upup = far2[s], down = c1;
        } else {
            continue;
        }
        const double delta = phi[up] - phi[upup];
        // The guard keeps a flat upstream profile finite.
        const double r = (phi[down] - phi[up]) / (delta + 1e-30);
        const double c = 0.5 * f * TvdLimiter(scheme, r) * delta;
        source[c1] -= c;
        source[c2] += c;
    }
}
