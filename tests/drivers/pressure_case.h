// Shared set-up of the pressure-correction tests: a box of cells with its
// metric (FlowCase), its water columns and discharge groups on its ends.
#pragma once

#include <vector>

#include "drivers/flow_drivers.h"
#include "surface/surface_data.h"
#include "tests/flow/flow_case.h"

class PressureCase : public FlowCase {
protected:
    // The box with one water column per (i, j), numbered as the box numbers
    // its columns, and the plan area of each.
    BoxGrid Columns(int ni, int nj, int nk, const BoxSpacing& h = {}) {
        const BoxGrid g = Box(ni, nj, nk, h);
        NoBedCells = ni * nj;
        for (int i = 0; i < ni; ++i) {
            for (int j = 0; j < nj; ++j) {
                const int b = 1 + j + nj * i;
                Bcellt[b] = g.cell(i, j, 0);
                Bnocells[b] = nk;
                Barea[b] = h.dx * h.dy;
                for (int k = 0; k < nk; ++k) Cbedcell[g.cell(i, j, k)] = b;
            }
        }
        return g;
    }

    // Surface list of group `n`: the given surfaces in order, with the
    // level of each cell in its column counted from 1 at the bed.
    static DischargeGroupRecord& Group(int n, int type, int mode, double discharge, const std::vector<int>& surfaces,
                                       const std::vector<int>& levels = {}) {
        DischargeGroupRecord& r = DischargeGroups[n];
        r.groupType = type;
        r.groupMode = mode;
        r.discharge = discharge;
        r.noSurfaces = 0;
        r.area = 0.0;
        for (int s : surfaces) {
            r.surfaceList[r.noSurfaces++] = s;
            r.area += Farea[s];
        }
        int k = 0;
        for (int level : levels) r.levelList[k++] = level;
        return r;
    }

    // The west faces of column (0, j), listed from the top cell down, or the
    // east faces of column (ni - 1, j).
    static std::vector<int> WestFaces(const BoxGrid& g, int j) {
        std::vector<int> s;
        for (int k = g.nk - 1; k >= 0; --k) s.push_back(Csurfw[g.cell(0, j, k)]);
        return s;
    }
    static std::vector<int> EastFaces(const BoxGrid& g, int j) {
        std::vector<int> s;
        for (int k = g.nk - 1; k >= 0; --k) s.push_back(Csurfe[g.cell(g.ni - 1, j, k)]);
        return s;
    }
};
