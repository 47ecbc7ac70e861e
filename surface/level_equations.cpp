// The correction equations of F 36 = 4, 7 and 8: the correction of each
// column minus that of a neighbour should equal the level difference the
// pressures demand minus the present one, weighted by how the flow runs
// between them (downstream neighbours weigh in subcritical flow, upstream
// ones in supercritical flow).
#include <algorithm>
#include <cmath>

#include "flow/flow_data.h"
#include "surface/level_equations.h"
#include "surface/surface_data.h"
#include "surface/surface_services.h"

namespace {

constexpr double kSqrtGravity = 3.132091952673165;

// A Froude number as a divisor: a column whose speed rounds to nothing would
// give an infinite weight.
constexpr double kSmallestFroude = 1e-3;

int Link(const Array1<int>& a, int c) { return c > 0 ? a[c] : 0; }

// Through the first side neighbour, else through the second.
int Diagonal(const Array1<int>& first, const Array1<int>& then, const Array1<int>& second, const Array1<int>& after,
             int c) {
    const int a = Link(then, Link(first, c));
    return a != 0 ? a : Link(after, Link(second, c));
}

// The eight neighbours in the visiting order north, north-west, west,
// south-west, south, south-east, east, north-east.
struct EightNeighbours {
    int n[8] = {};
};

EightNeighbours NeighboursOf(int c) {
    EightNeighbours e;
    e.n[0] = Link(Ccelln, c);
    e.n[1] = Diagonal(Ccelln, Ccellw, Ccellw, Ccelln, c);
    e.n[2] = Link(Ccellw, c);
    e.n[3] = Diagonal(Ccells, Ccellw, Ccellw, Ccells, c);
    e.n[4] = Link(Ccells, c);
    e.n[5] = Diagonal(Ccells, Ccelle, Ccelle, Ccells, c);
    e.n[6] = Link(Ccelle, c);
    e.n[7] = Diagonal(Ccelln, Ccelle, Ccelle, Ccelln, c);
    return e;
}

// The arrays of the eight coefficients, in the visiting order.
Array1<double>* const kEightCoefficients[8] = {&Can, &Cann, &Caw, &Caww, &Cas, &Cass, &Cae, &Caee};

bool FarArraysExist() { return Caee.exists() && Caww.exists() && Cass.exists() && Cann.exists(); }

double ColumnFroude(int c) { return c > 0 ? Bfroude[Cbedcell[c]] : 0.0; }
double ColumnDepth(int c) { return c > 0 ? Bdepth[Cbedcell[c]] : 0.0; }

double Horizontal(double dx, double dy) { return std::sqrt(dx * dx + dy * dy); }

void ClearRange(bool far, double diagonal) {
    Ckdist[0] = 0.0;
    for (int c = std::max(FirstCell, 0); c <= std::min(LastCell, NoCells); ++c) {
        Caw[c] = Cas[c] = Can[c] = Cae[c] = Cat[c] = Cab[c] = Csource[c] = Cf[c] = 0.0;
        if (far) Caee[c] = Caww[c] = Cass[c] = Cann[c] = 0.0;
        Cap[c] = diagonal;
    }
}

void SetReferenceNode(double level) {
    if (IsGridNode(iPres, jPres)) Gridz[iPres][jPres][NoGridLinesZ + 1] = level;
}

// The depth bound of F 246 3rd for a column of depth h0 and Froude number fr.
double DepthBound(double h0, double fr) {
    switch (F246Int3) {
        case -1: return fr > 1.0 ? h0 : 0.0;
        case -2: return fr > 1.0 ? 1.1 * h0 : 0.0;
        case -3:
        case -5: return fr > 1.0 ? h0 * fr : 0.0;
        case -4: return fr > 0.9 ? h0 : 0.0;
        case -6: return fr > 0.5 ? h0 : 0.0;
        case -7: return fr > 1.0 ? h0 * std::pow(fr, 0.66666667) : 0.0;
        default: return 0.0;
    }
}

double HighestTopCorner(int c) {
    return std::max({Pz1[Cpoint5[c]], Pz1[Cpoint6[c]], Pz1[Cpoint7[c]], Pz1[Cpoint8[c]]});
}
double LowestTopCorner(int c) {
    return std::min({Pz1[Cpoint5[c]], Pz1[Cpoint6[c]], Pz1[Cpoint7[c]], Pz1[Cpoint8[c]]});
}

double ColumnPressure(int c) { return Bpressure.exists() ? Bpressure[Cbedcell[c]] : 0.0; }

// The level defect of F 233 between the column of bed cell c (top t0) and
// the neighbour n (top t).
double LevelDefect(int c, int t0, int n, int t) {
    const double present = CellLevel(t0) - CellLevel(t);
    switch (SurfaceVariant) {
        case 5: return 0.5 * (Pres[t0] + Pres[c] - Pres[t] - Pres[n]) * kHeadPerPascal - present;
        case 6: return (ColumnPressure(c) - ColumnPressure(n)) * kHeadPerPascal - present;
        case 7: {
            const double q = (ColumnPressure(c) - ColumnPressure(n)) * kHeadPerPascal;
            if (q > 0.0) return std::max(0.0, q - (HighestTopCorner(t0) - LowestTopCorner(t)));
            return std::min(0.0, q - (LowestTopCorner(t0) - HighestTopCorner(t)));
        }
        default: break;
    }
    double q = (Pres[t0] - Pres[t]) * kHeadPerPascal;
    if (SurfaceVariant == 1) q = (Pres[c] - Pres[n]) * kHeadPerPascal;
    if (SurfaceVariant == 2) q += ((Pres[t0] - Pres[c]) - (Pres[t] - Pres[n])) * kHeadPerPascal;
    if ((SurfaceVariant == 3 || SurfaceVariant == 4) && t0 != c && t != n) {
        const double step = ((Pres[t0] - Pres[t0 - 1]) - (Pres[t] - Pres[t - 1])) * kHeadPerPascal;
        q += SurfaceVariant == 3 ? -step : step;
    }
    return q - present;
}

bool F352RuleZeroes(double a, double fr0, double frk) {
    const bool first = (F352Int2 == 1 || F352Int2 == 3) && a > 0.0 && fr0 < 1.0 && frk > 1.0;
    const bool second = (F352Int2 == 2 || F352Int2 == 3) && a < 0.0 && fr0 > 1.0 && frk < 1.0;
    return first || second;
}

void BuildSevenColumn(int c, const F36SevenSettings& s, bool far) {
    const EightNeighbours e = NeighboursOf(c);
    double fr0 = ColumnFroude(c);
    const double h0 = ColumnDepth(c);
    const int t0 = TopCellAbove(c);
    int t[8];
    double d[8] = {}, a[8] = {};
    double sumA = 0.0;
    for (int k = 0; k < 8; ++k) {
        const int n = e.n[k];
        t[k] = TopCellAbove(n);
        if (n == 0) continue;
        const double dx = Cxcenter[n] - Cxcenter[c], dy = Cycenter[n] - Cycenter[c];
        d[k] = Horizontal(dx, dy);
        const double us = Cu[c] + Cu[t[k]], vs = Cv[c] + Cv[t[k]];
        const double speed = Horizontal(us, vs);
        // Water at rest (or two opposite speeds) has no direction.
        a[k] = d[k] > 0.0 && speed > 0.0 ? (dx * us + dy * vs) / (d[k] * speed) : 0.0;
        sumA += std::fabs(a[k]);
        if (F246Int3 == -5) fr0 = std::max(fr0, ColumnFroude(n));
    }
    Cap[c] = s.diagonalStart;
    Csource[c] = 0.0;
    const double hb = DepthBound(h0, fr0);
    const double limit = SurfaceSlopeLimit;
    double coefficient[8] = {}, dzs[8] = {};
    double sumW = 0.0;
    for (int k = 0; k < 8; ++k) {
        if (t[k] == 0) continue;
        double dz = LevelDefect(c, t0, e.n[k], t[k]);
        dz = std::clamp(dz / (d[k] + 1e-20), -limit, limit) * d[k];
        if ((F246Int1 == 1 && a[k] < 0.0) || F246Int1 == 2) dz = std::max(dz, hb - h0);
        dzs[k] = dz;
        const double frk = ColumnFroude(e.n[k]);
        double w = SurfaceWeightFactor(a[k], s.neighbourFroude || F352Int1 != 0 ? frk : fr0);
        if (s.f352Rules && F352RuleZeroes(a[k], fr0, frk)) w = 0.0;
        coefficient[k] = w;
        sumW += w;
    }
    // A column that none of its neighbours weighs (an outlet corner, whose
    // flow leaves through the boundary) would keep a correction of 0 and,
    // with its nodes frozen, hold the level like a second reference: the
    // outlet line between the two would then drift for good. It follows all
    // its wet neighbours alike instead.
    const bool unweighed = !(sumW > 0.0);
    for (int k = 0; k < 8; ++k) {
        if (t[k] == 0) continue;
        const double dz = dzs[k];
        if (unweighed) coefficient[k] = 1.0;
        const double w = coefficient[k];
        Csource[c] += w * dz;
        Cap[c] += w;
        if (F283Option == 1 && fr0 > 1.0 && a[k] > 0.0 && CellLevel(t0) > CellLevel(t[k])) Cap[c] += fr0;
    }
    if (F246Int2 == 1 || F246Int2 == 3) {
        const double f = F246Int2 == 1 ? (fr0 <= 1.0 ? 10.0 * fr0 - 9.0 : 11.0 - 10.0 * fr0)
                                       : (fr0 <= 1.0 ? 2.0 * fr0 - 1.0 : 3.0 - 2.0 * fr0);
        Cap[c] += 0.5 * sumA * std::max(0.0, f);
    } else if (F246Int2 == 2) {
        Cap[c] = std::max(Cap[c], 1.0);
    }
    if (!s.storeNeighbours) return;
    for (int k = 0; k < 8; ++k) {
        if (far || k % 2 == 0) (*kEightCoefficients[k])[c] = coefficient[k];
    }
}

void BuildEightColumn(int c, bool far) {
    const EightNeighbours e = NeighboursOf(c);
    const double fr0 = ColumnFroude(c);
    const int t0 = TopCellAbove(c);
    const double u = Cu[t0], v = Cv[t0];
    const double s = std::sqrt(u * u + v * v + 1e-20);
    double h = 0.0;
    ForEachCellUp(c, [&h](int x) { h += Ckdist[x]; });
    h *= 2.0;
    Cap[c] = 1e-20;
    Csource[c] = 0.0;
    const double limit = SurfaceSlopeLimit;
    double factor[8] = {}, dist[8] = {}, dzs[8] = {};
    double sumFactor = 0.0;
    for (int k = 0; k < 8; ++k) {
        const int tk = TopCellAbove(e.n[k]);
        if (tk == 0) continue;
        const double dx = Cxcenter[tk] - Cxcenter[t0], dy = Cycenter[tk] - Cycenter[t0];
        const double r = 1.0 / std::sqrt(dx * dx + dy * dy + 1e-20);
        const double a = (dx * u + dy * v) * r / s;
        dist[k] = 1.0 / (r + 1e-20);
        const double slope = std::clamp((Pres[t0] - Pres[tk]) * r / 9810.0, -limit, limit);
        double dz = slope * dist[k] - (CellLevel(t0) - CellLevel(tk));
        if (a < 0.0) dz = std::max(dz, -h);
        dzs[k] = dz;
        factor[k] = SurfaceWeightFactor(a, fr0);
        sumFactor += factor[k];
    }
    // As for F 36 = 7: a column no neighbour weighs follows them all alike.
    const bool unweighed = !(sumFactor > 0.0);
    for (int k = 0; k < 8; ++k) {
        if (TopCellAbove(e.n[k]) == 0) continue;
        const double w = (unweighed ? 1.0 : factor[k]) * dist[k];
        const double dz = dzs[k];
        if (far || k % 2 == 0) (*kEightCoefficients[k])[c] = w;
        Csource[c] += w * dz;
        Cap[c] += w;
    }
}

void BuildFourColumn(int c) {
    const int t0 = TopCellWalkFlag == 1 ? TopCellAbove(c) : c;
    double k = 0.0, e2 = 0.0;
    ForEachCellUp(c, [&](int x) {
        k += Ckdist[x];
        e2 += (Cu[x] * Cu[x] + Cv[x] * Cv[x]) * Ckdist[x];
    });
    const double um = k > 0.0 ? std::sqrt(e2 / k) : 0.0;
    const double h = 2.0 * k;
    const double fr = h > 0.0 ? um / std::sqrt(9.81 * h) : 0.0;
    const int tc = TopCellAbove(c);
    const double u = Cu[tc], v = Cv[tc];
    const double inverseSpeed = 1.0 / std::sqrt(u * u + v * v + 1e-20);
    const double nz = Fvecz[Csurfb[c]];
    double hb = 0.0;
    if (fr > 1.0 && nz < 0.9) {
        const double manning = 26.0 / std::pow(Croughness[c], 1.0 / 6.0);
        hb = std::pow(um * h / (manning * std::sqrt(std::acos(std::clamp(nz, -1.0, 1.0))) + 1e-20), 0.6);
    } else if (fr > 1.0 && nz > 0.9) {
        hb = std::pow(um * h / kSqrtGravity, 0.666666673);
    }
    const struct {
        int side;
        Array1<double>* coefficient;
    } sides[] = {{Link(Ccellw, t0), &Caw}, {Link(Ccelle, t0), &Cae}, {Link(Ccells, t0), &Cas}, {Link(Ccelln, t0), &Can}};
    for (const auto& side : sides) {
        const int tn = TopCellAbove(side.side);
        if (tn == 0) continue;
        const double dx = Cxcenter[tn] - Cxcenter[tc], dy = Cycenter[tn] - Cycenter[tc];
        const double d = Horizontal(dx, dy);
        if (!(d > 0.0)) continue;
        double dz = LevelDifferenceFromPressure(d, tn, tc);
        const double a = (u * dx + v * dy) * inverseSpeed / d;
        if (a < 0.0) dz = std::max(dz, hb - h);
        const double w = SurfaceWeightFactor(a, fr) / d;
        (*side.coefficient)[c] += w;
        Csource[c] += w * dz;
    }
    Cap[c] = Caw[c] + Cae[c] + Cas[c] + Can[c] + 1e-20;
}

// F 278 0, the table's own first formula.
double WeightTableZero(double a, double fr) {
    double w = 0.0;
    if (fr > 1.0 && a < 0.0) {
        w = a > -0.2 ? 5.0 * a * a : -a;
        if (fr < 2.0) w *= fr - 1.0;
    } else if (fr < 1.0 && a > 0.0) {
        w = a < 0.1 ? 10.0 * a * a : a;
        if (fr < 0.75) w *= 4.0 - 4.0 * fr;
        w += 0.03;
    }
    if (SurfaceSmoothingOption == 5) w += SurfaceSmoothingValue;
    return w;
}

double Ramp(double fr) { return fr < 0.2 ? 0.0 : (fr <= 1.2 ? 10.0 * (fr - 0.2) : 10.0); }
double Steep(double fr) { return fr < 1.0 ? 0.0 : (fr <= 2.0 ? 100.0 * (fr - 1.0) : 100.0); }

double WeightByTable(double a, double fr) {
    const double tau = 0.5 * (std::tanh(-20.0 * a) + 1.0);
    const double frc = CriticalFroude;
    switch (SurfaceWeightOption) {
        case 0: return WeightTableZero(a, fr);
        case 1: return std::max((1.0 - fr) * a, 0.0);
        case 2: return (1.0 - fr) * a > 0.0 ? (1.0 - fr) * a + 0.1 : 0.1;
        case 3: return std::max((1.3 - fr) * a, 0.0);
        case 4: return std::max((2.0 - fr) * a, 0.0);
        case 5:
        case 9: return 1.0;
        case 6: return a < -0.1 ? 0.0 : 1.0;
        case 7:
            if (a > -0.1 && fr < 2.0) return std::min(2.0 - fr, 1.0);
            if (a < -0.5 && fr > 2.0) return a * a * (fr - 1.0);
            return 0.0;
        case 8:
            if (fr > 1.0 && a < 0.0) return 1.0;
            if (fr < 1.0) return a > 0.0 ? 1.0 : 0.0;
            return 0.0;
        case 10: return std::max(a, 0.0) + Ramp(fr);
        case 11: return std::max(a, 0.0) + Ramp(fr) + Steep(fr) * std::max(-a, 0.0);
        case 12: return fr > 1.0 && a < 0.0 ? 0.0 : std::max(a, 0.0) + Ramp(fr);
        case 13: {
            double w = tau;
            if (fr > 0.9 && fr < 1.1 && a > 0.0) w = std::max(tau, 5.0 * (1.1 - fr));
            if (fr < 0.9 && a > 0.0) w = std::max(w, 1.0 / (fr + 0.1));
            return w;
        }
        case 14: return std::max(tau, 1.0 / (fr + 0.1));
        case 15: {
            double w = tau;
            if (fr > 1.0 && fr < frc && a > 0.0) w = std::max(tau, (frc - fr) / (frc - 1.0 + 1e-8));
            if (fr < 1.0 && a > 0.0) w = std::max(w, 1.1 / (fr + 0.1));
            return w;
        }
        case 16: {
            double w = tau;
            if (fr > 1.0 && fr < 1.1 && a > 0.0) w = std::max(tau, 10.0 * (1.1 - fr));
            if (fr < 1.0 && a > 0.0) w = std::max(w, 1.1 / (fr + 0.1));
            return w;
        }
        case 17: return fr < 1.0 && a > 0.0 ? std::max(tau, 1.1 / (fr + 0.1)) : tau;
        default: return 0.0;  // the reader refuses these
    }
}

}  // namespace

double SurfaceWeightFactor(double a, double fr) {
    if (FreeSurfaceOption == 7) return WeightByTable(a, fr);
    if (fr > 1.0 && a < 0.0) return a > -0.2 ? 5.0 * a * a * fr : -a * fr;
    if (fr < 1.0 && a > 0.0) return (a < 0.1 ? 10.0 * a * a : a) / std::max(fr, kSmallestFroude) + 0.03;
    return 0.0;
}

void BuildF36FourEquation() {
    Ckdist[0] = 0.0;
    ClearRange(false, 0.0001);
    ForEachSurfaceColumn(1, [](int, int, int c) { BuildFourColumn(c); });
}

void BuildF36EightEquation(double referenceLevel) {
    const bool far = FarArraysExist();
    ClearRange(far, 0.0001);
    SetReferenceNode(referenceLevel);
    ForEachSurfaceColumn(1, [far](int, int, int c) { BuildEightColumn(c, far); });
}

void BuildF36SevenEquation(const F36SevenSettings& s) {
    const bool far = FarArraysExist();
    ClearRange(far, 0.0001);
    SetReferenceNode(s.referenceLevel);
    ForEachSurfaceColumn(1, [&s, far](int, int, int c) { BuildSevenColumn(c, s, far); });
}

void BuildSurfaceEquationF36Four() {
    BuildF36FourEquation();
    FixReferenceLevel();
}

void BuildSurfaceEquationF36Seven() {
    F36SevenSettings s;
    s.referenceLevel = ZRef;
    BuildF36SevenEquation(s);
}

void BuildSurfaceEquationF36Eight() {
    BuildF36EightEquation(ZRef);
    FixReferenceLevel();
}
