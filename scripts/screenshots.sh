#!/bin/sh
# Screenshots of the entry window, the reserve panel, the lists window and the print preview on
# X screens of 1366x768 and 1920x1080 (Xvfb), by the window test that checks they fit. The images
# land in BUILD_DIR/artifacts (window images and whole-screen images "screen-*").
# Usage: scripts/screenshots.sh [BUILD_DIR]
set -eu
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD="${1:-$ROOT/build}"
for size in 1366x768 1920x1080; do
    TOLVSYS_HOME="$(mktemp -d)" QT_QPA_PLATFORM=xcb TOLV_TEST_SCREEN="$size" \
        xvfb-run -a -s "-screen 0 ${size}x24" "$BUILD/bin/ScreenFitTest"
done
ls -l "$BUILD/artifacts"
