// The parts of the face-based wall laws (F 305 1), for the law table of the
// tests and for callers that add a single face.
#pragma once

#include "run/arrays.h"

// u/u* at y+ and the wall distance relative to the roughness height, for the
// law of F 15 (0 rough, 5 smooth, 8 transitional).
double ComputeWallLawRatio(double yPlus, double relativeDistance);
// Friction of the velocity equation through one wall-law face of `cell`:
// `faceOfCell` is the per-cell surface array of that side, `distance` the
// per-cell wall distance of its direction.
void AddWallFriction(int cell, const Array1<int>& faceOfCell, const Array1<double>& distance);
// Wall production and dissipation of k in one direction of `cell`.
void AddWallTurbulenceTerms(int cell, const Array1<double>& distance);
// The wall value of epsilon (or omega) in one direction of `cell`, at the
// wall distance `distance`.
void FixWallEpsilon(int cell, double distance);
