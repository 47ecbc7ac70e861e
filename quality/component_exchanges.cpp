#include "quality/component_exchanges.h"

#include <algorithm>
#include <cmath>

#include "run/time_series.h"
#include "run/timei_data.h"

namespace {

double Q(const QDataSetRecord& r, int i) { return r.rvalue[i - 1]; }

// Long-wave radiation constant in J/(m2 day K4): the heat balance is kept
// per day and turned into a rate per second at the end.
constexpr double kStefanBoltzmannPerDay = 0.0049;
constexpr double kSpecificHeat = 4186.0;  // J/(kg K)
constexpr double kKelvin = 273.0;

double Fourth(double x) { return (x * x) * (x * x); }

// Saturation vapour pressure (mmHg) over water at t degrees C (Tetens).
double SaturationVapourPressure(double t) { return 4.596 * std::exp(17.27 * t / (t + 237.3)); }

double WindNow() {
    const auto at = LocateInTimei(stime);
    if (!at || !TimeiWind.exists()) return 0.0;
    return at->of([](int row) { return TimeiWind[row][0]; });
}

// Net heat flux through the water surface, J/(m2 day): short-wave and
// atmospheric long-wave in, back radiation, conduction and evaporation out.
// Evaporation takes heat away while the water's saturation pressure exceeds
// the air's vapour pressure q3. The temperature source (kg C/s) is the flux
// per second over the top area, divided by the specific heat.
void AddSurfaceHeatExchange(const QDataSetRecord& r) {
    const double solar = TimeiSeriesNow(TimeiKinetics);
    const double air = TimeiSeriesNow(TimeiComponentIn);
    const double wind = WindNow();
    const double q1 = Q(r, 1), q2 = Q(r, 2), q3 = Q(r, 3), q4 = Q(r, 4), q5 = Q(r, 5), q6 = Q(r, 6);
    const double incoming =
        q1 * solar + (1.0 - q4) * (0.031 * std::sqrt(q3) + q2) * kStefanBoltzmannPerDay * Fourth(air + kKelvin);
    for (int c = 1; c <= NoCells; ++c) {
        if (!IsTopCell(c)) continue;
        const double t = CellTemperature(c);
        const double h = incoming - kStefanBoltzmannPerDay * q5 * Fourth(t + kKelvin) - wind * q6 * (t - air) -
                         wind * (SaturationVapourPressure(t) - q3);
        Csource[c] += h * kPerDay * TopArea(c) / kWaterDensity / kSpecificHeat;
    }
}

// Exchange with the bed by a fixed-point iteration per water column on its
// bed cell, with three work values per column (rows b, c and d of
// ComponentWork). Each column starts its running values afresh, from its
// last x (or 1 before it has one); a column whose flux is not positive
// gets no source and keeps its work values.
void AddBedIteration(const QDataSetRecord& r) {
    const int a = r.ivalue[0], rb = r.ivalue[1], rc = r.ivalue[2], rd = r.ivalue[3];
    if (!ComponentWork.exists() || !Bcellt.exists()) return;
    const int rows = static_cast<int>(ComponentWork.extent1());
    if (rb < 0 || rc < 0 || rd < 0 || rb >= rows || rc >= rows || rd >= rows) return;
    const int columns = std::min({NoBedCells, static_cast<int>(ComponentWork.extent2()) - 1,
                                  static_cast<int>(Bcellt.size()) - 1});
    const double q1 = Q(r, 1), q2 = Q(r, 2), q3 = Q(r, 3), q4 = Q(r, 4), q5 = Q(r, 5), q7 = Q(r, 7),
                 q8 = Q(r, 8), q9 = Q(r, 9);
    const double p = 0.5 * q5 / q4;
    constexpr int kMaxSteps = 100;
    constexpr double kSettled = 0.01;
    for (int col = 1; col <= columns; ++col) {
        const int c = Bcellt[col];
        if (!IsGridCell(c)) continue;
        const double ca = ValueOf(a, c), ck = ValueOf(r.component, c);
        const double wb = ComponentWork[rb][col], wc = ComponentWork[rc][col];
        double x = ComponentWork[rd][col] > 0.0 ? ComponentWork[rd][col] : 1.0;
        double u = 0.0, v = 0.0, f = 0.0, next = x;
        for (int step = 0; step < kMaxSteps; ++step) {
            const double s = p / (0.5 * q5 / x + p + q2 * x);
            u = q7 * ca / q4 + wb - q1 * u;
            v = v * (s - 1.0) * p / q4 + q1 * q3 * ca + wc;
            f = q9 * x * s * u + q3 * q8 * x * s * v;
            if (!(f > 0.0)) break;
            next = q5 * ck / f;
            if (!(next > 0.0) || (next - x) / (x + next) < kSettled) break;
            x = next;
        }
        if (!(f > 0.0) || !std::isfinite(f)) continue;
        ComponentWork[rb][col] = u;
        ComponentWork[rc][col] = v;
        ComponentWork[rd][col] = next;
        Csource[c] -= q2 * BedArea(c) * f;
    }
}

}  // namespace

void AddExchangeTerms(const QDataSetRecord& r, const ComponentStep& s) {
    const int k = r.component, a = r.ivalue[0];
    const double q1 = Q(r, 1), q2 = Q(r, 2), q3 = Q(r, 3);
    switch (r.qtype) {
        case 2030:
            for (int c = 1; c <= NoCells; ++c) {
                const double excess = 300.0 * Ck[c] - q1;
                if (IsBedCell(c) && excess > 0.0) Csource[c] += std::pow(excess, q3) * BedArea(c) * q2;
            }
            break;
        case 1060: AddSurfaceHeatExchange(r); break;
        case 123:
            for (int c = 1; c <= NoCells; ++c) {
                const double ck = ValueOf(k, c);
                TransferFrom(c, std::max(ValueOf(a, c) * Saturation(ck, q1), 0.0) * q1 * TopArea(c));
            }
            break;
        case 1102:
            for (int c = 1; c <= NoCells; ++c) {
                if (IsTopCell(c)) Csource[c] += Ceddyvisc[c] * q2 * TopArea(c) * (q1 - ValueOf(k, c));
            }
            break;
        case 122:
            // The data set gives no theta: the record's sixth value, 0 as
            // read, counts as none.
            for (int c = 1; c <= NoCells; ++c) {
                const double rate = q1 * ValueOf(a, c) * ValueOf(k, c) * ThetaFactor(Q(r, 6), c);
                Csource[c] += DailyRateTerm(rate, s, c);
            }
            break;
        case 11:
            for (int c = 1; c <= NoCells; ++c) TransferFrom(c, std::max(ValueOf(k, c), 0.0) * q1 * TopArea(c));
            break;
        case 2149: AddBedIteration(r); break;
        default: break;
    }
}
