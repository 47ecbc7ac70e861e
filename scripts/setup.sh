#!/usr/bin/env bash
# Installs what a fresh Debian machine lacks to build and test the engine.
set -euo pipefail
need=()
command -v cmake >/dev/null || need+=(cmake)
command -v g++ >/dev/null || need+=(g++)
[ -f /usr/lib/x86_64-linux-gnu/libgtest.a ] || [ -f /usr/lib/libgtest.a ] || need+=(libgtest-dev)
# The plot-file tests load the files with VTK's readers through Debian's Python.
/usr/bin/python3 -c 'import vtk' >/dev/null 2>&1 || need+=(python3-vtk9)
# The OpenFOAM export tests mesh and check the written case with OpenFOAM's tools.
[ -f /usr/share/openfoam/etc/bashrc ] || need+=(openfoam)
if [ "${RIVAX_WITH_BENCH:-0}" = 1 ]; then
  [ -e /usr/lib/x86_64-linux-gnu/libbenchmark.so ] || need+=(libbenchmark-dev)
  # The flow benchmark reads wall time and peak memory from GNU time.
  [ -x /usr/bin/time ] || need+=(time)
fi
if [ ${#need[@]} -gt 0 ]; then
  sudo_cmd=""
  [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq "${need[@]}"
fi
