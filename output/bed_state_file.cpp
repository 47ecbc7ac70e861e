// The bed state file: node levels of the structured grid and, per water
// column, its bottom cell, roughness, bed forms and bed layers.
#include <cstdio>
#include <string>

#include "output/bed_state_layout.h"
#include "output/output_names.h"
#include "output/results_writers.h"
#include "run/globals.h"
#include "run/output_file.h"

namespace {

void WriteNodes(FILE* fp) {
    ForEachBedStateNode([fp](int i, int j) {
        std::fprintf(fp, "%d %d %6.1lf %20.14lf %20.14lf %lf %lf\n", i, j, Gridz[i][j][0], Gridz[i][j][1],
                     Gridz[i][j][NoGridLinesZ], GridLevels[3][i][j], GridLevels[1][i][j]);
    });
}

void WriteLayer(FILE* fp, int layer, int b) {
    for (int s = 0; s <= NoSizes; ++s) std::fprintf(fp, "%lf ", BSedDistrib[layer][s][b]);
}

void WriteColumns(FILE* fp) {
    for (int b = 1; b <= NoBedCells; ++b) {
        const int cell = Bcellt[b];
        const double cellRoughness = cell >= 0 && static_cast<size_t>(cell) < Croughness.size() ? Croughness[cell] : 0.0;
        std::fprintf(fp, "%d %d %lf %lf %lf ", b, cell, Broughness[b], cellRoughness, BbedformHeight[b]);
        ForEachBedStateLayer(false, [fp, b](int layer) { WriteLayer(fp, layer, b); });
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
