// The default bed change of a morphology time step (F 255 0) and the
// follow-up that all bed-change routines share: node links of coupled
// blocks, outflow defect, slope limiting, intermediate results and the
// grid regenerated every F 99 iterations.
#include "sediment/bed_change.h"

#include <algorithm>
#include <cmath>

#include "drivers/water_pass.h"
#include "flow/cell_lookup.h"
#include "flow/flow_services.h"
#include "grid/grid_services.h"
#include "grid/level_blocks.h"
#include "run/globals.h"
#include "sediment/sediment_services.h"
#include "surface/groundwater.h"
#include "surface/surface_levels.h"
#include "surface/surface_regeneration.h"
#include "surface/surface_services.h"

namespace {

bool SelectedBlock(const BlockRecord& r) { return r.depthAveraged == 0 && r.gridLevel == 0 && r.field11 == 1; }

// The suspended sediment of the active cells, sizes 1..NoSizes (m3).
double SuspendedVolume() {
    if (!conc.exists() || !Cvol.exists()) return 0.0;
    const int sizes = std::min(NoSizes, static_cast<int>(conc.extent1()) - 1);
    const int last = std::min({LastCell, static_cast<int>(conc.extent2()) - 1, static_cast<int>(Cvol.size()) - 1});
    double sum = 0.0;
    for (int s = 1; s <= sizes; ++s) {
        for (int c = std::max(FirstCell, 1); c <= last; ++c) sum += Cvol[c] * conc[s][c];
    }
    return sum;
}

void CopyNode(int fromI, int fromJ, int toI, int toJ) {
    if (!IsGridNode(fromI, fromJ) || !IsGridNode(toI, toJ)) return;
    Gridz[toI][toJ][1] = Gridz[fromI][fromJ][1];
    GridLevels[1][toI][toJ] = GridLevels[1][fromI][fromJ];
}

void Regenerate(bool timeStamps) {
    auto stamp = [timeStamps](int slot) {
        if (timeStamps) Stamp(slot);
    };
    stamp(41);
    Unstructure();
    stamp(42);
    if (NoGridLevels > 0) BuildGridLevelBlocks();
    stamp(43);
    metric();
    stamp(48);
    UpdateWaterColumnsAfterRegrid();
    stamp(51);
    for (int c = std::max(FirstCell, 1); c <= std::min(LastCell, static_cast<int>(CinvAp.size()) - 1); ++c) CinvAp[c] = 0.0;
    ComputeSurfaceFluxes(FirstSurface, LastSurface);
    if (SurfaceResultsDue()) WriteSurfaceResults("Written from bedchange, after grid update");
}

}  // namespace

void DistributeBedChangeToCorners() {
    const CornerRules rules;
    for (int k = 1; k <= std::min(NoBlocks, kMaxBlocks); ++k) {
        const BlockRecord& r = BlockTable[k];
        if (!SelectedBlock(r)) continue;
        const ColumnBlock block{r.iFirst, r.iLast, r.jFirst, r.jLast};
        for (int i = r.iFirst; i <= r.iLast; ++i) {
            for (int j = r.jFirst; j <= r.jLast; ++j) {
                const int c = GridColumnBottom(i, j);
                if (c < 1) continue;
                DistributeColumnChange(i, j, Cbedcell[c], c, block, rules);
            }
        }
    }
}

void FollowChildBlockNodes() {
    if (!GridSlideLevel.exists() || NoBoundaryCells <= 1 || NoBlocks <= 0) return;
    for (int k = std::min(NoBlocks, kMaxBlocks); k >= 1; --k) {
        const BlockRecord& r = BlockTable[k];
        if (r.overlapLevel > 1) continue;
        for (int i = r.iFirst - 1; i <= r.iLast; ++i) {
            for (int j = r.jFirst - 1; j <= r.jLast; ++j) {
                if (!IsGridNode(i, j) || static_cast<size_t>(i) >= GridSlideLevel.extent1() ||
                    static_cast<size_t>(j) >= GridSlideLevel.extent2()) {
                    continue;
                }
                const int li = GridSlideLevel[i][j][0], lj = GridSlideLevel[i][j][1];
                if (li > 0) CopyNode(li, lj, i, j);
            }
        }
    }
}

void FollowConnectedColumns() {
    if (!Bconnection.exists() || NoBoundaryCells <= 1 || NoBedCells <= 0) return;
    const int last = std::min(NoBedCells, static_cast<int>(Bconnection.size()) - 1);
    for (int b = 1; b <= last; ++b) {
        const int p = Bconnection[b];
        if (p > 0 && p <= NoBedCells) CopyNode(Bkooi[b], Bkooj[b], Bkooi[p], Bkooj[p]);
    }
}

void FinishBedChange(bool timeStamps) {
    if (BedOutflowDefectOption != 0) ComputeBedOutflowDefect();
    if (BedSlopeLimitOption > 0 || BedGridMoveFlag >= 1) MoveGridPointsFromBedChange();
    if (SurfaceResultsDue()) WriteSurfaceResults("Written from bedchange, before grid update");
    const double before = SuspendedVolume();
    if (timeStamps) {
        Stamp(39);
        Stamp(40);
    }
    if (std::fabs(std::fmod(static_cast<double>(Iter - 1), static_cast<double>(RegridInterval))) < 0.001) {
        Regenerate(timeStamps);
    }
    const double after = SuspendedVolume();
    SuspVolumeChangeDefect += (before - after) * 1000.0 * SedRelativeDensity;
}

void ComputeBedChange() {
    if (DebugOption == 'P') Stamp(37);
    if (Barea.exists()) Barea[0] = 0.0;
    if (F144Option == 5) ComputeBedMoveFromFluxes();
    DistributeBedChangeToCorners();
    if (DebugOption == 'P') Stamp(38);
    if (F144Option == 1 || F144Option == 3 || F144Option == 6) ComputeBedMoveFromFluxes();
    if (BankFailureOption > 0) ComputeSeepageBankErosion();
    FollowChildBlockNodes();
    FinishBedChange(true);
}
