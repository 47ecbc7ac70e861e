// One symmetric Gauss-Seidel sweep over a box of 100 x 100 x 100 cells, the
// engine's hot loop: serially, and in thread blocks on one and on all threads;
// and one sweep of each parallel solver of F 164 (Jacobi 27 and 29, block
// Gauss-Seidel 28, the vertical-line hybrids 30 to 33, the serial fallback
// 25). Items are cell updates (two per cell and sweep: forward and backward,
// or the two half steps).
#include <omp.h>

#include <benchmark/benchmark.h>

#include "run/globals.h"
#include "solver/solver_services.h"
#include "tools/box_grid.h"

namespace {

constexpr int kSide = 100;

// A diagonally dominant 7-point (or 13-point) equation on every cell.
void SetUpBox(bool far) {
    static int built = -1;
    if (built == static_cast<int>(far)) return;
    ResetGlobals();
    const BoxGrid g = MakeBoxGrid(kSide, kSide, kSide, far);
    for (int c = 1; c <= g.cells(); ++c) {
        Cae[c] = Caw[c] = Can[c] = Cas[c] = 1.0;
        Cat[c] = Cab[c] = 2.0;
        Cap[c] = 8.5;
        Csource[c] = 1.0;
        if (far) {
            Caee[c] = Caww[c] = Cann[c] = Cass[c] = Catt[c] = Cabb[c] = 0.1;
            Cap[c] += 0.6;
        }
    }
    Equation = 1;
    ConvectionScheme[1] = far ? 1 : 0;
    SolverSweeps[1] = 1;
    built = static_cast<int>(far);
}

// threads 0: the serial kernel; otherwise that many thread blocks, or with
// F 164 `variant` that parallel solver on that many threads.
void SymmetricSweep(benchmark::State& state, bool far, int variant = 0) {
    SetUpBox(far);
    const int threads = static_cast<int>(state.range(0));
    NoThreads = threads;
    SolverVariant = variant;
    omp_set_dynamic(0);
    omp_set_num_threads(threads > 0 ? threads : 1);
    for (auto _ : state) {
        SolveEquation();
        benchmark::ClobberMemory();
    }
    const double updates = 2.0 * NoCells;
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * updates));
    state.counters["cell-updates/s"] = benchmark::Counter(updates, benchmark::Counter::kIsIterationInvariantRate);
}

void SevenPoint(benchmark::State& state) { SymmetricSweep(state, false); }
void ThirteenPoint(benchmark::State& state) { SymmetricSweep(state, true); }

void ParallelSevenPoint(benchmark::State& state) {
    SymmetricSweep(state, false, static_cast<int>(state.range(1)));
}
void ParallelThirteenPoint(benchmark::State& state) {
    SymmetricSweep(state, true, static_cast<int>(state.range(1)));
}

void ThreadCounts(benchmark::internal::Benchmark* b) {
    b->Arg(0)->Arg(1);
    if (omp_get_max_threads() > 1) b->Arg(omp_get_max_threads());
    b->ArgName("threads")->Unit(benchmark::kMillisecond)->UseRealTime();
}

void VariantsAndThreadCounts(benchmark::internal::Benchmark* b) {
    for (int variant : {25, 27, 28, 29, 30, 31, 32, 33}) {
        b->Args({1, variant});
        if (omp_get_max_threads() > 1 && variant != 25) b->Args({omp_get_max_threads(), variant});
    }
    b->ArgNames({"threads", "F164"})->Unit(benchmark::kMillisecond)->UseRealTime();
}

BENCHMARK(SevenPoint)->Apply(ThreadCounts);
BENCHMARK(ThirteenPoint)->Apply(ThreadCounts);
BENCHMARK(ParallelSevenPoint)->Apply(VariantsAndThreadCounts);
BENCHMARK(ParallelThirteenPoint)->Apply(VariantsAndThreadCounts);

}  // namespace

BENCHMARK_MAIN();
