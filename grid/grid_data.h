// Global data of the grid: blocks, discharge groups and the structured arrays.
#pragma once

#include <cstdint>
#include <memory>

#include "run/arrays.h"

// One block of the grid: 23 ints followed by two doubles, in file order.
struct BlockRecord {
    int iFirst, iLast, jFirst, jLast;
    int firstColumn, lastColumn;
    int overlapLevel;
    int depthAveraged;
    int field8;           // cell layers generated from the water depth
    int field9;           // number of grid levels of the block
    int gridLevel;
    int field11;
    int field12;          // 1 by default for every record
    int layerBlock;
    int field14, field15, field16;
    int firstCell, lastCell;
    int firstSurface, lastSurface;
    int firstPoint, lastPoint;
    double real1, real2;

    static constexpr int kInts = 23;
    // The ints in file order, for readers and writers that walk the record.
    int& intField(int n);
};

inline constexpr int kBlockTableSize = 100;
// Records 1..99 hold blocks; record 0 only the whole-grid cell range.
inline constexpr int kMaxBlocks = kBlockTableSize - 1;
extern BlockRecord BlockTable[kBlockTableSize];

// Two structured nodes that hold one point (records 0..NoEdges-1).
struct EdgeRecord {
    int iA, iB, jA, jB;
};
inline constexpr int kMaxEdges = 200;
extern EdgeRecord EdgeList[kMaxEdges];

// Cells whose equation gets a fixed source; they travel in the grid file.
inline constexpr int kSourceGroupCells = 100;
struct SourceCellGroup {
    int equation;
    int noCells;
    double amount;
    int cells[kSourceGroupCells];
};
inline constexpr int kSourceCellGroups = 10;
extern SourceCellGroup SourceCellGroups[kSourceCellGroups];

// The cell a generator hands to the cell constructor: corners 1..8 and
// sides 1..6 (0 = none or not known yet).
struct CellWorkRecord {
    double x[9], y[9], z[9];
    int neighbour[7];
    int surface[7];
};
extern CellWorkRecord CellWork;

inline constexpr int kGroupPoints = 5000;
inline constexpr int kGroupSurfaces = 1000000;

// A discharge group; groups 1..9 are used and travel in the grid file.
struct DischargeGroupRecord {
    int groupType;        // 1 marks an inflow group
    int groupMode;
    int inflowComponent;
    int fromLevel, toLevel;
    int noSurfaces;
    int noPoints;
    double discharge;
    double inflowConc;
    double inflowK, inflowEps;
    double area;
    double pointX[kGroupPoints];
    double pointY[kGroupPoints];
    int surfaceList[kGroupSurfaces];
    int levelList[kGroupSurfaces];
};

inline constexpr int kDischargeGroups = 10;
struct FreeDeleter {
    void operator()(void* p) const;
};
// Ten records of about 8 MB each, so they live on the heap (zeroed by calloc,
// so pages of the long lists cost nothing until a group uses them).
extern std::unique_ptr<DischargeGroupRecord[], FreeDeleter> DischargeGroups;

// Structured grid: [i][j] over the grid lines with one halo line on each side.
extern Array2<double> Gridx;
extern Array2<double> Gridy;
extern Array2<double> GridAttract1;
extern Array2<double> GridAttract2;
extern Array2<double> PlanArea;
extern Array2<double> GridBedRough;

// Node column of each grid point: slot 0 bottom cell, 1 bed level, up to NoGridLinesZ the node levels,
// NoGridLinesZ + 1 the new water level.
extern Array3<double> Gridz;

// Level planes per grid point: [plane][i][j], planes 0..4 (0..6 with a layer block).
extern Array3<double> GridLevels;
extern Array2<int> pointbed;
extern Array2<int> GridRegion;
extern Array2<int> GridOldBedCell;

// [i][j][2], with block interfaces or level coupling of blocks.
extern Array3<int> GridSlideLevel;

// Running-regression sums of the time averaging. The sample sums are 64-bit:
// the sum of the squared sample numbers passes 2^31 after some 1800 samples.
extern Array2<double> GridTrendSumY;
extern Array2<double> GridTrendSumXY;
extern Array2<std::int64_t> GridTrendSumX;
extern Array2<std::int64_t> GridTrendSumXX;
extern Array2<std::int64_t> GridTrendN;

// Level and layer counts of the generators and their work maps, [i][j].
extern Array2<int> GridWetPoint;
extern Array2<int> GridWetColumn;
extern Array2<int> GenColumnWork1;
extern Array2<int> GenColumnWork2;
extern Array2<int> GenColumnWork3;
extern Array2<int> GenColumnWork4;
extern Array2<int> GenColumnWork5;
extern Array2<int> GenColumnWork6;

// [i][j][k]: the cell of column (i, j) at grid level k (also the multigrid level cells).
extern Array3<int> CellIndex3;
extern Array3<int> GenLevelWork;

// Cell topology, per cell.
extern Array1<int> Csurfe;
extern Array1<int> Csurfw;
extern Array1<int> Csurfs;
extern Array1<int> Csurfn;
extern Array1<int> Csurft;
extern Array1<int> Csurfb;
extern Array1<int> Ccelle;
extern Array1<int> Ccellw;
extern Array1<int> Ccells;
extern Array1<int> Ccelln;
extern Array1<int> Ccellt;
extern Array1<int> Ccellb;
extern Array1<int> Cpoint1;
extern Array1<int> Cpoint2;
extern Array1<int> Cpoint3;
extern Array1<int> Cpoint4;
extern Array1<int> Cpoint5;
extern Array1<int> Cpoint6;
extern Array1<int> Cpoint7;
extern Array1<int> Cpoint8;
extern Array1<int> C2DFlag;
// The cells of the computational grid column by column from the bed up,
// between two 0 entries (written by the metric).
extern Array1<int> Cigrid;
extern Array1<int> Cjgrid;
extern Array1<int> Ctrekant;
extern Array1<int> CdeadEndFlag;
extern Array1<int> CdischargeGroup;
extern Array1<int> Cbedcell;

// Neighbours of the bed cell, with PressureGradientOption 20.
extern Array1<int> Ccelle_bottom;
extern Array1<int> Ccellw_bottom;
extern Array1<int> Ccells_bottom;
extern Array1<int> Ccelln_bottom;

// Split faces: the number of cells a side faces and, [cell][0..NoGridLinesZ-1], those cells.
extern Array1<int> Cnocellse;
extern Array1<int> Cnocellsw;
extern Array1<int> Cnocellss;
extern Array1<int> Cnocellsn;
extern Array2<int> CnbMultiE;
extern Array2<int> CnbMultiW;
extern Array2<int> CnbMultiS;
extern Array2<int> CnbMultiN;

// Cell geometry, per cell.
extern Array1<double> Cidist;
extern Array1<double> Cjdist;
extern Array1<double> Ckdist;
extern Array1<double> Cxcenter;
extern Array1<double> Cycenter;
extern Array1<double> Czcenter;
extern Array1<double> Cvol;
extern Array1<double> Careax;
extern Array1<double> Careay;
extern Array1<double> Careaz;
extern Array1<double> Cdxdi;
extern Array1<double> Cdxdj;
extern Array1<double> Cdxdk;
extern Array1<double> Cdydi;
extern Array1<double> Cdydj;
extern Array1<double> Cdydk;
extern Array1<double> Cdzdi;
extern Array1<double> Cdzdj;
extern Array1<double> Cdzdk;

// Geometry before a regeneration, by the F 147 copy mode.
extern Array1<double> Czcenter_old;
extern Array1<double> Ckdist_old;

// Surfaces.
extern Array1<int> Fcell1;
extern Array1<int> Fcell2;
extern Array1<int> Fcellfar1;
extern Array1<int> Fcellfar2;
extern Array1<int> Ftype1;
extern Array1<int> Ftype2;
extern Array1<int> Fflagflow;
extern Array1<int> Fpoint1;
extern Array1<int> Fpoint2;
extern Array1<int> Fpoint3;
extern Array1<int> Fpoint4;
extern Array1<int> Fsign;
extern Array1<int> Fgenflag;
extern Array1<double> Farea;
extern Array1<double> Fdist1;
extern Array1<double> Fdist2;
extern Array1<double> Fareax;
extern Array1<double> Fareay;
extern Array1<double> Fareaz;
extern Array1<double> Fvecx;
extern Array1<double> Fvecy;
extern Array1<double> Fvecz;

// Points.
extern Array1<double> Px1;
extern Array1<double> Py1;
extern Array1<double> Pz1;
extern Array1<int> Pmerge;
extern Array1<int> Pkooi;
extern Array1<int> Pkooj;

// Water columns (bed cells), slots 1..NoBedCells.
extern Array1<int> Bcellt;
extern Array1<int> Bcellt_old;
extern Array1<int> Bnocells;
extern Array1<int> Bnocells_old;
extern Array1<int> Bkooi;
extern Array1<int> Bkooj;
extern Array1<double> Bdepth;
extern Array1<double> Bdepth_old;
extern Array1<double> Barea;

// Pairs of surfaces of one joined interface, [pair][0..1].
extern Array2<int> EdgePairs;

// Block-boundary records and the links between cells of overlapping blocks.
extern Array1<int> CtiedCell;
extern Array1<int> Clink;
extern Array1<int> BoundaryCellCode;
extern Array1<int> BoundaryCellSurface;
extern Array1<int> BoundaryCellNo;
extern Array1<int> BoundaryCellBlock;
extern Array1<double> BoundaryCellValue;

// [record][0..3]
extern Array2<double> BoundaryCellWeight;
extern Array2<int> BoundaryCellPartner;

// [record][0..3][x, y, z]
extern Array3<double> BoundaryCellPartnerXyz;

// Extremes of the node coordinates located by the column data of the grid
// file; the koomin readers take their tolerance from them.
extern double GridXMin, GridXMax, GridYMin, GridYMax;

// Clears the block table (field 12 set to 1), the side edges, the source-cell
// groups and the cell under construction, and gives every discharge group its
// start values.
void ResetBlocksAndGroups();
