// The metric of a box of 100 x 100 x 100 cells, as it runs after every
// regeneration of the grid. Items are cells.
#include <benchmark/benchmark.h>

#include "bench/bench_box.h"
#include "grid/grid_services.h"

namespace {

constexpr int kSide = 100;

// The engine allocates as a run would.
void SetUpBox() {
    static bool built = false;
    if (built) return;
    AllocateBenchBox(kSide);
    // The first call touches the freshly allocated pages of every result.
    metric();
    built = true;
}

void Metric(benchmark::State& state) {
    SetUpBox();
    for (auto _ : state) {
        metric();
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * NoCells);
}

BENCHMARK(Metric)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
