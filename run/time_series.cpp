#include "run/time_series.h"

#include <algorithm>
#include <cstddef>

#include "run/globals.h"

std::optional<SeriesPoint> LocateInSeries(const double* times, int count, double t) {
    if (times == nullptr || count <= 0) return std::nullopt;
    if (count == 1) return SeriesPoint{0, 0, 1.0};
    int r = 1;
    while (r < count - 1 && !(times[r] > t)) ++r;
    double w = std::max(0.0, times[r] - t) / (times[r] - times[r - 1] + 1e-20);
    // Equal or falling times (and a NaN time) must still give a blend of the
    // two rows, never a multiple of them.
    if (!(w >= 0.0)) w = 0.0;
    return SeriesPoint{r - 1, r, std::min(w, 1.0)};
}

std::optional<SeriesPoint> LocateInTimei(double t) {
    if (!TimeiTime.exists()) return std::nullopt;
    const int rows = static_cast<int>(std::min(static_cast<size_t>(std::max(NoTimeiSteps, 0)), TimeiTime.size()));
    return LocateInSeries(TimeiTime.data(), rows, t);
}
