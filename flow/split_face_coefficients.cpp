// Coefficients of the sides that face several cells of the neighbouring
// column (F 137): one coefficient per facing cell in the side's list, and
// each facing cell's own coefficient towards the cell.
#include <algorithm>
#include <cmath>

#include "flow/conductance.h"
#include "flow/flow_data.h"
#include "flow/flow_services.h"
#include "flow/second_order.h"
#include "grid/grid_data.h"
#include "run/globals.h"

namespace {

struct SplitSide {
    const Array1<int>& count;
    const Array2<int>& list;
    Array2<double>& a;
    Array2<double>& b;
    const Array1<int>& facingSurface;  // of a facing cell, towards the cell
    Array1<double>& own;               // the cell's ordinary coefficient
    Array1<double>& facingBack;        // a facing cell's coefficient towards the cell
    const Array1<int>& beyond;         // the cell beyond a facing cell
    const Array1<int>& back;           // a facing cell's ordinary neighbour towards the cell
    const Array1<double>& half;
    bool cellFirst;  // the cell is Fcell1 of the facing surfaces (east, north)
};

}  // namespace

void ComputeMultiNeighbourCoefficients() {
    if (SplitFaceFlag <= 0) return;
    const SplitSide sides[4] = {
        {Cnocellse, CnbMultiE, CaMultiE, CbMultiE, Csurfw, Cae, Caw, Ccelle, Ccellw, Cidist, true},
        {Cnocellsw, CnbMultiW, CaMultiW, CbMultiW, Csurfe, Caw, Cae, Ccellw, Ccelle, Cidist, false},
        {Cnocellsn, CnbMultiN, CaMultiN, CbMultiN, Csurfs, Can, Cas, Ccelln, Ccells, Cjdist, true},
        {Cnocellss, CnbMultiS, CaMultiS, CbMultiS, Csurfn, Cas, Can, Ccells, Ccelln, Cjdist, false},
    };
    for (const SplitSide& side : sides) {
        if (!side.count.exists() || !side.list.exists() || !side.a.exists()) return;
    }
    const bool secondOrder = SecondOrderEquation();
    const double* const flux = Fflux.data();
    const double* const dist1 = Fdist1.data();
    const double* const dist2 = Fdist2.data();
    const double* const area = Farea.data();
    const double* const nu = Ceddyvisc.data();
    const int first = std::max(FirstCell, 1), last = std::min(LastCell, NoCells);
    for (const SplitSide& side : sides) {
        const size_t width = std::min(side.list.extent2(), side.a.extent2());
        const bool withB = side.b.exists() && side.b.extent2() >= width;
        for (int c = first; c <= last; ++c) {
            const int m = std::min(side.count[c], static_cast<int>(width));
            if (m <= 0) continue;
            const int nb0 = side.list[c][0];
            for (int i = 0; i < m; ++i) {
                const int nb = nb0 + i;
                if (nb < 1 || nb > NoCells) continue;
                const int s = side.facingSurface[nb];
                const double f = flux[s];
                const int cell1 = side.cellFirst ? c : nb, cell2 = side.cellFirst ? nb : c;
                const double w = 1.0 / (dist1[s] + dist2[s] + 1e-20);
                const double gamma = (dist1[s] * nu[cell2] + dist2[s] * nu[cell1]) * w;
                const double d = gamma * area[s] * w;
                const double da = d * PowerLaw(std::fabs(f / (d + 1e-20)));
                // Flux from cell 1 to cell 2: out of c on an east or north side.
                const double outOfCell = side.cellFirst ? f : -f;
                double a, b = 0.0;
                if (!secondOrder) {
                    side.facingBack[nb] = da + std::max(outOfCell, 0.0);
                    a = da + std::max(-outOfCell, 0.0);
                } else if (outOfCell >= 0.0) {
                    a = da;
                } else {
                    const double u = std::fabs(f);
                    const int nn = side.beyond[nb];
                    if (nn == 0) {
                        a = da + u;
                    } else {
                        double r = (2.0 * side.half[nb] + side.half[nn]) / (side.half[nb] + side.half[nn] + 1e-20);
                        b = -(r - 1.0) * u;
                        if (side.back[nb] > 0) r *= 1.33;
                        a = da + r * u;
                    }
                }
                side.a[c][i] = a;
                if (withB) side.b[c][i] = b;
            }
            side.own[c] = 0.0;
        }
    }
}
