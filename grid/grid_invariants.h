// The rules every finished grid keeps, checked on the grid in the global
// arrays: after a read, a generation or any change of the cells.
#pragma once

#include <string>
#include <vector>

#include "run/arrays.h"

struct GridCheck {
    int faults = 0;                     // every broken rule found
    int fatal = 0;                      // those that leave no flow to compute
    std::vector<std::string> messages;  // the first of them, one line each
    bool ok() const { return faults == 0; }
};

// Checks numbering and the "none" slot 0, counts against capacities and
// arrays, the columns (consecutive cells from the bed up), the block ranges,
// shared faces with their Fcell1/Fcell2 slots and corner order, and the
// shared corner points of neighbours.
GridCheck CheckGridInvariants(size_t maxMessages = 20);

// Runs the check and writes its result to `boogie` (the F 1 D and E
// diagnostics).
void LogGridCheck();

// The faults of a read grid that leave the flow computation without meaning
// are fatal: a cell that is its own neighbour, a cycle of neighbours, a
// neighbour that does not share the face between them, a discharge group on
// interior faces or on another group's faces. (A cell of zero or negative
// volume is refused by the metric.) The check costs a few passes over the
// cells. Lesser faults are written to `boogie` as warnings; fatal ones as
// errors, and the result is then false.
bool CheckReadGrid();

// True when entities 1..count fit into `array` (nothing to fit for a count
// of 0 or less).
template <class T>
bool CountFits(const Array1<T>& array, int count) {
    return count <= 0 || static_cast<size_t>(count) < array.size();
}
