// The bed concentration of the classic transport formulas (F 10 A, E, I, M, S
// and Y): the transport rate per unit width of a water column divided by the
// column's capacity, the depth integral of speed times the Rouse profile per
// unit reference concentration. With it the column's d90, bed-form height and
// roughness.
#include <algorithm>
#include <cmath>

#include "run/fatal.h"
#include "run/globals.h"
#include "run/log.h"
#include "sediment/bed_concentration.h"
#include "sediment/sediment_services.h"

namespace {

constexpr double kViscosity = 1e-6;
// A column that carries less than this per unit concentration carries nothing.
constexpr double kNoCapacity = 1e-10;
// Yang's critical velocity is fitted for grain Reynolds numbers from 1.2 to
// 70; below 1.2 its logarithm runs into a pole (at e^0.06) and then changes
// sign.
constexpr double kYangLowestReynolds = 1.2;

// What the formulas read of a column.
struct FormulaColumn {
    int column = 0;            // b
    int bottom = 0;            // bottom cell c
    double depth = 0.0;        // H
    double meanSpeed = 0.0;    // Um, depth-averaged
    double bottomSpeed = 0.0;  // U_c
    double tau = 0.0;          // bed shear, with the F 90 4/5 factor
    double ustar = 0.0;        // from the bed shear without that factor
    double slope = 0.0;        // energy slope S, likewise
    double d90 = 0.0, dm = 0.0;
};

// The surface layer: layer 1 of the two-layer bed, else the column's top layer.
int FormulaLayer(int b) {
    if (NoBedLayers == 2) return 1;
    return BNoLayers.exists() ? std::clamp(BNoLayers[b], 0, NoBedLayers) : std::min(1, NoBedLayers);
}

FormulaColumn ReadColumn(int b, int c, const LayerDiameters& dia) {
    FormulaColumn col;
    col.column = b;
    col.bottom = c;
    double speedDepth = 0.0;
    ColumnDepth(c, &col.depth, &speedDepth);
    col.meanSpeed = col.depth > 0.0 ? speedDepth / col.depth : 0.0;
    col.bottomSpeed = CellSpeed(c);
    // k is never negative in a converged flow; a negative one would give a
    // shear velocity that is not a number.
    const double tau = 300.0 * std::max(Ck[c], 0.0) + 1e-20;
    col.ustar = std::sqrt(0.001 * tau);
    col.slope = tau / (9810.0 * col.depth + 1e-20);
    col.tau = tau;
    if ((RoughnessOption == 4 || RoughnessOption == 5) && Croughness[c] > 0.0) {
        col.tau *= std::pow(std::min(3.0 * dia.d90 / Croughness[c], 1.0), 0.25);
    }
    col.d90 = dia.d90;
    col.dm = dia.dm;
    return col;
}

// P: the integral over the column of speed times the Rouse profile of Rouse
// number `rouse`, which is 1 at the centre of the bottom cell.
double Capacity(const FormulaColumn& col, double rouse) {
    const double a = Ckdist[col.bottom];
    const double h = col.depth;
    double below = 0.0, p = 0.0;
    for (int k = col.bottom, n = 0; k > 0 && n <= NoCells; k = Ccellt[k], ++n) {
        const double z = below + Ckdist[k];
        const double phi = std::pow((h - z) / z * a / (h - a), rouse);
        p += 2.0 * phi * Ckdist[k] * CellSpeed(k);
        below += 2.0 * Ckdist[k];
    }
    return p;
}

// Rate per unit width (m2/s of grains) of a concentration by weight in ppm
// carried by the whole depth at the mean speed.
double RateOfPpm(double ppm, const FormulaColumn& col) {
    return ppm * 1e-6 * col.meanSpeed * col.depth / SedRelativeDensity;
}

// Ackers and White: the concentration by weight in ppm, 0 below the start of
// motion. `noticed` keeps the validity warning to one per call.
double AckersWhitePpm(const FormulaColumn& col, double d, bool* noticed) {
    const double sr = SedRelativeDensity;
    const double dgr = std::pow((sr - 1.0) * 9.81, 0.33333) * d * 9999.907897020428;
    double n = 0.0, a = 0.17, m = 1.5, cg = 0.025;
    if (dgr <= 60.0) {
        const double lg = std::log10(dgr);
        n = 1.0 - 0.56 * lg;
        a = 0.23 / std::sqrt(dgr) + 0.14;
        m = 9.66 / dgr + 1.34;
        cg = std::pow(10.0, 2.86 * lg - lg * lg - 3.53);
    }
    if (dgr < 1.0) {
        if (!*noticed) LogAppend("Ackers/White formula not valid for this situation\n");
        *noticed = true;
        n = 1.0;
    }
    const double fgr = std::pow(col.ustar, n) / std::sqrt(9.81 * d * (sr - 1.0)) *
                       std::pow(col.meanSpeed / (5.656854249492381 * std::log10(10.0 * col.depth / d)), 1.0 - n);
    const double g = fgr / a - 1.0;
    if (g < 0.0) return 0.0;
    return cg * std::pow(g, m) * 1e6 * sr * d * std::pow(col.meanSpeed / col.ustar, n) / col.depth;
}

// Shen and Hung: the concentration by weight in ppm.
double ShenHungPpm(const FormulaColumn& col, double w) {
    const double x =
        std::pow(3.28 * col.meanSpeed * std::pow(col.slope, 0.57) / std::pow(3.28 * w, 0.32), 0.0075);
    const double lg = -107404.5 + 324214.7 * x - 326309.6 * x * x + 109503.9 * x * x * x;
    return std::pow(10.0, lg);
}

// Yang's stream power: the concentration by weight in ppm; 0 where the mean
// speed does not exceed the critical one.
double YangPpm(const FormulaColumn& col, double d, double w) {
    const double rstar = col.ustar * d / kViscosity;
    const double vcr =
        rstar < 70.0 ? (2.5 / (std::log(std::max(rstar, kYangLowestReynolds)) - 0.06) + 0.66) * w : 2.5 * w;
    if (col.meanSpeed <= vcr) return 0.0;
    const double grain = std::log10(w * d / kViscosity);
    const double shear = std::log10(col.ustar / w);
    const double lg = 5.435 - 0.285 * grain - 0.457 * shear + (1.799 - 0.409 * grain - 0.314 * shear) +
                      std::log10((col.meanSpeed - vcr) * col.slope / w);
    return std::pow(10.0, lg);
}

struct SizeResult {
    double value = 0.0;  // BpotentialConc
    double stage = 0.0;  // T, the transport stage of the bed forms
};

SizeResult FormulaOfSize(const FormulaColumn& col, int s, bool* ackersNoticed) {
    const double sr = SedRelativeDensity;
    const double d = Diameter[s];
    const double w = FallVelocity[s];
    SizeResult out;
    // Every formula divides by the diameter; a size without one moves nothing.
    if (!(d > 1e-30)) return out;
    const double weight = (sr - 1.0) * 9810.0;
    const double thc =
        CriticalShields > 0.0 ? CriticalShields : CriticalShieldsCurve(0, col.ustar * d / kViscosity);
    const double tauc = thc * weight * d + 1e-20;
    const double excess = col.tau - tauc;
    out.stage = excess / tauc;
    const double capacity = Capacity(col, w / (0.4 * col.ustar));
    if (capacity < kNoCapacity) return out;
    const double theta = col.tau / (1000.0 * 9.81 * (sr - 1.0) * d);
    switch (SedFormula) {
        case 'E': {
            const double q = 0.05 * col.meanSpeed * col.meanSpeed * std::sqrt(d / (9.81 * (sr - 1.0))) *
                             std::pow(theta, 1.5);
            out.value = q / capacity;
            if (out.value > 2.65) {
                LogAppend("Error Engelund Bconc(%d,%d) = %e\n", s, col.column, out.value);
                LogAppend("  engelund,konc,eqshear = %e %e %e\n", q, capacity, tauc);
                LogAppend("  velocity,slope,partfroude = %e %e %e\n", col.meanSpeed, col.slope, theta);
            }
            break;
        }
        case 'M':
            if (excess >= 0.0) out.value = sr / (sr - 1.0) * 0.02578 * std::pow(excess, 1.5) / (1000.0 * sr) / capacity;
            break;
        case 'I': {
            const double cellHeight = 2.0 * Ckdist[col.bottom];
            if (col.bottomSpeed * cellHeight <= 1e-20) {
                // A status of 1 would read as a normal end of the run.
                FailWithLog(-1, "Einsteins formula not valid for this situation");
            }
            const double e = 3.6e-11 / (d * d * d * 9.81 * (sr - 1.0));
            const double f1 = std::sqrt(0.66667 + e) - std::sqrt(e);
            const double q = 40.0 * theta * theta * theta * f1 * std::sqrt((sr - 1.0) * 9.81 * d * d * d);
            out.value = q / 9.81 / (col.bottomSpeed * cellHeight);
            break;
        }
        case 'A': out.value = RateOfPpm(AckersWhitePpm(col, d, ackersNoticed), col) / capacity; break;
        case 'S':
            if (w > 0.0) out.value = RateOfPpm(ShenHungPpm(col, w), col) / capacity;
            break;
        case 'Y':
            if (w > 0.0) out.value = RateOfPpm(YangPpm(col, d, w), col) / capacity;
            break;
        default: break;
    }
    return out;
}

// The roughness rule of F 103 here: 0 takes the larger of the wall roughness
// and three times the sediment over a bed thinner than d90, 1 the wall
// roughness; the shared rule's table names these rows 3 and 1.
void SetRoughness(int b, double d90, double delta, double depth, double sediment) {
    if (F103Flag != 0 && F103Flag != 1) return;
    double ks = 0.0;
    if (BedRoughness(RoughnessOption, F103Flag == 0 ? 3 : 1, d90, delta, depth, sediment, WallRoughness, &ks)) {
        Broughness[b] = ks;
    }
}

void ComputeColumn(int b, bool* ackersNoticed) {
    const int c = Bcellt[b];
    const int layer = FormulaLayer(b);
    const int n = NoSizes;
    double fractions[kMaxSizes + 1] = {};
    for (int s = 1; s <= n; ++s) fractions[s] = BSedDistrib[layer][s][b];
    const LayerDiameters dia = ComputeLayerDiameters(fractions, n);
    Bd90[b] = dia.d90;
    const FormulaColumn col = ReadColumn(b, c, dia);

    double stageSum = 0.0;
    for (int s = 1; s <= n; ++s) {
        const SizeResult r = FormulaOfSize(col, s, ackersNoticed);
        BpotentialConc[s][b] = r.value;
        stageSum += std::max(r.stage, 0.0);
    }
    const double sediment = BSedDistrib[layer][0][b] + BSedDistrib[0][0][b];
    const double delta = BedformHeight(col.depth, col.dm, stageSum / n, sediment);
    BbedformHeight[b] = delta;
    SetRoughness(b, dia.d90, delta, col.depth, sediment);
}

}  // namespace

void ComputeBedConcentrationFormula() {
    if (NoSizes < 1) {
        LogAppend("No bed concentration: the G 1 data set gives no sediment size\n");
        return;
    }
    if (!Bcellt.exists() || !BSedDistrib.exists() || !BpotentialConc.exists()) return;
    const int last = std::min(LastBedCell, static_cast<int>(Bcellt.size()) - 1);
    bool ackersNoticed = false;
    for (int b = std::max(FirstBedCell, 1); b <= last; ++b) {
        if (Bcellt[b] >= 1) ComputeColumn(b, &ackersNoticed);
    }
}
