#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Checks what `cmake --workflow --preset release` made in
# build-release/packages: the Debian package, carrying the web build's page
# (PAGE, by default build-web/korvel.html) and a desktop entry that opens
# it, clean for lintian and desktop-file-validate; and, where MinGW-w64 is
# installed, the Windows ZIP with the same page beside the programs.
#   tests/release.sh [PAGE]
set -euo pipefail
cd "$(dirname "$0")/.."
page=${1:-build-web/korvel.html}
packages=build-release/packages
fail() {
  echo "release: $*"
  exit 1
}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

debs=("$packages"/korvel_*.deb)
[ -f "${debs[0]}" ] || fail "no Debian package in $packages"
dpkg-deb -x "${debs[0]}" "$work/deb"
cmp "$work/deb/usr/share/korvel/korvel.html" "$page" || fail "the package's korvel.html is not $page"
entry=$work/deb/usr/share/applications/korvel.desktop
grep -qx 'Exec=sensible-browser /usr/share/korvel/korvel.html' "$entry" || fail "the desktop entry opens no page: $(cat "$entry")"
said=$(desktop-file-validate "$entry" 2>&1) && [ -z "$said" ] || fail "desktop-file-validate: $said"
lintian --fail-on error,warning "${debs[0]}" || fail "lintian"

if command -v x86_64-w64-mingw32-g++-posix >/dev/null; then
  zips=("$packages"/korvel-*-win64.zip)
  [ -f "${zips[0]}" ] || fail "MinGW-w64 is installed, but there is no Windows ZIP in $packages"
  (cd "$work" && cmake -E tar xf "$OLDPWD/${zips[0]}")
  folder=$(basename "${zips[0]}" .zip)
  [ -f "$work/$folder/bin/korvel.exe" ] || fail "the ZIP has no bin/korvel.exe"
  cmp "$work/$folder/bin/korvel.html" "$page" || fail "the ZIP's bin/korvel.html is not $page"
fi
echo "release: passed"
