// What the source and reaction terms of a water-quality component share:
// the cell quantities they are written in, the transfers between the cells
// of a column, the time series and the light at a cell.
#pragma once

#include <algorithm>
#include <cmath>

#include "flow/cell_lookup.h"
#include "quality/quality_data.h"
#include "run/globals.h"

// Rates per day become rates per second by this factor.
inline constexpr double kPerDay = 1.182033e-5;
// A fixed value goes onto the diagonal with this weight.
inline constexpr double kFixedWeight = 1e30;
inline constexpr double kWaterDensity = 1000.0;

// The step the terms are built for: component k, time step dt, passes n.
struct ComponentStep {
    int k;
    double dt;
    int n;
};

// Component k, time step and inner passes of the equation being built.
inline ComponentStep CurrentComponentStep() {
    return {Equation - 8, TimeStep, std::max(NoIterPerStep, 1)};
}

inline double CellMass(int c) { return Cvol[c] * kWaterDensity; }
inline double SurfaceMass(int s) { return IsGridSurface(s) ? Farea[s] * kWaterDensity : 0.0; }
inline double TopArea(int c) { return SurfaceMass(Csurft[c]); }
inline double BedArea(int c) { return SurfaceMass(Csurfb[c]); }
inline bool IsTopCell(int c) { return Ccellt[c] == 0; }
inline bool IsBedCell(int c) { return Ccellb[c] == 0; }

// Value of component `k` in cell c.
inline double ValueOf(int k, int c) { return Components[k][c]; }

// The water temperature of cell c (component 0), when F 67 makes it one.
inline double CellTemperature(int c) { return Components[0][c]; }

// c / (half + c), the saturation form of the nutrient limits; 0 where both
// vanish instead of 0 / 0.
inline double Saturation(double c, double half) {
    const double d = half + c;
    return d != 0.0 ? c / d : 0.0;
}

// theta^(T - 20) with F 67 on, else 1. A record that gives no theta (or a
// theta that is not positive) leaves the rate as it is: 0^(T - 20) would
// switch it off above 20 degrees and make it infinite below.
inline double ThetaFactor(double theta, int c) {
    if (TemperatureFlag != 1) return 1.0;
    return std::pow(theta > 0.0 ? theta : 1.0, CellTemperature(c) - 20.0);
}

// Moves f out of cell c: upwards into the cell above when f > 0 (a top cell
// keeps it), downwards when f < 0, out of the grid below a bed cell.
inline void TransferFrom(int c, double f) {
    if (f > 0.0) {
        const int above = Ccellt[c];
        if (!IsGridCell(above)) return;
        Csource[c] -= f;
        Csource[above] += f;
    } else if (f < 0.0) {
        Csource[c] += f;
        const int below = Ccellb[c];
        if (IsGridCell(below)) Csource[below] -= f;
    }
}

// (exp(rate d dt) - 1) M / dt: what a rate per day makes of the mass of
// cell c over the time step. Each inner pass solves the same step again from
// its old values, so each takes the rate of the whole step, not a share of
// it. Not expm1: in a steady run (dt 1e-20) the exponential rounds to 1, so
// that reactions add nothing there.
inline double DailyRateTerm(double ratePerDay, const ComponentStep& s, int c) {
    return (std::exp(ratePerDay * kPerDay * s.dt) - 1.0) * CellMass(c) / s.dt;
}

// A `timei` series at the present time; a single row holds its value, and
// without rows (a steady run) the series is 0.
double TimeiSeriesNow(const Array1<double>& series);
// Column `column` of TimeiConc at the present time, `fallback` without rows.
double TimeiConcNow(int column, double fallback);

// The light path from the water surface to the centre of cell c: half of the
// column's top cell, the cells between in full and half of c (only the top
// half when c is the top cell).
double LightPath(int c);

// The kinetic terms of component Equation - 8.
void ComputeKinetics();
