// Reaction kinetics of a water-quality component: light- and
// nutrient-limited growth and losses, light fields, buoyancy and settling,
// and state variables integrated explicitly and imposed as fixed values.
// Rates are per day; the terms of one pass are exact for a rate held over
// the pass, so a steady run (time step 1e-20) gets none of them.
#include <algorithm>
#include <cmath>
#include <vector>

#include "quality/component_terms.h"
#include "run/timei_data.h"

namespace {

// The types in the order their terms are added: a later fixed value by
// assignment overrides what earlier types added.
constexpr int kKineticTypes[] = {152, 162, 81, 42, 6100, 281, 361, 252, 291, 371, 261,
                                 121, 272, 151, 161, 282, 132, 133, 113, 221, 131, 51};

constexpr double kWaterViscosity = 1e-6;
constexpr int kMaxLightPairs = 5;

double Q(const QDataSetRecord& r, int i) { return r.rvalue[i - 1]; }

// Kinematic viscosity of water (m2/s) at t degrees C.
double ViscosityAt(double t) { return kWaterViscosity * std::exp(0.55234 - 0.026668 * t); }

// Stokes velocity (m/s, upwards positive) of a particle of relative
// density s: diameter q1 and shape factor q2.
double StokesVelocity(double s, double nu, double q1, double q2) { return (1.0 - s) * 0.545 / nu * (q1 / q2) * q1; }

double Within(double v, double lo, double hi) { return std::min(std::max(v, lo), hi); }

// The per-call state: the time step and the light at the surface.
struct Kinetics {
    ComponentStep s;
    double surfaceLight;

    // Attenuation of the light down to the centre of cell c, at most 1.
    static double Attenuation(double kappa, int c) { return std::min(std::exp(-kappa * LightPath(c)), 1.0); }
    // L: the light at the centre of cell c, never negative.
    double Light(double kappa, int c) const { return std::max(Attenuation(kappa, c) * surfaceLight, 0.0); }

    void Grow(int c, double mu) const { Csource[c] += DailyRateTerm(mu, s, c) * ValueOf(s.k, c); }
    void Lose(int c, double mu, double factor) const {
        Csource[c] -= DailyRateTerm(factor * mu, s, c) * ValueOf(s.k, c);
    }
    static void Assign(int c, double v) {
        Csource[c] = v * kFixedWeight;
        Cap[c] = kFixedWeight;
    }
    static void Add(int c, double v) {
        Csource[c] += v * kFixedWeight;
        Cap[c] += kFixedWeight;
    }
    double Ck(int c) const { return ValueOf(s.k, c); }
    double Transport(int c, double w) const { return std::max(Ck(c), 0.0) * TopArea(c) * w; }

    // Light-limited rate q (1 - exp(-L / half)).
    static double LightLimit(double q, double light, double half) { return q * (1.0 - std::exp(-light / (half + 1e-30))); }
    // Explicit step of a state limited to lo..hi.
    double State(int c, double light, double gain, double half, double loss, double drift, double lo,
                 double hi) const {
        return Within((gain * light / (half + light + 1e-30) - loss - drift) * s.dt + Ck(c), lo, hi);
    }

    void Apply(const QDataSetRecord& r, int c) const;
    double LightField(const QDataSetRecord& r, int c) const;
};

double Kinetics::LightField(const QDataSetRecord& r, int c) const {
    double e = 1.0;
    const int pairs = std::clamp(r.ivalue[0], 0, kMaxLightPairs);
    for (int m = 1; m <= pairs; ++m) {
        const double kappa = Q(r, 2 * m - 1) * ValueOf(r.ivalue[m], c) + Q(r, 2 * m);
        e = std::min(e * Attenuation(kappa, c), 1.0);
    }
    return std::max(e * surfaceLight, 0.0);
}

void Kinetics::Apply(const QDataSetRecord& r, int c) const {
    const int a = r.ivalue[0], b = r.ivalue[1], cc = r.ivalue[2];
    auto q = [&](int i) { return Q(r, i); };
    auto v = [&](int comp) { return ValueOf(comp, c); };
    const double ck = Ck(c);
    switch (r.qtype) {
        case 152:
            Grow(c, Within(LightLimit(q(2), Light(q(1), c), q(3)), q(4), q(5)));
            break;
        case 162:
            Grow(c, Within(LightLimit(q(3), Light(q(1) * v(a) + q(2), c), q(4)), q(5), q(6)));
            break;
        case 81: {
            const double light = Light(q(1) * ck + q(2), c);
            const double x = State(c, light, q(3), q(6), q(4) * light, q(5), 0.7, 1.5);
            const double nu = TemperatureFlag == 1 ? ViscosityAt(CellTemperature(c)) : kWaterViscosity;
            TransferFrom(c, Transport(c, (1.0 - x) * 0.545 / nu * (q(7) / q(8)) * q(7)));
            break;
        }
        case 42: Grow(c, LightLimit(q(3), Light(q(1) * ck + q(2), c), q(4))); break;
        case 6100: Add(c, LightField(r, c)); break;
        case 281: {
            const double light = Light(q(1) * ck + q(2), c);
            const double mu = std::min({LightLimit(q(3), light, q(4)), q(5) * Saturation(v(a), q(6)),
                                        q(5) * Saturation(v(b), q(7))});
            Grow(c, mu * ThetaFactor(q(8), c));
            break;
        }
        case 361: {
            const double mu = std::min({LightLimit(q(1), v(a), q(2)), q(3) * Saturation(v(b), q(4)),
                                        q(3) * Saturation(v(cc), q(5))});
            Grow(c, mu * ThetaFactor(q(6), c));
            break;
        }
        case 252: {
            const double mu = std::min(LightLimit(q(1), v(a), q(2)), q(3) * Saturation(v(b), q(4)));
            Grow(c, mu * ThetaFactor(q(5), c));
            break;
        }
        case 291: {
            const double light = Light(q(1) * v(a) + q(2), c);
            const double mu = std::min({LightLimit(q(3), light, q(4)), q(5) * Saturation(ck, q(6)),
                                        q(5) * Saturation(v(b), q(7))});
            Lose(c, mu * ThetaFactor(q(8), c), q(9));
            break;
        }
        case 371: {
            const double mu = std::min({LightLimit(q(1), v(a), q(2)), q(3) * Saturation(ck, q(4)),
                                        q(3) * Saturation(v(b), q(5))});
            Lose(c, mu * ThetaFactor(q(6), c), q(7));
            break;
        }
        case 261: {
            const double mu = std::min(LightLimit(q(1), v(a), q(2)), q(3) * Saturation(ck, q(4)));
            Lose(c, mu * ThetaFactor(q(5), c), q(6));
            break;
        }
        case 121:
            // No theta on the data set: the record's sixth value (0 as read)
            // counts as none.
            Csource[c] += DailyRateTerm(q(1) * v(a) * ck * ThetaFactor(q(6), c), s, c);
            break;
        case 272: {
            const double light = Light(q(1) * v(a) + q(2), c);
            const double mu = std::min(LightLimit(q(3), light, q(4)), v(b) / (q(5) + v(b) + 1e-30));
            Grow(c, Within(mu, q(6), q(7)));
            break;
        }
        case 151: {
            const double light = Light(q(1), c);
            Assign(c, State(c, light, q(2), q(5), q(3) * light, q(4), 0.7, 1.5));
            break;
        }
        case 161: {
            const double light = Light(q(1) * v(a) + q(2), c);
            Assign(c, State(c, light, q(3), q(6), q(4) * light, q(5), 0.7, 1.5));
            break;
        }
        case 282: {
            const double light = Light(q(1) * v(a) + q(2), c);
            Assign(c, State(c, light, q(3), q(6), q(4) * v(b), q(5), q(7), q(8)));
            break;
        }
        case 132: {
            const double rate = std::min(s.dt / q(3), 1.0);
            Assign(c, rate * Light(q(1) * v(a) + q(2), c) + (1.0 - rate) * ck);
            break;
        }
        case 133:
            Csource[c] += std::min(s.dt / q(3), 1.0) * (Light(q(1) * v(a) + q(2), c) - ck) * CellMass(c) / s.dt;
            break;
        case 113:
            // The time constant is the record's third value, which the data
            // set does not give: 0 as read, so the component relaxes fully
            // within one step.
            Csource[c] += std::min(s.dt / q(3), 1.0) * (v(a) - ck) * CellMass(c) / s.dt;
            break;
        case 221:
            TransferFrom(c, Transport(c, StokesVelocity(v(a), ViscosityAt(v(b)), q(1), q(2))));
            break;
        case 131: {
            const double reach = 2.0 * Ckdist[c] / (s.dt + 1e-30);
            const double w = Within(StokesVelocity(v(a), ViscosityAt(q(3)), q(1), q(2)), -reach, reach);
            TransferFrom(c, Transport(c, w));
            break;
        }
        case 51: {
            const double g = Within((q(3) - Light(q(1) * ck + q(2), c)) / q(5), -1.0, 1.0);
            TransferFrom(c, Transport(c, g * q(4)));
            break;
        }
        default: break;
    }
}

}  // namespace

void ComputeKinetics() {
    const ComponentStep s = CurrentComponentStep();
    if (s.k < 0 || s.k >= NoComponents) return;
    const Kinetics kinetics{s, TimeiSeriesNow(TimeiKinetics)};
    const int records = std::clamp(NoQDataSets, 0, kQDataSets);
    for (int type : kKineticTypes) {
        for (int i = 0; i < records; ++i) {
            const QDataSetRecord& r = QDataSets[i];
            if (r.component != s.k || r.qtype != type) continue;
            for (int c = 1; c <= NoCells; ++c) kinetics.Apply(r, c);
        }
    }
}
