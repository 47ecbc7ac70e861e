// Residuals of the cell equations: how far the field designated by `Cf` is
// from satisfying the assembled equation of `Equation`, normalised by
// `ResidualScale` of the equation.
#pragma once

// Exit status of a residual that cannot be normalised (no residual scale).
inline constexpr int kResidualNotSetStatus = -1;

// Serial callers: adds the normalised residual of cells first..last to
// `MaxResidual`[`Equation`] (callers zero the slot first).
void ComputeResidual(int first, int last);

// One chunk of a parallel residual: returns the chunk's normalised residual
// and leaves `MaxResidual` alone. Safe on worker threads; a stop found there
// is reported by the master after the region (ReportRegionFatal).
double ComputeResidualRange(int first, int last);

// Stores the sum of the chunk results of one equation into
// `MaxResidual`[`Equation`]. The continuity residual is measured against
// `ContinuityResidualOffset` here, once for the whole range.
void StoreResidualSum(double sum);
