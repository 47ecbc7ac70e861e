// Surface fluxes and convection-diffusion coefficients of a box of
// 100 x 100 x 100 cells, as one inner pass assembles them: the per-chunk
// work on 1 and on all threads, then the steps over the whole grid.
// Items are surfaces.
#include <omp.h>

#include <benchmark/benchmark.h>

#include <cmath>

#include "flow/flow_services.h"
#include "grid/grid_services.h"
#include "run/globals.h"
#include "bench/bench_box.h"

namespace {

constexpr int kSide = 100;

void SetUpBox() {
    static bool built = false;
    if (built) return;
    AllocateBenchBox(kSide, {1.0, 1.0, 0.1});
    metric();
    for (int c = 1; c <= NoCells; ++c) {
        Cu[c] = 1.0 + 0.1 * std::sin(0.01 * c);
        Cv[c] = 0.1 * std::cos(0.02 * c);
        Cw[c] = 0.001 * std::sin(0.03 * c);
        Pres[c] = 10.0 * std::sin(0.7 * c);
        CinvAp[c] = 1e-3;
        Ceddyvisc[c] = 0.01;
        Ceddyviscz[c] = 0.001;
    }
    FirstSurface = 1;
    LastSurface = NoSurfaces;
    built = true;
}

void Assembly(benchmark::State& state) {
    SetUpBox();
    const int chunks = state.range(0) == 0 ? omp_get_max_threads() : static_cast<int>(state.range(0));
    for (auto _ : state) {
        RunInChunks(FirstSurface, LastSurface, chunks, ComputeSurfaceFluxRange);
        FinishSurfaceFluxes();
        RunInChunks(FirstSurface, LastSurface, chunks, ComputeConvectionDiffusionRange);
        FinishConvectionDiffusion(FirstSurface, LastSurface);
        benchmark::ClobberMemory();
    }
    state.counters["threads"] = chunks;
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * NoSurfaces);
}

// 1 thread, then all the runtime offers.
BENCHMARK(Assembly)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
