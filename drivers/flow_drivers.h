// The water-flow drivers and their monitoring output.
#pragma once

int WaterSolve();
int SolveFlowLastBlock();
int SolveShallowWater();
int SolveFlowBlockParallel();
int watersolve_fast();
int SolveFlowGridLevels();
int SolveFlow3DHydrostatic();
int SolveFlow2D();
void WriteTimeo();

// Pressure-correction neighbour coefficients of the active surfaces from
// CinvAp; the caller has set Equation to 4 and recomputed the fluxes.
void ComputeFaceValuesParallel();
// Continuity defect of every active cell into Csource, with the boundary
// discharges of the groups.
void ComputeMassDefectSource();
