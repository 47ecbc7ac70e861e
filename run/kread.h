// The `control` reader.
#pragma once

#include <cstdio>

inline constexpr int kFirstPassBudget = 30000;
inline constexpr int kSecondPassBudget = 10000;
inline constexpr long kGeodataScanLimit = 10000000;

// Creates `boogie`, stores every default, reads `control` in two passes,
// allocates the structured arrays and reads the boundary profile files.
// Ends the run (RunExit) on any refused input.
void kread();

// Stores the default of every parameter, the fixed settings and the start
// values of the run state.
void StoreAllDefaults();

// The passes over an open `control` stream, each within its step budget.
void FirstPass(FILE* fp);
void SecondPass(FILE* fp);

// Combinations of parameters that cannot work together, checked once the
// whole first pass is read: before and after the structured allocation.
void CheckBeforeAllocation();
void CheckAfterAllocation();

// After the first pass: refuses a record whose grid, cell, size or component
// indexes no longer fit the sizes that the whole file set (a G 1, F 50 or F 65
// may follow the record). Each data-set family that stores such indexes adds
// its re-check here (G, F 130, W, S, M, P 3, P 16 and Q), refusing with the
// data set's own message.
void RecheckAgainstFinalSizes();

// The fractions of distribution 0 must sum to 1 within 1e-4 (status -4);
// without sediment sizes nothing is checked.
void CheckGrainFractionSum();
