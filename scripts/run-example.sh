#!/usr/bin/env bash
# Builds the engine (release) and runs it on a scratch copy of an example
# project (examples/channel unless another directory is given), showing the
# residual lines of the log as the iterations go.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
scripts/setup.sh
generator=()
command -v ninja >/dev/null && generator=(-G Ninja)
cmake -S . -B build/release "${generator[@]}" -DCMAKE_BUILD_TYPE=Release -DRIVAX_TESTS=OFF >/dev/null
cmake --build build/release --parallel "$(nproc 2>/dev/null || echo 2)"
example=${1:-examples/channel}
work=$(mktemp -d "${TMPDIR:-/tmp}/rivax-example-XXXXXX")
cp -r "$example"/. "$work"/
echo "Running rivax in $work (a copy of $example)"

# The engine's own status texts go to a file: on a terminal they rewrite one
# line, which the residual lines below would cut into.
(cd "$work" && exec "$root/build/release/rivax" >"$work/status.txt") &
engine=$!
tail --pid="$engine" -n +1 -F "$work/boogie" 2>/dev/null |
    grep --line-buffered -E '^(Iter:|Solution|Error|Max residual)' || true
status=0
wait "$engine" || status=$?

echo "Last status: $(tail -n 1 "$work/status.txt")"
echo "Exit status $status; the whole log is $work/boogie"
# 1 is a normal end and 0 an end by the letter X; anything else is a failure.
if [ "$status" -ne 0 ] && [ "$status" -ne 1 ]; then
    echo "rivax failed; see $work/boogie" >&2
    exit 1
fi
if ! grep -q '^Solution converged' "$work/boogie"; then
    echo "The flow did not converge; see $work/boogie" >&2
    exit 1
fi
echo "Result files in $work:"
for f in "$work"/ParaView3U.vtk "$work"/pav2_*.vtk "$work"/result "$work"/bedres.t; do
    [ -e "$f" ] || continue
    case $f in
        */ParaView3U.vtk) what="the 3D flow field (open it in ParaView)" ;;
        */pav2_*.vtk) what="the plan view (open it in ParaView)" ;;
        */result) what="velocities, k, epsilon and pressure per cell (text)" ;;
        */bedres.t) what="the bed state per column (text)" ;;
    esac
    echo "  $f: $what"
done
