// Plan point-in-polygon tests and the difference estimates of a per-cell
// field over one cell.
#include "grid/grid_data.h"
#include "grid/grid_editing.h"
#include "run/globals.h"

namespace {

// Strictly right of the edge from a to b.
bool RightOf(double px, double py, double xa, double ya, double xb, double yb) {
    return (xb - xa) * (py - ya) - (yb - ya) * (px - xa) < 0.0;
}

// A one-sided or central difference across a cell: `both` scales the
// central one, `one` the one-sided ones.
double Difference(const Array1<double>& f, int c, int up, int down, bool upPresent, bool downPresent, double both,
                  double one) {
    if (upPresent && downPresent) return both * (f[up] - f[down]);
    if (upPresent) return one * (f[up] - f[c]);
    if (downPresent) return one * (f[c] - f[down]);
    return 0.0;
}

struct Differences {
    double s, t, di, dj, dk;
};

// S and T (the face areas of the direction on the i and j sides) and the
// differences Di, Dj, Dk. The A and B estimates take the cells above and
// below as the next numbers of the column; C takes the linked cells.
Differences Take(const Array1<double>& f, int d, int c, bool linkedColumn, double both, double one) {
    const Array1<double>& a = d == 1 ? Fareax : Fareay;
    Differences r{};
    r.s = a[Csurfe[c]] + a[Csurfw[c]];
    r.t = a[Csurfn[c]] + a[Csurfs[c]];
    r.di = Difference(f, c, Ccelle[c], Ccellw[c], Ccelle[c] > 0, Ccellw[c] > 0, both, one);
    r.dj = Difference(f, c, Ccelln[c], Ccells[c], Ccelln[c] > 0, Ccells[c] > 0, both, one);
    const int above = linkedColumn ? Ccellt[c] : c + 1, below = linkedColumn ? Ccellb[c] : c - 1;
    r.dk = Difference(f, c, above, below, Ccellt[c] > 0, Ccellb[c] > 0, both, one);
    return r;
}

bool KnownDirection(int d) { return d == 1 || d == 2 || d == 3; }

}  // namespace

int PointInTriangle(double px, double py, double x1, double y1, double x2, double y2, double x3, double y3) {
    return RightOf(px, py, x1, y1, x2, y2) && RightOf(px, py, x2, y2, x3, y3) && RightOf(px, py, x3, y3, x1, y1) ? 1
                                                                                                              : 0;
}

int PointInQuadrilateral(double px, double py, double x1, double y1, double x2, double y2, double x3, double y3,
                         double x4, double y4) {
    return RightOf(px, py, x1, y1, x2, y2) && RightOf(px, py, x2, y2, x3, y3) && RightOf(px, py, x3, y3, x4, y4) &&
                   RightOf(px, py, x4, y4, x1, y1)
               ? 1
               : 0;
}

double CellDerivativeA(const Array1<double>& f, int d, int c) {
    if (!KnownDirection(d)) return 0.0;
    const Differences r = Take(f, d, c, false, 0.5, 1.0);
    return d == 3 ? r.dk * Fareaz[Csurfb[c]] : 0.5 * (r.s * r.di + r.t * r.dj);
}

double CellDerivativeB(const Array1<double>& f, int d, int c) {
    if (!KnownDirection(d)) return 0.0;
    const Differences r = Take(f, d, c, false, 0.5, 1.0);
    return d == 3 ? r.dk / (2.0 * Ckdist[c]) : 0.5 * (r.s * r.di + r.t * r.dj) / Cvol[c];
}

double CellDerivativeC(const Array1<double>& f, int d, int c) {
    if (!KnownDirection(d)) return 0.0;
    const Differences r = Take(f, d, c, true, 1.0, 2.0);
    return d == 3 ? 0.5 * Fareaz[Csurfb[c]] * r.dk / Cvol[c] : 0.25 * (r.s * r.di + r.t * r.dj) / Cvol[c];
}
