// Parts of the momentum sources that tests and other sources call on their
// own: the level-following pressure difference and the wind at the surface.
#pragma once

// Pressure in the water column of `neighbour` at the elevation of the centre
// of `cell`: linear between the two centres around that elevation, linear
// beyond the column's end cells (a column of one cell gives its pressure).
double InterpolatePressureAtLevel(int cell, int neighbour);
// The pressure force of `cell` in equation 1 (U), 2 (V) or W (any other)
// from neighbour pressures taken at the cell's own elevation; the caller
// subtracts it from Csource.
double ComputeLevelPressureGradient(int equation, int cell);

// The wind speed, its x part and its y part at the current time: the `timei`
// series where a run has one, else F 52. The speed is never negative.
struct SurfaceWind {
    double speed, x, y;
};
SurfaceWind CurrentWind();
// The drag function of the speed by F 73 (the shear is 0.0012 times it, in
// N/m2).
double WindDrag(double speed, int formula);
