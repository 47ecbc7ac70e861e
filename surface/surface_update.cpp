// The free-surface update that the water-flow drivers call on their surface
// schedule: the reference, new node levels by F 36, and the grid regenerated
// under them.
#include <cstdio>
#include <cstring>
#include <vector>

#include "drivers/flow_drivers.h"
#include "flow/flow_data.h"
#include "flow/flow_services.h"
#include "grid/grid_services.h"
#include "output/output_services.h"
#include "run/status.h"
#include "solver/solver_services.h"
#include "surface/pressure_levels.h"
#include "surface/surface_data.h"
#include "surface/surface_levels.h"
#include "surface/surface_regeneration.h"
#include "surface/surface_services.h"

namespace {

// The sum of the four corner levels of every column of the surface blocks
// times its plan area: four times the water volume above a fixed datum.
// Each block sums its own columns, so no node line before the array is read.
double CornerLevelVolume() {
    const int k = NoGridLinesZ;
    double v = 0.0;
    ForEachSurfaceBlock([&v, k](const BlockRecord& r) {
        for (int i = r.iFirst; i <= r.iLast; ++i) {
            for (int j = r.jFirst; j <= r.jLast; ++j) {
                const int c = GridColumnBottom(i, j);
                if (c == 0) continue;
                v += (Gridz[i][j][k] + Gridz[i - 1][j][k] + Gridz[i][j - 1][k] + Gridz[i - 1][j - 1][k]) *
                     Barea[Cbedcell[c]];
            }
        }
    });
    return v;
}

// Shifts every node of the ordinary blocks by the same dh, so the surface
// keeps its shape and the reference node follows the reference level.
void ShiftRigidly(const SurfaceReference& ref) {
    const double dh = SurfaceZRef - Gridz[iPres][jPres][NoGridLinesZ];
    ShiftSurfaceNodes(dh, false, 0.0, false);
    if (DebugOption == 'E') TraceSurfaceShift(SurfaceTraceHeaderFlag, dh, ref.top, SurfaceZRef);
}

void MoveByPressure(const SurfaceReference& ref) {
    NodePressureMethod m;
    m.zRef = SurfaceZRef;
    m.froude = true;
    const bool trend = TimeAveragingOption == 1 || TimeAveragingOption == 2;
    if (trend) {
        TurnTrendSumsIntoValues();
        m.trend = true;
        m.presRef = GridTrendSumY[iPres][jPres];
    } else {
        m.presRef = ref.pressure;
    }
    if (ref.top2 > 0) {
        m.second = true;
        m.zRef2 = ref.level2;
        m.presRef2 = ref.pressure2;
        m.x1 = Cxcenter[ref.top];
        m.y1 = Cycenter[ref.top];
        m.x2 = Cxcenter[ref.top2];
        m.y2 = Cycenter[ref.top2];
        m.froude = trend;
    } else {
        m.columnPressure = !trend && (SurfaceVariant == 6 || SurfaceVariant == 7) && Bpressure.exists();
    }
    MoveNodesByPressure(m);
}

void NewLevels(const SurfaceReference& ref) {
    switch (FreeSurfaceOption) {
        case 3: ShiftRigidly(ref); break;
        case 4:
        case 7:
        case 8:
        case 9: SolveDriverLevelEquation(SurfaceZRef, ref.level2, ref.top); break;
        case 5:
        case 6: BuildSurfaceEquationColumnFlux(); break;
        case 10:
            // The reference column is solved at the reference level less the
            // head of its top pressure, so that its nodes, which add that head
            // back, stand at the reference level. The level is not lowered
            // for good: the pressure correction shifts the pressure's constant
            // a little in every iteration, and summed from update to update
            // that shift would lift the water without end.
            SetWaterLevelCoefficients(ref.top, SurfaceZRef - kHeadPerPascal * Pres[ref.top]);
            break;
        default: MoveByPressure(ref); break;
    }
}

void ClearTrendSums() {
    TimeAverageCounter = 0;
    if (!GridTrendN.exists()) return;
    ForEachSurfaceBlock([](const BlockRecord& r) {
        for (int i = r.iFirst; i <= r.iLast; ++i) {
            for (int j = r.jFirst; j <= r.jLast; ++j) {
                GridTrendN[i][j] = GridTrendSumX[i][j] = GridTrendSumXX[i][j] = 0;
                GridTrendSumY[i][j] = GridTrendSumXY[i][j] = 0.0;
            }
        }
    });
}

void FinishUpdate(double volumeBefore, const SurfaceReference& ref) {
    if (F271Option > 0 && Blevelcorr.exists()) {
        for (int b = 1; b <= NoBedCells; ++b) Blevelcorr[b] = 0.0;
    }
    if (ReservoirBalanceMode > 0) SurfaceVolumeChange = 0.25 * (volumeBefore - CornerLevelVolume());
    GridChangedFlag = 1;
    if (F128Option != 0) RaiseSupercriticalPressure(SurfaceZRef, ref.pressure);
    if (TimeAveragingOption > 0) ClearTrendSums();
}

}  // namespace

void surface() {
    if (SurfaceUpdateByOptionFlag > 0) {
        UpdateFreeSurfaceByOption();
        return;
    }
    ClearSurfaceElementZero();
    const double volumeBefore = ReservoirBalanceMode > 0 ? CornerLevelVolume() : 0.0;
    if (BlockCouplingOption == 4) AverageCoupledPressure();
    const bool froude = (FreeSurfaceOption >= 7 && FreeSurfaceOption <= 9) ||
                        ((SurfaceVariant == 6 || SurfaceVariant == 7) && Bpressure.exists());
    if (froude) {
        for (int b = 1; b <= std::min(NoBlocks, kMaxBlocks); ++b) {
            if (BlockTable[b].gridLevel == 0) ComputeFroudeNumbers(BlockTable[b].firstColumn, BlockTable[b].lastColumn);
        }
    }
    if (F316Option == 8) ClipPressureToReference();
    if (Surface2DOption >= 1 && Surface2DOption <= 9) {
        surface2DLL();
        return;
    }

    const SurfaceReference ref = FindSurfaceReference(SurfaceZRef);
    NewLevels(ref);

    if (ZRefGroup > 0 && Bkooi.exists()) SetGroupLevelsTo(SurfaceZRef);
    if (GroupLevelAdjustOption != 0) AdjustLevelsAtGroups(SurfaceZRef);
    if (BlockCouplingOption == 3 || BlockCouplingOption == 5) AdjustCoupledBlockLevels();
    if (SurfaceSmoothingOption > 0) SmoothWaterSurface();
    if (SurfaceResultsDue()) WriteSurfaceResults("Written from surface, before grid update");
    if (FlagTSC == 0 || F166Flag == 1 || MpiPart > 0) RegenerateUnderSurface({});
    FinishUpdate(volumeBefore, ref);
}
