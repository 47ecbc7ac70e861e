// The grid generator's frame: reset, the choice of the column-and-cell
// algorithm, and the steps after it (block-boundary records, side edges,
// column numbering, appended blocks, file counts, dead ends, monitors).
#include <algorithm>

#include "flow/flow_data.h"
#include "grid/companion_files.h"
#include "grid/grid_data.h"
#include "grid/grid_generation.h"
#include "grid/grid_services.h"
#include "run/fatal.h"
#include "run/globals.h"
#include "run/log.h"
#include "run/run_services.h"
#include "run/status.h"
#include "run/timei_data.h"

int GenerationFailedBlock = 0;
double GenerationLargestDepth = 0.0;

namespace {

template <class T>
bool Holds(const Array1<T>& a, long long index) {
    return index >= 0 && static_cast<size_t>(index) < a.size();
}

}  // namespace

bool RoomForCell(int cell) {
    return cell > 0 && cell < MaxCeller && Holds(Cpoint1, cell) && NoSurfaces + 6 < MaxFlater &&
           Holds(Fpoint1, static_cast<long long>(NoSurfaces) + 6) && NoPoints + 8 < MaxPoints &&
           Holds(Px1, static_cast<long long>(NoPoints) + 8);
}

bool CapacityReached() { return NoPoints >= MaxPoints - 1 || NoSurfaces >= MaxFlater - 1 || NoCells >= MaxCeller - 1; }

namespace {

template <class T>
void ClearFirst(Array1<T>& a, int count) {
    const size_t n = std::min(a.size(), static_cast<size_t>(std::max(count, 0)));
    std::fill(a.data(), a.data() + n, T{});
}

void ClearStructuredMaps() {
    const int nz = NoGridLinesZ;
    for (int i = 0; i <= NoGridLinesX + 1; ++i) {
        for (int j = 0; j <= NoGridLinesY + 1; ++j) {
            GridWetPoint[i][j] = 0;
            GridWetColumn[i][j] = 0;
            GenColumnWork1[i][j] = 0;
            GenColumnWork2[i][j] = 0;
            GenColumnWork3[i][j] = 0;
            for (int k = 0; k <= nz + 1; ++k) CellIndex3[i][j][k] = 0;
        }
    }
    if (GridAlgorithm == 9 && GenColumnWork4.exists()) {
        for (int i = 0; i <= NoGridLinesX; ++i) {
            for (int j = 0; j <= NoGridLinesY; ++j) GenColumnWork4[i][j] = GenColumnWork5[i][j] = GenColumnWork6[i][j] = 0;
        }
    }
}

// Nothing of the previous grid survives but the old bed cells: the reset runs
// over the capacities, not over the counts in use.
void ResetGrid() {
    NoPoints = NoCells = NoSurfaces = 0;
    GridRegeneratedFlag = 1;
    ClearStructuredMaps();
    for (size_t p = 0; p < std::min(EdgePairs.extent1(), static_cast<size_t>(std::max(MaxEdgePairs, 0))); ++p) {
        EdgePairs[p][0] = EdgePairs[p][1] = 0;
    }
    for (Array1<int>* a : {&Csurfe, &Csurfw, &Csurfs, &Csurfn, &Csurft, &Csurfb, &Ccelle, &Ccellw, &Ccells, &Ccelln,
                           &Ccellt, &Ccellb, &C2DFlag, &CdeadEndFlag, &Ctrekant}) {
        ClearFirst(*a, MaxCeller);
    }
    if (SplitFaceFlag > 0) {
        for (Array1<int>* a : {&Cnocellss, &Cnocellse, &Cnocellsn, &Cnocellsw}) ClearFirst(*a, MaxCeller);
        for (Array2<int>* a : {&CnbMultiS, &CnbMultiE, &CnbMultiN, &CnbMultiW}) {
            if (!a->exists()) continue;
            const size_t cells = std::min(a->extent1(), static_cast<size_t>(std::max(MaxCeller, 0)));
            const size_t levels = std::min(a->extent2(), static_cast<size_t>(std::max(NoGridLinesZ, 0)));
            for (size_t c = 0; c < cells; ++c) {
                for (size_t k = 0; k < levels; ++k) (*a)[c][k] = 0;
            }
        }
    }
    for (Array1<int>* a : {&Fcell1, &Fcell2, &Fcellfar1, &Fcellfar2, &Fgenflag}) ClearFirst(*a, MaxFlater);
}

bool HasColumns(const BlockRecord& r) { return r.depthAveraged == 0 && r.gridLevel == 0; }

void FindMaxDepth() {
    double largest = 0.0;
    for (int b = 1; b <= NoBlocks; ++b) {
        const BlockRecord& r = BlockTable[b];
        // The layer block holds soil, not water: its thickness would thin the
        // layers of the block above it on a rebuild.
        if (!HasColumns(r) || IsColumnLayerBlock(b)) continue;
        for (int i = r.iFirst - 1; i <= r.iLast; ++i) {
            for (int j = r.jFirst - 1; j <= r.jLast; ++j) {
                largest = std::max(largest, Gridz[i][j][NoGridLinesZ] - Gridz[i][j][1]);
            }
        }
    }
    GenerationLargestDepth = largest;
    MaxDepth = std::max(MaxDepth, largest);
    if (MaxGridDepth > 0.0) MaxDepth = MaxGridDepth;
}

void SaveOldBedCells() {
    for (int i = 0; i <= NoGridLinesX; ++i) {
        for (int j = 0; j <= NoGridLinesY; ++j) {
            GridOldBedCell[i][j] = static_cast<int>(Gridz[i][j][0]);
            Gridz[i][j][0] = 0.0;
        }
    }
}

// Until an algorithm builds a block, the block holds no cells.
void EmptyBlockRanges(int first) {
    for (int b = first; b <= NoBlocks; ++b) {
        BlockRecord& r = BlockTable[b];
        if (r.depthAveraged == 1) continue;
        r.firstCell = NoCells + 1;
        r.lastCell = NoCells;
        r.firstSurface = NoSurfaces + 1;
        r.lastSurface = NoSurfaces;
        r.firstPoint = NoPoints + 1;
        r.lastPoint = NoPoints;
    }
}

bool DefaultFamily(int a) { return a == 8 || a == 11 || a == 13 || a == 38 || a > 99; }

bool RunAlgorithm() {
    if (SplitFaceFlag >= 1) return GenerateSplitFaceColumns();
    const int a = GridAlgorithm;
    if (DefaultFamily(a)) return GenerateDefaultColumns();
    switch (a) {
        case 0: case 30: case 1: case 31: return GenerateFixedLevelColumns();
        case 2: case 32: case 3: case 4: case 33: case 5: case 35: case 6: case 36: case 7: case 37: case 10: case 12:
            return GenerateLayeredColumns();
        case 9: return GenerateSteppedSlopeColumns();
        case 14: case 15: return BuildColumnsDirect();
        default: return true;  // a value without an algorithm builds no cells
    }
}

// A depth-averaged block is appended after the counts of the grid file are
// taken; one left by an earlier generation must not be counted.
void DropStaleDepthAveragedBlock() {
    if (NoBlocks > 0 && BlockTable[NoBlocks].depthAveraged == 1) --NoBlocks;
}

void SetFileCounts() {
    FileNoCells = NoCells;
    FileNoBlocks = NoBlocks;
    FileNoSurfaces = NoSurfaces;
    FileNoEdges = NoEdges;
}

// The block that ran out of room and every later one lose their cells, so
// the grid left behind is the complete blocks before them.
void DropFailedBlocks(int failed) {
    const BlockRecord& f = BlockTable[failed];
    NoCells = std::max(f.firstCell - 1, 0);
    NoSurfaces = std::max(f.firstSurface - 1, 0);
    NoPoints = std::max(f.firstPoint - 1, 0);
    for (int b = failed; b <= NoBlocks; ++b) {
        const BlockRecord& r = BlockTable[b];
        if (r.depthAveraged == 1) continue;
        for (int i = std::max(r.iFirst - 1, 0); i <= std::min(r.iLast, NoGridLinesX + 1); ++i) {
            for (int j = std::max(r.jFirst - 1, 0); j <= std::min(r.jLast, NoGridLinesY + 1); ++j) {
                Gridz[i][j][0] = 0.0;
                GridWetColumn[i][j] = 0;
                for (int k = 1; k <= NoGridLinesZ; ++k) CellIndex3[i][j][k] = 0;
            }
        }
    }
    EmptyBlockRanges(failed);
    NoEdgePairs = FileNoEdgePairs = 0;
    NoBoundaryCells = 0;
    FirstCell = 1;
    LastCell = NoCells;
    FirstSurface = 1;
    LastSurface = NoSurfaces;
    DropStaleDepthAveragedBlock();
    SetFileCounts();
}

}  // namespace

[[noreturn]] void ReportGenerationOverflow() {
    const int points = NoPoints, surfaces = NoSurfaces, cells = NoCells;
    if (!LogAvailable()) FailLogUnavailable();
    DropFailedBlocks(std::max(GenerationFailedBlock, 1));
    WriteKoosurfFiles();
    WriteControlNew();
    LogAppend("Error: Unstructured arrays are too small. Increase with the F 65 data set.\n");
    LogAppend("NoPoints=%d, MaxPoints=%d\n", points, MaxPoints);
    LogAppend("NoSurface=%d, MaxFlater=%d\n", surfaces, MaxFlater);
    LogAppend("NoCells=%d, MaxCeller=%d\n", cells, MaxCeller);
    LogAppend("The coordinates are written to the koosurf file. This can be imported in \n");
    LogAppend("the Grid Editor (Add block from koosurf)\n");
    LogAppend("The NoMovePoints are written to the control.new file on the W 6 data sets.\n");
    LogAppend("You may copy the W 6 data sets from control.new file into your control file.\n");
    LogAppend("The control.new file does not contain all data sets, so don't use it to replace \n");
    LogAppend("the control file.\n\n");
    SetStatusText(" Unstructured arrays are too small (F 65) ");
    EndRun(kGridOverflowStatus);
}

namespace {

[[noreturn]] void ReportRecordsFull(const char* where, int capacity, const char* records) {
    LogAppend("Error: the %s need more than %d %s. Increase with the F 65 data set.\n", where, capacity, records);
    SetStatusText(" Unstructured arrays are too small (F 65) ");
    EndRun(kGridOverflowStatus);
}

bool ValidCell(int c) { return c > 0 && c <= NoCells; }

bool AddBoundaryRecord(int cell, int face, int block) {
    const int r = NoBoundaryCells + 1;
    if (r >= MaxBoundaryCells || !Holds(BoundaryCellNo, r)) return false;
    NoBoundaryCells = r;
    BoundaryCellNo[r] = cell;
    BoundaryCellSurface[r] = face;
    BoundaryCellBlock[r] = block;
    return true;
}

// The cells of overlapping blocks on the block edges; false when the
// record arrays are full.
bool MakeBoundaryRecords() {
    NoBoundaryCells = 0;
    for (int b = 1; b <= NoBlocks; ++b) {
        const BlockRecord& r = BlockTable[b];
        if (r.overlapLevel <= 0) continue;
        for (int i = r.iFirst; i <= r.iLast; ++i) {
            for (int j = r.jFirst; j <= r.jLast; ++j) {
                int c = static_cast<int>(Gridz[i][j][0]);
                for (int steps = 0; ValidCell(c) && steps < NoCells; ++steps, c = Ccellt[c]) {
                    C2DFlag[c] = 2;
                    const bool sides = F280Option != 3;
                    if (Ccelle[c] == 0 && i == r.iLast && sides && !AddBoundaryRecord(c, Csurfe[c], b)) return false;
                    if (Ccells[c] == 0 && j == r.jFirst && sides && !AddBoundaryRecord(c, Csurfs[c], b)) return false;
                    if (Ccellw[c] == 0 && i == r.iFirst && !AddBoundaryRecord(c, Csurfw[c], b)) return false;
                    if (Ccelln[c] == 0 && j == r.jLast && sides && !AddBoundaryRecord(c, Csurfn[c], b)) return false;
                    if (Ccellt[c] == 0 && F241Option == 1 && !AddBoundaryRecord(c, Csurft[c], b)) return false;
                }
            }
        }
    }
    return true;
}

// False when the pair list is full: a grid joined along some of its side
// edges and not others would pass water through the one and wall off the
// other, so it must not be used.
bool JoinSideEdges() {
    NoEdgePairs = 0;
    FirstCell = 1;
    LastCell = NoCells;
    FirstSurface = 1;
    LastSurface = NoSurfaces;
    if (NoEdges > 0) {
        for (int c = 1; c <= NoCells; ++c) {
            if (Ccellt[c] != 0) continue;
            if (Ccells[c] == 0 && AddSurfaceEdge(Cpoint1[c], Cpoint2[c], c, 1) < 0) return false;
            if (Ccelle[c] == 0 && AddSurfaceEdge(Cpoint2[c], Cpoint3[c], c, 2) < 0) return false;
            if (Ccelln[c] == 0 && AddSurfaceEdge(Cpoint3[c], Cpoint4[c], c, 3) < 0) return false;
            if (Ccellw[c] == 0 && AddSurfaceEdge(Cpoint4[c], Cpoint1[c], c, 4) < 0) return false;
        }
    }
    FileNoEdgePairs = NoEdgePairs;
    if (InterfaceSide > 0) ConnectBlocks();
    return true;
}

// Later generations keep the numbering of the first.
void NumberColumns() {
    if (!Cbedcell.exists()) return;
    if (Iter < 2) {
        int b = 0;
        for (int n = 1; n <= NoBlocks; ++n) {
            const BlockRecord& r = BlockTable[n];
            for (int i = r.iFirst; i <= r.iLast; ++i) {
                for (int j = r.jFirst; j <= r.jLast; ++j) {
                    if (!Holds(Bkooi, b + 1)) continue;
                    ++b;
                    Bkooi[b] = i;
                    Bkooj[b] = j;
                    const int bed = static_cast<int>(Gridz[i][j][0]);
                    if (Holds(Cbedcell, bed)) Cbedcell[bed] = b;
                }
            }
        }
    }
    Cbedcell[0] = 0;
    Bkooi[0] = 1;
    Bkooj[0] = 1;
}

bool ShorelineFamily(int a) { return (a >= 2 && a <= 4) || (a >= 11 && a <= 13) || (a >= 30 && a <= 40) || a > 99; }

void MarkDeadEnds() {
    for (int pass = 0; pass < 21; ++pass) {
        for (int c = 1; c <= NoCells; ++c) {
            int open = 0;
            for (Array1<int>* a : {&Ccells, &Ccelln, &Ccelle, &Ccellw, &Ccellt, &Ccellb}) {
                const int n = (*a)[c];
                if (n != 0 && CdeadEndFlag[n] == 0) ++open;
            }
            if (open == 0 || (open == 1 && CdischargeGroup[c] == 0)) CdeadEndFlag[c] = 1;
        }
    }
}

// Level and surface monitors of `timei` follow their column into the new
// grid; a column outside the grid is left alone and reported.
void LocateColumnMonitors() {
    int skipped = 0;
    for (int r = 0; r < std::min(NoTimeoRecords, kTimeoRecords); ++r) {
        TimeoRecord& rec = TimeoRecords[r];
        for (int k = 0; k < std::min(rec.noItems, kTimeoItems); ++k) {
            const int i = rec.value2[k], j = rec.value3[k];
            if (i <= 0) continue;
            if (i > NoGridLinesX + 1 || j < 0 || j > NoGridLinesY + 1) {
                ++skipped;
                continue;
            }
            const int bed = static_cast<int>(Gridz[i][j][0]);
            if (!ValidCell(bed)) {
                rec.value[k] = 0;
            } else {
                rec.value[k] = ValidCell(Ccellt[bed]) ? Ccellt[bed] : bed;
            }
        }
    }
    if (skipped > 0) LogAppend("Warning: %d timei monitor items name no column of the grid; skipped\n", skipped);
}

void LogEnd() {
    if (DebugOption != 'Q' && F299Option < 1) return;
    int points = 0;
    if (NoBlocks >= 1) {
        const BlockRecord& r = BlockTable[1];
        for (int i = std::max(r.iFirst - 1, 0); i <= std::min(r.iLast, NoGridLinesX + 1); ++i) {
            for (int j = std::max(r.jFirst - 1, 0); j <= std::min(r.jLast, NoGridLinesY + 1); ++j) {
                points += GridWetPoint[i][j];
            }
        }
    }
    LogAppend("End of Unstructure, Iter = %d, NoCells = %d\n", Iter, NoCells);
    LogAppend("Number of antlin points: %d, NoPoints: %d\n", points, NoPoints);
}

}  // namespace

int Unstructure() {
    if (stime < 0.001) LogAppend("Generating grid with F 64 %d algorithm\n", GridAlgorithm);
    if (MpiPart > 0 && MaxGridDepth < 0.0) {
        LogAppend("Error: the F 209 data set has to be used when generating mpi grids\n");
    }
    const double allocated = Cu.exists() ? 0.0 : AllocateUnstructuredArrays();
    MaxPartnerBlock = 0;
    for (int b = 1; b <= NoBlocks; ++b) MaxPartnerBlock = std::max(MaxPartnerBlock, BlockTable[b].overlapLevel);
    if (allocated < -0.01) {
        LogAppend("Error in allocation of arrays. The array size is probably\n");
        LogAppend("larger than what is available of memory on your computer\n\n");
        SetStatusText(" Error in array allocation       ");
        return -1;
    }
    PausePoint(1, "PauseFlag = 1");
    ResetGrid();
    FindMaxDepth();
    SaveOldBedCells();
    ComputePlanAreas();
    if (DryDepth < 0.0) ComputeF94Parameters();
    if ((LayerBlockOption > 1 || GroundwaterOption > 0) && NoBlocks > 1) --NoBlocks;
    if (F130Int1 > 0 && NoBlocks < 9) AppendRefinedBlock();

    EmptyBlockRanges(1);
    GenerationFailedBlock = 0;
    if (!RunAlgorithm()) ReportGenerationOverflow();

    // Every option that reads the bed-cell neighbours gets them rebuilt.
    if (BedNeighboursNeeded()) BuildBedNeighbours();
    // No caller reads a result: a grid missing some of its records must end
    // the run here.
    if (!MakeBoundaryRecords()) {
        ReportRecordsFull("block edges", MaxBoundaryCells, "boundary records");
    }
    if (!JoinSideEdges()) ReportRecordsFull("side edges", MaxEdgePairs, "edge pairs");
    NumberColumns();
    Gridz[0][0][1] = 0.0;
    Gridz[0][0][NoGridLinesZ] = 0.0;
    if (ShorelineFamily(GridAlgorithm) && Cbedcell.exists() && ShorelineOption > 0) {
        FitShoreline();
        if (TrekantOption < 30) AdjustShorelineCells();
    }
    if (LayerBlockOption > 1 || GroundwaterOption > 0) {
        if (LayerBlockGridVariant == 0) {
            AppendColumnLayerBlock(1);
        } else {
            AppendColumnLayerBlockAlt(1);
        }
    }
    DropStaleDepthAveragedBlock();
    SetFileCounts();
    if (Hydrostatic == 1 || Hydrostatic > 2) {
        AddDepthAveragedBlock();
    } else if (ShallowWaterOption == 1) {
        AddDepthAveragedBlockAlt();
    }
    MarkDeadEnds();
    LocateColumnMonitors();
    PausePoint(2, "PauseFlag = 2");
    LogEnd();
    return 1;
}
