// Sediment transport and morphology operations used elsewhere.
#pragma once

int WriteCon2resFile();
void concRijn();
void ComputeElasticStresses();
void ComputeSandSlide();
int morphology_tsc();
void ComputeSlideCoefficients();
void ComputeBedChange();
void ComputeBedChangeRegrid1();
void ComputeBedChangeRegrid3();
// The node-level steps of the bed change: the F 144 bed-form and slope
// sub-steps, the F 222 treatment of outflow columns, and the bed-slope limiter.
void ComputeBedMoveFromFluxes();
void ComputeBedOutflowDefect();
void MoveGridPointsFromBedChange();

// ---- The morphology driver and its own steps --------------------------------

// Sets the cell, surface and column ranges and the BlockActive flags to the
// blocks of G 25 group `group`. An empty group leaves FirstCell at 0.
void SelectMorphologyBlock(int group);
// The F 350 time step from the discharge of group 1. A step that is not a
// finite number above 1e-8 is not taken: TimeStep keeps its value.
void ComputeTimeStepFromDischarge();
// Takes `candidate` as the time step when it is a finite number above 1e-8
// and returns true; otherwise keeps TimeStep, says so once per run in
// `boogie` (naming `source`) and returns false.
bool AcceptMorphologyTimeStep(double candidate, const char* source);
// The ranges of the sediment computation by F 188.
void SetSedimentRanges();
// The whole grid as the active range, every computational block active.
void SelectWholeGrid();
// Forgets the time-step and empty-group notices of an earlier run.
void ResetMorphologyNotices();

// The bed layers, solid fractions and fixed bed of every water column
// before the first morphology step, and the run header in `boogie`.
void BuildInitialBedState();
// The F 264 = -1 solid fraction of bed layer `layer` of column `column`
// from its grain mixture.
double MixtureSolidFraction(int layer, int column);

// ---- Steps of later work that the morphology driver calls --------------------

// The bed concentration of the F 10 transport formulas A, E, I, M, S and Y
// over the active columns, with their d90, bed-form height and roughness.
void ComputeBedConcentrationFormula();
// Five double sweeps of the concentration equation of size s (the per-size
// system) into Cf over FirstCell..LastCell; with F 253 1 the bottom cells
// take the erosion the active layer allows, left in BSolverErosion[s].
void SolveSediment3D(int s);

// F 37 1: adds to BsedOutflowCoef[s] of the bottom cells the water that
// leaves them through the outflow discharge groups (by area, mode 0, or by
// the outward flux, mode 1) and the block interfaces; updates the group
// discharges for the present time first.
void AddBedCellOutflow(int s);
// Moves sediment of size s from each bottom cell to its side neighbours down
// the transverse slope (Csource of the single-size system, else
// CsourceMulti[s]).
void AddSlopeBedLoadExchange(int s);
// The slope deflection: the Shields number of shear tau (Pa) on grains of
// `diameter` (never negative); the magnitude of the deflection at Shields
// number theta on a bed whose unit normal has vertical component nz (0 where
// theta is 0: no grain moves); and the transverse direction of the velocity
// (u, v) over the bed normal (nx, ny).
double ShieldsNumber(double tau, double diameter);
double SlopeDeflection(double theta, double nz);
double TransverseSlope(double nx, double ny, double u, double v);
// The suspended-sediment step of a morphology time step with the bed-cell
// exchange: 0 goes on, anything else ends the driver without output.
int SolveSuspendedSedimentStep();
// ---- The two-layer bed (active layer 1 over the inactive layer 0) -----------

// The layer update after a sediment step over FirstBedCell..LastBedCell, with
// the deposition of the bottom cell's equation (Tsc1, F 37 1) or settling
// minus erosion (Tsc2, F 37 2); the active layer's nominal thickness is
// `activeLayerLimit`. Sets Bedmove and adds to BedLayerChangeBySize and
// NonMovableBedDefect.
void UpdateBedFractionsTsc1(double activeLayerLimit);
void UpdateBedFractionsTsc2(double activeLayerLimit);
// What flows into the bottom cell c of column b for size s over its near
// faces, with the bed exchange BSedActive (kg/s).
double BottomCellInflow(int s, int b, int c);
// The warnings of the layer update (two lines each in `boogie`).
void WarnErosionBelowFixedBed(int b, double x, double y);
void WarnFractionSum(int b, double x, double y);
// Three lines on an active-layer fraction outside 0..1; `content` is the new
// content of the active layer per size.
void ReportTscFractionError(int iteration, int b, int c, int s, const double* content, double x, double y, double z);

// ---- The layered bed (F 37 3) and the bed of split-face grids (F 137) -------

// The top layer of column b's stack (BNoLayers, within the F 134 layers).
int TopBedLayer(int b);
// Thickness change m (m, at the top layer's packing) of size s in column b:
// a deposit joins the top layer, an erosion eats down through the layers and
// stops after layer 0; what the stack cannot give goes to
// NonMovableBedDefect. Reports a top layer or the one below it whose
// fractions do not sum to 1.
void ErosionLayers(int b, int s, double m);
// Moves thickness d (m) from layer `from` to layer `to` of column b, at most
// what `from` holds; the solids and their fractions are kept.
void TransferLayerThickness(int from, int to, int b, double d);
// Once the stack of column b is thicker than `nominal`, its top layer `top`
// gives its excess to the layer below or takes its lack from it.
void KeepTopLayerThickness(int b, int top, double nominal);
// The layered-bed update after a sediment step (F 37 3): settling minus
// erosion per size, over FirstBedCell..LastBedCell.
void UpdateBedLayersTsc3();
// The bed update of split-face grids (F 137): the bottom cell's balance over
// all its faces; two layers with F 134 2, else the stack.
void UpdateBedLayersMultiLayer(double activeLayerLimit);

// ---- The sediment continuity bookkeeping ------------------------------------

// Start values of the suspended sediment (with every sum zeroed) and of the
// bed mass, the group discharges and outflow of a step, the sums after the
// bed change, and the two reports.
void StartSedimentContinuity();
void ComputeBedMassStart();
void UpdateGroupDischargesAndOutflow();
void UpdateSedimentContinuity();
void WriteSedimentContinuityStep();
void WriteSedimentContinuitySummary();
