#!/bin/sh
# Fails when a translatable text of the code is missing from po/Corvala.pot,
# or when a catalogue leaves a text of the template untranslated or fuzzy:
#   tests/catalogues/check_catalogues.sh SOURCE_DIR LANGUAGE...
set -u
src=$1
shift
fresh=$(mktemp)
trap 'rm -f "$fresh"' EXIT
status=0

sh "$src/po/extract-messages.sh" "$src" "$fresh" || exit 2
# msgcmp names (by line) every text of the second file that the first lacks.
report=$(msgcmp --use-untranslated "$src/po/Corvala.pot" "$fresh" 2>&1)
if [ $? -ne 0 ]; then
  echo "FAIL: texts of the code are missing from po/Corvala.pot;" \
    "run: cmake --build build --target corvala-po-update" >&2
  echo "$report" | sed -n 's/^[^:]*:\([0-9]*\): this message is used but not defined.*/\1/p' |
    while read -r line; do
      # The entry from its first line up to the reported msgstr line.
      awk -v end="$line" 'NR < end { entry = ($0 == "") ? "" : entry $0 "\n" } NR == end { printf "%s", entry; exit }' \
        "$fresh" >&2
    done
  status=1
fi
for lang in "$@"; do
  # Untranslated and fuzzy entries count as missing here.
  if ! msgcmp "$src/po/$lang.po" "$src/po/Corvala.pot"; then
    echo "FAIL: po/$lang.po leaves texts of po/Corvala.pot untranslated" >&2
    status=1
  fi
done
[ $status -eq 0 ] && echo "every text is in the template and translated into: $*"
exit $status
