// Source terms and extra diagonal terms of the momentum equations.
#pragma once

// The sources of the momentum equation `Equation` (field `Cf`) over the
// active range, after the wall laws and the pressure force: boundary terms,
// forces, dead-end cells, the diagonal doublings and the drag zones.
void AddMomentumSources();
// The drag of the G 22 zones on the cells of their columns.
void AddDragZoneTerms();

// The column's plan area exceeds 1.1 times the cell's own bottom face.
bool WideColumn(int c);
// Neither a cell above nor one below.
bool AloneInColumn(int c);
// Doubles the centre coefficient of cell c and moves the source with it, so
// that the current value still solves the equation.
void DoubleCentreCoefficient(int c);
// F 291 second value 3: every wide-column cell and each of its four side
// neighbours doubled, once per wide-column cell.
void DoubleAroundWideColumns();
// The buoyancy of the water-quality temperature in the W equation.
void AddTemperatureBuoyancy();
