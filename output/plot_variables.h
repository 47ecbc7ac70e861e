// The G 24 plot variables: what each letter shows at a cell or a grid node,
// and the name each plot file gives it.
//
// Every read goes through the guarded accessors below, so a letter whose
// array does not exist in this run, or whose layer, size or component lies
// outside it, shows 0 instead of reading past the data.
#pragma once

#include <string>

#include "run/arrays.h"
#include "run/guarded_read.h"
#include "run/params_g.h"

// The four plot files; the names of a letter differ between them.
enum class PlotWriter { kTecplotPlan, kTecplot3D, kVtkPlan, kVtk3D };

// A field at cell c: 0 for no cell (c = 0), whatever lies in slot 0.
inline double AtCell(const Array1<double>& a, int c) { return c > 0 ? ValueAt(a, c) : 0.0; }

// Cell walks along the column links; they stop at the end of the column, and
// after as many steps as there are cells, so a damaged link cannot hang them.
int CellUp(int c, int levels);
int ColumnBottomCell(int c);

// The value of `letter` at cell c (0 = no cell) for bed layer `layer`,
// sediment size `size` and water-quality component `component`. The grid-node
// letters s, t, v, y and z have no cell value (0).
double PlotCellValue(char letter, int c, int layer, int size, int component);

// The value of `letter` at water column b in the bed mode of the VTK plan
// file: the bed letters G, L, N, O, a, b, f, l, r, U and m; 0 for the others.
double PlotBedValue(char letter, int b, int layer, int size);

// s, t, v, y and z: true, and their value at structured node (i, j).
bool IsNodeLetter(char letter);
double PlotNodeValue(char letter, int i, int j);

// The layer an entry reads (its level less one, at least 0).
inline int EntryLayer(const PlotVariableRecord& r) { return r.level > 1 ? r.level - 1 : 0; }
// Sets the shared bnodem and lnodem to the entry's layer and size.
void MarkPlotEntry(const PlotVariableRecord& r);

// The entry's name in the given plot file.
std::string PlotVariableName(const PlotVariableRecord& r, PlotWriter writer);

// Before the last results of a diverging run: an empty list becomes
// y v m p s u w i z (level 0), R and K (level 1) are added when per-cell
// residuals are stored and there is room, and the VTK plan file is selected.
void PreparePlotsForDivergence();
