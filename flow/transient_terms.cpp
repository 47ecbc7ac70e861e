// Storage terms of unsteady runs, pseudo-time terms and the treatments of
// triangular shoreline cells.
#include "flow/flow_data.h"
#include "flow/flow_services.h"
#include "grid/grid_data.h"
#include "run/globals.h"

namespace {

// Explicit part of the neighbour terms under Theta weighting, from the
// neighbour coefficients as already scaled by 1 - Theta:
// Theta / (1 - Theta) * sum a (old(nb) - old(P)). Written as differences, a
// uniform old field adds nothing, and at a steady state the explicit and
// implicit parts together are the full neighbour terms. A missing neighbour
// stands for the value 0, as in the implicit part.
double ExplicitNeighbourPart(int p, const double* old, double weight) {
    const int nb[6] = {Ccelle[p], Ccellw[p], Ccelln[p], Ccells[p], Ccellt[p], Ccellb[p]};
    const double a[6] = {Cae[p], Caw[p], Can[p], Cas[p], Cat[p], Cab[p]};
    double sum = 0.0;
    for (int n = 0; n < 6; ++n) {
        const double neighbour = nb[n] > 0 ? old[nb[n]] : 0.0;
        sum += a[n] * (neighbour - old[p]);
    }
    return weight * sum;
}

inline void AddPseudoTime(int p, const double* phi) {
    const double mf = 1000.0 * Cvol[p] / FalseTimeStep;
    Cap[p] += mf;
    Csource[p] += mf * phi[p];
}

}  // namespace

void AddTransientTerms(int first, int last) {
    if (first > last) return;
    const double* const phi = Cf.data();
    const double* const old = Cf_old.data();
    const double* const old2 = Cf_old2.exists() ? Cf_old2.data() : nullptr;
    const double dt = TimeStep;
    const double theta = Theta;
    const bool explicitPart = theta >= 1e-8;
    // Second order (BDF2) needs the level before the old one; without it the
    // first-order term stands in.
    const bool secondOrder = !explicitPart && TimeOrder >= 1 && old2 != nullptr;
    const double weight = explicitPart ? theta / (1.0 - theta) : 0.0;
    const int* const trekant = Ctrekant.exists() ? Ctrekant.data() : nullptr;
    auto shoreline = [trekant](int p) { return trekant != nullptr && trekant[p] != 0; };

    for (int p = first; p <= last; ++p) {
        const double m = 1000.0 * Cvol[p] / dt;
        if (secondOrder) {
            Cap[p] += 1.5 * m;
            Csource[p] += m * (2.0 * old[p] - 0.5 * old2[p]);
        } else {
            Cap[p] += m;
            Csource[p] += m * old[p];
            if (explicitPart) Csource[p] += ExplicitNeighbourPart(p, old, weight);
        }
        if (FalseTimeStepMode == 1) AddPseudoTime(p, phi);
    }
    if (Equation < 1 || Equation > 3) return;

    const int option = TrekantOption;
    for (int p = first; p <= last; ++p) {
        const double m = 1000.0 * Cvol[p] / dt;
        if (option == 1 && shoreline(p)) {
            Cap[p] += m;
            Csource[p] += m * old[p];
        } else if (option == 21 && shoreline(p)) {
            Cap[p] += m;
            Csource[p] += m * phi[p];
        }
        if ((FalseTimeStepMode == 2 && shoreline(p)) || (FalseTimeStepMode == 3 && Iter >= 3)) AddPseudoTime(p, phi);
        if (option == 5 && shoreline(p)) Csource[p] = 0.0;
    }
}
