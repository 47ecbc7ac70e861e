// The metric of a box of 100 x 100 x 100 cells, as it runs after every
// regeneration of the grid. Items are cells.
#include <unistd.h>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <stdexcept>
#include <string>

#include "grid/grid_services.h"
#include "run/globals.h"
#include "run/run_services.h"
#include "tools/box_geometry.h"

namespace {

constexpr int kSide = 100;

// The engine allocates as a run would; its log goes to a directory of its own.
void SetUpBox() {
    static bool built = false;
    if (built) return;
    char dir[] = "/tmp/rivax-metric-bench-XXXXXX";
    if (!mkdtemp(dir) || chdir(dir) != 0) throw std::runtime_error("no directory for the log");
    ResetGlobals();
    const int cells = kSide * kSide * kSide;
    MaxCeller = cells + 2;
    MaxFlater = 3 * cells + 3 * kSide * kSide + 2;
    MaxPoints = (kSide + 1) * (kSide + 1) * (kSide + 1) + 2;
    NoGridLinesX = NoGridLinesY = kSide + 2;
    NoGridLinesZ = 3;
    if (AllocateStructuredArrays() != 0 || AllocateUnstructuredArrays() < 0) {
        throw std::runtime_error("the arrays of the box cannot be allocated");
    }
    MakeBoxGeometry(kSide, kSide, kSide);
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
