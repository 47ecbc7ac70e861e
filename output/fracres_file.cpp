// The bed fraction file `fracres`: per grid position of every block, the
// thickness and grain fractions of the bed layers of its water column, from
// the top layer down. Written by the results dispatcher, read back by
// letter O.
#include "output/fracres_file.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "output/output_names.h"
#include "output/output_services.h"
#include "run/fatal.h"
#include "run/globals.h"
#include "run/log.h"
#include "run/output_file.h"
#include "run/status.h"
#include "run/text_input.h"
#include "surface/surface_services.h"

namespace {

// The multi-layer form lists the whole stack, the two-layer form the active
// layer 1 over the inactive layer 0.
bool MultiLayerForm() { return FlagTSC >= 3 && NoBedLayers != 2; }

// The layers of a line, top first.
std::vector<int> LineLayers() {
    std::vector<int> layers;
    if (MultiLayerForm()) {
        for (int layer = NoBedLayers - 1; layer >= 0; --layer) layers.push_back(layer);
    } else {
        layers = {1, 0};
    }
    return layers;
}

bool HoldsLayers(const std::vector<int>& layers) {
    if (!BSedDistrib.exists() || static_cast<int>(BSedDistrib.extent2()) <= NoSizes) return false;
    return std::all_of(layers.begin(), layers.end(),
                       [](int layer) { return layer >= 0 && layer < static_cast<int>(BSedDistrib.extent1()); });
}

int ColumnAt(int i, int j) {
    if (!pointbed.exists() || i < 0 || j < 0 || static_cast<size_t>(i) >= pointbed.extent1() ||
        static_cast<size_t>(j) >= pointbed.extent2()) {
        return 0;
    }
    const int b = pointbed[i][j];
    return b > 0 && BSedDistrib.exists() && static_cast<size_t>(b) < BSedDistrib.extent3() ? b : 0;
}

std::string FracresName() {
    if (!NumberedOutputOn()) return PartitionName("fracres") + ".new";
    const std::string prefix = MpiPart != 0 ? PartitionName("fracres") + "." : std::string("fracres_");
    return NextNumberedName(prefix, 5, ".new");
}

void WriteLines(FILE* fp) {
    const std::vector<int> layers = LineLayers();
    if (!HoldsLayers(layers)) return;
    for (int k = 1; k <= std::min(NoBlocks, kMaxBlocks); ++k) {
        const BlockRecord& r = BlockTable[k];
        for (int i = r.iFirst; i <= r.iLast; ++i) {
            for (int j = r.jFirst; j <= r.jLast; ++j) {
                // A position without a water column has no bed: a line of
                // zeros would stop the run that reads it back.
                const int b = ColumnAt(i, j);
                if (b == 0) continue;
                std::fprintf(fp, "%d %d", i, j);
                for (int layer : layers) {
                    for (int s = 0; s <= NoSizes; ++s) std::fprintf(fp, " %lf", BSedDistrib[layer][s][b]);
                }
                std::fputc('\n', fp);
            }
        }
    }
}

// Reads the layers of one line into column b (nothing is stored for b = 0).
// False when the line ends before its values.
bool ReadLineLayers(FILE* fp, const std::vector<int>& layers, int i, int j, int b) {
    const bool store = b > 0 && HoldsLayers(layers);
    for (int layer : layers) {
        double values[kMaxSizes + 1] = {};
        for (int s = 0; s <= NoSizes; ++s) {
            if (!ReadFiniteReal(fp, &values[s])) return false;
            if (store) BSedDistrib[layer][s][b] = values[s];
        }
        double sum = 0.0;
        for (int s = 1; s <= NoSizes; ++s) sum += values[s];
        // An emptied layer (thickness and fractions 0) is a bed the engine
        // writes itself, after F 30 2 for one.
        const bool empty = values[0] == 0.0 && sum == 0.0 &&
                           std::all_of(values + 1, values + NoSizes + 1, [](double f) { return f == 0.0; });
        if (empty && NoSizes > 0) continue;
        if (sum > 1.001 || sum < 0.999) {
            if (MultiLayerForm()) {
                FailWithLog(-3, "Error in fracres, i=%d,j=%d, layer %d, sum of fractions = %lf\n", i, j, layer, sum);
            }
            FailWithLog(-3, "Error in fracres, i=%d,j=%d, sum of fractions = %lf\n", i, j, sum);
        }
    }
    return true;
}

}  // namespace

void WriteFracresFile(int) {
    const std::string name = FracresName();
    if (!WriteOutputFile(name, WriteLines)) FailOutputFile(name, name);
}

int ReadFracresFile() {
    const std::string name = PartitionName("fracres");
    InputFile in(name.c_str());
    if (!in) {
        SetStatusText("cannot open file %s ", name.c_str());
        return kFracresMissing;
    }
    // Before a grid there is no column to take the layers: the bed must not
    // pass for read, or the sediment run would start from empty layers.
    if (NoCells == 0) {
        LogAppend("Have not used '%s': no grid was read or generated before letter O\n", name.c_str());
        SetStatusText("have not used file '%s' ", name.c_str());
        return kFracresMissing;
    }
    if (NoBedCells == 0) UpdateWaterColumnsAfterRegrid();
    if (NoSizes > kMaxSizes) FailWithLog(-3, "Error in fracres: %d sediment sizes are more than %d\n", NoSizes, kMaxSizes);
    const std::vector<int> layers = LineLayers();
    const long long limit = 20LL * NoGridLinesX * NoGridLinesY + 1;
    FILE* fp = in.get();
    int i = 0;
    int j = 0;
    for (long long line = 0; line < limit && std::fscanf(fp, "%d %d", &i, &j) == 2; ++line) {
        if (i < 0 || j < 0 || i > NoGridLinesX + 1 || j > NoGridLinesY + 1) {
            LogAppend("Error in fracres, i=%d,j=%d: the position lies outside the grid\n", i, j);
            return kFracresOutsideGrid;
        }
        if (!ReadLineLayers(fp, layers, i, j, ColumnAt(i, j))) {
            FailWithLog(-3, "Error in fracres, i=%d,j=%d: the line ends before its %zu layers of %d values\n", i, j,
                        layers.size(), NoSizes + 1);
        }
    }
    FracresReadFlag = 1;
    return 0;
}
