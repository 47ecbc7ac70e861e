// Second-order upwind convection written into the coefficients (K 6 = 1):
// the downstream cell takes the upstream cell and the one beyond it, with far
// coefficients for the latter.
#include <algorithm>
#include <atomic>
#include <cmath>

#include "flow/conductance.h"
#include "flow/flow_data.h"
#include "flow/flow_services.h"
#include "flow/second_order.h"
#include "grid/grid_data.h"
#include "run/globals.h"
#include "run/region_fatal.h"

namespace {

// Side types: 1 south, 2 east, 3 north, 4 west, 5 bottom, 6 top.
constexpr int kOpposite[7] = {0, 3, 4, 1, 2, 6, 5};

bool OnSide(int type) { return type >= 1 && type <= 6; }
// The side of Fcell1 of a properly oriented inner surface: east, north, top.
bool FirstCellSide(int type) { return type == 2 || type == 3 || type == 6; }
bool SecondCellSide(int type) { return type == 4 || type == 1 || type == 5; }

// The neighbour, surface and half extent arrays by side type.
struct SideArrays {
    const int* next[7];
    const int* surface[7];
    const double* half[7];
};

SideArrays CurrentSideArrays() {
    return {{nullptr, Ccells.data(), Ccelle.data(), Ccelln.data(), Ccellw.data(), Ccellb.data(), Ccellt.data()},
            {nullptr, Csurfs.data(), Csurfe.data(), Csurfn.data(), Csurfw.data(), Csurfb.data(), Csurft.data()},
            {nullptr, Cjdist.data(), Cidist.data(), Cjdist.data(), Cidist.data(), Ckdist.data(), Ckdist.data()}};
}

void ClearSurfaceNoneSlots() {
    for (double* a : {Cidist.data(), Cjdist.data(), Fflux.data()}) {
        std::atomic_ref<double>(a[0]).store(0.0, std::memory_order_relaxed);
    }
}

void ReportWrongOrientation(int status, int surface, int cell, int type) {
    FailAnywhere(status, "Error in second-order coefficient computation, surface %d, cell %d, type %d\n", surface, cell,
                 type);
}

}  // namespace

bool SecondOrderEquation() {
    if (Equation < 0 || Equation >= kEquationTableSize || ConvectionScheme[Equation] != 1) return false;
    const size_t cells = Cae.size();
    for (const Array1<double>* a : {&Caee, &Caww, &Cann, &Cass, &Catt, &Cabb}) {
        if (a->size() < cells) return false;
    }
    return true;
}

void ComputeSecondOrderCoefficients(int first, int last) {
    ClearSurfaceNoneSlots();
    const Conductance k;
    const Slots near = CoefficientSlots();
    const Slots far = FarCoefficientSlots();
    const SideArrays side = CurrentSideArrays();
    k.Dispatch([&]<bool kConstant, bool kDamped, bool kExtra>() {
        for (int s = first; s <= last; ++s) {
            const int c1 = k.cell1[s], c2 = k.cell2[s];
            const int t1 = k.type1[s], t2 = k.type2[s];
            if (c1 == 0 || c2 == 0) {
                // Cell 0 stands for "none" and keeps its zeros.
                if (OnSide(t1) && c1 > 0) near.a[t1][c1] = far.a[t1][c1] = 0.0;
                if (OnSide(t2) && c2 > 0) near.a[t2][c2] = far.a[t2][c2] = 0.0;
                continue;
            }
            // The formulas below take c1 as the west, south or lower cell.
            if (SecondCellSide(t1)) return ReportWrongOrientation(-77, s, c1, t1);
            if (FirstCellSide(t2)) return ReportWrongOrientation(-78, s, c2, t2);
            const double f = k.flux[s];
            const double d = k.DUnweighted<kConstant, kDamped, kExtra>(s, c1, c2);
            if (FirstCellSide(t1)) {
                // Flow towards c1 comes from c2 and the cell beyond it; flow
                // leaving c1 on its far side has c2 as its second upwind cell.
                const bool beyond = side.next[t1][c2] > 0;
                const double back = std::max(-f, 0.0);
                const double fo = k.flux[side.surface[kOpposite[t1]][c1]];
                near.a[t1][c1] = (beyond ? d + 1.5 * back : d + back) + std::max(-0.5 * fo, 0.0);
                far.a[t1][c1] = beyond ? -0.5 * back : 0.0;
            }
            if (SecondCellSide(t2)) {
                const bool beyond = side.next[t2][c1] > 0;
                const double ahead = std::max(f, 0.0);
                const double fo = k.flux[side.surface[kOpposite[t2]][c2]];
                near.a[t2][c2] = (beyond ? d + 1.5 * ahead : d + ahead) + std::max(0.5 * fo, 0.0);
                far.a[t2][c2] = beyond ? -0.5 * ahead : 0.0;
            }
        }
    });
}

void SecondOrderDiffusionRange(int first, int last) {
    const Conductance k;
    const Slots near = CoefficientSlots();
    const Slots far = FarCoefficientSlots();
    k.Dispatch([&]<bool kConstant, bool kDamped, bool kExtra>() {
        for (int s = first; s <= last; ++s) {
            const int c1 = k.cell1[s], c2 = k.cell2[s];
            const int t1 = k.type1[s], t2 = k.type2[s];
            const double d = c1 != 0 && c2 != 0 ? k.DUnweighted<kConstant, kDamped, kExtra>(s, c1, c2) : 0.0;
            if (OnSide(t1) && c1 > 0) {
                near.a[t1][c1] = d;
                far.a[t1][c1] = 0.0;
            }
            if (OnSide(t2) && c2 > 0) {
                near.a[t2][c2] = d;
                far.a[t2][c2] = 0.0;
            }
        }
    });
}

void SecondOrderConvection(int first, int last) {
    const SurfaceView v;
    const double* const flux = Fflux.data();
    // k and epsilon take their sources and wall laws before their
    // coefficients, so Cap already marks the cells whose value a wall law
    // fixes. Such a value follows the wall's own profile (epsilon falls as
    // one over the wall distance), and a line through it and the upstream
    // cell overshoots into negative face values that feed the next cell a
    // negative epsilon, which the floor turns into an unbounded eddy
    // viscosity. Across such a cell the face stays first-order upwind. The
    // other equations assemble their centre coefficients after this pass, so
    // their Cap still holds another equation's and is not read.
    const double* const fixedCap = Equation == 5 || Equation == 6 ? Cap.data() : nullptr;
    const int* const generated = Fgenflag.data();
    const Slots near = CoefficientSlots();
    const Slots far = FarCoefficientSlots();
    const SideArrays side = CurrentSideArrays();
    for (int s = first; s <= last; ++s) {
        const int c1 = v.cell1[s], c2 = v.cell2[s];
        // The representative face of a split side carries the sum of the
        // facing surfaces, which bring their own convection.
        if (generated[s] != 0 || c1 <= 0 || c2 <= 0) continue;
        const int t1 = v.type1[s], t2 = v.type2[s];
        const double f = flux[s];
        // Upstream cell, downstream cell and the downstream cell's side
        // towards the upstream one.
        int up, down, t;
        if (f >= 0.0) {
            if (!SecondCellSide(t2)) continue;
            up = c1, down = c2, t = t2;
        } else {
            if (!FirstCellSide(t1)) continue;
            up = c2, down = c1, t = t1;
        }
        if (side.next[t][down] <= 0) continue;
        const double u = std::fabs(f);
        double r = 1.0;
        // Blocks joined with turned index directions pair other sides; the
        // line through such a surface is unknown there, so it stays
        // first-order.
        const bool straight = kOpposite[t1] == t2;
        const int uu = straight ? side.next[t][up] : 0;
        const bool fixedBeyond = fixedCap != nullptr && uu > 0 && !(fixedCap[uu] < kFixedValueCap);
        if (uu > 0 && !fixedBeyond) {
            const double* h = side.half[t];
            r = (2.0 * h[up] + h[uu]) / (h[up] + h[uu] + 1e-20);
            near.a[t][up] += (r - 1.0) * u;
        }
        near.a[t][down] += r * u;
        far.a[t][down] = (1.0 - r) * u;
    }
}
