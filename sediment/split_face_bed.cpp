// The bed update of split-face grids (F 137): the net deposition of every
// size from the bottom cell's balance over all its faces, including the
// extra cells across split faces. With F 134 2 it updates the active layer
// over the inactive one; otherwise the layers of the stack take it as the
// layered bed does.
#include <algorithm>
#include <cmath>

#include "run/fatal.h"
#include "run/globals.h"
#include "run/log.h"
#include "sediment/sediment_services.h"

namespace {

constexpr double kNoChange = 1e-9;

double& Thickness(int layer, int b) { return BSedDistrib[layer][0][b]; }
double& Fraction(int layer, int s, int b) { return BSedDistrib[layer][s][b]; }

// Size s arriving from the extra cells across the split sides of cell c.
double SplitFaceInflow(int s, int c) {
    struct Side {
        const Array1<int>& count;
        const Array2<int>& first;
        const Array2<double>& a;
    };
    const Side sides[4] = {{Cnocellse, CnbMultiE, CaMultiE},
                           {Cnocellsw, CnbMultiW, CaMultiW},
                           {Cnocellsn, CnbMultiN, CaMultiN},
                           {Cnocellss, CnbMultiS, CaMultiS}};
    const int cells = static_cast<int>(conc.extent2());
    double inflow = 0.0;
    for (const Side& side : sides) {
        if (!side.count.exists() || !side.first.exists() || !side.a.exists()) continue;
        if (static_cast<size_t>(c) >= side.count.size()) continue;
        const int n = std::min(side.count[c], static_cast<int>(side.a.extent2()));
        if (n <= 0) continue;
        // The cells across one side follow each other, as the cells of a column do.
        const int first = side.first[c][0];
        for (int k = 0; k < n; ++k) {
            const int cell = first + k;
            if (cell > 0 && cell < cells) inflow += side.a[c][k] * conc[s][cell];
        }
    }
    return inflow;
}

struct Step {
    double dz[kMaxSizes + 1] = {};
    double content[kMaxSizes + 1] = {};  // new content of the surface layer per size (m)
    double d1 = 0.0;                     // change of the surface layer (m)
    double taken = 0.0;                  // thickness the inactive layer gave (m)
    double sumG = 1.0;                   // the last renormalisation, for the report
};

// F 134 2: the active layer 1 over the inactive layer 0.
void UpdateTwoLayers(int b, double ta, Step& st) {
    const int n = NoSizes;
    double& t1 = Thickness(1, b);
    double& t0 = Thickness(0, b);
    double sa = 0.0;
    for (int s = 1; s <= n; ++s) sa += st.content[s];
    if (st.d1 > kNoChange) {
        double below = st.d1;
        if (t1 < ta) {
            const double filled = std::min(ta, t1 + st.d1);
            below = t1 - filled + st.d1;
            t1 = filled;
        }
        for (int s = 1; s <= n; ++s) Fraction(1, s, b) = st.content[s] / (sa + 1e-30);
        if (below > kNoChange) {
            double sum = 0.0;
            for (int s = 1; s <= n; ++s) {
                Fraction(0, s, b) = (Fraction(1, s, b) * below + Fraction(0, s, b) * t0) / (t0 + below);
                sum += Fraction(0, s, b);
            }
            st.sumG = 1.0 / (sum + 1e-30);
            for (int s = 1; s <= n; ++s) Fraction(0, s, b) *= st.sumG;
            t0 += below;
        }
    } else if (st.d1 < -kNoChange) {
        st.taken = std::min(-st.d1, t0);
        t1 += std::min(st.d1 + t0, 0.0);
        t0 = std::max(t0 + st.d1, 0.0);
        for (int s = 1; s <= n; ++s) {
            Fraction(1, s, b) = std::min((Fraction(0, s, b) * st.taken + st.content[s]) / (t1 + 1e-30), 1.0);
        }
    }
}

// Other F 134 values: the stack of the layered bed. Each size deposits into
// or erodes from the stack at the top layer's packing, and the top layer is
// kept at the nominal thickness; no layer above the top is started.
void UpdateStack(int b, int top, double ta, const Step& st) {
    const double packing = BlayerValue.exists() ? BlayerValue[top][b] : BedSolidFraction;
    const double toTop = BedSolidFraction / (packing + 1e-30);
    for (int s = 1; s <= NoSizes; ++s) {
        if (st.dz[s] != 0.0) ErosionLayers(b, s, st.dz[s] * toTop);
    }
    KeepTopLayerThickness(b, top, ta);
}

void CheckLayers(int b, int c, int surface, const Step& st) {
    if (Thickness(surface, b) < 0.0) FailWithLog(-44, "Error, negative bed layer at i,j=%d %d\n", Bkooi[b], Bkooj[b]);
    for (int s = 1; s <= NoSizes; ++s) {
        const double f = Fraction(surface, s, b);
        if (f <= 1.0 && f >= 0.0) continue;
        LogAppend("Error in TSC1: Iter=%d, b=%d, c=%d, l=%d, i=%d, j=%d\n", Iter, b, c, s, Bkooi[b], Bkooj[b]);
        LogAppend("BSedDistrib[%d,%d] = %lf %lf %lf %lf\n", s, b, f, Thickness(surface, b), Fraction(0, s, b),
                  Thickness(0, b));
        LogAppend("dummy = %lg, thick2=%lg, SumG=%lg, midA[%d]=%lg\n", st.d1, st.taken, st.sumG, s, st.content[s]);
    }
}

}  // namespace

void UpdateBedLayersMultiLayer(double activeLayerLimit) {
    if (!Bcellt.exists() || !BSedDistrib.exists() || NoSizes < 1) return;
    const int sizes = std::min(NoSizes, kMaxSizes);
    const double phi = BedSolidFraction;
    const int last = std::min(LastBedCell, static_cast<int>(Bcellt.size()) - 1);
    for (int b = std::max(FirstBedCell, 1); b <= last; ++b) {
        Bedmove[b] = 0.0;
        const int c = Bcellt[b];
        if (c < 1) continue;
        const double area = Barea[b];
        Step st;
        double move = 0.0;
        for (int s = 1; s <= sizes; ++s) {
            const double inflow = BottomCellInflow(s, b, c) + SplitFaceInflow(s, c);
            st.dz[s] = (inflow - conc[s][c] * BsedOutflowCoef[s][b]) * 0.001 / phi * TimeStep / (area + 1e-20);
            move += st.dz[s];
            BedLayerChangeBySize[s] += area * st.dz[s] * 1000.0 * phi;
        }
        Bedmove[b] = move;
        if (sizes == 1) continue;
        const bool twoLayers = NoBedLayers == 2;
        const int surface = twoLayers ? 1 : TopBedLayer(b);
        double sa = 0.0;
        for (int s = 1; s <= sizes; ++s) {
            st.content[s] = std::max(Fraction(surface, s, b) * Thickness(surface, b) + st.dz[s], 0.0);
            sa += st.content[s];
        }
        st.d1 = sa - Thickness(surface, b);
        if (twoLayers) {
            UpdateTwoLayers(b, activeLayerLimit, st);
        } else {
            UpdateStack(b, surface, activeLayerLimit, st);
        }
        CheckLayers(b, c, surface, st);
    }
}
