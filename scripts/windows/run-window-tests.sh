#!/bin/sh
# The Windows program under Wine, after `make windows`:
#   1. every window test (Qt Test, offscreen platform) of the program tree, less those listed with
#      their reason in excluded-window-tests.txt;
#   2. the installer: installed silently (/S) into a fresh Wine prefix on an X server of its own
#      (Xvfb, 1366x768), the Start-menu entry and the files checked, the installed tolvsys.exe started
#      and driven as a user would (start-up window, the entry window with the sample file, a check
#      report's preview; screenshots into the artifacts folder), and the installed tolv.exe writing
#      the same check report as PDF; then the uninstaller, which leaves c:\tolvsys as it was.
# Usage: run-window-tests.sh <program build folder> <Qt prefix> <artifacts folder>
set -eu
here=$(cd "$(dirname "$0")" && pwd)
app=$(cd "$1" && pwd)
qt=$(cd "$2" && pwd)
art=$(mkdir -p "$3" && cd "$3" && pwd)
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=win64
failed=0

# An X server of our own: Wine's windows (and the installer's) need one even when Qt draws offscreen.
display=:$((90 + $$ % 100))
Xvfb "$display" -screen 0 1366x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
export DISPLAY=$display
cleanup() { wineserver -k 2>/dev/null || true; kill $xvfb 2>/dev/null || true; }
trap cleanup EXIT
sleep 1

fresh_prefix() {
    export WINEPREFIX="$1"
    rm -rf "$WINEPREFIX"
    wineboot -i >/dev/null 2>&1
    wineserver -w
}

echo "=== window tests under Wine (offscreen)"
fresh_prefix "$app/wineprefix"
gcc_dir=$(dirname "$(x86_64-w64-mingw32-g++-posix -print-file-name=libstdc++-6.dll)")
pthread_dir=$(dirname "$(x86_64-w64-mingw32-g++-posix -print-file-name=libwinpthread-1.dll)")
export WINEPATH="$(winepath -w "$qt/bin");$(winepath -w "$gcc_dir");$(winepath -w "$pthread_dir")"
# Qt's plugins from its prefix, its Japanese texts from the host's Qt translations (the same version).
printf '[Paths]\r\nPrefix = %s\r\nTranslations = %s\r\n' "$(winepath -w "$qt" | tr '\\' /)" \
    "$(winepath -w /usr/share/qt6/translations | tr '\\' /)" > "$app/bin/qt.conf"
# Wine hands the host's QT_* variables to a Windows program only when they are named WINEQT_* (so that
# the host's Qt settings do not reach Windows programs): the platform and the font folder go that way.
# Qt's offscreen platform on Windows reads its fonts from one folder (FreeType, no fontconfig): the
# host's IPA fonts and DejaVu, the fonts the Linux window tests measure with.
mkdir -p "$app/fonts"
for f in /usr/share/fonts/opentype/ipafont-*/*.ttf /usr/share/fonts/truetype/dejavu/DejaVuSans*.ttf; do
    [ -f "$f" ] && ln -sf "$f" "$app/fonts/"
done
export WINEQT_QPA_PLATFORM=offscreen WINEQT_QPA_FONTDIR="$(winepath -w "$app/fonts" | tr '\\' /)"
excluded=$(grep -v '^#' "$here/excluded-window-tests.txt" | awk 'NF { print $1 }')
for exe in "$app"/bin/*Test.exe; do
    t=$(basename "$exe" .exe)
    if echo "$excluded" | grep -qx "$t"; then echo "--- $t: left out (excluded-window-tests.txt)"; continue; fi
    # Test functions left out by name: the others are named on the command line.
    functions=""
    if echo "$excluded" | grep -q "^$t::"; then
        for f in $(cd "$app" && wine "$exe" -functions 2>/dev/null | tr -d '\r' | sed 's/()$//'); do
            echo "$excluded" | grep -qx "$t::$f" || functions="$functions $f"
        done
    fi
    start=$(date +%s)
    # Qt Test's report goes to a file: Wine does not pass a Windows program's console output on.
    rm -f "$app/$t.txt"
    if (cd "$app" && timeout 900 wine "$exe" $functions -o "$(winepath -w "$app/$t.txt"),txt") \
        > "$app/$t.log" 2>&1; then
        echo "--- $t: passed in $(($(date +%s) - start)) s ($(tr -d '\r' < "$app/$t.txt" | grep '^Totals'))"
    else
        echo "--- $t: FAILED in $(($(date +%s) - start)) s"
        if [ -f "$app/$t.txt" ]; then
            tr -d '\r' < "$app/$t.txt" | grep -E "^(FAIL|XPASS|QFATAL|Totals)|Actual|Expected|failure location" | head -30
        else
            echo "(no report: the test program ended before writing one; $app/$t.log has Wine's messages)"
        fi
        failed=1
    fi
done

echo "=== the installer in a fresh Wine prefix"
setup=$(ls "$art"/tolvsys-*-setup.exe | head -1)
fresh_prefix "$(dirname "$app")/wineprefix-install"
unset WINEPATH WINEQT_QPA_PLATFORM WINEQT_QPA_FONTDIR
start=$(date +%s)
wine "$setup" /S
wineserver -w
echo "installed in $(($(date +%s) - start)) s"
c=$WINEPREFIX/drive_c
installed="$c/Program Files/tolvsys"
for f in tolvsys.exe tolv.exe tolvpdf.dll Qt6Widgets.dll platforms/qwindows.dll uninstall.exe demo/entry/sample.zep; do
    [ -f "$installed/$f" ] || { echo "not installed: $f"; failed=1; }
done
link="$c/ProgramData/Microsoft/Windows/Start Menu/Programs/とるぶしす 競泳大会申込.lnk"
[ -f "$link" ] || { echo "no Start-menu entry: $link"; failed=1; }
[ -f "$c/tolvsys/ctl/dr_zep.ctl" ] || { echo "no working tree c:\\tolvsys prepared"; failed=1; }

echo "=== the installed program on the X server"
"$here/drive-program.sh" "$installed" "$art" || failed=1

echo "=== the installed tolv.exe: a check report as PDF"
(cd "$c/tolvsys" && timeout 120 wine "$installed/tolv.exe" check number 'c:\tolvsys\demo\entry\sample.zep' --pdf 'c:\tolvsys\number-check.pdf') \
    || { echo "tolv.exe check number --pdf failed"; failed=1; }
if [ -f "$c/tolvsys/number-check.pdf" ]; then
    cp "$c/tolvsys/number-check.pdf" "$art/windows-number-check.pdf"
    pdfinfo "$art/windows-number-check.pdf" | grep -E "^Pages" || failed=1
    pdftoppm -r 50 -png -singlefile "$art/windows-number-check.pdf" "$art/windows-number-check"
else
    echo "no PDF written"; failed=1
fi

echo "=== the uninstaller"
before=$(cd "$c/tolvsys" && find . -type f | sort | md5sum)
wine "$installed/uninstall.exe" /S
wineserver -w
sleep 2   # the uninstaller copies itself to the temp folder and finishes from there
wineserver -w
[ ! -e "$installed/tolvsys.exe" ] || { echo "the uninstaller left tolvsys.exe"; failed=1; }
[ ! -e "$link" ] || { echo "the uninstaller left the Start-menu entry"; failed=1; }
after=$(cd "$c/tolvsys" && find . -type f | sort | md5sum)
[ "$before" = "$after" ] || { echo "the uninstaller changed c:\\tolvsys"; failed=1; }

exit $failed
