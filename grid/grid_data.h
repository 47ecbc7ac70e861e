// Global data of the grid: blocks, discharge groups and the structured arrays.
#pragma once

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
extern BlockRecord BlockTable[kBlockTableSize];

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

// Structured grid, (NoGridLinesX + 2) x (NoGridLinesY + 2) node columns.
extern Array2<double> Gridx;
extern Array2<double> Gridy;
extern Array3<double> Gridz;       // [i][j][k], k = 0..NoGridLinesZ + 1
extern Array3<double> GridLevels;  // [plane][i][j]

// Clears the block table (field 12 set to 1) and gives every discharge group
// its start values.
void ResetBlocksAndGroups();
