// What the alternative column-and-cell generators (F 64 other than the
// default family) share: level counts, the steep-column thinning, numbering,
// block ranges, known faces and the constructor variant.
#pragma once

#include "grid/grid_data.h"
#include "grid/grid_generation.h"

// The block whose cells are being built; the constructor variant searches
// neighbouring columns only inside it, so blocks never share points here.
extern const BlockRecord* VariantBlock;

// Like AddHexCell, for columns whose neighbours do not share all their
// levels: also takes the points of the neighbour one level up and, with
// F 64 exactly 2, points of deeper neighbour columns at or below the new
// corners. The cell lies in column (i, j) at level k. Returns 0.
int AddHexCellVariant(int cell, int i, int j, int k);

namespace altgrid {

double Bed(int i, int j);
double Surface(int i, int j);
double Depth(int i, int j);

// Levels of a node from its depth: 1 dry, 2 shallow, else
// int((d / scale) ^ exponent * span) + base, never above NZ. A scale of 0
// (no wet node in the pass) leaves every node at the shallow count.
int PowerLevels(double d, double scale, double exponent, int span, int base);

// Opens and closes the block's cell, face and point ranges.
void OpenRanges(BlockRecord& r);
void CloseRanges(BlockRecord& r);

// A fixed-layer block (field 8 not 1) needs 1..NZ-1 layers; otherwise the
// run ends with one line naming the block.
void RequireFixedLayers(int block, const BlockRecord& r);
// Fixed-layer levels: field 9 equal layers from (second real - first real)
// up to the second real, in the slots NZ - field 9 .. NZ of every node.
void SetFixedLayerLevels(const BlockRecord& r);

// The steep-column thinning: how many layers a column whose bed falls by
// more than the length `side` across it gives up (never more than the
// spread of its corner level counts, never below 0).
int ThinningLayers(int i, int j, double side);
// The shorter of the two column sides that meet at node (i, j).
double ShorterSide(int i, int j);
// The square root of the column's plan area.
double PlanSide(int i, int j);

// Largest and smallest level count of the four corner nodes, and their sum.
int LargestCorner(int i, int j);
int SmallestCorner(int i, int j);
int CornerSum(int i, int j);

// Numbers the cells of every column with n > 0 in the order j outer, i inner,
// from the bed up: at levels NZ+1-n..NZ (top-aligned) or 1..n.
void NumberColumns(const BlockRecord& r, bool topAligned);

// Plan corners of column (i, j) into CellWork (corners 5..8 above 1..4).
void PlanCorners(int i, int j);

// West, south and bottom faces known from the cells built before.
void KnownFaces(const BlockRecord& r, int i, int j);

// Whether the column (i + di, j + dj) next to column (i, j) lies in the block.
bool InsideBlock(const BlockRecord& r, int i, int j);

// The capacity guard around one constructor call: false when the cell does
// not fit or the counts reached their capacities after it.
template <class Build>
bool BuildGuarded(int cell, Build build) {
    if (!RoomForCell(cell)) return false;
    build();
    return !CapacityReached();
}

}  // namespace altgrid
