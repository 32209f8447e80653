#!/usr/bin/env bash
# Builds Halvern and every test, then runs them all under Wine (on a virtual
# display when none is set) with one wineserver kept up for the whole run.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
run_on_display "$@"
keep_wineserver
ctest --test-dir "$build" --output-on-failure "$@"
