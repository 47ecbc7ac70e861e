// The depth-averaged block: one cell per water column, spanning it from the
// bed to the water surface, appended behind the blocks of a generated grid.
#include <algorithm>

#include "grid/grid_data.h"
#include "grid/grid_services.h"
#include "grid/level_blocks.h"
#include "run/globals.h"
#include "grid/grid_generation.h"
#include "run/log.h"

std::vector<int> CcolumnI;
std::vector<int> CcolumnJ;

void SetCellColumn(int cell, int i, int j) {
    if (cell < 0) return;
    const size_t n = static_cast<size_t>(cell) + 1;
    if (CcolumnI.size() < n) {
        CcolumnI.resize(n, 0);
        CcolumnJ.resize(n, 0);
    }
    CcolumnI[cell] = i;
    CcolumnJ[cell] = j;
}

void ClearCellColumns(int first) {
    const size_t from = static_cast<size_t>(std::max(first, 0));
    if (CcolumnI.size() > from) {
        CcolumnI.resize(from);
        CcolumnJ.resize(from);
    }
}

int CellColumnI(int cell) { return cell >= 0 && static_cast<size_t>(cell) < CcolumnI.size() ? CcolumnI[cell] : 0; }
int CellColumnJ(int cell) { return cell >= 0 && static_cast<size_t>(cell) < CcolumnJ.size() ? CcolumnJ[cell] : 0; }

void ReportBlockCapacity() {
    LogAppend("Error: Unstructured arrays are too small. Increase with the F 65 data set.\n \t\t\t\tNoPoints, "
              "NoSurfaces, NoCells = %d %d %d\n",
              NoPoints, NoSurfaces, NoCells);
}

namespace {

constexpr int kMostPointsOfCell = 8;
constexpr int kMostSurfacesOfCell = 6;

// The last index every per-point, per-surface or per-cell array can take.
int LastHeld(size_t size) { return static_cast<int>(size) - 1; }

bool CellFits(int cell) {
    return cell < MaxCeller - 1 && cell <= LastHeld(C2DFlag.size()) && cell <= LastHeld(Cvol.size());
}

// A cell that may add eight points and six surfaces must stay inside every
// array, whatever the F 65 capacities say.
bool RoomForCell() {
    return NoPoints + kMostPointsOfCell <= LastHeld(Px1.size()) &&
           NoSurfaces + kMostSurfacesOfCell <= LastHeld(Farea.size()) &&
           NoSurfaces + kMostSurfacesOfCell <= LastHeld(Fcell1.size());
}

bool CapacityReached() { return NoPoints >= MaxPoints - 1 || NoSurfaces >= MaxFlater - 1 || NoCells >= MaxCeller - 1; }

int& ColumnCell(int i, int j) { return CellIndex3[i][j][1]; }

int ColumnCellOrZero(int i, int j) {
    if (i < 0 || j < 0 || static_cast<size_t>(i) >= CellIndex3.extent1() ||
        static_cast<size_t>(j) >= CellIndex3.extent2()) {
        return 0;
    }
    return CellIndex3[i][j][1];
}

int BottomCellSlot(int i, int j) { return static_cast<int>(Gridz[i][j][0]); }

int TopOfColumn(int bottom) {
    int c = bottom;
    for (int steps = 0; Ccellt[c] > 0 && Ccellt[c] <= NoCells && steps < NoCells; ++steps) c = Ccellt[c];
    return c;
}

void StartRecord(BlockRecord& r) {
    r.depthAveraged = 1;
    r.overlapLevel = 0;
    r.firstCell = NoCells + 1;
    r.firstSurface = NoSurfaces + 1;
    r.firstPoint = NoPoints;
}

void SetPointCorner(int corner, int point) {
    CellWork.x[corner] = Px1[point];
    CellWork.y[corner] = Py1[point];
    CellWork.z[corner] = Pz1[point];
}

// Neighbours in the plan among the depth-averaged cells, and the west and
// south surfaces those neighbours already made.
void LinkPlanNeighbours(const BlockRecord& r, int i, int j) {
    int* nb = CellWork.neighbour;
    int* f = CellWork.surface;
    nb[1] = ColumnCellOrZero(i, j - 1);
    nb[2] = ColumnCellOrZero(i + 1, j);
    nb[3] = ColumnCellOrZero(i, j + 1);
    nb[4] = ColumnCellOrZero(i - 1, j);
    nb[5] = nb[6] = 0;
    for (int s = 1; s <= 6; ++s) f[s] = 0;
    if (i > r.iFirst && nb[4] != 0) f[4] = Csurfe[nb[4]];
    if (j > r.jFirst && nb[1] != 0) f[1] = Csurfn[nb[1]];
}

void CornersFromColumn(int bottom, int top) {
    const Array1<int>* low[4] = {&Cpoint1, &Cpoint2, &Cpoint3, &Cpoint4};
    const Array1<int>* high[4] = {&Cpoint5, &Cpoint6, &Cpoint7, &Cpoint8};
    for (int c = 0; c < 4; ++c) {
        SetPointCorner(c + 1, (*low[c])[bottom]);
        CellWork.x[c + 5] = CellWork.x[c + 1];
        CellWork.y[c + 5] = CellWork.y[c + 1];
        CellWork.z[c + 5] = Pz1[(*high[c])[top]];
    }
}

void CornersFromStructuredGrid(int i, int j) {
    for (int c = 0; c < 4; ++c) {
        const int a = i + kColumnCornerDi[c], b = j + kColumnCornerDj[c];
        CellWork.x[c + 1] = CellWork.x[c + 5] = Gridx[a][b];
        CellWork.y[c + 1] = CellWork.y[c + 5] = Gridy[a][b];
        CellWork.z[c + 1] = Gridz[a][b][1];
        CellWork.z[c + 5] = Gridz[a][b][NoGridLinesZ];
    }
}

// Numbers the columns of one block that get a cell; false, with NoCells
// untouched, when they would not fit.
bool NumberColumns(const BlockRecord& r, bool everyColumn) {
    int wanted = 0;
    for (int j = r.jFirst; j <= r.jLast; ++j) {
        for (int i = r.iFirst; i <= r.iLast; ++i) wanted += everyColumn || BottomCellSlot(i, j) > 0 ? 1 : 0;
    }
    if (wanted > 0 && !CellFits(NoCells + wanted)) return false;
    for (int j = r.jFirst; j <= r.jLast; ++j) {
        for (int i = r.iFirst; i <= r.iLast; ++i) {
            if (!everyColumn && BottomCellSlot(i, j) <= 0) continue;
            const int n = ++NoCells;
            ColumnCell(i, j) = n;
            C2DFlag[n] = 1;
            SetCellColumn(n, i, j);
            if (everyColumn) Gridz[i][j][0] = n;
        }
    }
    return true;
}

// Builds the numbered cells of one block in numbering order. On a capacity
// stop the cells not built yet are given back.
bool BuildColumns(const BlockRecord& r, bool fromStructuredGrid) {
    for (int j = r.jFirst; j <= r.jLast; ++j) {
        for (int i = r.iFirst; i <= r.iLast; ++i) {
            const int n = ColumnCell(i, j);
            if (n <= 0 || n < BlockTable[NoBlocks + 1].firstCell) continue;
            if (!RoomForCell()) {
                NoCells = n - 1;
                ReportBlockCapacity();
                return false;
            }
            if (fromStructuredGrid) {
                CornersFromStructuredGrid(i, j);
            } else {
                const int bottom = BottomCellSlot(i, j);
                CornersFromColumn(bottom, TopOfColumn(bottom));
            }
            LinkPlanNeighbours(r, i, j);
            AddHexCell(n);
            if (CapacityReached()) {
                NoCells = n;
                ReportBlockCapacity();
                return false;
            }
        }
    }
    return true;
}

void CloseBlock() {
    BlockRecord& r = BlockTable[++NoBlocks];
    r.lastCell = NoCells;
    r.lastSurface = NoSurfaces;
    r.lastPoint = NoPoints;
    FirstCell = r.firstCell;
    LastCell = r.lastCell;
    if (NoEdges <= 0) return;
    for (int c = r.firstCell; c <= r.lastCell; ++c) {
        if (Ccells[c] == 0) AddSurfaceEdge(Cpoint1[c], Cpoint2[c], c, 1);
        if (Ccelle[c] == 0) AddSurfaceEdge(Cpoint2[c], Cpoint3[c], c, 2);
        if (Ccelln[c] == 0) AddSurfaceEdge(Cpoint3[c], Cpoint4[c], c, 3);
        if (Ccellw[c] == 0) AddSurfaceEdge(Cpoint4[c], Cpoint1[c], c, 4);
    }
}

bool ArraysReady() {
    return CellIndex3.exists() && Gridz.exists() && C2DFlag.exists() && CellIndex3.extent3() > 1 &&
           CellIndex3.extent1() > static_cast<size_t>(NoGridLinesX + 1) &&
           CellIndex3.extent2() > static_cast<size_t>(NoGridLinesY + 1);
}

}  // namespace

void AddDepthAveragedBlock() {
    if (NoBlocks > 0 && BlockTable[NoBlocks].depthAveraged == 1) --NoBlocks;
    if (!ArraysReady() || NoBlocks >= kMaxBlocks) {
        ReportBlockCapacity();
        return;
    }
    StartRecord(BlockTable[NoBlocks + 1]);
    ClearCellColumns(NoCells + 1);
    for (int i = 0; i <= NoGridLinesX + 1; ++i) {
        for (int j = 0; j <= NoGridLinesY + 1; ++j) ColumnCell(i, j) = 0;
    }
    for (int b = 1; b <= NoBlocks; ++b) {
        const BlockRecord& r = BlockTable[b];
        if (!NumberColumns(r, false)) {
            ReportBlockCapacity();
            return;
        }
        if (!BuildColumns(r, false)) return;
    }
    CloseBlock();
}

void AddDepthAveragedBlockAlt() {
    if (!ArraysReady() || NoBlocks < 1 || NoBlocks >= kMaxBlocks) {
        ReportBlockCapacity();
        return;
    }
    BlockRecord& r = BlockTable[NoBlocks + 1];
    StartRecord(r);
    const BlockRecord& first = BlockTable[1];
    r.iFirst = first.iFirst;
    r.iLast = first.iLast;
    r.jFirst = first.jFirst;
    r.jLast = first.jLast;
    ClearCellColumns(NoCells + 1);
    if (!NumberColumns(first, true)) {
        ReportBlockCapacity();
        return;
    }
    if (!BuildColumns(first, true)) return;
    CloseBlock();
}
