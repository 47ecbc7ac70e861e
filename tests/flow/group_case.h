// Discharge groups on the ends of a box: the side surfaces of the first or
// last i of the box, listed as the group search lists them (column after
// column, each from its top cell downward) with their levels counted from
// the bed.
#pragma once

#include <vector>

#include "tests/flow/flow_case.h"

// The cells behind the listed surfaces of group g, in list order.
inline std::vector<int> GroupCells(int g) {
    std::vector<int> cells;
    const DischargeGroupRecord& r = DischargeGroups[g];
    for (int n = 0; n < r.noSurfaces; ++n) {
        const int s = r.surfaceList[n];
        cells.push_back(Fcell1[s] != 0 ? Fcell1[s] : Fcell2[s]);
    }
    return cells;
}

// Group g over the west (i = 0) or east (i = ni - 1) end of the box, levels
// fromLevel..toLevel of each column (1 = bottom cell), all columns or only
// the one at `jOnly`.
inline void PutGroup(const BoxGrid& box, int g, int type, double discharge, bool west, int fromLevel = 1,
                     int toLevel = 1000, int jOnly = -1) {
    DischargeGroupRecord& r = DischargeGroups[g];
    r.groupType = type;
    r.discharge = discharge;
    r.noSurfaces = 0;
    r.area = 0.0;
    const int i = west ? 0 : box.ni - 1;
    for (int j = 0; j < box.nj; ++j) {
        if (jOnly >= 0 && j != jOnly) continue;
        for (int k = box.nk - 1; k >= 0; --k) {
            if (k + 1 < fromLevel || k + 1 > toLevel) continue;
            const int c = box.cell(i, j, k);
            r.levelList[r.noSurfaces] = k + 1;
            r.surfaceList[r.noSurfaces++] = west ? Csurfw[c] : Csurfe[c];
        }
    }
}

// Sum of the inflow mass fluxes (the Cap terms) of the cells of group g.
inline double GroupCapSum(int g) {
    double sum = 0.0;
    std::vector<int> cells = GroupCells(g);
    for (size_t n = 0; n < cells.size(); ++n) {
        bool seen = false;
        for (size_t m = 0; m < n; ++m) seen = seen || cells[m] == cells[n];
        if (!seen) sum += Cap[cells[n]];
    }
    return sum;
}

inline void ClearEquationCell(int c) { Cap[c] = Csource[c] = 0.0; }

inline void ClearEquation() {
    for (int c = 0; c <= NoCells; ++c) ClearEquationCell(c);
}
