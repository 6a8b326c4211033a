#!/usr/bin/env bash
# Builds Corvala and starts it. The address book lives in $CORVALA_HOME
# (default ~/Corvala): data/Corvala.s3db, img/, locales/. On the first start
# a database with demo contacts is created there; an existing one is never
# touched.
set -euo pipefail
src=$(cd "$(dirname "$0")/.." && pwd)
"$src/scripts/setup.sh"
"$src/scripts/build.sh" "$src/build" -DCORVALA_TESTS=OFF -DCORVALA_BENCH=OFF

home=${CORVALA_HOME:-$HOME/Corvala}
mkdir -p "$home/data" "$home/img" "$home/locales"
cp -r "$src/resources/img/." "$home/img/"
cp -r "$src/build/locales/." "$home/locales/"
if [ -d "$src/resources/templates" ]; then
  cp -r "$src/resources/templates/." "$home/"
fi
if [ ! -e "$home/data/Corvala.s3db" ]; then
  "$src/build/tools/corvala-db" --demo "$home/data/Corvala.s3db"
fi
cd "$home"
if [ -x "$src/build/app/corvala" ]; then
  exec "$src/build/app/corvala" "$@"
fi
echo "The database is ready at $home/data/Corvala.s3db."
