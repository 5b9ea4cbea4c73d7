#!/bin/sh
# The federation outputs of the Linux tolv and of tolv.exe under Wine, byte for byte: a generated
# federation file (tolv-fedgen, 300 swimmers) goes through the same commands on both sides, each
# in its own copy; every command must succeed on both, and every print log and every file the
# commands write (rewrites, tally, sorts, every export) must be the same on both (what a command
# prints on standard output names the files by their paths, which differ between the two sides). Run by run-tests.sh (WINEPREFIX set there).
# Usage: compare-outputs.sh <Linux build folder> <Windows build folder>
set -eu
linux=$(cd "$1" && pwd)
win=$(cd "$2" && pwd)
work=$win/compare
rm -rf "$work" && mkdir -p "$work"
"$linux/bin/tolv-fedgen" write "$work/generated" 300 >/dev/null

# One line per command: the tolv arguments; {e} the entry file, {m} the master, {o} the output folder.
commands='check number {e} --print-log {o}/check-number.log
check qbango {e} --print-log {o}/check-qbango.log
check birth {e} --print-log {o}/check-birth.log
check kana {e} --print-log {o}/check-kana.log
check grade {e} --print-log {o}/check-grade.log
check age {e} --print-log {o}/check-age.log
check no-category {e} --print-log {o}/check-no-category.log
check four-events {e} --print-log {o}/check-four-events.log
check same-time {e} --print-log {o}/check-same-time.log
tally {e} --master {m}
print team-list {e} --print-log {o}/team-list.log
print events {e} --print-log {o}/events.log
print events-reserve {e} --print-log {o}/events-reserve.log
print fee-list {e} --print-log {o}/fee-list.log
print receipts {e} --print-log {o}/receipts.log
print entry-form {e} --print-log {o}/entry-form.log
print individuals {e} --print-log {o}/individuals.log
print individual-events {e} --print-log {o}/individual-events.log
print time-list {e} --print-log {o}/time-list.log
print address {e} --print-log {o}/address.log
export scm-link {e} --to {o}/scm-link --master {m}
export scm-media {e} --to {o}/scm-media --master {m}
export swm-media {e} --to {o}/swm-media --master {m}
export lenex {e} --to {o}/lenex --city Tokyo
export lenex {e} --to {o}/lenex-zip --zip --city Tokyo
export tolvzep {e} --to {o}/tolvzep
export qtolv {e} --to {o}/qtolv
export swmkari {e} --to {o}/swmkari
export swm-dbase {e} --to {o}/swm-dbase
export interhigh {e} --to {o}/interhigh
export registration {e} --to {o}/registration --master {m}
export registration-docs {e} --to {o}/registration-docs --master {m} --print-log {o}/registration-docs.log
export seiko {e} --to {o}/seiko
rewrite kana {e}
rewrite age {e}
rewrite grade {e}
rewrite grade-company {e}
rewrite main {e}
rewrite secondary {e}
rewrite prefecture {e}
rewrite same-time {e}
sort club {e}
sort sex {e}'

for side in linux windows; do
    mkdir -p "$work/$side/out"
    cp -r "$work/generated/entry" "$work/generated/registration" "$work/generated/home" "$work/$side/"
done

run() {  # run <side> <arguments...>
    side=$1
    shift
    if [ "$side" = linux ]; then
        "$linux/bin/tolv" "$@"
    else
        wine "$win/bin/tolv.exe" "$@"
    fi
}

failed=0
count=0
echo "$commands" | while IFS= read -r line; do
    for side in linux windows; do
        d=$work/$side
        args=$(echo "$line" | sed "s|{e}|$d/entry/federation.zep|g; s|{m}|$d/registration/|g; s|{o}|$d/out|g")
        case "$line" in export*) mkdir -p "$(echo "$args" | sed 's/.*--to \([^ ]*\).*/\1/')" ;; esac
        # shellcheck disable=SC2086
        # Every command must succeed on both sides: a failure would compare nothing.
        if ! (cd "$d" && TOLVSYS_HOME="$d/home" TOLVSYS_NOW="2024-05-01 10:00:00" LC_ALL=C.UTF-8 \
            run "$side" $args >"$d/out/last.stdout" 2>"$d/out/last.stderr"); then
            echo "FAILED on $side: $line"
            head -5 "$d/out/last.stderr"
            exit 1
        fi
    done
    if ! diff -r -q "$work/linux/entry" "$work/windows/entry" >/dev/null ||
        ! diff -r -q -x last.stderr -x last.stdout "$work/linux/out" "$work/windows/out" >/dev/null; then
        echo "DIFFERENT after: $line"
        diff -r -q -x last.stderr -x last.stdout "$work/linux/out" "$work/windows/out" | head -5
        diff -r -q "$work/linux/entry" "$work/windows/entry" | head -5
        exit 1
    fi
    echo "same: $line"
done || failed=1
[ $failed = 0 ] && echo "every output identical ($(find "$work/linux/out" "$work/linux/entry" -type f | wc -l) files)"
exit $failed
