// Layout of the `unstruc` grid file, shared by its reader and its writers.
#pragma once

#include <array>
#include <string>

#include "run/arrays.h"

// Format versions the reader knows; a first header integer above this is
// the point count of a file without a version number (version 0).
inline constexpr int kUnstrucNewestVersion = 4;
inline constexpr int kUnstrucVersionLimit = 10;

// The integer fields of a BlockRecord in the order of a block line; the two
// reals follow them.
inline constexpr int kUnstrucBlockInts = 17;
inline constexpr std::array<int, kUnstrucBlockInts> kUnstrucBlockFields = {0,  1,  2,  3,  6,  8,  9,  14, 15,
                                                                           16, 17, 18, 19, 20, 21, 22, 7};

// A cell line: corners 1..8, then the surfaces and the neighbours in the
// side order south, east, north, west, bottom, top.
inline constexpr int kUnstrucCellInts = 20;
std::array<Array1<int>*, kUnstrucCellInts> UnstrucCellLine();

// A surface line: corners 1..4, then Fcell1 and Fcell2.
inline constexpr int kUnstrucSurfaceInts = 6;
std::array<Array1<int>*, kUnstrucSurfaceInts> UnstrucSurfaceLine();

// Block-boundary records carry four partners each.
inline constexpr int kBoundaryPartners = 4;

// Highest number of a snapshot "unstruc.%d".
inline constexpr int kMaxSnapshotNumber = 999998;

// The file name for reading (`forReading`) or writing: the partition name
// "unstruc.mpi%d" with a partition number, else "unstruc".
std::string UnstrucFileName(bool forReading);
