// What WaterSolve does at the end of every outer iteration: the results
// schedule, the average line, the trend sums of the time averaging and the
// free-surface updates; and the pressure clipping against the reference
// column.
#include <algorithm>
#include <cstdint>

#include "drivers/flow_drivers.h"
#include "drivers/water_pass.h"
#include "grid/metric_steps.h"
#include "output/output_services.h"
#include "run/globals.h"
#include "run/log.h"
#include "surface/surface_services.h"

namespace {

// One metre of water, in Pa.
constexpr double kClipHeadroom = 9810.0;

template <class T>
bool Holds(const Array2<T>& a, int i, int j) {
    return a.exists() && i >= 0 && j >= 0 && static_cast<size_t>(i) < a.extent1() &&
           static_cast<size_t>(j) < a.extent2();
}

bool TrendArraysHold(int i, int j) {
    return Holds(GridTrendN, i, j) && Holds(GridTrendSumX, i, j) && Holds(GridTrendSumXX, i, j) &&
           Holds(GridTrendSumY, i, j) && Holds(GridTrendSumXY, i, j);
}

int TopCellAbove(int bottom) {
    int top = bottom;
    ForEachCellUp(bottom, [&top](int c) { top = c; });
    return top;
}

}  // namespace

bool ResultsDue() {
    return (ResultInterval != 0 && IsMultipleOf(Iter + 1, ResultInterval)) ||
           (ResultStartIteration != 0 && ResultStartIteration < Iter);
}

// One sample of the surface pressure trend at every wet grid node of the
// blocks that take part.
void AddTrendSample() {
    TimeAverageCounter += 1;
    const std::int64_t n = TimeAverageCounter;
    for (int b = 1; b <= std::min(NoBlocks, kMaxBlocks); ++b) {
        const BlockRecord& r = BlockTable[b];
        if (r.gridLevel != 0) continue;
        for (int i = r.iFirst; i <= r.iLast; ++i) {
            for (int j = r.jFirst; j <= r.jLast; ++j) {
                const int bottom = ColumnBottomCell(i, j);
                if (bottom == 0 || !TrendArraysHold(i, j)) continue;
                const double p = Pres[TopCellAbove(bottom)];
                GridTrendN[i][j] += 1;
                GridTrendSumX[i][j] += n;
                GridTrendSumXX[i][j] += n * n;
                GridTrendSumY[i][j] += p;
                GridTrendSumXY[i][j] += static_cast<double>(n) * p;
            }
        }
    }
}

namespace {

bool FreeSurfaceByResidual() { return FreeSurfaceOption >= 2 && FreeSurfaceOption <= 10 && FreeSurfaceOption != 6; }

bool SurfaceUpdateAccepted(double largestResidual) {
    return largestResidual < SurfaceResidualLimit || (SurfaceResidualLimit < 0.0 && MaxResidual[4] < 0.001) ||
           MpiPart > 0 || FreeSurfaceOption == 3;
}

void FreeSurfaceSchedules(double largestResidual) {
    if (FreeSurfaceByResidual() && SurfaceUpdateFlag == 1 && Iter != 0 && AppendedBlockFlag == 0 &&
        IsMultipleOf(Iter, SurfaceInterval)) {
        if (SurfaceUpdateAccepted(largestResidual)) {
            surface();
        } else {
            NoFailedSurfaceUpdates += 1;
        }
    }
    const bool tfsOption = FreeSurfaceOption == 1 || (FreeSurfaceOption >= 11 && FreeSurfaceOption <= 19);
    if (tfsOption && SurfaceUpdateFlag == 1 && Iter != 0 && LayerBlockOption < 2) surface_tfs(0, 1);
    if (LayerBlockOption >= 2 && Iter != 0 && ActiveSlides[0] > 0 && AppendedBlockFlag > 0) surface_tfs(0, 2);
    if (FreeSurfaceOption == 50 && IsMultipleOf(Iter, SurfaceInterval)) UpdateFreeSurfaceOption50();
}

// The bottom cell of the reference column, 0 when F 317 names no wet column
// of block 1.
int ReferenceBottomCell(int j) {
    if (NoBlocks < 1) return 0;
    const BlockRecord& r = BlockTable[1];
    if (j < r.jFirst || j > r.jLast) return 0;
    return ColumnBottomCell(r.iFirst, j);
}

}  // namespace

void WriteResultsWhenDue() {
    if (ResultsDue()) WriteResults();
}

void LogAverageLine(double resMaxSum, int innerIterSum, int outerIterCount) {
    if (PrintSkip != 0 || DebugOption != 'D') return;
    LogAppend("Average max residual: %lf, Average number of inner iterations: %lf\n",
              resMaxSum / (outerIterCount + 1e-20), innerIterSum / (outerIterCount + 1e-20));
}

void RunEndOfIterationSchedules(double largestResidual) {
    WriteResultsWhenDue();
    LogAverageLine(ResMaxSum, InnerIterSum, OuterIterCount);
    if (TimeAveragingOption > 0) AddTrendSample();
    FreeSurfaceSchedules(largestResidual);
}

void ClipPressureToReference() {
    const int j = F317Values[1];
    if (j == 0) return;
    const int bottom = ReferenceBottomCell(j);
    if (bottom == 0) {
        if (ClipReferenceNoticeFlag == 0) {
            LogAppend("Warning: F 317 j line %d has no bottom cell at the first i line of block 1; "
                      "pressures not clipped\n",
                      j);
            ClipReferenceNoticeFlag = 1;
        }
        return;
    }
    const double reference = Pres[bottom];
    for (int c = std::max(FirstCell, 1); c <= std::min(LastCell, NoCells); ++c) {
        if (Pres[c] > reference + kClipHeadroom) Pres[c] = reference;
    }
}
