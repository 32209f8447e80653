#!/usr/bin/env bash
# Measures every page of Halvern against the bare native work behind it,
# under Wine on a virtual display, and prints a table of medians; $1 rounds
# per case (default 5), then optionally the cases to run (startup,
# processes, handles, modules, objects, debug, debug-shown; the last two
# take ":<messages per round>", 100000 by default). Kept out of CI: it prints figures and never fails.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
run_on_display "$@"
keep_wineserver
"$build/wine-run.sh" "$build/bench/bench.exe" "${1:-5}" "${@:2}"
