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
// Its region bodies: each thread takes an even share of the active surfaces;
// B adds the free-surface term of F 271 = 1, A the least face area of F 184.
void ComputeFaceValuesBodyA();
void ComputeFaceValuesBodyB();
// Continuity defect of every active cell into Csource, with the boundary
// discharges of the groups.
void ComputeMassDefectSource();
// The boundary discharges of the groups on a coarser grid level, carried to
// the level cells that hold the groups' cells.
void AddCoarseLevelGroupSources();
