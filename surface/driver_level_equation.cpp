// The plan level equations of F 36 = 4, 7, 8 and 9 on the update driver's
// own route: the variable is always the level correction of a column, held
// at the driver's reference without the discharge terms and start values of
// the option route.
#include <algorithm>

#include "flow/cell_lookup.h"
#include "flow/flow_data.h"
#include "solver/solver_services.h"
#include "surface/level_equations.h"
#include "surface/surface_services.h"

namespace {

constexpr double kFixed = 1e20;

void FixAt(int b, double v) {
    if (!IsGridCell(b)) return;
    Cap[b] = kFixed;
    Csource[b] = v * kFixed;
}

// The bed cells of a group's surfaces, each held at `level` minus the level
// of its column.
void FixGroup(int group, double level) {
    if (group < kFirstGroup || group > kLastGroup) return;
    const DischargeGroupRecord& r = DischargeGroups[group];
    for (int n = 0; n < GroupListLength(r); ++n) {
        const int c = GroupSurfaceCell(r.surfaceList[n]);
        if (c == 0 || Ccellb[c] != 0) continue;
        FixAt(c, level - CellLevel(TopCellAbove(c)));
    }
}

void FixDriverReference(double level, double secondLevel, int top) {
    if (IsGridCell(top)) FixAt(BottomCellBelow(top), level - CellLevel(top));
    if (ReferenceCellGroup > 0) FixGroup(ReferenceCellGroup, level);
    const bool secondGroup = FreeSurfaceOption == 7 || FreeSurfaceOption == 9;
    if (secondGroup && ReferenceLevelGroup > 0) FixGroup(ReferenceLevelGroup, secondLevel);
}

void ClearSolution(int first, int last) {
    for (int c = std::max(first, 0); c <= std::min(last, NoCells); ++c) Cf[c] = 0.0;
}

void CheckWhenAsked(bool alsoD) {
    if (DebugOption == 'E' || (alsoD && DebugOption == 'D')) CheckSurfaceCoefficients();
}

}  // namespace

void SolveDriverLevelEquation(double referenceLevel, double secondLevel, int referenceTop) {
    const int option = FreeSurfaceOption;
    if (option == 4) {
        BuildF36FourEquation();
        FixDriverReference(referenceLevel, secondLevel, referenceTop);
        ClearSolution(0, NoCells);
        SolvePlanEquation(4);
        CheckWhenAsked(true);
        Cf[0] = 0.0;
        ApplyLevelCorrectionAs(false);
        return;
    }
    if (option == 8) {
        BuildF36EightEquation(referenceLevel);
    } else if (option == 7 || option == 9) {
        // Each neighbour is weighed by its own Froude number, none is cut by
        // the F 352 rules, and for 9 the columns stand alone: each takes the
        // weighted mean of its neighbours' level defects.
        F36SevenSettings s;
        s.referenceLevel = referenceLevel;
        s.diagonalStart = 0.0001;
        s.neighbourFroude = true;
        s.f352Rules = false;
        s.storeNeighbours = option == 7;
        BuildF36SevenEquation(s);
    } else {
        return;
    }
    FixDriverReference(referenceLevel, secondLevel, referenceTop);
    ClearSolution(FirstCell, LastCell);
    SolvePlanEquation(8);
    CheckWhenAsked(false);
    Cf[0] = 0.0;
    // The variable is a correction here for 9 as well: applied as a level it
    // would put the surface near the datum.
    if (option != 8 && LevelCorrectionVariant != 0) {
        ApplyLevelCorrectionAlt();
    } else {
        ApplyLevelCorrectionAs(false);
    }
    if (option == 8) return;
    if (FroudeLevelLimitOption != 0) LimitSurfaceByFroude();
    if (F271Option == 3 || F271Option == 4) CopyLevelToColumns();
}
