// Helpers of the alternative column-and-cell generators.
#include "grid/alternative_columns.h"

#include <algorithm>
#include <cmath>

#include "grid/grid_services.h"
#include "run/fatal.h"
#include "run/globals.h"

const BlockRecord* VariantBlock = nullptr;

namespace altgrid {

double Bed(int i, int j) { return Gridz[i][j][1]; }
double Surface(int i, int j) { return Gridz[i][j][NoGridLinesZ]; }
double Depth(int i, int j) { return Surface(i, j) - Bed(i, j); }

int PowerLevels(double d, double scale, double exponent, int span, int base) {
    const int nz = NoGridLinesZ;
    if (!(scale > 0.0)) return std::min(2, nz);
    // A negative shallow threshold must not reach the power with a negative base.
    const double share = std::pow(std::max(d / scale, 0.0), exponent) * span;
    const double capped = std::min(share, static_cast<double>(nz));
    return std::min(static_cast<int>(capped) + base, nz);
}

void OpenRanges(BlockRecord& r) {
    r.firstCell = NoCells + 1;
    r.firstSurface = NoSurfaces + 1;
    r.firstPoint = NoPoints + 1;
}

void CloseRanges(BlockRecord& r) {
    r.lastCell = NoCells;
    r.lastSurface = NoSurfaces;
    r.lastPoint = NoPoints;
}

void RequireFixedLayers(int block, const BlockRecord& r) {
    if (r.field8 == 1) return;
    const int nz = NoGridLinesZ;
    if (r.field9 >= 1 && r.field9 <= nz - 1) return;
    FailWithLog(kUnstrucBadFile, "Error: block %d has %d fixed layers; 1 to %d are possible.\n", block, r.field9,
                nz - 1);
}

void SetFixedLayerLevels(const BlockRecord& r) {
    const int nz = NoGridLinesZ, layers = r.field9;
    for (int i = r.iFirst - 1; i <= r.iLast; ++i) {
        for (int j = r.jFirst - 1; j <= r.jLast; ++j) {
            for (int k = nz - layers; k <= nz; ++k) Gridz[i][j][k] = r.real2 - (nz - k) * r.real1 / layers;
            Gridz[i][j][1] = r.real2 - r.real1;
            GridWetPoint[i][j] = layers + 1;
        }
    }
}

namespace {

double SquaredSide(int i1, int j1, int i2, int j2) {
    const double dx = Gridx[i2][j2] - Gridx[i1][j1], dy = Gridy[i2][j2] - Gridy[i1][j1];
    return dx * dx + dy * dy;
}

}  // namespace

double ShorterSide(int i, int j) {
    return std::sqrt(std::min(SquaredSide(i, j, i - 1, j), SquaredSide(i, j, i, j - 1)));
}

double PlanSide(int i, int j) {
    const double x1 = Gridx[i - 1][j - 1], y1 = Gridy[i - 1][j - 1], x2 = Gridx[i][j - 1], y2 = Gridy[i][j - 1];
    const double x3 = Gridx[i][j], y3 = Gridy[i][j], x4 = Gridx[i - 1][j], y4 = Gridy[i - 1][j];
    return std::sqrt(std::max(0.5 * ((x3 - x1) * (y4 - y2) - (y3 - y1) * (x4 - x2)), 0.0));
}

int LargestCorner(int i, int j) {
    int m = 0;
    for (int c = 0; c < 4; ++c) m = std::max(m, GridWetPoint[i + kColumnCornerDi[c]][j + kColumnCornerDj[c]]);
    return m;
}

int SmallestCorner(int i, int j) {
    int m = GridWetPoint[i - 1][j - 1];
    for (int c = 0; c < 4; ++c) m = std::min(m, GridWetPoint[i + kColumnCornerDi[c]][j + kColumnCornerDj[c]]);
    return m;
}

int CornerSum(int i, int j) {
    int sum = 0;
    for (int c = 0; c < 4; ++c) sum += GridWetPoint[i + kColumnCornerDi[c]][j + kColumnCornerDj[c]];
    return sum;
}

int ThinningLayers(int i, int j, double side) {
    // The deepest corner in the order (i, j), (i-1, j), (i, j-1), (i-1, j-1).
    const int di[4] = {0, -1, 0, -1}, dj[4] = {0, 0, -1, -1};
    double dmax = Depth(i, j), dmin = dmax;
    int count = GridWetPoint[i][j];
    for (int c = 1; c < 4; ++c) {
        const double d = Depth(i + di[c], j + dj[c]);
        if (d > dmax) {
            dmax = d;
            count = GridWetPoint[i + di[c]][j + dj[c]];
        }
        dmin = std::min(dmin, d);
    }
    const double excess = (dmax - dmin) - side;
    if (!(excess > 0.0) || count <= 0 || !(dmax > 0.0)) return 0;
    const int r = static_cast<int>(count * excess / (dmax + 1e-20));
    return std::clamp(r, 0, LargestCorner(i, j) - SmallestCorner(i, j));
}

void NumberColumns(const BlockRecord& r, bool topAligned) {
    const int nz = NoGridLinesZ;
    for (int j = r.jFirst; j <= r.jLast; ++j) {
        for (int i = r.iFirst; i <= r.iLast; ++i) {
            const int n = GridWetColumn[i][j];
            if (n <= 0) continue;
            Gridz[i][j][0] = NoCells + 1;
            const int first = topAligned ? nz + 1 - n : 1;
            for (int k = first; k < first + n; ++k) CellIndex3[i][j][k] = ++NoCells;
        }
    }
}

void PlanCorners(int i, int j) {
    for (int c = 0; c < 4; ++c) {
        const int a = i + kColumnCornerDi[c], b = j + kColumnCornerDj[c];
        CellWork.x[c + 1] = CellWork.x[c + 5] = Gridx[a][b];
        CellWork.y[c + 1] = CellWork.y[c + 5] = Gridy[a][b];
    }
}

void KnownFaces(const BlockRecord& r, int i, int j) {
    int* f = CellWork.surface;
    const int* nb = CellWork.neighbour;
    for (int s = 1; s <= 6; ++s) f[s] = 0;
    if (i > r.iFirst && nb[4] != 0) f[4] = Csurfe[nb[4]];
    if (j > r.jFirst && nb[1] != 0) f[1] = Csurfn[nb[1]];
    if (nb[5] != 0) f[5] = Csurft[nb[5]];
}

bool InsideBlock(const BlockRecord& r, int i, int j) {
    return i >= r.iFirst && i <= r.iLast && j >= r.jFirst && j <= r.jLast;
}

}  // namespace altgrid
