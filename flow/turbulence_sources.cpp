// Production and dissipation of the k and epsilon (or omega) equations.
#include <cmath>

#include "flow/flow_data.h"
#include "flow/flow_services.h"
#include "flow/turbulence_common.h"
#include "grid/grid_data.h"
#include "run/globals.h"

namespace {

struct Vec3 {
    double x, y, z;
};

// Half the sum of the area vectors of two opposite faces of a cell.
inline Vec3 MeanArea(int s1, int s2) {
    return {0.5 * (Fareax[s1] + Fareax[s2]), 0.5 * (Fareay[s1] + Fareay[s2]), 0.5 * (Fareaz[s1] + Fareaz[s2])};
}

// Differences of U, V and W between the two faces of one direction of cell
// p; a missing neighbour gives its face the cell's own value.
struct FaceDifference {
    double u, v, w;
};

FaceDifference Across(int p, int plus, int minus, const double* half) {
    const int hi = plus > 0 ? plus : p;
    const int lo = minus > 0 ? minus : p;
    const double ae = half[p] / (half[p] + half[hi]);
    const double aw = half[p] / (half[p] + half[lo]);
    auto diff = [&](const Array1<double>& f) { return ae * f[hi] - aw * f[lo] + (aw - ae) * f[p]; };
    return {diff(Cu), diff(Cv), diff(Cw)};
}

// Density times the squared strain rate times the volume: the production of
// k in cell p (variant 0), or its reduced form (variant 1).
double Production(int p, int variant) {
    const FaceDifference di = Across(p, Ccelle[p], Ccellw[p], Cidist.data());
    const FaceDifference dj = Across(p, Ccelln[p], Ccells[p], Cjdist.data());
    const FaceDifference dk = Across(p, Ccellt[p], Ccellb[p], Ckdist.data());
    const Vec3 ai = MeanArea(Csurfe[p], Csurfw[p]);
    const Vec3 aj = MeanArea(Csurfs[p], Csurfn[p]);
    const Vec3 ak = MeanArea(Csurft[p], Csurfb[p]);
    const double gux = di.u * ai.x + dj.u * aj.x + dk.u * ak.x;
    const double guy = di.u * ai.y + dj.u * aj.y + dk.u * ak.y;
    const double gvx = di.v * ai.x + dj.v * aj.x + dk.v * ak.x;
    const double gvy = di.v * ai.y + dj.v * aj.y + dk.v * ak.y;
    const double gwx = di.w * ai.x + dj.w * aj.x + dk.w * ak.x;
    const double gwy = di.w * ai.y + dj.w * aj.y + dk.w * ak.y;
    const double guz = dk.u * ak.z, gvz = dk.v * ak.z, gwz = dk.w * ak.z;
    const double qn = gux * gux + gvy * gvy + gwz * gwz;
    const double qs = (guy + gvx) * (guy + gvx) + (guz + gwx) * (guz + gwx) + (gvz + gwy) * (gvz + gwy);
    const double strain = variant == 0 ? 2.0 * qn + qs : std::sqrt(std::fabs((2.0 * qn - qs) * (2.0 * qn + qs)));
    return strain * Ceddyvisc[p] / Cvol[p];
}

// Cap of the epsilon equation under the renormalisation-group constants.
double RngEpsilonSink(int p, double production) {
    const double k = Ck[p], eps = Cepsilon[p];
    const double nuVol = Cvol[p] * Ceddyvisc[p];
    // Without any viscosity the strain is unknown; take no strain.
    const double eta = nuVol > 0.0 ? std::sqrt(production / nuVol) * k / (eps + 1e-20) : 0.0;
    const double eta3 = eta * eta * eta;
    return (0.0845 * eta3 * (1.0 - eta / 4.38) / (1.0 + 0.012 * eta3) + 1.68) * 1000.0 * eps * Cvol[p] / (k + 1e-20);
}

}  // namespace

void AddTurbulenceSources(int first, int last) {
    const int model = TurbulenceModel;
    if (model >= 2 && model <= 7) return;
    double* const ap = Cap.data();
    double* const src = Csource.data();

    const int variant = TurbulenceProductionVariant;
    if (variant == 0 || variant == 1) {
        for (int p = first; p <= last; ++p) src[p] = IsWallCell(p) ? 0.0 : Production(p, variant);
    }

    // With F 121 the production stands alone, but the sink is still this
    // pass's own: Cap is never left with what an earlier pass put there.
    const bool productionOnly = F121Flag > 0;
    if (Equation == 5) {
        for (int p = first; p <= last; ++p) {
            const double eps = Cepsilon[p];
            ap[p] = model == 16 ? 1000.0 * 0.09 * eps * Cvol[p] : 1000.0 * eps * Cvol[p] / (Ck[p] + 1e-20);
        }
    } else if (Equation == 6) {
        const bool omega = model == 15 || model == 16;
        const double c1 = SplitsEpsilonPrandtl(model) ? 1.3 * C1eps : C1eps;
        for (int p = first; p <= last; ++p) {
            const double eps = Cepsilon[p], k = Ck[p] + 1e-20;
            const double production = src[p];
            if (omega) {
                ap[p] = 1000.0 * 0.072 * eps * Cvol[p];
                if (!productionOnly) src[p] = 0.52 * eps / k * production;
            } else if (model == 1) {
                ap[p] = RngEpsilonSink(p, production);
                if (!productionOnly) src[p] = 1.42 * eps / k * production;
            } else {
                ap[p] = 1000.0 * C2eps * eps * Cvol[p] / k;
                if (!productionOnly) src[p] = c1 * eps / k * production;
            }
        }
    }
}
