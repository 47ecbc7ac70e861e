// The layered bed of F 37 3: a stack of layers per water column, 0 the
// deepest, the top one the active layer, each with its own grain fractions
// and solid fraction (packing). Deposits join the top layer, erosion eats
// down through the stack, and the top layer is kept at its nominal thickness
// by moving thickness between it and the layer below.
#include <algorithm>
#include <cmath>

#include "run/globals.h"
#include "run/log.h"
#include "sediment/sediment_services.h"

namespace {

constexpr double kTiny = 1e-20;  // a size's thickness change below this is none

double& Thickness(int layer, int b) { return BSedDistrib[layer][0][b]; }
double& Fraction(int layer, int s, int b) { return BSedDistrib[layer][s][b]; }

double Packing(int layer, int b) { return BlayerValue.exists() ? BlayerValue[layer][b] : BedSolidFraction; }
void SetPacking(int layer, int b, double p) {
    if (BlayerValue.exists()) BlayerValue[layer][b] = p;
}

double TotalThickness(int b, int top) {
    double total = 0.0;
    for (int layer = 0; layer <= top; ++layer) total += Thickness(layer, b);
    return total;
}

double FractionSum(int layer, int b) {
    double sum = 0.0;
    for (int s = 1; s <= NoSizes; ++s) sum += Fraction(layer, s, b);
    return sum;
}

// A layer whose fractions do not sum to 1 while it holds something, or whose
// thickness is negative.
bool LayerFails(int layer, int b) {
    const double t = Thickness(layer, b);
    if (t < -1e-10) return true;
    if (NoSizes < 1) return t > 1e-5;
    const double sum = FractionSum(layer, b);
    return (sum > 1.01 || sum < 0.99) && t > 1e-5;
}

void ReportFractions(int layer, int b) {
    for (int s = 1; s <= NoSizes; ++s) LogAppend("size=%d, fraction=%lg\n", s, Fraction(layer, s, b));
}

// Divides every fraction of the layer but size s by `divisor`.
void ScaleOthers(int layer, int s, int b, double divisor) {
    for (int i = 1; i <= NoSizes; ++i) {
        if (i != s) Fraction(layer, i, b) /= divisor;
    }
}

void CheckAfterErosion(int b, int top, double m) {
    for (int layer = top; layer >= std::max(top - 1, 0); --layer) {
        if (!LayerFails(layer, b)) continue;
        LogAppend("Error in function ErosionLayers: sum of grain sizes active layer = %lf for bedcell %d\n",
                  FractionSum(layer, b), b);
        ReportFractions(layer, b);
        LogAppend("Thickness of active layer: %lg meters, movement = %lg meters.\n", Thickness(layer, b), m);
    }
}

void CheckAfterUpdate(int b, int top) {
    if (LayerFails(top, b)) {
        LogAppend("Error after function computeChangeThicknessBedlayers: sum of grain sizes active layer = %lf for "
                  "bedcell %d\n",
                  FractionSum(top, b), b);
        ReportFractions(top, b);
        LogAppend("Thickness of active layer: %lg meters\n", Thickness(top, b));
    }
    if (top >= 1 && LayerFails(top - 1, b)) {
        LogAppend("Error after function computeChangeThicknessBedlayers: sum of grain sizes inactive layer = %lf for "
                  "bedcell %d\n",
                  FractionSum(top - 1, b), b);
        ReportFractions(top - 1, b);
        LogAppend("Thickness of inactive layer: %lg meters\n", Thickness(top - 1, b));
    }
}

void Deposit(int b, int s, int top, double m) {
    const double before = Thickness(top, b);
    const double after = before + m;
    Thickness(top, b) = after;
    if (NoSizes <= 1) return;
    const double kept = before / after;
    for (int i = 1; i <= NoSizes; ++i) {
        if (i != s) Fraction(top, i, b) *= kept;
    }
    Fraction(top, s, b) = (Fraction(top, s, b) * before + m) / (after + 1e-40);
}

// Erodes thickness e (at the top layer's packing) of size s, layer by layer
// downwards; returns what the stack could not give, at layer 0's packing.
double Erode(int b, int s, int top, double e) {
    for (int layer = top; layer >= 0; --layer) {
        if (layer < top) e = e * Packing(layer + 1, b) / Packing(layer, b);
        const double f = Fraction(layer, s, b);
        const double x = f * Thickness(layer, b);
        if (e > x) {
            Thickness(layer, b) *= 1.0 - f;
            if (NoSizes > 1) {
                ScaleOthers(layer, s, b, 1.0 - f + 1e-30);
                Fraction(layer, s, b) = 0.0;
            }
            e -= x;
            continue;
        }
        if (e > 1e-30) {
            const double q = e / (x + 1e-30) * f;
            Thickness(layer, b) *= 1.0 - q;
            if (NoSizes > 1) {
                Fraction(layer, s, b) = (x - e) / (Thickness(layer, b) + 1e-30);
                ScaleOthers(layer, s, b, 1.0 - q + 1e-30);
            }
        }
        return 0.0;
    }
    return e;
}

}  // namespace

int TopBedLayer(int b) {
    const int highest = std::max(NoBedLayers - 1, 0);
    return BNoLayers.exists() ? std::clamp(BNoLayers[b], 0, highest) : highest;
}

void ErosionLayers(int b, int s, double m) {
    const int top = TopBedLayer(b);
    if (m > 0.0) {
        Deposit(b, s, top, m);
    } else if (m < 0.0) {
        const double missing = Erode(b, s, top, -m);
        // What the layers above the fixed bed could not give.
        if (missing > 0.0) {
            NonMovableBedDefect += missing * Packing(0, b) * Barea[b] * 1000.0 * SedRelativeDensity;
        }
    }
    CheckAfterErosion(b, top, m);
}

void TransferLayerThickness(int from, int to, int b, double d) {
    // A layer gives at most what it holds: its thickness never goes negative.
    d = std::min(d, std::max(Thickness(from, b), 0.0));
    const double tt = Thickness(to, b);
    if (!(d > 0.0) || !(d + tt > 0.0)) return;
    const double pf = Packing(from, b);
    const double pt = Packing(to, b);
    const double mixed = (d * pf + tt * pt) / (d + tt);
    for (int s = 1; s <= NoSizes; ++s) {
        Fraction(to, s, b) = (Fraction(to, s, b) * tt * pt + Fraction(from, s, b) * d * pf) / (mixed * (d + tt) + 1e-20);
    }
    SetPacking(to, b, mixed);
    Thickness(from, b) -= d;
    Thickness(to, b) = tt + d;
}

void KeepTopLayerThickness(int b, int top, double nominal) {
    if (top < 1 || !(TotalThickness(b, top) > nominal)) return;
    const double x = Thickness(top, b) - nominal;
    if (x > 0.0) {
        TransferLayerThickness(top, top - 1, b, x);
    } else if (x < 0.0) {
        TransferLayerThickness(top - 1, top, b, -x);
    }
}

void UpdateBedLayersTsc3() {
    if (!Bcellt.exists() || !BSedDistrib.exists() || NoSizes < 1) return;
    const int sizes = std::min(NoSizes, kMaxSizes);
    double largest = 0.0;
    for (int s = 1; s <= sizes; ++s) largest = std::max(largest, Diameter[s]);
    const double nominal = F106Value > 0.0 ? F106Value : largest;
    const int last = std::min(LastBedCell, static_cast<int>(Bcellt.size()) - 1);
    double dz[kMaxSizes + 1] = {};
    for (int b = std::max(FirstBedCell, 1); b <= last; ++b) {
        Bedmove[b] = 0.0;
        const int c = Bcellt[b];
        if (c < 1) continue;
        const int top = TopBedLayer(b);
        const double area = Barea[b];
        Bedmove[b] = -TotalThickness(b, top);
        // The step's solids go in and out at the top layer's packing.
        const double packing = Packing(top, b);
        const double settlingArea = Fareaz[Csurfb[c]];
        for (int s = 1; s <= sizes; ++s) {
            double change =
                (conc[s][c] * settlingArea * FallVelocity[s] - 0.001 * BSedActive[s][b]) * TimeStep / (area * packing + 1e-30);
            if (std::fabs(change) < kTiny) change = 0.0;
            dz[s] = change;
            if (BSedWork.exists()) BSedWork[s][b] = change;
            SedimentBedSum += change * area * 1000.0 * SedRelativeDensity * packing;
        }
        for (int s = 1; s <= sizes; ++s) ErosionLayers(b, s, dz[s]);
        if (F264Option == -1 && BlayerValue.exists()) {
            for (int layer = top; layer >= 0; --layer) {
                const double p = MixtureSolidFraction(layer, b);
                Thickness(layer, b) = Thickness(layer, b) * Packing(layer, b) / p;
                SetPacking(layer, b, p);
            }
        }
        KeepTopLayerThickness(b, top, nominal);
        if (DebugOption == 'D') CheckAfterUpdate(b, top);
        Bedmove[b] += TotalThickness(b, top);
        // Booked with the packing the solids came in with, as the bed sum is,
        // so a repacking or a transfer shows no defect the bed does not have.
        for (int s = 1; s <= sizes; ++s) BedLayerChangeBySize[s] += dz[s] * area * packing * 1000.0;
    }
}
