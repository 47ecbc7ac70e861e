// The two-layer bed after each sediment step: the net deposition of every size
// becomes the column's bed move and new thicknesses and fractions of the
// active layer (1) and the inactive layer below it (0). The active layer keeps
// its thickness where it can; the inactive layer takes or gives the change.
#include <algorithm>
#include <cmath>

#include "run/globals.h"
#include "run/log.h"
#include "sediment/sediment_services.h"

namespace {

constexpr double kNoChange = 1e-9;   // a net change up to this leaves the layers alone
constexpr double kEmpty = 1e-15;     // a layer thinner than this holds nothing

// F 37 1 takes the deposition from the bottom cell's equation, F 37 2 from
// settling minus erosion.
enum class DepositionSource { kEquation, kSettling };

double SizeConc(int s, int cell) { return cell > 0 ? conc[s][cell] : 0.0; }

// Thickness change of size s in column b over the time step (m).
double SizeThicknessChange(DepositionSource source, int s, int b, int c) {
    const double dt = TimeStep;
    const double phi = BedSolidFraction;
    const double area = Barea[b] + 1e-20;
    if (source == DepositionSource::kEquation) {
        return (BottomCellInflow(s, b, c) - conc[s][c] * BsedOutflowCoef[s][b]) * 0.001 / phi * dt / area;
    }
    const double settling = conc[s][c] * Fareaz[Csurfb[c]] * FallVelocity[s] * 1000.0;
    return (settling - BSedActive[s][b]) * 0.001 / phi * dt / area;
}

// Mass (kg) of a bed thickness over the column.
double BedMass(double thickness, int b) { return thickness * Barea[b] * 1000.0 * SedRelativeDensity * BedSolidFraction; }

// One size: only the thicknesses move. Erosion the layers cannot supply is
// the defect under the non-movable bed.
void UpdateOneSize(int b, double dz, double ta) {
    double& t1 = BSedDistrib[1][0][b];
    double& t0 = BSedDistrib[0][0][b];
    if (dz < -kNoChange) {
        if (t0 > -dz) {
            t0 += dz;
            return;
        }
        const double left = (t0 < kEmpty ? 0.0 : t0) + t1 + dz;
        if (left < 0.0) NonMovableBedDefect += BedMass(left, b);
        t1 = std::max(left, 0.0);
        t0 = 0.0;
    } else if (dz > kNoChange) {
        if (t0 > kEmpty) {
            t0 += dz;
            return;
        }
        const double t = t1 + dz;
        if (t >= ta) {
            t0 = t - ta;
            t1 = ta;
        } else {
            t1 = t;
        }
    }
}

struct Column {
    int b = 0;
    int c = 0;
    double dz[kMaxSizes + 1] = {};
    double content[kMaxSizes + 1] = {};  // new content of the active layer per size (m)
};

// What the several-size update leaves for the checks.
struct LayerOutcome {
    double sa = 0.0;     // new content of the active layer (m)
    double d1 = 0.0;     // change of the active layer (m)
    double sum = 1.0;    // fraction sum to check; 1 where the case needs no check
    double taken = 0.0;  // thickness taken from the inactive layer (m)
};

LayerOutcome UpdateSeveralSizes(DepositionSource source, Column& col, double ta) {
    const int b = col.b;
    const int n = NoSizes;
    double& t1 = BSedDistrib[1][0][b];
    double& t0 = BSedDistrib[0][0][b];
    auto f1 = [b](int s) -> double& { return BSedDistrib[1][s][b]; };
    auto f0 = [b](int s) -> double& { return BSedDistrib[0][s][b]; };
    double sa = 0.0;
    for (int s = 1; s <= n; ++s) {
        col.content[s] = std::max(f1(s) * t1 + col.dz[s], 0.0);
        sa += col.content[s];
    }
    const double d1 = sa - t1;
    NonMovableBedDefect += BedMass(Bedmove[b] - d1, b);
    LayerOutcome out;
    out.sa = sa;
    out.d1 = d1;
    double& sum = out.sum;
    auto sumOf = [n](auto fraction) {
        double total = 0.0;
        for (int s = 1; s <= n; ++s) total += fraction(s);
        return total;
    };
    if (std::fabs(d1) <= kNoChange) return out;
    if (d1 > kNoChange && t0 <= kEmpty) {
        if (sa < ta) {
            for (int s = 1; s <= n; ++s) f1(s) = col.content[s] / sa;
            t1 += d1;
        } else {
            for (int s = 1; s <= n; ++s) f1(s) = f0(s) = col.content[s] / sa;
            t0 = t1 + d1 - ta;
            t1 = ta;
        }
    } else if (d1 > kNoChange) {
        // The inactive layer takes the deposit of the old active composition
        // only while the active layer can hold what is left; the active
        // layer's own thickness carries its fractions (it may be thinner than
        // the nominal one after a fraction file).
        double m = 0.0;
        for (int s = 1; s <= n; ++s) m = std::min(m, col.dz[s] / (f1(s) + 1e-20));
        if (source == DepositionSource::kEquation && d1 - m <= t1) {
            for (int s = 1; s <= n; ++s) {
                f0(s) = (f0(s) * t0 + f1(s) * d1) / (t0 + d1);
                f1(s) = (f1(s) * (t1 - d1) + col.dz[s]) / (t1 + 1e-15);
            }
            sum = sumOf(f1);
        } else {
            for (int s = 1; s <= n; ++s) {
                f1(s) = col.content[s] / sa;
                f0(s) = (f1(s) * d1 + f0(s) * t0) / (t0 + d1);
            }
            sum = sumOf(f0);
        }
        t0 += d1;
    } else if (t0 > -d1) {
        out.taken = -d1;
        for (int s = 1; s <= n; ++s) f1(s) = (f0(s) * out.taken + col.content[s]) / (t1 + 1e-30);
        t0 += d1;
        sum = sumOf(f1);
    } else if (t0 >= kEmpty) {
        double total = 0.0;
        for (int s = 1; s <= n; ++s) total += t0 * f0(s) + col.content[s];
        for (int s = 1; s <= n; ++s) f1(s) = (t0 * f0(s) + col.content[s]) / (total + 1e-20);
        t1 += t0 + d1;
        t0 = 0.0;
    } else {
        t0 = 0.0;
        t1 = std::max(t1 + d1, 0.0);
        if (sa < 1e-50) {
            for (int s = 1; s <= n; ++s) f1(s) = s == 1 ? 1.0 : 0.0;
        } else {
            for (int s = 1; s <= n; ++s) f1(s) = col.content[s] / sa;
        }
    }
    return out;
}

void CleanFractions(int b) {
    for (int layer = 0; layer <= 1; ++layer) {
        for (int s = 1; s <= NoSizes; ++s) {
            if (std::fabs(BSedDistrib[layer][s][b]) < kEmpty) BSedDistrib[layer][s][b] = 0.0;
        }
    }
}

void UpdateBedFractions(DepositionSource source, double ta) {
    if (!Bcellt.exists() || !BSedDistrib.exists() || NoSizes < 1) return;
    const int n = std::min(NoSizes, kMaxSizes);
    for (int b = std::max(FirstBedCell, 1); b <= LastBedCell; ++b) {
        Bedmove[b] = 0.0;
        if (Bcellt[b] < 1) continue;
        Column col;
        col.b = b;
        col.c = Bcellt[b];
        double move = 0.0;
        for (int s = 1; s <= n; ++s) {
            col.dz[s] = SizeThicknessChange(source, s, b, col.c);
            move += col.dz[s];
            BedLayerChangeBySize[s] += Barea[b] * col.dz[s] * 1000.0 * BedSolidFraction;
        }
        Bedmove[b] = move;
        if (n == 1) {
            UpdateOneSize(b, col.dz[1], ta);
            continue;
        }
        const LayerOutcome out = UpdateSeveralSizes(source, col, ta);
        CleanFractions(b);
        if (out.sa < 0.0) WarnErosionBelowFixedBed(b, out.sa, out.d1);
        if ((out.sum < 0.99 || out.sum > 1.01) && std::fabs(Bedmove[b]) > 1e-8) WarnFractionSum(b, out.sum, out.d1);
        for (int s = 1; s <= n; ++s) {
            const double f = BSedDistrib[1][s][b];
            if (f > 1.0 || f < 0.0) ReportTscFractionError(Iter, b, col.c, s, col.content, out.d1, out.taken, out.sum);
        }
    }
}

void LayerLine(int b, double y) {
    LogAppend("Bedmove = %lf, bedmove = %lf, InactiveThickness = %lf\n", Bedmove[b], y, BSedDistrib[0][0][b]);
}

}  // namespace

double BottomCellInflow(int s, int b, int c) {
    const double top = NoSizes > 1 && CatMulti.exists() ? CatMulti[s][c] : Cat[c];
    return Can[c] * SizeConc(s, Ccelln[c]) + Cas[c] * SizeConc(s, Ccells[c]) + Caw[c] * SizeConc(s, Ccellw[c]) +
           Cae[c] * SizeConc(s, Ccelle[c]) + top * SizeConc(s, Ccellt[c]) + BSedActive[s][b];
}

void WarnErosionBelowFixedBed(int b, double x, double y) {
    LogAppend("Warning, erosion %lf below fixed bed at i,j=%d %d\n", x, Bkooi[b], Bkooj[b]);
    LayerLine(b, y);
}

void WarnFractionSum(int b, double x, double y) {
    LogAppend("Warning, SumG = %lf at i,j=%d %d\n", x, Bkooi[b], Bkooj[b]);
    LayerLine(b, y);
}

void ReportTscFractionError(int iteration, int b, int c, int s, const double* content, double x, double y, double z) {
    LogAppend("TSC error, fractions: Iter=%d, b=%d, c=%d, l=%d, i=%d, j=%d\n", iteration, b, c, s, Bkooi[b], Bkooj[b]);
    LogAppend("BSedDistrib[l=%d,b=%d] = %lf %lf %lf %lf\n", s, b, BSedDistrib[1][s][b], BSedDistrib[1][0][b],
              BSedDistrib[0][s][b], BSedDistrib[0][0][b]);
    LogAppend("bedmove = %lg, thick2=%lg, SumG=%lg, midA[%d]=%lg\n", x, y, z, s, content[s]);
}

void UpdateBedFractionsTsc1(double activeLayerLimit) {
    UpdateBedFractions(DepositionSource::kEquation, activeLayerLimit);
}

void UpdateBedFractionsTsc2(double activeLayerLimit) {
    UpdateBedFractions(DepositionSource::kSettling, activeLayerLimit);
}
