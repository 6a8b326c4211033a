#!/usr/bin/env bash
# Installs what is missing, builds and runs every test: once in a normal
# build, once more under AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
src=$(cd "$(dirname "$0")/.." && pwd)
"$src/scripts/setup.sh"
echo "== Formatting"
"$src/scripts/check-format.sh"

run_suite() {
  local dir=$1
  shift
  "$src/scripts/build.sh" "$dir" -DCORVALA_WERROR=ON "$@"
  # The headless layers' tests run with no display at all; the rest under Xvfb.
  (cd "$dir" && env -u DISPLAY ctest --output-on-failure -j 2 -L 'storage|exchange|sync|layout' | tee ctest-headless.log)
  (cd "$dir" && xvfb-run -a -s "-screen 0 1280x1024x24" ctest --output-on-failure -j 2 -LE 'storage|exchange|sync|layout' | tee ctest.log)
}

echo "== Tests"
run_suite "$src/build-test" -DCORVALA_SANITIZE=OFF
echo "== Tests under AddressSanitizer and UndefinedBehaviorSanitizer"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export LSAN_OPTIONS=suppressions=$src/tests/lsan.supp:print_suppressions=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
run_suite "$src/build-asan" -DCORVALA_SANITIZE=ON -DCORVALA_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug
echo "== Fuzzing the spreadsheet reader (bounded)"
"$src/scripts/fuzz.sh" 30 sheet
echo "== Fuzzing the vCard reader (bounded)"
"$src/scripts/fuzz.sh" 25 vcard

# Reached only when every run passed (set -e stops at the first failure).
runs=0
for n in $(sed -n 's/.*tests failed out of \([0-9]*\).*/\1/p' "$src"/build-test/ctest*.log "$src"/build-asan/ctest*.log); do
  runs=$((runs + n))
done
echo "Summary: $runs passed, 0 failed"
