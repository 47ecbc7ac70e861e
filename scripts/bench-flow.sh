#!/usr/bin/env bash
# The flow benchmark: letter W on a channel of 200 x 40 columns of 20 layers
# (160 000 cells), written into a scratch directory by rivax-channel, on one
# thread and on all threads (F 206), with the default driver (`default` rows),
# the block-parallel driver of F 328 = 1 (`block` rows) and the fast driver of
# F 170 = 1 (`fast` rows).
#
#   scripts/bench-flow.sh [fixed|converge|peer|all]     (default all)
#
# fixed:    a run of 1 + N outer iterations (K 1) with the timing lines of
#           F 1 P; the N iterations after the first give the cell-iterations
#           per second of the iteration alone, without reading the grid and
#           starting the run. The fast driver writes no timing lines: its
#           row times runs of K 1 1 and K 1 1+N and divides the difference of
#           their wall times by N.
# converge: a run to "Solution converged" (at most RIVAX_BENCH_MAX_ITER outer
#           iterations): wall time, outer iterations (from `result`), and
#           the largest residual of the last "Iter:" line of `boogie`.
#           Beside the default row and at its thread counts, converge mode
#           also runs the solver settings `block` (the block correction of
#           the pressure correction, K 5 0 0 0 1 0 0), `multigrid` (the 3D
#           multigrid of the pressure correction, F 168 2, K 5 0 0 0 10 0 0)
#           `both` (F 168 2, K 5 1 1 1 10 0 0) and `tuned` (the settings that
#           converge this channel in the least wall time, see the README).
#           Each prints its outer iterations and wall time, also as ratios to
#           the default run, and U of the probe cell (column 151 along, 21
#           across, layer 10 of 20: cell 83010, centre (15.05, 1.025) m) with
#           its deviation from the default run's.
# peer:     converge mode beside OpenFOAM's simpleFoam on the same channel,
#           when its tools are installed (/usr/share/openfoam/etc/bashrc): the
#           case is written from bench/peer (blockMesh with the engine's grid
#           lines, upwind convection, GAMG for p, symmetric Gauss-Seidel for
#           U, k and epsilon, rough walls of the engine's ks with the log law
#           of the engine, a rigid lid), run on one process until its initial
#           residuals fall below 1e-3 for p and 1e-4 for U, k and epsilon;
#           then again on all cores (decomposePar with a simple decomposition
#           along x, mpirun -np <nproc> simpleFoam -parallel, reconstructPar).
#           Every engine row then also prints its wall time and outer
#           iterations as ratios to both peer runs, and U at the probe cell
#           and the mean U of the probe's cross-section in both runs with
#           their differences. After the 160 000 cells, peer mode runs the
#           large channel, 400 x 80 x 40 = 1 280 000 cells: the `tuned`
#           setting at each thread count and both peer runs, with the same
#           ratios and the outer iterations as a ratio to the tuned count at
#           160 000 cells (RIVAX_BENCH_LARGE=0 leaves it out).
# Every run reports its peak resident memory per cell.
#
# Environment: RIVAX_BENCH_ITER (N, default 20), RIVAX_BENCH_MAX_ITER (default
# 10000), RIVAX_BENCH_THREADS (the thread counts, default "1 <nproc>"),
# RIVAX_BENCH_DIR (keep the scratch projects there), RIVAX_JOBS (compile jobs),
# RIVAX_BENCH_CONTROL (extra control data sets for every run, separated by
# ";", e.g. "F 164 27"), RIVAX_BENCH_PEER_PROCS (the processes of the
# parallel peer, default <nproc>), RIVAX_BENCH_LARGE (0: no large channel),
# RIVAX_BENCH_DRIVERS (the rows, default
# "default block fast"), RIVAX_BENCH_SOLVERS (the solver settings of converge
# mode, default "block multigrid both"; empty for none).
# The control data sets of examples/channel/control (other than its title,
# letters, grid sizes and capacities, and its tuned K 3, K 4 and K 5) are
# used as they stand; `tuned` takes its K 3, K 4 and K 5.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
mode=${1:-all}
case $mode in fixed | converge | peer | all) ;; *) echo "usage: $0 [fixed|converge|peer|all]" >&2; exit 2 ;; esac

RIVAX_WITH_BENCH=1 scripts/setup.sh
generator=()
command -v ninja >/dev/null && generator=(-G Ninja)
cmake -S . -B build/release "${generator[@]}" -DCMAKE_BUILD_TYPE=Release -DRIVAX_TESTS=OFF >/dev/null
cmake --build build/release --parallel "${RIVAX_JOBS:-$(nproc 2>/dev/null || echo 2)}" --target rivax rivax-channel >/dev/null

all=$(nproc 2>/dev/null || echo 1)
threads=${RIVAX_BENCH_THREADS:-$([ "$all" -gt 1 ] && echo "1 $all" || echo 1)}
iterations=${RIVAX_BENCH_ITER:-20}
extra=
[ -n "${RIVAX_BENCH_CONTROL:-}" ] && extra=$(printf '%s' "$RIVAX_BENCH_CONTROL" | tr ';' '\n')$'\n'
most=${RIVAX_BENCH_MAX_ITER:-10000}
work=${RIVAX_BENCH_DIR:-$(mktemp -d)}
mkdir -p "$work"

# The channel of examples/channel (20 m by 2 m, 1 m deep, 1 m3/s), five times
# finer in plan and with twice its layers; `channel_grid NX NY NZ` writes it
# (once per size) and sets the size, the project and the probe used below.
length=20 width=2 depth=1 bed=10 slope=0.001 discharge=1
channel_grid() {
  nx=$1 ny=$2 nz=$3
  cells=$((nx * ny * nz))
  base=$work/channel-$nx-$ny-$nz
  # The probe: column 151 along, 21 across, layer 10 of 20 (from the bed) on
  # 200 x 40 x 20; the cell at the same corner on finer grids.
  probe_i=$((150 * nx / 200 + 1)) probe_j=$((20 * ny / 40 + 1)) probe_l=$((9 * nz / 20 + 1))
  probe=$((((probe_j - 1) * nx + probe_i - 1) * nz + probe_l))
  [ -f "$base/unstruc" ] && return 0
  mkdir -p "$base"
  build/release/rivax-channel "$base" along="$nx" across="$ny" z=$((nz + 1)) length=$length width=$width \
    depth=$depth bed=$bed slope=$slope version=3 discharge=$discharge letters=UW >/dev/null
  # The example's own relaxation, sweeps and solver acceleration are its
  # tuned settings (the `tuned` row); the default rows keep the factors and
  # sweeps it had before and the data sets' default acceleration, so that
  # their figures stay comparable.
  grep -vE '^(T|F 2|G 1|F 65|K 3|K 4|K 5)( |$)' examples/channel/control >>"$base/control" || true
  printf 'K 3 0.8 0.8 0.8 0.3 0.7 0.7\nK 4 2 2 2 10 3 3\n' >>"$base/control"
}
channel_grid 200 40 20

# run NAME THREADS CONTROL-LINES: a fresh copy of the project (the grid files
# are linked), the extra lines appended to its control; sets wall and rss (kB).
run() {
  local dir=$work/$1
  rm -rf "$dir" && mkdir -p "$dir"
  ln -s "$base/unstruc" "$dir/unstruc"
  ln -s "$base/koordina" "$dir/koordina"
  { cat "$base/control"; printf '%s' "$3"; printf '%s' "$extra"; echo "F 206 $2"; } >"$dir/control"
  local status=0
  (cd "$dir" && /usr/bin/time -f '%e %M' -o time.txt "$root/build/release/rivax" >stdout.txt 2>&1) || status=$?
  if [ "$status" -ne 1 ] && [ "$status" -ne 0 ]; then
    echo "rivax ended with status $status in $dir; the end of its boogie:" >&2
    tail -5 "$dir/boogie" >&2
    exit 1
  fi
  read -r wall rss < <(tail -1 "$dir/time.txt")
}

per_cell() { awk -v kb="$1" -v n="$cells" 'BEGIN { printf "%.0f", kb * 1024 / n }'; }

echo "Flow benchmark: $cells cells, $(uptime | sed 's/.*load/load/')"
peer_procs=${RIVAX_BENCH_PEER_PROCS:-$all}
echo "scratch: $work"
[ -n "$extra" ] && printf 'extra control data sets:\n%s' "$extra"
# The drivers compared: a name and the control lines that choose it.
read -r -a variants <<<"${RIVAX_BENCH_DRIVERS:-default block fast}"
declare -A variant_lines=([default]="" [block]=$'F 328 1\n' [fast]=$'F 170 1\n')
for v in "${variants[@]}"; do
  [ -n "${variant_lines[$v]+set}" ] || { echo "unknown driver row '$v' (default, block, fast)" >&2; exit 2; }
done

# The solver settings of converge mode, compared with the default driver's
# converge run at the same thread count.
read -r -a solvers <<<"${RIVAX_BENCH_SOLVERS-block multigrid both tuned}"
declare -A solver_lines=([block]=$'K 5 0 0 0 1 0 0\n' [multigrid]=$'F 168 2\nK 5 0 0 0 10 0 0\n'
  [both]=$'F 168 2\nK 5 1 1 1 10 0 0\n' [tuned]="$(grep -E '^K (3|4|5) ' examples/channel/control)"$'\n')
for s in "${solvers[@]}"; do
  [ -n "${solver_lines[$s]+set}" ] || { echo "unknown solver setting '$s' (block, multigrid, both, tuned)" >&2; exit 2; }
done

# converged DIR: the outer iterations of a converged run, empty otherwise.
converged() {
  grep -q "Solution converged" "$1/boogie" && sed -n '2s/.*iter = *//p' "$1/result"
}
# probe_u DIR: U of the probe cell in the run's `result`.
probe_u() { awk -v n="$probe" '$1 == "C" && $2 == n { print $3; exit }' "$1/result" 2>/dev/null || true; }
# engine_flow DIR: U of the probe cell and the mean U of the cells of the
# probe's cross-section (equal areas on this grid), from `result`.
engine_flow() {
  awk -v n="$probe" -v nx="$nx" -v nz="$nz" -v pi="$probe_i" '$1 == "C" {
      if ($2 == n) u = $3
      if (int(($2 - 1) / nz) % nx + 1 == pi) { s += $3; m++ }
    } END { if (m > 0 && u != "") print u, s / m }' "$1/result" 2>/dev/null || true
}

# The peer: simpleFoam on the same channel, when installed, on one process
# (peer_* figures) and on peer_procs processes (ppeer_* figures).
peer_env=/usr/share/openfoam/etc/bashrc
peer_outer='' peer_wall='' peer_rss='' peer_flow=''
ppeer_outer='' ppeer_wall='' ppeer_rss='' ppeer_flow=''
# foam_flow DIR: the same two figures from the last time directory's U (the
# cells of blockMesh run x fastest, then y, then z from the bed).
foam_flow() {
  local last
  last=$(cd "$1" && ls -d [0-9]* 2>/dev/null | sort -g | tail -1)
  [ -n "$last" ] && [ "$last" != 0 ] && [ -f "$1/$last/U" ] || return 0
  awk -v n="$(((probe_i - 1) + nx * ((probe_j - 1) + ny * (probe_l - 1))))" -v nx="$nx" -v pi="$probe_i" '
    /^internalField/ { list = 1; next }
    list == 1 && /^[0-9]+$/ { list = 2; next }
    list == 2 && /^\($/ { list = 3; c = 0; next }
    list == 3 && /^\)$/ { exit }
    list == 3 {
      gsub(/[()]/, ""); split($0, v, " ")
      if (c == n) u = v[1]
      if (c % nx + 1 == pi) { s += v[1]; m++ }
      c++
    }
    END { if (m > 0 && u != "") print u, s / m }' "$1/$last/U"
}
# peer_case DIR: the peer's case of the current channel in DIR.
peer_case() {
  local dir=$1 strickler ks speed ustar
  rm -rf "$dir" && cp -r "$root/bench/peer" "$dir"
  # The engine's roughness: F 16 when positive, else (26/M)^6 from W 1.
  strickler=$(awk '$1 == "W" && $2 == 1 { m = $3 } END { print m == "" ? 50 : m }' "$base/control")
  ks=$(awk -v m="$strickler" '$1 == "F" && $2 == 16 && $3 > 0 { k = $3 } END {
    printf "%.8g", k != "" ? k : (26 / m) ^ 6 }' "$base/control")
  speed=$(awk -v q="$discharge" -v b="$width" -v h="$depth" 'BEGIN { printf "%.8g", q / (b * h) }')
  ustar=$(awk -v u="$speed" -v h="$depth" -v ks="$ks" 'BEGIN { printf "%.8g", u / (2.5 * log(11 * h / ks)) }')
  # Cs = E/30 makes the rough wall function the engine's ln(30 y / ks) law.
  find "$dir" -type f -exec sed -i -e "s/@NX@/$nx/; s/@NY@/$ny/; s/@NZ@/$nz/; s/@MAXITER@/$most/g" \
    -e "s/@LENGTH@/$length/g; s/@WIDTH@/$width/g; s/@SPEED@/$speed/g; s/@KS@/$ks/g; s/@CS@/0.3267/g" \
    -e "s/@BED0@/$bed/; s/@BED1@/$(awk -v b="$bed" -v s="$slope" -v l="$length" 'BEGIN { print b - s * l }')/" \
    -e "s/@TOP0@/$(awk -v b="$bed" -v h="$depth" 'BEGIN { print b + h }')/" \
    -e "s/@TOP1@/$(awk -v b="$bed" -v s="$slope" -v l="$length" -v h="$depth" 'BEGIN { print b - s * l + h }')/" \
    -e "s/@K@/$(awk -v u="$ustar" 'BEGIN { printf "%.6g", u * u / 0.3 }')/g" \
    -e "s/@EPSILON@/$(awk -v u="$ustar" -v h="$depth" 'BEGIN { printf "%.6g", u ^ 3 / (0.41 * 0.2 * h) }')/g" \
    -e "s/@PROCS@/$peer_procs/g" {} +
}
# peer_run PROCS: the peer on PROCS processes (1: serial); sets the peer_*
# figures (PROCS 1) or the ppeer_* figures. The wall time of the parallel run
# is that of mpirun alone, as the serial one is that of simpleFoam alone.
peer_run() {
  local procs=$1 dir=$work/peer-$1-$nx wall rss outer flow solve label
  peer_case "$dir"
  if [ "$procs" -le 1 ]; then
    solve="/usr/bin/time -f '%e %M' -o time.txt simpleFoam >log.simpleFoam 2>&1"
    label="1 process"
  else
    # Open MPI refuses root without the flag, and more ranks than it counts
    # slots without --oversubscribe.
    solve="decomposePar >log.decomposePar 2>&1 && /usr/bin/time -f '%e %M' -o time.txt mpirun --allow-run-as-root \
      --oversubscribe -np $procs simpleFoam -parallel >log.simpleFoam 2>&1 && reconstructPar -latestTime >log.reconstructPar 2>&1"
    label="$procs processes"
  fi
  if ! (cd "$dir" && bash -c ". '$peer_env' >/dev/null 2>&1; blockMesh >log.blockMesh 2>&1 && $solve"); then
    echo "simpleFoam ($label) failed in $dir; the end of its logs:" >&2
    tail -5 "$dir"/log.* 2>/dev/null >&2
    return 0
  fi
  read -r wall rss < <(tail -1 "$dir/time.txt")
  outer=$(sed -n 's/^SIMPLE solution converged in \([0-9]*\) iterations.*/\1/p' "$dir/log.simpleFoam")
  flow=$(foam_flow "$dir")
  local verdict="converged after $outer outer iterations"
  [ -n "$outer" ] || verdict="not converged within $most outer iterations"
  read -r pu pm <<<"${flow:-n/a n/a}"
  # /usr/bin/time sees mpirun, not its ranks: the peak is one rank's at most.
  printf 'peer     simpleFoam, %-11s %s in %.2f s  peak %s bytes/cell  U at the probe %s m/s, section mean %s m/s\n' \
    "$label" "$verdict" "$wall" "$(per_cell "$rss")" "$pu" "$pm"
  if [ "$procs" -le 1 ]; then
    peer_outer=$outer peer_wall=$wall peer_rss=$rss peer_flow=$flow
  else
    ppeer_outer=$outer ppeer_wall=$wall ppeer_rss=$rss ppeer_flow=$flow
  fi
}
# peer_vs LABEL DIR WALL OUTER PWALL PFLOW: one line of the run against one
# peer run.
peer_vs() {
  awk -v label="$1" -v it="$(converged "$2" || true)" -v w="$3" -v pit="$4" -v pw="$5" \
    -v f="$(engine_flow "$2")" -v pf="$6" 'BEGIN {
    split(f, a, " "); split(pf, b, " ")
    ratio = (it != "" && pit > 0) ? sprintf("%.1f", it / pit) : "n/a"
    du = (a[1] != "" && b[1] + 0 != 0) ? sprintf("%+.2f %%", 100 * (a[1] - b[1]) / b[1]) : "n/a"
    dm = (a[2] != "" && b[2] + 0 != 0) ? sprintf("%+.2f %%", 100 * (a[2] - b[2]) / b[2]) : "n/a"
    printf "    vs peer (%s): wall %.2f x, outer iterations %s x; U at the probe %s (%s), section mean %s (%s)\n",
      label, (pw > 0 ? w / pw : 0), ratio, (a[1] == "" ? "n/a" : a[1]), du, (a[2] == "" ? "n/a" : a[2]), dm
  }'
}
# peer_line DIR WALL: the run against each peer run that ran.
peer_line() {
  [ -z "$peer_wall" ] || peer_vs "1 process" "$1" "$2" "$peer_outer" "$peer_wall" "$peer_flow"
  [ -z "$ppeer_wall" ] || peer_vs "$peer_procs processes" "$1" "$2" "$ppeer_outer" "$ppeer_wall" "$ppeer_flow"
}
# peer_runs: both peer runs of the current channel, when the tools are there.
peer_runs() {
  peer_outer='' peer_wall='' peer_rss='' peer_flow=''
  ppeer_outer='' ppeer_wall='' ppeer_rss='' ppeer_flow=''
  if [ ! -f "$peer_env" ]; then
    echo "peer: OpenFOAM's tools are not installed ($peer_env); the engine rows alone"
    return 0
  fi
  peer_run 1
  [ "$peer_procs" -le 1 ] || peer_run "$peer_procs"
}

# Prints a fixed row from the time of the N iterations and the run's wall time.
fixed_row() {
  awk -v n="$cells" -v it="$iterations" -v d="$3" -v w="$wall" -v t="$2" -v m="$(per_cell "$rss")" -v name="$1" 'BEGIN {
    rate = d > 0 ? sprintf("%.3g", n * it / d) : "n/a"
    printf "%-8s threads %2d  %d outer iterations: %.3f s (%.1f ms each)  %s cell-iterations/s  run %.2f s  peak %s bytes/cell\n", name, t, it, d, 1000 * d / it, rate, w, m
  }'
}

[ "$mode" = peer ] && peer_runs

for t in $threads; do
for v in "${variants[@]}"; do
  lines=${variant_lines[$v]}
  fixed_rows=0
  [ "$mode" = fixed ] || [ "$mode" = all ] && fixed_rows=1
  if [ "$fixed_rows" = 1 ] && [ "$v" = fast ]; then
    run "fixed-$v-t$t-one" "$t" "${lines}K 1 1"$'\n'
    one=$wall
    run "fixed-$v-t$t" "$t" "${lines}K 1 $((iterations + 1))"$'\n'
    fixed_row "$v" "$t" "$(awk -v a="$one" -v b="$wall" 'BEGIN { print b - a }')"
  elif [ "$fixed_rows" = 1 ]; then
    # F 1 P puts the wall clock since the start of the iterations after the
    # residual lines; slot 25 is stamped at the end of each pass.
    run "fixed-$v-t$t" "$t" "${lines}K 1 $((iterations + 1))"$'\nF 1 P\n'
    read -r first last < <(awk -v n="$((iterations + 1))" '
      /^Iter: / { it = $2 + 0 }
      /^OpenMP 25 = / { v = $4 + 0; if (it == 1) a = v; if (it == n) b = v }
      END { print a + 0, b + 0 }' "$work/fixed-$v-t$t/boogie")
    fixed_row "$v" "$t" "$(awk -v a="$first" -v b="$last" 'BEGIN { print b - a }')"
  fi
  if [ "$mode" != fixed ]; then
    run "converge-$v-t$t" "$t" "${lines}K 1 $most"$'\n'
    dir=$work/converge-$v-t$t
    outer=$(converged "$dir" || true)
    if [ -n "$outer" ]; then
      verdict="converged after $outer outer iterations"
    else
      verdict="not converged within $most outer iterations"
    fi
    last=$(grep '^Iter:' "$dir/boogie" | tail -1 || true)
    printf '%-8s threads %2d  %s in %.2f s  peak %s bytes/cell  last: %s\n' \
      "$v" "$t" "$verdict" "$wall" "$(per_cell "$rss")" "${last:-no Iter: line}"
    peer_line "$dir" "$wall"
    if [ "$v" = default ] && [ "${#solvers[@]}" -gt 0 ]; then
      base_outer=$outer base_wall=$wall base_u=$(probe_u "$dir")
      printf '  %-9s  default: U at cell %d = %s m/s\n' solver "$probe" "${base_u:-n/a}"
      for s in "${solvers[@]}"; do
        run "converge-solver-$s-t$t" "$t" "${solver_lines[$s]}K 1 $most"$'\n'
        sdir=$work/converge-solver-$s-t$t
        awk -v name="$s" -v it="$(converged "$sdir" || true)" -v bit="$base_outer" -v w="$wall" -v bw="$base_wall" \
          -v u="$(probe_u "$sdir")" -v bu="$base_u" -v most="$most" 'BEGIN {
          if (it == "") outer = sprintf("not converged within %d outer iterations", most)
          else outer = sprintf("%d outer iterations (%s of the default)", it, (bit > 0 ? sprintf("%.3f", it / bit) : "n/a"))
          dev = (u != "" && bu != "" && bu + 0 != 0) ? sprintf("%+.3f %%", 100 * (u - bu) / bu) : "n/a"
          printf "  %-9s  %s, %.2f s (%.3f of the default), U %s (%s)\n", name, outer, w, (bw > 0 ? w / bw : 0), (u == "" ? "n/a" : u), dev
        }'
        peer_line "$sdir" "$wall"
      done
    fi
  fi
done
done

# The large channel, in peer mode: the tuned setting against both peer runs,
# and its outer iterations against the tuned count of the 160 000 cells.
if [ "$mode" = peer ] && [ "${RIVAX_BENCH_LARGE:-1}" != 0 ]; then
  small_tuned=() small_cells=$cells
  for t in $threads; do small_tuned+=("$(converged "$work/converge-solver-tuned-t$t" || true)"); done
  channel_grid 400 80 40
  echo "Large channel: $cells cells, $(uptime | sed 's/.*load/load/')"
  peer_runs
  n=0
  for t in $threads; do
    run "large-tuned-t$t" "$t" "${solver_lines[tuned]}K 1 $most"$'\n'
    dir=$work/large-tuned-t$t
    outer=$(converged "$dir" || true)
    awk -v t="$t" -v it="$outer" -v sit="${small_tuned[$n]:-}" -v sc="$small_cells" -v w="$wall" -v m="$(per_cell "$rss")" -v most="$most" 'BEGIN {
      if (it == "") outer = sprintf("not converged within %d outer iterations", most)
      else outer = sprintf("converged after %d outer iterations (%s x the tuned count at %d cells)", it,
        (sit > 0 ? sprintf("%.2f", it / sit) : "n/a"), sc)
      printf "tuned    threads %2d  %s in %.2f s  peak %s bytes/cell\n", t, outer, w, m
    }'
    peer_line "$dir" "$wall"
    n=$((n + 1))
  done
fi
