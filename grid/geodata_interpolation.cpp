// Bed levels of the structured nodes from the bed points around them: the
// nearest point of each quadrant, weighted by distance.
#include <omp.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "grid/geodata.h"
#include "grid/geodata_search.h"
#include "grid/grid_services.h"
#include "run/fatal.h"
#include "run/globals.h"
#include "run/log.h"
#include "run/region_fatal.h"
#include "run/status.h"
#include "run/text_format.h"
#include "run/output_file.h"

namespace {

// Letter V without a bed-point file, as for a grid file that cannot be opened.
constexpr int kGeodataMissingStatus = -2;
constexpr double kTinyDistance = 1e-20;
constexpr int kPairwiseWeights = 1;

// d / sum, or an even share where both distances vanish.
double Share(double d, double sum) { return sum > 0.0 ? d / sum : 0.5; }

// What one block's region shares with its threads.
struct BlockWork {
    int iFirst, iLast, jFirst, jLast;
    double exactDistance;  // d0: with the debug option a point this near is the level
    const QuadrantSearch* search;
};

// The node's level, and its lines for `boogie.bed`.
void InterpolateNode(const BlockWork& w, int i, int j, std::string* log) {
    const double xg = Gridx[i][j], yg = Gridy[i][j];
    const QuadrantPoints q = w.search->nearest(xg, yg, GeodataSearchRadius);
    const bool debug = DebugOption == 'D';
    if (debug) {
        for (int t : {3, 2, 1, 0}) {
            if (q.point[t] >= 0 && q.distance[t] < w.exactDistance) {
                Gridz[i][j][1] = GeodataZ[q.point[t]];
                AppendFormat(*log, "Using exact value for %d %d: %lf\n", i, j, GeodataZ[q.point[t]]);
                return;
            }
        }
        AppendFormat(*log, "Interpolation point (%6d,%6d) from %6d %6d %6d %6d\n", i, j, q.point[0], q.point[1],
                     q.point[2], q.point[3]);
    }
    const NodeLevel n = LevelFromQuadrants(q, GeodataZ.data(), F129Flag);
    Gridz[i][j][1] = n.level;
    if (n.approximate) {
        if (n.found == 0) {
            AppendFormat(*log, "\nWarning, null value first loop for i,j=%d %d\n", i, j);
        } else {
            AppendFormat(*log, "\nWarning, using approximate value for i,j=%d %d\n", i, j);
        }
        AppendFormat(*log, "Warning, scewed value for i,j=%d %d\n", i, j);
    }
    if (debug) {
        double zq[4];
        for (int t = 0; t < 4; ++t) zq[t] = q.point[t] >= 0 ? GeodataZ[q.point[t]] : 0.0;
        AppendFormat(*log, "Details point (%d,%d) z-value: %lf ", i, j, n.level);
        AppendFormat(*log, "d: %lf %lf %lf %lf, w: %lf %lf %lf %lf, zg: %lf %lf %lf %lf\n", q.distance[0],
                     q.distance[1], q.distance[2], q.distance[3], n.weight[0], n.weight[1], n.weight[2], n.weight[3],
                     zq[0], zq[1], zq[2], zq[3]);
    }
}

// One thread's contiguous chunk of the block's node rows.
void InterpolateGeodataBody(const BlockWork& w, std::string* log) {
    const int rows = w.iLast - w.iFirst + 2;
    const int threads = omp_get_num_threads();
    const int chunk = (rows + threads - 1) / threads;
    const int from = omp_get_thread_num() * chunk;
    const int to = std::min(from + chunk, rows);
    for (int r = from; r < to; ++r) {
        for (int j = w.jFirst - 1; j <= w.jLast; ++j) InterpolateNode(w, w.iFirst - 1 + r, j, log);
    }
}

bool Interpolated(const BlockRecord& b) { return b.field8 == 1 && b.depthAveraged != 1 && b.gridLevel == 0; }

// The block's nodes that lie on the structured arrays.
bool NodesOnGrid(const BlockRecord& b) {
    return b.iFirst >= 1 && b.jFirst >= 1 && static_cast<size_t>(b.iLast) < Gridx.extent1() &&
           static_cast<size_t>(b.jLast) < Gridx.extent2();
}

void InterpolateBlock(int b, const QuadrantSearch& search, FILE* log) {
    const BlockRecord& r = BlockTable[b];
    if (!NodesOnGrid(r)) {
        LogAppend("Error, block %d lies outside the structured grid; its bed levels are not interpolated\n", b);
        return;
    }
    const BlockWork w{r.iFirst, r.iLast, r.jFirst, r.jLast, GeodataReportDistance, &search};
    // Each thread collects its lines; they are written in row order after the
    // region, so the log does not depend on the thread count.
    std::vector<std::string> lines(static_cast<size_t>(std::max(1, omp_get_max_threads())));
#pragma omp parallel
    {
        const size_t t = static_cast<size_t>(omp_get_thread_num());
        try {
            if (t < lines.size()) InterpolateGeodataBody(w, &lines[t]);
        } catch (const std::bad_alloc&) {
            FailAnywhere(-3, "Error, out of memory while interpolating the bed levels of block %d\n", b);
        }
    }
    ReportRegionFatal();
    for (const std::string& l : lines) std::fputs(l.c_str(), log);
}

// Why no bed level could be interpolated; the levels stay as they were.
// Letter V asked for the bed levels: a run that goes on with the bed it had
// would pass for one that interpolated them.
[[noreturn]] void ReportNoPoints(double readResult) {
    SetStatusText("No bed points from geodata ");
    if (readResult == kGeodataLogUnavailable) {
        FailWithLog(kOutputUnwritableStatus, "Error, cannot create file '%s'; the bed levels are not interpolated\n",
                    kGeodataLogName);
    }
    if (readResult == kGeodataMissing) {
        FailWithLog(kGeodataMissingStatus, "Error, cannot open the geodata file; the bed levels are not interpolated\n");
    }
    FailWithLog(kUnstrucBadFile,
                "Error, no bed points could be read from the geodata file; the bed levels are not interpolated\n");
}

}  // namespace

NodeLevel LevelFromQuadrants(const QuadrantPoints& q, const double* z, int weights) {
    NodeLevel n{};
    bool has[4];
    double zq[4];
    const double* d = q.distance;
    for (int t = 0; t < 4; ++t) {
        has[t] = q.point[t] >= 0;
        zq[t] = has[t] ? z[q.point[t]] : 0.0;
        n.found += has[t] ? 1 : 0;
    }
    const bool pair13 = has[0] && has[2], pair24 = has[1] && has[3];
    if (pair13 && pair24 && weights == kPairwiseWeights) {
        const double a = Share(d[2], d[0] + d[2]);
        const double b = Share(d[3], d[1] + d[3]);
        const double c = Share(d[0] + d[2], d[0] + d[1] + d[2] + d[3]);
        n.level = c * (b * zq[1] + (1 - b) * zq[3]) + (1 - c) * (a * zq[0] + (1 - a) * zq[2]);
        n.weight[0] = (1 - c) * a;
        n.weight[1] = c * b;
        n.weight[2] = (1 - c) * (1 - a);
        n.weight[3] = c * (1 - b);
    } else if (pair13 && pair24) {
        double inverse[4], sum = 0.0;
        for (int t = 0; t < 4; ++t) {
            inverse[t] = 1.0 / (d[t] + kTinyDistance);
            sum += inverse[t];
        }
        for (int t = 0; t < 4; ++t) {
            n.weight[t] = inverse[t] / sum;
            n.level += n.weight[t] * zq[t];
        }
    } else if (pair13) {
        const double a = Share(d[2], d[0] + d[2]);
        n.level = a * zq[0] + (1 - a) * zq[2];
        n.weight[0] = a;
        n.weight[2] = 1 - a;
    } else if (pair24) {
        const double b = Share(d[3], d[1] + d[3]);
        n.level = b * zq[1] + (1 - b) * zq[3];
        n.weight[1] = b;
        n.weight[3] = 1 - b;
    } else {
        n.approximate = true;
        double sum = 0.0;
        for (int t = 0; t < 4; ++t) {
            if (!has[t]) continue;
            sum += zq[t];
            n.weight[t] = 1.0 / n.found;
        }
        n.level = n.found > 0 ? sum / n.found : 0.0;
    }
    return n;
}

void InterpolateGeodata() {
    if (NoGeodataPoints == 0) {
        const double read = ReadGeodataFile();
        if (NoGeodataPoints == 0) ReportNoPoints(read);
    }
    std::unique_ptr<FILE, int (*)(FILE*)> log(OpenPlainOutput(kGeodataLogName, true), std::fclose);
    if (!log) ReportNoPoints(kGeodataLogUnavailable);
    std::optional<QuadrantSearch> search;
    try {
        search.emplace(GeodataX.data(), GeodataY.data(), NoGeodataPoints);
    } catch (const std::bad_alloc&) {
        SetStatusText("Could not allocate memory for geodata ");
        FailWithLog(-3, "Error, could not allocate memory to sort the %d bed points\n", NoGeodataPoints);
    }
    for (int b = 1; b <= NoBlocks; ++b) {
        if (!Interpolated(BlockTable[b])) continue;
        SetStatusText(" Interpolating block %d ", b);
        InterpolateBlock(b, *search, log.get());
    }
    SetStatusText("Finished bed interpolation");
}
