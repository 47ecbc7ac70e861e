// How the slope of the bed and of the banks next to dry columns changes the
// bed concentration: the factor on the critical shear of a sloping bed (F 182)
// and the bank-slope factors of F 214 to F 217.
#include <algorithm>
#include <cmath>

#include "run/globals.h"
#include "sediment/bed_concentration.h"

namespace {

constexpr double kDegree = kBedPi / 180.0;

int TopCell(int c) {
    for (int n = 0; Ccellt[c] > 0 && n <= NoCells; ++n) c = Ccellt[c];
    return c;
}

// Mean cosine of the bed within F 204 metres of the bottom cell c along its
// row and its column, weighted by the walked lengths.
double AveragedBedCosine(int c) {
    double num = 0.0;
    double den = 0.0;
    auto walk = [&](int k, const Array1<int>& next, const Array1<double>& half) {
        double length = 0.0;
        for (int n = 0; k > 0 && length < F204Value && n <= NoCells; k = next[k], ++n) {
            num += Fvecz[Csurfb[k]] * half[k];
            length += 2.0 * half[k];
        }
        den += 0.5 * length;
    };
    walk(c, Ccellw, Cidist);
    walk(Ccelle[c], Ccelle, Cidist);
    walk(c, Ccells, Cjdist);
    walk(Ccelln[c], Ccelln, Cjdist);
    return num / (den + 1e-20);
}

double SlopeAlongAndAcross(double beta, double cs, double ct) {
    const double q = -std::sin(beta) * cs * ct;
    const double tb = std::tan(beta);
    const double cb = std::cos(beta);
    return q + std::sqrt(std::max(0.01, cb * cb * (1.0 - tb * tb * ct * ct) + q * q));
}

}  // namespace

double CriticalShearSlopeFactor(int b, int c, int dryNeighbours, bool* applied) {
    *applied = false;
    const int option = BedThicknessCheckOption;
    if (option < 1 || option > 8) return 1.0;
    if (BSedDistrib[1][0][b] + BSedDistrib[0][0][b] <= Diameter[1]) return 1.0;
    if (option % 2 == 0 && dryNeighbours <= 0) return 1.0;
    const int f = Csurfb[c];
    const double nz = Fvecz[f];
    if ((option == 1 || option == 2) && BedAngleFileOption > 1 && BcotAngle1.exists()) {
        CotAngle1 = BcotAngle1[b];
        CotAngle2 = BcotAngle2[b];
        AngleFactor = BangleFactor[b];
    }
    const double cs = CosAngle2D(Fvecx[f], Fvecy[f], Cu[c], Cv[c]);
    const double w = (cs + 1.0) / 2.0;
    const double ct = (1.0 - w) * CotAngle1 + w * CotAngle2;
    double k = 1.0;
    switch (option) {
        case 1:
        case 2: {
            const double beta = ClampedAcos(F204Value < 1e-7 ? nz : AveragedBedCosine(c));
            k = SlopeAlongAndAcross(beta, cs, ct);
            break;
        }
        case 3:
        case 4: k = SlopeAlongAndAcross(ClampedAcos(nz), cs, ct); break;
        case 5:
        case 6: {
            const double phi = std::atan(1.0 / ct);
            double along = SlopeAngle(Fvecx[f], Fvecy[f], nz, Cv[c], -Cu[c]);
            if (cs < 0.0) along = -along;
            const double across = SlopeAngle(Fvecx[f], Fvecy[f], nz, Cu[c], Cv[c]);
            k = 0.954 * std::pow(std::max(1.0 - along / phi, 0.0), 0.745) *
                std::pow(std::max(1.0 - across / phi, 0.0), 0.372);
            break;
        }
        default: {
            const double beta = ClampedAcos(nz);
            k = std::cos(beta) * std::sqrt(std::max(1.0 - std::tan(beta) * ct, 0.0));
            break;
        }
    }
    *applied = true;
    return std::max(k, AngleFactor);
}

void BankSlopeFactors(int c, int dryNeighbours, double depth, double* a, double* bb, double* d) {
    *a = *bb = 1.0;
    *d = 0.0;
    const int south = Ccells[c], east = Ccelle[c], north = Ccelln[c], west = Ccellw[c];
    auto either = [](int first, int second) { return first > 0 ? first : second; };
    const int se = either(south > 0 ? Ccelle[south] : 0, east > 0 ? Ccells[east] : 0);
    const int ne = either(east > 0 ? Ccelln[east] : 0, north > 0 ? Ccelle[north] : 0);
    const int nw = either(north > 0 ? Ccellw[north] : 0, west > 0 ? Ccelln[west] : 0);
    const int sw = either(west > 0 ? Ccells[west] : 0, south > 0 ? Ccellw[south] : 0);
    const int around[] = {c, south, se, east, ne, north, nw, west, sw};
    int nn = 0;
    for (int n = 1; n < 9; ++n) nn += around[n] > 0 ? 1 : 0;
    if (dryNeighbours == 0 || nn == 8) return;

    double sx = 0.0, sy = 0.0, su = 0.0, sv = 0.0, salpha = 0.0, sspeed = 0.0, speedC = 0.0;
    int mt = 0;
    for (int k : around) {
        if (k <= 0) continue;
        sx += Cxcenter[c] - Cxcenter[k];
        sy += Cycenter[c] - Cycenter[k];
        const double uk = std::hypot(Cu[k], Cv[k]);
        double speed = uk;
        if (Ccellt[k] > 0) {
            const int t = TopCell(k);
            const double ut = std::hypot(Cu[t], Cv[t]);
            ++mt;
            speed = (uk + ut) / 2.0;
            salpha += ClampedAsin((Cu[k] * Cv[t] - Cv[k] * Cu[t]) / std::sqrt(uk * uk * ut * ut + 1e-20));
            su += (Cu[k] + Cu[t]) / 2.0;
            sv += (Cv[k] + Cv[t]) / 2.0;
        } else {
            su += Cu[k];
            sv += Cv[k];
        }
        sspeed += speed;
        if (k == c) speedC = speed;
    }
    const double alpha = mt > 0 ? salpha / mt : 0.0;
    const double sn = (su * sy - sx * sv) / (std::sqrt((sx * sx + sy * sy) * (su * su + sv * sv)) + 1e-30);
    if (alpha * sn <= 0.0) return;

    const int f = Csurfb[c];
    const double bedAngle = ClampedAcos(Fvecz[f]);
    const double spiral = std::fabs(alpha) / 30.0 * std::fabs(sn);
    if (BedSlopeCorrectionA >= 1) {
        const double th = std::max(bedAngle - BedSlopeAngleA * kDegree, 0.0);
        double x = (std::sqrt(Farea[f]) * std::tan(th) + depth) / (depth + 1e-30);
        double y = (sspeed / nn) / (speedC + 1e-30);
        if (BedSlopeCorrectionA == 2) {
            x *= spiral;
            y *= spiral;
        }
        *bb = 1.0 + BedSlopeCoefA3 * y;
        *a = (1.0 + BedSlopeCoefA2 * y * y) * (1.0 + BedSlopeCoefA1 * x);
    }
    if (BedSlopeCorrectionB == 1) *a *= 1.0 + BedSlopeCoefB * std::fabs(std::sin(alpha));
    if (BedSlopeCorrectionB == 2) *a *= 1.0 + BedSlopeCoefB * std::fabs(std::cos(sn));
    if (BedSlopeCorrectionC >= 1) {
        const double th = std::max(bedAngle - BedSlopeAngleC * kDegree, 0.0);
        double v = std::sqrt(Farea[f]) * std::tan(th) * Farea[f] * 0.5 / BedSolidFraction;
        if (BedSlopeCorrectionC == 2) v *= spiral;
        *d = v / Cvol[c];
    }
    if (BedSlopeCorrectionD >= 1) {
        const double th = std::max(bedAngle - BedSlopeAngleD * kDegree, 0.0);
        double v = std::tan(th) * BedSlopeCoefD * TimeStep * Farea[f] / BedSolidFraction;
        if (BedSlopeCorrectionC == 5) v *= spiral;
        *d += v / Cvol[c];
    }
}
