#!/bin/sh
# make run: starts the program on a working tree of its own. A tree without control files is first
# given the demo registration master, the sample entry file and control files pointing at them.
set -eu

ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD="${1:-build}"
case "$BUILD" in
/*) ;;
*) BUILD="$ROOT/$BUILD" ;;
esac

export TOLVSYS_HOME="${TOLVSYS_HOME:-$BUILD/demo-home}"
CTL="$TOLVSYS_HOME/ctl"

if ! ls "$CTL"/dr_*.ctl >/dev/null 2>&1; then
    DEMO="$TOLVSYS_HOME/demo"
    echo "Preparing a demo working tree in $TOLVSYS_HOME"
    "$BUILD/bin/tolv" demo "$DEMO"
    mkdir -p "$CTL" "$TOLVSYS_HOME/temp" "$DEMO/transfer"
    cp "$DEMO/ken.ctl" "$CTL/ken.ctl"
    # c:\tolvsys is the working tree itself; the control files use the program's own path form.
    printf '"%s","%s",%s,"%s"\r\n' 'c:' 'c:\tolvsys\demo\entry\' 0 'sample.zep' >"$CTL/dr_zep.ctl"
    printf '"%s","%s"\r\n' 'c:' 'c:\tolvsys\demo\registration\' >"$CTL/dr_tor.ctl"
    printf '"%s"\r\n' 'c:\tolvsys\demo\transfer\' >"$CTL/dr_ten.ctl"
fi

exec "$BUILD/bin/tolvsys"
