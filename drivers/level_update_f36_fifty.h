// The pieces of the option-50 level update that its tests reach.
#pragma once

// Sums over the cells of one water column, bed to top.
struct ColumnSums {
    double halfDepth = 0.0;                  // sum of Ckdist
    double west = 0.0, east = 0.0;           // Fflux through the west and east surfaces (kg/s)
    double south = 0.0, north = 0.0;
    double areaWest = 0.0, areaEast = 0.0;   // Farea of the same surfaces
    double areaSouth = 0.0, areaNorth = 0.0;
    double intoTop = 0.0;                    // flux into the top cell from below; 0 for a one-cell column
};

ColumnSums SumColumn(int bedCell);

// The Froude number of the depth-mean velocity of the column.
double ColumnFroudeNumber(const ColumnSums& s);

// The side coefficient of a signed flux f weighted by the Froude number r:
// the upstream part in full below 0.5 and above 1.5, faded linearly to 0
// towards 1, plus 5 % of |f|.
double BlendSurfaceFlux(double flux, double froude);
