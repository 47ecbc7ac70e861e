// The conductance of a surface and the coefficient slots of its sides, shared
// by the first- and second-order coefficient passes.
#pragma once

#include <algorithm>
#include <cmath>
#include <utility>

#include "flow/face_interpolation.h"
#include "flow/flow_data.h"
#include "flow/flow_services.h"
#include "flow/surface_view.h"
#include "grid/grid_data.h"
#include "run/globals.h"

inline double PrandtlFactor() {
    if ((TurbulenceModel == 15 || TurbulenceModel == 16) && Equation > 3) return 0.5;
    if (TurbulenceModel == 1 && Equation > 3) return 1.3900472616068946;
    if (TurbulenceModel == 14 && Equation == 5) return 1.5;
    return 1.0;
}

// Power-law weight of the diffusion at Peclet number pe: none from 10 on.
inline double PowerLaw(double pe) {
    if (pe >= 10.0) return 0.0;
    const double a = 1.0 - 0.1 * pe;
    return a * a * a * a * a;
}

// The coefficient slot of each side type (1 south .. 6 top); type 0 or any
// other value has none. The far slots follow the same order.
struct Slots {
    double* a[7];
    double* at(int type) const { return type >= 1 && type <= 6 ? a[type] : nullptr; }
};

inline Slots CoefficientSlots() {
    return {{nullptr, Cas.data(), Cae.data(), Can.data(), Caw.data(), Cab.data(), Cat.data()}};
}

inline Slots FarCoefficientSlots() {
    return {{nullptr, Cass.data(), Caee.data(), Cann.data(), Caww.data(), Cabb.data(), Catt.data()}};
}

// What both coefficient passes share: the conductance of one surface. The
// settings are read once: the coefficient stores of the loops are doubles
// too, and would otherwise make the compiler read every setting again for
// every surface.
struct Conductance : SurfaceView {
    const double* flux = Fflux.data();
    const double* visc = Ceddyvisc.data();
    const double* viscz = Ceddyviscz.data();
    double sigma = PrandtlFactor();
    double minGamma = MinGamma;
    double diffusivity = DiffusivityFactor;
    double bedDiffusivity = BedDiffusivityFactor;
    double constBed = ConstEddyViscosityBed;
    double constSide = ConstEddyViscosity;
    bool leastOnHorizontal = TurbDensFlag == 3;
    bool constant = TurbulenceModel == 6;
    bool damped = TurbDensFlag > 0 && StratificationFactor > 0.0;
    bool extra = ExtraDiffusionOption > 0;

    static bool Horizontal(int t1, int t2) { return t1 == 5 || t2 == 5; }

    // Gamma of surface s; horizontal says which viscosity and limits apply.
    template <bool kConstant>
    double Gamma(int s, int c1, int c2, bool horizontal) const {
        double g;
        if constexpr (kConstant) {
            g = horizontal ? constBed : constSide;
        } else {
            const double* nu = horizontal ? viscz : visc;
            g = FaceValue(dist1[s], dist2[s], nu[c1], nu[c2]);
        }
        if ((leastOnHorizontal && horizontal) || g <= minGamma) g = minGamma;
        return g;
    }

    // The conductance of inner surface s with flux f. `keepLeast` keeps a
    // damped horizontal face at the least viscosity at least. The template
    // arguments repeat `constant`, `damped` and `extra`.
    template <bool kConstant, bool kDamped, bool kExtra>
    double D(int s, int c1, int c2, double f, bool keepLeast) const {
        const bool horizontal = Horizontal(type1[s], type2[s]);
        const double w = 1.0 / (dist1[s] + dist2[s] + 1e-20);
        const double gamma = Gamma<kConstant>(s, c1, c2, horizontal);
        const double d0 = gamma * area[s] * w * sigma;
        double factor = diffusivity;
        if (horizontal) {
            factor = bedDiffusivity * PowerLaw(std::fabs(f / (d0 + 1e-20)));
            if constexpr (kDamped) {
                factor *= ComputeStratificationDamping(c1, c2);
                if (keepLeast) factor = std::max(factor, minGamma / gamma);
            }
        }
        double d = d0 * factor;
        if constexpr (kExtra) {
            if (c1 > 0 && c2 > 0) d += ComputeFaceExtraDiffusion(s, c1, c2);
        }
        return d;
    }

    // The conductance of the second-order passes: no power-law weight, and
    // the face factor never takes the conductance below the least viscosity.
    template <bool kConstant, bool kDamped, bool kExtra>
    double DUnweighted(int s, int c1, int c2) const {
        const bool horizontal = Horizontal(type1[s], type2[s]);
        const double w = 1.0 / (dist1[s] + dist2[s] + 1e-20);
        const double gamma = Gamma<kConstant>(s, c1, c2, horizontal);
        const double d0 = gamma * area[s] * w * sigma;
        double factor = horizontal ? bedDiffusivity : diffusivity;
        if constexpr (kDamped) {
            if (horizontal) factor *= ComputeStratificationDamping(c1, c2);
        }
        double d = d0 * std::max(factor, minGamma / (gamma + 1e-30));
        if constexpr (kExtra) d += ComputeFaceExtraDiffusion(s, c1, c2);
        return d;
    }

    // Calls loop.template operator()<kConstant, kDamped, kExtra>() with the
    // switches of this run; kBits counts through their combinations.
    template <class Loop, int kBits = 0>
    void Dispatch(Loop&& loop) const {
        if constexpr (kBits < 8) {
            constexpr bool kConstant = kBits & 1, kDamped = kBits & 2, kExtra = kBits & 4;
            if (constant == kConstant && damped == kDamped && extra == kExtra) {
                loop.template operator()<kConstant, kDamped, kExtra>();
            } else {
                Dispatch<Loop, kBits + 1>(std::forward<Loop>(loop));
            }
        }
    }
};

