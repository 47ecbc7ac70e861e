// Sediment carried across the bed slope: the transverse velocity that the
// slope gives the grains moves each bottom cell's sediment into the side
// neighbours down the transverse direction, source for source, so the sum
// over the cells does not change.
#include <algorithm>
#include <cmath>
#include <utility>

#include "grid/grid_data.h"
#include "run/globals.h"
#include "sediment/sediment_services.h"

double ShieldsNumber(double tau, double diameter) {
    return std::max(tau, 0.0) / (std::fabs(CriticalShields) * diameter * (SedRelativeDensity - 1.0) * 9810.0 + 1e-30);
}

double SlopeDeflection(double theta, double nz) {
    // Still water moves no grains: theta^-0.5 would be infinite, and times a
    // flat bed's zero slope it would give NaN.
    if (!(theta > 0.0)) return 0.0;
    return LateralSlopeFactor / std::sqrt(theta) * std::sqrt(std::max(1.0 - nz * nz, 0.0));
}

double TransverseSlope(double nx, double ny, double u, double v) {
    return (nx * v - ny * u) / (std::sqrt((u * u + v * v) * (nx * nx + ny * ny)) + 1e-30);
}

void AddSlopeBedLoadExchange(int s) {
    if (s < 1 || s > NoSizes || !conc.exists() || !BSedDistrib.exists() ||
        BSedDistrib.extent2() <= static_cast<size_t>(s)) {
        return;
    }
    const bool single = NoSizes == 1 && (FlagTSC == 1 || FlagTSC == 2);
    if (!single && (!CsourceMulti.exists() || CsourceMulti.extent1() <= static_cast<size_t>(s))) return;
    double* source = single ? Csource.data() : &CsourceMulti[s][0];
    const double d = Diameter[s];
    for (int b = std::max(FirstBedCell, 1); b <= LastBedCell; ++b) {
        const int c = Bcellt[b];
        if (c <= 0 || !(d < BSedDistrib[0][s][b] * BSedDistrib[0][0][b])) continue;
        const int bed = Csurfb[c];
        double g = SlopeDeflection(ShieldsNumber(300.0 * Ck[c], d), Fvecz[bed]);
        if (g == 0.0) continue;
        if (TransverseSlope(Fvecx[bed], Fvecy[bed], Cu[c], Cv[c]) < 0.0) g = -g;
        const double qx = Cv[c] * g, qy = -g * Cu[c];
        const double cs = conc[s][c];
        // Out through the east and north faces, in through the west and south.
        for (const auto& [nb, f] : {std::pair{Ccelle[c], Csurfe[c]}, std::pair{Ccelln[c], Csurfn[c]}}) {
            if (nb <= 0) continue;
            const double F = (Fareax[f] * qx + Fareay[f] * qy) * 1000.0;
            if (F > 0.0) {
                source[c] -= F * cs;
                source[nb] += F * cs;
            }
        }
        for (const auto& [nb, f] : {std::pair{Ccellw[c], Csurfw[c]}, std::pair{Ccells[c], Csurfs[c]}}) {
            if (nb <= 0) continue;
            const double F = (Fareax[f] * qx + Fareay[f] * qy) * 1000.0;
            if (F < 0.0) {
                source[c] += F * cs;
                source[nb] -= F * cs;
            }
        }
    }
}
