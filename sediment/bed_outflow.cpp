// The water that leaves a bottom cell through the outflow discharge groups and
// the block interfaces: part of the outgoing coefficient sum of the cell's
// local balance (F 37 1), which the neighbour coefficients alone miss.
#include <algorithm>

#include "grid/grid_data.h"
#include "run/globals.h"
#include "sediment/sediment_services.h"

namespace {

constexpr double kDensity = 1000.0;

// Group discharges (kg/s) from the `timei` series at the present time. A
// series of one row gives that row; before the first time the first row.
void GroupDischargesFromSeries() {
    const int rows = std::min<int>(NoTimeiSteps, static_cast<int>(TimeiTime.size()));
    if (rows < 1) return;
    int k = 1;
    double w = 1.0;
    if (rows >= 2) {
        while (k < rows - 1 && !(TimeiTime[k] > stime)) ++k;
        w = std::max(0.0, TimeiTime[k] - stime) / (TimeiTime[k] - TimeiTime[k - 1] + 1e-20);
        w = std::min(w, 1.0);
    } else {
        k = 0;
    }
    const int before = std::max(k - 1, 0);
    for (int g = 1; g < kDischargeGroups; ++g) {
        if (g > 2 && DischargeGroups[g].noSurfaces <= 0) continue;
        GroupDischarge[g] = (TimeiDischarge[before][g] * w + (1.0 - w) * TimeiDischarge[k][g]) * kDensity;
    }
}

int SurfaceCell(int f) { return Fcell1[f] != 0 ? Fcell1[f] : Fcell2[f]; }

// The column of `cell` when it is a bottom cell, else 0.
int BottomColumn(int cell) {
    if (cell <= 0 || Ccellb[cell] != 0) return 0;
    return std::max(Cbedcell[cell], 0);
}

// The outward water flux of surface f by the velocity of its cell (kg/s).
double OutwardFlux(int f, int cell) {
    return std::max(0.0, (Cu[cell] * Fareax[f] + Cv[cell] * Fareay[f] + 1e-20) * -Fsign[f]);
}

void AddOutflow(int s, int b, double v) {
    BsedOutflowCoef[s][b] += v;
    if (s == 1) Binspace[b] -= v;
}

void GroupOutflow(int s, int g) {
    const DischargeGroupRecord& group = DischargeGroups[g];
    const int count = std::clamp(group.noSurfaces, 0, kGroupSurfaces);
    const double q = GroupDischarge[g];
    const double byArea = q / (group.area + 1e-30);
    if (group.groupMode == 0) {
        for (int n = 0; n < count; ++n) {
            const int f = group.surfaceList[n];
            if (f <= 0) continue;
            const int b = BottomColumn(SurfaceCell(f));
            if (b > 0) AddOutflow(s, b, Farea[f] * byArea);
        }
    } else if (group.groupMode == 1) {
        double total = 1e-40;
        for (int n = 0; n < count; ++n) {
            const int f = group.surfaceList[n];
            const int cell = f > 0 ? SurfaceCell(f) : 0;
            if (cell > 0) total += OutwardFlux(f, cell);
        }
        const double w = SedimentInflowFluxWeight;
        for (int n = 0; n < count; ++n) {
            const int f = group.surfaceList[n];
            if (f <= 0) continue;
            const int cell = SurfaceCell(f);
            const int b = BottomColumn(cell);
            if (b > 0) AddOutflow(s, b, (1.0 - w) * byArea * Farea[f] + w * OutwardFlux(f, cell) * q / total);
        }
    }
}

}  // namespace

void AddBedCellOutflow(int s) {
    if (TimeiInflowFlag == 0) {
        for (int g = 1; g < kDischargeGroups; ++g) GroupDischarge[g] = DischargeGroups[g].discharge;
    } else {
        GroupDischargesFromSeries();
    }
    for (int g = 1; g < kDischargeGroups; ++g) {
        if (DischargeGroups[g].noSurfaces > 0 && DischargeGroups[g].groupType == 0) GroupOutflow(s, g);
    }
    for (int k = 1; k <= NoBoundaryCells; ++k) {
        const int b = BottomColumn(BoundaryCellNo[k]);
        if (b > 0 && BoundaryCellValue[k] < 0.0) BsedOutflowCoef[s][b] += -BoundaryCellValue[k] * kDensity;
    }
}
