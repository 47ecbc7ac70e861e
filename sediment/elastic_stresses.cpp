// Linear-elastic displacements and stresses of the cells under their own
// weight (letter N with F 248 1). The three displacement components are
// solved in the velocity arrays with the cell-equation machinery of the flow.
#include <cmath>
#include <cstdio>

#include "flow/flow_data.h"
#include "flow/flow_services.h"
#include "grid/grid_data.h"
#include "run/fatal.h"
#include "run/globals.h"
#include "run/log.h"
#include "run/status.h"
#include "sediment/cell_gradients.h"
#include "sediment/sediment_data.h"
#include "sediment/sediment_services.h"
#include "solver/solver_services.h"
#include "surface/surface_services.h"

namespace {

constexpr int kStressRows = 13;
constexpr int kReportCell = 950;
constexpr int kPausePoint = 4;
constexpr int kPauseLater = 101;

bool Unsteady() { return TimeStep > 1e-8; }

double* StressRow(int r) { return &Cstress[r][0]; }

struct Component {
    Array1<double>* field;
    Array1<double>* old;
};

Component ComponentOf(int e) {
    switch (e) {
        case 3: return {&Cw, &Cw_old};
        case 2: return {&Cv, &Cv_old};
        default: return {&Cu, &Cu_old};
    }
}

bool EnsureArrays() {
    const size_t cells = static_cast<size_t>(NoCells) + 1;
    return Cstress.allocate(kStressRows, cells) && CstressRatio.allocate(cells) && CstressCount.allocate(cells) &&
           Cstress.extent2() >= cells && CstressRatio.size() >= cells && CstressCount.size() >= cells;
}

void ZeroStart() {
    double* r0 = StressRow(0);
    double* r1 = StressRow(1);
    double* r2 = StressRow(2);
    const bool old = Unsteady() && Cu_old.exists() && Cv_old.exists() && Cw_old.exists();
    for (int c = 1; c <= NoCells; ++c) {
        Cu[c] = Cv[c] = Cw[c] = 0.0;
        r0[c] = r1[c] = r2[c] = 0.0;
        if (old) Cu_old[c] = Cv_old[c] = Cw_old[c] = 0.0;
    }
}

// The top faces carry the displacement flux of the top cells.
void TopSurfaceFluxes() {
    for (int c = 1; c <= NoCells; ++c) {
        if (Ccellt[c] != 0) continue;
        const int st = Csurft[c];
        Fflux[st] = 1000.0 * (Cw[c] * Fareaz[st] + Cu[c] * Fareax[st]);
    }
}

// The stiffnesses of equation e. Coefficients of the equation solved before
// must not stay behind on faces the variant does not write; a variant with
// no stiffnesses of its own solves with those of variant 9.
void AssembleEquation(int e) {
    for (int c = 1; c <= NoCells; ++c) Cae[c] = Caw[c] = Can[c] = Cas[c] = Cat[c] = Cab[c] = 0.0;
    const int variant = StressVariant;
    if (variant != 2 && variant != 5 && variant != 9) StressVariant = 9;
    AssembleStressCoefficients(e, FirstSurface, LastSurface);
    StressVariant = variant;
    for (int c = 1; c <= NoCells; ++c) {
        if (Ccellt[c] == 0) Cat[c] = 0.0;
        if (Ccelle[c] == 0) Cae[c] = 0.0;
        if (Ccellw[c] == 0) Caw[c] = 0.0;
        const double sum = Cab[c] + Cat[c] + Cas[c] + Can[c] + Cae[c] + Caw[c];
        Cap[c] = sum < 1e-5 ? 1e-5 : sum;
    }
}

void AddSources(int e) {
    const double nu = PoissonRatio;
    if (e == 3) {
        for (int c = 1; c <= NoCells; ++c) Csource[c] = -9810.0 * Cvol[c];
        return;
    }
    const double* sz = StressRow(2);
    const double factor = 2.0 * (1.0 + nu) / (1.0 - nu * nu);
    const Array1<double>& half = e == 2 ? Cjdist : Cidist;
    for (int c = 1; c <= NoCells; ++c) {
        const double az = Fareaz[Csurft[c]];
        Csource[c] = nu * GradientDirA(sz, e, c) * Ckdist[c] / half[c] + factor * az * GradientDirB(sz, e, c);
    }
}

double Ratio(double a, double b) { return b != 0.0 ? a / b : 0.0; }

// The coupling forces of the horizontal displacement (rows 3, 5 and 6) from
// the coefficients of equation 1.
void ForceTerms() {
    const double* f = Cu.data();
    double* r3 = StressRow(3);
    double* r5 = StressRow(5);
    double* r6 = StressRow(6);
    for (int c = 1; c <= NoCells; ++c) {
        const int W = Ccellw[c], E = Ccelle[c], T = Ccellt[c], B = Ccellb[c];
        const double az = Fareaz[Csurft[c]];
        const double sideArea = Fareax[Csurfe[c]] + Fareax[Csurfw[c]];
        r6[c] = Ratio(2.0 * ((f[W] - f[c]) * Caw[c] + (f[E] - f[c]) * Cae[c]), sideArea);
        const double up = Cat[c] * (f[T] - f[c]), down = Cab[c] * (f[B] - f[c]);
        if (T == 0) {
            r3[c] = r5[c] = Ratio(-down, az);
        } else if (B == 0) {
            r3[c] = r5[c] = Ratio(up, az);
        } else {
            r3[c] = Ratio(0.5 * (up + down), az);
            r5[c] = Ratio(0.5 * (up - down), az);
        }
    }
    if (NoCells < kReportCell) return;
    const int c = kReportCell;
    const double az = Fareaz[Csurft[c]];
    LogAppend("Forces cell %d (Newton): %lf %lf %lf %lf %lf\n", c,
              0.5 * (Fareax[Csurfe[c]] + Fareax[Csurfw[c]]) * r5[c], az * r6[c], az * r3[c], Csource[c], Ckdist[c]);
    LogAppend("Stresses cell %d (Pa): %lf %lf %lf %lf\n", c, r5[c], r6[c], r3[c], StressRow(2)[c]);
}

void Stresses() {
    const double E = YoungModulus, nu = PoissonRatio;
    const double lambda = LameLambda, a = TwiceShearModulus;
    double* r0 = StressRow(0);
    double* r1 = StressRow(1);
    double* r2 = StressRow(2);
    double* r4 = StressRow(4);
    const double* r5 = StressRow(5);
    const double* r6 = StressRow(6);
    const double* u = Cu.data();
    const double* w = Cw.data();
    switch (StressVariant) {
        case 4:
            for (int c = 1; c <= NoCells; ++c) {
                const double du = GradientDirA(u, 1, c), dw = GradientDirA(w, 3, c);
                r0[c] = ((2.0 * a + lambda) * du + lambda * dw) / Cvol[c];
                r2[c] = ((2.0 * a + lambda) * dw + lambda * du) / Cvol[c];
            }
            break;
        case 9:
            for (int c = 1; c <= NoCells; ++c) {
                const double dw = GradientDirC(w, 3, c);
                r0[c] = E / (1.0 - nu * nu) * GradientDirC(u, 1, c) + nu * E * dw;
                r2[c] = E * dw / (1.0 - nu * nu);
                // A cell without vertical stress has no ratio to it.
                r4[c] = Ratio(r6[c], r2[c]);
                r1[c] = Ratio(r5[c], r2[c]);
            }
            break;
        default:
            for (int c = 1; c <= NoCells; ++c) {
                r0[c] = a * GradientDirA(u, 1, c) / Cvol[c];
                r2[c] = a * GradientDirA(w, 3, c) / Cvol[c];
            }
            break;
    }
}

void RatioAndCount() {
    const double* s0 = StressRow(0);
    const double* s2 = StressRow(2);
    for (int c = 1; c <= NoCells; ++c) {
        const double r = std::fabs((s0[c] - s2[c]) / (s2[c] + s0[c] + 1e-20));
        CstressRatio[c] = r;
        CstressCount[c] = r > 1.1 ? 2 : (r >= 0.9 ? 1 : 0);
    }
}

void PauseAndProgress(int it) {
    PausePoint(kPausePoint, "PauseFlag = 4");
    char module[kStatusTextSize];
    std::snprintf(module, sizeof module, "Iter %d", it);
    SetModuleName(module);
    if (PauseFlag == kPauseLater && FlagTSC == 0) PauseFlag = kPausePoint;
}

void OuterIteration(int it) {
    ComputeSurfaceFluxes(FirstSurface, LastSurface);
    TopSurfaceFluxes();
    for (int e = 3; e >= 1; --e) {
        Equation = e;
        const Component k = ComponentOf(e);
        Cf.designate(*k.field);
        Cf_old.designate(*k.old);
        AssembleEquation(e);
        AddSources(e);
        SolveEquation();
        if (Unsteady() && k.old->exists()) {
            for (int c = 1; c <= NoCells; ++c) (*k.old)[c] = (*k.field)[c];
        }
        if (e == 1 && StressVariant == 9) ForceTerms();
    }
    Stresses();
    RatioAndCount();
    PauseAndProgress(it);
}

}  // namespace

void ComputeElasticStresses() {
    FirstCell = 1;
    LastCell = NoCells;
    FirstSurface = 1;
    LastSurface = NoSurfaces;
    const double E = YoungModulus, nu = PoissonRatio;
    if (StressVariant == 4 && !(nu < 0.5)) {
        FailWithLog(-1, "Poisson's ratio %lf of F 247 makes the stresses of F 259 variant 4 infinite\n", nu);
    }
    LameLambda = E * nu / ((1.0 - 2.0 * nu) * (1.0 + nu));
    TwiceShearModulus = E / (1.0 + nu);
    if (NoCells < 1) return;
    Cvol[0] = 0.0;
    if (NoBedCells == 0) UpdateWaterColumnsAfterRegrid();
    if (!EnsureArrays()) FailWithLog(-3, "Elastic stresses: the stress arrays cannot be allocated\n");
    ZeroStart();
    // The displacements borrow the names of the fields being solved; a later
    // task that solves into Cf as it finds it must not write into them.
    const auto savedField = Cf.save();
    const auto savedOld = Cf_old.save();
    for (int it = 0; it < iterGlobalMax; ++it) OuterIteration(it);
    Cf.restore(savedField);
    Cf_old.restore(savedOld);
}
