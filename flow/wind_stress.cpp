// Wind shear on the water surface: a force on the top cells in the U and V
// passes, fixed k and epsilon there in the turbulence passes.
#include <cmath>
#include <optional>

#include "flow/flow_data.h"
#include "flow/flow_services.h"
#include "flow/momentum_forces.h"
#include "grid/grid_data.h"
#include "run/globals.h"
#include "run/time_series.h"
#include "run/timei_data.h"

namespace {

constexpr double kShearFactor = 0.0012;
// The surface k per unit of drag and the epsilon constant, as the engine
// has always had them.
constexpr double kSurfaceK = 1.9999799999999998e-6;
constexpr double kSurfaceEpsilon = 0.164317 * 2.5;
constexpr double kFixed = 1e30;

template <class F>
void ForEachTopCell(F f) {
    const int* const above = Ccellt.data();
    for (int c = FirstCell; c <= LastCell; ++c) {
        if (above[c] == 0) f(c);
    }
}

}  // namespace

SurfaceWind CurrentWind() {
    SurfaceWind w{WindSpeed[0], WindSpeed[1], WindSpeed[2]};
    if (NoTimeiSteps > 0 && TimeiWind.exists()) {
        if (const std::optional<SeriesPoint> at = LocateInTimei(stime)) {
            w.speed = at->of([](int r) { return TimeiWind[r][0]; });
            w.x = at->of([](int r) { return TimeiWind[r][1]; });
            w.y = at->of([](int r) { return TimeiWind[r][2]; });
        }
    }
    // The drag functions take powers of the speed: a negative speed from a
    // series would turn them into NaN or a force against the wind.
    if (!(w.speed > 0.0)) w.speed = 0.0;
    return w;
}

double WindDrag(double u, int formula) {
    switch (formula) {
        case 0: {
            if (u <= 5.6) return u * u;
            const double r = 1.0 - 5.6 / u;
            return u * u * (1.0 + 1.9 * r * r);
        }
        case 1: return 1.1 * u * u;
        case 2:
            if (u < 1.0) return 1.25 * std::pow(u, 1.5);
            if (u < 15.0) return 0.5 * std::pow(u, 2.5);
            return 2.6 * u * u;
        default: return u;
    }
}

void AddWindStress(int equation) {
    if (equation == 3) return;
    const SurfaceWind wind = CurrentWind();
    const double drag = WindDrag(wind.speed, WindDragFormula);
    double* const source = Csource.data();
    switch (equation) {
        case 1:
        case 2: {
            const double shear = (equation == 1 ? wind.x : wind.y) * kShearFactor * drag;
            ForEachTopCell([&](int c) { source[c] += shear * Farea[Csurft[c]]; });
            break;
        }
        case 5:
        case 6: {
            const double ks = kSurfaceK * drag;
            double* const ap = Cap.data();
            ForEachTopCell([&](int c) {
                const double value = equation == 5 ? ks : kSurfaceEpsilon * std::pow(ks, 1.5) / (Ckdist[c] + 1e-20);
                ap[c] += kFixed;
                source[c] += kFixed * value;
            });
            break;
        }
        default: break;
    }
}
