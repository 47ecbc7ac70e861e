// The solved plan equation onto the grid nodes: each node takes the mean of
// the columns around it, and the limits that keep nodes next to dry columns
// from hanging below the water they border.
#include <algorithm>
#include <cmath>
#include <vector>

#include "flow/flow_data.h"
#include "solver/solver_data.h"
#include "surface/level_equations.h"
#include "surface/surface_data.h"

namespace {

constexpr int kChangePlane = 4;

double& NodeLevel(int i, int j) { return Gridz[i][j][NoGridLinesZ]; }
double& NewLevel(int i, int j) { return Gridz[i][j][NoGridLinesZ + 1]; }

int Link(const Array1<int>& a, int c) { return c > 0 ? a[c] : 0; }

double FroudeOf(int c) { return Bfroude[Cbedcell[c]]; }

// Calls f(i, j, columns) for every node of the surface blocks with a wet
// column around it, each node once even where two blocks share a line.
template <class F>
void ForEachWetNode(F f) {
    if (!Gridz.exists()) return;
    const size_t nj = Gridz.extent2();
    std::vector<char> seen(Gridz.extent1() * nj, 0);
    ForEachSurfaceBlock([&](const BlockRecord& r) {
        for (int i = std::max(r.iFirst - 1, 0); i <= r.iLast; ++i) {
            for (int j = std::max(r.jFirst - 1, 0); j <= r.jLast; ++j) {
                char& done = seen[static_cast<size_t>(i) * nj + static_cast<size_t>(j)];
                if (done != 0) continue;
                done = 1;
                const NodeColumns nc = FillNodeColumns(i, j);
                if (nc.n > 0) f(i, j, nc);
            }
        }
    });
}

// F 36 = 9: the solved levels against the depths of the columns; when the
// two sums agree to 1e-3 the solve has changed nothing worth applying.
bool LevelsUnchanged() {
    double s1 = 0.0, s2 = 0.0;
    ForEachSurfaceColumn(0, [&](int, int, int c) {
        s1 += Cf[c];
        ForEachCellUp(c, [&s2](int x) {
            if (Ccellt[x] != 0) s2 += 2.0 * Ckdist[x];
        });
    });
    const double scale = std::fabs(s1) + std::fabs(s2);
    return scale > 0.0 && std::fabs(s1 - s2) / scale < 0.001;
}

bool Dry(int i, int j) { return GridColumnBottom(i, j) == 0; }

void RaiseNode(int i, int j, double by) {
    NodeLevel(i, j) += by;
    NewLevel(i, j) = NodeLevel(i, j);
}

// F 229 = 1 for the column at (i, j): nodes of a side towards a dry column
// through which the flow leaves rise towards the level friction allows.
void RaiseTowardsFrictionLevel(int i, int j, int c) {
    const int tc = TopCellAbove(c);
    const double u = Cu[tc], v = Cv[tc];
    const double s = std::sqrt(u * u + v * v);
    const double zs = CellLevel(tc);
    const double h = 2.0 * Ckdist[tc];
    const double conveyance = std::pow(h, 0.666667) * StricklerCoefficient / (s + 1e-20) + 1e-20;
    const struct {
        int di, dj;
        const Array1<int>* surface;
        bool outward;  // the flow leaves when the cosine is above 0.5 (else below -0.5)
        const Array1<double>* spacing;
        int n1i, n1j, n2i, n2j;
    } sides[] = {{-1, 0, &Csurfw, false, &Cidist, i - 1, j, i - 1, j - 1},
                 {0, -1, &Csurfs, false, &Cjdist, i, j - 1, i - 1, j - 1},
                 {1, 0, &Csurfe, true, &Cidist, i, j, i, j - 1},
                 {0, 1, &Csurfn, true, &Cjdist, i, j, i - 1, j}};
    for (const auto& side : sides) {
        if (!Dry(i + side.di, j + side.dj)) continue;
        const int f = (*side.surface)[tc];
        const double gamma = (u * Fvecx[f] + v * Fvecy[f]) / (s + 1e-20);
        if (side.outward ? !(gamma > 0.5) : !(gamma < -0.5)) continue;
        const double d = (*side.spacing)[tc];
        if (!(d > 0.0)) continue;
        const double zf = zs - d / (conveyance * conveyance);
        const double r = std::min(TimeStep * s / d, 1.0);
        for (const auto& [ni, nj] : {std::pair{side.n1i, side.n1j}, std::pair{side.n2i, side.n2j}}) {
            RaiseNode(ni, nj, r * std::fabs(gamma) * std::max(zf - NodeLevel(ni, nj), 0.0));
        }
    }
}

double FlowAcross(int a, int b, int c) {
    const double u = Cu[c], v = Cv[c];
    return ((Fvecx[a] + Fvecx[b]) * u + (Fvecy[a] + Fvecy[b]) * v) / std::sqrt(u * u + v * v + 1e-20);
}

// F 229 = 2 for the column at (i, j): a fast column whose corners all stand
// shallower than the dry depth, between dry columns along its flow, is
// lifted to that depth.
void LiftShallowCorners(int i, int j, int c) {
    if (!(FroudeOf(c) > 0.1)) return;
    double hmax = -HUGE_VAL;
    for (int ni = i - 1; ni <= i; ++ni) {
        for (int nj = j - 1; nj <= j; ++nj) hmax = std::max(hmax, NodeLevel(ni, nj) - Gridz[ni][nj][1]);
    }
    if (!(hmax < DryDepth)) return;
    const double lift = (DryDepth - hmax) + 1e-5;
    auto liftCorners = [&] {
        for (int ni = i - 1; ni <= i; ++ni) {
            for (int nj = j - 1; nj <= j; ++nj) RaiseNode(ni, nj, lift);
        }
    };
    if (Dry(i, j + 1) && Dry(i, j - 1) && FlowAcross(Csurfn[c], Csurfs[c], c) > 0.5) liftCorners();
    if (Dry(i + 1, j) && Dry(i - 1, j) && FlowAcross(Csurfe[c], Csurfw[c], c) > 0.5) liftCorners();
}

// The residual of the plan equation of bed cell c at the present `Cf`.
double Residual(int c) {
    return Csource[c] - Cap[c] * Cf[c] + Can[c] * Cf[Ccelln[c]] + Cas[c] * Cf[Ccells[c]] + Cae[c] * Cf[Ccelle[c]] +
           Caw[c] * Cf[Ccellw[c]];
}

}  // namespace

NodeColumns FillNodeColumns(int i, int j) {
    NodeColumns nc;
    int& c00 = nc.c[0];
    int& c01 = nc.c[1];
    int& c11 = nc.c[2];
    int& c10 = nc.c[3];
    c00 = GridColumnBottom(i, j);
    c01 = GridColumnBottom(i, j + 1);
    c11 = GridColumnBottom(i + 1, j + 1);
    c10 = GridColumnBottom(i + 1, j);
    if (c00 + c01 + c11 + c10 <= 0) return nc;
    if (c00 == 0) c00 = Link(Ccells, c01);
    if (c00 == 0) c00 = Link(Ccellw, c10);
    if (c01 == 0) c01 = Link(Ccelln, c00);
    if (c01 == 0) c01 = Link(Ccellw, c11);
    if (c11 == 0) c11 = Link(Ccelle, c01);
    if (c11 == 0) c11 = Link(Ccelln, c10);
    if (c10 == 0) c10 = Link(Ccelle, c00);
    if (c10 == 0) c10 = Link(Ccells, c11);
    for (const int c : nc.c) nc.n += c != 0 ? 1 : 0;
    return nc;
}

void ApplyLevelCorrectionAs(bool level) {
    Cf[0] = 0.0;
    Bfroude[Cbedcell[0]] = 0.0;
    if (level && LevelsUnchanged()) return;
    const bool planes = GridLevels.exists() && GridLevels.extent1() > kChangePlane;
    ForEachWetNode([&](int i, int j, const NodeColumns& nc) {
        double m = 0.0, froude = 0.0;
        for (const int c : nc.c) {
            m += Cf[c];
            froude += FroudeOf(c);
        }
        m /= nc.n;
        const double z = NodeLevel(i, j);
        double zNew = z + m * SurfaceRelaxation;
        if (level) {
            zNew = m;
            if (F346Option == 1 && z > m) zNew = z - (z - m) * std::max(1.0 - froude / nc.n, 0.0001);
        }
        NodeLevel(i, j) = zNew;
        if (planes) GridLevels[kChangePlane][i][j] = zNew - NewLevel(i, j);
        NewLevel(i, j) = zNew;
    });
}

void ApplyLevelCorrection() { ApplyLevelCorrectionAs(FreeSurfaceOption == 9); }

void ApplyLevelCorrectionAlt() {
    Cf[0] = 0.0;
    ForEachWetNode([](int i, int j, const NodeColumns& nc) {
        double sum = 0.0, weights = 0.0;
        for (const int c : nc.c) {
            if (c == 0) continue;
            double w = (Gridx[i][j] - Cxcenter[c]) * Cu[c] + (Gridy[i][j] - Cycenter[c]) * Cv[c];
            w = w <= 0.0 ? 1e-10 : w + 1e-10;
            sum += Cf[c] * w;
            weights += w;
        }
        NodeLevel(i, j) += sum / (weights + 1e-20) * SurfaceRelaxation;
        NewLevel(i, j) = NodeLevel(i, j);
    });
}

void LimitSurfaceByFroude() {
    if (FroudeLevelLimitOption != 1 && FroudeLevelLimitOption != 2) return;
    ForEachSurfaceBlock([](const BlockRecord& r) {
        for (int i = r.iFirst + 1; i <= r.iLast - 1; ++i) {
            for (int j = r.jFirst + 1; j <= r.jLast - 1; ++j) {
                const int c = GridColumnBottom(i, j);
                if (c == 0) continue;
                if (FroudeLevelLimitOption == 1) {
                    RaiseTowardsFrictionLevel(i, j, c);
                } else {
                    LiftShallowCorners(i, j, c);
                }
            }
        }
    });
}

void BlockCorrectSurfaceEquation() {
    if (NoBlocks < 1) return;
    const BlockRecord& r = BlockTable[1];
    const int i1 = r.iFirst, i2 = r.iLast, j1 = r.jFirst, j2 = r.jLast;
    const int lines = static_cast<int>(std::min(CtdmaP.size(), CtdmaQ.size()));
    if (i1 < 1 || i1 >= lines || i2 + 1 >= lines) return;
    CtdmaP[i1] = 0.5;
    CtdmaQ[i1] = 0.0;
    if (i2 < i1) {
        if (i2 >= 1) CtdmaQ[i2] = CtdmaQ[i2 - 1] = 0.0;
        return;
    }
    for (int i = i1; i <= i2; ++i) {
        double ae = 0.0, aw = 0.0, ap = 0.0, res = 0.0;
        for (int j = j1; j <= j2; ++j) {
            // A dry node has no equation to correct.
            const int c = GridColumnBottom(i, j);
            if (c == 0) continue;
            ae += Cae[c];
            aw += Caw[c];
            ap += Cap[c] - Can[c] - Cas[c];
            res += Residual(c);
        }
        if (i == i1) {
            ap += ae;
            aw = ae;
        }
        const double den = aw * CtdmaP[i] - ap + 1e-30;
        CtdmaP[i + 1] = -ae / den;
        CtdmaQ[i + 1] = -(aw * CtdmaQ[i] + res) / den;
    }
    CtdmaQ[i2] = 0.0;
    if (i2 - 1 >= 0) CtdmaQ[i2 - 1] = 0.0;
    double x = 0.0;
    for (int i = i2; i >= i1; --i) {
        x = x * CtdmaP[i + 1] + CtdmaQ[i + 1];
        for (int j = j1; j <= j2; ++j) {
            if (const int c = GridColumnBottom(i, j)) Cf[c] += x;
        }
    }
}

void SumCoefficientsPerColumn(int levels) {
    const int top = std::min(levels, MultigridChoice);
    int averaged = 0;
    for (int b = 1; b <= kMaxBlocks && averaged == 0; ++b) {
        if (BlockTable[b].depthAveraged != 0) averaged = b;
    }
    const int capacity =
        static_cast<int>(std::min({Cap.size(), Cae.size(), Caw.size(), Can.size(), Cas.size(), Csource.size()})) - 1;
    std::vector<int> condensed;
    int next = NoCells;
    for (int b = 1; b <= std::min(NoBlocks, kMaxBlocks); ++b) {
        const BlockRecord& r = BlockTable[b];
        if (r.depthAveraged != 0) continue;
        for (int c = std::max(r.firstCell, 1); c <= std::min(r.lastCell, NoCells); ++c) {
            if (Ccellb[c] != 0) continue;
            if (next >= capacity) break;
            const int n = ++next;
            condensed.push_back(n);
            Csource[n] = Cae[n] = Caw[n] = Can[n] = Cas[n] = Cap[n] = 0.0;
            ForEachCellUp(c, [n](int x) {
                Csource[n] += Csource[x];
                Cae[n] += Cae[x];
                Caw[n] += Caw[x];
                Can[n] += Can[x];
                Cas[n] += Cas[x];
                Cap[n] += Cap[x];
            });
        }
    }
    std::vector<int> coarse;
    if (averaged > 0 && Cchildren.exists() && Cchildren.extent2() > 4) {
        for (int rec = averaged + 1; rec <= std::min(averaged + top - 1, kMaxBlocks); ++rec) {
            const BlockRecord& r = BlockTable[rec];
            const int last = std::min({r.lastCell, capacity, static_cast<int>(Cchildren.extent1()) - 1});
            for (int n = std::max(r.firstCell, 1); n <= last; ++n) {
                const int* ch = &Cchildren[n][0];
                auto sum = [ch](const Array1<double>& a, std::initializer_list<int> which) {
                    double s = 0.0;
                    for (const int k : which) s += ch[k] > 0 ? a[ch[k]] : 0.0;
                    return s;
                };
                Csource[n] = sum(Csource, {1, 2, 3, 4});
                Cap[n] = sum(Cap, {1, 2, 3, 4});
                Caw[n] = sum(Caw, {1, 2});
                Cas[n] = sum(Cas, {1, 4});
                Can[n] = sum(Can, {2, 3});
                Cae[n] = sum(Cae, {3, 4});
                coarse.push_back(n);
            }
        }
    }
    for (const std::vector<int>* list : {&condensed, &coarse}) {
        for (const int n : *list) Cap[n] += Caw[n] + Cae[n] + Can[n] + Cas[n];
    }
}
