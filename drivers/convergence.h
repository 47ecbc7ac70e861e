// The convergence check of the water-flow drivers.
#pragma once

// Reduces MaxResidual[1..6] to ResMax (entries below 1e-90 become 0) and
// returns the equation of the largest entry: the lowest on ties, the first
// that is not a number when one is not, 0 when all are 0.
int LargestResidualEquation();

// The diagnosis of a diverged iteration in `boogie` and the plan VTK file.
void PrintDivergenceDetails();

class LogLines;
// The P 11 monitor line of a residual report.
void AddMonitorLine(LogLines& out);
