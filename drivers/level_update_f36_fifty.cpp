// The water-level update of free-surface option 50: a plan equation of the
// column levels of block 1 whose side coefficients the column's Froude
// number weights, and the level change of the flux into each top cell.
#include "drivers/level_update_f36_fifty.h"

#include <algorithm>
#include <cmath>

#include "drivers/flow_drivers.h"
#include "run/globals.h"

namespace {

constexpr double kGravity = 9.81;

}  // namespace

double BlendSurfaceFlux(double flux, double froude) {
    double a = 0.95 * flux;
    if (froude > 1.0) {
        a = std::max(a, 0.0);
        if (froude < 1.5) a *= 2.0 * froude - 2.0;
    } else {
        a = std::max(-a, 0.0);
        if (froude > 0.5 && froude < 1.0) a *= 2.0 - 2.0 * froude;
    }
    return a + 0.05 * std::fabs(flux);
}

ColumnSums SumColumn(int bed) {
    ColumnSums s;
    int walked = 0;
    for (int c = bed; c > 0 && walked < NoCells; c = Ccellt[c], ++walked) {
        s.halfDepth += Ckdist[c];
        s.west += Fflux[Csurfw[c]];
        s.east += Fflux[Csurfe[c]];
        s.south += Fflux[Csurfs[c]];
        s.north += Fflux[Csurfn[c]];
        s.areaWest += Farea[Csurfw[c]];
        s.areaEast += Farea[Csurfe[c]];
        s.areaSouth += Farea[Csurfs[c]];
        s.areaNorth += Farea[Csurfn[c]];
        // The flux into the top cell from the cell below it.
        const int above = Ccellt[c];
        s.intoTop = above > 0 && Ccellt[above] <= 0 ? Fflux[Csurft[c]] : s.intoTop;
    }
    return s;
}

double ColumnFroudeNumber(const ColumnSums& s) {
    // The fluxes are signed west to east and south to north, so the flow
    // through the column is the mean of what crosses its two sides.
    const double ux = 0.001 * (s.west + s.east) / (s.areaWest + s.areaEast + 1e-20);
    const double uy = 0.001 * (s.south + s.north) / (s.areaSouth + s.areaNorth + 1e-20);
    return std::sqrt((ux * ux + uy * uy) / (kGravity * 2.0 * s.halfDepth + 1e-20));
}

void UpdateLevelsF36Fifty() {
    if (!Blevelcorr.exists() || NoBlocks < 1) return;
    Blevelcorr[0] = 0.0;
    const BlockRecord& block = BlockTable[1];
    const int last = std::min(block.lastCell, NoCells);
    for (int c = std::max(block.firstCell, 1); c <= last; ++c) {
        if (Ccellb[c] != 0) continue;
        const int b = Cbedcell[c];
        if (b < 0 || static_cast<size_t>(b) >= Blevelcorr.size() || static_cast<size_t>(b) >= Barea.size()) continue;
        const ColumnSums s = SumColumn(c);
        const double froude = ColumnFroudeNumber(s);
        Caw[c] = BlendSurfaceFlux(s.west, froude);
        Cae[c] = BlendSurfaceFlux(-s.east, froude);
        Cas[c] = BlendSurfaceFlux(s.south, froude);
        Can[c] = BlendSurfaceFlux(-s.north, froude);
        Cap[c] = Caw[c] + Cae[c] + Cas[c] + Can[c] + 1e-80 +
                 2.0 * s.halfDepth * Fareaz[Csurfb[c]] * 1000.0 / (TimeStep + 1e-30);
        if (Barea[b] > 0.0) Blevelcorr[b] += 0.001 * s.intoTop * TimeStep / Barea[b];
    }
}
