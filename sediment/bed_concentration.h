// The equilibrium concentration at the bed and the pieces it is made of: the
// critical Shields curves, the characteristic diameters of the surface layer,
// the grain shear, the transport formulas, the bed forms and the roughness.
#pragma once

#include "run/params_letters.h"

// pi as the bed concentration writes it.
inline constexpr double kBedPi = 3.141592652;

// Critical Shields number of the F 251 curve `option` (0 to 3) at the grain
// Reynolds number `rstar`.
double CriticalShieldsCurve(int option, double rstar);

// Diameters of a layer with fractions f[1..n] of the sizes Diameter[1..n]
// (coarsest first).
struct LayerDiameters {
    double d90 = 0.0;
    double d50 = 0.0;
    double dm = 0.0;
};
LayerDiameters ComputeLayerDiameters(const double* f, int n);

// The F 172 factor of the grain shear over the bed shear (1 for variants
// other than 1 to 3). A water column too shallow for the grains and bed
// forms gets the upper limit.
double GrainShearFactor(int variant, double depth, double d90, double bedformHeight);

// What the transport formulas of one size read of its column.
struct BedColumnState {
    double tau = 0.0;           // bed shear (N/m2)
    double tauPrime = 0.0;      // grain shear (N/m2)
    double depth = 0.0;         // water depth H (m)
    double halfCell = 0.0;      // Ckdist of the bottom cell (m)
    double speed = 0.0;         // horizontal speed of the bottom cell (m/s)
    double d90 = 0.0, d50 = 0.0, dm = 0.0;
    double bedformHeight = 0.0; // the previous bed-form height Delta0 (m)
    double roughness = 0.0;     // Croughness of the bottom cell (m)
    double engelundRatio = 1.0; // F 84 6: depth-mean over bottom-cell speed, 1..10
    double slopeFactor = 1.0;   // Kf of F 182, 1 without
    bool slopeFactorApplied = false;
    double bankA = 1.0, bankB = 1.0, bankD = 0.0;
    bool slopeSwitch = false;   // one of F 214 to F 217 is on
    double layerValue = 0.5;    // solid fraction of the surface layer (F 84 7)
    const double* fractions = nullptr;  // surface-layer fractions [1..NoSizes]
};

// Per-size result: the bed concentration and the excess stage of the bed
// forms (0 when the bed shear is below critical).
struct SizeConcentration {
    double conc = 0.0;
    double bedformStage = 0.0;
};
SizeConcentration BedConcentrationOfSize(const BedColumnState& col, int s);

// The bed-form height from the mean transport stage `tm`, capped by half the
// sediment of the two layers and three depths.
double BedformHeight(double depth, double dm, double tm, double sediment);
// The F 103 2 relaxation of the bed-form height towards `target`.
double RelaxedBedformHeight(double previous, double target, double cellHeight, double speed, double timeStep,
                            double depth, double weightedConc);
// The F 90 / F 103 roughness rule; false leaves the roughness unchanged.
bool BedRoughness(int roughnessOption, int f103, double d90, double bedformHeight, double depth, double sediment,
                  double wallRoughness, double* roughness);

// Horizontal speed of cell c.
double CellSpeed(int c);
// Water depth of the column over bottom cell c and the depth integral of the
// horizontal speed.
void ColumnDepth(int c, double* depth, double* speedDepth);

// Bed cells at inflow surfaces take k from inside the flow (F 320).
void AdjustInflowBedCells();

// ---- Plane geometry -----------------------------------------------------------

// Cosine of the angle between two plane vectors.
double CosAngle2D(double a1, double a2, double b1, double b2);
// Inclination of a surface with unit normal n along the horizontal direction
// perpendicular to w.
double SlopeAngle(double nx, double ny, double nz, double wx, double wy);
// acos and asin of a value that rounding may have pushed out of [-1, 1].
double ClampedAcos(double x);
double ClampedAsin(double x);

// ---- Column geometry of the bed concentration (bed_slope.cpp) ---------------

// The F 182 factor Kf of the critical shear of column b with bottom cell c,
// and whether it applies; `dryNeighbours` is nd.
double CriticalShearSlopeFactor(int b, int c, int dryNeighbours, bool* applied);
// The bank-slope factors A, B, D of the column over bottom cell c (A = B = 1,
// D = 0 without).
void BankSlopeFactors(int c, int dryNeighbours, double depth, double* a, double* bb, double* d);

// ---- Cohesive bed ---------------------------------------------------------------

struct CohesiveBedInput {
    int option = 0;           // F 60 first integer: 1 takes the reference level from the roughness
    double tau = 0.0, tauc = 0.0;
    double d = 0.0, d50 = 0.0;
    double dstarFactor = 0.0; // ((s - 1) 9.81e12)^0.3333
    double roughness = 0.0;
    double fallVelocity = 0.0;
    double layerValue = 0.5;
    const double* fractions = nullptr;  // [1..sizes]
    int sizes = 0;
    double coef = 0.015, expT = 1.5, expD = 0.3;
    double halfCell = 0.0;
    double depth = 0.0;
};
double ComputeCohesiveBedConcentration(const CohesiveBedInput& in);
// Forgets that `test` could not be opened (a new run says it again).
void ResetCohesiveNotices();
