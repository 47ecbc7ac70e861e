// The drivers over a depth-averaged block: every outer iteration first
// solves the depth-averaged block, then hands its result to the 3D columns.
// SolveFlow2D gives the columns the whole depth-averaged flow;
// SolveFlow3DHydrostatic only its pressure, and solves U and V in 3D under it
// with W from continuity.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "drivers/convergence.h"
#include "drivers/depth_averaged.h"
#include "drivers/flow_drivers.h"
#include "drivers/water_pass.h"
#include "flow/flow_services.h"
#include "grid/grid_services.h"
#include "output/output_services.h"
#include "quality/quality_services.h"
#include "run/fatal.h"
#include "run/globals.h"
#include "run/log.h"
#include "run/status.h"

namespace {

constexpr double kUnsteadyTimeStep = 1e-8;
constexpr double kRelativeContinuityLimit = 1e-6;
constexpr int kPassesPerStep = 20;
constexpr char kDepthAveragedModule[] = " DE-Voru 2D ";
constexpr char kHydrostaticModule[] = " DE-Voru 3D-Hystat    ";

bool Unsteady() { return TimeStep > kUnsteadyTimeStep; }
bool TurbulenceTransported() { return !(TurbulenceModel >= 4 && TurbulenceModel <= 7); }

enum class Driver { kDepthAveraged, kHydrostatic };

void CopyCells(Array1<double>& to, const Array1<double>& from) {
    if (!to.exists() || !from.exists()) return;
    for (int c = 1; c <= NoCells; ++c) to[c] = from[c];
}

void KeepOldTimeLevel() {
    CopyCells(Cu_old, Cu);
    CopyCells(Cv_old, Cv);
    CopyCells(Cw_old, Cw);
    CopyCells(Ck_old, Ck);
    CopyCells(Cepsilon_old, Cepsilon);
    if (TransientComponentsFlag == 1 && Components.exists() && ComponentsOld.exists()) {
        const int n = std::min({NoComponents, static_cast<int>(Components.extent1()),
                                static_cast<int>(ComponentsOld.extent1())});
        for (int k = 0; k < n; ++k) {
            for (int c = 1; c <= NoCells; ++c) ComponentsOld[k][c] = Components[k][c];
        }
    }
    stime += TimeStep;
}

void SetRange(int firstCell, int lastCell, int firstSurface, int lastSurface) {
    FirstCell = firstCell;
    LastCell = lastCell;
    FirstSurface = firstSurface;
    LastSurface = lastSurface;
}

// Every block but the depth-averaged one; record 0 spans a single block.
void SetThreeDimensionalRange() {
    const BlockRecord& r = NoBlocks >= 2 ? BlockTable[NoBlocks - 1] : BlockTable[0];
    SetRange(1, r.lastCell, 1, r.lastSurface);
}

bool StartUp() {
    metric();
    InitialiseFlowRun();
    if (FlowInitialisedFlag == 0) {
        SetInflowBoundaryConditions();
        ComputeSurfaceFluxes(FirstSurface, LastSurface);
    }
    FlowInitialisedFlag = 1;
    if (NoTimeoRecords > 0 && FlagTSC == 0) CreateEmptyTimeo();
    if (!PairDepthAveragedColumns()) {
        WaterFlowActiveFlag = 0;
        return false;
    }
    for (int c = 0; c <= NoCells; ++c) C2DFlag[c] = 0;
    const BlockRecord& last = BlockTable[NoBlocks];
    for (int c = last.firstCell; c <= last.lastCell; ++c) C2DFlag[c] = 1;
    if (FlagTSC == 0) Iter = 1;
    // A sediment step goes on from the caller's clock.
    if (FlagTSC == 0 && Unsteady()) stime = 0.0;
    return true;
}

// Stops the call: the divergence and continuity stops of a pass.
bool PassFailed() {
    if (ResMax > DivergenceLimit || std::isnan(ResMax)) {
        LogAppend("Solution diverged\n");
        SetStatusText("Solution diverged  ");
        FlowFailedFlag = 1;
        WaterFlowActiveFlag = 0;
        return true;
    }
    if (FreeSurfaceOption == 0 && std::fabs(ContDefect) / ResidualScale[4] > kRelativeContinuityLimit) {
        LogAppend("Error in continuity\n");
        SetStatusText("Error in continuity  ");
        FlowFailedFlag = 1;
        WaterFlowActiveFlag = 0;
        return true;
    }
    return false;
}

// The depth-averaged passes of one outer iteration; false when the call
// must end (divergence, continuity, a failed momentum step).
bool DepthAveragedPasses() {
    SetModuleName(kDepthAveragedModule);
    const int last = kPassesPerStep * NoIterPerStep;
    for (int p = 1; p <= last; ++p) {
        if (GridChangedFlag == 1) {
            GridChangedFlag = 0;
            metric();
            InitialiseFlowRun();
            SetInflowBoundaryConditions();
            ComputeSurfaceFluxes(FirstSurface, LastSurface);
        }
        if (!(p == 1 && Iter == 1)) SetInflowBoundaryConditions();
        Equation = 1;
        const BlockRecord& r = BlockTable[NoBlocks];
        SetRange(r.firstCell, r.lastCell, r.firstSurface, r.lastSurface);
        ComputeEddyViscosity(FirstCell, LastCell);
        ComputeConvectionDiffusionCoefficients(FirstSurface, LastSurface);
        SolveMomentumSimple(2);
        PointAtEntryFields();
        // U was left unsolved and CinvAp half made: nothing to correct.
        if (FlowFailedFlag == 1) {
            WaterFlowActiveFlag = 0;
            return false;
        }
        SolvePressureCorrectionParallel(p);
        if (TurbulenceTransported()) {
            SolveTransportParallel(5);
            SolveTransportParallel(6);
        }
        PointAtEntryFields();
        const int equation = LargestResidualEquation();
        if (p == NoIterPerStep && PrintSkip == 0) {
            LogAppend("Iter: %d, Resid: %8.2e %8.2e %8.2e %8.2e %8.2e %8.2e\n", Iter, MaxResidual[1], MaxResidual[2],
                      MaxResidual[3], MaxResidual[4], MaxResidual[5], MaxResidual[6]);
        }
        SetStatusText("%d ResMax: %8.2e for eq: %d", Iter, ResMax, equation);
        if (PassFailed()) return false;
        if (Unsteady() && ResMax < InnerConvergence) break;
    }
    return true;
}

void TransferToColumns(Driver driver) {
    for (const ColumnPair& pair : ColumnPairs) {
        const int n = pair.depthAveraged;
        ForEachCellOfColumn(pair.top, [&](int c) {
            Pres[c] = Pres[n];
            if (driver == Driver::kHydrostatic) return;
            Cu[c] = Cu[n];
            Cv[c] = Cv[n];
            Cw[c] = 0.0;
            Ck[c] = Ck[n];
            Cepsilon[c] = Cepsilon[n];
            Ceddyvisc[c] = Ceddyvisc[n];
        });
    }
}

void ContinuityDefects() {
    for (int c = FirstCell; c <= LastCell; ++c) {
        Csource[c] = -(Fflux[Csurfe[c]] - Fflux[Csurfw[c]] + Fflux[Csurfn[c]] - Fflux[Csurfs[c]]);
    }
}

void HydrostaticThreeDimensionalPart() {
    SetModuleName(kHydrostaticModule);
    for (int p = 1; p <= NoIterPerStep; ++p) {
        Equation = 1;
        ComputeEddyViscosity(FirstCell, LastCell);
        ComputeConvectionDiffusionCoefficients(FirstSurface, LastSurface);
        SolveMomentumSimple(3);
        if (TurbulenceTransported()) {
            SolveTransportParallel(5);
            SolveTransportParallel(6);
        }
        PointAtEntryFields();
    }
    ComputeSurfaceFluxes(FirstSurface, LastSurface);
    ContinuityDefects();
    ComputeColumnFluxes(ColumnFluxOption);
    if (NoComponents > 0) {
        SolveComponentsSimple();
        if (CompresInterval != 0 && IsMultipleOf(Iter, CompresInterval)) WriteCompresFile();
    }
}

void RunDriver(Driver driver) {
    if (!StartUp()) return;
    if (Iter > iterGlobalMax) {
        WaterFlowActiveFlag = 0;
        return;
    }
    for (; Iter <= iterGlobalMax; ++Iter) {
        if (FlagTSC == 0) PrintSkip = PrintSkipFor(Iter);
        SetRange(1, NoCells, 1, NoSurfaces);
        if (Unsteady()) KeepOldTimeLevel();
        if (!DepthAveragedPasses()) return;
        TransferToColumns(driver);
        SetThreeDimensionalRange();
        if (driver == Driver::kHydrostatic) HydrostaticThreeDimensionalPart();
        if (ResultInterval != 0 && IsMultipleOf(Iter, ResultInterval)) WriteResults();
        WriteTimeoWhenDue();
    }
    WaterFlowActiveFlag = 0;
}

// One column, top first, into a reused buffer.
std::vector<int>& ColumnCells(int top) {
    static std::vector<int> cells;
    cells.clear();
    ForEachCellOfColumn(top, [](int c) { cells.push_back(c); });
    return cells;
}

double WFromFaces(int c) { return 0.0005 * (Fflux[Csurft[c]] + Fflux[Csurfb[c]]) / Farea[Csurft[c]]; }

void FluxesDownFromTop(const std::vector<int>& col) {
    double s = 0.0;
    for (size_t k = 0; k + 1 < col.size(); ++k) {
        s -= Csource[col[k]];
        Fflux[Csurfb[col[k]]] = s;
    }
}

void FluxesUpFromBottom(const std::vector<int>& col) {
    double s = 0.0;
    for (size_t k = col.size() - 1; k >= 1; --k) {
        s -= Csource[col[k]];
        Fflux[Csurft[col[k]]] = s;
    }
}

void ColumnFluxes(int option, const std::vector<int>& col) {
    switch (option) {
        case 4: {
            double d = 0.0, h = 0.0;
            for (int c : col) {
                d += Csource[c];
                h += Ckdist[c];
            }
            for (int c : col) Csource[c] -= Ckdist[c] * d / (h + 1e-20);
            [[fallthrough]];
        }
        case 0: FluxesDownFromTop(col); break;
        case 1: FluxesUpFromBottom(col); break;
        case 2:
        case 3:
            for (int c : col) {
                const double area = Farea[Csurft[c]];
                Cw[c] = option == 2 ? -0.001 * Csource[c] / area : 0.8 * Cw[c] - 0.0002 * Csource[c] / area;
            }
            for (size_t k = 1; k < col.size(); ++k) {
                const int c = col[k], above = col[k - 1];
                const double area = Farea[Csurft[c]];
                const double base = option == 2 ? 0.0 : 0.8 * Fflux[Csurft[c]];
                Fflux[Csurft[c]] = base + (option == 2 ? 500.0 : 100.0) * (Cw[c] + Cw[above]) * area;
            }
            return;
        default: return;
    }
    for (int c : col) Cw[c] = WFromFaces(c);
}

bool InRange(int c) { return c >= FirstCell && c <= LastCell; }

}  // namespace

void ComputeColumnFluxes(int option) {
    if (option < 0 || option > 4) return;
    const bool byTop = option == 0 || option == 4;
    for (int c = FirstCell; c <= LastCell; ++c) {
        if (Ccellt[c] != 0) continue;
        std::vector<int>& col = ColumnCells(c);
        if (col.size() < 2) continue;
        if (!byTop && !InRange(col.back())) continue;
        ColumnFluxes(option, col);
    }
}

int SolveFlow2D() {
    RunDriver(Driver::kDepthAveraged);
    return 0;
}

int SolveFlow3DHydrostatic() {
    RunDriver(Driver::kHydrostatic);
    return 0;
}
