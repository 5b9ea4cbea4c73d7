#!/bin/sh
# The Windows build's tests under Wine, in a fresh Wine prefix of the Windows build folder:
#   1. the core and CLI test suites (core_tests.exe, cli_tests.exe), less the tests listed with
#      their reason in excluded-tests.txt;
#   2. the CP932 table of the Windows build (code page 932) against the Linux build's (iconv),
#      byte for byte: every CP932 byte sequence and every Unicode character, refusals included;
#   3. the federation outputs of tolv.exe against those of the Linux tolv (compare-outputs.sh);
#   4. tolv.exe on a console (a terminal Wine makes one of): a message shown as the characters it
#      is, and the y/N question of undo answered "はい" (console-check.py).
# Usage: run-tests.sh <Linux build folder> <Windows build folder>
set -eu
here=$(cd "$(dirname "$0")" && pwd)
linux=$(cd "$1" && pwd)
win=$(cd "$2" && pwd)

export WINEPREFIX="$win/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=win64
rm -rf "$WINEPREFIX"
start=$(date +%s)
wineboot -i >/dev/null 2>&1
echo "fresh Wine prefix in $(($(date +%s) - start)) s"

# The filter of left-out tests: the first word of each line that is no comment.
excluded=$(grep -v '^#' "$here/excluded-tests.txt" | awk 'NF { print $1 }' | paste -sd: -)
failed=0
for suite in core_tests cli_tests; do
    echo "=== $suite.exe under Wine"
    start=$(date +%s)
    # Run from the build folder: the tests' paths of the sources and the build are Unix paths,
    # which Wine takes on its drive Z: (the Unix root) when the current folder is there.
    (cd "$win" && wine "$win/bin/$suite.exe" --gtest_brief=1 ${excluded:+--gtest_filter=-$excluded}) || failed=1
    echo "=== $suite.exe: $(($(date +%s) - start)) s"
done

echo "=== CP932 table: Linux (iconv) against Windows (code page 932)"
"$linux/bin/cp932_table" "$win/cp932-linux.txt"
(cd "$win" && wine "$win/bin/cp932_table.exe" "$win/cp932-windows.txt")
if cmp -s "$win/cp932-linux.txt" "$win/cp932-windows.txt"; then
    echo "identical: $(wc -l < "$win/cp932-linux.txt") sequences and characters"
else
    echo "the CP932 tables differ:"
    diff "$win/cp932-linux.txt" "$win/cp932-windows.txt" | head -40
    failed=1
fi

echo "=== federation outputs: Linux tolv against tolv.exe under Wine"
"$here/compare-outputs.sh" "$linux" "$win" || failed=1

echo "=== tolv.exe on a console: a Japanese message shown, a Japanese answer taken"
python3 "$here/console-check.py" "$win/bin/tolv.exe" "$win/console-check" || failed=1

wineserver -k || true
exit $failed
