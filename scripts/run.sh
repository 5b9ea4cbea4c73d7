#!/usr/bin/env bash
# Starts the program; until the windows exist it writes the demo data and shows the sample file.
set -euo pipefail
build="${1:-build}"
demo="${TOLVSYS_DEMO_DIR:-$build/demo}"
"$build/bin/tolv" demo "$demo"
"$build/bin/tolv" show "$demo/entry/sample.zep"
