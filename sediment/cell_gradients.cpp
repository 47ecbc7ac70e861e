// Column interpolation and the difference operators of the elastic stress
// computation.
#include "sediment/cell_gradients.h"

#include "grid/grid_data.h"
#include "run/globals.h"

namespace {

// Column walks stop after this many steps, so a damaged chain cannot loop.
int WalkLimit() { return NoCells + 1; }

int BottomCellOf(int c) {
    for (int steps = 0; Ccellb[c] > 0 && steps < WalkLimit(); ++steps) c = Ccellb[c];
    return c;
}

// The difference of two neighbour values a (plus side) and b (minus side)
// about the value at the cell, by which of them exist.
double Difference(bool plus, double a, bool minus, double b, double own) {
    if (plus && minus) return 0.5 * (a - b);
    if (plus) return a - own;
    if (minus) return own - b;
    return 0.0;
}

// The horizontal difference through the neighbours `plus` and `minus` of c,
// with the neighbours of the column's bottom cell standing in for missing
// ones, read at c's level.
double ColumnDifference(const double* f, int c, const Array1<int>& plus, const Array1<int>& minus) {
    int p = plus[c], m = minus[c];
    if (p == 0 || m == 0) {
        const int b = BottomCellOf(c);
        if (p == 0) p = plus[b];
        if (m == 0) m = minus[b];
    }
    const double a = p > 0 ? InterpolateAtCellLevel(f, c, p) : 0.0;
    const double z = m > 0 ? InterpolateAtCellLevel(f, c, m) : 0.0;
    return Difference(p > 0, a, m > 0, z, f[c]);
}

// The difference along j from the direct neighbours' own values.
double PlainDifferenceJ(const double* f, int c) {
    const int n = Ccelln[c], s = Ccells[c];
    return Difference(n > 0, f[n], s > 0, f[s], f[c]);
}

double VerticalDifference(const double* f, int c) {
    const int t = Ccellt[c], b = Ccellb[c];
    return Difference(t > 0, f[t], b > 0, f[b], f[c]);
}

// The side part of a gradient: the i and j differences weighted by the face
// quantity q of each pair of faces.
double SidePart(const double* f, int c, const Array1<double>& q, bool plainJ) {
    const double di = ColumnDifference(f, c, Ccelle, Ccellw);
    const double dj = plainJ ? PlainDifferenceJ(f, c) : ColumnDifference(f, c, Ccelln, Ccells);
    return 0.5 * ((q[Csurfe[c]] + q[Csurfw[c]]) * di + (q[Csurfn[c]] + q[Csurfs[c]]) * dj);
}

const Array1<double>& AreaComponent(int dir) { return dir == 1 ? Fareax : Fareay; }
const Array1<double>& NormalComponent(int dir) { return dir == 1 ? Fvecx : Fvecy; }

}  // namespace

double InterpolateAtCellLevel(const double* f, int r, int k) {
    const double zr = Czcenter[r];
    const double zk = Czcenter[k];
    if (zk == zr) return f[k];
    if (zk < zr) {
        if (Ccellt[k] == 0) return f[k];
        int u = Ccellt[k];
        for (int steps = 0; !(Czcenter[u] > zr) && Ccellt[u] > 0 && steps < WalkLimit(); ++steps) u = Ccellt[u];
        const int l = Ccellb[u];
        const double w = (Czcenter[u] - zr) / (Ckdist[u] + Ckdist[l]);
        return w * f[l] + (1.0 - w) * f[u];
    }
    if (Ccellb[k] == 0) return f[k];
    int l = Ccellb[k];
    for (int steps = 0; !(Czcenter[l] < zr) && Ccellb[l] > 0 && steps < WalkLimit(); ++steps) l = Ccellb[l];
    const int u = Ccellt[l];
    const double w = (zr - Czcenter[l]) / (Ckdist[l] + Ckdist[u]);
    return w * f[u] + (1.0 - w) * f[l];
}

double GradientDirA(const double* f, int dir, int c) {
    if (dir == 3) return VerticalDifference(f, c) * Fareaz[Csurft[c]];
    if (dir != 1 && dir != 2) return 0.0;
    const bool endCell = Ccellt[c] == 0 || Ccellb[c] == 0;
    return SidePart(f, c, AreaComponent(dir), endCell);
}

double GradientDirB(const double* f, int dir, int c) {
    if (dir == 3) return VerticalDifference(f, c);
    if (dir != 1 && dir != 2) return 0.0;
    return SidePart(f, c, NormalComponent(dir), false);
}

double GradientDirC(const double* f, int dir, int c) {
    if (dir == 3) {
        const int t = Ccellt[c], b = Ccellb[c];
        if (t > 0 && b > 0) return (f[t] - f[b]) / (Ckdist[t] + Ckdist[b] + 2.0 * Ckdist[c]);
        if (t > 0) return (f[t] - f[c]) / (Ckdist[t] + Ckdist[c]);
        if (b > 0) return (f[c] - f[b]) / (Ckdist[b] + Ckdist[c]);
        return 0.0;
    }
    if (dir != 1 && dir != 2) return 0.0;
    return SidePart(f, c, AreaComponent(dir), false) / Cvol[c];
}
