// The surface update of F 116: the reference columns alone carry a level
// correction, spread to the nodes around them; then the dry edges levelled,
// the surface smoothed and the grid regenerated.
#include <algorithm>

#include "flow/flow_data.h"
#include "run/timei_data.h"
#include "solver/solver_services.h"
#include "surface/level_equations.h"
#include "surface/surface_levels.h"
#include "surface/surface_regeneration.h"
#include "surface/surface_services.h"

namespace {

constexpr double kFixed = 1e20;

void FixColumn(int bed, double correction) {
    if (!IsGridCell(bed)) return;
    Csource[bed] = correction * kFixed;
    Cap[bed] = kFixed;
}

// Every block's node range, whatever kind of block it is.
template <class F>
void ForEachBlockNode(F f) {
    for (int b = 1; b <= std::min(NoBlocks, kMaxBlocks); ++b) {
        const BlockRecord& r = BlockTable[b];
        for (int i = r.iFirst - 1; i <= r.iLast; ++i) {
            for (int j = r.jFirst - 1; j <= r.jLast; ++j) {
                if (IsGridNode(i, j)) f(i, j);
            }
        }
    }
}

void BuildUncoupledEquation(double zref, int top) {
    for (int c = 0; c <= NoCells; ++c) {
        Caw[c] = Cas[c] = Can[c] = Cae[c] = Cat[c] = Cab[c] = Csource[c] = Cf[c] = 0.0;
        Cap[c] = 1e-4;
    }
    // The far neighbours too: a solver that reads them (K 6) would couple
    // the columns again.
    for (Array1<double>* a : {&Caee, &Caww, &Cass, &Cann}) {
        if (!a->exists()) continue;
        for (int c = 0; c <= std::min(NoCells, static_cast<int>(a->size()) - 1); ++c) (*a)[c] = 0.0;
    }
    Gridz[iPres][jPres][NoGridLinesZ + 1] = zref;
    ForEachBlockNode([](int i, int j) {
        const int c = GridColumnBottom(i, j);
        if (c == 0) return;
        Cap[c] = Caw[c] + Cae[c] + Cas[c] + Can[c] + 1e-20;
        if (Surface2DOption == 2 || Surface2DOption == 4) Caw[c] = Cae[c] = Cas[c] = Can[c] = 0.0;
        if (Surface2DOption == 3) Cap[c] *= 2.0;
    });
    if (IsGridCell(top)) FixColumn(BottomCellBelow(top), zref - CellLevel(top));
    if (ReferenceCellGroup >= kFirstGroup && ReferenceCellGroup <= kLastGroup) {
        const DischargeGroupRecord& g = DischargeGroups[ReferenceCellGroup];
        for (int n = 0; n < GroupListLength(g); ++n) {
            const int c = GroupSurfaceCell(g.surfaceList[n]);
            if (c != 0 && Ccellb[c] == 0) FixColumn(c, zref - CellLevel(TopCellAbove(c)));
        }
    }
    // The columns are uncoupled, so Csource/Cap is already the solution: a
    // solver with no sweeps (K 4) must not leave a doubled correction behind.
    for (int c = 0; c <= NoCells; ++c) Cf[c] = Csource[c] / (Cap[c] + 1e-30);
}

void SpreadCorrection() {
    const int k = NoGridLinesZ;
    ForEachBlockNode([k](int i, int j) {
        const NodeColumns nc = FillNodeColumns(i, j);
        if (nc.n == 0) return;
        double sum = 0.0;
        for (const int c : nc.c) sum += Cf[c];
        Gridz[i][j][k] += SurfaceRelaxation * sum / nc.n;
        Gridz[i][j][k + 1] += SurfaceRelaxation * sum / nc.n;
    });
}

void SmoothNode(int i, int j, double m) {
    const double a = SurfaceSmoothingValue;
    const int k = NoGridLinesZ;
    Gridz[i][j][k] = Gridz[i][j][k + 1] = (1.0 - a) * Gridz[i][j][k + 1] + a * m;
}

void SmoothSurface() {
    const int k = NoGridLinesZ + 1;
    ForEachSurfaceBlock([k](const BlockRecord& r) {
        if (r.iFirst >= r.iLast) return;
        const int j0 = r.jFirst - 1, j1 = r.jLast;
        for (int i = r.iFirst; i <= r.iLast - 1; ++i) {
            for (int j = r.jFirst; j <= r.jLast - 1; ++j) {
                SmoothNode(i, j, 0.25 * (Gridz[i - 1][j][k] + Gridz[i + 1][j][k] + Gridz[i][j - 1][k] + Gridz[i][j + 1][k]));
            }
            SmoothNode(i, j0, 0.3333333 * (Gridz[i - 1][j0][k] + Gridz[i + 1][j0][k] + Gridz[i][j0 + 1][k]));
            SmoothNode(i, j1, 0.3333333 * (Gridz[i - 1][j1][k] + Gridz[i + 1][j1][k] + Gridz[i][j1 - 1][k]));
        }
    });
}

}  // namespace

void surface2DLL() {
    if (FlagTSC == 0 && FreeSurfaceOption > 1) stime += TimeStep;
    const int top = IsGridNode(iPres, jPres) ? ColumnTopCell(iPres, jPres) : 0;
    double zref = IsGridCell(top) ? CellLevel(top) : 0.0;
    if (NoTimeiSteps >= 1 && TimeiTime.exists()) zref = ReferenceSeriesLevel(TimeiLevel);
    if (FreeSurfaceOption == 4 && IsGridNode(iPres, jPres)) {
        BuildUncoupledEquation(zref, top);
        SolveEquation();
        SpreadCorrection();
    }
    if (GroupLevelAdjustOption == 1) AdjustLevelsAtGroups(zref);
    if (SurfaceSmoothingOption == 1) SmoothSurface();
    if (SurfaceResultsDue()) WriteSurfaceResults("Written from surface2DLL, before grid update");
    if (FlagTSC == 0) {
        SurfaceRegeneration how;
        how.secondOld = false;
        how.wholeCellRange = true;
        how.multigrid = false;
        how.title = "Written from surface2DLL, after grid update";
        RegenerateUnderSurface(how);
    }
    GridChangedFlag = 1;
}
