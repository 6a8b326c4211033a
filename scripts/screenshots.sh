#!/usr/bin/env bash
# Screenshots of the main window in English, Chinese and Japanese, at
# 800 x 500 and at the default size (960 x 600), with the contact list and
# with the business cards, of the contact edit dialog, the vCard import and
# export dialogs, and of the question a start without an address book asks:
#   scripts/screenshots.sh [OUT_DIR] [BUILD_DIR]
# (defaults shots/ and build/). Needs a build of the program (scripts/build.sh)
# and Xvfb, xdotool and ImageMagick (scripts/setup.sh installs them). Each run
# starts the program on a fresh demo book with its own home folder, so the
# user's own configuration is never touched.
set -euo pipefail
src=$(cd "$(dirname "$0")/.." && pwd)
out=$(realpath -m "${1:-$src/shots}")
build=$(realpath "${2:-$src/build}")
program=$build/app/corvala
for f in "$program" "$build/tools/corvala-db" "$build/locales"; do
  [ -e "$f" ] || {
    echo "screenshots.sh: $f is missing; build first (scripts/build.sh)" >&2
    exit 2
  }
done
mkdir -p "$out"
tmp=$(mktemp -d)

# A display of our own, numbered by the server.
Xvfb -displayfd 4 -screen 0 1280x900x24 -nolisten tcp -noreset 4>"$tmp/display" 2>/dev/null &
xvfb=$!
pid=
cleanup() {
  [ -n "$pid" ] && kill "$pid" 2>/dev/null || true
  kill "$xvfb" 2>/dev/null || true
  rm -rf "$tmp"
}
trap cleanup EXIT
for _ in $(seq 100); do
  [ -s "$tmp/display" ] && break
  sleep 0.1
done
export DISPLAY=:$(cat "$tmp/display")

book=$tmp/book
mkdir -p "$book/data"
ln -s "$src/resources/img" "$book/img"
ln -s "$build/locales" "$book/locales"
"$build/tools/corvala-db" --demo "$book/data/Corvala.s3db" >/dev/null

# The program's configuration store for one run: language, size, view.
configure() { # language width height view
  cat >"$tmp/home/.Corvala" <<EOF
ui_language=$1
[CorvaFrame]
nRemSizePos=1
x=0
y=0
w=$2
h=$3
bSizerVisible=1
bStatPanelVisible=1
nViewIdx=$4
EOF
}

# Starts the program and waits until its main window is up and drawn.
start() {
  (cd "$book" && HOME=$tmp/home exec "$program") 2>>"$tmp/stderr" &
  pid=$!
  window=
  for _ in $(seq 100); do
    window=$(xdotool search --onlyvisible --pid "$pid" 2>/dev/null | head -1) || true
    [ -n "$window" ] && break
    sleep 0.1
  done
  [ -n "$window" ] || {
    echo "screenshots.sh: the program did not open its window" >&2
    cat "$tmp/stderr" >&2
    exit 1
  }
  sleep 1.5
}

stop() {
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  pid=
}

shot() { # window file
  import -window "$1" "$out/$2"
  echo "$out/$2"
}

# The program's first window other than its main window, once it is shown.
other_window() {
  local found=
  for _ in $(seq 50); do
    found=$(xdotool search --onlyvisible --pid "$pid" 2>/dev/null | grep -vx "$window" | head -1) || true
    [ -n "$found" ] && break
    sleep 0.1
  done
  echo "$found"
}

# Opens the n-th item (from 0) of the Tools menu and shoots the dialog.
tools_dialog() { # n file
  xdotool windowfocus --sync "$window" key alt+t
  sleep 0.7
  for _ in $(seq "$1"); do xdotool key Down; done
  xdotool key Return
  local dialog
  dialog=$(other_window)
  if [ -n "$dialog" ]; then
    sleep 1
    shot "$dialog" "$2"
  else
    echo "screenshots.sh: the dialog for $2 did not open" >&2
  fi
}

for lang in en_GB zh_CN ja_JP; do
  name=${lang%_GB}
  name=${name%_JP}
  rm -rf "$tmp/home"
  mkdir -p "$tmp/home"
  for size in 800x500 960x600; do
    for view in 0 1; do
      configure "$lang" "${size%x*}" "${size#*x}" "$view"
      start
      shot "$window" "$name-$size-$([ "$view" = 0 ] && echo list || echo cards).png"
      if [ "$size" = 960x600 ] && [ "$view" = 0 ]; then
        # F2 edits the selected contact.
        xdotool windowfocus --sync "$window" key F2
        dialog=$(other_window)
        if [ -n "$dialog" ]; then
          sleep 1
          shot "$dialog" "$name-edit-dialog.png"
        else
          echo "screenshots.sh: the contact edit dialog did not open" >&2
        fi
      fi
      stop
    done
  done
  # Tools > Import vCard... and Export vCard..., each in a program of its own.
  for item in 1 2; do
    start
    tools_dialog "$item" "$name-vcard-$([ "$item" = 1 ] && echo import || echo export).png"
    stop
  done
  # A start without an address book asks whether to create an empty one.
  mv "$book/data/Corvala.s3db" "$tmp/Corvala.s3db"
  start
  shot "$window" "$name-no-address-book.png"
  stop
  mv "$tmp/Corvala.s3db" "$book/data/Corvala.s3db"
done
