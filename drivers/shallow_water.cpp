// Letter L: the depth-averaged shallow-water equations, integrated
// explicitly in time over the last block (one cell per water column) of a
// flume fed with a fixed discharge at its west end. A two-step Lax-Wendroff
// scheme along x (predictor on the faces, corrector in the cells) with
// Strickler friction; v is held at 0. After every step the top corner points
// follow the water surface and the metric is recomputed, so that the block's
// geometry carries the depth.
//
// Subcritical flow takes one condition at each end. Fixing both depth and
// discharge at the inflow face (and nothing at the outflow) leaves the
// upstream-running wave no way out: the fixed face fluxes feed it at the
// inflow cell, and the flume blows up within a minute, with this scheme as
// with a first-order upwind one;
// an inflow that fixes only the discharge, with nothing downstream, lets the
// level drift for ever. So the inflow fixes the discharge and takes its depth
// from the wave leaving through it, and the outflow holds the depth the flume
// starts with, passing on the discharge the wave arriving there carries.
// Supercritical boundary cells fall back to the fixed inflow state and the
// cell's own outflow.
#include <algorithm>
#include <cmath>

#include "drivers/drivers_data.h"
#include "drivers/flow_drivers.h"
#include "grid/grid_data.h"
#include "grid/grid_services.h"
#include "run/fatal.h"
#include "run/globals.h"
#include "run/log.h"
#include "run/status.h"

namespace {

constexpr double kGravity = 9.81;
constexpr double kHalfGravity = 4.905;
constexpr double kStartVelocity = 0.2;  // m/s in every cell at the start
// The inflow state: depth 0.22 m at 0.3 m/s at the start; the discharge is
// held, the depth only while the inflow cell runs supercritical.
constexpr double kInflowDepth = 0.22;
constexpr double kInflowDischarge = 0.066;
constexpr double kInflowMomentumFlux = kInflowDischarge * kInflowDischarge / kInflowDepth +
                                       kHalfGravity * kInflowDepth * kInflowDepth;
constexpr double kOutflowFloor = 0.2;
constexpr double kSurfaceFloor = 0.1;
constexpr double kPredictorLimit = 0.05;
// Loops over fewer items than this run serially: the threads cost more.
constexpr int kParallelItems = 4096;

// State U = (h, hu, hv) and the cell fluxes F = (hu, u^2 h + g h^2 / 2, 0)
// and G = (0, 0, g h^2 / 2) of one cell, all from the depth and discharge.
void SetCellState(int c, double h, double hu) {
    const double u = hu / h;
    ShallowWork3A[0][c] = h;
    ShallowWork3A[1][c] = hu;
    ShallowWork3A[2][c] = 0.0;
    ShallowWork3B[0][c] = hu;
    ShallowWork3B[1][c] = u * hu + kHalfGravity * h * h;
    ShallowWork3B[2][c] = 0.0;
    ShallowWork3C[0][c] = 0.0;
    ShallowWork3C[1][c] = 0.0;
    ShallowWork3C[2][c] = kHalfGravity * h * h;
}

void SetFaceFluxes(int s, double hu, double momentum, double h, double pressureY) {
    ShallowWork4A[0][s] = hu;
    ShallowWork4A[1][s] = momentum;
    ShallowWork4A[2][s] = 0.0;
    ShallowWork4A[3][s] = h;
    ShallowWork4B[0][s] = 0.0;
    ShallowWork4B[1][s] = 0.0;
    ShallowWork4B[2][s] = pressureY;
}

// The bed level below a top corner point: the bottom corner of the same
// column of the cell, so that a bed above z = 0 keeps its depth.
double BedBelow(int c, int corner) {
    const Array1<int>* const bottom[4] = {&Cpoint1, &Cpoint2, &Cpoint3, &Cpoint4};
    return Pz1[(*bottom[corner])[c]];
}

void RaiseTopPoints(int c, double least) {
    const Array1<int>* const top[4] = {&Cpoint5, &Cpoint6, &Cpoint7, &Cpoint8};
    for (int k = 0; k < 4; ++k) {
        const int p = (*top[k])[c];
        Pz1[p] = std::max(Pz1[p], BedBelow(c, k) + least);
    }
}

// The inflow face's points stand at the depth of its last step.
void SetInflowPoints(int c) {
    const double depth = ShallowWork4A[3][Csurfw[c]];
    Pz1[Cpoint5[c]] = BedBelow(c, 0) + depth;
    Pz1[Cpoint8[c]] = BedBelow(c, 3) + depth;
}

// The depth at which the inflow discharge carries the Riemann invariant
// u - 2 sqrt(g h) of the inflow cell out through its west face. The residual
// is convex and falls with the depth, so after the first Newton step the
// depths rise to the one root from the shallow side; a step past zero is
// halved back.
double InflowDepth(double invariant, double guess) {
    double h = guess;
    for (int n = 0; n < 60; ++n) {
        const double celerity = std::sqrt(kGravity * h);
        const double residual = kInflowDischarge / h - 2.0 * celerity - invariant;
        if (std::fabs(residual) <= 1e-13 * (1.0 + std::fabs(invariant))) break;
        const double next = h + residual / (kInflowDischarge / (h * h) + celerity / h);
        h = next > 0.0 ? next : 0.5 * h;
    }
    return h;
}

void InflowFace(int s, int c) {
    const double h = ShallowWork3A[0][c], u = ShallowWork3A[1][c] / h;
    const double celerity = std::sqrt(kGravity * h);
    if (u >= celerity) {
        SetFaceFluxes(s, kInflowDischarge, kInflowMomentumFlux, kInflowDepth,
                      kHalfGravity * kInflowDepth * kInflowDepth);
        return;
    }
    const double depth = InflowDepth(u - 2.0 * celerity, h);
    SetFaceFluxes(s, kInflowDischarge, kInflowDischarge * kInflowDischarge / depth + kHalfGravity * depth * depth,
                  depth, kHalfGravity * depth * depth);
}

// The outflow holds the tail depth and passes on the discharge that keeps the
// Riemann invariant u + 2 sqrt(g h) of the last cell.
void OutflowFace(int s, int c, double tail) {
    const double h = ShallowWork3A[0][c], u = ShallowWork3A[1][c] / h;
    const double celerity = std::sqrt(kGravity * h);
    if (u >= celerity) {
        SetFaceFluxes(s, ShallowWork3B[0][c], ShallowWork3B[1][c], h, ShallowWork3C[2][c]);
        return;
    }
    const double hu = tail * (u + 2.0 * (celerity - std::sqrt(kGravity * tail)));
    SetFaceFluxes(s, hu, hu * hu / tail + kHalfGravity * tail * tail, tail, kHalfGravity * tail * tail);
}

double StartDepth(const BlockRecord& r) { return 2.0 * Ckdist[r.firstCell]; }

void StartState(const BlockRecord& r) {
    const double h0 = StartDepth(r);
    for (int c = r.firstCell; c <= r.lastCell; ++c) {
        SetCellState(c, h0, kStartVelocity * h0);
        Cu[c] = kStartVelocity;
        Cv[c] = 0.0;
    }
    for (int c = r.firstCell; c <= r.lastCell; ++c) {
        if (Ccellw[c] != 0) continue;
        ShallowWork3B[0][c] = kInflowDischarge;
        ShallowWork3B[1][c] = kInflowMomentumFlux;
        ShallowWork3B[2][c] = 0.0;
        SetFaceFluxes(Csurfw[c], kInflowDischarge, kInflowMomentumFlux, kInflowDepth,
                      kHalfGravity * kInflowDepth * kInflowDepth);
        SetInflowPoints(c);
    }
}

// The first cell whose Courant number along x exceeds 1, or 0.
int CourantViolation(const BlockRecord& r, double dt, double* courant) {
    for (int c = r.firstCell; c <= r.lastCell; ++c) {
        const double h = ShallowWork3A[0][c];
        const double u = ShallowWork3A[1][c] / h;
        const double cr = dt * (std::fabs(u) + std::sqrt(kGravity * std::max(h, 0.0))) / (2.0 * Cidist[c]);
        if (cr > 1.0) {
            *courant = cr;
            return c;
        }
    }
    return 0;
}

int DepthViolation(const BlockRecord& r) {
    for (int c = r.firstCell; c <= r.lastCell; ++c) {
        const double h = ShallowWork3A[0][c];
        if (!(h > 0.0) || !std::isfinite(h)) return c;
    }
    return 0;
}

// Predictor: the half-step state on every face between two cells, and the
// boundary fluxes of the faces with one.
void FaceFluxes(const BlockRecord& r, double dt, double tail) {
    const int first = r.firstSurface, last = r.lastSurface;
#pragma omp parallel for schedule(static) if (last - first > kParallelItems)
    for (int s = first; s <= last; ++s) {
        const int c1 = Fcell1[s], c2 = Fcell2[s];
        if (c1 > 0 && c2 > 0) {
            const double factor = dt / (2.0 * (Fdist1[s] + Fdist2[s]));
            double predicted[2];
            for (int k = 0; k < 3; ++k) {
                ShallowWork4B[k][s] = 0.5 * (ShallowWork3C[k][c1] + ShallowWork3C[k][c2]);
                if (k == 2) continue;
                const double m = 0.5 * (ShallowWork3A[k][c1] + ShallowWork3A[k][c2]);
                double q = factor * (ShallowWork3B[k][c2] - ShallowWork3B[k][c1]);
                q = q >= 0.0 ? std::max(q, -kPredictorLimit * m) : std::min(q, kPredictorLimit * m);
                predicted[k] = m - q;
            }
            const double h = predicted[0], hu = predicted[1];
            ShallowWork4A[0][s] = hu;
            ShallowWork4A[1][s] = hu * hu / h + kHalfGravity * h * h;
            ShallowWork4A[2][s] = 0.0;
            ShallowWork4A[3][s] = h;
            continue;
        }
        const int c = c1 > 0 ? c1 : c2;
        if (c <= 0) continue;
        if (Csurfw[c] == s) {
            InflowFace(s, c);
            continue;
        }
        if (Csurfe[c] == s) {
            OutflowFace(s, c, tail);
            continue;
        }
        const double h = ShallowWork3A[0][c];
        for (int k = 0; k < 3; ++k) {
            ShallowWork4A[k][s] = ShallowWork3B[k][c] * Fvecx[s];
            ShallowWork4B[k][s] = ShallowWork3C[k][c] * Fvecy[s];
        }
        ShallowWork4A[3][s] = h;
    }
}

// Mass and momentum through a face per unit of its height: the face areas
// follow the face depths, so each flux is divided by the depth it was made
// with.
double MassFlux(int f) { return ShallowWork4A[0][f] * Fareax[f] / ShallowWork4A[3][f] + ShallowWork4B[0][f] * Fareay[f]; }
double MomentumFlux(int f) { return ShallowWork4A[1][f] * Fareax[f] / ShallowWork4A[3][f]; }

// Corrector: the new state of every cell from its face fluxes, braked by
// Strickler friction (slope u^2 / (M^2 h^(4/3))).
void CellUpdate(const BlockRecord& r, double dt) {
    const double m2 = StricklerCoefficient * StricklerCoefficient;
    const int first = r.firstCell, last = r.lastCell;
#pragma omp parallel for schedule(static) if (last - first > kParallelItems)
    for (int c = first; c <= last; ++c) {
        const int e = Csurfe[c], w = Csurfw[c], so = Csurfs[c], n = Csurfn[c];
        const double plan = Fareaz[Csurfb[c]];
        const double h = ShallowWork3A[0][c], hu = ShallowWork3A[1][c];
        const double h1 = h - dt * (MassFlux(e) - MassFlux(w) + MassFlux(so) - MassFlux(n)) / plan;
        double hu1 = hu - dt * (MomentumFlux(e) - MomentumFlux(w) + MomentumFlux(so) - MomentumFlux(n)) / plan;
        const double u = hu1 / h;
        hu1 -= kGravity * h * dt * u * std::fabs(u) / (std::pow(h, 4.0 / 3.0) * m2);
        SetCellState(c, h1, hu1);
        Cu[c] = hu1 / h1;
        Cv[c] = 0.0;
    }
}

double NewDepth(int c) { return c > 0 ? ShallowWork3A[0][c] : 0.0; }

// The mean new depth over the cell and its existing neighbours around one
// corner: two side neighbours and the diagonal one, found through either.
double CornerDepth(int c, const Array1<int>& sideA, const Array1<int>& sideB) {
    const int a = sideA[c], b = sideB[c];
    int d = b > 0 ? sideA[b] : 0;
    if (d <= 0 && a > 0) d = sideB[a];
    double sum = NewDepth(c);
    int count = 1;
    for (const int n : {a, b, d}) {
        if (n <= 0) continue;
        sum += NewDepth(n);
        ++count;
    }
    return sum / count;
}

void MoveWaterSurface(const BlockRecord& r) {
    for (int c = r.firstCell; c <= r.lastCell; ++c) {
        Pz1[Cpoint5[c]] = BedBelow(c, 0) + CornerDepth(c, Ccells, Ccellw);
        Pz1[Cpoint6[c]] = BedBelow(c, 1) + CornerDepth(c, Ccells, Ccelle);
        Pz1[Cpoint7[c]] = BedBelow(c, 2) + CornerDepth(c, Ccelln, Ccelle);
        Pz1[Cpoint8[c]] = BedBelow(c, 3) + CornerDepth(c, Ccelln, Ccellw);
        if (Ccelle[c] == 0) RaiseTopPoints(c, kOutflowFloor);
        RaiseTopPoints(c, kSurfaceFloor);
    }
    for (int c = r.firstCell; c <= r.lastCell; ++c) {
        if (Ccellw[c] == 0) SetInflowPoints(c);
    }
}

bool BlockUsable(const BlockRecord& r) {
    return r.depthAveraged == 1 && r.firstCell >= 1 && r.firstCell <= r.lastCell && r.lastCell <= NoCells &&
           r.firstSurface >= 1 && r.firstSurface <= r.lastSurface && r.lastSurface <= NoSurfaces &&
           ShallowWork3A.exists() && ShallowWork4A.exists() &&
           static_cast<size_t>(r.lastCell) < ShallowWork3A.extent2() &&
           static_cast<size_t>(r.lastSurface) < ShallowWork4A.extent2();
}

}  // namespace

int SolveShallowWater() {
    if (ShallowWaterOption == 0) {
        LogAppend("The F 311 data set has to be used in the control file when computing the \n");
        LogAppend("Shallow-Water equations\n\n");
        EndRun(kShallowWaterRefusedStatus);
    }
    if (NoBlocks < 1 || !BlockUsable(BlockTable[NoBlocks])) {
        LogAppend("Error in computation of Shallow Water Equations: 2D block not correctly made\n");
        EndRun(kShallowWaterRefusedStatus);
    }
    const BlockRecord& r = BlockTable[NoBlocks];
    FirstCell = r.firstCell;
    LastCell = r.lastCell;
    FirstSurface = r.firstSurface;
    LastSurface = r.lastSurface;
    const double dt = TimeStep;
    const double tail = StartDepth(r);
    StartState(r);
    for (int n = 0; n < iterGlobalMax; ++n) {
        double courant = 0.0;
        if (const int c = CourantViolation(r, dt, &courant)) {
            LogAppend("Error in computation of Shallow Water Equations: Courant number %lf in cell %d\n", courant, c);
            FlowFailedFlag = 1;
            return 0;
        }
        FaceFluxes(r, dt, tail);
        CellUpdate(r, dt);
        if (const int c = DepthViolation(r)) {
            LogAppend("Error in computation of Shallow Water Equations: depth %e in cell %d after step %d\n",
                      ShallowWork3A[0][c], c, n);
            FlowFailedFlag = 1;
            return 0;
        }
        MoveWaterSurface(r);
        metric();
        LogAppend("Iter %d\n", n);
        PausePoint(3, "PauseFlag = 3");
    }
    return 1;
}
