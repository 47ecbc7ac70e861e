// The bounds of F 178 on the node levels that surface_tfs computed: below
// the friction level of subcritical columns (1), the friction loss between
// two nodes of a side (2), and limits from the neighbour nodes (3 to 5).
#include <algorithm>
#include <cmath>

#include "flow/flow_data.h"
#include "grid/metric_steps.h"
#include "surface/surface_data.h"
#include "surface/surface_levels.h"
#include "surface/surface_services.h"

namespace {

double& Level(int i, int j) { return Gridz[i][j][NoGridLinesZ]; }
double NewLevel(int i, int j) { return Gridz[i][j][NoGridLinesZ + 1]; }

int Bottom(int i, int j) { return GridColumnBottom(i, j); }
bool Wet(int i, int j) { return Bottom(i, j) != 0; }

double HalfDepth(int bed) {
    double h = 0.0;
    ForEachCellUp(bed, [&h](int c) { h += Ckdist[c]; });
    return h;
}

double FrictionSlopeTerm(double speed2, double ks, double h) {
    return speed2 * std::pow(std::max(ks, 0.0), 0.333333) / (std::pow(h, 1.333333) * 26.0 * 26.0);
}

// The friction level of the column of bed cell `bed` at its top cell.
double FrictionLevel(int bed) {
    const int t = TopCellAbove(bed);
    const double h = 2.0 * HalfDepth(bed);
    if (!(h > 0.0)) return CellLevel(t);
    const double u2 = Cu[t] * Cu[t] + Cv[t] * Cv[t];
    return CellLevel(t) + FrictionSlopeTerm(u2, Croughness[bed], h) * std::hypot(Cidist[t], Cjdist[t]);
}

double NodeDistance(int ia, int ja, int ib, int jb) { return std::hypot(Gridx[ia][ja] - Gridx[ib][jb], Gridy[ia][ja] - Gridy[ib][jb]); }

struct Range {
    int i1, i2, j1, j2;
};

void BelowFrictionLevel(const Range& r) {
    for (int i = r.i1 - 1; i <= r.i2; ++i) {
        for (int j = r.j1 - 1; j <= r.j2; ++j) {
            if (!IsGridNode(i, j)) continue;
            double e = -HUGE_VAL;
            bool wet = false, supercritical = false;
            for (const int bed : {Bottom(i, j), Bottom(i, j + 1), Bottom(i + 1, j), Bottom(i + 1, j + 1)}) {
                if (bed == 0) continue;
                wet = true;
                if (Bfroude[Cbedcell[bed]] >= 1.0) supercritical = true;
                e = std::max(e, FrictionLevel(bed));
            }
            if (!wet || supercritical) continue;
            Level(i, j) = std::min(Level(i, j), e + (Level(i, j) - NewLevel(i, j)));
        }
    }
}

// The depth-weighted speed of the column of `bed` along (ny, nx) as the
// bound writes it.
double ColumnSpeed(int bed, double nx, double ny) {
    double q = 0.0, k = 0.0;
    ForEachCellUp(bed, [&](int c) {
        q += (Cu[c] * ny + Cv[c] * nx) * Ckdist[c];
        k += Ckdist[c];
    });
    return k > 0.0 ? q / k : 0.0;
}

void FrictionLossAlongSides(const Range& r) {
    for (int i = r.i1; i <= r.i2; ++i) {
        for (int j = r.j1 - 1; j <= r.j2; ++j) {
            if (!IsGridNode(i - 1, j) || !IsGridNode(i, j)) continue;
            const int a = Bottom(i, j), b = Bottom(i, j + 1);
            if (a == 0 && b == 0) continue;
            const int face = a != 0 ? Csurfn[a] : Csurfs[b];
            const double nx = Fvecx[face], ny = Fvecy[face];
            double q = 0.0, half = 0.0, ks = 0.0;
            int n = 0;
            for (const int bed : {a, b}) {
                if (bed == 0) continue;
                q += ColumnSpeed(bed, nx, ny);
                half += HalfDepth(bed);
                ks += Croughness[bed];
                ++n;
            }
            q /= n;
            half /= n;
            ks /= n;
            if (!(half > 0.0)) continue;
            const double length = NodeDistance(i - 1, j, i, j);
            const double discharge = 2.0 * q * half;
            auto froude = [discharge](int ni, int nj) {
                const double d = Level(ni, nj) - Gridz[ni][nj][1] + 1e-20;
                return std::sqrt(std::pow(discharge / d, 3) / (9.81 * discharge + 1e-20));
            };
            const double dz = Level(i - 1, j) - Level(i, j);
            const double loss = FrictionSlopeTerm(std::fabs(q) * q, ks, 2.0 * half) * length;
            if (dz > 0.0 && loss < dz && froude(i - 1, j) < 1.0 && froude(i, j) < 1.0) Level(i - 1, j) -= dz - loss;
        }
    }
}

// Options 3 to 5: each node bounded by the two nodes beside it along i,
// then along j, where the columns on one side of the line are wet.
void BoundByNeighbours(const Range& r, bool clampBoth) {
    auto bound = [clampBoth](int i, int j, int ia, int ja, int ib, int jb) {
        if (!IsGridNode(ia, ja) || !IsGridNode(ib, jb)) return;
        const double za = Level(ia, ja), zb = Level(ib, jb);
        const double length = NodeDistance(ia, ja, ib, jb);
        if (clampBoth) {
            const double up = 0.010000000000000002;
            Level(i, j) = std::clamp(Level(i, j), std::min(za, zb) - 3.0 * up * length, std::max(za, zb) + up * length);
        } else {
            Level(i, j) = std::min(Level(i, j), 0.5 * (za + zb) + 0.1 * length);
        }
    };
    for (int i = r.i1; i <= r.i2; ++i) {
        for (int j = r.j1 - 1; j <= r.j2; ++j) {
            if ((Wet(i, j) && Wet(i + 1, j)) || (Wet(i, j + 1) && Wet(i + 1, j + 1))) bound(i, j, i - 1, j, i + 1, j);
        }
    }
    for (int i = r.i1 - 1; i <= r.i2; ++i) {
        for (int j = r.j1; j <= r.j2; ++j) {
            if ((Wet(i, j) && Wet(i, j + 1)) || (Wet(i + 1, j) && Wet(i + 1, j + 1))) bound(i, j, i, j - 1, i, j + 1);
        }
    }
}

}  // namespace

void SurfaceTfsLevels(int block) {
    if (block < 1 || block > std::min(NoBlocks, kMaxBlocks) || !Gridz.exists()) return;
    if (Bfroude.exists()) Bfroude[0] = 0.0;
    const BlockRecord& b = BlockTable[block];
    const Range r{b.iFirst, b.iLast, b.jFirst, b.jLast};
    switch (F178Option) {
        case 1:
            if (Bfroude.exists()) BelowFrictionLevel(r);
            break;
        case 2: FrictionLossAlongSides(r); break;
        case 3: BoundByNeighbours(r, false); break;
        case 4:
        case 5: BoundByNeighbours(r, true); break;
        default: break;
    }
}
