// The steps of the metric that live in files of their own.
#pragma once

#include "grid/grid_data.h"
#include "run/run_state.h"

// The bottom cell of column (i, j) from slot 0 of `Gridz`; 0 for a dry
// column or one the arrays do not hold.
int ColumnBottomCell(int i, int j);

// Calls f(cell) for the cells of a column from `bottom` upwards. A column
// never holds more cells than the grid, so a damaged link cannot loop.
template <class F>
void ForEachCellUp(int bottom, F f) {
    int steps = 0;
    for (int c = bottom; c > 0 && c <= NoCells && steps < NoCells; c = Ccellt[c], ++steps) f(c);
}

// Reports of a cell the metric cannot work with (status -1), and of a cell
// turned upside down, after which the metric goes on (unless a pause on it
// was asked for with F 156 10073).
[[noreturn]] void ReportZeroVolumeCell(int cell);
[[noreturn]] void ReportSkewedCell(int cell);
void ReportUpsideDownCell(int cell);

// The four partner cells, and the directions to them, of every
// block-boundary record.
void FindBoundaryPartners();

// The F 212 12 histogram of bed levels, `cellvol`.
void WriteCellHistogram();
