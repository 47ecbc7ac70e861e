// Grid operations that the run driver starts.
#pragma once

int WriteKoosurfMpi();
int WriteUnstrucFile();
void ComputeBedRoughness();
// Reads `unstruc` and `koordina`; negative on failure (-54, -55, -58 have their own texts).
int ReadUnstructure();
void InterpolateGeodata();
void SetActiveCellRange();
int Unstructure();
