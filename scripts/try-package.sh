#!/bin/sh
# Installs the Debian package made by `make package` into a clean folder (dpkg -x, no root needed)
# and starts both programs from there: `tolv` makes the demo data and shows the sample entry file,
# `tolvsys` opens its start-up window for a few seconds (offscreen unless a display is given).
# Usage: scripts/try-package.sh [BUILD_DIR]
set -eu

ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD="${1:-$ROOT/build}"
DEB="$(ls -t "$BUILD"/tolvsys_*.deb 2>/dev/null | head -n 1)"
[ -n "$DEB" ] || { echo "no package in $BUILD: run make package first" >&2; exit 1; }

DIR="$(mktemp -d "${TMPDIR:-/tmp}/tolvsys-package.XXXXXX")"
trap 'rm -rf "$DIR"' EXIT
dpkg -x "$DEB" "$DIR/root"
echo "Installed $(basename "$DEB") into $DIR/root:"
(cd "$DIR/root" && find . -type f | sort)

BIN="$DIR/root/usr/bin"
SHARE="$DIR/root/usr/share"
test -x "$BIN/tolvsys" && test -x "$BIN/tolv"
grep -q '^Name\[ja\]=' "$SHARE/applications/tolvsys.desktop"
test -s "$SHARE/icons/hicolor/scalable/apps/tolvsys.svg"
test -s "$SHARE/tolvsys/demo/entry/sample.zep"

# tolv from the package: a working tree of its own, the shipped sample shown.
export TOLVSYS_HOME="$DIR/home"
"$BIN/tolv" demo "$DIR/demo"
"$BIN/tolv" show "$SHARE/tolvsys/demo/entry/sample.zep" | head -n 5
# A PDF through the module the package installs in /usr/lib/tolvsys.
"$BIN/tolv" print address --pdf "$DIR/address.pdf"
head -c 5 "$DIR/address.pdf" | grep -q '%PDF-'

# tolvsys from the package: it must start and keep running until it is stopped.
[ -n "${DISPLAY:-}" ] || export QT_QPA_PLATFORM=offscreen
"$BIN/tolvsys" &
PID=$!
sleep 3
if kill -0 "$PID" 2>/dev/null; then
    kill "$PID"
    wait "$PID" 2>/dev/null || true
    echo "tolvsys started from the package and ran until stopped"
else
    wait "$PID" || true
    echo "tolvsys from the package ended by itself" >&2
    exit 1
fi
