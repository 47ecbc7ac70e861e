// The run driver: reads the configuration and runs the F 2 letters.
#pragma once

// Runs the whole engine in the current directory as the process entry does
// and returns the exit status.
int RunEngine();

void RunDriver();

// The run flags cleared and every global array emptied, as at the start of a run.
void ClearRunState();

// Reads `control` and builds the grid as a run would before its first task:
// the grid letters of F 2 (U reads `unstruc`, V interpolates `geodata`, Y
// generates the cells) in their order, the others skipped.
void ReadProjectGrid();

// Ends the run (-6) when sediment inflow comes from both `timei` and M data sets.
void CheckSedimentInflowSources();

// Writes the bed-fraction file; no task of the engine calls it.
int CallFracresWriter();
void EmptyStub();

// Letter I with transient sediment: concentrations of every size to their old values.
void CopyConcentrationsToOld();
