#!/bin/sh
# Installs the build into a temporary prefix and checks that the tree holds
# what the menu entry needs, that the desktop entry and the AppStream
# metadata validate, and that the launcher prepares the user's own address
# book (an empty database, never overwritten) and starts the program there:
#   tests/install/check_install.sh BUILD_DIR APP_ID
set -u
build=$1
app=$2
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
prefix=$tmp/prefix
failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

cmake --install "$build" --prefix "$prefix" >/dev/null || {
  echo "FAIL: cmake --install" >&2
  exit 1
}

for f in bin/corvala bin/corvala-db libexec/corvala/corvala; do
  [ -x "$prefix/$f" ] || fail "$f is not an installed program"
done
for f in libexec/corvala/conf/contact_detail_tpl.html share/corvala/img/Corvala_02.ico \
  share/corvala/img/User_s24_01.png share/corvala/templates/import_template.xls \
  share/corvala/locales/en/LC_MESSAGES/Corvala.mo share/corvala/locales/zh_CN/LC_MESSAGES/Corvala.mo \
  share/corvala/locales/ja/LC_MESSAGES/Corvala.mo share/metainfo/$app.metainfo.xml; do
  [ -s "$prefix/$f" ] || fail "$f is missing"
done

desktop=$prefix/share/applications/$app.desktop
if [ -f "$desktop" ]; then
  desktop-file-validate "$desktop" || fail "desktop-file-validate rejects $app.desktop"
  exec_cmd=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$desktop")
  [ -x "$prefix/bin/$exec_cmd" ] || fail "the menu entry runs '$exec_cmd', which is not in bin/"
  icon=$(sed -n 's/^Icon=//p' "$desktop")
  count=0
  for png in "$prefix"/share/icons/hicolor/*/apps/"$icon".png; do
    [ -f "$png" ] || continue
    count=$((count + 1))
    folder=$(basename "$(dirname "$(dirname "$png")")")
    size=$(identify -format '%wx%h' "$png")
    [ "$size" = "$folder" ] || fail "$png is $size, not $folder"
  done
  [ $count -ge 4 ] || fail "the icon '$icon' comes in $count sizes of the hicolor theme, not several"
else
  fail "$app.desktop is missing"
fi
appstreamcli validate --no-net "$prefix/share/metainfo/$app.metainfo.xml" >/dev/null ||
  fail "appstreamcli rejects $app.metainfo.xml"

# The launcher, with a stand-in for the program that reports where it ran
# and what it found there.
cat >"$prefix/libexec/corvala/corvala" <<'STUB'
#!/bin/sh
{
  pwd
  [ -f data/Corvala.s3db ] && echo database
  [ -f img/Corvala_02.ico ] && echo pictures
  [ -f locales/ja/LC_MESSAGES/Corvala.mo ] && echo catalogues
} >"$HOME/started"
STUB
mkdir -p "$tmp/home"
book=$tmp/home/.local/share/Corvala
run_launcher() {
  env -u XDG_DATA_HOME -u CORVALA_HOME HOME="$tmp/home" "$prefix/bin/corvala" || fail "the launcher failed"
}
run_launcher
expected=$(printf '%s\n' "$book" database pictures catalogues)
[ "$(cat "$tmp/home/started" 2>/dev/null)" = "$expected" ] ||
  fail "the program did not start in a prepared $book: $(cat "$tmp/home/started" 2>/dev/null)"
db=$book/data/Corvala.s3db
[ "$(sqlite3 "$db" 'select count(*) from contacts' 2>&1)" = 0 ] ||
  fail "the first start did not create an empty address book"
sqlite3 "$db" "insert into contacts(last_name, first_name) values('Kept', 'Me')"
run_launcher
[ "$(sqlite3 "$db" 'select count(*) from contacts' 2>&1)" = 1 ] || fail "a second start replaced the address book"

[ $failures -eq 0 ] && echo "the installed tree is complete and the launcher prepares the address book"
[ $failures -eq 0 ]
