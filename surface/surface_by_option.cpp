// The free-surface update by option (F 323, and the groundwater computation):
// one level algorithm per F 36, around the reference of FindReferenceCell,
// then the grid regenerated under the new surface.
#include <algorithm>

#include "drivers/flow_drivers.h"
#include "flow/flow_data.h"
#include "solver/solver_services.h"
#include "surface/level_equations.h"
#include "surface/surface_data.h"
#include "surface/surface_levels.h"
#include "surface/surface_regeneration.h"
#include "surface/surface_services.h"

namespace {

void ClearSolution(int first, int last) {
    for (int c = std::max(first, 0); c <= std::min(last, NoCells); ++c) Cf[c] = 0.0;
}

void CheckSolved(bool alsoD) {
    if (DebugOption == 'E' || (alsoD && DebugOption == 'D')) CheckSurfaceCoefficients();
    Cf[0] = 0.0;
}

void ShiftToReference(int top) {
    const double dh = ZRef - Gridz[iPres][jPres][NoGridLinesZ];
    // With a layer block (F 236) the surface is laid flat at the reference.
    ShiftSurfaceNodes(dh, LayerBlockOption != 0, ZRef, true);
    if (DebugOption == 'E' && IsGridCell(top)) TraceSurfaceShift(OptionTraceHeaderFlag, dh, top, ZRef);
}

void SolveLevelNine() {
    BuildSurfaceEquationF36Nine();
    if (SurfaceExtraTermsFlag == 1) AddSurfaceEquationTermsF36Nine();
    FixReferenceLevel();
    if (NoRatingCurves > 0) SetRatingCurveLevels();
    if (PlanSolverOption == 2) BlockCorrectSurfaceEquation();
    SolvePlanEquation(CriticalLevelFlag > 0 ? 43 : 4);
    CheckSolved(true);
    ApplyLevelCorrection();
}

void SolveLevelSeven() {
    BuildSurfaceEquationF36Seven();
    FixReferenceLevel();
    ClearSolution(FirstCell, LastCell);
    SolvePlanEquation(CriticalLevelFlag > 0 ? 83 : 8);
    CheckSolved(false);
    if (LevelCorrectionVariant == 0) {
        ApplyLevelCorrection();
    } else {
        ApplyLevelCorrectionAlt();
    }
    if (FroudeLevelLimitOption != 0) LimitSurfaceByFroude();
    if (F271Option == 3 || F271Option == 4) CopyLevelToColumns();
}

void NewLevels(int top) {
    switch (FreeSurfaceOption) {
        case 3: ShiftToReference(top); break;
        case 5:
        case 6: BuildSurfaceEquationColumnFlux(); break;
        case 4:
            BuildSurfaceEquationF36Four();
            ClearSolution(0, NoCells);
            SolvePlanEquation(4);
            CheckSolved(true);
            ApplyLevelCorrection();
            break;
        case 8:
            BuildSurfaceEquationF36Eight();
            ClearSolution(FirstCell, LastCell);
            SolvePlanEquation(8);
            CheckSolved(false);
            ApplyLevelCorrection();
            break;
        case 9: SolveLevelNine(); break;
        case 10:
            if (!IsGridCell(top)) break;
            ZRef -= kHeadPerPascal * Pres[top];
            SetWaterLevelCoefficients(top, ZRef);
            break;
        case 7: SolveLevelSeven(); break;
        case 0:
        case 2: SolveSurfaceFromPressure(); break;
        default: break;  // the other options move their levels elsewhere
    }
}

}  // namespace

void UpdateFreeSurfaceByOption() {
    ClearSurfaceElementZero();
    const double volumeBefore = ReservoirBalanceMode > 0 ? SumWaterVolume() : 0.0;
    if (BlockCouplingOption == 4) AverageCoupledPressure();
    for (int b = 1; b <= std::min(NoBlocks, kMaxBlocks); ++b) {
        if (BlockTable[b].gridLevel == 0) ComputeFroudeNumbers(BlockTable[b].firstColumn, BlockTable[b].lastColumn);
    }
    if (F316Option == 8) ClipPressureToReference();
    FindReferenceCell();
    NewLevels(ColumnTopCell(iPres, jPres));

    if (ZRefGroup > 0 && Bkooi.exists()) SetGroupLevelsToZRef();
    if (GroupLevelAdjustOption != 0) AdjustLevelsAtGroups(ZRef);
    if (BlockCouplingOption == 3 || BlockCouplingOption == 5) AdjustCoupledBlockLevels();
    if (SurfaceSmoothingOption > 0) SmoothWaterSurface();
    if (SurfaceResultsDue()) WriteSurfaceResults("Written from surface, before grid update");
    if (FlagTSC == 0 || F166Flag == 1 || MpiPart > 0) RegenerateUnderSurface({});

    if (F271Option > 0 && Blevelcorr.exists()) {
        for (int b = 1; b <= NoBedCells; ++b) Blevelcorr[b] = 0.0;
    }
    if (ReservoirBalanceMode > 0) SurfaceVolumeChange = volumeBefore - SumWaterVolume();
    GridChangedFlag = 1;
    if (F128Option != 0) RaiseSupercriticalPressure(ZRef, PresRef);
}
