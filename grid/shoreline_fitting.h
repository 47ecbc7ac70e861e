// Shoreline fitting of the generated grid: the corner points at the wet edge
// follow the line where the depth equals a threshold.
#pragma once

// The depth the fitted shoreline follows, by F 102.
double ShorelineThreshold();

// Turns the single-corner triangle marks 1..4 of `Ctrekant` into the codes
// of triangles that meet their marked neighbours (5 to 24).
void ClassifyShorelineTriangles();
