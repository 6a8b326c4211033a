#!/bin/sh
# Fails when an include goes up a layer or across, when includes form a
# circle (ARCHITECTURE.md), or when a source file grows past 700 lines (the
# main window's to 600 or more): tests/layout/check_layout.sh SOURCE_DIR
# A class's header and source count as one node; a folder may include
# itself and any folder of a lower rank.
set -u
cd "$1" || exit 2
rank() {
  case $1 in
    storage) echo 0 ;;
    exchange) echo 1 ;;
    sync) echo 2 ;;
    tools) echo 3 ;;
    platform) echo 3 ;;
    views | dialogs) echo 4 ;;
    frame) echo 5 ;;
    app) echo 6 ;;
    *) echo "" ;;
  esac
}
edges=$(mktemp)
trap 'rm -f "$edges"' EXIT
status=0
for folder in storage exchange sync tools platform views dialogs frame app; do
  for file in "$folder"/*.cpp "$folder"/*.h; do
    [ -f "$file" ] || continue
    node=${file%.*}
    for target in $(sed -n 's/^#include "\([^"]*\)\.h".*/\1/p' "$file"); do
      to=${target%%/*}
      [ "$target" = "$node" ] && continue
      # Generated headers (no folder) belong to the build.
      case $target in */*) ;; *) continue ;; esac
      echo "$node $target" >>"$edges"
      [ "$to" = "$folder" ] && continue
      from_rank=$(rank "$folder")
      to_rank=$(rank "$to")
      if [ -z "$to_rank" ] || [ "$to_rank" -ge "$from_rank" ]; then
        echo "FAIL: $file includes $target.h: $folder/ may not include $to/" >&2
        status=1
      fi
    done
  done
done
# tsort names the nodes of every circle it finds.
if ! tsort "$edges" >/dev/null 2>"$edges.err"; then
  echo "FAIL: includes form a circle:" >&2
  sed -n 's/^tsort: //p' "$edges.err" >&2
  status=1
fi
rm -f "$edges.err"
for file in $(find app platform storage exchange sync views dialogs frame tools bench tests \( -name '*.cpp' -o -name '*.h' \)); do
  limit=700
  [ "$file" = frame/CorvalaFrame.cpp ] && limit=599
  lines=$(wc -l <"$file")
  if [ "$lines" -gt $limit ]; then
    echo "FAIL: $file has $lines lines, more than $limit: split it along its seams" >&2
    status=1
  fi
done
[ $status -eq 0 ] && echo "every include goes down a layer or stays in its folder, with no circle; every file is short"
exit $status
