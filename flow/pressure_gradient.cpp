// Pressure force of the momentum equations from pressure differences along
// the grid lines, weighted with the area vectors of each pair of faces.
#include "flow/flow_data.h"
#include "flow/flow_services.h"
#include "flow/plan_differences.h"
#include "grid/grid_data.h"
#include "run/globals.h"

namespace {

enum class Plan {
    FirstOrder,      // first-order rule in i and j
    Piezometric,     // first order in i and j of Pres + 9810 z
    PiezometricI2,   // as Piezometric, second order one-sided in i
    SecondOrder,     // second order one-sided in i and j
    OpenFaces,       // low-face and corner rules
    OpenFacesBed,    // as OpenFaces, missing neighbours from the bed cell
};

struct Variant {
    Plan plan;
    bool secondK;    // second order one-sided in k
    bool vertical;   // the tilt of top and bottom faces acts on U and V
};

constexpr Variant kVariant0{Plan::FirstOrder, false, true};
constexpr Variant kVariant1{Plan::Piezometric, false, false};
constexpr Variant kVariant2{Plan::PiezometricI2, true, false};
constexpr Variant kVariant3{Plan::SecondOrder, false, true};
constexpr Variant kVariant5{Plan::FirstOrder, false, false};
constexpr Variant kVariant9{Plan::OpenFaces, false, true};
constexpr Variant kVariant20{Plan::OpenFacesBed, false, true};

// Second order one-sided at a boundary: where only one neighbour exists, the
// next cell beyond it takes part too (plus[] and minus[] are the neighbour
// arrays of the direction, so plus[p] is the cell beyond p).
template <class F>
double SecondOrderDifference(const F& f, int c, const int* minus, const int* plus) {
    const int m = minus[c], p = plus[c];
    if ((m > 0) == (p > 0)) return CellDifference(f, c, m, p);
    if (p > 0) {
        const int pp = plus[p];
        return pp > 0 ? (4.0 * f[p] - 3.0 * f[c] - f[pp]) * 0.5 : f[p] - f[c];
    }
    const int mm = minus[m];
    return mm > 0 ? (3.0 * f[c] - 4.0 * f[m] + f[mm]) * 0.5 : f[c] - f[m];
}

// The piezometric pressure of a cell, formed where it is read.
struct PiezometricPressure {
    const double* p;
    const double* z;
    double operator[](int c) const { return p[c] + 9810.0 * z[c]; }
};

template <const Variant& V>
void PressureForce(int first, int last) {
    const double* const p = Pres.data();
    const CellLinks link;
    double* const source = Csource.data();
    const PiezometricPressure piezo{p, Czcenter.data()};
    const SideFaceHeights faces;
    const PlanNeighbourView plan(V.plan == Plan::OpenFacesBed);

    // U takes the x components of the area vectors, V the y components, and
    // every other equation the vertical force alone.
    const double* const area = Equation == 1 ? Fareax.data() : Equation == 2 ? Fareay.data() : nullptr;
    const double* const areaz = Fareaz.data();

    for (int c = first; c <= last; ++c) {
        const double dk =
            V.secondK ? SecondOrderDifference(p, c, link.b, link.t) : CellDifference(p, c, link.b[c], link.t[c]);
        if (!area) {
            source[c] -= dk * areaz[link.st[c]];
            continue;
        }
        double di, dj;
        if constexpr (V.plan == Plan::FirstOrder) {
            di = CellDifference(p, c, link.w[c], link.e[c]);
            dj = CellDifference(p, c, link.s[c], link.n[c]);
        } else if constexpr (V.plan == Plan::Piezometric) {
            di = CellDifference(piezo, c, link.w[c], link.e[c]);
            dj = CellDifference(piezo, c, link.s[c], link.n[c]);
        } else if constexpr (V.plan == Plan::PiezometricI2) {
            di = SecondOrderDifference(piezo, c, link.w, link.e);
            dj = CellDifference(piezo, c, link.s[c], link.n[c]);
        } else if constexpr (V.plan == Plan::SecondOrder) {
            di = SecondOrderDifference(p, c, link.w, link.e);
            dj = SecondOrderDifference(p, c, link.s, link.n);
        } else {
            faces.Differences(p, c, plan(c), &di, &dj);
        }
        double f = (area[link.se[c]] + area[link.sw[c]]) * di + (area[link.sn[c]] + area[link.ss[c]]) * dj;
        if constexpr (V.vertical) f += (area[link.st[c]] + area[link.sb[c]]) * dk;
        source[c] -= 0.5 * f;
    }
}

}  // namespace

void AddPressureGradientForce(int first, int last) {
    if (first > last) return;
    const int option = PressureGradientOption;
    switch (option) {
        case 0: PressureForce<kVariant0>(first, last); break;
        case 1: PressureForce<kVariant1>(first, last); break;
        case 2: PressureForce<kVariant2>(first, last); break;
        case 3: PressureForce<kVariant3>(first, last); break;
        case 4:
        case 6:
        case 7:
        case 8: AddSlopingPressureGradientForce(first, last); break;
        case 5: PressureForce<kVariant5>(first, last); break;
        default:
            // 9 to 19 alike; 20 and above substitute missing neighbours from
            // the bed cell, for which the grid keeps the bed-neighbour arrays.
            if (option >= 20) {
                PressureForce<kVariant20>(first, last);
            } else if (option >= 9) {
                PressureForce<kVariant9>(first, last);
            }
            break;
    }
}
