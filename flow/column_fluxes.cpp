// Whole water columns: the vertical mass fluxes that balance the horizontal
// inflow of each cell (in place of a W equation, F 69), and the averaging of
// supercritical columns (F 93).
#include <cmath>

#include "flow/flow_data.h"
#include "flow/flow_services.h"
#include "grid/grid_data.h"
#include "run/globals.h"

namespace {

inline double FluxOf(int s) { return s > 0 ? Fflux[s] : 0.0; }

// Net horizontal mass inflow of cell c (kg/s). The vertical fluxes are
// derived from it, so it must not hold them: the pressure-correction defect
// does, and a balanced column would lose its vertical flow.
inline double SideInflow(int c) {
    return FluxOf(Csurfw[c]) + FluxOf(Csurfs[c]) - FluxOf(Csurfe[c]) - FluxOf(Csurfn[c]);
}

// Cells of one column, bed first, walked up through Ccellt. The walk is
// bounded so that a corrupt link cannot make it endless.
template <typename Visit>
void UpFrom(int bed, Visit&& visit) {
    for (int c = bed, steps = 0; c > 0 && steps < NoCells; c = Ccellt[c], ++steps) visit(c);
}

template <typename Visit>
void DownFrom(int top, Visit&& visit) {
    for (int c = top, steps = 0; c > 0 && steps < NoCells; c = Ccellb[c], ++steps) visit(c);
}

inline int BedOf(int top) {
    int c = top;
    for (int steps = 0; Ccellb[c] > 0 && steps < NoCells; ++steps) c = Ccellb[c];
    return c;
}

// Mode 4: the positive and the negative inflows of the column brought to the
// same magnitude, stored as the defects of the cells.
void BalanceColumn(int top) {
    double p = 0.0, n = 0.0;
    DownFrom(top, [&](int c) {
        const double q = SideInflow(c);
        if (q > 0.0) p += q;
        if (q < 0.0) n -= q;
    });
    const double m = 0.5 * (p + n);
    DownFrom(top, [&](int c) {
        const double q = SideInflow(c);
        Csource[c] = q > 0.0 ? q * m / (p + 1e-10) : q < 0.0 ? q * m / (n + 1e-10) : 0.0;
    });
}

// Bottom-face fluxes from the top down: each the sum of the outflows of the
// cells above it; `blend` 1 sets them, below 1 moves them that far.
template <typename Defect>
void FluxesFromTop(int top, double blend, Defect&& q) {
    double s = 0.0;
    DownFrom(top, [&](int c) {
        s -= q(c);
        const int b = Csurfb[c];
        if (b > 0) Fflux[b] = blend * s + (1.0 - blend) * Fflux[b];
    });
}

// Top-face fluxes from the bed up: the running total of the inflows below.
void FluxesFromBed(int bed) {
    double s = 0.0;
    UpFrom(bed, [&](int c) {
        if (Ccellt[c] <= 0) return;
        s += SideInflow(c);
        if (Csurft[c] > 0) Fflux[Csurft[c]] = s;
    });
}

// Cw from the mean of a cell's two vertical fluxes, relaxed by `keep`.
void VelocitiesOf(int bed, double keep, double factor) {
    UpFrom(bed, [&](int c) {
        const double area = Csurft[c] > 0 ? Farea[Csurft[c]] : 0.0;
        if (area > 0.0) Cw[c] = keep * Cw[c] + factor * (FluxOf(Csurft[c]) + FluxOf(Csurfb[c])) / area;
    });
}

// Mode 2: Cw from the defect of each cell, then the fluxes between the cells
// from the velocities on both sides.
void FluxesFromVelocities(int bed) {
    UpFrom(bed, [](int c) {
        if (Csurft[c] > 0 && Farea[Csurft[c]] > 0.0) Cw[c] = -0.001 * Csource[c] / Farea[Csurft[c]];
    });
    UpFrom(bed, [](int c) {
        const int a = Ccellt[c];
        if (a > 0) Fflux[Csurft[c]] = 500.0 * (Cw[c] + Cw[a]) * Farea[Csurft[c]];
    });
}

}  // namespace

void ComputeColumnVerticalFluxes() {
    const int mode = ColumnFluxOption;
    if (mode < 1 || mode > 5) return;
    const bool fromBed = mode == 2 || mode == 5;
    for (int c = FirstCell; c <= LastCell; ++c) {
        if (fromBed ? (Ccellb[c] != 0 || Ccellt[c] == 0) : (Ccellt[c] != 0 || Ccellb[c] == 0)) continue;
        const int bed = fromBed ? c : BedOf(c);
        switch (mode) {
            case 1:
                FluxesFromTop(c, 0.2, SideInflow);
                VelocitiesOf(bed, 0.8, 0.0001);
                break;
            case 2: FluxesFromVelocities(bed); break;
            case 3:
                FluxesFromTop(c, 1.0, SideInflow);
                VelocitiesOf(bed, 0.0, 0.0005);
                break;
            case 4:
                BalanceColumn(c);
                FluxesFromTop(c, 0.2, [](int k) { return Csource[k]; });
                VelocitiesOf(bed, 0.0, 0.0005);
                break;
            default:
                FluxesFromBed(bed);
                VelocitiesOf(bed, 0.0, 0.0005);
                break;
        }
    }
}

void AverageSupercriticalColumns() {
    for (int b = FirstBedCell; b <= LastBedCell; ++b) {
        const int bed = Bcellt[b];
        if (bed <= 0) continue;
        int n = 0;
        double depth = 0.0, speed = 0.0;
        UpFrom(bed, [&](int c) {
            ++n;
            depth += 2.0 * Ckdist[c];
            speed += std::sqrt(Cu[c] * Cu[c] + Cv[c] * Cv[c]);
        });
        const double mean = speed / n;
        if (!(mean * mean > 9.81 * depth)) continue;
        double p = 0.0, f = 0.0;
        UpFrom(bed, [&](int c) {
            p += Pres[c];
            f += Cf[c];
        });
        UpFrom(bed, [&](int c) {
            Pres[c] = p / n;
            Cf[c] = f / n;
        });
    }
}
