// Shoreline fitting: corner points at the edge of the wet area slide along
// the cell sides to where the depth crosses a threshold, edge cells may
// collapse into triangles and convex corners are cut. Only point positions,
// a few bed points and the triangle marks change; the topology stays.
#include "grid/shoreline_fitting.h"

#include <algorithm>
#include <cmath>

#include "flow/flow_data.h"
#include "grid/grid_data.h"
#include "grid/grid_generation.h"
#include "grid/grid_services.h"
#include "grid/node_lines.h"
#include "run/globals.h"
#include "run/run_state.h"

namespace {

Array1<int>* const kLow[5] = {nullptr, &Cpoint1, &Cpoint2, &Cpoint3, &Cpoint4};
Array1<int>* const kHigh[5] = {nullptr, &Cpoint5, &Cpoint6, &Cpoint7, &Cpoint8};

// Corner k's neighbours along its two sides (a first: the side preferred on
// equal lengths) and across the column.
constexpr int kSideA[5] = {0, 4, 3, 4, 1};
constexpr int kSideB[5] = {0, 2, 1, 2, 3};
constexpr int kOpposite[5] = {0, 3, 4, 1, 2};

int Next(const Array1<int>& link, int c) { return c > 0 ? link[c] : 0; }

struct ShoreColumn {
    int i = 0, j = 0;
    int bed = 0;     // bed cell
    int layers = 0;  // cells of the column
    int S = 0, E = 0, N = 0, W = 0, SW = 0, SE = 0, NE = 0, NW = 0;
    int ni[5] = {}, nj[5] = {};  // structured node of corner k
    double d[5] = {};            // depth at corner k

    double Gx(int k) const { return Gridx[ni[k]][nj[k]]; }
    double Gy(int k) const { return Gridy[ni[k]][nj[k]]; }
    int Point(int k) const { return (*kLow[k])[bed]; }
    int TopPoint(int k) const { return (*kHigh[k])[bed]; }
    double& B(int k) const { return Pz1[Point(k)]; }
    double& T(int k) const { return Pz1[TopPoint(k)]; }
    void MoveTo(int k, double x, double y) const { MoveNodeLine(ni[k], nj[k], x, y); }
    void MoveOnto(int k, int other) const { MoveTo(k, Px1[Point(other)], Py1[Point(other)]); }
};

bool ReadColumn(int i, int j, ShoreColumn* col) {
    if (GridWetColumn[i][j] <= 0) return false;
    const int bed = static_cast<int>(Gridz[i][j][0]);
    if (bed <= 0 || bed > NoCells) return false;
    ShoreColumn& s = *col;
    s = ShoreColumn{};
    s.i = i;
    s.j = j;
    s.bed = bed;
    int top = bed;
    for (int c = bed; c > 0 && c <= NoCells && s.layers < NoCells; c = Ccellt[c]) {
        ++s.layers;
        top = c;
    }
    const int c = TopCellWalkFlag == 1 ? top : bed;
    s.S = Ccells[c];
    s.E = Ccelle[c];
    s.N = Ccelln[c];
    s.W = Ccellw[c];
    s.SW = Next(Ccells, s.W) != 0 ? Next(Ccells, s.W) : Next(Ccellw, s.S);
    s.SE = Next(Ccells, s.E) != 0 ? Next(Ccells, s.E) : Next(Ccelle, s.S);
    s.NE = Next(Ccelln, s.E) != 0 ? Next(Ccelln, s.E) : Next(Ccelle, s.N);
    s.NW = Next(Ccelln, s.W) != 0 ? Next(Ccelln, s.W) : Next(Ccellw, s.N);
    for (int k = 1; k <= 4; ++k) {
        s.ni[k] = i + kColumnCornerDi[k - 1];
        s.nj[k] = j + kColumnCornerDj[k - 1];
        s.d[k] = Gridz[s.ni[k]][s.nj[k]][NoGridLinesZ] - Gridz[s.ni[k]][s.nj[k]][1];
    }
    return true;
}

template <class F>
void ForEachShoreColumn(F f) {
    for (int b = 1; b <= NoBlocks; ++b) {
        const BlockRecord& r = BlockTable[b];
        if (r.depthAveraged == 1) continue;
        for (int j = r.jFirst; j <= r.jLast; ++j) {
            for (int i = r.iFirst; i <= r.iLast; ++i) {
                ShoreColumn col;
                if (ReadColumn(i, j, &col)) f(r, col);
            }
        }
    }
}

// Corner k slides towards corner m to the threshold crossing, from the
// structured positions; F 235 15 also keeps the column's corner-k points
// no higher than the top of the bed cell at m.
void Slide(const ShoreColumn& s, int k, int m, double t) {
    const double f = std::min((t - s.d[k]) / (s.d[m] - s.d[k]), ShorelineMoveLimit);
    s.MoveTo(k, (1.0 - f) * s.Gx(k) + f * s.Gx(m), (1.0 - f) * s.Gy(k) + f * s.Gy(m));
    if (TrekantOption != 15) return;
    const double top = s.T(m);
    for (int c = s.bed, steps = 0; c > 0 && c <= NoCells && steps < s.layers; c = Ccellt[c], ++steps) {
        double& z = Pz1[(*kLow[k])[c]];
        z = std::min(z, top);
    }
}

void SlidingStage(const ShoreColumn& s, double t) {
    const struct {
        int k, m;
        int ShoreColumn::*open;     // no neighbour across the side
        int ShoreColumn::*along;    // a neighbour along the edge
        int ShoreColumn::*diagonal; // no diagonal neighbour
    } rows[] = {
        {1, 4, &ShoreColumn::S, &ShoreColumn::W, &ShoreColumn::SW},
        {2, 3, &ShoreColumn::S, &ShoreColumn::E, &ShoreColumn::SE},
        {4, 1, &ShoreColumn::N, &ShoreColumn::W, &ShoreColumn::NW},
        {3, 2, &ShoreColumn::N, &ShoreColumn::E, &ShoreColumn::NE},
        {1, 2, &ShoreColumn::W, &ShoreColumn::S, &ShoreColumn::SW},
        {4, 3, &ShoreColumn::W, &ShoreColumn::N, &ShoreColumn::NW},
        {2, 1, &ShoreColumn::E, &ShoreColumn::S, &ShoreColumn::SE},
        {3, 4, &ShoreColumn::E, &ShoreColumn::N, &ShoreColumn::NE},
    };
    for (const auto& r : rows) {
        if (s.d[r.k] < t && t < s.d[r.m] && s.*r.open == 0 && s.*r.along > 0 && s.*r.diagonal == 0) {
            Slide(s, r.k, r.m, t);
        }
    }
}

// F 159 fifth value 6: a dry side with a neighbour across it folds onto
// one of its ends.
void CollapsingStage(const ShoreColumn& s) {
    const double dry = DryDepth;
    if (s.d[1] < dry && s.d[4] < dry && s.W > 0) {
        if (s.S == 0 && s.SW == 0 && s.NW > 0 && s.N > 0) {
            s.MoveOnto(1, 4);
        } else if (s.N == 0 && s.NW == 0 && s.SW > 0 && s.S > 0) {
            s.MoveOnto(4, 1);
        }
    }
    if (s.d[2] < dry && s.d[3] < dry && s.E > 0) {
        if (s.S == 0 && s.SE == 0 && s.NE > 0 && s.N > 0) {
            s.MoveOnto(2, 3);
        } else if (s.N == 0 && s.NE == 0 && s.SE > 0 && s.S > 0) {
            s.MoveOnto(3, 2);
        }
    }
    if (s.d[1] < dry && s.d[2] < dry && s.S > 0) {
        if (s.W == 0 && s.SW == 0 && s.E > 0 && s.SE > 0) {
            s.MoveOnto(1, 2);
        } else if (s.E == 0 && s.SE == 0 && s.SW > 0 && s.W > 0) {
            s.MoveOnto(2, 1);
        }
    }
    if (s.d[3] < dry && s.d[4] < dry && s.N > 0) {
        if (s.W == 0 && s.NW == 0 && s.E > 0 && s.NE > 0) {
            s.MoveOnto(4, 3);
        } else if (s.E == 0 && s.NE == 0 && s.NW > 0 && s.W > 0) {
            s.MoveOnto(3, 4);
        }
    }
}

bool ConvexCorner(const ShoreColumn& s, int k) {
    switch (k) {
        case 1: return s.S == 0 && s.W == 0 && s.SW == 0;
        case 2: return s.S == 0 && s.E == 0 && s.SE == 0;
        case 3: return s.N == 0 && s.E == 0 && s.NE == 0;
        default: return s.N == 0 && s.W == 0 && s.NW == 0;
    }
}

bool BlockCornerColumn(const BlockRecord& r, const ShoreColumn& s, int k) {
    const int i = (k == 1 || k == 4) ? r.iFirst : r.iLast;
    const int j = (k == 1 || k == 2) ? r.jFirst : r.jLast;
    return s.i == i && s.j == j;
}

double NodeDistance(const ShoreColumn& s, int k, int m) { return std::hypot(s.Gx(m) - s.Gx(k), s.Gy(m) - s.Gy(k)); }

void CornerStage(const BlockRecord& r, const ShoreColumn& s, double t) {
    for (int k = 1; k <= 4; ++k) {
        if (!ConvexCorner(s, k)) continue;
        const int a = kSideA[k], b = kSideB[k];
        if (s.d[k] < t && s.d[a] > t && s.d[b] < t) {
            Slide(s, k, a, t);
        } else if (s.d[k] < t && s.d[a] < t && s.d[b] > t) {
            Slide(s, k, b, t);
        } else if (s.d[k] < t && s.d[a] > t && s.d[b] > t) {
            Slide(s, k, NodeDistance(s, k, b) < NodeDistance(s, k, a) ? b : a, t);
        } else if (ShorelineOption == 4 && !BlockCornerColumn(r, s, k)) {
            const int i = s.i, j = s.j;
            s.MoveTo(k, 0.5 * (Gridx[i][j - 1] + Gridx[i - 1][j]), 0.5 * (Gridy[i][j - 1] + Gridy[i - 1][j]));
        }
    }
}

// The convex corner of a column at the edge of the wet area, 0 for none.
int ChosenCorner(const ShoreColumn& s) {
    if (s.S == 0) {
        if (s.W == 0 && s.SW == 0) return 1;
        if (s.E == 0 && s.SE == 0) return 2;
    }
    if (s.N == 0) {
        if (s.E == 0 && s.NE == 0) return 3;
        if (s.W == 0 && s.NW == 0) return 4;
    }
    return 0;
}

void CornerRule(const ShoreColumn& s, int k, double t) {
    const int a = kSideA[k], b = kSideB[k], o = kOpposite[k];
    double x = 0.0, y = 0.0;
    const double kx = Px1[s.Point(k)], ky = Py1[s.Point(k)];
    if (s.d[k] < 0.0 || F245Int2 > 0) {
        const double da = std::hypot(Px1[s.Point(a)] - kx, Py1[s.Point(a)] - ky);
        const double db = std::hypot(Px1[s.Point(b)] - kx, Py1[s.Point(b)] - ky);
        const int nearer = db < da ? b : a;
        x = Px1[s.Point(nearer)];
        y = Py1[s.Point(nearer)];
    } else {
        // The share kept is at most 0.9: a threshold below zero would make
        // the ratio of two negative depths large and throw the corner far
        // beyond its own position.
        const double r = 0.9 * std::min(std::max(std::min(s.d[a], s.d[b]) / t, 0.5), 1.0);
        x = r * kx + (1.0 - r) * Px1[s.Point(o)];
        y = r * ky + (1.0 - r) * Py1[s.Point(o)];
    }
    if (s.layers == 1 && TrekantOption == 23) s.B(o) = std::min(s.B(o), s.T(o) - 3.0 * t);
    s.MoveTo(k, x, y);
}

void MarkTriangle(const ShoreColumn& s, int k, double t) {
    const int a = kSideA[k], b = kSideB[k], o = kOpposite[k];
    Ctrekant[s.bed] = k;
    if (TrekantOption == 14) {
        s.B(a) = std::min(s.B(a), s.T(a) - t);
        s.B(b) = std::min(s.B(b), s.T(b) - t);
        s.B(o) = std::min(s.B(o), s.T(o) - 2.0 * t);
    } else if (TrekantOption == 15) {
        const double ks = Croughness.exists() ? Croughness[s.bed] : 0.0;
        s.T(k) = std::min({s.T(k), s.T(a), s.T(b), s.T(o)});
        s.B(k) = std::min(s.B(k), s.T(k));
        s.B(o) = std::min(s.B(o), s.T(o) - ks);
    }
}

void DeepenShallowColumn(const ShoreColumn& s) {
    const double ks = Croughness.exists() ? Croughness[s.bed] : 0.0;
    double sum = 0.0;
    int deepest = 0;
    for (int k = 1; k <= 4; ++k) {
        if (s.d[k] <= 0.0) continue;
        sum += s.d[k];
        if (deepest == 0 || s.d[k] > s.d[deepest]) deepest = k;
    }
    if (deepest == 0 || 0.25 * sum >= std::max(WallRoughness, ks)) return;
    s.B(deepest) = std::min(s.B(deepest), s.T(deepest) - 0.2 * ks);
}

}  // namespace

double ShorelineThreshold() {
    if (ShorelineOption == 1 || ShorelineOption == 4) return DryDepth;
    if (ShorelineOption == 3) return SingleCellDepth;
    return 0.5 * DryDepth;
}

void FitShoreline() {
    const double t = ShorelineThreshold();
    if (ShorelineOption == 2) {
        for (int b = 1; b <= NoBlocks; ++b) {
            const BlockRecord& r = BlockTable[b];
            if (r.depthAveraged == 1) continue;
            for (int j = r.jFirst; j <= r.jLast; ++j) {
                for (int i = r.iFirst - 1; i <= r.iLast - 1; ++i) {
                    double& water = Gridz[i][j][NoGridLinesZ];
                    water = std::max(water, Gridz[i][j][1] + DryDepth);
                }
            }
        }
    }
    ForEachShoreColumn([t](const BlockRecord& r, const ShoreColumn& s) {
        SlidingStage(s, t);
        if (F159Int5 == 6) CollapsingStage(s);
        CornerStage(r, s, t);
    });
}

void AdjustShorelineCells() {
    const double t = ShorelineThreshold();
    ForEachShoreColumn([t](const BlockRecord&, const ShoreColumn& s) {
        const int k = ChosenCorner(s);
        const bool shallowSides = k > 0 && s.d[kSideA[k]] < t && s.d[kSideB[k]] < t;
        if ((TrekantOption <= 28 || s.layers > 1) && shallowSides) CornerRule(s, k, t);
        if (TrekantOption >= 1 && TrekantOption <= 28 && s.layers == 1 && shallowSides) MarkTriangle(s, k, t);
        if (TrekantOption == 16) DeepenShallowColumn(s);
    });
    if (TrekantOption >= 1 && TrekantOption <= 30) ClassifyShorelineTriangles();
}

void ClassifyShorelineTriangles() {
    Array1<int>& T = Ctrekant;
    auto is = [&T](int c, int code) { return c > 0 && c <= NoCells && T[c] == code; };
    for (int c = 1; c <= NoCells; ++c) {
        if (T[c] == 1) {
            const int e = Ccelle[c], n = Ccelln[c];
            if (is(e, 2) && is(n, 4)) {
                T[c] = 13, T[e] = 14, T[n] = 24;
            } else if (is(e, 2)) {
                T[c] = 5, T[e] = 6;
            }
            const int en = Next(Ccelle, n);
            if (is(n, 4) && is(en, 3)) {
                T[c] = 23, T[n] = 22, T[en] = 21;
            } else if (is(n, 4)) {
                T[c] = 12, T[n] = 11;
            }
        } else if (T[c] == 3) {
            const int s = Ccells[c], w = Ccellw[c], ws = Next(Ccellw, s);
            if (is(s, 2) && is(w, 4)) {
                T[c] = 19, T[s] = 18, T[w] = 20;
            } else if (is(s, 2) && is(ws, 1)) {
                T[c] = 17, T[s] = 16, T[ws] = 15;
            } else if (is(s, 2)) {
                T[c] = 8, T[s] = 7;
            }
            if (is(w, 4)) T[c] = 9, T[w] = 10;
        }
    }
}
