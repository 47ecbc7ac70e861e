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
