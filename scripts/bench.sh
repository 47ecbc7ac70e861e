#!/usr/bin/env bash
# Builds the release configuration with the benchmarks and runs them.
# Extra arguments go to the benchmark program (e.g. --benchmark_filter=SevenPoint).
set -euo pipefail
cd "$(dirname "$0")/.."
RIVAX_WITH_BENCH=1 scripts/setup.sh
generator=()
command -v ninja >/dev/null && generator=(-G Ninja)
cmake -S . -B build/bench "${generator[@]}" -DCMAKE_BUILD_TYPE=Release -DRIVAX_BENCH=ON -DRIVAX_TESTS=OFF >/dev/null
jobs=$(nproc 2>/dev/null || echo 2)
cmake --build build/bench --parallel "$jobs" --target rivax_bench
build/bench/bench/rivax_bench "$@"
