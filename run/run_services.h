// Allocation and input-file operations of the run frame.
#pragma once

// 0 on success, -1 when an allocation failed.
int AllocateStructuredArrays();
// Bytes allocated by this call, or -1.0 when an allocation failed.
double AllocateUnstructuredArrays();
// 0 when read completely, missing, or not wanted; else a positive error code.
int ReadTimeiFile();
void ReadCyclicFile();
void ReadInflowFile();
void ReadInspaceFile();

// Adds the sediment that enters through the inflow discharge groups to the
// equation of size 1 of the single-size system (Cap, Csource), or to that of
// size s (CapMulti[s], CsourceMulti[s]). Ends the run with status -1 on an
// `inspace` concentration outside -1e-7..1.
void AddSedimentInflowSize1();
void AddSedimentInflowForSize(int s);

// Reads `vegdata` on the first call; on every call sets the vegetation
// parameter of each cell at `stime` and adds the vegetation drag to the
// momentum equation being assembled (`Equation`).
void ReadVegdataFile();

// Writes `control.new`: the configuration of this run in the syntax of
// `control`, for the user to copy from after a failed grid generation.
void WriteControlNew();
// Writes a new `control` with a minimal configuration of the structured grid.
void WriteMinimalControl();
