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
#include "surface/surface_services.h"

namespace {

void ClearElementZero() {
    for (Array1<int>* a : {&Ccells, &Ccellw, &Ccelln, &Ccelle}) (*a)[0] = 0;
    Pres[0] = 0.0;
    if (Bpressure.exists()) Bpressure[0] = 0.0;
}

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

bool ResultsAroundUpdate() { return ResultStartIteration != 0 && ResultStartIteration < Iter; }

void WriteResultsTitled(const char* title) {
    std::snprintf(ResultTitle, sizeof ResultTitle, "%s", title);
    WriteResults();
}

// Appends one line of the F 36 = 3 trace; a trace that cannot be opened is
// skipped.
void TraceRigidShift(double dh, int top, double level) {
    std::FILE* f = std::fopen("boogie-t", SurfaceTraceHeaderFlag == 0 ? "w" : "a");
    if (f == nullptr) return;
    if (SurfaceTraceHeaderFlag == 0) {
        std::fputs("Time     dh    Czcenter   Ckdist   iSurfLocal  iPres  jPres   zval   ZRef\n", f);
        SurfaceTraceHeaderFlag = 1;
    }
    std::fprintf(f, "%lf %lf %lf %lf %d %d %d %lf %lf\n", stime, dh, Czcenter[top], Ckdist[top], top, iPres, jPres,
                 Gridz[iPres][jPres][NoGridLinesZ], level);
    std::fclose(f);
}

// Shifts every node of the ordinary blocks by the same dh, so the surface
// keeps its shape and the reference node follows the reference level.
void ShiftRigidly(const SurfaceReference& ref) {
    const int k = NoGridLinesZ;
    const double dh = SurfaceZRef - Gridz[iPres][jPres][k];
    // A node line that two blocks share is shifted once, or the surface
    // would step there.
    const size_t nj = Gridz.extent2();
    std::vector<char> shifted(Gridz.extent1() * nj, 0);
    for (int b = 1; b <= std::min(NoBlocks, kMaxBlocks); ++b) {
        const BlockRecord& r = BlockTable[b];
        if (r.gridLevel != 0 || r.depthAveraged != 0) continue;
        for (int i = r.iFirst - 1; i <= r.iLast; ++i) {
            for (int j = r.jFirst - 1; j <= r.jLast; ++j) {
                char& done = shifted[static_cast<size_t>(i) * nj + static_cast<size_t>(j)];
                if (done != 0) continue;
                done = 1;
                Gridz[i][j][k] += dh;
                Gridz[i][j][k + 1] = Gridz[i][j][k];
            }
        }
    }
    if (DebugOption == 'E') TraceRigidShift(dh, ref.top, SurfaceZRef);
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

void CopyFieldsToOld() {
    if (Cu_old2.exists()) {
        for (int c = FirstCell; c <= LastCell; ++c) {
            Cu_old2[c] = Cu_old[c];
            Cv_old2[c] = Cv_old[c];
            Cw_old2[c] = Cw_old[c];
        }
    }
    if (Cu_old.exists()) {
        for (int c = FirstCell; c <= LastCell; ++c) {
            Cu_old[c] = Cu[c];
            Cv_old[c] = Cv[c];
            Cw_old[c] = Cw[c];
            Pres_old[c] = Pres[c];
            Ck_old[c] = Ck[c];
            Cepsilon_old[c] = Cepsilon[c];
        }
    }
}

void RegenerateGrid() {
    CopyFieldsToOld();
    Unstructure();
    metric();
    UpdateWaterColumnsAfterRegrid();
    for (int c = 1; c <= NoCells; ++c) CinvAp[c] = 0.0;
    ComputeSurfaceFluxes(FirstSurface, LastSurface);
    if (MultigridChoice > 0 && NoBlocks >= 1 && BlockTable[std::min(NoBlocks, kMaxBlocks)].depthAveraged == 0) {
        BuildMultigridLevels();
    }
    if (ResultsAroundUpdate()) WriteResultsTitled("Written from surface, after grid update");
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
    if (F128Option == -1) {
        for (int c = 0; c <= NoCells; ++c) Pres[c] = 0.0;
    } else if (F128Option == 2) {
        RaiseSupercriticalPressure(SurfaceZRef, ref.pressure);
    }
    if (TimeAveragingOption > 0) ClearTrendSums();
}

}  // namespace

void surface() {
    if (SurfaceUpdateByOptionFlag > 0) {
        UpdateFreeSurfaceByOption();
        return;
    }
    ClearElementZero();
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
    if (ResultsAroundUpdate()) WriteResultsTitled("Written from surface, before grid update");
    if (FlagTSC == 0 || F166Flag == 1 || MpiPart > 0) RegenerateGrid();
    FinishUpdate(volumeBefore, ref);
}
