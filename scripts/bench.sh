#!/usr/bin/env bash
# Builds the benchmarks and prints the benchmark table for address books of
# 100,000 and 1,000,000 contacts (each beside its floor and the ratio):
#
#   scripts/bench.sh [BUILD_DIR] [corvala_bench options...]
#
# The books are built once and cached in $CORVALA_BENCH_DIR (default
# ~/.cache/corvala-bench; about 1.5 GB). The window rows run on a virtual
# display unless DISPLAY is set. Timings are medians; run it on a quiet
# machine (the table prints the load average it ran under).
set -euo pipefail
src=$(cd "$(dirname "$0")/.." && pwd)
dir=build
if [ $# -gt 0 ] && [ "${1#-}" = "$1" ]; then
  dir=$1
  shift
fi
cmake -S "$src" -B "$src/$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCORVALA_BENCH=ON >/dev/null
cmake --build "$src/$dir" -j "$(nproc)" --target corvala_bench window_bench >/dev/null
bench=("$src/$dir/bench/corvala_bench" --source "$src" "$@")
if [ -n "${DISPLAY:-}" ]; then
  exec "${bench[@]}"
fi
exec xvfb-run -a -s "-screen 0 1280x1024x24" "${bench[@]}"
