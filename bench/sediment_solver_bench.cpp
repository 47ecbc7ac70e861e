// One call of the suspended-sediment solver (five double sweeps) over a box
// of 100 x 100 x 100 cells, by variant: serial (F 164 21), the equal cell
// ranges (F 164 0) and the column-aligned blocks (F 164 31), each on one and
// on all threads, and the erosion-limited serial variant (F 253 1). Items are
// cell updates (ten per cell and call).
#include <omp.h>

#include <benchmark/benchmark.h>

#include "run/globals.h"
#include "sediment/sediment_services.h"
#include "tools/box_grid.h"

namespace {

constexpr int kSide = 100;

// Settling against diffusion in every column, side exchange across them,
// and a bed under every column for the erosion limit.
void SetUpSedimentBox() {
    static bool built = false;
    if (built) return;
    ResetGlobals();
    const BoxGrid g = MakeBoxGrid(kSide, kSide, kSide);
    NoSizes = 1;
    const size_t slots = static_cast<size_t>(g.cells()) + 1;
    const size_t columns = static_cast<size_t>(kSide * kSide) + 1;
    for (Array2<double>* a : {&CapMulti, &CatMulti, &CabMulti, &CsourceMulti}) a->allocate(2, slots);
    Cbedcell.allocate(slots);
    Barea.allocate(columns);
    BSedDistrib.allocate(3, 2, columns);
    for (Array2<double>* a : {&BpotentialConc, &BSolverErosion}) a->allocate(2, columns);
    for (int c = 1; c <= g.cells(); ++c) {
        Cae[c] = Caw[c] = Can[c] = Cas[c] = 0.1;
        CatMulti[1][c] = 1.1;
        CabMulti[1][c] = 0.9;
        CapMulti[1][c] = 2.4 + 0.01;
        CsourceMulti[1][c] = 0.001;
        Cbedcell[c] = 1 + (c - 1) / kSide;
    }
    for (size_t b = 1; b < columns; ++b) {
        const auto k = static_cast<std::ptrdiff_t>(b);
        Barea[k] = 1.0;
        BSedDistrib[1][0][k] = 0.01;
        BSedDistrib[1][1][k] = 1.0;
        BpotentialConc[1][k] = 0.001;
    }
    FallVelocity[1] = 0.01;
    TimeStep = 10.0;
    built = true;
}

void SedimentSolve(benchmark::State& state) {
    SetUpSedimentBox();
    const int threads = static_cast<int>(state.range(0));
    NoThreads = threads;
    SolverVariant = static_cast<int>(state.range(1));
    ActiveLayerErosionLimit = SolverVariant == 253 ? 1 : 0;
    omp_set_dynamic(0);
    omp_set_num_threads(threads);
    for (auto _ : state) {
        SolveSediment3D(1);
        benchmark::ClobberMemory();
    }
    const double updates = 10.0 * NoCells;
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * updates));
    state.counters["cell-updates/s"] = benchmark::Counter(updates, benchmark::Counter::kIsIterationInvariantRate);
}

// Second argument: F 164, or 253 for the erosion-limited variant.
void SedimentVariants(benchmark::internal::Benchmark* b) {
    for (int variant : {21, 0, 31}) {
        b->Args({1, variant});
        if (omp_get_max_threads() > 1 && variant != 21) b->Args({omp_get_max_threads(), variant});
    }
    b->Args({1, 253});
    b->ArgNames({"threads", "variant"})->Unit(benchmark::kMillisecond)->UseRealTime();
}

BENCHMARK(SedimentSolve)->Apply(SedimentVariants);

}  // namespace
