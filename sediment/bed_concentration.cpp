// The equilibrium sediment concentration at the bed of every wet water column
// of the active blocks, per size, from the bed shear of the bottom cell and
// the grain sizes of the surface layer; with it the d90, the bed-form height
// and the bed roughness of the column.
#include "sediment/bed_concentration.h"

#include <algorithm>
#include <cmath>

#include "flow/cell_lookup.h"
#include "run/globals.h"
#include "run/log.h"
#include "sediment/sediment_services.h"

namespace {

constexpr double kViscosity = 1e-6;
constexpr double kExcess = 1e-6;  // an excess shear up to this moves nothing

double Dstar(double d) { return d * std::pow((SedRelativeDensity - 1.0) * 9.81e12, 0.3333); }

// The critical shear of size s before the slope factor, hiding and cohesion;
// `shields` gets the Shields number the slope factor scales.
double CriticalShear(const BedColumnState& col, double d, double* shields) {
    const double weight = (SedRelativeDensity - 1.0) * 9810.0;
    if (CriticalShields > 0.0) {
        *shields = CriticalShields;
        return CriticalShields * weight * d + 1e-20;
    }
    const double ustar = std::sqrt(0.001 * col.tau);
    *shields = CriticalShieldsCurve(F251Option, ustar * d / kViscosity);
    if (SedFormulaVariant == 7) {
        // The cohesive formulas scale the transport stage by hiding themselves.
        const double d50 = col.d50;
        return CriticalShieldsCurve(0, ustar * d50 / kViscosity) * d50 * weight + 1e-20;
    }
    return *shields * weight * d + 1e-20;
}

double HidingFactor(const BedColumnState& col, double d) {
    if (NoSizes <= 1) return 1.0;
    if (HidingOption == 2) return std::pow(d / col.d50, HidingExponent);
    if (HidingOption == 4) {
        double num = 0.0;
        double den = 0.0;
        for (int i = 1; i <= NoSizes; ++i) {
            num += col.fractions[i] * d / (Diameter[i] + d);
            den += col.fractions[i] * Diameter[i] / (Diameter[i] + d);
        }
        return den > 0.0 ? std::pow(num / den, HidingExponent) : 1.0;
    }
    return 1.0;
}

// The van Rijn reference concentration carried from level a to the centre of
// the bottom cell along the Rouse profile.
double ProfileToCellCentre(double ca, double tau, double w, double a, double z, double depth) {
    const double rouse = std::min(2.5 * w / std::sqrt(0.001 * tau + 1e-20), F110Value1);
    auto limited = [](double p) { return std::clamp(p, F110Value2, 1.0); };
    if (z - a > 1e-5) return ca * limited(std::pow((depth - z) / z * a / (depth - a), rouse));
    if (z - a < -1e-5) return ca / limited(std::pow((depth - a) / a * z / (depth - z), rouse));
    return ca;
}

// Share of the grain shear that exceeds the critical one (F 90 5), from the
// normal distribution of the turbulent shear.
double ExceedanceShare(double tauc, double tau) {
    const double x = (tauc / tau - 1.0) / 0.45;
    const double t = 1.0 / (1.0 + 0.2316419 * std::fabs(x));
    const double q = 0.3989422804 * std::exp(-x * x / 2.0) * t *
                     (0.31938153 + t * (-0.35653782 + t * (1.781477937 + t * (-1.821255978 + 1.3130274429 * t))));
    return 1.0 - q;
}

}  // namespace

double CriticalShieldsCurve(int option, double rstar) {
    if (option == 0) {
        if (rstar > 500.0) return 0.0624927;
        if (rstar < 0.2) return 0.6;
        const double x = std::log10(rstar);
        return std::pow(10.0, -0.99863612 - 0.92539586 * x + 0.54283631 * x * x - 0.084544063 * x * x * x);
    }
    const double r = std::clamp(rstar, 0.01, 100000.0);
    const double e = std::exp(-0.015 * r);
    switch (option) {
        case 1: return 0.03 * (1.0 - 0.699 * e) + 0.075 / (0.5 + r);
        case 2: return 0.075 * (1.0 - 0.699 * e) + 0.028 / (1.2 + r);
        default: return 0.0475 * (1.0 - 0.699 * e) + 0.188 / (1.0 + r);
    }
}

namespace {

// The diameter at cumulative fraction `threshold`, walking from the finest
// size up. A walk that reaches the coarsest size without passing the
// threshold (an empty layer, for one) takes the coarsest diameter.
double PercentileDiameter(const double* f, int n, double threshold) {
    double cum = f[n] / 2.0;
    int s = n;
    while (cum <= threshold && s > 1) {
        --s;
        cum += f[s + 1] / 2.0 + f[s] / 2.0;
    }
    if (s == n) return Diameter[n];
    if (cum <= threshold) return Diameter[1];
    const double x = 2.0 * (cum - threshold) / (f[s] + f[s + 1]);
    return Diameter[s] * (1.0 - x) + Diameter[s + 1] * x;
}

}  // namespace

LayerDiameters ComputeLayerDiameters(const double* f, int n) {
    LayerDiameters d;
    if (n <= 1) {
        d.d90 = d.d50 = d.dm = Diameter[1];
        return d;
    }
    d.d90 = PercentileDiameter(f, n, 0.9);
    d.d50 = PercentileDiameter(f, n, 0.5);
    for (int s = 1; s <= n; ++s) d.dm += Diameter[s] * f[s];
    return d;
}

double GrainShearFactor(int variant, double depth, double d90, double bedformHeight) {
    if (variant < 1 || variant > 3) return 1.0;
    const double lowered = variant == 1 ? 0.5 * (d90 + bedformHeight) : 0.5 * bedformHeight;
    const double below = depth - lowered;
    double ratio = F172Value2;
    if (below > 0.0) {
        ratio = depth / below;
        if (variant == 3) ratio = std::max(ratio - 0.25, 1.0);
        ratio = std::min(ratio, F172Value2);
    }
    return std::pow(ratio, F172Value3);
}

SizeConcentration BedConcentrationOfSize(const BedColumnState& col, int s) {
    const double sr = SedRelativeDensity;
    const double d = Diameter[s];
    const double w = FallVelocity[s];
    double shields = 0.0;
    double tauc = CriticalShear(col, d, &shields);
    const double hf = HidingFactor(col, d);
    tauc *= hf;
    if (col.slopeFactorApplied) tauc = shields * (sr - 1.0) * 9810.0 * d * col.slopeFactor * hf + 1e-20;
    if (Cohesion[s] > 1e-10) tauc += Cohesion[s];
    const double cellHeight = 2.0 * col.halfCell;

    double c0 = 0.0;
    if (SedFormulaVariant == 6) {
        const double theta = col.tau / (col.slopeFactor * hf * (sr - 1.0) * 1000.0 * 9.81 * d);
        c0 = 0.05 * col.engelundRatio * col.engelundRatio * col.speed * std::sqrt(d / ((sr - 1.0) * 9.81)) *
             std::pow(theta, 1.5) / cellHeight;
    } else if (SedFormulaVariant == 7) {
        CohesiveBedInput in;
        in.option = F60Int1;
        in.tau = col.tau;
        in.tauc = tauc;
        in.d = d;
        in.d50 = col.d50;
        in.dstarFactor = Dstar(1.0);
        in.roughness = col.roughness;
        in.fallVelocity = w;
        in.layerValue = col.layerValue;
        in.fractions = col.fractions;
        in.sizes = NoSizes;
        in.coef = VanRijnCoef;
        in.expT = VanRijnExpT;
        in.expD = VanRijnExpD;
        in.halfCell = col.halfCell;
        in.depth = col.depth;
        c0 = ComputeCohesiveBedConcentration(in);
    }

    const double r6 = RoughnessOption == 6 ? std::pow(std::min(3.0 * col.d90 / col.roughness, 1.0), 0.25) : 1.0;
    SizeConcentration out;
    const double e1 = (col.tau - tauc) * r6;
    if (e1 > kExcess) out.bedformStage = e1 / tauc;
    double e = (col.tauPrime - tauc) * r6;
    if (BedSlopeCorrectionA > 0 || BedSlopeCorrectionB > 0) e = col.bankA * col.tauPrime - tauc;

    double c = c0;
    if (e > kExcess) {
        const double t = e / tauc;
        const double dstar = Dstar(d);
        // The reference level stays inside the water column, so that the
        // profile step has a depth above it.
        const double a = F60Int1 == 1
                             ? std::min(std::max({3.0 * col.d90, 0.5 * col.bedformHeight, 0.01 * col.depth}),
                                        0.5 * col.depth)
                             : col.halfCell;
        const double sg = std::sqrt((sr - 1.0) * 9.81);
        // The bed-load formulas give a rate; the bottom cell carries it as
        // rate / (speed x height). Water that does not flow carries none,
        // rather than the concentration cap of F 256.
        const bool flowing = col.speed * cellHeight > 0.0;
        const double cb = !flowing ? 0.0
                                   : VanRijnBedLoadCoef * std::pow(d, VanRijnBedLoadExpDiam) *
                                         std::pow(t, VanRijnBedLoadExpT) * sg /
                                         (std::pow(dstar, VanRijnBedLoadExpD) * cellHeight * col.speed + 1e-20);
        double ca = VanRijnCoef * d * std::pow(t, VanRijnExpT) / (std::pow(dstar, VanRijnExpD) * a);
        const bool profile = F60Int1 == 1 && (SedFormulaVariant == 0 || SedFormulaVariant == 2);
        if (profile) ca = ProfileToCellCentre(ca, col.tau, w, a, col.halfCell, col.depth);
        switch (SedFormulaVariant) {
            case 0: c = ca; break;
            case 1: c = cb; break;
            case 2: c = ca + cb; break;
            case 3:
                c = !flowing ? 0.0
                             : 0.0053 * std::pow(t, 2.2) * std::sqrt((sr - 1.0) * 9.81 * d * d * d) /
                                   (col.speed * cellHeight);
                break;
            case 4: c = VanRijnBedLoadCoef * t; break;
            case 5:
                c = !flowing ? 0.0
                             : std::pow(e, 1.5) / (2.5 * 9.81 * std::pow((sr - 1.0) / sr, 0.666667) * 1000.0 * sr *
                                                   cellHeight * col.speed);
                break;
            case 6:
            case 7: c = c0; break;
            default: c = 0.0; break;
        }
        if (RoughnessOption == 5) c *= ExceedanceShare(tauc, col.tau);
    }
    if (col.slopeSwitch) c = c * col.bankB + col.bankD;
    out.conc = std::min(c, F256Value);
    return out;
}

double BedformHeight(double depth, double dm, double tm, double sediment) {
    double delta = 0.0;
    if (tm <= 25.0) delta = 0.11 * depth * std::pow(dm / depth, 0.3) * (1.0 - std::exp(-0.5 * tm)) * (25.0 - tm);
    return std::min({delta, 0.5 * sediment, 3.0 * depth});
}

double RelaxedBedformHeight(double previous, double target, double cellHeight, double speed, double timeStep,
                            double depth, double weightedConc) {
    // A flat target bed under transport is reached at once; without
    // transport the bed forms stay.
    const double r = cellHeight * speed * timeStep / (7.3 * target * 0.5 * depth + 1e-20) * weightedConc;
    return previous + (target - previous) * std::min(r, 1.0);
}

bool BedRoughness(int roughnessOption, int f103, double d90, double bedformHeight, double depth, double sediment,
                  double wallRoughness, double* roughness) {
    if (roughnessOption < 2 || roughnessOption > 6 || f103 < 0 || f103 > 3) return false;
    const double grain =
        roughnessOption == 2
            ? 3.0 * d90
            : 3.0 * d90 + 1.1 * bedformHeight * (1.0 - std::exp(-25.0 * bedformHeight / (7.3 * depth)));
    if (sediment > d90) {
        *roughness = grain;
    } else if (f103 == 1) {
        *roughness = wallRoughness;
    } else if (f103 == 3) {
        *roughness = std::max(wallRoughness, 3.0 * sediment);
    } else {
        *roughness = std::max(3.0 * sediment, std::min(d90, wallRoughness));
    }
    return true;
}

double CosAngle2D(double a1, double a2, double b1, double b2) {
    return (a1 * b1 + a2 * b2) / (std::sqrt((a1 * a1 + a2 * a2) * (b1 * b1 + b2 * b2)) + 1e-20);
}

double ClampedAcos(double x) { return std::acos(std::clamp(x, -1.0, 1.0)); }
double ClampedAsin(double x) { return std::asin(std::clamp(x, -1.0, 1.0)); }

double SlopeAngle(double nx, double ny, double nz, double wx, double wy) {
    const double p = nx * wy - ny * wx;
    return ClampedAsin(std::fabs(p) / (std::sqrt(nz * wy * nz * wy + nz * wx * nz * wx + p * p) + 1e-20));
}

namespace {

// The surface layer whose fractions feed the formulas.
int SurfaceLayer(int b) {
    if (NoBedLayers == 2 && FlagTSC != 3) return 1;
    return BNoLayers.exists() ? std::clamp(BNoLayers[b], 0, NoBedLayers) : std::min(1, NoBedLayers);
}

void CheckFractions(int b, int c, int layer) {
    const double tl = BSedDistrib[layer][0][b];
    const double t0 = BSedDistrib[0][0][b];
    double sum = 0.0;
    for (int s = 1; s <= NoSizes; ++s) {
        const double f = BSedDistrib[layer][s][b];
        sum += f;
        if (f > 1.01) {
            LogAppend("Error 1 in concRijn: One size fraction is above unity\n");
            LogAppend("At iteration %d, bed cell %d, cell %d, size %d, 2d index (%d,%d), Top=%d\n", Iter, b, c, s,
                      Bkooi[b], Bkooj[b], layer);
            LogAppend("BSedDistrib[%d,%d] = %lf %lf %lf %lf\n", s, b, f, tl, BSedDistrib[0][s][b], t0);
        }
    }
    if ((sum < 0.99 || sum > 1.01) && tl > 1e-15) {
        LogAppend("Error 2 in concRijn. Fractions do not sum up to unity but to %lf\n", sum);
        LogAppend("At iteration %d, bed cell %d, cell no %d, 2d cell no (%d,%d)\n", Iter, b, c, Bkooi[b], Bkooj[b]);
        for (int s = 1; s <= NoSizes; ++s) {
            LogAppend("BSedDistrib[%d], size[%d] = %lf %lf %lf %lf\n", b, s, BSedDistrib[layer][s][b], tl,
                      BSedDistrib[0][s][b], t0);
        }
    }
}

bool DryNode(int i, int j) {
    if (!Gridz.exists() || i < 0 || j < 0 || static_cast<size_t>(i) >= Gridz.extent1() ||
        static_cast<size_t>(j) >= Gridz.extent2()) {
        return false;
    }
    return static_cast<int>(Gridz[i][j][0]) == 0;
}

int DryNeighbours(const BlockRecord& r, int i, int j) {
    int nd = 0;
    if (i != r.iFirst && DryNode(i - 1, j)) ++nd;
    if (i != r.iLast && DryNode(i + 1, j)) ++nd;
    if (j != r.jFirst && DryNode(i, j - 1)) ++nd;
    if (j != r.jLast && DryNode(i, j + 1)) ++nd;
    return nd;
}

double BedShear(int b, int c) {
    double tau = 300.0 * Ck[c];
    if (F279Option == 1 && Ccellt[c] > 0) tau = std::max(tau, 300.0 * Ck[Ccellt[c]]);
    if (F279Option == 2 && Fareaz[Csurfb[c]] < 0.95 * Barea[b]) {
        for (int k : {Ccellw[c], Ccelle[c], Ccelln[c], Ccells[c]}) {
            if (k > 0) tau = std::max(tau, 300.0 * Ck[k]);
        }
    }
    return tau;
}

bool SlopeSwitchOn() {
    return BedSlopeCorrectionA > 0 || BedSlopeCorrectionB > 0 || BedSlopeCorrectionC > 0 || BedSlopeCorrectionD > 0;
}

void ComputeColumn(const BlockRecord& r, int b) {
    const int c = Bcellt[b];
    const int layer = SurfaceLayer(b);
    const int n = NoSizes;
    CheckFractions(b, c, layer);
    const int nd = DryNeighbours(r, Bkooi[b], Bkooj[b]);

    double fractions[kMaxSizes + 1] = {};
    for (int s = 1; s <= n; ++s) fractions[s] = BSedDistrib[layer][s][b];
    const LayerDiameters dia = ComputeLayerDiameters(fractions, n);
    Bd90[b] = dia.d90;

    BedColumnState col;
    double speedDepth = 0.0;
    ColumnDepth(c, &col.depth, &speedDepth);
    col.halfCell = Ckdist[c];
    col.speed = CellSpeed(c);
    col.d90 = dia.d90;
    col.d50 = dia.d50;
    col.dm = dia.dm;
    col.fractions = fractions;
    col.roughness = Croughness[c];
    col.bedformHeight = BbedformHeight[b];
    col.tau = BedShear(b, c);
    col.tauPrime = col.tau * GrainShearFactor(F172Int1, col.depth, dia.d90, col.bedformHeight);
    if (RoughnessOption == 4 || RoughnessOption == 5) {
        col.tauPrime *= std::pow(std::min(3.0 * dia.d90 / col.roughness, 1.0), 0.25);
    }
    col.slopeSwitch = SlopeSwitchOn();
    if (col.slopeSwitch) BankSlopeFactors(c, nd, col.depth, &col.bankA, &col.bankB, &col.bankD);
    if (SedFormulaVariant == 7) col.layerValue = BlayerValue.exists() ? BlayerValue[layer][b] : BedSolidFraction;
    if (SedFormulaVariant == 6) {
        // Still water has no ratio of speeds: take the uniform column's.
        const double ratio = col.speed > 0.0 ? speedDepth / col.depth / col.speed : 1.0;
        col.engelundRatio = std::isfinite(ratio) ? std::clamp(ratio, 1.0, 10.0) : 1.0;
    }
    col.slopeFactor = CriticalShearSlopeFactor(b, c, nd, &col.slopeFactorApplied);

    double stageSum = 0.0;
    double weighted = 0.0;
    for (int s = 1; s <= n; ++s) {
        const SizeConcentration sc = BedConcentrationOfSize(col, s);
        BpotentialConc[s][b] = sc.conc;
        stageSum += sc.bedformStage;
        weighted += sc.conc * fractions[s];
    }

    const double sediment = BSedDistrib[layer][0][b] + BSedDistrib[0][0][b];
    double delta = BedformHeight(col.depth, dia.dm, stageSum / n, sediment);
    if (F103Flag == 2) {
        delta = RelaxedBedformHeight(col.bedformHeight, delta, 2.0 * col.halfCell, col.speed, TimeStep, col.depth,
                                     weighted);
    }
    BbedformHeight[b] = delta;
    double ks = 0.0;
    if (BedRoughness(RoughnessOption, F103Flag, dia.d90, delta, col.depth, sediment, WallRoughness, &ks)) {
        Broughness[b] = ks;
    }
}

}  // namespace

double CellSpeed(int c) { return std::sqrt(Cu[c] * Cu[c] + Cv[c] * Cv[c]); }

void ColumnDepth(int c, double* depth, double* speedDepth) {
    *depth = 0.0;
    *speedDepth = 0.0;
    for (int k = c, n = 0; k > 0 && n <= NoCells; k = Ccellt[k], ++n) {
        *depth += 2.0 * Ckdist[k];
        *speedDepth += 2.0 * Ckdist[k] * CellSpeed(k);
    }
}

void AdjustInflowBedCells() {
    if (!DischargeGroups) return;
    const bool twice = InflowBedCellOption == 2 || InflowBedCellOption == 12;
    for (int g = kFirstGroup; g <= kLastGroup; ++g) {
        const DischargeGroupRecord& group = DischargeGroups[g];
        if (group.groupType != 1 || group.noSurfaces <= 0) continue;
        for (int n = 0; n < GroupListLength(group); ++n) {
            const int sf = group.surfaceList[n];
            const int c = GroupSurfaceCell(sf);
            if (c == 0 || Ccellb[c] != 0) continue;
            const int side = c == Fcell1[sf] ? Ftype1[sf] : Ftype2[sf];
            const Array1<int>* across = nullptr;
            switch (side) {
                case 1: across = &Ccelln; break;
                case 2: across = &Ccellw; break;
                case 3: across = &Ccells; break;
                case 4: across = &Ccelle; break;
                default: break;
            }
            if (across == nullptr) continue;
            int from = (*across)[c];
            if (!IsGridCell(from)) continue;
            if (twice && IsGridCell((*across)[from])) from = (*across)[from];
            Ck[c] = Ck[from];
        }
    }
}

void concRijn() {
    if (NoSizes < 1) {
        LogAppend("No bed concentration: the G 1 data set gives no sediment size\n");
        return;
    }
    if (!Bcellt.exists() || !BSedDistrib.exists() || !BpotentialConc.exists()) return;
    if (InflowBedCellOption > 0) AdjustInflowBedCells();
    for (int k = 1; k <= std::min(NoBlocks, kMaxBlocks); ++k) {
        const BlockRecord& r = BlockTable[k];
        if (r.field11 != 1) continue;
        for (int b = std::max(r.firstColumn, 1); b <= r.lastColumn; ++b) {
            if (Bcellt[b] > 0) ComputeColumn(r, b);
        }
    }
}
