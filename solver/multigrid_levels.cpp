// The plan levels of the multigrid behind the grid's own cells: one column
// cell per wet water column of the structured blocks, then coarser levels of
// up to 2 x 2 cells of the level below, linked sideways only. Their cell
// ranges go into the block records behind the last block.
#include <algorithm>
#include <cmath>
#include <cstddef>

#include "flow/cell_lookup.h"
#include "flow/flow_data.h"
#include "grid/grid_data.h"
#include "run/fatal.h"
#include "run/log.h"
#include "run/params_f150.h"
#include "run/params_f200.h"
#include "run/params_f50.h"
#include "run/params_g.h"
#include "run/run_state.h"
#include "sediment/sediment_data.h"
#include "solver/multigrid_levels.h"
#include "solver/solver_data.h"
#include "solver/solver_notices.h"
#include "solver/solver_services.h"

namespace {

// Layer-block options from this one on start the column cell at the first
// cell that takes part in the stress count.
constexpr int kCountedColumnsOption = 6;

bool Building(const BlockRecord& r) { return r.depthAveraged == 0 && r.field11 == 1 && r.layerBlock == 0; }

int LastBlock() { return std::min(NoBlocks, kMaxBlocks); }

// A cell number beyond the per-cell arrays ends the run.
[[noreturn]] void Overflow() {
    LogAppend("Error: Number of cells in the unstructured arrays are too small\n");
    LogAppend("when using the multi-grid solver, as it needs extra arrays. \n");
    LogAppend("Increase the array sizes on the F 65 data set.\n");
    LogAppend("Current value that needs increase: %d\n", MaxCeller);
    EndRun(-1);
}

class LevelBuilder {
public:
    LevelBuilder() {
        for (const size_t n : {Ccelle.size(), Ccellw.size(), Ccelln.size(), Ccells.size(), Ccellt.size(),
                               Ccellb.size(), C2DFlag.size(), Cchildren.extent1(), Cap.size(), Cae.size(),
                               Caw.size(), Can.size(), Cas.size(), Csource.size(), Cwork.size()}) {
            room_ = std::min(room_, n);
        }
        room_ = std::min(room_, static_cast<size_t>(std::max(MaxCeller, 0)));
    }

    // Level-L cell at grid position (i, j), 0 outside the index.
    int at(int i, int j, int level) const {
        if (i < 0 || j < 0 || static_cast<size_t>(i) >= CellIndex3.extent1() ||
            static_cast<size_t>(j) >= CellIndex3.extent2()) {
            return 0;
        }
        return CellIndex3[i][j][level - 1];
    }

    int newCell() {
        const int n = next_;
        if (static_cast<size_t>(n) >= room_) Overflow();
        ++next_;
        Ccelle[n] = Ccellw[n] = Ccelln[n] = Ccells[n] = Ccellt[n] = Ccellb[n] = 0;
        C2DFlag[n] = 1;
        for (int k = 0; k <= kSE; ++k) Cchildren[n][k] = 0;
        return n;
    }
    int last() const { return next_ - 1; }

private:
    size_t room_ = static_cast<size_t>(-1);
    int next_ = NoCells + 1;
};

bool InIndex(const BlockRecord& r, size_t levels) {
    return r.iFirst >= 1 && r.jFirst >= 1 && static_cast<size_t>(r.iLast) + 1 < CellIndex3.extent1() &&
           static_cast<size_t>(r.jLast) + 1 < CellIndex3.extent2() && static_cast<size_t>(r.iLast) < Gridz.extent1() &&
           static_cast<size_t>(r.jLast) < Gridz.extent2() && levels < CellIndex3.extent3();
}

// The cell of the column that the column cell starts at: the bed cell, or
// with counted layer blocks the lowest cell counted more than once.
int ColumnStart(int bed) {
    if (LayerBlockOption < kCountedColumnsOption || !CstressCount.exists()) return bed;
    for (int c = bed, n = 0; IsGridCell(c) && n <= NoCells; c = Ccellt[c], ++n) {
        if (static_cast<size_t>(c) < CstressCount.size() && CstressCount[c] > 1) return c;
    }
    return 0;
}

int ColumnTop(int c) {
    for (int n = 0; IsGridCell(Ccellt[c]) && n < NoCells; ++n) c = Ccellt[c];
    return c;
}

void ColumnLevel(LevelBuilder& lb) {
    for (int b = 1; b <= LastBlock(); ++b) {
        const BlockRecord& r = BlockTable[b];
        if (!Building(r)) continue;
        for (int j = r.jFirst; j <= r.jLast; ++j) {
            for (int i = r.iFirst; i <= r.iLast; ++i) {
                const int start = ColumnStart(GridColumnBottom(i, j));
                if (start == 0) continue;
                const int n = lb.newCell();
                const int top = ColumnTop(start);
                CellIndex3[i][j][1] = n;
                Cchildren[n][kSW] = start;
                Cchildren[n][kNW] = top;
                for (int c = start; c <= top; ++c) Cchildren[c][kParent] = n;
            }
        }
    }
    for (int b = 1; b <= LastBlock(); ++b) {
        const BlockRecord& r = BlockTable[b];
        if (!Building(r)) continue;
        for (int j = r.jFirst; j <= r.jLast; ++j) {
            for (int i = r.iFirst; i <= r.iLast; ++i) {
                const int n = CellIndex3[i][j][1];
                if (n == 0) continue;
                Ccelle[n] = lb.at(i + 1, j, 2);
                Ccellw[n] = lb.at(i - 1, j, 2);
                Ccells[n] = lb.at(i, j - 1, 2);
                Ccelln[n] = lb.at(i, j + 1, 2);
            }
        }
    }
}

// Column cells whose column borders another block's across a face the grid
// links but the index does not.
void LinkAcrossBlocks(const LevelBuilder& lb) {
    if (NoBlocks <= 1 || !Bkooi.exists() || !Bkooj.exists() || !Cbedcell.exists()) return;
    for (int b = 1; b <= LastBlock(); ++b) {
        const BlockRecord& r = BlockTable[b];
        if (r.depthAveraged != 0 || r.field11 != 1) continue;
        for (int j = r.jFirst; j <= r.jLast; ++j) {
            for (int i = r.iFirst; i <= r.iLast; ++i) {
                const int n = CellIndex3[i][j][1];
                const int bed = GridColumnBottom(i, j);
                if (n == 0 || bed == 0) continue;
                for (Array1<int>* side : {&Ccells, &Ccelle, &Ccelln, &Ccellw}) {
                    const int m = (*side)[bed];
                    if ((*side)[n] != 0 || !IsGridCell(m)) continue;
                    const int col = Cbedcell[m];
                    if (col < 0 || static_cast<size_t>(col) >= Bkooi.size() || static_cast<size_t>(col) >= Bkooj.size()) {
                        continue;
                    }
                    (*side)[n] = lb.at(Bkooi[col], Bkooj[col], 2);
                }
            }
        }
    }
}

int Child(int n, int k) { return n != 0 ? Cchildren[n][k] : 0; }

void CoarserLevel(LevelBuilder& lb, int level) {
    const int s = 1 << (level - 2), h = s / 2;
    for (int b = 1; b <= LastBlock(); ++b) {
        const BlockRecord& r = BlockTable[b];
        if (!Building(r)) continue;
        for (int j = r.jFirst; j <= r.jLast; j += s) {
            for (int i = r.iFirst; i <= r.iLast; i += s) {
                const bool north = j + h <= r.jLast, east = i + h <= r.iLast;
                const int sw = lb.at(i, j, level - 1);
                const int nw = north ? lb.at(i, j + h, level - 1) : 0;
                const int se = east ? lb.at(i + h, j, level - 1) : 0;
                const int ne = north && east ? lb.at(i + h, j + h, level - 1) : 0;
                if (sw + nw + se + ne <= 0) continue;
                const int n = lb.newCell();
                CellIndex3[i][j][level - 1] = n;
                const int kids[] = {sw, nw, ne, se};
                for (int k = 0; k < 4; ++k) {
                    Cchildren[n][k + 1] = kids[k];
                    if (kids[k] != 0) Cchildren[kids[k]][kParent] = n;
                }
                const int w = i - s > 0 ? lb.at(i - s, j, level) : 0;
                if (w != 0 && ((sw != 0 && Child(w, kSE) != 0) || (nw != 0 && Child(w, kNE) != 0))) {
                    Ccellw[n] = w;
                    Ccelle[w] = n;
                }
                const int t = j - s > 0 ? lb.at(i, j - s, level) : 0;
                if (t != 0 && ((sw != 0 && Child(t, kNW) != 0) || (se != 0 && Child(t, kNE) != 0))) {
                    Ccells[n] = t;
                    Ccelln[t] = n;
                }
            }
        }
    }
}

// A side of a cell by the surface types 1 south, 2 east, 3 north, 4 west.
Array1<int>* SideLinks(int type) {
    switch (type) {
        case 1: return &Ccells;
        case 2: return &Ccelle;
        case 3: return &Ccelln;
        case 4: return &Ccellw;
        default: return nullptr;
    }
}

int Parent(int c) { return c > 0 && static_cast<size_t>(c) < Cchildren.extent1() ? Cchildren[c][kParent] : 0; }

// Blocks joined along an edge pair: their level cells at the pair are linked
// on every level.
void LinkEdgePairs() {
    if (!EdgePairs.exists() || MultigridLevels <= 0) return;
    const int pairs = std::min(NoEdgePairs, static_cast<int>(EdgePairs.extent1()) - 1);
    for (int p = 1; p <= pairs; ++p) {
        const int f = EdgePairs[p][0];
        if (!IsGridSurface(f) || static_cast<size_t>(f) >= Fcell1.size()) continue;
        int c1 = Fcell1[f], c2 = Fcell2[f];
        if (!IsGridCell(c1) || !IsGridCell(c2) || (Ccellb[c1] != 0 && Ccellb[c2] != 0)) continue;
        Array1<int>* side1 = SideLinks(Ftype1[f]);
        Array1<int>* side2 = SideLinks(Ftype2[f]);
        for (int step = 1; step <= MultigridLevels; ++step) {
            c1 = Parent(c1);
            c2 = Parent(c2);
            if (c1 == 0 && c2 == 0) break;
            if (side1 && c1 != 0) (*side1)[c1] = c2;
            if (side2 && c2 != 0) (*side2)[c2] = c1;
        }
    }
}

void ClearLevelRecords() {
    for (int rec = std::max(NoBlocks, 0) + 1; rec <= kMaxBlocks; ++rec) {
        if (BlockTable[rec].depthAveraged != kLevelRecordKind) continue;
        BlockTable[rec].depthAveraged = 0;
        BlockTable[rec].gridLevel = 0;
    }
}

}  // namespace

void BuildMultigridLevels() {
    ClearLevelRecords();
    MultigridLevels = 0;
    if (!Cchildren.exists() || Cchildren.extent2() <= kSE || !CellIndex3.exists() || !C2DFlag.exists() ||
        !Gridz.exists()) {
        NoticeOnce("The multigrid levels need the child records of F 168; no levels are built\n");
        return;
    }
    if (NoBlocks + 1 > kMaxBlocks) {
        NoticeOnce("The block table has no room for the multigrid levels; no levels are built\n");
        return;
    }
    int extent = 0;
    for (int b = 1; b <= LastBlock(); ++b) {
        const BlockRecord& r = BlockTable[b];
        if (Building(r)) extent = std::max({extent, r.jLast + 2 - r.jFirst, r.iLast + 2 - r.iFirst});
    }
    // No building block, or one with no columns: nothing to build.
    if (extent < 2) return;
    int levels = static_cast<int>(std::log(static_cast<double>(extent))) + 3;
    const int fit = std::min(kMaxBlocks - NoBlocks + 1, static_cast<int>(CellIndex3.extent3()) - 1);
    if (levels > fit) {
        NoticeOnce("The block table holds only some of the multigrid levels; the coarsest are left out\n");
        levels = fit;
    }
    for (int b = 1; b <= LastBlock(); ++b) {
        if (Building(BlockTable[b]) && !InIndex(BlockTable[b], static_cast<size_t>(levels))) {
            NoticeOnce("A block lies outside the grid index; no multigrid levels are built\n");
            return;
        }
    }
    MultigridLevels = levels;

    BlockRecord& column = BlockTable[NoBlocks + 1];
    column.firstCell = NoCells + 1;
    column.firstSurface = NoSurfaces + 1;
    column.firstPoint = NoPoints;
    column.gridLevel = 2;
    column.depthAveraged = kLevelRecordKind;
    column.overlapLevel = 0;
    column.field11 = 0;
    const int kTop = static_cast<int>(CellIndex3.extent3()) - 1;
    const int iTop = std::min(NoGridLinesX + 1, static_cast<int>(CellIndex3.extent1()) - 1);
    const int jTop = std::min(NoGridLinesY + 1, static_cast<int>(CellIndex3.extent2()) - 1);
    const int kClear = std::min(std::max(levels, NoGridLinesZ) + 1, kTop);
    for (int i = 0; i <= iTop; ++i) {
        for (int j = 0; j <= jTop; ++j) {
            for (int k = 0; k <= kClear; ++k) CellIndex3[i][j][k] = 0;
        }
    }

    // A cell that no column of this build takes (dried, regenerated, in a
    // block left out) must not point at the level cell of an earlier build.
    const int gridCells = std::min(NoCells, static_cast<int>(Cchildren.extent1()) - 1);
    for (int c = 1; c <= gridCells; ++c) Cchildren[c][kParent] = 0;

    LevelBuilder lb;
    ColumnLevel(lb);
    LinkAcrossBlocks(lb);
    column.lastCell = lb.last();
    column.lastSurface = NoSurfaces;
    column.lastPoint = NoPoints;

    for (int level = 3; level <= levels; ++level) {
        BlockRecord& rec = BlockTable[NoBlocks + level - 1];
        rec.firstCell = lb.last() + 1;
        CoarserLevel(lb, level);
        rec.lastCell = lb.last();
        rec.depthAveraged = kLevelRecordKind;
        rec.gridLevel = level;
    }
    BlockRecord& coarsest = BlockTable[NoBlocks + MultigridLevels - 1];
    if (coarsest.firstCell == coarsest.lastCell) {
        --MultigridLevels;
        coarsest.depthAveraged = 0;
        coarsest.gridLevel = 0;
    }
    // Level cells see no far neighbours.
    for (Array1<double>* a : {&Caee, &Caww, &Cann, &Cass, &Catt, &Cabb}) {
        if (a->size() <= static_cast<size_t>(lb.last())) continue;
        for (int n = NoCells + 1; n <= lb.last(); ++n) (*a)[n] = 0.0;
    }
    LinkEdgePairs();
}
