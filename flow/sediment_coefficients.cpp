// Neighbour coefficients of the suspended-sediment equations: the water's
// mass flux less the settling of the grains through every top face, upwind,
// with turbulent diffusion that falls off with the Peclet number only across
// horizontal faces.
//
// The sediment equations are fully implicit whatever F 61 says: the sediment
// step adds no explicit part, and the bed update books the settling at the
// full rate, so scaling the coefficients by 1 - theta would lose theta times
// the deposition from the mass balance.
#include <algorithm>
#include <cmath>

#include "flow/conductance.h"
#include "flow/flow_data.h"
#include "flow/flow_services.h"
#include "flow/surface_view.h"
#include "grid/grid_data.h"
#include "run/globals.h"
#include "sediment/sediment_data.h"

namespace {

constexpr double kDensity = 1000.0;

bool IsHorizontal(int t1, int t2) { return t1 == 5 || t1 == 6 || t2 == 5 || t2 == 6; }
bool IsTop(int t1, int t2) { return t1 == 6 || t2 == 6; }

// The per-surface rule, with the run's settings read once.
struct SedimentFaces : SurfaceView {
    const double* flux = Fflux.data();
    const double* visc = Ceddyvisc.data();
    const double* viscz = Ceddyviscz.data();
    double minGamma = MinGamma;
    double sideFactor = DiffusivityFactor;
    double bedFactor = BedDiffusivityFactor;
    double constSide = ConstEddyViscosity;
    double constBed = ConstEddyViscosityBed;
    bool constant = TurbulenceModel == 6;
    bool leastOnHorizontal = TurbDensFlag == 3;
    bool damped = TurbDensFlag > 0 && StratificationFactor > 0.0;

    // Eddy viscosity on surface s, each cell weighted by the other's distance.
    double Gamma(int s, int c1, int c2, bool horizontal) const {
        if (constant) return horizontal ? constBed : constSide;
        const double* nu = horizontal ? viscz : visc;
        return (dist1[s] * nu[c2] + dist2[s] * nu[c1]) / (dist1[s] + dist2[s] + 1e-20);
    }

    // Diffusion part of surface s carrying the net flux f.
    double Diffusion(int s, int c1, int c2, double f) const {
        if (c1 == 0 || c2 == 0) return 0.0;
        const bool horizontal = IsHorizontal(type1[s], type2[s]);
        double gamma = Gamma(s, c1, c2, horizontal);
        if (leastOnHorizontal && horizontal) gamma = minGamma;
        const double dc = area[s] * gamma / (dist1[s] + dist2[s] + 1e-20);
        double factor = sideFactor;
        if (horizontal) {
            factor = bedFactor * PowerLaw(std::fabs(f) / (dc + 1e-20));
            if (damped) factor *= ComputeStratificationDamping(c1, c2);
        }
        return std::max(factor, minGamma / (gamma + 1e-20)) * dc;
    }

    // Net flux through surface s for fall velocity w.
    double Flux(int s, double w) const {
        double f = flux[s];
        if (IsTop(type1[s], type2[s])) f -= kDensity * w * az[s];
        return f;
    }
};

// Assigns the two coefficients of surface s into the slot of each side.
inline void Assign(const Slots& slot, int s, const SedimentFaces& k, double f, double d) {
    if (k.cell1[s] > 0) {
        if (double* a = slot.at(k.type1[s])) a[k.cell1[s]] = std::max(-f, 0.0) + d;
    }
    if (k.cell2[s] > 0) {
        if (double* a = slot.at(k.type2[s])) a[k.cell2[s]] = std::max(f, 0.0) + d;
    }
}

void SplitFacePass() {
    if (SplitFaceFlag > 0) ComputeMultiNeighbourCoefficients();
}

}  // namespace

void AssembleSedimentCoefficients(int first, int last) {
    const SedimentFaces k;
    const Slots slot = CoefficientSlots();
    const double w = FallVelocity[1];
    for (int s = first; s <= last; ++s) {
        const double f = k.Flux(s, w);
        Assign(slot, s, k, f, k.Diffusion(s, k.cell1[s], k.cell2[s], f));
    }
    SplitFacePass();
}

void AssembleSedimentCoefficientsPerSize(int first, int last) {
    const int sizes = std::min(NoSizes, kMaxSizes);
    if (sizes >= 1 && CatMulti.exists() && CabMulti.exists() && CatMulti.extent1() > static_cast<size_t>(sizes) &&
        CabMulti.extent1() > static_cast<size_t>(sizes)) {
        const SedimentFaces k;
        const Slots side = CoefficientSlots();
        // The side faces carry no settling: their coefficients are the same
        // for every size and are written once.
        for (int s = first; s <= last; ++s) {
            if (IsHorizontal(k.type1[s], k.type2[s])) continue;
            const double f = k.flux[s];
            Assign(side, s, k, f, k.Diffusion(s, k.cell1[s], k.cell2[s], f));
        }
        for (int size = 1; size <= sizes; ++size) {
            const Slots vertical = {{nullptr, nullptr, nullptr, nullptr, nullptr, &CabMulti[size][0], &CatMulti[size][0]}};
            const double w = FallVelocity[size];
            for (int s = first; s <= last; ++s) {
                if (!IsHorizontal(k.type1[s], k.type2[s])) continue;
                const double f = k.Flux(s, w);
                Assign(vertical, s, k, f, k.Diffusion(s, k.cell1[s], k.cell2[s], f));
            }
        }
    }
    SplitFacePass();
}

void AssembleSedimentCoefficients2D(int first, int last) {
    const SedimentFaces k;
    const Slots slot = CoefficientSlots();
    const Slots side = {{nullptr, slot.a[1], slot.a[2], slot.a[3], slot.a[4], nullptr, nullptr}};
    for (int s = first; s <= last; ++s) {
        if (IsTop(k.type1[s], k.type2[s])) continue;
        const int c1 = k.cell1[s], c2 = k.cell2[s];
        double d = 0.0;
        if (c1 != 0 && c2 != 0) {
            const double gamma = k.Gamma(s, c1, c2, false);
            d = std::max(k.sideFactor, k.minGamma / (gamma + 1e-20)) * k.area[s] * gamma /
                (k.dist1[s] + k.dist2[s] + 1e-20);
        }
        Assign(side, s, k, k.flux[s], d);
    }
}
