// Bed material moved between grid nodes through the active layer: what the
// losing columns give up is exactly what the gaining columns receive, and
// the node levels move by that same volume.
#include "sediment/active_layer_transfer.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>

#include "run/globals.h"

double ErodedVolumeBySize[kMaxSizes + 1] = {};

namespace {

constexpr int kBelow = 0;   // the layer under the active layer
constexpr int kActive = 1;  // the active (top) layer

int Sizes() { return std::clamp(NoSizes, 0, kMaxSizes); }

// Column b has the two layers and every size slot.
bool HasLayers(int b) {
    return b > 0 && BSedDistrib.exists() && BSedDistrib.extent1() > kActive &&
           BSedDistrib.extent2() > static_cast<size_t>(Sizes()) && static_cast<size_t>(b) < BSedDistrib.extent3() &&
           Barea.exists() && static_cast<size_t>(b) < Barea.size();
}

double& Thickness(int layer, int b) { return BSedDistrib[layer][0][b]; }
double& Fraction(int layer, int s, int b) { return BSedDistrib[layer][s][b]; }

double AreaOf(std::initializer_list<int> columns) {
    double a = 0.0;
    for (const int c : columns) {
        if (HasLayers(c)) a += Barea[c];
    }
    return a;
}

}  // namespace

void ErodeActiveLayer(int b, double e) {
    if (!HasLayers(b)) return;
    const double t1 = std::max(Thickness(kActive, b), 0.0);
    const double t0 = std::max(Thickness(kBelow, b), 0.0);
    const double taken = std::clamp(e, 0.0, t1);
    if (taken <= 0.0) return;
    const int n = Sizes();
    for (int s = 1; s <= n; ++s) ErodedVolumeBySize[s] += Fraction(kActive, s, b) * taken * Barea[b];
    const double refill = std::min(taken, t0);
    const double kept = t1 - taken;
    for (int s = 1; s <= n; ++s) {
        Fraction(kActive, s, b) =
            (kept * Fraction(kActive, s, b) + refill * Fraction(kBelow, s, b)) / (kept + refill + 1e-20);
    }
    Thickness(kBelow, b) = t0 - refill;
    // What layer 0 cannot refill is gone from the active layer too.
    Thickness(kActive, b) = kept + refill;
}

void DepositActiveLayer(int b, double d) {
    if (!HasLayers(b) || !(d > 0.0)) return;
    const double t1 = std::max(Thickness(kActive, b), 0.0);
    const double t0 = std::max(Thickness(kBelow, b), 0.0);
    const double added = std::min(d, std::max(ActiveLayerLimit, 0.0) - t1);
    const double newActive = t1 + added;
    const double fromDeposit = std::min(d, newActive);
    const double oldKept = std::clamp(newActive - d, 0.0, t1);
    const double pushedDown = t1 - oldKept;
    const double depositBelow = std::max(d - newActive, 0.0);
    const double newBelow = t0 + d - added;
    const int n = Sizes();
    for (int s = 1; s <= n; ++s) {
        const double fd = ErodedVolumeBySize[s];
        const double f1 = Fraction(kActive, s, b);
        const double f0 = Fraction(kBelow, s, b);
        Fraction(kActive, s, b) = (fromDeposit * fd + oldKept * f1) / (newActive + 1e-20);
        Fraction(kBelow, s, b) = (t0 * f0 + pushedDown * f1 + depositBelow * fd) / (newBelow + 1e-20);
    }
    Thickness(kActive, b) = newActive;
    Thickness(kBelow, b) = newBelow;
}

void UpdateActiveLayerForBedMove(int b, int c1, int c2, int c3, int c4, int c5, int fi, int fj, int ti, int tj,
                                 double amount) {
    if (!(amount > 0.0) || !HasLayers(b) || !Gridz.exists()) return;
    const double losing = AreaOf({b, c1, c2, c3});
    const double gaining = AreaOf({b, c1, c4, c5});
    if (losing <= 0.0 || gaining <= 0.0) return;
    const int n = Sizes();
    std::fill(ErodedVolumeBySize, ErodedVolumeBySize + n + 1, 0.0);
    for (const int c : {b, c1, c2, c3}) {
        if (c > 0) ErodeActiveLayer(c, 0.25 * amount);
    }
    double volume = 0.0;
    for (int s = 1; s <= n; ++s) volume += ErodedVolumeBySize[s];
    ErodedVolumeBySize[0] = volume;
    if (volume <= 0.0) return;
    Gridz[fi][fj][1] -= 4.0 * volume / losing;
    Gridz[ti][tj][1] += 4.0 * volume / gaining;
    for (int s = 1; s <= n; ++s) ErodedVolumeBySize[s] /= volume;
    for (const int c : {b, c1, c4, c5}) {
        if (c > 0) DepositActiveLayer(c, volume / gaining);
    }
}
