// Bed levels of a grid of 200 x 100 nodes from random bed points (the V
// letter with the points already held), on one and on more threads, and the
// reading of a file of 500 000 points. Items are nodes (points for the reading).
#include <omp.h>
#include <unistd.h>

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <random>
#include <stdexcept>

#include "grid/geodata.h"
#include "grid/grid_services.h"
#include "run/globals.h"
#include "run/run_services.h"

namespace {

constexpr int kNodesI = 200, kNodesJ = 100;
constexpr double kSpacingI = 2.0, kSpacingJ = 1.0;  // m
constexpr int kFilePoints = 500000;

// The grid, and `points` random points over it and a margin of five
// spacings around it, with a smooth bed.
void SetUp(int points) {
    static int built = -1;
    if (built == points) return;
    static bool inDirectory = false;
    char dir[] = "/tmp/rivax-bench-XXXXXX";
    if (!inDirectory && (!mkdtemp(dir) || chdir(dir) != 0)) throw std::runtime_error("no directory for the logs");
    inDirectory = true;
    ResetGlobals();
    NoGridLinesX = kNodesI;
    NoGridLinesY = kNodesJ;
    NoGridLinesZ = 3;
    if (AllocateStructuredArrays() != 0) throw std::runtime_error("the grid cannot be allocated");
    NoBlocks = 1;
    BlockTable[1] = BlockRecord{};
    BlockTable[1].iFirst = BlockTable[1].jFirst = 2;
    BlockTable[1].iLast = kNodesI;
    BlockTable[1].jLast = kNodesJ;
    BlockTable[1].field8 = 1;
    for (int i = 1; i <= kNodesI; ++i) {
        for (int j = 1; j <= kNodesJ; ++j) {
            Gridx[i][j] = (i - 1) * kSpacingI;
            Gridy[i][j] = (j - 1) * kSpacingJ;
        }
    }
    std::mt19937 rng(2026);
    std::uniform_real_distribution<double> x(-5 * kSpacingI, (kNodesI + 4) * kSpacingI);
    std::uniform_real_distribution<double> y(-5 * kSpacingJ, (kNodesJ + 4) * kSpacingJ);
    if (!GeodataX.allocate(static_cast<size_t>(points)) || !GeodataY.allocate(static_cast<size_t>(points)) ||
        !GeodataZ.allocate(static_cast<size_t>(points))) {
        throw std::runtime_error("the points cannot be allocated");
    }
    for (int k = 0; k < points; ++k) {
        GeodataX[k] = x(rng);
        GeodataY[k] = y(rng);
        GeodataZ[k] = 0.01 * GeodataX[k] + 0.5 * std::sin(0.05 * GeodataY[k]);
    }
    NoGeodataPoints = points;
    std::fclose(std::fopen(kGeodataLogName, "w"));
    built = points;
}

// Arguments: points, threads.
void Interpolate(benchmark::State& state) {
    SetUp(static_cast<int>(state.range(0)));
    omp_set_dynamic(0);
    omp_set_num_threads(static_cast<int>(state.range(1)));
    for (auto _ : state) {
        InterpolateGeodata();
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * kNodesI * kNodesJ);
}

void Sizes(benchmark::internal::Benchmark* b) {
    const int most = omp_get_num_procs();
    for (int threads : {1, 2, 4, 8}) {
        if (threads == 1 || threads <= most) b->Args({kFilePoints, threads});
    }
    for (int points : {125000, 250000, 1000000, 2000000}) b->Args({points, 1});
    b->ArgNames({"points", "threads"})->Unit(benchmark::kMillisecond)->UseRealTime();
}

BENCHMARK(Interpolate)->Apply(Sizes);

void ReadFile(benchmark::State& state) {
    SetUp(kFilePoints);
    {
        FILE* fp = std::fopen("geodata", "w");
        if (!fp) throw std::runtime_error("no file for the points");
        for (int k = 0; k < kFilePoints; ++k) std::fprintf(fp, "E %.3f %.3f %.4f\n", GeodataX[k], GeodataY[k], GeodataZ[k]);
        std::fclose(fp);
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(ReadGeodataFile());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * kFilePoints);
}

BENCHMARK(ReadFile)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
