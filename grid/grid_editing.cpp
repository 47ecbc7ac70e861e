// Editing of the nodes of one structured block (`CurrentBlock`) and of the
// beds of overlapping blocks: re-spacing, interpolation and smoothing.
#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "grid/grid_data.h"
#include "grid/grid_editing.h"
#include "run/globals.h"
#include "run/log.h"

namespace {

constexpr int kLaplacePasses = 501;
constexpr int kAttractorPasses = 21;
constexpr double kLeastJacobian = 1e-12;
constexpr double kSearchStart = 1e6;  // m2: only columns nearer than 1000 m

// The block being edited and the first interior row (a partition's first
// row belongs to its neighbour).
struct EditRange {
    int s, iLast, jFirst, jLast;
};

bool CurrentRange(EditRange* r) {
    if (CurrentBlock == 0) CurrentBlock = 1;
    if (CurrentBlock < 1 || CurrentBlock > NoBlocks || !Gridx.exists() || !Gridz.exists()) return false;
    const BlockRecord& b = BlockTable[CurrentBlock];
    *r = EditRange{MpiPart >= 2 ? b.iFirst + 1 : b.iFirst, b.iLast, b.jFirst, b.jLast};
    return r->s >= 1 && r->jFirst >= 1 && static_cast<size_t>(r->iLast) < Gridx.extent1() &&
           static_cast<size_t>(r->jLast) < Gridx.extent2();
}

bool IsFixed(int i, int j) {
    for (int n = 1; n <= NoFixedPoints; ++n) {
        if (FixedPointI[n] == i && FixedPointJ[n] == j) return true;
    }
    return false;
}

// The fixed nodes of the block's node range as a mask, so that the passes
// over the nodes do not search the list.
class FixedMask {
public:
    FixedMask(const EditRange& r) : i0_(r.s - 1), j0_(r.jFirst - 1), nj_(r.jLast - r.jFirst + 2) {
        const int ni = r.iLast - r.s + 2;
        fixed_.assign(static_cast<size_t>(std::max(ni, 0)) * static_cast<size_t>(std::max(nj_, 0)), 0);
        for (int n = 1; n <= NoFixedPoints; ++n) {
            const int i = FixedPointI[n] - i0_, j = FixedPointJ[n] - j0_;
            if (i >= 0 && i < ni && j >= 0 && j < nj_) fixed_[static_cast<size_t>(i) * nj_ + j] = 1;
        }
    }
    bool operator()(int i, int j) const { return fixed_[static_cast<size_t>(i - i0_) * nj_ + (j - j0_)] != 0; }

private:
    int i0_, j0_, nj_;
    std::vector<unsigned char> fixed_;
};

struct Node {
    int i, j;
};

void SetLinear(Node p, Node q, int k, int n, Node target) {
    const double t = static_cast<double>(k) / n;
    Gridx[target.i][target.j] = Gridx[p.i][p.j] + t * (Gridx[q.i][q.j] - Gridx[p.i][p.j]);
    Gridy[target.i][target.j] = Gridy[p.i][p.j] + t * (Gridy[q.i][q.j] - Gridy[p.i][p.j]);
    Gridz[target.i][target.j][1] = Gridz[p.i][p.j][1] + t * (Gridz[q.i][q.j][1] - Gridz[p.i][p.j][1]);
}

// A line of nodes from `from` on, `count` nodes long, one index stepping.
struct NodeLine {
    Node from;
    bool alongI;
    int count;
    Node at(int k) const { return alongI ? Node{from.i + k, from.j} : Node{from.i, from.j + k}; }
};

// Sets the nodes of the line linear between each anchor and the next.
template <typename IsAnchor>
void FillBetweenAnchors(const NodeLine& line, IsAnchor isAnchor) {
    int previous = 0;
    for (int k = 1; k < line.count; ++k) {
        if (k != line.count - 1 && !isAnchor(line.at(k))) continue;
        for (int m = previous + 1; m < k; ++m) SetLinear(line.at(previous), line.at(k), m - previous, k - previous, line.at(m));
        previous = k;
    }
}

bool OnEdgeRecord(Node n) {
    for (int e = 0; e < NoEdges && e < kMaxEdges; ++e) {
        const EdgeRecord& r = EdgeList[e];
        if ((r.iA == n.i && r.jA == n.j) || (r.iB == n.i && r.jB == n.j)) return true;
    }
    return false;
}

double Sign(double v) { return v / (std::fabs(v) + 1e-20); }

struct Range {
    double lo = std::numeric_limits<double>::infinity();
    double hi = -std::numeric_limits<double>::infinity();
    void take(double v) {
        lo = std::min(lo, v);
        hi = std::max(hi, v);
    }
    double clamp(double v) const { return std::clamp(v, lo, hi); }
};

void AddAttractorFields(const EditRange& r, double w) {
    for (int a = 1; a <= NoAttractors && a <= kMaxAttractors; ++a) {
        const AttractorRecord& at = Attractors[a];
        for (int i = r.s - 1; i <= r.iLast; ++i) {
            for (int j = r.jFirst - 1; j <= r.jLast; ++j) {
                const double di = i - at.i, dj = j - at.j;
                const double rho = std::sqrt(di * di + dj * dj);
                switch (at.type) {
                    case 0: GridAttract1[i][j] -= at.amplitude * Sign(di) * std::exp(-at.decay * rho) * w; break;
                    case 1: GridAttract2[i][j] -= at.amplitude * Sign(dj) * std::exp(-at.decay * rho) * w; break;
                    case 2:
                        GridAttract1[i][j] -= 0.2 * at.amplitude * Sign(di) * std::exp(-at.decay * std::fabs(di)) * w;
                        break;
                    case 3:
                        GridAttract2[i][j] -= 0.2 * at.amplitude * Sign(dj) * std::exp(-at.decay * std::fabs(dj)) * w;
                        break;
                    default: break;
                }
            }
        }
    }
}

// One elliptic update of node (i, j) from its current neighbours.
void EllipticNode(int i, int j, const Range& xr, const Range& yr) {
    const double xxi = 0.5 * (Gridx[i + 1][j] - Gridx[i - 1][j]), yxi = 0.5 * (Gridy[i + 1][j] - Gridy[i - 1][j]);
    const double xeta = 0.5 * (Gridx[i][j + 1] - Gridx[i][j - 1]), yeta = 0.5 * (Gridy[i][j + 1] - Gridy[i][j - 1]);
    const double jac = xxi * yeta - xeta * yxi;
    // Collinear neighbours give no direction to move in.
    if (!(std::fabs(jac) >= kLeastJacobian)) return;
    const double j2 = jac * jac;
    const double alpha = (xeta * xeta + yeta * yeta) / j2;
    const double gamma = (xxi * xxi + yxi * yxi) / j2;
    const double beta = (xxi * xeta + yxi * yeta) / j2;
    const double p = GridAttract1[i][j], q = GridAttract2[i][j];
    auto update = [&](const Array2<double>& v, double dxi, double deta) {
        const double cross =
            2.0 * beta * 0.25 * (v[i + 1][j + 1] - v[i + 1][j - 1] - v[i - 1][j + 1] + v[i - 1][j - 1]);
        return (alpha * (v[i + 1][j] + v[i - 1][j]) + gamma * (v[i][j + 1] + v[i][j - 1]) + cross + dxi * p +
                deta * q) /
               (2.0 * (alpha + gamma));
    };
    const double xs = xr.clamp(update(Gridx, xxi, xeta));
    const double ys = yr.clamp(update(Gridy, yxi, yeta));
    const double x = 0.5 * (xs + Gridx[i][j]), y = 0.5 * (ys + Gridy[i][j]);
    Gridx[i][j] = x;
    Gridy[i][j] = y;
}

bool ColumnHasCell(int i, int j) { return Gridz[i][j][0] > 0.0 && Gridz[i][j][0] <= NoCells; }

}  // namespace

void CopyBedFromOverlappingBlocks() {
    if (!Gridz.exists() || !GridLevels.exists() || !Cxcenter.exists()) return;
    for (int b = 1; b <= NoBlocks; ++b) {
        const BlockRecord& upper = BlockTable[b];
        if (upper.overlapLevel < 1 || upper.gridLevel != 0) continue;
        Range bx, by;
        for (const int i : {upper.iFirst - 1, upper.iLast}) {
            for (const int j : {upper.jFirst - 1, upper.jLast}) {
                bx.take(Gridx[i][j]);
                by.take(Gridy[i][j]);
            }
        }
        for (int c = 1; c <= NoBlocks; ++c) {
            const BlockRecord& lower = BlockTable[c];
            if (c == b || lower.gridLevel != 0 || lower.overlapLevel >= upper.overlapLevel) continue;
            for (int i = lower.iFirst - 1; i <= lower.iLast; ++i) {
                for (int j = lower.jFirst - 1; j <= lower.jLast; ++j) {
                    const double x = Gridx[i][j], y = Gridy[i][j];
                    if (!(x > bx.lo && x < bx.hi && y > by.lo && y < by.hi)) continue;
                    if (!ColumnHasCell(i, j)) continue;
                    double best = kSearchStart;
                    Node found{0, 0};
                    for (int i2 = upper.iFirst; i2 <= upper.iLast; ++i2) {
                        for (int j2 = upper.jFirst; j2 <= upper.jLast; ++j2) {
                            // A dry column has no bottom cell to measure to.
                            if (!ColumnHasCell(i2, j2)) continue;
                            const int cell = static_cast<int>(Gridz[i2][j2][0]);
                            const double dx = x - Cxcenter[cell], dy = y - Cycenter[cell];
                            const double d2 = dx * dx + dy * dy;
                            if (d2 < best) {
                                best = d2;
                                found = Node{i2, j2};
                            }
                        }
                    }
                    const int own = static_cast<int>(Gridz[i][j][0]);
                    if (found.i == 0 || !(std::sqrt(best) < 2.0 * (Cidist[own] + Cjdist[own]))) continue;
                    Gridz[i][j][1] = Gridz[found.i][found.j][1];
                    GridLevels[1][i][j] = GridLevels[1][found.i][found.j];
                }
            }
        }
    }
}

void EditGridLinesAtFixedPoints() {
    EditRange r;
    if (!CurrentRange(&r)) return;
    const auto anchor = [](Node n) { return IsFixed(n.i, n.j) || OnEdgeRecord(n); };
    if (r.iLast > 1) {
        for (const int j : {r.jFirst - 1, r.jLast}) FillBetweenAnchors(NodeLine{{r.s - 1, j}, true, r.iLast - r.s + 2}, anchor);
    }
    if (r.jLast >= 2) {
        const NodeLine first{{r.s - 1, r.jFirst - 1}, false, r.jLast - r.jFirst + 2};
        if (MpiPart <= 0) FillBetweenAnchors(first, anchor);
        FillBetweenAnchors(NodeLine{{r.iLast, r.jFirst - 1}, false, first.count}, anchor);
    }
}

void InterpolateGridBetweenFixedPoints() {
    EditRange r;
    if (!CurrentRange(&r)) return;
    for (int i = r.s; i <= r.iLast - 1; ++i) {
        FillBetweenAnchors(NodeLine{{i, r.jFirst - 1}, false, r.jLast - r.jFirst + 2},
                           [](Node n) { return IsFixed(n.i, n.j); });
    }
}

void InterpolateGridBetweenEdges() {
    EditRange r;
    if (!CurrentRange(&r) || r.jFirst == r.jLast || r.s == r.iLast) return;
    const int n = r.iLast - r.s + 1;
    for (int j = r.jFirst; j <= r.jLast - 1; ++j) {
        for (int i = r.s; i <= r.iLast - 1; ++i) SetLinear({r.s - 1, j}, {r.iLast, j}, i - r.s + 1, n, {i, j});
    }
}

void InterpolateGridBilinear() {
    EditRange r;
    if (!CurrentRange(&r) || r.jFirst == r.jLast) return;
    const double ni = r.iLast - r.s + 1, nj = r.jLast - r.jFirst + 1;
    const int west = r.s - 1, south = r.jFirst - 1;
    auto mean = [&](double (*value)(int, int), int i, int j) {
        const double t = (i - r.s + 1) / ni, u = (j - r.jFirst + 1) / nj;
        return 0.5 * ((1.0 - t) * value(west, j) + t * value(r.iLast, j)) +
               0.5 * ((1.0 - u) * value(i, south) + u * value(i, r.jLast));
    };
    for (int j = r.jFirst; j <= r.jLast - 1; ++j) {
        for (int i = r.s; i <= r.iLast - 1; ++i) {
            const double x = mean([](int a, int b) { return Gridx[a][b]; }, i, j);
            const double y = mean([](int a, int b) { return Gridy[a][b]; }, i, j);
            const double z = mean([](int a, int b) { return Gridz[a][b][1]; }, i, j);
            Gridx[i][j] = x;
            Gridy[i][j] = y;
            Gridz[i][j][1] = z;
        }
    }
}

void SmoothGridLaplace() {
    EditRange r;
    if (!CurrentRange(&r) || r.jFirst >= r.jLast || r.s >= r.iLast) return;
    const FixedMask fixed(r);
    for (int pass = 0; pass < kLaplacePasses; ++pass) {
        for (int i = r.s; i <= r.iLast - 1; ++i) {
            for (int j = r.jFirst; j <= r.jLast - 1; ++j) {
                if (fixed(i, j)) continue;
                Gridx[i][j] = 0.25 * (Gridx[i - 1][j - 1] + Gridx[i - 1][j + 1] + Gridx[i + 1][j - 1] + Gridx[i + 1][j + 1]);
                Gridy[i][j] = 0.25 * (Gridy[i - 1][j - 1] + Gridy[i - 1][j + 1] + Gridy[i + 1][j - 1] + Gridy[i + 1][j + 1]);
            }
        }
    }
}

void ApplyGridAttractors() {
    EditRange r;
    if (!CurrentRange(&r) || !GridAttract1.exists() || !GridAttract2.exists()) return;
    // Each coordinate has its own range: pooled, map coordinates would make
    // the scale the size of the map instead of the block.
    Range xr, yr;
    for (int i = r.s - 1; i <= r.iLast; ++i) {
        for (int j = r.jFirst - 1; j <= r.jLast; ++j) {
            GridAttract1[i][j] = 0.0;
            GridAttract2[i][j] = 0.0;
            xr.take(Gridx[i][j]);
            yr.take(Gridy[i][j]);
        }
    }
    const double extent = std::max(xr.hi - xr.lo, yr.hi - yr.lo);
    const double cells = static_cast<double>(r.iLast) * r.jLast;
    if (!(extent > 0.0) || !(cells > 0.0)) return;
    const double h = extent / std::sqrt(cells);
    AddAttractorFields(r, 1.0 / (h * h));
    if (r.jFirst >= r.jLast || r.s >= r.iLast) return;
    const FixedMask fixed(r);
    for (int pass = 0; pass < kAttractorPasses; ++pass) {
        for (int i = r.s; i <= r.iLast - 1; ++i) {
            for (int j = r.jFirst; j <= r.jLast - 1; ++j) {
                if (!fixed(i, j)) EllipticNode(i, j, xr, yr);
            }
        }
    }
}

void InterpolateGridLineSegment() {
    if (NoFixedPoints < 2 || NoFixedPoints >= kFixedPointSlots) return;
    const Node a{FixedPointI[NoFixedPoints - 1], FixedPointJ[NoFixedPoints - 1]};
    const Node b{FixedPointI[NoFixedPoints], FixedPointJ[NoFixedPoints]};
    NodeLine line;
    if (a.j == b.j && a.i != b.i) {
        line = NodeLine{{std::min(a.i, b.i), a.j}, true, std::abs(a.i - b.i) + 1};
    } else if (a.i == b.i && a.j != b.j) {
        line = NodeLine{{a.i, std::min(a.j, b.j)}, false, std::abs(a.j - b.j) + 1};
    } else {
        return;
    }
    if (!Gridx.exists() || line.from.i < 0 || line.from.j < 0 ||
        static_cast<size_t>(line.at(line.count - 1).i) >= Gridx.extent1() ||
        static_cast<size_t>(line.at(line.count - 1).j) >= Gridx.extent2()) {
        return;
    }
    bool full = false;
    for (int k = 1; k < line.count - 1; ++k) {
        const Node n = line.at(k);
        SetLinear(line.at(0), line.at(line.count - 1), k, line.count - 1, n);
        if (NoFixedPoints + 1 >= kFixedPointSlots) {
            if (!full) {
                LogAppend("The list of fixed grid points is full (%d points): node (%d, %d) and those after it on the "
                          "line are not added\n",
                          NoFixedPoints, n.i, n.j);
            }
            full = true;
            continue;
        }
        ++NoFixedPoints;
        FixedPointI[NoFixedPoints] = n.i;
        FixedPointJ[NoFixedPoints] = n.j;
    }
}

void InterpolateGridLineArc() {
    if (NoFixedPoints < 3 || NoFixedPoints >= kFixedPointSlots || !Gridx.exists()) return;
    const Node p3{FixedPointI[NoFixedPoints - 2], FixedPointJ[NoFixedPoints - 2]};
    const Node p2{FixedPointI[NoFixedPoints - 1], FixedPointJ[NoFixedPoints - 1]};
    const Node p1{FixedPointI[NoFixedPoints], FixedPointJ[NoFixedPoints]};
    if (p3.i != p2.i || p2.i != p1.i || !(p3.j + 1 < p1.j)) return;
    if (p3.i < 0 || static_cast<size_t>(p3.i) >= Gridx.extent1() || p3.j < 0 || p2.j < 0 ||
        static_cast<size_t>(std::max(p1.j, p2.j)) >= Gridx.extent2()) {
        return;
    }
    const int i = p3.i;
    const double ax = Gridx[i][p3.j], ay = Gridy[i][p3.j];
    const double bx = Gridx[i][p2.j], by = Gridy[i][p2.j];
    const double cx = Gridx[i][p1.j], cy = Gridy[i][p1.j];
    // The centre from the perpendicular bisectors of the chords A-B and A-C.
    const double d = 2.0 * (ax * (by - cy) + bx * (cy - ay) + cx * (ay - by)) + 1e-20;
    const double a2 = ax * ax + ay * ay, b2 = bx * bx + by * by, c2 = cx * cx + cy * cy;
    const double ux = (a2 * (by - cy) + b2 * (cy - ay) + c2 * (ay - by)) / d;
    const double uy = (a2 * (cx - bx) + b2 * (ax - cx) + c2 * (bx - ax)) / d;
    const double radius = std::hypot(ax - ux, ay - uy);
    // The arc runs from P3 through P2 to P1: anticlockwise when P2 lies on
    // the anticlockwise sweep from P3 to P1, else clockwise the long way.
    const double twoPi = 2.0 * std::acos(-1.0);
    const auto sweep = [&](double x, double y) {
        const double s = std::atan2(y - uy, x - ux) - std::atan2(ay - uy, ax - ux);
        return s < 0.0 ? s + twoPi : s;
    };
    const double toEnd = sweep(cx, cy), toMiddle = sweep(bx, by);
    const double theta = toMiddle < toEnd ? toEnd : -(twoPi - toEnd);
    const double start = std::atan2(ay - uy, ax - ux);
    const int steps = p1.j - p3.j;
    for (int k = 1; k < steps; ++k) {
        const double angle = start + theta * k / steps;
        Gridx[i][p3.j + k] = ux + radius * std::cos(angle);
        Gridy[i][p3.j + k] = uy + radius * std::sin(angle);
    }
}
