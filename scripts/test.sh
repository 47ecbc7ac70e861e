#!/usr/bin/env bash
# Builds the test configuration (ASan + UBSan, checked array indexes) and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
generator=()
command -v ninja >/dev/null && generator=(-G Ninja)
cmake -S . -B build/test "${generator[@]}" -DCMAKE_BUILD_TYPE=Debug -DRIVAX_SANITIZE=ON -DRIVAX_BOUNDS_CHECK=ON -DRIVAX_TESTS=ON >/dev/null
jobs=${RIVAX_JOBS:-$(nproc 2>/dev/null || echo 2)}
cmake --build build/test --parallel "$jobs"
ctest --test-dir build/test --output-on-failure -j "$jobs"
