#!/usr/bin/env bash
# Builds the test configuration (ASan + UBSan, checked array indexes) and runs every test,
# then builds the release configuration with the tests and runs the physics checks there:
# the whole-run checks that take minutes under the sanitizers skip themselves in the test
# configuration, so the release run is the one that holds the engine to them.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
generator=()
command -v ninja >/dev/null && generator=(-G Ninja)
jobs=${RIVAX_JOBS:-$(nproc 2>/dev/null || echo 2)}
cmake -S . -B build/test "${generator[@]}" -DCMAKE_BUILD_TYPE=Debug -DRIVAX_SANITIZE=ON -DRIVAX_BOUNDS_CHECK=ON -DRIVAX_TESTS=ON >/dev/null
cmake --build build/test --parallel "$jobs"
ctest --test-dir build/test --output-on-failure -j "$jobs"
cmake -S . -B build/release "${generator[@]}" -DCMAKE_BUILD_TYPE=Release -DRIVAX_TESTS=ON >/dev/null
cmake --build build/release --parallel "$jobs"
# The fast driver's three long comparisons run here too (seconds each in release).
RIVAX_LONG_PHYSICS=1 ctest --test-dir build/release -L physics --output-on-failure -j "$jobs"
