// Global data of sediment transport and morphology.
#pragma once

#include "run/arrays.h"
#include "run/params_letters.h"

// Concentrations [size][cell]; size 0 is the total.
extern Array2<double> conc;
extern Array2<double> conc_old;

// Per size: the suspended sediment (sum of conc x Cvol) the morphology driver
// keeps, and whether it has set it; a grid regeneration restores each set
// total.
extern Array1<double> SuspendedMassTotal;
extern Array1<int> SuspendedMassTotalSet;

// Per-size equation systems [size][cell].
extern Array2<double> CapMulti;
extern Array2<double> CabMulti;
extern Array2<double> CatMulti;

// The sand slides active in the current step, 0-terminated: a first entry
// above 0 means at least one slide is active.
inline constexpr int kMaxSlides = 300;
extern int ActiveSlides[kMaxSlides];
// The mean state of the active slides; the first entry slows the soil of a
// layer block less the further the slides have gone.
extern double SlideAverage[kMaxSlides];

// Per slide (index into ActiveSlides): the target level of its shear
// surface, the height and plan length between its highest and lowest
// columns, its middle column (bed cell), its column count and the factor on
// its sources of the last shear-surface iteration.
extern double SlideKLevel[kMaxSlides];
extern double SlideKHeight[kMaxSlides];
extern double SlideKLength[kMaxSlides];
extern int SlideMidColumn[kMaxSlides];
extern int SlideCellCount[kMaxSlides];
extern double SlideSourceFactor[kMaxSlides];
// 0 until the first sand-slide call has set the shear-surface levels.
extern int SandSlideStarted;
// Per column: the sand slide's working shear-surface level. It has an array
// of its own: inside a flow run Cf designates the field solved last and the
// flow reads CstressRatio.
extern Array1<double> BslideLevel;
// Returns the slide state to the start of a run.
void ResetSlideState();

// Running totals of the sediment continuity: bed change and outflow (the
// inflow total is SedimentInflowSum).
extern double SedimentBedSum;
extern double SedimentOutflowSum;

// Per column.
extern Array1<int> Bslide;
extern Array1<int> BNoLayers;
extern Array1<int> Bcelltop_old;
extern Array1<double> Bedmove;
extern Array1<double> Broughness;
extern Array1<double> Bd90;
extern Array1<double> BbedformHeight;
extern Array1<double> Binspace;
extern Array1<double> Bmorphwork;
extern Array1<double> Bmorphology;
extern Array1<double> BcotAngle1;
extern Array1<double> BcotAngle2;
extern Array1<double> BangleFactor;
extern Array1<double> BslopeLimit;
extern Array1<double> BlayerSlope;
extern Array1<double> BslideWork;
extern Array1<double> BslideChange;

// Per size and column, [size][column].
extern Array2<double> BpotentialConc;
extern Array2<double> BsedInflow;
extern Array2<double> BSedActive;
// F 253 1: the erosion (kg/s) the suspended-sediment solver put into each
// bottom cell in its last backward pass, for the bed update.
extern Array2<double> BSolverErosion;
extern Array2<double> BSedWork;
// F 37 1: the sum of the coefficients by which mass leaves the bottom cell,
// plus the sediment inflow, left by the sediment step for the layer update.
extern Array2<double> BsedOutflowCoef;

// Sums of the layer updates: the mass change of the bed layers per size and
// the erosion (kg) the layers above the fixed bed could not supply.
extern double BedLayerChangeBySize[kMaxSizes + 1];
extern double NonMovableBedDefect;

// Bed layers [layer][column].
extern Array2<double> BlayerValue;

// Bed layers [layer][slot][column]: slot 0 the layer thickness, slots 1..NoSizes the fractions.
extern Array3<double> BSedDistrib;

// Elastic stresses [13][cell] and the sliding counters of layer blocks.
extern Array2<double> Cstress;
extern Array1<double> CstressRatio;
extern Array1<int> CstressCount;

// ---- The morphology driver ---------------------------------------------------

// The largest thickness of the active layer (m): F 106 when positive, else
// the largest grain diameter.
extern double ActiveLayerLimit;
// Block groups run per time step: the largest G 25 value, at least 1.
extern int NoMorphologyGroups;
// Bed-change mass left unplaced, without and with sign (kg), and the
// suspended mass the regenerations lost or gained.
extern double BedMoveDefectAbs;
extern double BedMoveDefect;
extern double SuspVolumeChangeDefect;
// Mass (kg) the bed change carried out of the grid.
extern double BedOutflowDefect;
// The per-size sums of the sediment continuity (kg, index = size): what left
// through the outflow groups, the suspended mass at the start and after the
// step, the bed-layer mass at the start and its change since.
extern double OutflowMassBySize[kMaxSizes + 1];
extern double SuspendedMassStartBySize[kMaxSizes + 1];
extern double SuspendedMassBySize[kMaxSizes + 1];
extern double BedMassStartBySize[kMaxSizes + 1];
extern double BedMassChangeBySize[kMaxSizes + 1];
// Volume (m3) of the bed change at the nodes, for the step report.
extern double BedChangeVolume;
// Every continuity sum back to 0.
void ResetSedimentContinuity();
// "Max time %lf sec." with the simulated time at the end of a morphology run.
extern char MaxTimeText[200];
