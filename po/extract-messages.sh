#!/bin/sh
# Extracts every translatable text of the program into a template:
#   po/extract-messages.sh SOURCE_DIR OUTPUT.pot
# Texts are marked with _(), wxTRANSLATE() (message ids looked up later with
# wxGetTranslation), wxPLURAL() and the context variants. Locations name the
# file only and the creation date is left out, so that the template changes
# only when a text does.
set -eu
src=$1
out=$2
cd "$src"
list=$(mktemp)
trap 'rm -f "$list" "$list.pot"' EXIT
find app platform frame views dialogs exchange storage sync tools \( -name '*.cpp' -o -name '*.h' \) -print | LC_ALL=C sort >"$list"
xgettext --from-code=UTF-8 --language=C++ --files-from="$list" --output="$list.pot" \
  --add-location=file --add-comments=TRANSLATORS: --force-po \
  --package-name=Corvala --package-version=1.0.0 --copyright-holder=Marrowind \
  --msgid-bugs-address=corvala@marrowind.example \
  --keyword=_ --keyword=wxTRANSLATE --keyword=wxPLURAL:1,2 \
  --keyword=wxGETTEXT_IN_CONTEXT:1c,2 --keyword=wxTRANSLATE_IN_CONTEXT:1c,2 \
  --keyword=wxGETTEXT_IN_CONTEXT_PLURAL:1c,2,3 --keyword=wxGetTranslation:1
sed -e '/^"POT-Creation-Date: /d' -e 's/^"Content-Type: text\/plain; charset=CHARSET\\n"$/"Content-Type: text\/plain; charset=UTF-8\\n"/' \
  "$list.pot" >"$out.tmp"
mv "$out.tmp" "$out"
