// The free-surface update of F 36 = 1 and 11 to 19: no equation and no
// reference column. Every water column of one block turns its top cell's
// pressure, net inflow or vertical velocity into a level change and spreads
// it over its corner nodes by flow direction and Froude number; then the
// boundary nodes of the discharge groups, the bounds of F 178 and the
// smoothing, and the grid regenerated.
#include <algorithm>
#include <cmath>

#include "flow/flow_data.h"
#include "grid/grid_services.h"
#include "grid/metric_steps.h"
#include "run/timei_data.h"
#include "sediment/sediment_data.h"
#include "surface/surface_data.h"
#include "surface/surface_levels.h"
#include "surface/surface_regeneration.h"
#include "surface/surface_services.h"

namespace {

enum Corner { kSW, kSE, kNE, kNW };

double& Level(int i, int j) { return Gridz[i][j][NoGridLinesZ]; }
double& NewLevel(int i, int j) { return Gridz[i][j][NoGridLinesZ + 1]; }
double Bed(int i, int j) { return Gridz[i][j][1]; }

struct Node {
    int i, j;
};

// The corner nodes of the column at (i, j), in Corner order.
void Corners(int i, int j, Node (&n)[4]) {
    n[kSW] = {i - 1, j - 1};
    n[kSE] = {i, j - 1};
    n[kNE] = {i, j};
    n[kNW] = {i - 1, j};
}

struct TfsBlock {
    int b = 0;
    int i1 = 0, i2 = -1, j1 = 0, j2 = -1;
    bool appended = false;
    // The layer block lies o node lines of j beyond the block before it.
    // Block 1 has no block before it: there is no shift.
    bool shifts = false;
    int o = 0;
};

TfsBlock BlockOf(int b) {
    TfsBlock t;
    t.b = b;
    const BlockRecord& r = BlockTable[b];
    t.i1 = r.iFirst;
    t.i2 = r.iLast;
    t.j1 = r.jFirst;
    t.j2 = r.jLast;
    t.appended = r.layerBlock != 0;
    if (b >= 2) {
        t.shifts = true;
        t.o = r.jLast - BlockTable[b - 1].jLast;
    }
    return t;
}

// The node shifted by -o in j, when there is one.
bool Shifted(const TfsBlock& t, Node n, Node& to) {
    if (!t.shifts || n.j - t.o < 0 || !IsGridNode(n.i, n.j - t.o)) return false;
    to = {n.i, n.j - t.o};
    return true;
}

double Flux(const Array1<int>& side, int c) { return Fflux[side[c]]; }

double Per(double v, double area) { return area > 0.0 ? v / area : 0.0; }

double NetOutflow(int t, bool withBottom) {
    const double lateral = Flux(Csurfe, t) - Flux(Csurfw, t) + Flux(Csurfn, t) - Flux(Csurfs, t);
    return withBottom ? lateral - Flux(Csurfb, t) : lateral;
}

double VerticalVelocityChange(int t, double area) {
    const int s = Csurft[t];
    return (Cu[t] * Fareax[s] + Cv[t] * Fareay[s] + Cw[t] * Fareaz[s]) / (area + 1e-20) * TimeStep;
}

// The level change of the column of top cell t by F 36.
double LevelChange(int t, int column) {
    const int s = Csurft[t];
    const double dt = TimeStep;
    const int option = FreeSurfaceOption;
    switch (option) {
        case 1: return (Pres[t] / 9810.0 - Ckdist[t]) * F175Value;
        case 11: return -Per(NetOutflow(t, true), Farea[s] * 1000.0) * dt * F175Value;
        case 12: return -Per(NetOutflow(t, false), Farea[s] * 1000.0) * dt;
        case 13: return dt * F175Value * (Cu[t] * Fvecx[s] + Cv[t] * Fvecy[s] + Cw[t]);
        case 14: return VerticalVelocityChange(t, Fareaz[s]);
        case 15:
            return 0.5 * (-NetOutflow(t, true) * 0.001 / (Fareaz[s] + 1e-20) * dt + VerticalVelocityChange(t, Fareaz[s]));
        case 16: return -NetOutflow(t, true) * 0.001 / (Fareaz[s] + 1e-20) * dt;
        default: break;
    }
    if (option != 17 && LayerBlockOption <= 1) return 0.0;  // 18 and 19 without a layer block
    double dz = (F254Value * (-NetOutflow(t, true) * 0.001 / (Farea[s] + 1e-20)) * dt +
                 (1.0 - F254Value) * VerticalVelocityChange(t, Farea[s])) *
                Fvecz[s];
    if (LayerBlockOption > 1 && dz > 0.0) {
        if (BlayerValue.exists() && BlayerValue.extent1() > 1 && column > 0 &&
            static_cast<size_t>(column) < BlayerValue.extent2()) {
            double& v = BlayerValue[1][column];
            const double h = CellLevel(t) - 1.8 + dz;
            const double d = (1.0 - v) * h + (F332Value - 1.0) * dz + h * v;
            if (d != 0.0) v = h * v / d;
        }
        dz *= F332Value;
    }
    return dz;
}

struct Weights {
    double w[4] = {0.25, 0.25, 0.25, 0.25};
};

// Step 3: Froude weighting of the corners and the column's Froude number;
// may raise dz to the critical-depth bound.
Weights CornerWeights(int t, int column, double& dz) {
    Weights out;
    if (F179Int1 == 1 || F179Int1 == 2) {
        double k = 0.0, um = 0.0, vm = 0.0;
        for (int c = t, steps = 0; IsGridCell(c) && steps < NoCells; c = Ccellb[c], ++steps) {
            k += Ckdist[c];
            um += Cu[c] * Ckdist[c];
            vm += Cv[c] * Ckdist[c];
        }
        if (k > 0.0) {
            um /= k;
            vm /= k;
        }
        const double fr = k > 0.0 ? std::sqrt((um * um + vm * vm) / (19.62 * k)) : 0.0;
        if (Bfroude.exists() && column > 0 && column < static_cast<int>(Bfroude.size())) Bfroude[column] = fr;
        const double lambda = F179Int2 == 1 ? 1.0 / (fr + 0.0001) : 0.0;
        dz = std::max(dz, (um * um + vm * vm) / 981.0 - 2.0 * k);
        if (F179Int1 == 2) {
            um = vm = 0.0;
            for (const int c : {t, Ccelle[t], Ccellw[t], Ccelln[t], Ccells[t]}) {
                um += Cu[c];
                vm += Cv[c];
            }
        }
        const double x1 = Px1[Cpoint1[t]], y1 = Py1[Cpoint1[t]], x2 = Px1[Cpoint2[t]], y2 = Py1[Cpoint2[t]];
        const double x3 = Px1[Cpoint3[t]], y3 = Py1[Cpoint3[t]], x4 = Px1[Cpoint4[t]], y4 = Py1[Cpoint4[t]];
        const double a13 = um * (x3 - x1) + vm * (y3 - y1);
        const double a42 = um * (x2 - x4) + vm * (y2 - y4);
        // Supercritical flow lifts the corners it runs towards, subcritical
        // flow those it comes from.
        const double sense = fr >= 1.0 ? 1.0 : -1.0;
        double q[4];
        q[kNE] = std::max(sense * a13, 0.0);
        q[kSE] = std::max(sense * a42, 0.0);
        q[kNW] = std::max(-sense * a42, 0.0);
        q[kSW] = std::max(-sense * a13, 0.0);
        const double sum = q[0] + q[1] + q[2] + q[3] + 4.0 * lambda + 1e-30;
        for (int n = 0; n < 4; ++n) out.w[n] = (q[n] + lambda) / sum;
    }
    double* w = out.w;
    if (Ccells[t] == 0) {
        w[kSE] *= 2.0;
        w[kSW] *= 2.0;
    }
    if (Ccelln[t] == 0) {
        w[kNE] *= 2.0;
        w[kNW] *= 2.0;
    }
    // A side without a neighbour takes the weight of the opposite side as
    // well, as it stood before either side took any.
    const double ne = w[kNE], se = w[kSE], nw = w[kNW], sw = w[kSW];
    if (Ccellw[t] == 0) {
        w[kNW] += ne;
        w[kSW] += se;
    }
    if (Ccelle[t] == 0) {
        w[kNE] += nw;
        w[kSE] += sw;
    }
    return out;
}

// Step 4: the move of one corner node, within a tenth of its depth and
// never nearer the bed than MinSurfaceDepth.
double LimitedMove(Node n, double delta) {
    const double h = Level(n.i, n.j) - Bed(n.i, n.j);
    const double bound = 0.1 * std::fabs(h);
    delta = std::clamp(delta, -bound, bound);
    if (delta + h < MinSurfaceDepth) delta = MinSurfaceDepth - h;
    return delta;
}

void CoupleGroundwater(int column, const Node (&n)[4], double moved) {
    if (!(GroundwaterOption > 0 && LayerBlockOption > 0 && F333Option > 0)) return;
    if (!Bgroundwater.exists() || !BlayerSlope.exists() || column <= 0 ||
        column >= static_cast<int>(std::min(Bgroundwater.size(), BlayerSlope.size()))) {
        return;
    }
    double& g = Bgroundwater[column];
    const double s = BlayerSlope[column];
    if (!(s < g)) return;
    double mean = 0.0;
    for (const Node& c : n) mean += 0.25 * Level(c.i, c.j);
    const double f = std::clamp((g - s) / (mean - s + 1e-20), 0.0, 1.0);
    if (F333Option == 3) {
        g += 0.7 * moved;
        return;
    }
    g += f * moved;
    if (F333Option == 2 && column + 1 < static_cast<int>(Bgroundwater.size())) g = std::max(g, Bgroundwater[column + 1]);
}

bool HasPlaneSix() { return GridLevels.exists() && GridLevels.extent1() > 6; }

void MoveColumns(const TfsBlock& t) {
    for (int i = t.i1; i <= t.i2; ++i) {
        for (int j = t.j1; j <= t.j2; ++j) {
            const int bed = GridColumnBottom(i, j);
            if (bed == 0) continue;
            const int column = Cbedcell[bed];
            if (SlideVariant > 0 && (!Bslide.exists() || column >= static_cast<int>(Bslide.size()) || Bslide[column] == 0)) {
                continue;
            }
            const int top = TopCellAbove(bed);
            double dz = LevelChange(top, column);
            const Weights w = CornerWeights(top, column, dz);
            Node n[4];
            Corners(i, j, n);
            double moved = 0.0;
            for (int c = 0; c < 4; ++c) {
                const double delta = LimitedMove(n[c], w.w[c] * dz);
                Level(n[c].i, n[c].j) += delta;
                moved += delta;
                if (LayerBlockOption <= 0) continue;
                Node to{};
                const bool shifted = Shifted(t, n[c], to);
                if (HasPlaneSix()) {
                    GridLevels[6][n[c].i][n[c].j] += delta;
                    if (shifted) GridLevels[6][to.i][to.j] += delta;
                }
                if (shifted && F347Option == 1) Level(to.i, to.j) += delta;
            }
            CoupleGroundwater(column, n, moved);
        }
    }
}

// The two nodes of side `side` (1 south, 2 east, 3 north, 4 west) of the
// column at (i, j).
void SideNodes(int side, int i, int j, Node& a, Node& b) {
    switch (side) {
        case 1: a = {i, j - 1}; b = {i - 1, j - 1}; break;
        case 2: a = {i, j - 1}; b = {i, j}; break;
        case 3: a = {i, j}; b = {i - 1, j}; break;
        default: a = {i - 1, j}; b = {i - 1, j - 1}; break;
    }
}

int SurfaceSide(int s) { return Fcell1[s] != 0 ? Ftype1[s] : Ftype2[s]; }

bool HasSurfaces(const DischargeGroupRecord& g) { return GroupListLength(g) > 0; }

// Calls f(column bed cell, cell, i, j, side) for each surface of group g
// whose cell passes `which` (a bed or a top cell).
template <class F>
void ForEachGroupSide(const DischargeGroupRecord& g, bool topCells, F f) {
    if (!Bkooi.exists()) return;
    for (int n = 0; n < GroupListLength(g); ++n) {
        const int s = g.surfaceList[n];
        const int x = GroupSurfaceCell(s);
        if (x == 0) continue;
        if (topCells ? Ccellt[x] != 0 : Ccellb[x] != 0) continue;
        const int bed = BottomCellBelow(x);
        const int column = Cbedcell[bed];
        if (column <= 0 || column > NoBedCells) continue;
        f(x, Bkooi[column], Bkooj[column], SurfaceSide(s));
    }
}

const DischargeGroupRecord* FirstOutflowGroup() {
    for (int g = kFirstGroup; g <= kLastGroup; ++g) {
        if (DischargeGroups[g].groupType == 0 && HasSurfaces(DischargeGroups[g])) return &DischargeGroups[g];
    }
    return nullptr;
}

void SetSide(const DischargeGroupRecord& g, double level) {
    ForEachGroupSide(g, false, [level](int, int i, int j, int side) {
        Node a{}, b{};
        SideNodes(side, i, j, a, b);
        for (const Node& n : {a, b}) {
            if (IsGridNode(n.i, n.j)) Level(n.i, n.j) = level;
        }
    });
}

// Step 7: the `timei` levels at the groups; returns L (-1 without one).
double ImposeSeriesLevels(const TfsBlock& t) {
    if (t.appended || NoTimeiSteps < 1 || !TimeiTime.exists()) return -1.0;
    const double l = ReferenceSeriesLevel(TimeiLevel);
    const double l2 = TimeiLevel2.exists() ? ReferenceSeriesLevel(TimeiLevel2) : -1.0;
    if (l > 0.0) {
        if (const DischargeGroupRecord* g = FirstOutflowGroup()) SetSide(*g, l);
    }
    if (l2 > 0.0) {
        for (int g = kFirstGroup; g <= kLastGroup; ++g) {
            if (DischargeGroups[g].groupType == 1 && HasSurfaces(DischargeGroups[g])) SetSide(DischargeGroups[g], l2);
        }
    }
    return l;
}

bool InBlockNodes(const TfsBlock& t, Node n) {
    return n.i >= t.i1 - 1 && n.i <= t.i2 && n.j >= t.j1 - 1 && n.j <= t.j2 && IsGridNode(n.i, n.j);
}

// The inward step of side `side`.
Node Inward(int side) {
    switch (side) {
        case 1: return {0, 1};
        case 2: return {-1, 0};
        case 3: return {0, -1};
        default: return {1, 0};
    }
}

void ExtrapolateInflowNode(const TfsBlock& t, Node n, Node step, double delta) {
    static constexpr double kShare[4] = {0.5, 0.3, 0.15, 0.05};
    double z = 0.0;
    for (int m = 1; m <= 4; ++m) {
        const Node in{n.i + m * step.i, n.j + m * step.j};
        if (!InBlockNodes(t, in)) return;  // too few lines inside the block
        z += kShare[m - 1] * (Level(in.i, in.j) - m * delta);
    }
    Level(n.i, n.j) = z;
}

// F 353 2: the east side's level carried upstream over nine node lines,
// the lines inside the block only.
void BlendEastSide(const TfsBlock& t, int i, int j, double delta) {
    for (int m = 9; m >= 1; --m) {
        const double w = 0.1 * m;
        const int line = i - (10 - m);
        for (const int jj : {j - 1, j}) {
            const Node at{line, jj}, east{line + 1, jj};
            if (!InBlockNodes(t, at) || !InBlockNodes(t, east)) continue;
            Level(line, jj) = w * (Level(line + 1, jj) + delta) + (1.0 - w) * Level(line, jj);
        }
    }
}

void ExtrapolateByFriction(const TfsBlock& t, double seriesLevel) {
    if ((F353Option != 1 && F353Option != 2) || t.appended) return;
    const double m2 = StricklerCoefficient * StricklerCoefficient;
    for (int g = kFirstGroup; g <= kLastGroup; ++g) {
        const DischargeGroupRecord& group = DischargeGroups[g];
        if (!HasSurfaces(group)) continue;
        const bool inflow = group.groupType == 1;
        ForEachGroupSide(group, true, [&](int x, int i, int j, int side) {
            if (side < 1 || side > 4) return;
            if (F353Option == 1 && side == 2 && !(seriesLevel < 0.0)) return;
            double h = 0.0;
            for (int c = x, steps = 0; IsGridCell(c) && steps < NoCells; c = Ccellb[c], ++steps) h += Ckdist[c];
            h *= 2.0;
            if (!(h > 0.0) || !(m2 > 0.0)) return;
            double slope = (Cu[x] * Cu[x] + Cv[x] * Cv[x]) / (m2 * std::pow(h, 1.333));
            if (inflow) slope = -slope;
            const double delta = 2.0 * ((side == 1 || side == 3) ? Cjdist[x] : Cidist[x]) * slope;
            Node a{}, b{};
            SideNodes(side, i, j, a, b);
            if (!inflow && F353Option == 2 && side == 2) {
                BlendEastSide(t, i, j, delta);
                return;
            }
            if (!InBlockNodes(t, a) || !InBlockNodes(t, b)) return;
            const Node step = Inward(side);
            if (inflow) {
                ExtrapolateInflowNode(t, a, step, delta);
                ExtrapolateInflowNode(t, b, step, delta);
                return;
            }
            // The opposite nodes of the column, one line inward.
            Level(a.i, a.j) = Level(a.i + step.i, a.j + step.j) - delta;
            Level(b.i, b.j) = Level(b.i + step.i, b.j + step.j) - delta;
        });
    }
}

void KeepOutflowNodesWet(const TfsBlock& t) {
    if (t.appended) return;
    const DischargeGroupRecord* g = FirstOutflowGroup();
    if (g == nullptr) return;
    ForEachGroupSide(*g, false, [](int, int i, int j, int side) {
        Node a{}, b{};
        SideNodes(side, i, j, a, b);
        for (const Node& n : {a, b}) {
            if (IsGridNode(n.i, n.j)) Level(n.i, n.j) = std::max(Level(n.i, n.j), Bed(n.i, n.j) + MinSurfaceDepth);
        }
    });
}

template <class F>
void ForEachBlockNode(const TfsBlock& t, F f) {
    for (int i = t.i1 - 1; i <= t.i2; ++i) {
        for (int j = t.j1 - 1; j <= t.j2; ++j) {
            if (IsGridNode(i, j)) f(i, j);
        }
    }
}

// Step 12 (no caller asks for it): the level moves turned back into mass
// sources of the flow and the levels reset.
void TurnMovesIntoSources(const TfsBlock& t) {
    const bool plane = GridLevels.exists() && GridLevels.extent1() > 4;
    if (!plane) return;
    ForEachBlockNode(t, [](int i, int j) {
        GridLevels[4][i][j] = Level(i, j) - NewLevel(i, j);
        Level(i, j) = NewLevel(i, j);
    });
    for (int i = t.i1; i <= t.i2; ++i) {
        for (int j = t.j1; j <= t.j2; ++j) {
            const int bed = GridColumnBottom(i, j);
            if (bed == 0) continue;
            const int column = Cbedcell[bed];
            const double moved =
                GridLevels[4][i][j] + GridLevels[4][i - 1][j] + GridLevels[4][i][j - 1] + GridLevels[4][i - 1][j - 1];
            const int cells = std::max(Bnocells[column], 1);
            if (FreeSurfaceOption == 1) {
                ForEachCellUp(bed, [&](int c) { Csource[c] -= moved * 250.0 * Barea[column] / cells; });
            } else if (FreeSurfaceOption == 11) {
                Csource[TopCellAbove(bed)] -= moved * 250.0 * Barea[column];
            } else if (FreeSurfaceOption == 12) {
                ForEachCellUp(bed, [](int c) { Csource[c] *= 1.0 - F175Value; });
            }
        }
    }
}

int ColumnAt(int i, int j) { return Cbedcell[GridColumnBottom(i, j)]; }

// Step 13: the layer block's surface becomes the bed of the shifted nodes
// and the groundwater follows it.
void FollowLayerBlock(const TfsBlock& t) {
    if (!t.appended || LayerBlockOption <= 1 || !t.shifts) return;
    if (GroundwaterOption > 0 && Bgroundwater.exists() && BlayerSlope.exists()) {
        for (int i = t.i1; i <= t.i2; ++i) {
            for (int j = t.j1; j <= t.j2; ++j) {
                if (j - 1 - t.o < 0) continue;
                int column = ColumnAt(i, j);
                if (column <= 0) column = ColumnAt(i, j - t.o);
                if (column <= 0 || column >= static_cast<int>(std::min(Bgroundwater.size(), BlayerSlope.size()))) continue;
                Node n[4];
                Corners(i, j, n);
                double za = 0.0, zb = 0.0, zbed = 0.0;
                for (const Node& c : n) {
                    za += 0.25 * Level(c.i, c.j);
                    zb += 0.25 * Level(c.i, c.j - t.o);
                    zbed += 0.25 * Bed(c.i, c.j - t.o);
                }
                double& g = Bgroundwater[column];
                if (BlayerSlope[column] < g) g += 0.5 * (za - zbed);
                g = zb <= za ? std::min(g, za) : zb;
            }
        }
    }
    ForEachBlockNode(t, [&t](int i, int j) {
        Node to{};
        if (Shifted(t, {i, j}, to)) Gridz[to.i][to.j][1] = Level(i, j);
    });
}

}  // namespace

int surface_tfs(int flag, int b) {
    if (b < 1 || b > std::min(NoBlocks, kMaxBlocks) || !Gridz.exists()) return 0;
    const TfsBlock t = BlockOf(b);
    Cu[0] = Cv[0] = 0.0;
    if (flag > 0 || SlideVariant > 0) ForEachBlockNode(t, [](int i, int j) { NewLevel(i, j) = Level(i, j); });
    MoveColumns(t);
    const double seriesLevel = ImposeSeriesLevels(t);
    ExtrapolateByFriction(t, seriesLevel);
    if (F178Option > 0) SurfaceTfsLevels(b);
    if (SurfaceSmoothingOption > 0) SmoothWaterSurface();
    if (flag == 0 && SurfaceResultsDue()) WriteSurfaceResults("Written from surface_tfs, before grid update");
    KeepOutflowNodesWet(t);
    if (flag > 0) TurnMovesIntoSources(t);
    FollowLayerBlock(t);
    if (flag == 0 && (FlagTSC == 0 || F166Flag == 1)) {
        SurfaceRegeneration how;
        how.secondOld = false;
        how.wholeCellRange = true;
        how.layerBlock = BlockTable[0].layerBlock != 0;
        how.multigrid = FlagTSC == 0;
        RegenerateUnderSurface(how);
    }
    if (flag == 0) GridChangedFlag = 1;
    return 0;
}
