// Neighbour coefficients of the three displacement equations of the elastic
// stress computation: a stiffness per surface from the modulus of elasticity
// and Poisson's ratio, in the variant F 259 selects.
//
// The bed face of a bottom cell holds the body: without it no face carries a
// displacement and the vertical equation of a body loaded by its weight has
// no solution (Gauss-Seidel drifts by the load over the stiffness per sweep).
// That face couples its cell to the no-cell slot, whose displacement is 0.
#include <cmath>

#include "flow/flow_data.h"
#include "flow/flow_services.h"
#include "grid/grid_data.h"
#include "run/globals.h"

namespace {

constexpr int kBottomSide = 5;
constexpr int kTopSide = 6;

// The coefficient of cell side `type` (1 south .. 6 top).
double& SideCoefficient(int type, int c) {
    switch (type) {
        case 1: return Cas[c];
        case 2: return Cae[c];
        case 3: return Can[c];
        case 4: return Caw[c];
        case kBottomSide: return Cab[c];
        default: return Cat[c];
    }
}

bool IsSide(int type) { return type >= 1 && type <= 4; }

// The cell of a surface with one cell, its side type and its distance to the
// face; cell 0 when the surface has two cells or none.
struct Hand {
    int cell = 0, type = 0;
    double dist = 0.0;
};

Hand LoneCell(int s) {
    const int c1 = Fcell1[s], c2 = Fcell2[s];
    if (c1 > 0 && c2 == 0) return {c1, Ftype1[s], Fdist1[s]};
    if (c2 > 0 && c1 == 0) return {c2, Ftype2[s], Fdist2[s]};
    return {};
}

// The bed face of a bottom cell: `k` is the stiffness times the distance.
void HoldBed(int s, double k) {
    const Hand h = LoneCell(s);
    if (h.cell == 0 || h.type != kBottomSide || Ccellb[h.cell] != 0 || !(h.dist > 0.0)) return;
    Cab[h.cell] = k / h.dist;
}

void Variant9(int component, int first, int last) {
    const double E = YoungModulus, nu = PoissonRatio;
    const double normal = E / (1.0 - nu * nu), shear = E / (2.0 + nu);
    const bool vertical = component == 3;
    const double side = vertical ? shear : normal;
    const double topBottom = vertical ? normal : shear;
    for (int s = first; s <= last; ++s) {
        const int c1 = Fcell1[s], c2 = Fcell2[s];
        if (c1 == 0 || c2 == 0) {
            HoldBed(s, Farea[s] * topBottom);
            continue;
        }
        const double L = Fdist1[s] + Fdist2[s];
        const double kSide = Farea[s] * side / L, kTopBottom = Farea[s] * topBottom / L;
        const int t1 = Ftype1[s], t2 = Ftype2[s];
        if (IsSide(t1)) SideCoefficient(t1, c1) = kSide;
        if (t1 == kTopSide) Cat[c1] = kTopBottom;
        if (IsSide(t2)) SideCoefficient(t2, c2) = kSide;
        if (t2 == kBottomSide) Cab[c2] = kTopBottom;
    }
}

// Each coefficient only on the cell the displacement flux points into. The
// top coefficient of the x component, and of the y component where the flux
// does not point into the first cell, is 0: nothing couples those cells
// vertically in this variant.
void Variant2(int component, int first, int last) {
    const double E = YoungModulus;
    for (int s = first; s <= last; ++s) {
        const int c1 = Fcell1[s], c2 = Fcell2[s];
        const bool both = c1 > 0 && c2 > 0;
        const double K = both ? 0.5 * E * Farea[s] : 0.0;
        const double flux = Fflux[s];
        if (!both) {
            const double bed = component == 3 ? std::fabs(Fareaz[s]) * E : 0.5 * E * Farea[s];
            HoldBed(s, bed);
        }
        if (c1 > 0) {
            const int t1 = Ftype1[s];
            if (IsSide(t1)) {
                SideCoefficient(t1, c1) = flux < 0.0 ? K / Fdist1[s] : 0.0;
            } else if (t1 == kTopSide) {
                if (component == 3) {
                    Cat[c1] = Fareaz[s] * E / (Ckdist[c1] + Ckdist[Ccellt[c1]]);
                } else if (component == 2 && flux < 0.0) {
                    Cat[c1] = 0.5 * E * std::fabs(Fareay[s]) / Fdist1[s];
                } else {
                    Cat[c1] = 0.0;
                }
            }
        }
        if (c2 > 0) {
            const int t2 = Ftype2[s];
            if (IsSide(t2)) SideCoefficient(t2, c2) = flux > 0.0 ? K / Fdist2[s] : 0.0;
            if (t2 == kBottomSide && both) Cab[c2] = 0.0;
        }
    }
}

// Vertical coupling through the shear modulus. A side surface whose first
// side is south or east gives its second cell V as the south or east
// coefficient; V holds the vertical area component, which a vertical side
// face does not have, so the sides stay uncoupled.
void Variant5(int first, int last) {
    const double a = TwiceShearModulus;
    for (int s = first; s <= last; ++s) {
        const int c1 = Fcell1[s], c2 = Fcell2[s];
        if (c1 == 0 || c2 == 0) {
            HoldBed(s, std::fabs(Fareaz[s]) * a);
            continue;
        }
        const double V = Fareaz[s] * a;
        const double L = Fdist1[s] + Fdist2[s];
        const int t1 = Ftype1[s], t2 = Ftype2[s];
        if (t1 == kTopSide) Cat[c1] = V / L;
        if (t2 == kBottomSide) Cab[c2] = V / L;
        if (t1 == 1) Cas[c2] = V;
        if (t1 == 2) Cae[c2] = V;
    }
}

}  // namespace

void AssembleStressCoefficients(int component, int first, int last) {
    Cidist[0] = 0.0;
    Cjdist[0] = 0.0;
    switch (StressVariant) {
        case 9: Variant9(component, first, last); break;
        case 2: Variant2(component, first, last); break;
        case 5: Variant5(first, last); break;
        default: break;
    }
}
