// Horizontal and vertical eddy viscosity of the cells from the turbulence
// model, the wind, the density stratification and the run's limits.
//
// Called once per chunk from the drivers' parallel regions. The models that
// work on whole water columns (wind model 7, the vertical models 8 to 13)
// gather the column's values from its bed cell for every cell of the range
// and write only the cells of the range, so the result does not depend on
// how the cells are cut into chunks. Wind model 5 takes its value from the
// first top cell of the active range, the same for every chunk.
#include <algorithm>
#include <cmath>

#include "flow/column_walk.h"
#include "flow/flow_data.h"
#include "flow/flow_services.h"
#include "flow/turbulence_common.h"
#include "grid/grid_data.h"
#include "quality/quality_data.h"
#include "run/globals.h"
#include "run/time_series.h"
#include "run/timei_data.h"

namespace {

// The k-epsilon value 90 k^2 / eps + m (84.5 for model 1), limited above.
inline double KEpsilonViscosity(double cmu1000, double k, double eps, double m) {
    return std::min(MaxEddyViscosity, cmu1000 * k * k / (eps + 1e-20) + m);
}

// Wind speed at the current time: the F 52 value, or the `timei` series.
double CurrentWindSpeed() {
    if (NoTimeiSteps > 0 && TimeiWind.exists()) {
        if (const auto at = LocateInTimei(stime)) return at->of([](int row) { return TimeiWind[row][0]; });
    }
    return WindSpeed[0];
}

// Friction velocity of the wind at the water surface.
double WindFrictionVelocity() {
    const double w = CurrentWindSpeed();
    double drag;
    switch (WindDragFormula) {
        case 0: {
            if (w <= 5.6) {
                drag = w * w;
            } else {
                const double gust = 1.0 - 5.6 / w;
                drag = w * w * (1.0 + 1.9 * gust * gust);
            }
            break;
        }
        case 1: drag = 1.1 * w * w; break;
        case 2:
            if (w < 1.0) {
                drag = 1.25 * w * std::sqrt(w);
            } else if (w < 15.0) {
                drag = 0.5 * w * w * std::sqrt(w);
            } else {
                drag = 2.6 * w * w;
            }
            break;
        default: drag = w; break;
    }
    return std::sqrt(0.0012 * drag * 0.001);
}

// The top cell that sets model 5's value: the first top cell of the active
// range (of the call's range when it lies outside the active one), or the
// top of the first cell's column when that range holds none.
int WindReferenceTopCell(int first, int last) {
    int from = first, to = last;
    if (FirstCell >= 1 && FirstCell <= first && last <= LastCell) {
        from = FirstCell;
        to = LastCell;
    }
    for (int c = from; c <= to; ++c) {
        if (Ccellt[c] == 0) return c;
    }
    int c = from;
    while (Ccellt[c] > 0) c = Ccellt[c];
    return c;
}

// Twice the sum of the half heights of the column above `bed`.
double ColumnDepth(int bed) { return 2.0 * HalfDepthAbove(bed); }

void WindViscosity(int first, int last, double m) {
    const double ustar = WindFrictionVelocity();
    double* const visc = Ceddyvisc.data();
    if (TurbulenceModel == 5) {
        const double value = m + 400.0 * Ckdist[WindReferenceTopCell(first, last)] * 0.5477 * ustar;
        for (int c = first; c <= last; ++c) visc[c] = value;
        return;
    }
    ForEachColumnRun(first, last, [&](int bed, int lowest) {
        const double value = m + 0.11 * ColumnDepth(bed) * 1000.0 * ustar;
        for (int c = lowest; InRun(c, first, last); c = Ccellt[c]) visc[c] = value;
    });
}

void BaseViscosity(int first, int last) {
    const int model = TurbulenceModel;
    const double m = MinGamma + ArtEddyVisc;
    const bool wind = (model == 5 || model == 7) && WindSpeed[0] > 1e-10;
    if (wind) {
        WindViscosity(first, last, m);
        return;
    }
    double* const visc = Ceddyvisc.data();
    const double* const k = Ck.data();
    const double* const eps = Cepsilon.data();
    const bool halfway = TrekantOption == 24;
    for (int c = first; c <= last; ++c) {
        double v;
        if (model == 4 || model == 6) {
            v = m;
        } else if (model == 15 || model == 16) {
            v = k[c] / (eps[c] + 1e-20);
        } else if (model == 1) {
            v = KEpsilonViscosity(84.5, k[c], eps[c], m);
        } else if (model == 5 || model == 7) {
            v = halfway ? 0.5 * visc[c] + 0.5 * KEpsilonViscosity(90.0, k[c], eps[c], m) : m;
        } else {
            v = KEpsilonViscosity(90.0, k[c], eps[c], m);
            if (halfway) v = 0.5 * visc[c] + 0.5 * v;
        }
        visc[c] = v;
    }
}

inline double CellDensity(int c) { return Components.exists() ? RelativeWaterDensity(Components[0][c]) : 1.0; }

inline double HorizontalSpeed(int c) { return std::sqrt(Cu[c] * Cu[c] + Cv[c] * Cv[c]); }

// Gradient Richardson number of cell p from its neighbours in the column;
// only stable stratification (lighter water above) counts.
double RichardsonNumber(int p) {
    const int above = Ccellt[p], below = Ccellb[p];
    double drho, ds, dz;
    if (below == 0 && above == 0) return 0.0;
    if (below == 0) {
        drho = CellDensity(above) - CellDensity(p);
        ds = HorizontalSpeed(above) - HorizontalSpeed(p) + 1e-8;
        dz = Ckdist[p] + Ckdist[above];
    } else if (above != 0) {
        drho = CellDensity(above) - CellDensity(below);
        ds = 0.5 * (HorizontalSpeed(above) - HorizontalSpeed(below)) + 1e-8;
        dz = 2.0 * Ckdist[p] + Ckdist[above] + Ckdist[below];
    } else {
        drho = CellDensity(p) - CellDensity(below);
        ds = HorizontalSpeed(p) - HorizontalSpeed(below) + 1e-8;
        dz = Ckdist[p] + Ckdist[below];
    }
    // A neutral column gives 0 even where the speeds are equal (0 / 0).
    if (!(drho < 0.0)) return 0.0;
    return std::max(-9.81 * drho * dz / (ds * ds), 0.0);
}

void RichardsonDamping(int first, int last) {
    const bool momentum = Equation >= 1 && Equation <= 3;
    const double e = momentum ? DampingExpMomentum : DampingExpScalar;
    const double coef = (momentum ? DampingCoefMomentum : DampingCoefScalar) * StratificationFactor;
    const double m = MinGamma + ArtEddyVisc;
    double* const visc = Ceddyvisc.data();
    for (int c = first; c <= last; ++c) {
        const double ri = RichardsonNumber(c);
        // Without stratification the factor is 1; an infinite Ri (equal
        // speeds) times a zero coefficient must not become NaN.
        if (ri == 0.0 || coef == 0.0) {
            visc[c] = std::max(visc[c], m);
            continue;
        }
        const double f = std::pow(std::pow(1.0 + coef * ri, e), 1.0 - DampingExponent);
        visc[c] = std::max(f * visc[c], m);
    }
}

// Low-Reynolds damping of the vertical viscosity near the bed (models 8, 9).
void LowReynoldsViscosity(int first, int last) {
    const bool model9 = TurbulenceModel == 9;
    ForEachColumnRun(first, last, [&](int bed, int lowest) {
        const double ustar = std::sqrt(0.3 * std::max(Ck[bed], 0.0));
        int n = 0;
        double sh = 0.0, ss = 0.0;
        for (int c = bed; c > 0; c = Ccellt[c]) {
            ++n;
            sh += Ckdist[c];
            ss += HorizontalSpeed(c);
        }
        const double re = 1e6 * 2.0 * sh * ss / n;
        // Height of the lowest cell's bottom above the bed.
        double y0 = 0.0;
        for (int c = bed; c != lowest; c = Ccellt[c]) y0 += 2.0 * Ckdist[c];
        for (int c = lowest; InRun(c, first, last); c = Ccellt[c]) {
            if (!(re < 3000.0)) {
                Ceddyviscz[c] = Ceddyvisc[c];
                continue;
            }
            const double y = y0 + Ckdist[c];
            const double yplus = ustar * y * 1e6;
            double f;
            if (model9) {
                const double rt = Ck[c] * Ck[c] * 1e6 / (Cepsilon[c] + 1e-20);
                const double wall = 1.0 - std::exp(-0.03846 * yplus);
                // Rt of 0 (k = 0) would make the factor infinite.
                f = wall * wall * (1.0 + 4.1 * std::pow(std::max(rt, 1e-20), -0.75));
            } else {
                f = 1.0 - std::exp(-0.0002 * yplus - 0.00065 * yplus * yplus);
            }
            Ceddyviscz[c] = std::max(f, 0.0) * Ceddyvisc[c] + 0.001;
            y0 = y + Ckdist[c];
        }
    });
}

enum class ShallowBlend { kCopy, kPlain, kMean };

bool HasAllSideNeighbours(int c) { return Ccelle[c] > 0 && Ccellw[c] > 0 && Ccelln[c] > 0 && Ccells[c] > 0; }

ShallowBlend ChooseShallowBlend(int bed, int top, double sh, double ustar) {
    if (!(ustar > 1e-10)) return ShallowBlend::kCopy;
    const int model = TurbulenceModel;
    if (model == 10 || model == 11) {
        const double ratio = sh / (std::sqrt(Farea[Csurfb[bed]]) + 1e-15);
        if (model == 11 && ratio < 0.05) return ShallowBlend::kPlain;
        return ratio < 0.1 ? ShallowBlend::kMean : ShallowBlend::kCopy;
    }
    if (model == 13 && HasAllSideNeighbours(top)) return ShallowBlend::kCopy;
    const double a = Barea.exists() ? Barea[Cbedcell[bed]] : Farea[Csurfb[bed]];
    if (sh / std::sqrt(a + 1e-15) < 0.1) return ShallowBlend::kPlain;
    if (sh / (std::sqrt(a) + 1e-15) < 0.2) return ShallowBlend::kMean;
    return ShallowBlend::kCopy;
}

// Vertical viscosity of shallow columns blended with the depth-averaged
// value (models 10 to 13).
void ShallowColumnViscosity(int first, int last) {
    ForEachColumnRun(first, last, [&](int bed, int lowest) {
        double sh = 0.0;
        int top = bed;
        for (int c = bed; c > 0; c = Ccellt[c]) {
            sh += Ckdist[c];
            top = c;
        }
        const double ustar = std::sqrt(0.3 * std::max(Ck[bed], 0.0));
        const double d = 0.11 * ustar * 2.0 * sh * 1000.0;
        const ShallowBlend blend = ChooseShallowBlend(bed, top, sh, ustar);
        for (int c = lowest; InRun(c, first, last); c = Ccellt[c]) {
            switch (blend) {
                case ShallowBlend::kPlain: Ceddyviscz[c] = d + 0.001; break;
                case ShallowBlend::kMean: Ceddyviscz[c] = std::sqrt(Ceddyvisc[c] * d) + 0.001; break;
                case ShallowBlend::kCopy: Ceddyviscz[c] = Ceddyvisc[c]; break;
            }
        }
    });
}

bool NeedsLayerBlockViscosity() { return AppendedBlockFlag == 1 || LayerBlockOption == 1; }

bool NeedsBedViscosity() {
    return F290Value1 > 1e-10 || F281Option == 1 || F281Option == 2 || F144Option == 2 || F144Option == 4 ||
           LayerBlockOption >= 1;
}

}  // namespace

void ComputeEddyViscosity(int first, int last) {
    const int model = TurbulenceModel;
    if (first <= last) {
        BaseViscosity(first, last);
        if (Equation == 6 && DividesEpsilonViscosity(model)) {
            for (int c = first; c <= last; ++c) Ceddyvisc[c] *= 0.7692;
        }
        if (TurbDensFlag > 0) RichardsonDamping(first, last);
    }
    if (NeedsLayerBlockViscosity()) SetLayerBlockViscosity(first, last);
    if (first > last) return;

    const bool columnModel = model >= 8 && model <= 13;
    // Every model without a vertical model of its own mixes vertically as it
    // does horizontally, k-omega and models 14 to 20 included.
    if (F121Flag == 0 && !columnModel) {
        for (int c = first; c <= last; ++c) Ceddyviscz[c] = Ceddyvisc[c];
    }
    if (model == 8 || model == 9) LowReynoldsViscosity(first, last);
    if (model >= 10 && model <= 13) ShallowColumnViscosity(first, last);

    if (ArtificialViscosity > 0.001) {
        for (int c = first; c <= last; ++c) {
            Ceddyvisc[c] += ArtificialViscosity;
            Ceddyviscz[c] += ArtificialViscosity;
        }
    }
    if (VerticalEddyViscFactor > 1.01 || VerticalEddyViscFactor < 0.99) {
        for (int c = first; c <= last; ++c) Ceddyviscz[c] *= VerticalEddyViscFactor;
    }
    if (HorizontalEddyViscFactor > 1.01 || HorizontalEddyViscFactor < 0.99) {
        for (int c = first; c <= last; ++c) Ceddyvisc[c] *= HorizontalEddyViscFactor;
    }
    if (NeedsBedViscosity()) AddBedViscosity(first, last);
}
