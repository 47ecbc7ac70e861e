// The layout of the multigrid levels that BuildMultigridLevels writes and
// the multigrid solvers read.
#pragma once

// Kind of the block records that hold a multigrid level.
inline constexpr int kLevelRecordKind = 2;

// Slots of a cell's `Cchildren` record. A column cell holds its column's
// first cell in kSW and its top cell in kNW.
enum LevelChild : int { kParent = 0, kSW = 1, kNW = 2, kNE = 3, kSE = 4 };
