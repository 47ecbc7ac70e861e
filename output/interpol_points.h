// The user points of `interpol` and the cells around each: the nearest top
// cell by its -i/-j bottom corner and the three cells that share that corner,
// each weighted by the inverse of its horizontal distance from the point.
#pragma once

#include <vector>

// Reads `interpol` on the first call of a process; false when there are no
// points to write (no file, or a file without points), now or from before.
bool InterpolPointsKnown();

// The number of points read.
int InterpolPointCount();

// The four columns around a point (c0, south, west, diagonal) with their
// weights, walked down from the top together. A missing partner is cell 0
// with weight 0.
struct PointColumns {
    int cell[4] = {0, 0, 0, 0};
    double weight[4] = {0.0, 0.0, 0.0, 0.0};

    // Sum of weight x f(cell) over the four columns.
    template <class F>
    double WeightedSum(F f) const {
        double sum = 0.0;
        for (int k = 0; k < 4; ++k) {
            if (weight[k] != 0.0) sum += weight[k] * f(cell[k]);
        }
        return sum;
    }
    double WeightSum() const { return weight[0] + weight[1] + weight[2] + weight[3]; }

    // The weighted mean of f over the four, divided by the sum of the weights
    // plus `extra`; 0 when nothing carries weight, so that a point far from
    // every cell reads 0 rather than not-a-number.
    template <class F>
    double Mean(F f, double extra = 0.0) const {
        const double w = WeightSum() + extra;
        return w > 0.0 ? WeightedSum(f) / w : 0.0;
    }

    // Every column moves to the cell below; one without a cell below stays
    // on its bottom cell and, with `dropEnded`, loses its weight. True when
    // at least one column moved.
    bool Down(bool dropEnded);
};

// The columns around user point p; also kept in InterpolCell[p].
PointColumns ColumnsAtPoint(int p);

// The columns around every user point, found once for one call.
std::vector<PointColumns> ColumnsAtAllPoints();
