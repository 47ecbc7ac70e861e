// Triangular shoreline cells: the fluxes of the faces that a collapsed side
// couples are pulled towards one common value, so that what enters through
// one face leaves through the other.
#include "flow/flow_data.h"
#include "flow/flow_services.h"
#include "grid/grid_data.h"
#include "run/globals.h"

namespace {

// One face of a relaxation: its surface (0 when the cell that should carry
// it is missing) and the sign of d it moves to.
struct Move {
    int surface;
    double sign;
};

// Surface of the neighbour n on one side; 0 when there is no neighbour, so
// that a group whose partner the metric removed moves nothing of it.
inline int SideOf(const Array1<int>& side, int n) { return n > 0 ? side[n] : 0; }

inline double FluxOf(int s) { return s > 0 ? Fflux[s] : 0.0; }

template <size_t N>
void Relax(double d, double w, const Move (&moves)[N]) {
    for (const Move& m : moves) {
        if (m.surface > 0) Fflux[m.surface] = m.sign * w * d + (1.0 - w) * Fflux[m.surface];
    }
}

void RelaxPair(int c, double w) {
    const int n = Csurfn[c], e = Csurfe[c], s = Csurfs[c], wst = Csurfw[c];
    switch (Ctrekant[c]) {
        case 1: Relax(0.5 * (FluxOf(n) - FluxOf(e)), w, {Move{n, 1.0}, Move{e, -1.0}}); break;
        case 2: Relax(0.5 * (FluxOf(n) + FluxOf(wst)), w, {Move{n, 1.0}, Move{wst, 1.0}}); break;
        case 3: Relax(0.5 * (FluxOf(s) - FluxOf(wst)), w, {Move{s, 1.0}, Move{wst, -1.0}}); break;
        case 4: Relax(0.5 * (FluxOf(s) + FluxOf(e)), w, {Move{s, 1.0}, Move{e, 1.0}}); break;
        default: break;
    }
}

void RelaxGroup(int c, double w) {
    const int n = Csurfn[c], e = Csurfe[c], s = Csurfs[c], wst = Csurfw[c];
    const int N = Ccelln[c], E = Ccelle[c], S = Ccells[c], W = Ccellw[c];
    constexpr double third = 0.3333;
    switch (Ctrekant[c]) {
        case 5: {
            const int nE = SideOf(Csurfn, E);
            Relax(third * (FluxOf(n) - FluxOf(e) - FluxOf(nE)), w, {Move{n, 1.0}, Move{e, -1.0}, Move{nE, -1.0}});
            break;
        }
        case 7: {
            const int wN = SideOf(Csurfw, N);
            Relax(third * (FluxOf(wst) + FluxOf(n) - FluxOf(wN)), w, {Move{wst, 1.0}, Move{n, 1.0}, Move{wN, -1.0}});
            break;
        }
        case 9: {
            const int sW = SideOf(Csurfs, W);
            Relax(third * (FluxOf(s) - FluxOf(wst) - FluxOf(sW)), w, {Move{s, 1.0}, Move{wst, -1.0}, Move{sW, -1.0}});
            break;
        }
        case 11: {
            const int eS = SideOf(Csurfe, S);
            Relax(third * (FluxOf(e) + FluxOf(s) - FluxOf(eS)), w, {Move{e, 1.0}, Move{s, 1.0}, Move{eS, -1.0}});
            break;
        }
        case 13: {
            const int eN = SideOf(Csurfe, N), nE = SideOf(Csurfn, E);
            Relax(0.5 * (FluxOf(eN) - FluxOf(nE)), w, {Move{eN, 1.0}, Move{nE, -1.0}, Move{n, 1.0}, Move{e, -1.0}});
            break;
        }
        case 16: {
            const int wN = SideOf(Csurfw, N), nW = SideOf(Csurfn, W);
            Relax(0.5 * (FluxOf(wN) + FluxOf(nW)), w, {Move{nW, 1.0}, Move{wN, 1.0}, Move{n, -1.0}, Move{wst, -1.0}});
            break;
        }
        case 19: {
            const int wS = SideOf(Csurfw, S), sW = SideOf(Csurfs, W);
            Relax(0.5 * (FluxOf(wS) - FluxOf(sW)), w, {Move{wS, 1.0}, Move{sW, -1.0}, Move{s, 1.0}, Move{wst, -1.0}});
            break;
        }
        case 22: {
            const int sE = SideOf(Csurfs, E), eS = SideOf(Csurfe, S);
            Relax(0.5 * (FluxOf(sE) + FluxOf(eS)), w, {Move{sE, 1.0}, Move{eS, 1.0}, Move{e, -1.0}, Move{s, -1.0}});
            break;
        }
        default: break;
    }
}

}  // namespace

void RelaxTrekantFluxes(int first, int last) {
    if (!Ctrekant.exists()) return;
    Ctrekant[0] = 0;
    const double w = TrekantRelax;
    for (int c = first; c <= last; ++c) RelaxPair(c, w);
    if (TrekantOption < 9 || SolverVariant > 19) return;
    for (int c = first; c <= last; ++c) RelaxGroup(c, w);
}
