// Operations of the flow equations that other parts of the engine call.
#pragma once

// Prepares a flow computation: group discharges, inflow turbulence,
// relaxation factors and start values of the flow fields.
void InitialiseFlowRun();

// Discharges of the groups at the current time, outflow marks and the inflow
// and outflow terms of the equation being built.
void SetInflowBoundaryConditions();
// Outflow (kg/s, never negative) of group g that balances the discharges of
// the other groups and the water released from storage by the last
// free-surface update.
double ComputeBalanceOutflow(int g);

// Eddy viscosities Ceddyvisc and Ceddyviscz of cells first..last.
void ComputeEddyViscosity(int first, int last);
// Production and dissipation of the k and epsilon (or omega) equations.
void AddTurbulenceSources(int first, int last);
// Wall friction and the near-wall k and epsilon of cells first..last.
void ApplyWallLaws(int first, int last);
// Storage term of unsteady runs for cells first..last.
void AddTransientTerms(int first, int last);
// The wall laws of the wall-law faces themselves, which ApplyWallLaws hands
// its whole work to under F 305.
void ApplyFaceWallLaws(int first, int last);
// Smooth, transitional and mixed wall laws (F 15 = 5, 8, 9, 19) of the wall
// cells of first..last, after ApplyWallLaws has cleared them.
void ApplySmoothWallLaws(int first, int last);
// Fixed eddy viscosity of a layer block or an appended block (F 236), part
// of ComputeEddyViscosity before the vertical viscosity is set.
void SetLayerBlockViscosity(int first, int last);
// Bed-form, bed-change and soil-layer viscosity (F 290, F 281, F 144,
// F 236), the last part of ComputeEddyViscosity.
void AddBedViscosity(int first, int last);
// Pressure force of the momentum equation being built (Equation 1 U, 2 V,
// any other W), subtracted from Csource of cells first..last; the variant is
// PressureGradientOption as it stands at the call.
void AddPressureGradientForce(int first, int last);
// Weight of the water-surface slope in momentum equation `equation`.
void AddSurfaceSlopeGravity(int equation, int first, int last);
// Wind shear on the top cells (equations 1, 2) or the surface k and epsilon.
void AddWindStress(int equation);
// Coriolis force of the U and V equations on the active cells.
void AddCoriolisForce();
// Baroclinic pressure sources from the temperature-dependent density.
void AddDensityPressureSources(int mode);
// Deferred correction of the limited higher-order convection (K 6 10..19)
// of surfaces first..last. Several surfaces add to one cell: serial only.
void AddTvdCorrection(int first, int last);
// Head losses of the F 341 steps in the momentum equation being built.
void AddStepLossTerms();
// Second-order upwind neighbour coefficients, near and far (K 6 = 1), with
// the fixed weights 1.5 and -0.5; may run per chunk.
void ComputeSecondOrderCoefficients(int first, int last);
// Blends the fluxes of the collapsed faces of triangular shoreline cells.
void RelaxTrekantFluxes(int first, int last);
// Couples the block-interface cells to their partners in the next block.
// Only the sediment computation's passes (`sedimentPass`) get the terms of
// the suspended sizes; components sharing the equation numbers get none.
void AddBlockInterfaceSources(bool sedimentPass = false);
// The variants of the pressure force for grid lines that follow the bed and
// the surface (PressureGradientOption 4, 6, 7 and 8).
void AddSlopingPressureGradientForce(int first, int last);
// Fluxes, velocities and pressure from the solved pressure correction (Cf):
// the fluxes of surfaces firstSurface..lastSurface, everything else of cells
// firstCell..lastCell. `pass` counts the inner passes of the step from 1.
void ApplySimpleCorrections(int pass, int firstSurface, int lastSurface, int firstCell, int lastCell);
// Velocity part of the corrections: Cu, Cv and Cw of cells first..last from
// the gradient of the pressure correction.
void CorrectCellVelocities(int first, int last);
// Cells first..last that no face feeds get a little inflow back on one face;
// the last inner pass of a step logs them.
void CheckFlowDirection(int pass, int first, int last);

// Density of water relative to 1000 kg/m3 at the temperature t (degrees C).
double RelativeWaterDensity(double t);

// Neighbour coefficients of displacement equation `component` (1 x, 2 y,
// 3 z) of the elastic stress computation over surfaces first..last, by
// StressVariant (9, 2, 5; any other writes none). Sets neither Cap nor
// Csource.
void AssembleStressCoefficients(int component, int first, int last);
// Neighbour coefficients of the suspended-sediment equations over surfaces
// first..last: one size (FallVelocity[1]) into the six arrays; every size,
// with the side arrays shared and the top and bottom ones per size in
// CatMulti and CabMulti; and the side arrays alone from the present fluxes,
// without settling or Peclet weight, after the lateral-slope deflection.
void AssembleSedimentCoefficients(int first, int last);
void AssembleSedimentCoefficientsPerSize(int first, int last);
void AssembleSedimentCoefficients2D(int first, int last);
// Mass flux (kg/s, positive from Fcell1 to Fcell2) of surfaces first..last
// from the cell velocities with the pressure-weighted correction that keeps
// the collocated grid free of checkerboard pressures, then the steps over the
// whole grid. For serial callers that cover the whole range in one call.
void ComputeSurfaceFluxes(int first, int last);
// The part of ComputeSurfaceFluxes that writes only the surfaces of its
// range: one call per chunk of a parallel region ...
void ComputeSurfaceFluxRange(int first, int last);
// ... and, once every chunk has finished, the steps that read and write
// surfaces of the whole grid (block edges, split faces, interface balance).
void FinishSurfaceFluxes();
// Scales the fluxes through the connection of blocks 1 and 2 so that both
// sides carry the same total.
void BalanceInterfaceFluxes();

// Neighbour coefficients from the flux and diffusivity of surfaces
// first..last (upwind convection, power-law diffusion on horizontal faces;
// second-order upwind with far coefficients for an equation whose K 6 is 1),
// then the steps of the whole assembly. For serial callers.
void ComputeConvectionDiffusionCoefficients(int first, int last);
// The per-chunk part of it ...
void ComputeConvectionDiffusionRange(int first, int last);
// ... and the steps once per assembly after every chunk, given the whole
// range the chunks covered: the second-order convection, the time weighting
// of unsteady runs and the split-face hand-over.
void FinishConvectionDiffusion(int first, int last);
// The stricter variant used for turbulence equations: boundary sides get 0,
// and a surface of the wrong orientation is reported and left alone.
void ComputeNeighbourCoefficients(int first, int last);
// Damping factor of the diffusion across a horizontal surface.
double ComputeStratificationDamping(int cell1, int cell2);
// Extra conductance (kg/s) of a side surface between two existing cells.
double ComputeFaceExtraDiffusion(int surface, int cell1, int cell2);
// Coefficients of the sides that face several cells (F 137), once per
// assembly after every surface chunk.
void ComputeMultiNeighbourCoefficients();

// Completes the equations of cells first..last: adds the neighbour
// coefficients (and the far ones when `withFar`) to Cap, then under-relaxes
// with alpha against the current values phi. Cells with an imposed value are
// not relaxed, so the value holds exactly.
void CompleteCellEquations(int first, int last, double alpha, const double* phi, bool withFar);

// Runs work(first, last) over `chunks` pieces of first..last in a parallel
// region of as many threads, each piece as the flow drivers cut it.
void RunInChunks(int first, int last, int chunks, void (*work)(int, int));

// After the SIMPLE corrections: limits the velocity gradients at the
// boundary cells.
void LimitBoundarySlopes();
// Vertical fluxes of each column from its horizontal balance (F 69).
void ComputeColumnVerticalFluxes();
// Averages the pressure corrections of supercritical columns.
void AverageSupercriticalColumns();
// Closes the blocked cells of an appended block to flow.
void ApplyVelocityBlocking();
