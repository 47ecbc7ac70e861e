// Time-series data read from `timei`.
#pragma once

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
};

extern TimeoRecord TimeoRecords[kTimeoRecords];

// Empties every monitoring record, so the `timei` reader starts from nothing.
void ClearTimeoRecords();
