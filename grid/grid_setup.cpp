// Preparing a run on the grid just read: group overrides, node smoothing,
// metric, reference columns, discharge groups, companion files, roughness,
// regeneration and the column, monitor and block bookkeeping.
#include <algorithm>
#include <cmath>

#include "grid/companion_files.h"
#include "grid/grid_data.h"
#include "grid/grid_services.h"
#include "run/fatal.h"
#include "run/globals.h"
#include "run/log.h"
#include "run/status.h"
#include "run/timei_data.h"
#include "surface/surface_data.h"
#include "surface/surface_services.h"

namespace {

constexpr int kMaxGroup = kDischargeGroups - 1;

void ApplyGroupOverrides() {
    for (int g = 1; g <= kMaxGroup; ++g) {
        if (GivenGroupDischarge[g] > 0.0) DischargeGroups[g].discharge = 1000.0 * GivenGroupDischarge[g];
        if (F263GroupValues[g] >= 0) DischargeGroups[g].groupMode = F263GroupValues[g];
    }
    if (F340Group > 0 && F340Group <= kMaxGroup) DischargeGroups[F340Group].groupType = 1;
}

int MarkRegions() {
    int count = 0;
    for (int r = 1; r <= NoG13Regions; ++r) {
        const G13Region& g = G13Regions[r];
        for (int i = std::max(g.iFirst, 0); i <= std::min(g.iLast, NoGridLinesX + 1); ++i) {
            for (int j = std::max(g.jFirst, 0); j <= std::min(g.jLast, NoGridLinesY + 1); ++j) {
                GridRegion[i][j] = 1;
                ++count;
            }
        }
    }
    if (NoBlocks > 1) count = std::max(count, 10);
    return count;
}

bool NoCellAt(int i, int j) { return static_cast<int>(Gridz[i][j][0]) == 0; }

// Nodes that no cell located are moved between the located ones.
void SmoothUnlocatedNodes(int passes) {
    for (int pass = 0; pass < passes; ++pass) {
        for (int b = 1; b <= NoBlocks; ++b) {
            const BlockRecord& r = BlockTable[b];
            for (int i = r.iFirst + 1; i <= r.iLast - 1; ++i) {
                for (int j = r.jFirst + 1; j <= r.jLast - 1; ++j) {
                    if (!(NoCellAt(i, j) && NoCellAt(i + 1, j) && NoCellAt(i, j + 1) && NoCellAt(i + 1, j + 1))) continue;
                    Gridx[i][j] = 0.25 * (Gridx[i - 1][j] + Gridx[i + 1][j] + Gridx[i][j - 1] + Gridx[i][j + 1]);
                    Gridy[i][j] = 0.25 * (Gridy[i - 1][j] + Gridy[i + 1][j] + Gridy[i][j - 1] + Gridy[i][j + 1]);
                }
            }
        }
    }
}

bool ValidCell(int c) { return c > 0 && c <= NoCells; }

int BedCellOf(int c) {
    for (int steps = 0; ValidCell(c) && ValidCell(Ccellb[c]) && steps < NoCells; ++steps) c = Ccellb[c];
    return c;
}

bool FindColumn(int bed, int* iOut, int* jOut) {
    for (int i = 1; i <= NoGridLinesX; ++i) {
        for (int j = 1; j <= NoGridLinesY; ++j) {
            if (static_cast<int>(Gridz[i][j][0]) == bed) {
                *iOut = i;
                *jOut = j;
                return true;
            }
        }
    }
    return false;
}

void LocateReferenceColumns() {
    if (FreeSurfaceOption > 1 && iPres == 0 && ReferenceCell > 0 && MpiPart == 0) {
        ReferenceCell = BedCellOf(ReferenceCell);
        if (!FindColumn(ReferenceCell, &iPres, &jPres)) {
            LogAppend("Error in algorithm for G 6/62 data set. Have not found (i,j) indexes\n");
            LogAppend("for cell number %d, first integer on the data set.\n", ReferenceCell);
            FailWithLog(-1, "Searched areas i=%d,%d; j=%d,%d\n\n", 1, NoGridLinesX, 1, NoGridLinesY);
        }
    }
    if (FreeSurfaceOption >= 2 && FreeSurfaceOption <= 10 && ReferenceCell2 > 0 && iPres2 == 0 && MpiPart == 0) {
        ReferenceCell2 = BedCellOf(ReferenceCell2);
        if (!FindColumn(ReferenceCell2, &iPres2, &jPres2)) {
            LogAppend("Error in algorithm for G 6/62 data set. Have not found (i,j) indexes\n");
            FailWithLog(-1, "for cell number %d, second integer on data set.\n\n", ReferenceCell2);
        }
    }
    LogAppend("G 6/62 2D reference indexes: %d %d %d %d\n", iPres, jPres, iPres2, jPres2);
}

bool GroupHasCell(int group, int cell) {
    if (group < 1 || group > kMaxGroup) return false;
    const DischargeGroupRecord& g = DischargeGroups[group];
    for (int s = 0; s < std::min(g.noSurfaces, kGroupSurfaces); ++s) {
        const int f = g.surfaceList[s];
        if (f <= 0 || f >= static_cast<int>(Fcell1.size())) continue;
        const int c = Fcell1[f] != 0 ? Fcell1[f] : Fcell2[f];
        if (c == cell) return true;
    }
    return false;
}

void CheckReferenceGroups() {
    if (ReferenceCellGroup > 0 && !GroupHasCell(ReferenceCellGroup, ReferenceCell)) {
        LogAppend("Error in G 6 or G 62 data set: Cell number %d is not in discharge group %d\n", ReferenceCell,
                  ReferenceCellGroup);
        LogAppend("This error can be caused by a too low 'to' value the 'Vertical level' \n");
        FailWithLog(-4, "part in the input dialog box of the discharge editor, when the unstruc file was made.\n");
    }
    if (ReferenceLevelGroup > 0 && !GroupHasCell(ReferenceLevelGroup, ReferenceCell2)) {
        FailWithLog(-4, "Error in G 62 data set: Cell number %d is not in discharge group %d\n", ReferenceCell2,
                    ReferenceLevelGroup);
    }
}

// A group across the node line `i` of block 1, one locating point per segment.
void BuildEndGroup(int group, int type, int i) {
    const BlockRecord& b = BlockTable[1];
    DischargeGroupRecord& g = DischargeGroups[group];
    g.groupType = type;
    g.fromLevel = 1;
    g.toLevel = 170;
    g.noSurfaces = 0;
    g.inflowConc = 0.0;
    g.groupMode = F263GroupValues[group] >= 0 ? F263GroupValues[group] : 0;
    g.noPoints = std::clamp(b.jLast - b.jFirst + 1, 0, kGroupPoints);
    for (int p = 0; p < g.noPoints; ++p) {
        const int j = b.jFirst + p;
        g.pointX[p] = 0.5 * (Gridx[i][j - 1] + Gridx[i][j]);
        g.pointY[p] = 0.5 * (Gridy[i][j - 1] + Gridy[i][j]);
    }
}

void LocateEndGroups() {
    if (F314Int1 == 1) {
        DischargeGroups[1].noSurfaces = 0;
        FindDischargeGroupSurfaces(1);
    }
    if (F314Int2 == 1) {
        DischargeGroups[2].noSurfaces = 0;
        FindDischargeGroupSurfaces(2);
    }
}

void LogGroups() {
    for (int g = 1; g <= kMaxGroup; ++g) {
        const DischargeGroupRecord& r = DischargeGroups[g];
        if (r.discharge <= 1e-20) continue;
        LogAppend("In ReadUnstructure:\n");
        LogAppend("Group %d, surfaces %d, xyno %d, discharge %lf l/s", g, r.noSurfaces, r.noPoints, r.discharge);
        if (r.groupMode == 0) LogAppend(" Dirichlet boundary condition");
        if (r.groupMode == 1) LogAppend(" zero gradient boundary condition");
        LogAppend("\n");
    }
}

void AddPartitionFixedPoints() {
    const BlockRecord& b = BlockTable[1];
    for (int i = b.iFirst - 1; i <= b.iFirst; ++i) {
        for (int j = b.jFirst; j <= b.jLast; ++j) {
            bool listed = false;
            for (int n = 1; n <= NoFixedPoints && !listed; ++n) listed = FixedPointI[n] == i && FixedPointJ[n] == j;
            if (listed) continue;
            if (NoFixedPoints + 1 >= kFixedPointSlots) {
                FailWithLog(-1, "Error: the partition rows need more than %d fixed grid points\n", kFixedPointSlots - 1);
            }
            ++NoFixedPoints;
            FixedPointI[NoFixedPoints] = i;
            FixedPointJ[NoFixedPoints] = j;
        }
    }
}

void SetRoughness() {
    if (WallRoughness < 0.0) WallRoughness = std::pow(26.0 / StricklerCoefficient, 6.0);
    WallRoughness = std::max(WallRoughness, 1e-5);
    for (int i = 2; i <= NoGridLinesX; ++i) {
        for (int j = 2; j <= NoGridLinesY; ++j) GridBedRough[i][j] = WallRoughness;
    }
    ReadBedroughFile();
}

// Each monitored cell gets its level above the bed cell and the grid indexes
// of its column; items that name no cell of this grid are left alone.
void LocateMonitors() {
    int skipped = 0;
    for (int r = 0; r < std::min(NoTimeoRecords, kTimeoRecords); ++r) {
        TimeoRecord& rec = TimeoRecords[r];
        for (int k = 0; k < std::min(rec.noItems, kTimeoItems); ++k) {
            int c = rec.value[k];
            if (!ValidCell(c)) {
                ++skipped;
                continue;
            }
            int steps = 0;
            while (steps < 21 && ValidCell(Ccellb[c])) {
                c = Ccellb[c];
                ++steps;
            }
            const int column = Cbedcell[c];
            if (column <= 0 || column > NoBedCells) {
                ++skipped;
                continue;
            }
            rec.cellLevel[k] = steps;
            rec.columnI[k] = Bkooi[column];
            rec.columnJ[k] = Bkooj[column];
        }
    }
    if (skipped > 0) LogAppend("Warning: %d timei monitor items name no cell of the grid; skipped\n", skipped);
}

}  // namespace

int SetUpAfterReadingGrid() {
    const int version = ReadUnstrucVersion;
    ApplyGroupOverrides();
    const int passes = MarkRegions();
    if (version <= 2 && passes > 0) SmoothUnlocatedNodes(passes);
    if (version != 4) metric();
    SetStatusText(" Have read unstruc file       ");
    LocateReferenceColumns();
    if (MpiPart == 0 && version != 4) CheckReferenceGroups();
    // Without cells (a version-4 file, or cells about to be replaced) the end
    // groups are located only once the grid is regenerated.
    const bool regenerate = version == 4 || RegenerateGridFlag == 1;
    if (F314Int1 == 1) BuildEndGroup(1, 1, BlockTable[1].iFirst - 1);
    if (F314Int2 == 1) BuildEndGroup(2, 0, BlockTable[1].iLast);
    if (!regenerate) {
        LocateEndGroups();
        LogGroups();
    }
    ReadKoordinaFile();
    if (MpiPart >= 2) AddPartitionFixedPoints();
    const int koomin = ReadKoominFile();
    if (koomin != 0) return koomin;
    if (F349Option == 1) {
        metric();
        ReadAlpha1File();
    }
    SetRoughness();
    ComputePlanAreas();
    if (regenerate) {
        Unstructure();
        // Only a grid the generator actually rebuilt needs its metric again.
        if (GridRegeneratedFlag == 1) metric();
        if (version != 4 || GridRegeneratedFlag == 1) LocateEndGroups();
        LogGroups();
    }
    // A file without cells that the generator did not fill has no columns to
    // count or monitor yet.
    const bool hasCells = version != 4 || GridRegeneratedFlag == 1;
    if (hasCells) {
        // A grid read is active as a whole, as one generated by Y: the
        // tables of letter M before any flow run must not see an empty range.
        if (!regenerate) {
            FirstCell = 1;
            LastCell = NoCells;
            FirstSurface = 1;
            LastSurface = NoSurfaces;
        }
        if (BedNeighboursNeeded()) BuildBedNeighbours();
        UpdateWaterColumnsAfterRegrid();
        LocateMonitors();
    }
    // The flag belongs on the whole-grid record, where the free-surface update
    // looks for it; on block 1 it would take the main block for a layer block.
    if (LayerBlockOption == 1) BlockTable[0].layerBlock = 1;
    if (LayerBlockOption == 2 && F159Int1 == 1) BlockTable[2].field12 = 0;
    if (NoCells > 100000) PlotModeLetter = 'Z';
    if (F271Option > 0 && Blevelcorr.exists()) {
        for (int n = 1; n <= NoBedCells; ++n) Blevelcorr[n] = 0.0;
    }
    if (BedAngleFileOption > 0) ReadBedangleFile();
    MaxPartnerBlock = 0;
    for (int b = 1; b <= NoBlocks; ++b) MaxPartnerBlock = std::max(MaxPartnerBlock, BlockTable[b].overlapLevel);
    return 0;
}
