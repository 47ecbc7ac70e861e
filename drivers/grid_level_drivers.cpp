// WaterSolve on parts of the grid: the grid levels from the coarsest to the
// finest, each coarse solve correcting the level below, and the last
// appended block alone.
#include <algorithm>

#include "drivers/flow_drivers.h"
#include "drivers/grid_levels.h"
#include "grid/grid_data.h"
#include "grid/level_blocks.h"
#include "run/fatal.h"
#include "run/globals.h"
#include "run/log.h"
#include "run/status.h"
#include "solver/solver_data.h"

namespace {

constexpr int kCombinationStatus = -5;
constexpr int kSedimentStepIterations = 20;
constexpr double kLeastEpsilon = 1e-15;

Array1<double>* const kFields[6] = {&Cu, &Cv, &Cw, &Pres, &Ck, &Cepsilon};

// The level blocks behind the structured blocks: one for F 152 = 1 too.
int LevelBlocks() { return std::max(NoGridLevels - 1, 1); }
int BlockOfLevel(int level) { return level <= 1 ? NoBlocks - LevelBlocks() : NoBlocks - NoGridLevels + level; }

bool DepthAveragedBlockWanted() { return Hydrostatic == 1 || Hydrostatic > 2 || ShallowWaterOption == 1; }

template <typename F>
void ForEachColumnCell(int levelTwoCell, F f) {
    for (int c = Cchildren[levelTwoCell][1], steps = 0; c > 0 && c <= NoCells && steps < NoCells;
         c = Ccellt[c], ++steps) {
        f(c);
    }
}

double ColumnMean(const Array1<double>& f, int cell) {
    double sum = 0.0;
    int n = 0;
    ForEachColumnCell(cell, [&](int c) {
        sum += f[c];
        ++n;
    });
    return n > 0 ? sum / n : f[cell];
}

double GroupMean(const Array1<double>& f, int cell) {
    double sum = 0.0;
    for (int e = 1; e <= 4; ++e) sum += f[Cchildren[cell][e]];
    return 0.25 * sum;
}

void Clip(const Array1<double>* field, double& value) {
    if (field == &Ck) value = std::max(value, MinK);
    if (field == &Cepsilon) value = std::max(value, kLeastEpsilon);
}

bool LevelsBuilt() {
    return NoBlocks >= 1 && NoBlocks <= kMaxBlocks && BlockTable[NoBlocks].gridLevel > 0 && BlockOfLevel(1) >= 1 &&
           BlockTable[NoBlocks].gridLevel == std::max(NoGridLevels, 2) && Cchildren.exists();
}

}  // namespace

void SelectGridLevel(int level) {
    GridLevel = level;
    CurrentBlock = BlockOfLevel(level);
    const BlockRecord& r = BlockTable[CurrentBlock];
    FirstCell = level == 1 ? 1 : r.firstCell;
    FirstSurface = level == 1 ? 1 : r.firstSurface;
    LastCell = r.lastCell;
    LastSurface = r.lastSurface;
    // The water columns are those of the structured blocks; a coarse cell
    // already stands for a whole column or a group of them.
    FirstBedCell = 1;
    LastBedCell = level == 1 ? std::min(r.lastColumn, NoBedCells) : 0;
}

void SetGridLevelStartValues() {
    for (int level = 2; level <= NoGridLevels; ++level) {
        CurrentBlock = BlockOfLevel(level);
        GridLevel = level;
        FirstCell = BlockTable[CurrentBlock].firstCell;
        LastCell = BlockTable[CurrentBlock].lastCell;
        for (Array1<double>* f : kFields) {
            for (int c = FirstCell; c <= LastCell; ++c) {
                (*f)[c] = level == 2 ? ColumnMean(*f, c) : GroupMean(*f, c);
            }
        }
    }
}

// Shifts the cells of the level below by what the coarse solve changed.
void CorrectGridLevelBelow() {
    if (GridLevel < 2) return;
    for (Array1<double>* f : kFields) {
        for (int cell = FirstCell; cell <= LastCell; ++cell) {
            if (GridLevel == 2) {
                const double d = (*f)[cell] - ColumnMean(*f, cell);
                ForEachColumnCell(cell, [&](int c) {
                    (*f)[c] += d;
                    Clip(f, (*f)[c]);
                });
            } else {
                const double d = (*f)[cell] - GroupMean(*f, cell);
                for (int e = 1; e <= 4; ++e) {
                    double& v = (*f)[Cchildren[cell][e]];
                    v += d;
                    Clip(f, v);
                }
            }
        }
    }
}

int SolveFlowGridLevels() {
    // The grid levels take the surface numbers of a depth-averaged block.
    if (DepthAveragedBlockWanted()) {
        FailWithLog(kCombinationStatus,
                    "Error: the grid levels of F 152 cannot be combined with the depth-averaged block of F 68 or "
                    "F 311\n");
    }
    if (NoBlocks < 1 || BlockTable[std::min(NoBlocks, kMaxBlocks)].gridLevel == 0) BuildGridLevelBlocks();
    if (!LevelsBuilt()) {
        SetStatusText("Error in grid levels  ");
        FlowFailedFlag = 1;
        return 0;
    }
    if (FlowInitialisedFlag == 1) SetGridLevelStartValues();
    const int limit = FlagTSC >= 1 ? kSedimentStepIterations : iterGlobalMax;
    for (int n = 1; n <= limit; ++n) {
        if (FlagTSC == 0) Iter = n;
        for (int level = NoGridLevels; level >= 1; --level) {
            SelectGridLevel(level);
            WaterSolve();
            // A failed level would hand its fields on to every later call.
            if (FlowFailedFlag == 1) return 0;
            CorrectGridLevelBelow();
        }
    }
    return 0;
}

int SolveFlowLastBlock() {
    int b = 0;
    for (int k = 1; k <= std::min(NoBlocks, kMaxBlocks); ++k) {
        if (BlockTable[k].layerBlock > 0) b = k;
    }
    if (b == 0) return 0;
    const double keptTime = stime, keptStep = TimeStep;
    const BlockRecord& r = BlockTable[b];
    if (FlagTSC == 0) {
        BlockSelection[1] = 0;
        NoBlockSelectionValues = b;
        BlockSelection[b] = 1;
    } else {
        FirstCell = r.firstCell;
        LastCell = r.lastCell;
        FirstSurface = r.firstSurface;
        LastSurface = r.lastSurface;
        if (F339Option != 0) FirstCell = r.firstCell + r.lastColumn - r.firstColumn;
    }
    AppendedBlockFlag = 1;
    WaterSolve();
    AppendedBlockFlag = 0;
    stime = keptTime;
    TimeStep = keptStep;
    return 0;
}
