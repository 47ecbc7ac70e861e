// The block ranges and the time step of the morphology time loop.
#include <algorithm>
#include <cmath>
#include <string_view>

#include "run/globals.h"
#include "run/log.h"
#include "sediment/sediment_services.h"

namespace {

// Each notice is logged once per run.
bool DischargeStepNoticed = false;
bool TimeiStepNoticed = false;
constexpr const char* kDischargeStepSource = "F 350";

int LastBlock() { return std::min(NoBlocks, kMaxBlocks); }

void ActivateComputationalBlocks(int last) {
    for (int b = 1; b <= last; ++b) BlockTable[b].field11 = BlockTable[b].gridLevel == 0 ? 1 : 0;
}

void DeactivateAllBlocks() {
    for (int b = 1; b <= LastBlock(); ++b) BlockTable[b].field11 = 0;
}

// Blocks b with pick(b) become active; the ranges run from the first such
// block's first cell, surface and column to the last one's last. With none,
// FirstCell is 0.
template <class Pick>
void SelectBlocks(int last, Pick pick) {
    FirstCell = 0;
    DeactivateAllBlocks();
    bool first = true;
    for (int b = 1; b <= last; ++b) {
        if (!pick(b)) continue;
        BlockRecord& r = BlockTable[b];
        r.field11 = 1;
        if (first) {
            FirstCell = r.firstCell;
            FirstSurface = r.firstSurface;
            FirstBedCell = r.firstColumn;
            first = false;
        }
        LastCell = r.lastCell;
        LastSurface = r.lastSurface;
        LastBedCell = r.lastColumn;
    }
}

}  // namespace

void SelectWholeGrid() {
    FirstCell = 1;
    LastCell = NoCells;
    FirstSurface = 1;
    LastSurface = NoSurfaces;
    FirstBedCell = 1;
    LastBedCell = NoBedCells;
    ActivateComputationalBlocks(LastBlock());
}

void SelectMorphologyBlock(int group) {
    const int last = LastBlock();
    const int layerBlock = last >= 1 ? BlockTable[last].layerBlock : 0;
    if (NoBlockSelectionValues == 0 && layerBlock == 0) {
        SelectWholeGrid();
        return;
    }
    if (NoBlockSelectionValues == 0 && layerBlock > 0) {
        // The appended layer block computes its own flow.
        FirstCell = FirstSurface = FirstBedCell = 1;
        const BlockRecord& r = BlockTable[std::max(last - 1, 0)];
        LastCell = r.lastCell;
        LastSurface = r.lastSurface;
        LastBedCell = r.lastColumn;
        ActivateComputationalBlocks(last - 1);
        BlockTable[last].field11 = 0;
        return;
    }
    const int selected = std::min({NoBlockSelectionValues, last, kBlockValueSlots - 1});
    SelectBlocks(selected, [group](int b) { return BlockSelection[b] == group; });
}

void SetSedimentRanges() {
    if (MorphologyBlock == 0) {
        SelectWholeGrid();
    } else if (MorphologyBlock == -1) {
        SelectBlocks(LastBlock(), [](int b) { return BlockTable[b].overlapLevel >= 1; });
    } else if (MorphologyBlock > 0 && MorphologyBlock <= LastBlock()) {
        SelectBlocks(LastBlock(), [](int b) { return b == MorphologyBlock; });
    }
}

bool AcceptMorphologyTimeStep(double candidate, const char* source) {
    if (std::isfinite(candidate) && candidate > 1e-8) {
        TimeStep = candidate;
        return true;
    }
    bool& noticed = std::string_view(source) == kDischargeStepSource ? DischargeStepNoticed : TimeiStepNoticed;
    if (!noticed) {
        LogAppend("Warning: the time step %lg from %s is not usable; the time step stays %lf seconds\n", candidate,
                  source, TimeStep);
        noticed = true;
    }
    return false;
}

void ComputeTimeStepFromDischarge() {
    const double q = GroupDischarge[1];
    // Without a discharge of group 1 (before the first boundary conditions)
    // the ratio is unbounded or has no real power.
    const double ratio = q > 0.0 ? 1000.0 * ReferenceDischarge / q : std::nan("");
    const double step = std::pow(ratio, DischargeTimeStepExponent) * DischargeTimeStepBase;
    AcceptMorphologyTimeStep(std::isnan(step) ? step : std::max(MinDischargeTimeStep, step), kDischargeStepSource);
}

void ResetMorphologyNotices() {
    DischargeStepNoticed = false;
    TimeiStepNoticed = false;
}
