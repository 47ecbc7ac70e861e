// The plan level equations of the free surface: one value per water column,
// held at the column's bed cell in the cell-equation arrays, and how their
// solution reaches the grid nodes.
#pragma once

#include <algorithm>

#include "grid/metric_steps.h"
#include "surface/surface_levels.h"

// The weight of one neighbour from the direction cosine a (positive when the
// neighbour lies downstream) and a Froude number: the fixed formula, or for
// F 36 = 7 the formula that F 278 chooses.
double SurfaceWeightFactor(double a, double fr);

// The correction equations of F 36 = 4 and 8 (held at the reference by
// FixReferenceLevel at the end) and of F 36 = 7 (the caller holds it).
void BuildSurfaceEquationF36Four();
void BuildSurfaceEquationF36Seven();
void BuildSurfaceEquationF36Eight();

// The level equation of F 36 = 9: Strickler conveyances between the columns
// divided by the plan area, with the time term of F 322; `Cf` holds the
// present levels as start values.
void BuildSurfaceEquationF36Nine();
// The F 322 2nd source terms from the normal-velocity differences across
// the west and south sides.
void AddSurfaceEquationTermsF36Nine();

// The solved correction (or, for F 36 = 9, level) of the columns onto the
// grid nodes: relaxed mean, or the upstream-weighted mean of F 282.
void ApplyLevelCorrection();
void ApplyLevelCorrectionAlt();
// F 229 = 1 and 2: raises nodes next to dry columns.
void LimitSurfaceByFroude();
// F 343 = 2: a correction of `Cf` per grid line i of block 1 before the
// plan solve.
void BlockCorrectSurfaceEquation();
// Condenses the cell coefficients into one equation per column (and the
// coarse grid levels up to `levels`); no run path calls it.
void SumCoefficientsPerColumn(int levels);

// The pieces the update driver builds its own variants from.

// The F 36 = 4 equation without the reference fixing.
void BuildF36FourEquation();
// The F 36 = 8 equation with `referenceLevel` in the reference node's new
// slot, without the reference fixing.
void BuildF36EightEquation(double referenceLevel);

struct F36SevenSettings {
    double referenceLevel = 0.0;  // written into the reference node's new slot
    double diagonalStart = 1e-20;
    bool neighbourFroude = false;  // weigh by the neighbour's Froude number
    bool f352Rules = true;         // the F 352 2nd rules that set weights to 0
    bool storeNeighbours = true;
};
void BuildF36SevenEquation(const F36SevenSettings& s);

// ApplyLevelCorrection with the solved value read as a level (`level`) or
// as a correction of the present level.
void ApplyLevelCorrectionAs(bool level);

// The bed cells of the four columns around node (i, j) (c00, c01, c11, c10),
// the missing ones filled from their neighbours; n present after filling (0
// when all four are dry, and then nothing is filled).
struct NodeColumns {
    int c[4] = {0, 0, 0, 0};
    int n = 0;
};
NodeColumns FillNodeColumns(int i, int j);

// Calls f(i, j, bedCell) for every wet column of the surface blocks on node
// lines from the block's first line minus `before` to its last, each column
// once.
// A column on the extra lines that a surface block of its own holds is left
// to that block, so that no column is visited twice.
template <class F>
void ForEachSurfaceColumn(int before, F f) {
    auto inSurfaceBlock = [](int i, int j) {
        for (int b = 1; b <= std::min(NoBlocks, kMaxBlocks); ++b) {
            const BlockRecord& r = BlockTable[b];
            if (IsSurfaceBlock(b) && i >= r.iFirst && i <= r.iLast && j >= r.jFirst && j <= r.jLast) return true;
        }
        return false;
    };
    ForEachSurfaceBlock([&](const BlockRecord& r) {
        for (int i = r.iFirst - before; i <= r.iLast; ++i) {
            for (int j = r.jFirst - before; j <= r.jLast; ++j) {
                const int c = GridColumnBottom(i, j);
                if (c == 0) continue;
                if ((i < r.iFirst || j < r.jFirst) && inSurfaceBlock(i, j)) continue;
                f(i, j, c);
            }
        }
    });
}
