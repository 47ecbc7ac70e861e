// The bed-form and slope sub-steps of the bed change (F 144): the exchange
// between the two nodes of a column edge, the smoothing of the column
// changes and the transport down the bed slope.
#include <algorithm>
#include <cmath>

#include "run/globals.h"
#include "sediment/bed_concentration.h"
#include "sediment/bed_nodes.h"
#include "sediment/sediment_services.h"

namespace {

// The plan area of node (i, j) as the exchange sees it: the bottom faces of
// the wet columns that share it.
double WetNodeArea(int i, int j) {
    double a = 0.0;
    for (const int di : {0, 1}) {
        for (const int dj : {0, 1}) {
            const int c = GridColumnBottom(i + di, j + dj);
            if (c > 0) a += Careaz[c];
        }
    }
    return a;
}

struct ColumnFlow {
    double depth = 0.0;
    double speed = 0.0;
    double bedform = 0.0;
    double conc = 0.0;
};

ColumnFlow FlowOf(int c, int b) {
    ColumnFlow f;
    double speedDepth = 0.0;
    ColumnDepth(c, &f.depth, &speedDepth);
    f.speed = CellSpeed(c);
    f.bedform = BbedformHeight[b];
    f.conc = conc[0][c];
    return f;
}

// The time over which a bed form travels its own length (option 1).
double BedformTime(int c, const ColumnFlow& f) {
    return 0.5 * 7.3 * f.depth * f.bedform /
           (2.0 * f.conc * Ckdist[c] * BedSolidFraction * f.speed + 1e-10);
}

// The bed-form rate of option 3 (per unit level difference and time step).
double BedformRate(int c, const ColumnFlow& f) {
    const int s = Csurfb[c];
    const double area = IsGridSurface(s) ? Farea[s] : 0.0;
    return 4.0 * f.conc * Ckdist[c] * f.speed * TimeStep * f.bedform /
           (f.depth * 7.3 * area * BedSolidFraction + 1e-20);
}

// X moves bed from P to Q (X < 0: from Q to P when `directed` is false;
// always from P to Q when it is true). The split by the node areas keeps
// AP dzP = -AQ dzQ, so the bed volume does not change.
void ExchangeAlongEdge(GridNode p, GridNode q, double x, bool directed) {
    const double ap = WetNodeArea(p.i, p.j);
    const double aq = WetNodeArea(q.i, q.j);
    if (ap + aq <= 0.0 || !std::isfinite(x)) return;
    const double r = ap / (ap + aq);
    const double move = directed ? std::fabs(x) : x;
    NodeBedLevel(p) -= (1.0 - r) * move;
    NodeBedLevel(q) += r * move;
}

// Options 1 and 3 over the column pairs of each block: first along i, then
// along j; `amount(c1, b1, c2, b2, zp - zq)` gives X.
template <class Amount>
void ExchangeOverPairs(bool directed, Amount amount) {
    ForEachMorphologyBlock([&](const BlockRecord& r) {
        auto pair = [&](int i1, int j1, int i2, int j2, GridNode p, GridNode q) {
            const int c1 = GridColumnBottom(i1, j1), c2 = GridColumnBottom(i2, j2);
            const int b1 = BedCellOf(c1), b2 = BedCellOf(c2);
            if (b1 == 0 || b2 == 0) return;
            ExchangeAlongEdge(p, q, amount(c1, b1, c2, b2, NodeBedLevel(p) - NodeBedLevel(q)), directed);
        };
        for (int i = r.iFirst; i < r.iLast; ++i) {
            for (int j = r.jFirst; j <= r.jLast; ++j) pair(i, j, i + 1, j, {i, j}, {i, j - 1});
        }
        for (int i = r.iFirst; i <= r.iLast; ++i) {
            for (int j = r.jFirst; j < r.jLast; ++j) pair(i, j, i, j + 1, {i, j}, {i - 1, j});
        }
    });
}

void BedformExchange() {
    ExchangeOverPairs(false, [](int c1, int b1, int c2, int b2, double dz) {
        const double t1 = BedformTime(c1, FlowOf(c1, b1));
        const double t2 = BedformTime(c2, FlowOf(c2, b2));
        const double t = std::max(0.5 * (t1 + t2), 20.0 * TimeStep);
        return TimeStep * F144Value / t * dz;
    });
}

void DirectedBedformExchange() {
    ExchangeOverPairs(true, [](int c1, int b1, int c2, int b2, double dz) {
        const double y = BedformRate(c1, FlowOf(c1, b1)) + BedformRate(c2, FlowOf(c2, b2));
        return y * F144Value * 0.5 * dz;
    });
}

double NeighbourBedmove(int i, int j) {
    const int b = BedCellOf(GridColumnBottom(i, j));
    return b > 0 ? Bedmove[b] : 0.0;
}

void SmoothColumn(int i, int j) {
    const int b = BedCellOf(GridColumnBottom(i, j));
    if (b == 0 || Bcellt[b] <= 0 || std::fabs(Bedmove[b]) <= 1e-12) return;
    const double sum =
        NeighbourBedmove(i + 1, j) + NeighbourBedmove(i - 1, j) + NeighbourBedmove(i, j + 1) + NeighbourBedmove(i, j - 1);
    Bedmove[b] += F144Value * 0.125 * sum;
}

// Option 5: a forward and a backward sweep, each change used at once.
void SmoothColumnChanges() {
    if (!Bedmove.exists() || !Bcellt.exists()) return;
    Bedmove[0] = 0.0;
    ForEachMorphologyBlock([](const BlockRecord& r) {
        for (int i = r.iFirst; i <= r.iLast; ++i) {
            for (int j = r.jFirst; j <= r.jLast; ++j) SmoothColumn(i, j);
        }
        for (int i = r.iLast; i >= r.iFirst; --i) {
            for (int j = r.jLast; j >= r.jFirst; --j) SmoothColumn(i, j);
        }
    });
}

// The volume per unit plan area that slides down the slope of column b in
// one step, at most its active layer. Without turbulence nothing holds the
// grains: the whole active layer moves.
double SlopeTransport(int c, int b) {
    const double active = BSedDistrib[1][0][b];
    const double tau = Ck[c] > 0.0 ? 300.0 * Ck[c] : 0.0;
    if (tau <= 0.0) return active;
    const int f = Csurfb[c];
    const double nz = IsGridSurface(f) ? Fvecz[f] : 1.0;
    const double sine = std::sqrt(std::max(0.0, 1.0 - nz * nz));
    double q = 0.0;
    for (int s = 1; s <= NoSizes; ++s) {
        const double shields = tau / (std::fabs(CriticalShields) * Diameter[s] * (SedRelativeDensity - 1.0) * 9810.0);
        q += 0.6 * sine * conc[s][c] / std::sqrt(shields);
    }
    const double v = 2.0 * CellSpeed(c) * Ckdist[c] * (1.0 / BedSolidFraction) * TimeStep * q;
    return std::isfinite(v) ? std::min(v, active) : active;
}

// The plan area a node's level moves the bed volume by (times four): the
// columns around it.
double NodePlanArea(GridNode k) {
    double a = 0.0;
    for (int i = k.i; i <= k.i + 1; ++i) {
        for (int j = k.j; j <= k.j + 1; ++j) {
            if (static_cast<size_t>(i) < PlanArea.extent1() && static_cast<size_t>(j) < PlanArea.extent2()) {
                a += PlanArea[i][j];
            }
        }
    }
    return a;
}

// Option 6: each corner moves by the cosine between the bed's plan
// direction of steepest rise and its direction from the cell centre. The
// cosines are shifted by their area-weighted mean, so that the corners
// together keep the bed volume on any column shape and node area; and the
// move is scaled down where a falling corner would pass its fixed bed.
void SlopeTransportStep() {
    if (!Bedmove.exists() || !BSedDistrib.exists() || !PlanArea.exists()) return;
    Bedmove[0] = 0.0;
    ForEachMorphologyBlock([](const BlockRecord& r) {
        ForEachWetColumn(r, [](int i, int j, int c, int b) {
            double v = SlopeTransport(c, b);
            const int f = Csurfb[c];
            if (!IsGridSurface(f)) return;
            const GridNode k[4] = {{i, j}, {i, j - 1}, {i - 1, j - 1}, {i - 1, j}};
            double w[4], area[4], sum = 0.0, weighted = 0.0;
            for (int n = 0; n < 4; ++n) {
                w[n] = CosAngle2D(Fvecx[f], Fvecy[f], Gridx[k[n].i][k[n].j] - Cxcenter[c],
                                  Gridy[k[n].i][k[n].j] - Cycenter[c]);
                area[n] = NodePlanArea(k[n]);
                sum += area[n];
                weighted += w[n] * area[n];
            }
            if (!(sum > 0.0)) return;
            for (double& x : w) x -= weighted / sum;
            for (int n = 0; n < 4; ++n) {
                if (w[n] < 0.0) v = std::min(v, std::max(NodeBedLevel(k[n]) - NodeFixedLevel(k[n]), 0.0) / -w[n]);
            }
            for (int n = 0; n < 4; ++n) MoveNodeAndRecord(k[n], w[n] * v);
        });
    });
}

bool FlowArraysExist() {
    return conc.exists() && BbedformHeight.exists() && Careaz.exists() && Ckdist.exists() && Cu.exists() &&
           Cv.exists();
}

}  // namespace

void ComputeBedMoveFromFluxes() {
    switch (F144Option) {
        case 1:
            if (FlowArraysExist()) BedformExchange();
            break;
        case 3:
            if (FlowArraysExist()) DirectedBedformExchange();
            break;
        case 5: SmoothColumnChanges(); break;
        case 6:
            if (conc.exists() && Ck.exists()) SlopeTransportStep();
            break;
        default: break;
    }
}
