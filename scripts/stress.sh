#!/usr/bin/env bash
# Shows and hides every page of Halvern 1,000 times (or $1 times) under Wine
# and fails when the handle, GDI or USER object count or the private bytes grew.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
run_on_display "$@"
"$build/wine-run.sh" "$build/bench/stress.exe" "${1:-1000}"
