#include "grid/geodata_search.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

namespace {

constexpr double kPointsPerBucket = 2.0;
constexpr int kMaxBucketsPerSide = 4096;
// A point in ring r >= 1 of buckets around the node's bucket is more than
// (r - 1) bucket widths away in x or in y. The rounding of the bucket
// indexes and of the distance costs far less than this share of it.
constexpr double kRingBoundShare = 1.0 - 1e-9;
// Below this bucket width the rounding argument no longer holds: one bucket.
constexpr double kSmallestBucket = 1e-150;

int Clamp(double v, int n) {
    if (!(v >= 0.0)) return 0;  // also NaN
    if (v >= n) return n - 1;
    return static_cast<int>(v);
}

int BucketsAlong(double extent, double h) {
    const double n = std::ceil(extent / h);
    if (!(n >= 1.0)) return 1;
    return n >= kMaxBucketsPerSide ? kMaxBucketsPerSide : static_cast<int>(n);
}

}  // namespace

QuadrantSearch::QuadrantSearch(const double* x, const double* y, int n) {
    n = std::max(n, 0);
    double xmin = DBL_MAX, xmax = -DBL_MAX, ymin = DBL_MAX, ymax = -DBL_MAX;
    for (int k = 0; k < n; ++k) {
        xmin = std::min(xmin, x[k]);
        xmax = std::max(xmax, x[k]);
        ymin = std::min(ymin, y[k]);
        ymax = std::max(ymax, y[k]);
    }
    if (n > 0) {
        x0_ = xmin;
        y0_ = ymin;
        const double w = xmax - xmin, ht = ymax - ymin;
        const double target = std::max(1.0, n / kPointsPerBucket);
        double h = std::sqrt(w / target * ht);
        // Points along a line: the buckets follow it.
        if (!(h > 0.0)) h = std::max(w, ht) / target;
        if (std::isfinite(h) && h >= kSmallestBucket) {
            nbx_ = BucketsAlong(w, h);
            nby_ = BucketsAlong(ht, h);
            // Square buckets that cover every point after the caps.
            h_ = std::max(w / nbx_, ht / nby_);
        }
        if (!(std::isfinite(h_) && h_ >= kSmallestBucket)) {
            nbx_ = nby_ = 1;
            h_ = 1.0;
        }
    }
    const size_t buckets = static_cast<size_t>(nbx_) * static_cast<size_t>(nby_);
    std::vector<int> bucketOf(static_cast<size_t>(n));
    start_.assign(buckets + 1, 0);
    for (int k = 0; k < n; ++k) {
        const int b = column(x[k]) * nby_ + row(y[k]);
        bucketOf[static_cast<size_t>(k)] = b;
        ++start_[static_cast<size_t>(b) + 1];
    }
    for (size_t b = 0; b < buckets; ++b) start_[b + 1] += start_[b];

    prefix_.assign(static_cast<size_t>(nbx_ + 1) * static_cast<size_t>(nby_ + 1), 0);
    const size_t stride = static_cast<size_t>(nby_) + 1;
    for (int bx = 0; bx < nbx_; ++bx) {
        for (int by = 0; by < nby_; ++by) {
            const size_t b = static_cast<size_t>(bx) * static_cast<size_t>(nby_) + static_cast<size_t>(by);
            const int inBucket = start_[b + 1] - start_[b];
            const size_t at = static_cast<size_t>(bx + 1) * stride + static_cast<size_t>(by + 1);
            prefix_[at] = inBucket + prefix_[at - 1] + prefix_[at - stride] - prefix_[at - stride - 1];
        }
    }

    // A stable counting sort keeps the points of a bucket in index order.
    points_.resize(static_cast<size_t>(n));
    std::vector<int> next(start_.begin(), start_.end() - 1);
    for (int k = 0; k < n; ++k) {
        const size_t at = static_cast<size_t>(next[static_cast<size_t>(bucketOf[static_cast<size_t>(k)])]++);
        points_[at] = Point{x[k], y[k], k};
    }
}

int QuadrantSearch::column(double x) const { return Clamp((x - x0_) / h_, nbx_); }
int QuadrantSearch::row(double y) const { return Clamp((y - y0_) / h_, nby_); }

// Offsets 0..offset from `centre` in the direction `sign`, clipped.
QuadrantSearch::Span QuadrantSearch::span(int centre, int sign, int offset, int buckets) const {
    Span s = sign > 0 ? Span{centre, centre + offset} : Span{centre - offset, centre};
    s.lo = std::max(s.lo, 0);
    s.hi = std::min(s.hi, buckets - 1);
    return s;
}

long long QuadrantSearch::count(Span bx, Span by) const {
    if (bx.hi < bx.lo || by.hi < by.lo) return 0;
    const size_t stride = static_cast<size_t>(nby_) + 1;
    auto at = [&](int i, int j) {
        return static_cast<long long>(prefix_[static_cast<size_t>(i) * stride + static_cast<size_t>(j)]);
    };
    return at(bx.hi + 1, by.hi + 1) - at(bx.lo, by.hi + 1) - at(bx.hi + 1, by.lo) + at(bx.lo, by.lo);
}

// The points of buckets (bx, by.lo..by.hi), which lie together.
void QuadrantSearch::scanBuckets(int bx, Span by, int sx, int sy, double xg, double yg, double radius,
                                 bool windowed, Best* best) const {
    if (by.hi < by.lo) return;
    const size_t base = static_cast<size_t>(bx) * static_cast<size_t>(nby_);
    const int from = start_[base + static_cast<size_t>(by.lo)];
    const int to = start_[base + static_cast<size_t>(by.hi) + 1];
    for (int p = from; p < to; ++p) {
        const auto [x, y, k] = points_[static_cast<size_t>(p)];
        if (!(sx > 0 ? x >= xg : x < xg) || !(sy > 0 ? y >= yg : y < yg)) continue;
        const double dx = x - xg, dy = y - yg;
        if (windowed && !(std::fabs(dx) < radius && std::fabs(dy) < radius)) continue;
        const double d = std::sqrt(dx * dx + dy * dy);
        if (d < best->d || (d == best->d && k < best->k)) *best = Best{d, k};
    }
}

QuadrantPoints QuadrantSearch::nearest(double xg, double yg, double radius) const {
    QuadrantPoints q;
    const bool windowed = radius <= kGeodataWindowLimit;
    const int cx = column(xg), cy = row(yg);
    for (int quadrant = 0; quadrant < 4; ++quadrant) {
        const int sx = quadrant == 0 || quadrant == 3 ? 1 : -1;
        const int sy = quadrant <= 1 ? 1 : -1;
        // A point of the quadrant lies in no bucket behind the node's own.
        const long long inQuarter = count(span(cx, sx, nbx_, nbx_), span(cy, sy, nby_, nby_));
        Best best{kGeodataEmptyDistance, -1};
        for (int r = 0;; ++r) {
            if (r >= 2) {
                const double bound = (r - 1) * h_ * kRingBoundShare;
                if (best.d <= bound || (windowed && bound >= radius)) break;
            }
            const long long seen = r == 0 ? 0 : count(span(cx, sx, r - 1, nbx_), span(cy, sy, r - 1, nby_));
            if (seen == inQuarter) break;
            if (r == 0) {
                scanBuckets(cx, Span{cy, cy}, sx, sy, xg, yg, radius, windowed, &best);
                continue;
            }
            // Ring r: the column of buckets r away in x, then the row r away
            // in y without the corner the column took.
            const int bx = cx + sx * r;
            if (bx >= 0 && bx < nbx_) scanBuckets(bx, span(cy, sy, r, nby_), sx, sy, xg, yg, radius, windowed, &best);
            const int by = cy + sy * r;
            if (by < 0 || by >= nby_) continue;
            const Span along = span(cx, sx, r - 1, nbx_);
            if (count(along, Span{by, by}) == 0) continue;
            for (int b = along.lo; b <= along.hi; ++b) scanBuckets(b, Span{by, by}, sx, sy, xg, yg, radius, windowed, &best);
        }
        q.point[quadrant] = best.k;
        q.distance[quadrant] = best.d;
    }
    return q;
}
