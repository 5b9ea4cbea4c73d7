#!/bin/sh
# The user guide's screenshots: the window tests named run offscreen on a 1366x768 screen with
# TOLV_GUIDE_SHOTS set, so each saves its windows at the moments the guide shows; the pictures are
# then stripped of their metadata and kept with a palette of 256 colours where that looks the same
# (PSNR of 40 dB or more against the full-colour picture). A test is named as TEST or
# TEST:function,function (only those test functions).
# Usage: scripts/guide-shots.sh BUILD_DIR OUT_DIR TEST...
set -eu
BUILD="$1"
OUT="$2"
shift 2
mkdir -p "$OUT"
RAW="$(mktemp -d)"
trap 'rm -rf "$RAW"' EXIT
SCREEN="$RAW/screen.json"
printf '{"screens":[{"name":"screen","x":0,"y":0,"width":1366,"height":768,"logicalDpi":96,"dpr":1}]}' > "$SCREEN"
for t in "$@"; do
    name="${t%%:*}"
    functions=""
    [ "$name" != "$t" ] && functions="$(echo "${t#*:}" | tr ',' ' ')"
    echo "guide-shots: $name $functions"
    # shellcheck disable=SC2086
    TOLV_GUIDE_SHOTS="$RAW" QT_QPA_PLATFORM="offscreen:configfile=$SCREEN" "$BUILD/bin/$name" $functions > "$RAW/$name.log" 2>&1 ||
        { cat "$RAW/$name.log"; exit 1; }
done
for png in "$RAW"/*.png; do
    base="$(basename "$png")"
    convert "$png" -strip "$RAW/full-$base"
    convert "$png" -strip -dither None -colors 256 "PNG8:$RAW/pal-$base"
    psnr="$(compare -metric PSNR "$RAW/full-$base" "$RAW/pal-$base" null: 2>&1 || true)"
    if [ "$psnr" = "inf" ] || awk -v p="$psnr" 'BEGIN { exit !(p + 0 >= 40) }'; then
        cp "$RAW/pal-$base" "$OUT/$base"
    else
        cp "$RAW/full-$base" "$OUT/$base"
    fi
    echo "$OUT/$base ($(stat -c %s "$OUT/$base") bytes, PSNR of the 256-colour form: $psnr)"
done
