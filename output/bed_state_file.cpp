// The bed state file: node levels of the structured grid and, per water
// column, its bottom cell, roughness, bed forms and bed layers.
#include <cstdio>
#include <string>

#include "output/output_names.h"
#include "output/results_writers.h"
#include "run/globals.h"
#include "run/output_file.h"

namespace {

bool NodeInGrid(int i, int j) {
    return i >= 0 && j >= 0 && static_cast<size_t>(i) < Gridz.extent1() && static_cast<size_t>(j) < Gridz.extent2();
}

void WriteNodes(FILE* fp) {
    for (int b = 1; b <= NoBlocks && b <= kMaxBlocks; ++b) {
        const BlockRecord& r = BlockTable[b];
        if (r.depthAveraged != 0 || r.gridLevel != 0) continue;
        for (int i = r.iFirst - 1; i <= r.iLast; ++i) {
            for (int j = r.jFirst - 1; j <= r.jLast; ++j) {
                if (!NodeInGrid(i, j)) continue;
                std::fprintf(fp, "%d %d %6.1lf %20.14lf %20.14lf %lf %lf\n", i, j, Gridz[i][j][0], Gridz[i][j][1],
                             Gridz[i][j][NoGridLinesZ], GridLevels[3][i][j], GridLevels[1][i][j]);
            }
        }
    }
}

void WriteLayer(FILE* fp, int layer, int b) {
    for (int s = 0; s <= NoSizes; ++s) std::fprintf(fp, "%lf ", BSedDistrib[layer][s][b]);
}

// The top layer comes first.
void WriteColumns(FILE* fp) {
    const bool multiLayer = BNoLayers.exists() && NoBedLayers > 2 && FlagTSC == 3;
    for (int b = 1; b <= NoBedCells; ++b) {
        const int cell = Bcellt[b];
        const double cellRoughness = cell >= 0 && static_cast<size_t>(cell) < Croughness.size() ? Croughness[cell] : 0.0;
        std::fprintf(fp, "%d %d %lf %lf %lf ", b, cell, Broughness[b], cellRoughness, BbedformHeight[b]);
        if (multiLayer) {
            for (int layer = NoBedLayers - 1; layer >= 0; --layer) WriteLayer(fp, layer, b);
        } else {
            WriteLayer(fp, 1, b);
            WriteLayer(fp, 0, b);
        }
        std::fprintf(fp, "\n");
    }
}

void WriteBedState(FILE* fp) {
    std::fprintf(fp, "Results from RIVAX 2.0, iter = %d\n", Iter);
    std::fprintf(fp, "K %d %d %d %d %d %22.17lf %d\n", NoGridLinesX, NoGridLinesY, NoGridLinesZ, NoSizes, NoBedCells,
                 MaxDepth, NoCells);
    WriteNodes(fp);
    WriteColumns(fp);
}

}  // namespace

void WriteBedStateFile() {
    const std::string base = PartitionName("bedres");
    const std::string name = NumberedOutputOn() ? NextNumberedName(base + ".", 4) : base + ".t";
    if (!WriteOutputFile(name, WriteBedState)) FailOutputFile(name, name);
}
