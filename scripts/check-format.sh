#!/usr/bin/env bash
# Fails when a C++ source of the tree differs from what clang-format makes of
# it (.clang-format at the root): scripts/check-format.sh [FILE...]
# Without arguments it checks every tracked source, so a clean clone is
# checked whole; `scripts/check-format.sh $(git diff --name-only)` checks a
# change alone, and `clang-format -i FILE` fixes one.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ $# -eq 0 ]; then
  mapfile -t files < <(git ls-files '*.cpp' '*.h')
else
  files=()
  for f in "$@"; do
    case $f in *.cpp | *.h) [ -f "$f" ] && files+=("$f") ;; esac
  done
fi
bad=()
for f in "${files[@]}"; do
  clang-format --dry-run -Werror "$f" >/dev/null 2>&1 || bad+=("$f")
done
if [ ${#bad[@]} -ne 0 ]; then
  echo "check-format.sh: not formatted as .clang-format says (clang-format -i fixes them):" >&2
  printf '  %s\n' "${bad[@]}" >&2
  exit 1
fi
echo "formatting: ${#files[@]} files as .clang-format says"
