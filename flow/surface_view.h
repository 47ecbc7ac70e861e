// Raw views of the surface and velocity arrays, taken once before a loop
// over surfaces so that the loop itself indexes plain pointers.
#pragma once

#include "flow/flow_data.h"
#include "grid/grid_data.h"
#include "run/globals.h"

struct SurfaceView {
    const int* cell1 = Fcell1.data();
    const int* cell2 = Fcell2.data();
    const int* type1 = Ftype1.data();
    const int* type2 = Ftype2.data();
    const double* dist1 = Fdist1.data();
    const double* dist2 = Fdist2.data();
    const double* area = Farea.data();
    const double* ax = Fareax.data();
    const double* ay = Fareay.data();
    const double* az = Fareaz.data();
};

struct Velocity3 {
    double u, v, w;
};

// The cell velocities; with `timeMean` (and `Theta` above 1e-8, and the
// previous time level kept) each value is the mean of the current and the
// previous one.
struct VelocityView {
    const double* u = Cu.data();
    const double* v = Cv.data();
    const double* w = Cw.data();
    const double* uo = Cu_old.data();
    const double* vo = Cv_old.data();
    const double* wo = Cw_old.data();
    bool timeMean;

    explicit VelocityView(bool allowTimeMean) : timeMean(allowTimeMean && Theta > 1e-8 && OldFieldsFollowIterations() && uo && vo && wo) {}

    Velocity3 Cell(int c) const {
        if (!timeMean) return {u[c], v[c], w[c]};
        return {0.5 * (u[c] + uo[c]), 0.5 * (v[c] + vo[c]), 0.5 * (w[c] + wo[c])};
    }
    // Interpolated to a surface with the weights w1 and w2 of its two cells.
    Velocity3 Face(int c1, int c2, double w1, double w2) const {
        Velocity3 f{w1 * u[c1] + w2 * u[c2], w1 * v[c1] + w2 * v[c2], w1 * w[c1] + w2 * w[c2]};
        if (timeMean) {
            f.u = 0.5 * (f.u + w1 * uo[c1] + w2 * uo[c2]);
            f.v = 0.5 * (f.v + w1 * vo[c1] + w2 * vo[c2]);
            f.w = 0.5 * (f.w + w1 * wo[c1] + w2 * wo[c2]);
        }
        return f;
    }
};
