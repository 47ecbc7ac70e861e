// The bed-slope limiter after the bed change (F 56, F 270): a column whose
// bed plane is too steep is tilted back to the largest slope about its
// mean level (options 200 and 201), or the two nodes of every too steep
// column edge are moved towards each other (any other option, which is also
// the number of sweeps) without changing the bed volume.
#include <algorithm>
#include <cmath>

#include "run/globals.h"
#include "sediment/active_layer_transfer.h"
#include "sediment/bed_concentration.h"
#include "sediment/bed_nodes.h"
#include "sediment/sediment_services.h"

namespace {

// ---- Plane limiter ----------------------------------------------------------

struct Vec3 {
    double x = 0.0, y = 0.0, z = 0.0;
};

Vec3 NodePoint(GridNode n) { return {Gridx[n.i][n.j], Gridy[n.i][n.j], NodeBedLevel(n)}; }

Vec3 Minus(const Vec3& a, const Vec3& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }

Vec3 Cross(const Vec3& a, const Vec3& b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }

double CosOfSlope(double tangent) { return std::cos(std::atan(tangent)); }

// The cosine of the largest bed inclination for column (c, b). Option 201
// blends the two slopes by the flow direction against the bed's plan
// normal; option 200 takes the column's own bedangle slope when that file
// was read.
double LimitCosine(int c, int b, double callCosine) {
    if (BedSlopeLimitOption == 201) {
        const int f = Csurfb[c];
        const double cs = IsGridSurface(f) ? CosAngle2D(Fvecx[f], Fvecy[f], Cu[c], Cv[c]) : 0.0;
        const double w = (cs + 1.0) * 0.5;
        return CosOfSlope((1.0 - w) * F270Value2 + w * MaxBedSlope);
    }
    if (BedAngleFileOption > 1 && BslopeLimit.exists() && static_cast<size_t>(b) < BslopeLimit.size()) {
        return CosOfSlope(BslopeLimit[b]);
    }
    return callCosine;
}

void LimitPlane(int i, int j, double cmax) {
    // Corners in the order the new levels are set: NE, NW, SW, SE.
    const GridNode k[4] = {{i, j}, {i - 1, j}, {i - 1, j - 1}, {i, j - 1}};
    const Vec3 ne = NodePoint(k[0]), nw = NodePoint(k[1]), sw = NodePoint(k[2]), se = NodePoint(k[3]);
    const Vec3 n = Cross(Minus(se, nw), Minus(ne, sw));
    const double len = std::sqrt(n.x * n.x + n.y * n.y + n.z * n.z);
    const double cosT = n.z / (len + 1e-20);
    if (!(cosT < cmax) || cmax <= 0.0 || 1.0 - cosT * cosT <= 1e-20) return;
    double sediment = HUGE_VAL;
    for (const GridNode& g : k) sediment = std::min(sediment, NodeBedLevel(g) - NodeFixedLevel(g));
    const double needed = 2.0 * std::sqrt(len) * std::tan(ClampedAcos(cosT) - ClampedAcos(cmax));
    if (!(sediment > needed)) return;

    const double s = std::sqrt((1.0 - cmax * cmax) / (1.0 - cosT * cosT));
    const double a = s * n.x / (len + 1e-20), bb = s * n.y / (len + 1e-20);
    const Vec3 mean{(ne.x + nw.x + sw.x + se.x) * 0.25, (ne.y + nw.y + sw.y + se.y) * 0.25,
                    (ne.z + nw.z + sw.z + se.z) * 0.25};
    const double d = a * mean.x + bb * mean.y + cmax * mean.z;
    double newMean = 0.0;
    for (const GridNode& g : k) {
        const double level = std::max((d - a * Gridx[g.i][g.j] - bb * Gridy[g.i][g.j]) / cmax, NodeFixedLevel(g));
        MoveNodeAndRecord(g, level - NodeBedLevel(g));
        newMean += 0.25 * level;
    }
    // A corner held at its fixed bed lifts the plane so the mean level stays.
    const double delta = mean.z - newMean;
    for (const GridNode& g : k) MoveNodeAndRecord(g, delta);
}

void PlaneLimiter() {
    const double callCosine = CosOfSlope(MaxBedSlope);
    ForEachMorphologyBlock([callCosine](const BlockRecord& r) {
        ForEachWetColumn(r, [callCosine](int i, int j, int c, int b) { LimitPlane(i, j, LimitCosine(c, b, callCosine)); });
    });
}

// ---- Edge limiter -------------------------------------------------------------

int Across(const Array1<int>& link, int c) { return IsGridCell(c) ? link[c] : 0; }

int FirstOf(int a, int b) { return a > 0 ? a : b; }

// The eight neighbour cells of cell c (a missing one is 0).
struct Neighbours {
    int e = 0, s = 0, w = 0, n = 0, se = 0, sw = 0, nw = 0, ne = 0;
};

Neighbours NeighboursOf(int c) {
    Neighbours k;
    k.e = Across(Ccelle, c);
    k.s = Across(Ccells, c);
    k.w = Across(Ccellw, c);
    k.n = Across(Ccelln, c);
    k.se = FirstOf(Across(Ccelle, k.s), Across(Ccells, k.e));
    k.sw = FirstOf(Across(Ccellw, k.s), Across(Ccells, k.w));
    k.nw = FirstOf(Across(Ccellw, k.n), Across(Ccelln, k.w));
    k.ne = FirstOf(Across(Ccelle, k.n), Across(Ccelln, k.e));
    return k;
}

double ColumnBarea(int cell) {
    const int b = BedCellOf(cell);
    return b > 0 && static_cast<size_t>(b) < Barea.size() ? Barea[b] : 0.0;
}

double BlockPlanArea(const BlockRecord& r, int i, int j) {
    const bool inside = i >= r.iFirst && i <= r.iLast && j >= r.jFirst && j <= r.jLast;
    return inside && static_cast<size_t>(i) < PlanArea.extent1() && static_cast<size_t>(j) < PlanArea.extent2()
               ? PlanArea[i][j]
               : 0.0;
}

// The plan area a node stands for (four times the area its level moves the
// bed volume by): the block's columns around it and, on the block's edge,
// the columns across it.
double NodeArea(const BlockRecord& r, const Neighbours& k, GridNode g) {
    double a = BlockPlanArea(r, g.i, g.j) + BlockPlanArea(r, g.i + 1, g.j) + BlockPlanArea(r, g.i, g.j + 1) +
               BlockPlanArea(r, g.i + 1, g.j + 1);
    const bool east = g.i == r.iLast, west = g.i == r.iFirst - 1;
    const bool north = g.j == r.jLast, south = g.j == r.jFirst - 1;
    if (east) a += ColumnBarea(k.e);
    if (west) a += ColumnBarea(k.w);
    if (north) a += ColumnBarea(k.n);
    if (south) a += ColumnBarea(k.s);
    if (east && north) a += ColumnBarea(k.ne);
    if (east && south) a += ColumnBarea(k.se);
    if (west && north) a += ColumnBarea(k.nw);
    if (west && south) a += ColumnBarea(k.sw);
    return a;
}

// The largest level difference between the two nodes of an edge: the slope
// over their distance in plan.
double AllowedDifference(GridNode p, GridNode q) {
    return std::hypot(Gridx[p.i][p.j] - Gridx[q.i][q.j], Gridy[p.i][p.j] - Gridy[q.i][q.j]) * MaxBedSlope;
}

// One grain size: the higher node H comes down and the lower node L goes up
// by the same volume until the edge has the allowed difference, but H never
// below its fixed bed.
void LimitEdgeGeometric(const BlockRecord& r, const Neighbours& k, GridNode p, GridNode q) {
    const double excess = std::fabs(NodeBedLevel(p) - NodeBedLevel(q)) - AllowedDifference(p, q);
    if (!(excess > 0.0)) return;
    const bool pHigher = NodeBedLevel(p) > NodeBedLevel(q);
    const GridNode h = pHigher ? p : q, l = pHigher ? q : p;
    const double ah = NodeArea(r, k, h), al = NodeArea(r, k, l);
    if (ah <= 0.0 || al <= 0.0) return;
    const double drop = std::clamp(excess * al / (ah + al), 0.0, std::max(NodeBedLevel(h) - NodeFixedLevel(h), 0.0));
    NodeBedLevel(h) -= drop;
    NodeBedLevel(l) += drop * ah / al;
}

// The columns of an edge seen from the column being limited: the one
// across the edge and, for each end node, the side and diagonal columns
// that share only that node.
struct EdgeColumns {
    GridNode p, q;
    int shared = 0;
    int pSide = 0, pDiagonal = 0;
    int qSide = 0, qDiagonal = 0;
};

// Several sizes: half the excess per sweep, through the active layers.
void LimitEdgeThroughLayers(int b, const EdgeColumns& e) {
    const double excess = (std::fabs(NodeBedLevel(e.p) - NodeBedLevel(e.q)) - AllowedDifference(e.p, e.q)) * 0.5;
    if (!(excess > 0.0)) return;
    const bool pHigher = NodeBedLevel(e.p) > NodeBedLevel(e.q);
    const GridNode h = pHigher ? e.p : e.q, l = pHigher ? e.q : e.p;
    const double amount = std::min(excess, NodeBedLevel(h) - NodeFixedLevel(h));
    if (!(amount > 1e-12)) return;
    const int hSide = BedCellOf(pHigher ? e.pSide : e.qSide), hDiagonal = BedCellOf(pHigher ? e.pDiagonal : e.qDiagonal);
    const int lSide = BedCellOf(pHigher ? e.qSide : e.pSide), lDiagonal = BedCellOf(pHigher ? e.qDiagonal : e.pDiagonal);
    UpdateActiveLayerForBedMove(b, BedCellOf(e.shared), hSide, hDiagonal, lSide, lDiagonal, h.i, h.j, l.i, l.j, amount);
}

void LimitColumnEdges(const BlockRecord& r, int i, int j, int c, int b, bool geometric) {
    const Neighbours k = NeighboursOf(c);
    const GridNode ne{i, j}, se{i, j - 1}, sw{i - 1, j - 1}, nw{i - 1, j};
    const EdgeColumns edges[4] = {
        {ne, nw, k.n, k.e, k.ne, k.w, k.nw},
        {se, sw, k.s, k.e, k.se, k.w, k.sw},
        {nw, sw, k.w, k.n, k.nw, k.s, k.sw},
        {ne, se, k.e, k.n, k.ne, k.s, k.se},
    };
    for (const EdgeColumns& e : edges) {
        if (geometric) {
            LimitEdgeGeometric(r, k, e.p, e.q);
        } else {
            LimitEdgeThroughLayers(b, e);
        }
    }
}

void EdgeLimiter(int sweeps, bool geometric) {
    for (int n = 0; n < sweeps; ++n) {
        ForEachMorphologyBlock([geometric](const BlockRecord& r) {
            ForEachWetColumn(r, [&r, geometric](int i, int j, int c, int b) { LimitColumnEdges(r, i, j, c, b, geometric); });
        });
    }
}

}  // namespace

void MoveGridPointsFromBedChange() {
    const int option = BedSlopeLimitOption;
    if (option < 1 || !Gridx.exists() || !Gridy.exists()) return;
    if (option == 200 || option == 201) {
        PlaneLimiter();
        return;
    }
    if (NoSizes < 1 || !PlanArea.exists() || !Barea.exists()) return;
    EdgeLimiter(option, NoSizes == 1);
}
