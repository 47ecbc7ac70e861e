// Time-series data read from `timei`.
#pragma once

#include "run/arrays.h"

// Widths of the timei series rows, shared by the allocation and the reader so
// that neither can outgrow the other.
inline constexpr int kTimeiDischargeGroups = 9;   // discharge columns 1..9, one per group
inline constexpr int kTimeiWindValues = 3;
inline constexpr int kTimeiMConcentrations = 20;  // M concentrations at the start of a row

inline constexpr int kTimeoRecords = 20;
inline constexpr int kTimeoItems = 25;

// One O record of `timei`: the quantities that the flow drivers monitor.
struct TimeoRecord {
    double startTime;
    int noItems;          // at most 25
    char letter[28];      // item i in letter[i]
    int value[kTimeoItems];
    int value2[kTimeoItems];   // copy of value for the items h and z
    int value3[kTimeoItems];   // second integer of the items h and z
    int reserved[kTimeoItems];
    int size[kTimeoItems + 1]; // size of item c, component of item q, else 0
    // Where the grid set-up found each item's cell: levels above the bed cell
    // and the grid indexes of its column.
    int cellLevel[kTimeoItems];
    int columnI[kTimeoItems];
    int columnJ[kTimeoItems];
};

extern TimeoRecord TimeoRecords[kTimeoRecords];

// Empties every monitoring record, so the `timei` reader starts from nothing.
void ClearTimeoRecords();

// Rows 0..NoTimeiSteps-1 of an unsteady run's series (MaxTimeiSteps + 1 slots).
extern Array1<double> TimeiTime;
extern Array1<double> TimeiLevel;
extern Array1<double> TimeiLevel2;
extern Array1<double> TimeiSediment;
extern Array1<double> TimeiKinetics;
extern Array1<double> TimeiComponentIn;
extern Array2<double> TimeiDischarge;  // [row][group 1..9]
extern Array2<double> TimeiWind;       // [row][speed, x part, y part]
// [row][M data set ordinal 0..19, or g * NoSizes + s for inflow group g and size s]
extern Array2<double> TimeiConc;
