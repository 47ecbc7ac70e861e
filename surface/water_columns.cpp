// The water-column tables after the cells were built or rebuilt.
#include <omp.h>

#include "flow/flow_data.h"
#include "grid/grid_data.h"
#include "run/fatal.h"
#include "run/globals.h"
#include "run/log.h"
#include "run/status.h"
#include "surface/surface_data.h"
#include "surface/surface_services.h"

namespace {

bool HasColumns(const BlockRecord& b) { return b.depthAveraged == 0 && b.gridLevel == 0; }

template <typename F>
void ForEachColumnNode(F f) {
    for (int b = 1; b <= NoBlocks; ++b) {
        const BlockRecord& r = BlockTable[b];
        if (!HasColumns(r)) continue;
        for (int i = r.iFirst; i <= r.iLast; ++i) {
            for (int j = r.jFirst; j <= r.jLast; ++j) f(i, j);
        }
    }
}

void NumberColumns() {
    long total = 0;
    for (int b = 1; b <= NoBlocks; ++b) {
        const BlockRecord& r = BlockTable[b];
        if (HasColumns(r)) total += static_cast<long>(r.iLast - r.iFirst + 1) * (r.jLast - r.jFirst + 1);
    }
    if (total >= static_cast<long>(Bcellt.size()) && total > 0) {
        FailWithLog(-1, "Error: %ld water columns exceed the %zu allocated for them\n", total,
                    Bcellt.size() == 0 ? 0 : Bcellt.size() - 1);
    }
    NoBedCells = static_cast<int>(total);
    for (int i = 0; i <= NoGridLinesX + 1; ++i) {
        for (int j = 0; j <= NoGridLinesY + 1; ++j) pointbed[i][j] = 0;
    }
    int n = 0;
    for (int b = 1; b <= NoBlocks; ++b) {
        BlockRecord& r = BlockTable[b];
        r.firstColumn = n + 1;
        if (HasColumns(r)) {
            for (int i = r.iFirst; i <= r.iLast; ++i) {
                for (int j = r.jFirst; j <= r.jLast; ++j) {
                    ++n;
                    pointbed[i][j] = n;
                    Barea[n] = PlanArea[i][j];
                    Bkooi[n] = i;
                    Bkooj[n] = j;
                    Bnocells[n] = Bcellt[n] = 0;
                    Bdepth[n] = 0.0;
                }
            }
        }
        r.lastColumn = n;
    }
    for (int k = 1; k <= NoBedCells; ++k) {
        if (Binspace.exists()) Binspace[k] = 0.0;
        if (Bslide.exists()) Bslide[k] = 0;
    }
}

// Walks each column from its bottom cell up, giving its cells the column number.
void FillColumns() {
    for (int c = 0; c < MaxCeller && c < static_cast<int>(Cbedcell.size()); ++c) Cbedcell[c] = 0;
    int n = 0;
    ForEachColumnNode([&n](int i, int j) {
        if (++n > NoBedCells) return;
        int c = static_cast<int>(Gridz[i][j][0]);
        if (c < 0 || c > NoCells) c = 0;
        Bcellt[n] = c;
        Bnocells[n] = 0;
        double sum = 0.0;
        // The step bound keeps a damaged top-neighbour chain from looping.
        for (int steps = 0; c > 0 && c <= NoCells && steps <= NoCells; ++steps) {
            Cbedcell[c] = n;
            ++Bnocells[n];
            sum += Ckdist[c];
            c = Ccellt[c];
        }
        Bdepth[n] = 2.0 * sum;
    });
    if (Cbedcell.exists()) Cbedcell[0] = 0;
}

}  // namespace

void UpdateWaterColumnsAfterRegrid() {
    if (!pointbed.exists() || !Bcellt.exists() || !Cbedcell.exists()) return;
    PausePoint(5, "PauseFlag = 5, before interpolation");
    const bool numbering = NoBedCells == 0;
    if (numbering) NumberColumns();
    if (GridRegeneratedFlag == 1) {
        for (int n = 1; n <= NoBedCells; ++n) {
            Bcellt_old[n] = Bcellt[n];
            Bnocells_old[n] = Bnocells[n];
            Bdepth_old[n] = Bdepth[n];
        }
    }
    FillColumns();
    if (numbering && Bconnection.exists() && NoBoundaryCells > 1) ComputeColumnConnections();
    if (Blevelcorr.exists()) {
        for (int n = 1; n <= NoBedCells; ++n) Blevelcorr[n] = 0.0;
    }
    if (Bnocells.exists()) {
        TimingMarks[49] = omp_get_wtime();
        if (GridRegeneratedFlag == 1 && Cu_old.exists()) InterpolateToNewGrid();
        TimingMarks[50] = omp_get_wtime();
        FindDischargeGroupsParallel();
    }
    PausePoint(6, "PauseFlag = 6, after interpolation");
    if (F147Int2 == 0 && Czcenter_old.exists()) {
        for (int c = 1; c <= NoCells; ++c) Czcenter_old[c] = Czcenter[c];
    } else if (F147Int2 == 2 && Ckdist_old.exists()) {
        for (int c = 1; c <= NoCells; ++c) Ckdist_old[c] = Ckdist[c];
    }
}
