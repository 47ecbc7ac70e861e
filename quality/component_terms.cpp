#include "quality/component_terms.h"

#include "run/time_series.h"
#include "run/timei_data.h"

double TimeiSeriesNow(const Array1<double>& series) {
    const auto at = LocateInTimei(stime);
    if (!at || !series.exists()) return 0.0;
    return at->of([&](int row) { return series[row]; });
}

double TimeiConcNow(int column, double fallback) {
    const auto at = LocateInTimei(stime);
    if (!at || NoTimeiSteps <= 0 || !TimeiConc.exists() || column < 0 ||
        static_cast<size_t>(column) >= TimeiConc.extent2()) {
        return fallback;
    }
    return at->of([&](int row) { return TimeiConc[row][column]; });
}

double LightPath(int c) {
    int above = Ccellt[c];
    if (!IsGridCell(above)) return Ckdist[c];
    double h = Ckdist[c];
    // A column holds at most NoCells cells: a broken chain cannot loop.
    for (int guard = 0; guard < NoCells; ++guard) {
        const int next = Ccellt[above];
        if (!IsGridCell(next)) return h + Ckdist[above];
        h += 2.0 * Ckdist[above];
        above = next;
    }
    return h;
}
