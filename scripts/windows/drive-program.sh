#!/bin/sh
# Drives the installed tolvsys.exe under Wine on the X server of $DISPLAY (1366x768) as a user would:
# the start-up window, "申込" to the entry window with the sample file, チェック > 番号 to a check
# report's preview, 印刷, which writes the report to a PDF file where no printer is installed; a
# screenshot of each into the artifacts folder.
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
click_in "$start" 870 522          # 申込
entry=$(window_named "検索・修正")
shot entry
click_in "$entry" 181 11           # チェック
sleep 1
click_in "$entry" 198 34           # 番号
preview=$(window_named "印刷プレビュー")
shot check-preview
# 印刷: without a printer (Wine has none) the report goes to a PDF file the user names.
click_in "$preview" 498 12
sleep 3
shot save-pdf-dialog
xdotool type --delay 50 'c:\tolvsys\number-check-window.pdf'
xdotool key Return
sleep 5
kill $program 2>/dev/null || true
wineserver -k 2>/dev/null || true
pdf="$WINEPREFIX/drive_c/tolvsys/number-check-window.pdf"
[ -f "$pdf" ] || { echo "the window wrote no PDF"; exit 1; }
cp "$pdf" "$art/windows-number-check-window.pdf"
pdftoppm -r 50 -png -singlefile "$pdf" "$art/windows-number-check-window"
echo "the check report written as PDF from the preview: $(pdfinfo "$pdf" | grep Pages)"
