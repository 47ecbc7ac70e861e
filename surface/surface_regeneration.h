// What the free-surface updates share around their level moves: element 0
// of the neighbour tables, the intermediate results, the `boogie-t` trace of
// the rigid shift and the grid regenerated under the new surface.
#pragma once

// Missing neighbours and dry columns are index 0 in the update's sums.
void ClearSurfaceElementZero();

// P 15 asks for intermediate results in this iteration.
bool SurfaceResultsDue();
void WriteSurfaceResults(const char* title);

// Moves the top nodes of every ordinary block (grid level 0, not depth
// averaged, and with `skipLayerBlocks` not a layer block) by dh, or sets
// them to `flatLevel` when `flat`; both top slots. A node line that two
// blocks share is moved once.
void ShiftSurfaceNodes(double dh, bool flat, double flatLevel, bool skipLayerBlocks);

// Appends one line of the F 36 = 3 trace; the header goes first while
// `headerFlag` is 0. A trace that cannot be opened is skipped.
void TraceSurfaceShift(int& headerFlag, double dh, int top, double level);

// How one update regenerates the grid under its new surface.
struct SurfaceRegeneration {
    bool secondOld = true;        // Cu_old2.. take Cu_old.. first
    bool wholeCellRange = false;  // copy cells 1..NoCells, not FirstCell..LastCell
    bool layerBlock = false;      // AppendColumnLayerBlock(1) in place of Unstructure
    bool multigrid = true;        // rebuild the multigrid levels (F 168)
    const char* title = "Written from surface, after grid update";
};
void RegenerateUnderSurface(const SurfaceRegeneration& how);
