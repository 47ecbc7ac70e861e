// Water levels from the pressure field: a top-cell pressure above the
// reference pressure means the water stands higher than the grid assumes, so
// every node moves by the pressure head of the mean top-cell pressure around
// it, relative to the reference, relaxed and limited.
#include <algorithm>
#include <cmath>

#include "surface/pressure_levels.h"
#include "surface/surface_levels.h"
#include "surface/surface_services.h"

namespace {

struct NodeColumns {
    int t[4] = {0, 0, 0, 0};
    int n = 0;
};

// A missing column of a node at a block interface is the neighbour across
// the interface of a column that is there; the second source is tried only
// when the first gives nothing.
void CompleteAcrossInterfaces(int c[4]) {
    for (int pass = 0; pass < 2; ++pass) {
        if (c[0] == 0) c[0] = Ccells[c[1]] != 0 ? Ccells[c[1]] : Ccellw[c[3]];
        if (c[1] == 0) c[1] = Ccelln[c[0]] != 0 ? Ccelln[c[0]] : Ccellw[c[2]];
        if (c[2] == 0) c[2] = Ccelle[c[1]] != 0 ? Ccelle[c[1]] : Ccelln[c[3]];
        if (c[3] == 0) c[3] = Ccelle[c[0]] != 0 ? Ccelle[c[0]] : Ccells[c[2]];
    }
}

// The top cells of the four columns around node (i, j): south-west,
// north-west, north-east, south-east. n = 0 when all four are dry.
NodeColumns ColumnsAroundNode(int i, int j) {
    NodeColumns nc;
    int c[4] = {GridColumnBottom(i, j), GridColumnBottom(i, j + 1), GridColumnBottom(i + 1, j + 1),
                GridColumnBottom(i + 1, j)};
    if (c[0] + c[1] + c[2] + c[3] <= 0) return nc;
    const bool walkFirst = TopCellWalkFlag == 1;
    if (walkFirst) {
        for (int& x : c) x = TopCellAbove(x);
    }
    if (NoBlocks > 1) CompleteAcrossInterfaces(c);
    for (int q = 0; q < 4; ++q) {
        nc.t[q] = walkFirst ? c[q] : TopCellAbove(c[q]);
        if (nc.t[q] != 0) ++nc.n;
    }
    return nc;
}

double ColumnPressure(const NodePressureMethod& m, int t) {
    if (t == 0) return 0.0;
    if (m.trend) {
        const int column = Cbedcell[t];
        return GridTrendSumY[Bkooi[column]][Bkooj[column]];
    }
    if (m.columnPressure) return Bpressure[Cbedcell[t]];
    return Pres[t];
}

// The window of levels that the neighbour nodes allow at the slope m;
// neighbours moved earlier in the sweep enter with their new levels.
double LimitSlope(const BlockRecord& r, int i, int j, double z, double dz) {
    const double m = MaxLevelSlope;
    const int k = NoGridLinesZ;
    double hi = 100000.0, lo = -100000.0;
    auto take = [&](int in, int jn) {
        const double zn = Gridz[in][jn][k];
        const double dn = std::hypot(Gridx[in][jn] - Gridx[i][j], Gridy[in][jn] - Gridy[i][j]);
        hi = std::min(hi, zn + m * dn);
        lo = std::max(lo, zn - m * dn);
    };
    if (i >= r.iFirst) take(i - 1, j);
    if (i < r.iLast) take(i + 1, j);
    if (j < r.jLast) take(i, j + 1);
    if (j >= r.jFirst) take(i, j - 1);
    dz = std::min(dz, hi - z);
    dz = std::max(dz, lo - z);
    return lo > hi ? 0.0 : dz;
}

void MoveNode(const NodePressureMethod& m, const BlockRecord& r, int i, int j) {
    const NodeColumns nc = ColumnsAroundNode(i, j);
    if (nc.n == 0) return;
    double p = 0.0;
    for (int t : nc.t) p += ColumnPressure(m, t);
    const double mean = p / nc.n;
    const int k = NoGridLinesZ;
    const double z = Gridz[i][j][k];
    const double relax = SurfaceRelaxation;
    double dz;
    if (m.second) {
        const double x = Gridx[i][j], y = Gridy[i][j];
        const double d1 = std::hypot(m.x1 - x, m.y1 - y);
        const double d2 = std::hypot(m.x2 - x, m.y2 - y);
        const double w = d1 / (d2 + d1 + 1e-20);
        dz = ((mean - m.presRef * (1.0 - w) - m.presRef2 * w) * kHeadPerPascal -
              (z - m.zRef * (1.0 - w) - m.zRef2 * w)) *
             relax;
    } else {
        dz = ((mean - m.presRef) * kHeadPerPascal - (z - m.zRef)) * relax;
    }
    const double bed = Gridz[i][j][1];
    if (m.froude && FroudeLimit > 0.5 && bed < z) {
        double u = 0.0, v = 0.0;
        for (int t : nc.t) {
            u += Cu[t];
            v += Cv[t];
        }
        u /= nc.n;
        v /= nc.n;
        dz = std::max(dz, (u * u + v * v) / (FroudeLimit * FroudeLimit * 9.81) - (z - bed));
    }
    if (MaxLevelSlope > 0.0) dz = LimitSlope(r, i, j, z, dz);
    Gridz[i][j][k] = Gridz[i][j][k + 1] = z + dz;
}

}  // namespace

void MoveNodesByPressure(const NodePressureMethod& m) {
    Pres[0] = 0.0;
    ForEachSurfaceBlock([&m](const BlockRecord& r) {
        const int first = m.trend ? 0 : 1;
        for (int i = r.iFirst - first; i <= r.iLast; ++i) {
            for (int j = r.jFirst - first; j <= r.jLast; ++j) MoveNode(m, r, i, j);
        }
    });
}

void TurnTrendSumsIntoValues() {
    if (!GridTrendSumY.exists()) return;
    const double now = TimeAverageCounter;
    ForEachSurfaceBlock([now](const BlockRecord& r) {
        for (int i = r.iFirst; i <= r.iLast; ++i) {
            for (int j = r.jFirst; j <= r.jLast; ++j) {
                // In double: the sums of long samplings pass what 64 bits hold
                // once squared, and the divisions must not be integer ones.
                const double n = static_cast<double>(GridTrendN[i][j]);
                if (n <= 1.0) continue;
                const double sx = static_cast<double>(GridTrendSumX[i][j]);
                const double sxx = static_cast<double>(GridTrendSumXX[i][j]);
                const double sy = GridTrendSumY[i][j];
                const double sxy = GridTrendSumXY[i][j];
                if (TimeAveragingOption == 1) {
                    const double spread = (sxx - sx * sx / n) / (n - 1.0);
                    const double slope = spread > 0.0 ? ((sxy - sy * sx / n) / (n - 1.0)) / spread : 0.0;
                    GridTrendSumY[i][j] = sy / n + slope * (now - sx / n);
                } else if (TimeAveragingOption == 2) {
                    GridTrendSumY[i][j] = sy / n;
                }
            }
        }
    });
}

void SolveSurfaceFromPressure() {
    NodePressureMethod m;
    m.zRef = ZRef;
    m.presRef = PresRef;
    m.columnPressure = (SurfaceVariant == 6 || SurfaceVariant == 7) && Bpressure.exists();
    m.froude = true;
    const int reference = GridColumnBottom(iPres, jPres);
    const int second = ReferenceCell2 != 0 ? GridColumnBottom(iPres2, jPres2) : 0;
    if (second != 0) {
        m.second = true;
        m.zRef2 = ZRef2;
        m.presRef2 = PresRef2;
        m.x1 = Cxcenter[reference];
        m.y1 = Cycenter[reference];
        m.x2 = Cxcenter[second];
        m.y2 = Cycenter[second];
    }
    MoveNodesByPressure(m);
}

double LevelDifferenceFromPressure(double d, int a, int b) {
    const double s = SurfaceSlopeLimit;
    const double slope = std::min(std::max((Pres[b] - Pres[a]) / (9810.0 * d + 1e-20), -s), s);
    return slope * d - (CellLevel(b) - CellLevel(a));
}
