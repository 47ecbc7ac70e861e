#!/usr/bin/env bash
# Builds the test configuration (ASan + UBSan, checked array indexes) and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake -S . -B build/test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DRIVAX_SANITIZE=ON -DRIVAX_BOUNDS_CHECK=ON -DRIVAX_TESTS=ON >/dev/null
cmake --build build/test
jobs=$(nproc 2>/dev/null || echo 2)
ctest --test-dir build/test --output-on-failure -j "$jobs"
