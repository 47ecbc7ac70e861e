// The bed where water leaves the grid (F 222): an outflow edge cut down to
// its column's depth below the water, or outflow nodes held at the bed
// level they were read with.
#include <cmath>

#include "run/globals.h"
#include "sediment/bed_concentration.h"
#include "sediment/bed_nodes.h"
#include "sediment/sediment_services.h"

namespace {

struct SideCells {
    bool e, w, n, s;
};

SideCells SidesOf(int c) { return {Ccelle[c] > 0, Ccellw[c] > 0, Ccelln[c] > 0, Ccells[c] > 0}; }

bool OnBlockEdge(const BlockRecord& r, int i, int j) {
    return i == r.iFirst || i == r.iLast || j == r.jFirst || j == r.jLast;
}

void RestoreReadLevel(GridNode n) { NodeBedLevel(n) = GridLevels[0][n.i][n.j]; }

// Mode 1: the nodes of the one open side may stand no higher than the
// column's depth below their water level; what is cut off leaves the grid.
void CutOutflowEdge(int i, int j, int c, int b) {
    const SideCells k = SidesOf(c);
    GridNode a{}, z{};
    if (!k.e && k.w && k.n && k.s) {
        a = {i, j};
        z = {i, j - 1};
    } else if (k.e && !k.w && k.n && k.s) {
        a = {i - 1, j};
        z = {i - 1, j - 1};
    } else if (k.e && k.w && k.n && !k.s) {
        a = {i - 1, j - 1};
        z = {i, j - 1};
    } else if (k.e && k.w && !k.n && k.s) {
        a = {i, j};
        z = {i - 1, j};
    } else {
        return;
    }
    double depth = 0.0, speedDepth = 0.0;
    ColumnDepth(c, &depth, &speedDepth);
    for (const GridNode n : {a, z}) {
        const double g = Gridz[n.i][n.j][NoGridLinesZ] - depth - NodeBedLevel(n);
        if (g >= 0.0) continue;
        NodeBedLevel(n) -= std::fabs(g);
        BedOutflowDefect += std::fabs(g) * Barea[b] * 0.25 * 1000.0 * SedRelativeDensity * BedSolidFraction;
    }
}

// Mode 2: the nodes on the open side of a column on the block's edge.
void HoldOutflowEdge(const BlockRecord& r, int i, int j, int c) {
    const SideCells k = SidesOf(c);
    if (i == r.iLast && !k.e && k.w) {
        RestoreReadLevel({i, j});
        RestoreReadLevel({i, j - 1});
    }
    if (i == r.iFirst && !k.w && k.e) {
        RestoreReadLevel({i - 1, j});
        RestoreReadLevel({i - 1, j - 1});
    }
    if (j == r.jFirst && !k.s && k.n) {
        RestoreReadLevel({i - 1, j - 1});
        RestoreReadLevel({i, j - 1});
    }
    if (j == r.jLast && !k.n && k.s) {
        RestoreReadLevel({i, j});
        RestoreReadLevel({i - 1, j});
    }
}

void HoldOutflowColumn(int i, int j) {
    for (const GridNode n : {GridNode{i, j}, GridNode{i, j - 1}, GridNode{i - 1, j - 1}, GridNode{i - 1, j}}) {
        RestoreReadLevel(n);
    }
}

}  // namespace

void ComputeBedOutflowDefect() {
    const int mode = BedOutflowDefectOption;
    if (mode < 1 || mode > 3 || !Binspace.exists() || !Barea.exists()) return;
    if (NoGridLinesZ < 1 || !Gridz.exists() || static_cast<size_t>(NoGridLinesZ) >= Gridz.extent3()) return;
    ForEachMorphologyBlock([mode](const BlockRecord& r) {
        ForEachWetColumn(r, [&r, mode](int i, int j, int c, int b) {
            const double in = Binspace[b];
            if (mode == 1 && in < -1e-10 && OnBlockEdge(r, i, j)) CutOutflowEdge(i, j, c, b);
            if (mode == 2 && std::fabs(in) > 1e-10) HoldOutflowEdge(r, i, j, c);
            if (mode == 3 && in < -1e-10) HoldOutflowColumn(i, j);
        });
    });
}
