// The nearest bed point of each quadrant around a node, found among the
// points near the node instead of among all of them.
#pragma once

#include <vector>

#include "grid/geodata.h"

// The points sorted into square buckets of about two points each. A node
// looks at the rings of buckets around its own, per quadrant, until no
// unseen point can be as near as the one it holds. The choice is that of a
// scan over every point: the least distance, and of equal distances the
// lowest point index.
class QuadrantSearch {
public:
    // The coordinates must be finite. Throws std::bad_alloc when the buckets
    // cannot be held.
    QuadrantSearch(const double* x, const double* y, int n);

    // Quadrant 1 is x >= xg and y >= yg, 2 x < xg and y >= yg, 3 x < xg and
    // y < yg, 4 x >= xg and y < yg. A radius up to kGeodataWindowLimit keeps
    // only points strictly inside the square of that half-width.
    QuadrantPoints nearest(double xg, double yg, double radius) const;

private:
    struct Span {
        int lo, hi;  // inclusive, clipped to the buckets; empty when hi < lo
    };
    struct Best {
        double d;
        int k;
    };

    int column(double x) const;
    int row(double y) const;
    Span span(int centre, int sign, int offset, int buckets) const;
    long long count(Span bx, Span by) const;
    void scanBuckets(int bx, Span by, int sx, int sy, double xg, double yg, double radius, bool windowed,
                     Best* best) const;

    double x0_ = 0, y0_ = 0, h_ = 1;
    int nbx_ = 1, nby_ = 1;
    std::vector<int> start_;          // first sorted point of each bucket (bx outer, by inner), and the end
    std::vector<int> prefix_;         // points in buckets [0, bx) x [0, by), (nbx+1) x (nby+1)
    struct Point {
        double x, y;
        int k;  // index in the file
    };
    std::vector<Point> points_;       // in bucket order
};
