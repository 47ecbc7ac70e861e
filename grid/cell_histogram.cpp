// `cellvol` (F 212 12): how the bed levels of the grid are spread, and how
// those of the `geodata` bed points are, in 101 bins between the lowest bed
// and the highest cell centre.
#include <cmath>
#include <cstdio>
#include <memory>

#include "grid/metric_steps.h"
#include "run/fatal.h"
#include "run/globals.h"
#include "run/output_file.h"
#include "run/status.h"
#include "run/text_input.h"

namespace {

constexpr int kBins = 101;
constexpr long kMaxGeodataPoints = 1000000000L;

struct Histogram {
    double zmin = 10000.0;
    double step = 1.0;
    double count[kBins] = {};

    // The bin of level z; -1 outside the bins.
    int bin(double z) const {
        const double k = (z - zmin) / step + 1e-6;
        if (!(k >= 0.0 && k < kBins)) return -1;
        return static_cast<int>(k);
    }
    void clear() {
        for (double& c : count) c = 0.0;
    }
    void write(FILE* fp) const {
        for (int k = 0; k < kBins; ++k) std::fprintf(fp, "%lf %lf\n", zmin + k * step, count[k]);
    }
};

// The points of `geodata` counted into the bins; -1 when there is no file.
long CountGeodataPoints(Histogram* h) {
    std::unique_ptr<FILE, int (*)(FILE*)> fp(OpenInputFile("geodata"), std::fclose);
    if (!fp) return -1;
    h->clear();
    long used = 0;
    double x, y, z;
    for (long read = 0; read < kMaxGeodataPoints && std::fscanf(fp.get(), "E %lf %lf %lf\n", &x, &y, &z) == 3; ++read) {
        const int k = h->bin(z);
        if (k < 0) continue;
        h->count[k] += 1.0;
        ++used;
    }
    return used;
}

[[noreturn]] void CannotWrite() {
    SetStatusText("cannot open file 'cellvol' ");
    EndRun(-3);
}

}  // namespace

void WriteCellHistogram() {
    Histogram h;
    double zmax = -100000.0;
    for (int c = 1; c <= NoCells; ++c) {
        zmax = std::fmax(zmax, Czcenter[c]);
        h.zmin = std::fmin(h.zmin, Czcenter[c] - Ckdist[c]);
    }
    // A grid without cells has no spread; any positive step keeps the bins
    // defined.
    h.step = (zmax - h.zmin) / 100.0;
    if (!(h.step > 0.0)) h.step = 1.0;
    for (int c = 1; c <= NoCells; ++c) {
        if (Ccellb[c] != 0) continue;
        const int k = h.bin(Czcenter[c] - Ckdist[c]);
        if (k >= 0) h.count[k] += 1.0;
    }

    OutputFile out("cellvol");
    if (!out) CannotWrite();
    h.write(out.get());
    const long used = CountGeodataPoints(&h);
    if (used >= 0) {
        std::fprintf(out.get(), "No. points used in geodata file: %ld\n", used);
        h.write(out.get());
    }
    if (!out.commit()) CannotWrite();
}
