// Writers that only the results dispatcher calls.
#pragma once

// The bed state file `bedres.t`, "bedres.mpi%d.t" or numbered; ends the run
// with status -3 when it cannot be written.
void WriteBedStateFile();

// The reports in `boogie.spe`; each returns false when the file cannot be
// written, which ends the dispatcher's call.
bool WriteSlopingAreaReport();
bool WriteDischargeReport();
bool WriteProfileReport();
bool AppendProfileReport();

// Cell numbers read from the grid: the bottom cell stored in node column
// (i, j), and the top cell of the column of cell c; 0 where there is none.
int NodeColumnBottomCell(int i, int j);
int ColumnTopCell(int c);
