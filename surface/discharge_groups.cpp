// The boundary surfaces of the discharge groups, found again from their
// locating points after every change of the cells.
#include <omp.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "grid/grid_data.h"
#include "run/fatal.h"
#include "run/globals.h"
#include "run/log.h"
#include "surface/surface_services.h"

namespace {

// What one group's search found; the shared per-cell marks and the log are
// written from it afterwards, one group at a time, so a parallel search
// neither races on a cell two groups share nor interleaves its lines.
struct GroupSearch {
    std::vector<int> cells;
    bool overflow = false;
};

struct Edge {
    double best = 1e10;
    int side = 0;
    int bottom = 0;
};

void TrySegment(double x, double y, int i0, int j0, int i1, int j1, int side, int ci, int cj, Edge* e) {
    const double xm = 0.5 * (Gridx[i0][j0] + Gridx[i1][j1]);
    const double ym = 0.5 * (Gridy[i0][j0] + Gridy[i1][j1]);
    const double d = std::fabs(x - xm) + std::fabs(y - ym);
    if (d < e->best) {
        e->best = d;
        e->side = side;
        e->bottom = static_cast<int>(Gridz[ci][cj][0]);
    }
}

// Twice the plan area of the block's last grid cell, taken positive so that a
// block whose node order is mirrored still gets a tolerance.
double BlockTolerance(const BlockRecord& b) {
    const int i = b.iLast, j = b.jLast;
    const double d = (Gridx[i][j] - Gridx[i - 1][j - 1]) * (Gridy[i - 1][j] - Gridy[i][j - 1]) -
                     (Gridx[i - 1][j] - Gridx[i][j - 1]) * (Gridy[i][j] - Gridy[i - 1][j - 1]);
    return 0.1 * std::sqrt(std::fabs(d));
}

Edge NearestEdge(double x, double y, double* tol) {
    Edge e;
    for (int n = 1; n <= NoBlocks; ++n) {
        const BlockRecord& b = BlockTable[n];
        // The blocks behind the grid stand for water the grid already holds.
        if (b.lastCell <= 0 || b.layerBlock != 0 || b.depthAveraged != 0 || b.gridLevel != 0) continue;
        *tol = BlockTolerance(b);
        for (int j = b.jFirst; j <= b.jLast; ++j) TrySegment(x, y, b.iFirst - 1, j - 1, b.iFirst - 1, j, 4, b.iFirst, j, &e);
        for (int j = b.jFirst; j <= b.jLast; ++j) TrySegment(x, y, b.iLast, j - 1, b.iLast, j, 2, b.iLast, j, &e);
        for (int i = b.iFirst; i <= b.iLast; ++i) TrySegment(x, y, i - 1, b.jFirst - 1, i, b.jFirst - 1, 1, i, b.jFirst, &e);
        for (int i = b.iFirst; i <= b.iLast; ++i) TrySegment(x, y, i - 1, b.jLast, i, b.jLast, 3, i, b.jLast, &e);
    }
    return e;
}

int SideSurface(int side, int c) {
    switch (side) {
        case 1: return Csurfs[c];
        case 2: return Csurfe[c];
        case 3: return Csurfn[c];
        default: return Csurfw[c];
    }
}

bool ValidCell(int c) { return c > 0 && c <= NoCells; }

// Adds the faces of the column above `bottom` whose levels lie in the group's range.
void AddColumn(DischargeGroupRecord& g, int bottom, int side, GroupSearch* found) {
    int top = bottom;
    for (int steps = 0; ValidCell(Ccellt[top]) && steps < NoCells; ++steps) top = Ccellt[top];
    int level = NoGridLinesZ;
    for (int c = top; ValidCell(c) && level >= 2; c = Ccellb[c], --level) {
        if (level < g.fromLevel || level > g.toLevel) continue;
        const int surface = SideSurface(side, c);
        if (surface <= 0) continue;
        if (g.noSurfaces >= kGroupSurfaces) {
            found->overflow = true;
            return;
        }
        g.surfaceList[g.noSurfaces++] = surface;
        found->cells.push_back(c);
    }
}

void SearchGroup(int group, GroupSearch* found) {
    DischargeGroupRecord& g = DischargeGroups[group];
    g.noSurfaces = 0;
    const int points = std::min(g.noPoints, kGroupPoints);
    for (int p = 0; p < points && !found->overflow; ++p) {
        double tol = 0.0;
        const Edge e = NearestEdge(g.pointX[p], g.pointY[p], &tol);
        if (ValidCell(e.bottom) && e.best < tol) AddColumn(g, e.bottom, e.side, found);
    }
    double area = 0.0;
    for (int s = 0; s < g.noSurfaces; ++s) area += Farea[g.surfaceList[s]];
    g.area = area;
}

void ReportGroup(int group, const GroupSearch& found) {
    DischargeGroupRecord& g = DischargeGroups[group];
    if (found.overflow) {
        FailWithLog(-1, "Error: discharge group %d selects more than %d surfaces\n", group, kGroupSurfaces);
    }
    const int mark = g.groupType == 1 ? group : -group;
    for (int c : found.cells) CdischargeGroup[c] = mark;
    if (g.noSurfaces == 0) {
        const bool third = Bkooi.size() > 3 && Bkooj.size() > 3;
        LogAppend("\nWarning: Zero inflow/outflow area for discharge group no. %d\n", group);
        LogAppend("Possible problem: levels in discharge struct below bed\n");
        LogAppend("Top level group %d: %d, top node: %d\n", group, g.toLevel, NoGridLinesZ);
        LogAppend("Low level group %d: %d\n", group, g.fromLevel);
        LogAppend("Bkooi[3] = %d, Bkooj[3] = %d\n\n", third ? Bkooi[3] : 0, third ? Bkooj[3] : 0);
    }
    if (DebugOption == 'D' && MpiPart >= 1) {
        LogAppend("Have interpolated %d surfaces for discharge group %d\n", g.noSurfaces, group);
        for (int s = 0; s < g.noSurfaces; ++s) {
            const int f = g.surfaceList[s];
            if (Fcell1[f] != 0 || Fcell2[f] != 0) continue;
            LogAppend("Error setting boundary conditions for surface %d %d\n", s, f);
            LogAppend("Farea = %lf, Ftype1 = %d, Ftype2 = %d, Px1 = %lf, Py1 = %lf\n", Farea[f], Ftype1[f], Ftype2[f],
                      Px1[Fpoint1[f]], Py1[Fpoint1[f]]);
        }
    }
}

bool Searched(int group) {
    const DischargeGroupRecord& g = DischargeGroups[group];
    return std::fabs(g.discharge) > 1e-20 && g.noPoints > 0;
}

}  // namespace

void FindDischargeGroupSurfaces(int group) {
    if (group < 1 || group >= kDischargeGroups) return;
    GroupSearch found;
    SearchGroup(group, &found);
    ReportGroup(group, found);
}

void FindDischargeGroupsParallel() {
    for (int c = 1; c <= NoCells; ++c) CdischargeGroup[c] = 0;
    const bool serial = NoThreads == 0 || OpenMPSwitches[10] == 1;
    GroupSearch found[kDischargeGroups];
    if (serial) {
        for (int g = 1; g < kDischargeGroups; ++g) {
            if (Searched(g)) SearchGroup(g, &found[g]);
        }
    } else {
#pragma omp parallel
        {
            const int teams = omp_get_num_threads();
            const int t = omp_get_thread_num();
            const int per = 9 % teams == 0 ? 9 / teams : 9 / teams + 1;
            for (int g = t * per + 1; g <= std::min(t * per + per, 9); ++g) {
                if (Searched(g)) SearchGroup(g, &found[g]);
            }
        }
    }
    for (int g = 1; g < kDischargeGroups; ++g) {
        if (Searched(g)) ReportGroup(g, found[g]);
    }
    GridRegeneratedFlag = 0;
}
