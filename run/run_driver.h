// The run driver: reads the configuration and runs the F 2 letters.
#pragma once

// Runs the whole engine in the current directory as the process entry does
// and returns the exit status.
int RunEngine();

void RunDriver();

// Ends the run (-6) when sediment inflow comes from both `timei` and M data sets.
void CheckSedimentInflowSources();

// Writes the bed-fraction file; no task of the engine calls it.
int CallFracresWriter();
void EmptyStub();

// Letter I with transient sediment: concentrations of every size to their old values.
void CopyConcentrationsToOld();
