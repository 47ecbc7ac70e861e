#!/usr/bin/env bash
# Builds the engine (release) and runs it on the example project.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
generator=()
command -v ninja >/dev/null && generator=(-G Ninja)
cmake -S . -B build/release "${generator[@]}" -DCMAKE_BUILD_TYPE=Release -DRIVAX_TESTS=OFF >/dev/null
cmake --build build/release --parallel "$(nproc 2>/dev/null || echo 2)"
example=${1:-examples/channel}
work=$(mktemp -d)
cp -r "$example"/. "$work"/
echo "Running rivax in $work (copy of $example)"
status=0
(cd "$work" && "$OLDPWD/build/release/rivax") || status=$?
echo "--- boogie ---"
cat "$work/boogie"
echo "--- exit status $status ---"
# 1 is a normal end and 0 an end by the letter X; anything else is a failure.
[ "$status" -eq 0 ] || [ "$status" -eq 1 ]
