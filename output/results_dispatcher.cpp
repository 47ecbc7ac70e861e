// The results dispatcher: every writer of results goes through here, and the
// F 329 switches, F 48 and F 212 decide what one call writes.
#include <initializer_list>
#include <vector>

#include "output/output_services.h"
#include "output/results_writers.h"
#include "run/globals.h"

namespace {

// F 329 value at position n (1-based).
int Position(int n) { return OutputFlags[n - 1]; }

bool SelectorIn(std::initializer_list<int> values) {
    for (int v : values) {
        if (OutputSelector == v) return true;
    }
    return false;
}

bool BedArraysReady() {
    return NoBedCells > 0 && Bcellt.exists() && Broughness.exists() && BbedformHeight.exists() &&
           BSedDistrib.exists();
}

// The outputs show the bottom cells of appended layer blocks at rest. The
// flow keeps its velocities there: they are zeroed for the outputs of one
// call and given back when it ends, however it ends.
class LayerBlockBedCellsAtRest {
public:
    LayerBlockBedCellsAtRest() {
        if (LayerBlockOption <= 0) return;
        for (int b = 1; b <= NoBlocks && b <= kMaxBlocks; ++b) {
            const BlockRecord& r = BlockTable[b];
            if (r.layerBlock <= 0) continue;
            for (int n = r.firstColumn; n <= r.lastColumn; ++n) {
                if (n < 1 || n > NoBedCells || static_cast<size_t>(n) >= Bcellt.size()) continue;
                const int c = Bcellt[n];
                if (c < 1 || c > NoCells) continue;
                saved_.push_back({c, Cu[c], Cv[c], Cw[c]});
                Cu[c] = Cv[c] = Cw[c] = 0.0;
            }
        }
    }
    ~LayerBlockBedCellsAtRest() {
        // Backwards, so that a cell listed twice gets its first saved values.
        for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
            Cu[it->cell] = it->u;
            Cv[it->cell] = it->v;
            Cw[it->cell] = it->w;
        }
    }
    LayerBlockBedCellsAtRest(const LayerBlockBedCellsAtRest&) = delete;
    LayerBlockBedCellsAtRest& operator=(const LayerBlockBedCellsAtRest&) = delete;

private:
    struct Saved {
        int cell;
        double u, v, w;
    };
    std::vector<Saved> saved_;
};

// The tables and reports that end the call when their file cannot be
// written. False then.
bool WriteTablesAndReports() {
    if (OutputSelector == 5 || Position(13) != 0) {
        if (!WriteHabitatTable()) return false;
    }
    if (DiagnosticOutputOption == 8 || Position(14) != 0) {
        if (!WriteSlopingAreaReport()) return false;
    }
    if (DiagnosticOutputOption == 9 || Position(15) == 1) {
        if (!WriteDischargeReport()) return false;
    }
    if (Position(15) == 2 && !WriteProfileReport()) return false;
    if (Position(15) == 3 && !AppendProfileReport()) return false;
    return true;
}

void WriteOutputs() {
    LayerBlockBedCellsAtRest atRest;
    if (Position(1) == 1) WriteResultFile(1);
    if (Position(3) == 1 || SelectorIn({7, 8, 87, 88})) WriteTecplot2D(1, 0);
    if (Position(4) == 1 || OutputSelector == 18) {
        for (int b = 1; b <= NoBlocks; ++b) WriteTecplot2D(1, b);
    }
    if (Position(5) == 1 || SelectorIn({8, 9, 88, 89})) WriteTecplot3D(1);
    if (Position(6) == 1 || SelectorIn({10, 90})) WriteParaView3U(1);
    if (Position(7) == 1 || SelectorIn({11, 91})) WriteParaView2D(1, 0);
    if (Position(8) == 1 || OutputSelector == 19) {
        for (int b = 1; b <= NoBlocks; ++b) WriteParaView2D(1, b);
    }
    if (Position(16) == 1) WriteFracresFile(1);
    if (Position(9) == 1 || OutputSelector == 13) WriteProbeFile();
    if (Position(10) == 1 || OutputSelector == 22) WriteBedPointFile();
    if (Position(11) <= 99 || InterresVariant > 0 || (OutputSelector >= 1 && OutputSelector <= 6)) {
        WriteInterpolatedResults(1);
    }
    if (Position(12) == 1 || OutputSelector == 17) WriteBoundaryEdgeFile();
    if (Position(2) > 0 && BedArraysReady()) WriteBedStateFile();
    if (!WriteTablesAndReports()) return;
    SetStatusText("have written result file  ");
}

}  // namespace

void WriteResults() {
    WritingFilesFlag = 1;
    WriteOutputs();
    WritingFilesFlag = 0;
}
