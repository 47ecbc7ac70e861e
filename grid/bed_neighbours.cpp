// Neighbours across the sides of the bed cell, for cells higher up in a
// column that have no neighbour on that side.
#include "grid/column_cells.h"
#include "grid/grid_data.h"
#include "grid/grid_services.h"
#include "run/globals.h"

bool BedNeighboursNeeded() { return PressureGradientOption >= 20 || SimpleVariant == 20; }

void BuildBedNeighbours() {
    Array1<int>* const arrays[4] = {&Ccellw_bottom, &Ccelle_bottom, &Ccells_bottom, &Ccelln_bottom};
    const Array1<int>* const own[4] = {&Ccellw, &Ccelle, &Ccells, &Ccelln};
    for (Array1<int>* a : arrays) {
        if (!a->exists()) return;
    }
    for (Array1<int>* a : arrays) a->fill(0);
    for (int c = 1; c <= NoCells; ++c) {
        if (Ccellb[c] <= 0) continue;
        const int bed = ColumnBedCell(c);
        for (int side = 0; side < 4; ++side) {
            if ((*own[side])[c] <= 0) (*arrays[side])[c] = (*own[side])[bed];
        }
    }
}
