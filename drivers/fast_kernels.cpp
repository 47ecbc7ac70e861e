// The five-field kernels of the fast driver. Each writes straight into the
// five-row arrays, so one cell loop serves U, V, W, k and epsilon where the
// default driver assembles each equation on its own.
#include "drivers/fast_kernels.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "drivers/residuals.h"
#include "flow/cell_chunks.h"
#include "flow/cell_lookup.h"
#include "run/globals.h"
#include "run/region_fatal.h"
#include "run/time_series.h"
#include "solver/cell_stencil.h"

namespace {

constexpr int kU = 0, kV = 1, kW = 2, kK = 3, kEps = 4;
constexpr int kWallLawFace = -1;
constexpr double kLeastWallRoughness = 1e-4;
constexpr double kFixedValue = 1e30;
constexpr double kLongestWallDistance = 1000.0;
constexpr double kFixedInverse = 1e-14;
constexpr double kSmallestScale = 1e-10;

bool Has(int n) { return n > 0; }

int LastActive() { return std::min(LastCell, NoCells); }

bool HasWallLawFace(int c) {
    for (const Array1<int>* s : {&Csurfe, &Csurfw, &Csurfs, &Csurfn, &Csurft, &Csurfb}) {
        if (Fflagflow[(*s)[c]] == kWallLawFace) return true;
    }
    return false;
}

// Differences of the face values (distance weights) across the cell along
// one grid direction; a missing neighbour counts as the cell itself.
struct AxisDifference {
    double u, v, w;
};

AxisDifference Across(int c, int lo, int hi, const Array1<double>& dist) {
    const double dc = dist[c];
    auto face = [&](int n, const Array1<double>& f) {
        if (!Has(n)) return f[c];
        const double weight = dc / (dist[n] + dc);
        return weight * f[n] + (1.0 - weight) * f[c];
    };
    return {face(hi, Cu) - face(lo, Cu), face(hi, Cv) - face(lo, Cv), face(hi, Cw) - face(lo, Cw)};
}

struct AreaVector {
    double x, y, z;
};

AreaVector MeanArea(int s1, int s2) {
    return {0.5 * (Fareax[s1] + Fareax[s2]), 0.5 * (Fareay[s1] + Fareay[s2]), 0.5 * (Fareaz[s1] + Fareaz[s2])};
}

double GradientProduction(int c) {
    const AxisDifference di = Across(c, Ccellw[c], Ccelle[c], Cidist);
    const AxisDifference dj = Across(c, Ccells[c], Ccelln[c], Cjdist);
    const AxisDifference dk = Across(c, Ccellb[c], Ccellt[c], Ckdist);
    const AreaVector ai = MeanArea(Csurfe[c], Csurfw[c]);
    const AreaVector aj = MeanArea(Csurfs[c], Csurfn[c]);
    const AreaVector ak = MeanArea(Csurft[c], Csurfb[c]);
    const double gxx = ai.x * di.u + aj.x * dj.u + ak.x * dk.u;
    const double gyy = ai.y * di.v + aj.y * dj.v + ak.y * dk.v;
    const double gzz = ak.z * dk.w;
    const double gxy = ai.y * di.u + aj.y * dj.u + ak.y * dk.u + ai.x * di.v + aj.x * dj.v + ak.x * dk.v;
    const double gxz = ak.z * dk.u + ai.x * di.w + aj.x * dj.w + ak.x * dk.w;
    const double gyz = ak.z * dk.v + ai.y * di.w + aj.y * dj.w + ak.y * dk.w;
    const double sum = 2.0 * (gxx * gxx + gyy * gyy + gzz * gzz) + gxy * gxy + gxz * gxz + gyz * gyz;
    return sum * Ceddyvisc[c] / Cvol[c];
}

// The pressure difference along one axis: central with both neighbours,
// one-sided with one; a negative neighbour number gives none. `second`
// takes the second-order one-sided difference where the next cell exists.
double AxisPressureDifference(int c, int lo, int hi, const Array1<int>& towardsLo, const Array1<int>& towardsHi,
                              bool second) {
    if (lo < 0 || hi < 0) return 0.0;
    if (Has(lo) && Has(hi)) return 0.5 * (Pres[hi] - Pres[lo]);
    if (Has(hi)) {
        const int next = towardsHi[hi];
        if (!second || next == 0) return Pres[hi] - Pres[c];
        return next > 0 ? 0.5 * (4.0 * Pres[hi] - 3.0 * Pres[c] - Pres[next]) : 0.0;
    }
    if (Has(lo)) {
        const int next = towardsLo[lo];
        if (!second || next == 0) return Pres[c] - Pres[lo];
        return next > 0 ? 0.5 * (3.0 * Pres[c] - 4.0 * Pres[lo] + Pres[next]) : 0.0;
    }
    return 0.0;
}

// Mass flux per area of inflow group g, or nothing when the group brings
// no water in at this time.
std::optional<double> InflowFlux(int g) {
    const DischargeGroupRecord& r = DischargeGroups[g];
    const double area = r.area + 1e-30;
    if (TimeiInflowFlag <= 0) return r.discharge / area;
    // One row is taken as it stands and none leaves the group's own
    // discharge: no interval is ever read before the first row.
    const std::optional<SeriesPoint> at = LocateInTimei(stime);
    double q = r.discharge;
    if (at) {
        const double series = at->of([g](int row) { return TimeiDischarge[row][g]; });
        if (series >= 0.0) q = 1000.0 * series;
    }
    if (!(q > 0.0)) return std::nullopt;
    return q / area;
}

}  // namespace

bool FastArraysReady() {
    const size_t cells = static_cast<size_t>(NoCells) + 1;
    for (const Array2<double>* a : {&CfMulti, &InvApMulti, &CsourceMulti}) {
        if (a->extent1() < static_cast<size_t>(kFastRows) || a->extent2() < cells) return false;
    }
    return true;
}

void ComputeKEpsilonSourcesFast() {
    if (TurbulenceModel >= 2 && TurbulenceModel <= 7) return;
    const int last = LastActive();
    for (int c = FirstCell; c <= last; ++c) {
        const double p = HasWallLawFace(c) ? 0.0 : GradientProduction(c);
        const double ratio = Cepsilon[c] / (Ck[c] + 1e-20);
        CsourceMulti[kK][c] = TurbulenceModel == 1 ? 0.719 * p : p;
        InvApMulti[kK][c] = 1000.0 * Cvol[c] * ratio;
        CsourceMulti[kEps][c] = p * ratio * 1.44 * 1.3;
        InvApMulti[kEps][c] = ratio * Cvol[c] * 1920.0;
    }
}

void ComputeWallLawsFast() {
    const double cmu = TurbulenceModel == 1 ? 0.0845 : 0.09;
    Kappa = 0.4;
    // The floor stays with the wall law: the global is the F 16 value that
    // every later run start copies into the bed roughness.
    const double sideRoughness = std::max(WallRoughness, kLeastWallRoughness);
    const double cmu25 = std::pow(cmu, 0.25), cmu75 = std::pow(cmu, 0.75), sqrtCmu = std::sqrt(cmu);
    const double* concentration = conc.exists() && conc.extent2() > static_cast<size_t>(NoCells) ? conc.data() : nullptr;
    const int last = LastActive();
    struct Face {
        const Array1<int>* surface;
        const Array1<double>* dist;
        bool vertical;
    };
    const Face faces[6] = {{&Csurfe, &Cidist, false}, {&Csurfw, &Cidist, false}, {&Csurfs, &Cjdist, false},
                           {&Csurfn, &Cjdist, false}, {&Csurft, &Ckdist, true},  {&Csurfb, &Ckdist, true}};
    for (int c = FirstCell; c <= last; ++c) {
        if (!HasWallLawFace(c)) continue;
        for (int r = 0; r < kFastRows; ++r) InvApMulti[r][c] = CsourceMulti[r][c] = 0.0;
        const double k = Ck[c];
        const double kk = k <= MinK ? MinK : k;
        const double ustar = cmu25 * std::sqrt(std::max(k, 0.0));
        const double u = Cu[c], v = Cv[c], w = Cw[c];
        for (int f = 0; f < 6; ++f) {
            const int s = (*faces[f].surface)[c];
            if (Fflagflow[s] != kWallLawFace) continue;
            const bool bottom = f == 5;
            double d = (*faces[f].dist)[c];
            if (d >= kLongestWallDistance) d = kLongestWallDistance;
            const double ks = bottom ? std::max(Croughness[c], kLeastWallRoughness) : sideRoughness;
            double log = 2.5 * std::log(30.0 * d / ks);
            if (bottom && concentration) log *= 1.0 + 2.5 * concentration[c];
            double uplus = std::max(MinUplus, log);
            const double yplus = ustar * d * 1e6;
            // In the viscous layer u+ = y+, held to the least u+ of F 139 so
            // that a cell without turbulence gets no infinite friction.
            if (WallLawVariant == 3 && yplus < 11.63) uplus = std::max(yplus, MinUplus);
            const double friction = 31.62 * std::sqrt(1000.0 * sqrtCmu * kk);
            const double wf = friction * Farea[s] / uplus;
            InvApMulti[kU][c] += wf;
            InvApMulti[kV][c] += wf;
            InvApMulti[kW][c] += wf;
            const double nx = Fvecx[s], ny = Fvecy[s], nz = Fvecz[s];
            const double un = faces[f].vertical ? wf * (u * nx + v * ny + w * nz) : wf * (u * nx + v * ny);
            CsourceMulti[kU][c] += nx * un;
            CsourceMulti[kV][c] += ny * un;
            if (faces[f].vertical) CsourceMulti[kW][c] += nz * un;
            InvApMulti[kK][c] += 1000.0 * cmu75 * std::sqrt(kk) * uplus / d * Cvol[c];
            CsourceMulti[kK][c] += friction / uplus * (u * u + v * v + w * w) / d * Cvol[c];
            InvApMulti[kEps][c] += kFixedValue;
            CsourceMulti[kEps][c] += cmu75 * kFixedValue * std::pow(kk, 1.5) / (d * Kappa);
        }
    }
}

void ComputePressureGradients() {
    const bool second = F69Int5 != 0;
    const int last = LastActive();
    for (int c = FirstCell; c <= last; ++c) {
        const double di = AxisPressureDifference(c, Ccellw[c], Ccelle[c], Ccellw, Ccelle, second);
        const double dj = AxisPressureDifference(c, Ccells[c], Ccelln[c], Ccells, Ccelln, second);
        const double dk = AxisPressureDifference(c, Ccellb[c], Ccellt[c], Ccellb, Ccellt, false);
        const int e = Csurfe[c], w = Csurfw[c], n = Csurfn[c], s = Csurfs[c], t = Csurft[c], b = Csurfb[c];
        CsourceMulti[kU][c] -= 0.5 * ((Fareax[e] + Fareax[w]) * di + (Fareax[n] + Fareax[s]) * dj + (Fareax[t] + Fareax[b]) * dk);
        CsourceMulti[kV][c] -= 0.5 * ((Fareay[e] + Fareay[w]) * di + (Fareay[n] + Fareay[s]) * dj + (Fareay[t] + Fareay[b]) * dk);
        CsourceMulti[kW][c] -= dk * Fareaz[t];
    }
}

void SetInflowBoundaryConditionsFast() {
    if (NoCells > 0) {
        CdischargeGroup[NoCells] = 0;  // the bounds check of the whole range
        ForCellChunks(1, NoCells, [marks = CdischargeGroup.data()](int first, int last, int) {
            std::fill(marks + first, marks + last + 1, 0);
        });
    }
    for (int g = kFirstGroup; g <= kLastGroup; ++g) {
        const DischargeGroupRecord& r = DischargeGroups[g];
        const int count = GroupListLength(r);
        if (count == 0 || (r.groupType != 0 && r.groupType != 1)) continue;
        std::optional<double> q;
        if (r.groupType == 1) {
            q = InflowFlux(g);
            if (!q) continue;
        }
        for (int n = 0; n < count; ++n) {
            const int s = r.surfaceList[n];
            const int c = GroupSurfaceCell(s);
            if (c == 0) continue;
            if (!q) {
                CdischargeGroup[c] = -g;
                continue;
            }
            const double a = Farea[s];
            const double inflow = a * *q;
            const double momentum = *q * *q * 0.001 * a;
            for (int row = 0; row < kFastRows; ++row) InvApMulti[row][c] += inflow;
            CdischargeGroup[c] = g;
            CsourceMulti[kU][c] += momentum * Fvecx[s] * Fsign[s];
            CsourceMulti[kV][c] += momentum * Fvecy[s] * Fsign[s];
            CsourceMulti[kK][c] += r.inflowK * inflow;
            CsourceMulti[kEps][c] += r.inflowEps * inflow;
        }
    }
}

void CheckResidualFast() {
    static constexpr int kEquationOfRow[kFastRows] = {1, 2, 3, 5, 6};
    for (int eq = 1; eq <= 6; ++eq) {
        // A run without a scale has nothing to measure against: it fails,
        // as the residual of the other drivers does.
        if (ResidualScale[eq] < kSmallestScale) {
            FailAnywhere(kResidualNotSetStatus, "Error, residual not set for equation no. %d\n", eq);
            return;
        }
    }
    Array1<double>* fields[kFastRows] = {&Cu_res, &Cv_res, &Cw_res, &Ck_res, &Cepsilon_res};
    const int last = LastActive();
    double* slots[kFastRows];
    for (int r = 0; r < kFastRows; ++r) {
        // The per-cell residuals exist only with F 153 = 1.
        slots[r] = CellResidualFlag == 1 && fields[r]->size() > static_cast<size_t>(last) ? fields[r]->data() : nullptr;
    }
    const CellStencil s = CurrentCellStencil(CurrentConvectionScheme() == 1);
    if (s.cells <= static_cast<size_t>(last)) return;
    double sums[kFastRows] = {};
    const auto sweep = [&]<bool kFar>() {
        for (int c = FirstCell; c <= last; ++c) {
            const CellTerms t = LoadCellTerms<kFar>(s, c);
            for (int r = 0; r < kFastRows; ++r) {
                const double d = InvApMulti[r][c];
                if (!(d > kFixedInverse)) continue;
                double* phi = &CfMulti[r][0];
                const double change = (SumCellTerms<PlainField, kFar>(t, phi) + CsourceMulti[r][c] - phi[c] / d) * d;
                sums[r] += std::fabs(change);
                if (slots[r]) slots[r][c] = change;
            }
        }
    };
    if (s.far()) {
        sweep.template operator()<true>();
    } else {
        sweep.template operator()<false>();
    }
    for (int r = 0; r < kFastRows; ++r) MaxResidual[kEquationOfRow[r]] = sums[r] / ResidualScale[kEquationOfRow[r]];
}
