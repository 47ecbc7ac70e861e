// Baroclinic forces of a temperature-dependent density: horizontal density
// differences push the water of each column, and stable stratification damps
// vertical motion. Every method works on whole water columns from their top
// cells and gives a column only the part of its force that varies with
// depth: the depth mean is the pressure field's business.
#include <algorithm>
#include <cmath>
#include <vector>

#include "flow/flow_data.h"
#include "flow/flow_services.h"
#include "grid/grid_data.h"
#include "quality/quality_data.h"
#include "run/globals.h"

namespace {

constexpr double kLevelTolerance = 1e-7;

// Relative densities of the cells of the pass (slot 0 for the missing cell),
// formed once per call: the walks read every cell several times.
struct Densities {
    std::vector<double> rho;
    const double* temperature = nullptr;

    void Refresh() {
        temperature = &Components[0][0];
        rho.assign(static_cast<size_t>(NoCells) + 1, 0.0);
        for (int c = 1; c <= NoCells; ++c) rho[c] = RelativeWaterDensity(temperature[c]);
    }
    double of(int c) const { return c > 0 ? rho[c] : 0.0; }
    double h(int c) const { return c > 0 ? Ckdist[c] : 0.0; }
    double w(int c) const { return c > 0 ? rho[c] * Ckdist[c] : 0.0; }
};

Densities& Field() {
    static Densities d;
    return d;
}

// Difference across a cell from its plus and minus sides: central with both,
// one-sided against the cell's own value with one, nothing with none.
double SideDelta(double plus, double minus, double own, bool hasPlus, bool hasMinus) {
    if (hasPlus && hasMinus) return (plus - minus) * 0.5;
    if (hasPlus) return plus - own;
    if (hasMinus) return own - minus;
    return 0.0;
}

// The side areas of the momentum component: x parts for U, y parts for V.
struct SideAreas {
    const double* a = Equation == 1 ? Fareax.data() : Fareay.data();
    double i(int c) const { return a[Csurfe[c]] + a[Csurfw[c]]; }
    double j(int c) const { return a[Csurfn[c]] + a[Csurfs[c]]; }
    double Force(int c, double di, double dj) const { return 9810.0 * 0.5 * (i(c) * di + j(c) * dj); }
};

// A cell with a side neighbour whose centre lies at another level.
bool SideLevelsDiffer(int c) {
    const double z = Czcenter[c];
    for (const int nb : {Ccelle[c], Ccellw[c], Ccelln[c], Ccells[c]}) {
        if (nb != 0 && std::fabs(Czcenter[nb] - z) > kLevelTolerance) return true;
    }
    return false;
}

// One step down a column for the level-wise methods: the density-weighted
// depth from the surface to the centre of the cell, in the cell's own column
// and in the columns beside it, grows by the half cells above and below each
// level; its differences across the cell sum up to Di and Dj.
struct LevelWalk {
    int prev = 0, prevE = 0, prevW = 0, prevN = 0, prevS = 0;
    double di = 0.0, dj = 0.0;
    double gEminusP = 0.0, gNminusP = 0.0;  // the increments east and north less the own one
    bool hasE = false, hasN = false;

    void Step(int c, const Densities& d) {
        const int e = Ccelle[c], wst = Ccellw[c], n = Ccelln[c], s = Ccells[c];
        const double gP = d.w(prev) + d.w(c);
        const double gE = d.w(prevE) + d.w(e), gW = d.w(prevW) + d.w(wst);
        const double gN = d.w(prevN) + d.w(n), gS = d.w(prevS) + d.w(s);
        hasE = e >= 1;
        hasN = n >= 1;
        di += SideDelta(gE, gW, gP, hasE, wst >= 1);
        dj += SideDelta(gN, gS, gP, hasN, s >= 1);
        gEminusP = gE - gP;
        gNminusP = gN - gP;
        prev = c;
        prevE = e;
        prevW = wst;
        prevN = n;
        prevS = s;
    }
};

// Calls f(cell, force, walk) for the cells of the column below `top` that
// the level-wise method treats.
template <class F>
void WalkLevels(int top, bool stopAtMismatch, const SideAreas& areas, F f) {
    const Densities& d = Field();
    LevelWalk walk;
    for (int c = top, steps = 0; c > 0 && steps < NoCells; c = Ccellb[c], ++steps) {
        if (stopAtMismatch && SideLevelsDiffer(c)) break;
        walk.Step(c, d);
        f(c, areas.Force(c, walk.di, walk.dj), walk);
    }
}

void LevelWiseColumn(int top, bool stopAtMismatch, const SideAreas& areas) {
    const Densities& d = Field();
    double fcol = 0.0, depth = 0.0, mi = 0.0, mj = 0.0, hE = 0.0, mE = 0.0, hN = 0.0, mN = 0.0, sE = 0.0, sN = 0.0;
    WalkLevels(top, stopAtMismatch, areas, [&](int c, double force, const LevelWalk& walk) {
        const double h = d.h(c);
        fcol += force;
        depth += h;
        mi += walk.di * h;
        mj += walk.dj * h;
        if (walk.hasE) {
            sE += walk.gEminusP;
            hE += h;
            mE += sE * h;
        }
        if (walk.hasN) {
            sN += walk.gNminusP;
            hN += h;
            mN += sN * h;
        }
    });
    if (!(depth > 0.0)) return;
    const bool gradients = Cdrhodi.exists() && Cdrhodj.exists() && Fdensgrad.exists();
    double rE = -mE / (hE + 1e-30), rN = -mN / (hN + 1e-30);
    const double factor = StratificationFactor;
    WalkLevels(top, stopAtMismatch, areas, [&](int c, double force, const LevelWalk& walk) {
        Csource[c] -= (force - fcol * d.h(c) / depth) * factor;
        if (!gradients) return;
        Cdrhodi[c] = walk.di - mi / depth;
        Cdrhodj[c] = walk.dj - mj / depth;
        if (walk.hasE) {
            rE += walk.gEminusP;
            Fdensgrad[Csurfw[c]] = rE;
        }
        if (walk.hasN) {
            rN += walk.gNminusP;
            Fdensgrad[Csurfn[c]] = rN;
        }
    });
}

// The four side directions: the neighbour arrays east, west, north, south.
const Array1<int>* const kSides[4] = {&Ccelle, &Ccellw, &Ccelln, &Ccells};

void ColumnMeanColumn(int top, const SideAreas& areas) {
    const Densities& d = Field();
    double hh = 0.0, wOwn = 0.0, wSide[4] = {}, hSide[4] = {};
    int side[4];
    for (int k = 0; k < 4; ++k) side[k] = (*kSides[k])[top];
    int bottom = top;
    for (int c = top, steps = 0; c > 0 && steps < NoCells; c = Ccellb[c], ++steps) {
        bottom = c;
        hh += d.h(c);
        wOwn += d.w(c);
        for (int k = 0; k < 4; ++k) {
            wSide[k] += d.w(side[k]);
            hSide[k] += d.h(side[k]);
            if (side[k] > 0) side[k] = Ccellb[side[k]];
        }
    }
    if (!(hh > 0.0)) return;
    double mean[4];
    for (int k = 0; k < 4; ++k) mean[k] = wSide[k] / (hSide[k] + 1e-30);
    const double own = wOwn / hh;
    const double dI = SideDelta(mean[0], mean[1], own, Ccelle[bottom] >= 1, Ccellw[bottom] >= 1);
    const double dJ = SideDelta(mean[2], mean[3], own, Ccelln[bottom] >= 1, Ccells[bottom] >= 1);
    const double favg = hh * (areas.j(bottom) * dJ + areas.i(bottom) * dI) * 9810.0 * hh * 0.5 / d.h(bottom);
    const double factor = StratificationFactor;
    double r = 1.0;
    if (F69Int1 == 3) {
        double sloc = 0.0;
        WalkLevels(top, false, areas, [&](int, double force, const LevelWalk&) { sloc += force; });
        r = favg / (factor * sloc - 1e-30);
        // A zero sum gives a NaN or infinite ratio; it takes the lower limit.
        if (!(r > 0.1)) r = 0.1;
        if (r >= 1.0) r = 1.0;
    }
    WalkLevels(top, false, areas, [&](int c, double force, const LevelWalk&) {
        Csource[c] -= (force * r - favg * d.h(c) / hh) * factor;
    });
}

// The density of a column at the level z, searched downwards from `start`:
// linear between the centres around z. Above the top cell's centre or below
// the bed cell's there is no second cell, and the nearest cell's density
// holds; `found` is false when z lies below the column.
struct LevelDensity {
    bool found;
    double rho;
};

LevelDensity DensityAtLevel(int start, double z) {
    const Densities& d = Field();
    if (start <= 0) return {false, 0.0};
    int x = start, last = start;
    for (int steps = 0; x > 0 && !(Czcenter[x] < z) && steps < NoCells; ++steps) {
        last = x;
        x = Ccellb[x];
    }
    if (x <= 0) return {false, d.of(last)};
    const int u = Ccellt[x];
    if (u <= 0) return {true, d.of(x)};
    const double lambda = (Czcenter[u] - z) / (Czcenter[u] - Czcenter[x] + 1e-30);
    return {true, RelativeWaterDensity(lambda * d.temperature[x] + (1.0 - lambda) * d.temperature[u])};
}

int TopOfColumn(int c) {
    for (int steps = 0; c > 0 && Ccellt[c] > 0 && steps < NoCells; ++steps) c = Ccellt[c];
    return c;
}

// Calls f(cell, force) down the column below `top`, the force from the
// density integrals of the neighbour columns taken along the depth below
// their own surfaces, so that columns with different surface levels compare
// like with like.
template <class F>
void WalkDepthFollowing(int top, const SideAreas& areas, F f) {
    const Densities& d = Field();
    const double zs = Czcenter[top] + d.h(top);
    int start[4];
    double offset[4], sum[4] = {};
    bool summing[4];
    for (int k = 0; k < 4; ++k) {
        start[k] = (*kSides[k])[top];
        const int xt = TopOfColumn(start[k]);
        offset[k] = xt > 0 ? zs - (Czcenter[xt] + d.h(xt)) : 0.0;
        summing[k] = true;
    }
    double own = 0.0;
    for (int c = top, steps = 0; c > 0 && steps < NoCells; c = Ccellb[c], ++steps) {
        const double ip = own + d.w(c);
        double integral[4];
        bool present[4];
        for (int k = 0; k < 4; ++k) {
            const int x = (*kSides[k])[c];
            integral[k] = sum[k];
            present[k] = false;
            double rhoHere = 0.0;  // the neighbour column's density at this level
            if (x > 0) {
                if (std::fabs(Czcenter[c] - Czcenter[x]) < kLevelTolerance) {
                    rhoHere = d.of(x);
                    present[k] = true;
                } else {
                    const LevelDensity at = DensityAtLevel(start[k], Czcenter[c] - offset[k]);
                    rhoHere = at.rho;
                    present[k] = at.found;
                }
                integral[k] += rhoHere * d.h(c);
            }
            // The integral of the cells above stops at the first one without
            // a neighbour on this side.
            if (x <= 0) summing[k] = false;
            if (summing[k]) {
                const double twice = std::fabs(Czcenter[c] - Czcenter[x]) < kLevelTolerance
                                         ? 2.0 * d.w(x)
                                         : 2.0 * DensityAtLevel(x, Czcenter[c] - offset[k]).rho * d.h(c);
                sum[k] += twice;
            }
        }
        const double di = SideDelta(integral[0], integral[1], ip, present[0], present[1]);
        const double dj = SideDelta(integral[2], integral[3], ip, present[2], present[3]);
        f(c, areas.Force(c, di, dj));
        own += 2.0 * d.w(c);
    }
}

void DepthFollowingColumn(int top, const SideAreas& areas) {
    const Densities& d = Field();
    double fcol = 0.0, depth = 0.0;
    WalkDepthFollowing(top, areas, [&](int c, double force) {
        fcol += force;
        depth += d.h(c);
    });
    if (!(depth > 0.0)) return;
    const double factor = StratificationFactor;
    WalkDepthFollowing(top, areas, [&](int c, double force) {
        Csource[c] -= (force - fcol * d.h(c) / depth) * factor;
    });
}

// Stable stratification damps W with the buoyancy frequency N^2 (per metre
// of relative density), explicitly as far as it cancels the source already
// there and implicitly for the rest.
void DampVerticalMotion() {
    const Densities& d = Field();
    for (int c = FirstCell; c <= LastCell; ++c) {
        const int a = Ccellt[c], b = Ccellb[c];
        double n = 0.0;
        if (a > 0 && b > 0) {
            n = -(d.of(a) - d.of(b)) / (Czcenter[a] - Czcenter[b]);
        } else if (a > 0) {
            n = -(d.of(a) - d.of(c)) / (d.h(c) + d.h(a));
        } else if (b > 0) {
            n = -(d.of(c) - d.of(b)) / (d.h(c) + d.h(b));
        }
        const double damping = std::max(Cvol[c] * TimeStep * n * 1000.0 * 9.81, 0.0);
        const double w = Cw[c];
        double s = Csource[c] / (damping * w + 1e-10);
        if (!(s > 0.0)) s = 0.0;
        if (s > 1.0) s = 1.0;
        Csource[c] -= s * damping * w;
        Cap[c] += (1.0 - s) * damping;
    }
}

}  // namespace

void AddDensityPressureSources(int) {
    if (TemperatureFlag != 1 || !(StratificationFactor > 0.0)) return;
    if (!Components.exists() || NoComponents < 1 || Components.extent2() < static_cast<size_t>(NoCells) + 1) return;
    const int equation = Equation;
    if (equation == 3) {
        if (F69Int1 >= 1 && NoInitialProfilePoints >= 1) {
            Field().Refresh();
            DampVerticalMotion();
        }
        return;
    }
    if (equation != 1 && equation != 2) return;
    enum { None, LevelStop, LevelWhole, ColumnMean, DepthFollowing } method = None;
    if (F69Int2 == 3) {
        method = DepthFollowing;
    } else if (F69Int1 == 2 || F69Int1 == 3) {
        method = ColumnMean;
    } else if (F69Int1 <= 1 && GridAlgorithm == 0) {
        method = LevelStop;
    } else if (F69Int1 <= 1 && GridAlgorithm == 1200) {
        method = LevelWhole;
    }
    if (method == None) return;
    Field().Refresh();
    const SideAreas areas;
    for (int top = FirstCell; top <= LastCell; ++top) {
        if (Ccellt[top] != 0) continue;
        switch (method) {
            case LevelStop: LevelWiseColumn(top, true, areas); break;
            case LevelWhole: LevelWiseColumn(top, false, areas); break;
            case ColumnMean: ColumnMeanColumn(top, areas); break;
            case DepthFollowing: DepthFollowingColumn(top, areas); break;
            default: break;
        }
    }
}
