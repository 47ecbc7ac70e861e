// The node pressure method of the surface updates, with the reference it
// moves the levels from.
#pragma once

struct NodePressureMethod {
    double zRef = 0.0;
    double presRef = 0.0;
    // A second reference: the levels blend the two by the distances of a
    // node from (x1, y1) and (x2, y2), the nearer weighing more.
    bool second = false;
    double zRef2 = 0.0, presRef2 = 0.0;
    double x1 = 0.0, y1 = 0.0, x2 = 0.0, y2 = 0.0;
    bool columnPressure = false;  // the column-mean pressures (F 233 = 6, 7)
    bool froude = false;          // the Froude limit of F 132
    // The columns' pressure trends in place of their pressures; the first
    // node line of each direction keeps its level.
    bool trend = false;
};

// Moves the top node levels of every surface block, node by node.
void MoveNodesByPressure(const NodePressureMethod& m);

// Turns the running sums of F 143 into one pressure per column, written over
// GridTrendSumY: the least-squares line at the current sample (1) or the
// mean (2).
void TurnTrendSumsIntoValues();
