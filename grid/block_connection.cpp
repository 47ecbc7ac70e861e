// Blocks 1 and 2 meeting along a line of constant i without shared nodes
// (F 348): each interface column is matched to the nearest column of the
// other block along the interface, and within two matched columns each cell
// to the cell of nearest mean level. The links may be one way; each side
// keeps its own face.
#include <cmath>
#include <vector>

#include "grid/grid_data.h"
#include "grid/grid_generation.h"
#include "run/globals.h"
#include "run/run_state.h"

namespace {

struct InterfaceSideColumns {
    int column;    // i of the interface columns
    int arcLine;   // i of the node line along the interface
    int jFirst, jLast;
    bool east;     // the interface lies on the columns' east side
    std::vector<double> arc;  // arc position per row, from jFirst
};

InterfaceSideColumns Side(const BlockRecord& r, int column, int arcLine, bool east) {
    InterfaceSideColumns s{column, arcLine, r.jFirst, r.jLast, east, {}};
    double run = 0.0;
    for (int j = r.jFirst; j <= r.jLast; ++j) {
        const double dx = Gridx[arcLine][j] - Gridx[arcLine][j - 1], dy = Gridy[arcLine][j] - Gridy[arcLine][j - 1];
        const double ds = std::sqrt(dx * dx + dy * dy);
        s.arc.push_back(run + 0.5 * ds);
        run += ds;
    }
    return s;
}

// The row of `to` nearest to arc position `at`; the lower on a tie.
int NearestRow(const InterfaceSideColumns& to, double at) {
    double best = 1e20;
    int row = to.jFirst;
    for (int j = to.jFirst; j <= to.jLast; ++j) {
        const double d = std::fabs(to.arc[static_cast<size_t>(j - to.jFirst)] - at);
        if (d < best) {
            best = d;
            row = j;
        }
    }
    return row;
}

struct Column {
    std::vector<int> cells;    // all but the top cell, from the bed up
    std::vector<double> mean;  // their mean level on the interface face
};

// The mean level of a cell is that of the four corners of its interface
// face: the node slots of a column need not belong to its cells.
Column InterfaceColumn(const InterfaceSideColumns& s, int j) {
    Column col;
    const int bed = static_cast<int>(Gridz[s.column][j][0]);
    std::vector<int> all;
    for (int c = bed; c > 0 && c <= NoCells && all.size() <= static_cast<size_t>(NoCells); c = Ccellt[c]) {
        all.push_back(c);
    }
    if (all.size() < 2) return col;
    all.pop_back();
    const Array1<int>* const east[4] = {&Cpoint2, &Cpoint3, &Cpoint6, &Cpoint7};
    const Array1<int>* const west[4] = {&Cpoint1, &Cpoint4, &Cpoint5, &Cpoint8};
    for (int c : all) {
        double z = 0.0;
        for (const Array1<int>* corner : s.east ? east : west) z += Pz1[(*corner)[c]];
        col.cells.push_back(c);
        col.mean.push_back(0.25 * z);
    }
    return col;
}

int NearestCell(const Column& to, double level) {
    double best = 1e20;
    int cell = 0;
    for (size_t m = 0; m < to.cells.size(); ++m) {
        const double d = std::fabs(to.mean[m] - level);
        if (d < best) {
            best = d;
            cell = to.cells[m];
        }
    }
    return cell;
}

// Links the cells of `from` to their nearest cells of `to`; a column facing
// a dry or single-cell column keeps its links. Only a wall is linked: where
// the interface column is not the block's outer column (F 348 2 names the
// first column of block 2 and the last of block 1), its side is a face
// inside the block, and giving it a partner would tear the block apart.
void LinkColumn(const Column& from, const Column& to, bool east) {
    if (to.cells.empty()) return;
    for (size_t k = 0; k < from.cells.size(); ++k) {
        const int c = from.cells[k], partner = NearestCell(to, from.mean[k]);
        const bool wall = east ? Ccelle[c] == 0 && Fcell2[Csurfe[c]] == 0 : Ccellw[c] == 0 && Fcell1[Csurfw[c]] == 0;
        if (!wall) continue;
        if (east) {
            Ccelle[c] = partner;
            Fcell2[Csurfe[c]] = partner;
        } else {
            Ccellw[c] = partner;
            Fcell1[Csurfw[c]] = partner;
        }
    }
}

}  // namespace

void ConnectBlocks() {
    if (NoBlocks < 2) return;
    const BlockRecord& b1 = BlockTable[1];
    const BlockRecord& b2 = BlockTable[2];
    const bool first = InterfaceSide == 1;
    const InterfaceSideColumns linking =
        first ? Side(b1, b1.iLast, b1.iLast, true) : Side(b2, b2.iFirst, b2.iFirst, true);
    const InterfaceSideColumns other =
        first ? Side(b2, b2.iFirst, b2.iFirst - 1, false) : Side(b1, b1.iLast, b1.iLast - 1, false);
    if (linking.arc.empty() || other.arc.empty()) return;
    for (int j = linking.jFirst; j <= linking.jLast; ++j) {
        const int partner = NearestRow(other, linking.arc[static_cast<size_t>(j - linking.jFirst)]);
        LinkColumn(InterfaceColumn(linking, j), InterfaceColumn(other, partner), true);
    }
    for (int j = other.jFirst; j <= other.jLast; ++j) {
        const int partner = NearestRow(linking, other.arc[static_cast<size_t>(j - other.jFirst)]);
        LinkColumn(InterfaceColumn(other, j), InterfaceColumn(linking, partner), false);
    }
}
