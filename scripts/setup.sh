#!/usr/bin/env bash
# Installs what building, running and testing Corvala needs on Debian 12.
# Safe to run again: it installs only what is missing.
set -euo pipefail

PACKAGES=(
  build-essential cmake pkg-config
  libwxgtk3.2-dev libwxsqlite3-3.2-dev libsqlite3-dev sqlite3 libexpat1-dev libglib2.0-dev
  libgtest-dev libgmock-dev
  xvfb xauth imagemagick gettext
  clang libclang-rt-14-dev ccache
  # The formatting check of the test command.
  clang-format
  # Chinese and Japanese glyphs (a third of the demo book, two of the three
  # languages) and the toolkit's own translations of its stock texts.
  fonts-noto-cjk wx3.2-i18n
  # Checking the desktop entry and the AppStream metadata; driving the
  # program for screenshots.
  desktop-file-utils appstream xdotool
  # Reading and writing vCard files.
  libebook-contacts1.2-dev
  # Comparing phone numbers in the search for duplicates.
  libphonenumber-dev
  # CardDAV sync: HTTP and TLS, the desktop keyring, and the two servers the
  # sync tests run against on 127.0.0.1 (with openssl for their certificate).
  libcurl4-openssl-dev libsecret-1-dev radicale xandikos openssl
)

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  SUDO="sudo"
fi
echo "Installing: ${missing[*]}"
$SUDO env DEBIAN_FRONTEND=noninteractive apt-get update -qq
$SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
