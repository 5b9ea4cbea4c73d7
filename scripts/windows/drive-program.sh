#!/bin/sh
# Drives the installed tolvsys.exe under Wine on the X server of $DISPLAY (1366x768) as a user would:
# the start-up window, "申込" to the entry window with the sample file, チェック > 番号 to a check
# report's preview, 印刷 to the print dialog; a screenshot of each into the artifacts folder.
# Positions are taken relative to each window, as the program places it.
# Usage: drive-program.sh <installed folder> <artifacts folder>
set -eu
installed=$1
art=$2

window_named() {  # the newest visible window whose name is $1, waiting up to 60 s
    i=0
    while [ $i -lt 120 ]; do
        w=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | tail -1 || true)
        [ -n "$w" ] && { echo "$w"; return 0; }
        sleep 0.5; i=$((i + 1))
    done
    echo "no window named $1 appeared" >&2
    return 1
}
click_in() {  # click at x,y inside window $1
    eval "$(xdotool getwindowgeometry --shell "$1")"
    xdotool mousemove $((X + $2)) $((Y + $3)) click 1
}
shot() { sleep 2; import -window root "$art/windows-$1.png"; echo "screenshot $art/windows-$1.png"; }

(cd "$WINEPREFIX/drive_c/tolvsys" && wine "$installed/tolvsys.exe") > "$art/windows-tolvsys.log" 2>&1 &
program=$!

start=$(window_named tolvsys)
shot startup
click_in "$start" 862 527          # 申込
sleep 3
entry=$(window_named tolvsys)
shot entry
click_in "$entry" 186 8            # チェック
sleep 1
click_in "$entry" 198 29           # 番号
sleep 3
shot check-preview
preview=$(xdotool search --onlyvisible --name . | tail -1)
click_in "$preview" 582 15         # 印刷
shot print-dialog
xdotool key Escape
sleep 1
kill $program 2>/dev/null || true
wineserver -k 2>/dev/null || true
