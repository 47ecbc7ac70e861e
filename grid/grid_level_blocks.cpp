// The grid levels of the multi-level driver: level 2 has one cell per wet
// water column, every further level one cell per 2 x 2 group of the level
// below. Each level is a block behind the structured blocks, with its own
// surfaces on corner points of the 3D cells and parent and child links
// through Cchildren.
#include <algorithm>

#include "grid/grid_data.h"
#include "grid/grid_services.h"
#include "grid/level_blocks.h"
#include "run/globals.h"
#include "run/log.h"
#include "solver/solver_data.h"

namespace {

constexpr int kMostSurfacesOfCell = 6;

// Sides of a level cell: the corners of its surface, whether the cell is
// Fcell1 of it, and the neighbour's side that shares it.
struct LevelSide {
    Array1<int>* surface;
    Array1<int>* neighbour;
    int corners[4];
    bool first;
    int opposite;
};
// East, west, south, north, bottom, top.
const LevelSide kSides[6] = {
    {&Csurfe, &Ccelle, {2, 3, 7, 6}, true, 1},  {&Csurfw, &Ccellw, {1, 4, 8, 5}, false, 0},
    {&Csurfs, &Ccells, {2, 1, 5, 6}, false, 3}, {&Csurfn, &Ccelln, {3, 4, 8, 7}, true, 2},
    {&Csurfb, &Ccellb, {1, 2, 3, 4}, false, -1}, {&Csurft, &Ccellt, {5, 6, 7, 8}, true, -1},
};
Array1<int>* const kCorners[9] = {nullptr, &Cpoint1, &Cpoint2, &Cpoint3, &Cpoint4,
                                  &Cpoint5, &Cpoint6, &Cpoint7, &Cpoint8};
Array1<int>* const kFacePoints[4] = {&Fpoint1, &Fpoint2, &Fpoint3, &Fpoint4};

int LastHeld(size_t size) { return static_cast<int>(size) - 1; }

void ReportSurfaces(bool upperLevel) {
    LogAppend("Error: Unstructured arrays are too small. Increase NoSurfaces with the F 65 data set.\n %s"
              "NoPoints, NoSurfaces, NoCells = %d %d %d\n",
              upperLevel ? "\t\t\t\t\t\t" : "\t\t\t\t\t", NoPoints, NoSurfaces, NoCells);
}

void ReportCells() {
    LogAppend("Error: Unstructured arrays are too small. Increase cell numbers in the F 65 data set.\n \t\t\t\t"
              "NoPoints, NoSurfaces, NoCells = %d %d %d\n",
              NoPoints, NoSurfaces, NoCells);
}

// Room for one more cell in every per-cell array, below the F 65 limit.
bool CellFits() {
    const int n = NoCells + 1;
    return n < MaxCeller - 2 && n <= LastHeld(Cvol.size()) && n <= LastHeld(C2DFlag.size()) &&
           (!Cchildren.exists() || n <= LastHeld(Cchildren.extent1()));
}

bool SurfacesFit() {
    return NoSurfaces + kMostSurfacesOfCell <= LastHeld(Farea.size()) &&
           NoSurfaces + kMostSurfacesOfCell <= LastHeld(Fcell1.size());
}

bool InGrid(int i, int j) { return i >= 0 && j >= 0 && i <= NoGridLinesX + 1 && j <= NoGridLinesY + 1; }

int LevelCell(int i, int j, int slot) { return InGrid(i, j) ? CellIndex3[i][j][slot] : 0; }

void SetChild(int cell, int entry, int value) {
    if (Cchildren.exists() && static_cast<size_t>(entry) < Cchildren.extent2()) Cchildren[cell][entry] = value;
}

void StartLevel(int level) {
    BlockRecord& r = BlockTable[NoBlocks + 1];
    r.gridLevel = level;
    r.depthAveraged = 0;
    r.overlapLevel = 0;
    r.layerBlock = 0;
    r.firstCell = NoCells + 1;
    r.firstSurface = NoSurfaces + 1;
    r.firstPoint = NoPoints;
}

void CloseLevel() {
    BlockRecord& r = BlockTable[++NoBlocks];
    r.lastCell = NoCells;
    r.lastSurface = NoSurfaces;
    r.lastPoint = NoPoints;
    FirstCell = r.firstCell;
    LastCell = NoCells;
    if (NoEdges <= 0) return;
    for (int c = r.firstCell; c <= r.lastCell; ++c) {
        if (Ccells[c] == 0) AddSurfaceEdge(Cpoint1[c], Cpoint2[c], c, 1);
        if (Ccelle[c] == 0) AddSurfaceEdge(Cpoint2[c], Cpoint3[c], c, 2);
        if (Ccelln[c] == 0) AddSurfaceEdge(Cpoint3[c], Cpoint4[c], c, 3);
        if (Ccellw[c] == 0) AddSurfaceEdge(Cpoint4[c], Cpoint1[c], c, 4);
    }
}

void NewCell(int n) {
    for (const LevelSide& side : kSides) {
        (*side.surface)[n] = 0;
        (*side.neighbour)[n] = 0;
    }
    C2DFlag[n] = 0;
    for (int e = 0; e < 5; ++e) SetChild(n, e, 0);
}

// The surfaces of level cell n whose corners and neighbours are set: a side
// surface the neighbour has not made yet, then always a bottom and a top.
void MakeSurfaces(int n) {
    for (int k = 0; k < 6; ++k) {
        const LevelSide& side = kSides[k];
        if (k < 4 && (*side.surface)[n] != 0) continue;
        const int f = ++NoSurfaces;
        const int other = (*side.neighbour)[n];
        Fcell1[f] = side.first ? n : other;
        Fcell2[f] = side.first ? other : n;
        for (int p = 0; p < 4; ++p) (*kFacePoints[p])[f] = (*kCorners[side.corners[p]])[n];
        (*side.surface)[n] = f;
        if (k < 4 && other > 0) (*kSides[side.opposite].surface)[other] = f;
    }
}

void SetNeighbours(int n, int south, int north, int east, int west) {
    Ccells[n] = south;
    Ccelln[n] = north;
    Ccelle[n] = east;
    Ccellw[n] = west;
}

int TopOfColumn(int bottom) {
    int c = bottom;
    for (int steps = 0; Ccellt[c] > 0 && Ccellt[c] <= NoCells && steps < NoCells; ++steps) c = Ccellt[c];
    return c;
}

int BottomCellSlot(int i, int j) {
    const int c = static_cast<int>(Gridz[i][j][0]);
    return c >= 1 && c <= NoCells ? c : 0;
}

bool NumberColumns(const BlockRecord& r) {
    for (int j = r.jFirst; j <= r.jLast; ++j) {
        for (int i = r.iFirst; i <= r.iLast; ++i) {
            const int bottom = BottomCellSlot(i, j);
            if (bottom == 0) continue;
            if (!CellFits()) {
                ReportCells();
                return false;
            }
            const int n = ++NoCells;
            NewCell(n);
            CellIndex3[i][j][1] = n;
            SetChild(n, 1, bottom);
            for (int c = bottom, steps = 0; c > 0 && c < n && steps < n; c = Ccellt[c], ++steps) SetChild(c, 0, n);
            SetCellColumn(n, i, j);
            if (NoGridLevels > 2) SetChild(n, 4, TopOfColumn(bottom));
        }
    }
    return true;
}

bool BuildColumns(const BlockRecord& r) {
    for (int j = r.jFirst; j <= r.jLast; ++j) {
        for (int i = r.iFirst; i <= r.iLast; ++i) {
            const int n = CellIndex3[i][j][1];
            if (n < BlockTable[NoBlocks + 1].firstCell) continue;
            const int bottom = Cchildren.exists() ? Cchildren[n][1] : BottomCellSlot(i, j);
            const int top = TopOfColumn(bottom);
            for (int c = 1; c <= 4; ++c) (*kCorners[c])[n] = (*kCorners[c])[bottom];
            for (int c = 5; c <= 8; ++c) (*kCorners[c])[n] = (*kCorners[c])[top];
            SetNeighbours(n, LevelCell(i, j - 1, 1), LevelCell(i, j + 1, 1), LevelCell(i + 1, j, 1),
                          LevelCell(i - 1, j, 1));
            if (!SurfacesFit()) {
                ReportSurfaces(false);
                return false;
            }
            MakeSurfaces(n);
            if (NoSurfaces >= MaxFlater - 1) {
                ReportSurfaces(false);
                return false;
            }
        }
    }
    return true;
}

bool BuildLevelTwo() {
    StartLevel(2);
    for (int b = 1; b <= NoBlocks; ++b) {
        const BlockRecord& r = BlockTable[b];
        if (r.gridLevel != 0) continue;
        if (!NumberColumns(r) || !BuildColumns(r)) return false;
    }
    CloseLevel();
    return true;
}

// A member of a group: a position beyond the grid lines holds no cell.
int Member(int i, int j, int slot) {
    return i >= 0 && j >= 0 && i <= NoGridLinesX && j <= NoGridLinesY ? CellIndex3[i][j][slot] : 0;
}

// A neighbour position before index 0 reads index 0.
int CoarseNeighbour(int i, int j, int slot) {
    if (i > NoGridLinesX || j > NoGridLinesY) return 0;
    return CellIndex3[std::max(i, 0)][std::max(j, 0)][slot];
}

bool GroupLevel(int level, int blocks) {
    const int s = 1 << (level - 2), h = 1 << (level - 3);
    for (int b = 1; b <= blocks; ++b) {
        const BlockRecord& r = BlockTable[b];
        if (r.gridLevel != 0) continue;
        for (int i = r.iFirst; i <= r.iLast; i += s) {
            for (int j = r.jFirst; j <= r.jLast; j += s) {
                const int c[4] = {Member(i, j, level - 2), Member(i, j + h, level - 2),
                                  Member(i + h, j + h, level - 2), Member(i + h, j, level - 2)};
                if (c[0] == 0 || c[1] == 0 || c[2] == 0 || c[3] == 0) continue;
                if (!CellFits()) {
                    ReportCells();
                    return false;
                }
                const int n = ++NoCells;
                NewCell(n);
                CellIndex3[i][j][level - 1] = n;
                for (int k = 0; k < 4; ++k) {
                    SetChild(c[k], 0, n);
                    SetChild(n, k + 1, c[k]);
                }
            }
        }
    }
    return true;
}

bool BuildGroupedLevel(int level, int blocks) {
    const int s = 1 << (level - 2);
    const int slot = level - 1;
    for (int b = 1; b <= blocks; ++b) {
        const BlockRecord& r = BlockTable[b];
        if (r.gridLevel != 0) continue;
        for (int i = r.iFirst; i <= r.iLast; i += s) {
            for (int j = r.jFirst; j <= r.jLast; j += s) {
                const int n = CellIndex3[i][j][slot];
                if (n < BlockTable[NoBlocks + 1].firstCell) continue;
                // Corners 1 and 5 from the first child, 2 and 6 from the
                // fourth, 3 and 7 from the third, 4 and 8 from the second.
                const int from[5] = {0, 1, 4, 3, 2};
                for (int k = 1; k <= 4; ++k) {
                    const int child = Cchildren[n][from[k]];
                    (*kCorners[k])[n] = (*kCorners[k])[child];
                    (*kCorners[k + 4])[n] = (*kCorners[k + 4])[child];
                }
                SetNeighbours(n, CoarseNeighbour(i, j - s, slot), CoarseNeighbour(i, j + s, slot),
                              CoarseNeighbour(i + s, j, slot), CoarseNeighbour(i - s, j, slot));
                if (!SurfacesFit()) {
                    ReportSurfaces(true);
                    return false;
                }
                MakeSurfaces(n);
                if (NoSurfaces >= MaxFlater - 1) {
                    ReportSurfaces(true);
                    return false;
                }
            }
        }
    }
    return true;
}

bool ArraysReady() {
    return CellIndex3.exists() && Gridz.exists() && C2DFlag.exists() &&
           CellIndex3.extent1() > static_cast<size_t>(NoGridLinesX + 1) &&
           CellIndex3.extent2() > static_cast<size_t>(NoGridLinesY + 1);
}

}  // namespace

void BuildGridLevelBlocks() {
    NoBlocks = FileNoBlocks;
    NoSurfaces = FileNoSurfaces;
    NoEdges = FileNoEdges;
    NoEdgePairs = FileNoEdgePairs;
    const int levels = std::max(NoGridLevels, 2);
    if (!ArraysReady() || NoBlocks + levels - 1 > kMaxBlocks ||
        static_cast<size_t>(levels - 1) >= CellIndex3.extent3() || (levels > 2 && !Cchildren.exists()) ||
        (Cchildren.exists() && Cchildren.extent2() < (levels > 2 ? 5u : 2u))) {
        ReportCells();
        return;
    }
    const int nz = static_cast<int>(CellIndex3.extent3()) - 1;
    for (int i = 0; i <= NoGridLinesX + 1; ++i) {
        for (int j = 0; j <= NoGridLinesY + 1; ++j) {
            for (int k = 0; k <= nz; ++k) CellIndex3[i][j][k] = 0;
        }
    }
    ClearCellColumns(NoCells + 1);
    if (!BuildLevelTwo()) return;
    const int structured = FileNoBlocks;
    for (int level = 3; level <= NoGridLevels; ++level) {
        StartLevel(level);
        if (!GroupLevel(level, structured) || !BuildGroupedLevel(level, structured)) return;
        CloseLevel();
    }
}
