// Allocation and input-file operations of the run frame.
#pragma once

// 0 on success, -1 when an allocation failed.
int AllocateStructuredArrays();
// Bytes allocated by this call, or -1.0 when an allocation failed.
double AllocateUnstructuredArrays();
// 0 when read completely, missing, or not wanted; else a positive error code.
int ReadTimeiFile();
void ReadCyclicFile();
void ReadInflowFile();
void ReadInspaceFile();
