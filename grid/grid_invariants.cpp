#include "grid/grid_invariants.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <vector>
#include <algorithm>

#include "run/globals.h"
#include "run/log.h"

namespace {

// One side of a cell: its neighbour and face arrays, the corners of its face
// in the order of the face's points, and whether the face lies on the
// cell's +i, +j or +k side (the cell is then the face's Fcell1).
struct Side {
    const char* name;
    Array1<int>* neighbour;
    Array1<int>* surface;
    int corners[4];
    bool plus;
    int opposite;
};

const Side kSides[6] = {
    {"south", &Ccells, &Csurfs, {1, 5, 6, 2}, false, 2}, {"east", &Ccelle, &Csurfe, {2, 3, 7, 6}, true, 3},
    {"north", &Ccelln, &Csurfn, {4, 8, 7, 3}, true, 0},  {"west", &Ccellw, &Csurfw, {1, 4, 8, 5}, false, 1},
    {"bottom", &Ccellb, &Csurfb, {1, 2, 3, 4}, false, 5}, {"top", &Ccellt, &Csurft, {5, 6, 7, 8}, true, 4},
};

Array1<int>* const kCorners[9] = {nullptr, &Cpoint1, &Cpoint2, &Cpoint3, &Cpoint4,
                                  &Cpoint5, &Cpoint6, &Cpoint7, &Cpoint8};
Array1<int>* const kFacePoints[4] = {&Fpoint1, &Fpoint2, &Fpoint3, &Fpoint4};

bool Within(int v, int lo, int hi) { return v >= lo && v <= hi; }

bool InLayerBlock(int c) {
    for (int b = 1; b <= NoBlocks && b <= kMaxBlocks; ++b) {
        const BlockRecord& r = BlockTable[b];
        if (r.layerBlock == 1 && c >= r.firstCell && c <= r.lastCell) return true;
    }
    return false;
}

// The base cell of a layer-block column names the lowest layer cell above
// it, which has no cell below: no face couples the two, and the base cells
// may be numbered apart from their columns.
bool LayerJoin(int below, int above) {
    return Within(below, 1, NoCells) && Within(above, 1, NoCells) && Ccellt[below] == above && Ccellb[above] == 0 &&
           InLayerBlock(below) && InLayerBlock(above);
}

class Checker {
public:
    explicit Checker(size_t maxMessages) : max_(maxMessages) {}

    GridCheck run() {
        if (!countsFit()) return result_;
        noneSlots();
        points();
        surfaces();
        for (int c = 1; c <= NoCells; ++c) cell(c);
        cycles();
        columns();
        blocks();
        lists();
        groupFaces();
        return result_;
    }


private:
    void fault(const char* fmt, ...) __attribute__((format(printf, 2, 3))) {
        va_list ap;
        va_start(ap, fmt);
        record(false, fmt, ap);
        va_end(ap);
    }

    // A fault that leaves the flow computation without meaning.
    void fatal(const char* fmt, ...) __attribute__((format(printf, 2, 3))) {
        va_list ap;
        va_start(ap, fmt);
        record(true, fmt, ap);
        va_end(ap);
    }

    void record(bool isFatal, const char* fmt, va_list ap) __attribute__((format(printf, 3, 0))) {
        ++result_.faults;
        if (isFatal) ++result_.fatal;
        if (result_.messages.size() >= max_) return;
        char text[300];
        std::vsnprintf(text, sizeof text, fmt, ap);
        result_.messages.emplace_back(std::string(isFatal ? "error: " : "") + text);
    }

    // Every entity number stays below its capacity and inside its arrays;
    // nothing else can be checked safely otherwise.
    bool countsFit() {
        const struct {
            const char* what;
            int count;
            int capacity;
            bool fits;
        } counts[] = {
            {"NoCells", NoCells, MaxCeller, CountFits(Cpoint1, NoCells) && CountFits(Ccellt, NoCells)},
            {"NoSurfaces", NoSurfaces, MaxFlater, CountFits(Fpoint1, NoSurfaces) && CountFits(Fcell1, NoSurfaces)},
            {"NoPoints", NoPoints, MaxPoints, CountFits(Px1, NoPoints)},
            {"NoEdgePairs", NoEdgePairs, MaxEdgePairs,
             NoEdgePairs <= 0 || static_cast<size_t>(NoEdgePairs) < EdgePairs.extent1()},
            {"NoBoundaryCells", NoBoundaryCells, MaxBoundaryCells, CountFits(BoundaryCellNo, NoBoundaryCells)},
            {"NoBlocks", NoBlocks, kMaxBlocks + 1, true},
            {"NoEdges", NoEdges, kMaxEdges + 1, true},
        };
        bool ok = true;
        for (const auto& c : counts) {
            if (c.count < 0 || c.count >= c.capacity || !c.fits) {
                fatal("%s = %d does not fit its capacity %d or its arrays", c.what, c.count, c.capacity);
                ok = false;
            }
        }
        if (!Gridz.exists() || !Gridx.exists()) {
            fatal("the structured grid arrays do not exist");
            ok = false;
        }
        return ok;
    }

    // Slot 0 means "none": whatever is read through it must be 0.
    void noneSlots() {
        const struct {
            const char* name;
            const Array1<int>* array;
        } ints[] = {{"Cpoint1", &Cpoint1}, {"Cpoint2", &Cpoint2}, {"Cpoint3", &Cpoint3}, {"Cpoint4", &Cpoint4},
                    {"Cpoint5", &Cpoint5}, {"Cpoint6", &Cpoint6}, {"Cpoint7", &Cpoint7}, {"Cpoint8", &Cpoint8},
                    {"Csurfs", &Csurfs},   {"Csurfe", &Csurfe},   {"Csurfn", &Csurfn},   {"Csurfw", &Csurfw},
                    {"Csurfb", &Csurfb},   {"Csurft", &Csurft},   {"Ccells", &Ccells},   {"Ccelle", &Ccelle},
                    {"Ccelln", &Ccelln},   {"Ccellw", &Ccellw},   {"Ccellb", &Ccellb},   {"Ccellt", &Ccellt},
                    {"Fpoint1", &Fpoint1}, {"Fpoint2", &Fpoint2}, {"Fpoint3", &Fpoint3}, {"Fpoint4", &Fpoint4},
                    {"Fcell1", &Fcell1},   {"Fcell2", &Fcell2},   {"Cbedcell", &Cbedcell}};
        for (const auto& a : ints) {
            if (a.array->exists() && (*a.array)[0] != 0) fault("%s[0] = %d, not 0", a.name, (*a.array)[0]);
        }
        const struct {
            const char* name;
            const Array1<double>* array;
        } reals[] = {{"Cxcenter", &Cxcenter}, {"Cycenter", &Cycenter}, {"Czcenter", &Czcenter}, {"Cidist", &Cidist},
                     {"Cjdist", &Cjdist},     {"Ckdist", &Ckdist},     {"Cvol", &Cvol},         {"Careax", &Careax},
                     {"Careay", &Careay},     {"Careaz", &Careaz},     {"Farea", &Farea}};
        for (const auto& a : reals) {
            if (a.array->exists() && (*a.array)[0] != 0.0) fault("%s[0] = %g, not 0", a.name, (*a.array)[0]);
        }
    }

    void points() {
        for (int p = 1; p <= NoPoints; ++p) {
            if (!std::isfinite(Px1[p]) || !std::isfinite(Py1[p]) || !std::isfinite(Pz1[p])) {
                fault("point %d has a coordinate that is not a number", p);
            }
        }
    }

    void surfaces() {
        for (int s = 1; s <= NoSurfaces; ++s) {
            for (int k = 0; k < 4; ++k) {
                const int p = (*kFacePoints[k])[s];
                if (!Within(p, 1, NoPoints)) fatal("surface %d: corner %d is point %d", s, k + 1, p);
            }
            if (!Within(Fcell1[s], 0, NoCells) || !Within(Fcell2[s], 0, NoCells)) {
                fatal("surface %d: cells %d and %d are not cells", s, Fcell1[s], Fcell2[s]);
            } else if (Fcell1[s] == 0 && Fcell2[s] == 0) {
                fault("surface %d belongs to no cell", s);
            }
        }
    }

    bool pairedSurfaces(int a, int b) const {
        for (int p = 1; p <= NoEdgePairs; ++p) {
            if ((EdgePairs[p][0] == a && EdgePairs[p][1] == b) || (EdgePairs[p][0] == b && EdgePairs[p][1] == a)) {
                return true;
            }
        }
        return false;
    }

    void cell(int c) {
        for (int k = 1; k <= 8; ++k) {
            if (!Within((*kCorners[k])[c], 1, NoPoints)) {
                fatal("cell %d: corner %d is point %d", c, k, (*kCorners[k])[c]);
                return;
            }
        }
        for (const Side& side : kSides) {
            const int s = (*side.surface)[c];
            const int n = (*side.neighbour)[c];
            if (!Within(s, 1, NoSurfaces)) {
                fatal("cell %d: %s surface %d is not a surface", c, side.name, s);
                continue;
            }
            if (!Within(n, 0, NoCells) || n == c) {
                fatal("cell %d: %s neighbour %d is not another cell", c, side.name, n);
                continue;
            }
            face(c, side, s, n);
        }
        // Cells of a column are numbered from the bed upwards.
        if (Ccellt[c] != 0 && Ccellt[c] != c + 1 && !LayerJoin(c, Ccellt[c])) fault("cell %d: the cell above is %d, not %d", c, Ccellt[c], c + 1);
        if (Ccellb[c] != 0 && Ccellb[c] != c - 1) fault("cell %d: the cell below is %d, not %d", c, Ccellb[c], c - 1);
    }

    bool CrossJoined(int c, int s, int n) const {
        for (int k = 0; k < 4; ++k) {
            if ((*kSides[k].neighbour)[n] == c && pairedSurfaces(s, (*kSides[k].surface)[n])) return true;
        }
        return false;
    }

    static int BlockOfCell(int c) {
        for (int b = 1; b <= 2 && b <= NoBlocks; ++b) {
            if (c >= BlockTable[b].firstCell && c <= BlockTable[b].lastCell) return b;
        }
        return 0;
    }

    static bool AcrossBlockInterface(const Side& side, int c, int n) {
        if (InterfaceSide <= 0 || (side.neighbour != &Ccelle && side.neighbour != &Ccellw)) return false;
        const int a = BlockOfCell(c), b = BlockOfCell(n);
        return a > 0 && b > 0 && a != b;
    }

    void face(int c, const Side& side, int s, int n) {
        const int own = side.plus ? Fcell1[s] : Fcell2[s];
        const int other = side.plus ? Fcell2[s] : Fcell1[s];
        if (side.neighbour == &Ccellt && LayerJoin(c, n) && own == c && other == 0) return;
        if (side.neighbour == &Ccellb && n == 0 && own == 0 && LayerJoin(other, c)) return;
        if (own != c) {
            fatal("cell %d: its %s surface %d holds cell %d in the slot of its side", c, side.name, s, own);
        }
        for (int k = 0; k < 4; ++k) {
            const int expected = (*kCorners[side.corners[k]])[c];
            if ((*kFacePoints[k])[s] != expected) {
                fault("cell %d: point %d of its %s surface %d is %d, not corner %d (point %d)", c, k + 1, side.name, s,
                      (*kFacePoints[k])[s], side.corners[k], expected);
                break;
            }
        }
        // A top cell of a split side faces several cells with faces of its own.
        const bool horizontal = side.neighbour != &Ccellb && side.neighbour != &Ccellt;
        if (horizontal && SplitFaceFlag > 0) return;
        const Side& back = kSides[side.opposite];
        if (n == 0) {
            if (other != 0) fatal("cell %d: no %s neighbour, but its surface %d also holds cell %d", c, side.name, s, other);
            return;
        }
        // Across the block interface of F 348 a link may be one way and
        // each side keeps its own face, which names the partner.
        if (AcrossBlockInterface(side, c, n)) {
            if (other != n) fatal("cell %d: surface %d to its %s partner %d holds cell %d", c, s, side.name, n, other);
            return;
        }
        // The side-edge matching may join a side to a side of another
        // direction (the teeth of a refined window meet the sides of the
        // window's inner columns); the pair list then ties the two faces.
        if (horizontal && (*back.neighbour)[n] != c && CrossJoined(c, s, n)) return;
        if ((*back.neighbour)[n] != c) {
            fatal("cell %d: %s neighbour %d has %d as its %s neighbour", c, side.name, n, (*back.neighbour)[n], back.name);
        }
        const int theirs = (*back.surface)[n];
        if (theirs == s) {
            if (other != n) fatal("cell %d: surface %d to its %s neighbour %d holds cell %d", c, s, side.name, n, other);
        } else if (!pairedSurfaces(s, theirs)) {
            fatal("cell %d: %s neighbour %d has its own surface %d instead of %d", c, side.name, n, theirs, s);
        }
    }

    // Walks along the +i, +j and +k neighbours never come back to a cell they
    // passed: every walk over a column or a grid line would otherwise loop.
    // Each cell is left behind once per direction.
    void cycles() {
        const struct {
            const char* name;
            const Array1<int>* next;
        } directions[] = {{"east", &Ccelle}, {"north", &Ccelln}, {"top", &Ccellt}};
        std::vector<char> state(static_cast<size_t>(NoCells) + 1);
        std::vector<int> path;
        for (const auto& d : directions) {
            std::fill(state.begin(), state.end(), 0);
            for (int start = 1; start <= NoCells; ++start) {
                path.clear();
                int c = start;
                while (Within(c, 1, NoCells) && state[c] == 0) {
                    state[c] = 1;  // on the walk just made
                    path.push_back(c);
                    c = (*d.next)[c];
                }
                if (Within(c, 1, NoCells) && state[c] == 1 && c != path.back()) {
                    fatal("cell %d: its %s neighbours lead back to it", c, d.name);
                }
                for (int p : path) state[p] = 2;
            }
        }
    }

    // A discharge group lies on boundary faces, each face in one group only.
    void groupFaces() {
        if (!DischargeGroups) return;
        std::vector<int> owner(static_cast<size_t>(NoSurfaces) + 1, 0);
        for (int g = 1; g < kDischargeGroups; ++g) {
            const DischargeGroupRecord& r = DischargeGroups[g];
            if (!Within(r.noSurfaces, 0, kGroupSurfaces)) continue;
            for (int k = 0; k < r.noSurfaces; ++k) {
                const int s = r.surfaceList[k];
                if (!Within(s, 1, NoSurfaces)) continue;
                if (Fcell1[s] != 0 && Fcell2[s] != 0) {
                    fatal("discharge group %d lists surface %d, which lies between cells %d and %d", g, s, Fcell1[s],
                          Fcell2[s]);
                } else if (owner[s] != 0 && owner[s] != g) {
                    fatal("discharge group %d lists surface %d of discharge group %d", g, s, owner[s]);
                } else {
                    owner[s] = g;
                }
            }
        }
    }

    // Slot 0 of every node column names a bed cell; CellIndex3 keeps its
    // outer levels empty.
    void columns() {
        const int nz = NoGridLinesZ;
        const bool levels = CellIndex3.exists() && CellIndex3.extent3() > static_cast<size_t>(nz + 1);
        for (int i = 0; i <= NoGridLinesX + 1; ++i) {
            for (int j = 0; j <= NoGridLinesY + 1; ++j) {
                const double v = Gridz[i][j][0];
                if (v != std::floor(v) || v < 0.0 || v > NoCells) {
                    fault("node column (%d,%d): bottom cell %g is not a cell", i, j, v);
                } else if (v > 0.0 && Ccellb[static_cast<int>(v)] != 0) {
                    fault("node column (%d,%d): bottom cell %g has cell %d below it", i, j, v,
                          Ccellb[static_cast<int>(v)]);
                }
                if (!levels) continue;
                if (CellIndex3[i][j][0] != 0 || CellIndex3[i][j][nz + 1] != 0) {
                    fault("CellIndex3 of column (%d,%d) holds a cell below or above the grid", i, j);
                }
                for (int k = 1; k <= nz; ++k) {
                    if (!Within(CellIndex3[i][j][k], 0, NoCells)) {
                        fault("CellIndex3[%d][%d][%d] = %d is not a cell", i, j, k, CellIndex3[i][j][k]);
                    }
                }
            }
        }
    }

    void range(int b, const char* what, int first, int last, int count) {
        if (first < 1 || last > count || last < first - 1) {
            fault("block %d: %s %d to %d do not lie within 1 to %d", b, what, first, last, count);
        }
    }

    // A block's cells are one contiguous range; later blocks follow.
    void blocks() {
        int previousLast = 0;
        for (int b = 1; b <= NoBlocks; ++b) {
            const BlockRecord& r = BlockTable[b];
            if (r.iFirst < 1 || r.jFirst < 1 || r.iLast >= NoGridLinesX || r.jLast >= NoGridLinesY) {
                fault("block %d: columns (%d..%d, %d..%d) outside the grid", b, r.iFirst, r.iLast, r.jFirst, r.jLast);
            }
            range(b, "cells", r.firstCell, r.lastCell, NoCells);
            range(b, "surfaces", r.firstSurface, r.lastSurface, NoSurfaces);
            range(b, "points", r.firstPoint, r.lastPoint, NoPoints);
            if (r.firstCell > r.lastCell) continue;
            if (r.firstCell <= previousLast) {
                fault("block %d: cells from %d overlap the cells of an earlier block (to %d)", b, r.firstCell,
                      previousLast);
            }
            previousLast = r.lastCell;
        }
    }

    // The lists that name cells, surfaces and nodes.
    void lists() {
        for (int e = 0; e < NoEdges; ++e) {
            const EdgeRecord& r = EdgeList[e];
            if (!Within(r.iA, 0, NoGridLinesX + 1) || !Within(r.iB, 0, NoGridLinesX + 1) ||
                !Within(r.jA, 0, NoGridLinesY + 1) || !Within(r.jB, 0, NoGridLinesY + 1)) {
                fault("side edge %d names a node outside the grid", e);
            }
        }
        for (int p = 1; p <= NoEdgePairs; ++p) {
            if (!Within(EdgePairs[p][0], 0, NoSurfaces) || !Within(EdgePairs[p][1], 0, NoSurfaces)) {
                fault("edge pair %d names a surface that does not exist", p);
            }
        }
        for (int g = 1; g < kDischargeGroups && DischargeGroups; ++g) {
            const DischargeGroupRecord& r = DischargeGroups[g];
            if (!Within(r.noSurfaces, 0, kGroupSurfaces) || !Within(r.noPoints, 0, kGroupPoints)) {
                fatal("discharge group %d: %d surfaces, %d points", g, r.noSurfaces, r.noPoints);
                continue;
            }
            for (int k = 0; k < r.noSurfaces; ++k) {
                if (!Within(r.surfaceList[k], 0, NoSurfaces)) {
                    fatal("discharge group %d lists surface %d", g, r.surfaceList[k]);
                    break;
                }
            }
        }
        for (int g = 0; g < kSourceCellGroups; ++g) {
            const SourceCellGroup& r = SourceCellGroups[g];
            if (!Within(r.noCells, 0, kSourceGroupCells)) {
                fault("source-cell group %d: %d cells", g, r.noCells);
                continue;
            }
            for (int k = 0; k < r.noCells; ++k) {
                if (!Within(r.cells[k], 0, NoCells)) fault("source-cell group %d lists cell %d", g, r.cells[k]);
            }
        }
        for (int r = 1; r <= NoBoundaryCells; ++r) {
            bool ok = Within(BoundaryCellNo[r], 0, NoCells) && Within(BoundaryCellSurface[r], 0, NoSurfaces) &&
                      Within(BoundaryCellBlock[r], 0, NoBlocks);
            for (int k = 0; k < 4; ++k) ok = ok && Within(BoundaryCellPartner[r][k], 0, NoCells);
            if (!ok) fault("block-boundary record %d names a cell, surface or block that does not exist", r);
        }
    }

    size_t max_;
    GridCheck result_;

};

}  // namespace

GridCheck CheckGridInvariants(size_t maxMessages) { return Checker(maxMessages).run(); }

void LogGridCheck() {
    GridCheck check = CheckGridInvariants();
    LogAppend("Grid check: %d faults\n", check.faults);
    for (const std::string& m : check.messages) LogAppend("Grid check: %s\n", m.c_str());
}

bool CheckReadGrid() {
    const GridCheck check = CheckGridInvariants();
    if (check.ok()) return true;
    for (const std::string& m : check.messages) LogAppend("Grid check: %s\n", m.c_str());
    if (check.fatal == 0) {
        LogAppend("Warning: the grid check found %d faults in the grid of the unstruc file\n", check.faults);
        return true;
    }
    LogAppend("Error: the grid of the unstruc file has %d faults that leave no flow to compute\n", check.fatal);
    return false;
}
