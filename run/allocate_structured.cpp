// The arrays that follow the structured grid of G 1.
#include "run/array_allocation.h"
#include "run/fatal.h"
#include "run/globals.h"
#include "run/log.h"
#include "run/run_services.h"

namespace {

// zdistrib holds 1000 values: NoGridLinesZ + 2 of them must fit.
constexpr int kMaxGridLinesZ = 997;
constexpr int kLevelPlanes = 5;
constexpr int kLevelPlanesLayerBlock = 7;

bool AllocateGridArrays(ArrayAllocation& a) {
    const long long ni = static_cast<long long>(NoGridLinesX) + 2;
    const long long nj = static_cast<long long>(NoGridLinesY) + 2;
    const long long nk = static_cast<long long>(NoGridLinesZ) + 2;
    if (!a.makeAll({&Gridx, &Gridy, &GridAttract1, &GridAttract2, &PlanArea, &GridBedRough}, ni, nj) ||
        !a.make(Gridz, ni, nj, nk) || !a.makeAll({&pointbed, &GridRegion, &GridOldBedCell}, ni, nj)) {
        return false;
    }
    // Every grid needs its level planes (the start values write plane 3); a
    // layer block, built for the groundwater option too, adds two more.
    const int planes = LayerBlockOption > 0 || GroundwaterOption > 0 ? kLevelPlanesLayerBlock : kLevelPlanes;
    if (!a.make(GridLevels, planes, ni, nj)) return false;
    if (BlockInterfaceOption > 0 || BlockCouplingOption > 2) {
        if (!a.make(GridSlideLevel, ni, nj, 2)) return false;
    }
    if (TimeAveragingOption > 0) {
        return a.makeAll({&GridTrendSumY, &GridTrendSumXY}, ni, nj) &&
               a.makeAll({&GridTrendSumX, &GridTrendSumXX, &GridTrendN}, ni, nj);
    }
    return true;
}

// The `inspace` series come after the logged total.
bool AllocateInspaceArrays(ArrayAllocation& a) {
    if (InspaceTimeCount <= 0) return true;
    const long long levels = static_cast<long long>(InspaceTimeCount) + 2;
    return a.make(InspaceConcSeries, levels, kInspaceSizes, kInspaceValues) && a.make(InspaceTimes, levels);
}

}  // namespace

int AllocateStructuredArrays() {
    if (!LogAvailable()) FailLogUnavailable();
    SetStatusText("Initializing arrays");
    // Refused before anything is created, so a mistyped size never asks for
    // a huge grid first.
    if (NoGridLinesZ > kMaxGridLinesZ) {
        FailWithLog(-2, "Error - increase zdistrib array, nz = %lld\n", static_cast<long long>(NoGridLinesZ) + 2);
    }
    ArrayAllocation a;
    if (!AllocateGridArrays(a)) return -1;
    LogAppend("Have allocated %12.2lf Mbytes structured arrays\n", static_cast<double>(a.bytes()) * 1e-6);
    if (!AllocateInspaceArrays(a)) return -1;

    for (int i = 0; i <= NoGridLinesX; ++i) {
        for (int j = 0; j <= NoGridLinesY; ++j) GridRegion[i][j] = 0;
    }
    SetStatusText("Initiation of arrays o.k");
    return 0;
}
