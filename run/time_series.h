// Linear interpolation in a series of rows with rising times.
//
// Every reader of a time series (the `timei` rows, the vegetation time steps,
// the `inspace` profiles) locates a time the same way, so that no reader can
// run off either end of its rows: no rows give no series, one row gives that
// row, a time before the first row gives the first row and a time after the
// last row gives the last.
#pragma once

#include <optional>

// Where a time falls among the rows: the value there is
// lowerWeight * value(lower) + (1 - lowerWeight) * value(upper).
struct SeriesPoint {
    int lower = 0;
    int upper = 0;
    double lowerWeight = 1.0;

    template <class Value>
    double of(Value value) const {
        return lowerWeight * value(lower) + (1.0 - lowerWeight) * value(upper);
    }
};

// Rows 0..count-1 at times[row]. Between two rows the weight is that of the
// engine's series: the upper row is the first from row 1 on whose time
// exceeds t (at most the last row), and the weight of the row below it is
// (time of the upper row - t) / (the rows' time difference + 1e-20), kept
// within 0 and 1.
std::optional<SeriesPoint> LocateInSeries(const double* times, int count, double t);

// The same over the `timei` rows TimeiTime[0..NoTimeiSteps-1]; no series in
// a steady run, whose `timei` arrays do not exist.
std::optional<SeriesPoint> LocateInTimei(double t);
