#!/usr/bin/env bash
# Fuzzes a reader with libFuzzer: scripts/fuzz.sh [SECONDS] [sheet|vcard]
# (default 30 seconds of the spreadsheet reader, the bounded run of the test
# script). Needs clang and its runtime (scripts/setup.sh installs them).
# Builds into build-fuzz/ with clang, starts from the sample files of the
# tests, and works in a temporary corpus so that the source tree stays
# untouched. Any crash, leak, timeout or broken promise of the reader fails
# the run; the input that caused it is kept under build-fuzz/findings/.
set -euo pipefail
src=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-30}
target=${2:-sheet}
case $target in
  sheet) samples=("$src"/tests/exchange/data/*.xls "$src"/resources/templates/*.xls) max_len=65536 leaks=1 ;;
  # A few cards reach every path; longer inputs only slow the run down. The
  # vCard library registers types and interns names as it meets them, which
  # makes libFuzzer scan for leaks after nearly every input (twenty times
  # slower); leaks are still looked for when the run ends.
  vcard) samples=("$src"/tests/exchange/vcard/*.vcf) max_len=8192 leaks=0 ;;
  *) echo "fuzz.sh: unknown target $target (sheet or vcard)" >&2; exit 2 ;;
esac
build=$src/build-fuzz

if ! command -v clang++ >/dev/null; then
  echo "fuzz.sh: clang++ is missing (apt-get install -y clang libclang-rt-14-dev)" >&2
  exit 2
fi

# The same compiler cache settings as scripts/build.sh.
export CCACHE_BASEDIR=${CCACHE_BASEDIR-$src}
export CCACHE_SLOPPINESS=${CCACHE_SLOPPINESS-pch_defines,time_macros,include_file_mtime,include_file_ctime}
export CCACHE_NOHASHDIR=${CCACHE_NOHASHDIR-1}
cmake -S "$src" -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCORVALA_FUZZ=ON -DCORVALA_TESTS=OFF -DCORVALA_BENCH=OFF >/dev/null
cmake --build "$build" -j "$(nproc)" --target "${target}_fuzz"

corpus=$(mktemp -d)
trap 'rm -rf "$corpus"' EXIT
cp "${samples[@]}" "$corpus"/
mkdir -p "$build/findings"

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0
export LSAN_OPTIONS=suppressions=$src/tests/lsan.supp:print_suppressions=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
"$build/exchange/fuzz/${target}_fuzz" "$corpus" \
  -dict="$src/exchange/fuzz/$target.dict" \
  -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=$max_len -detect_leaks=$leaks \
  -artifact_prefix="$build/findings/" -print_final_stats=1
