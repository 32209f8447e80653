#!/usr/bin/env bash
# Builds Halvern and starts it under Wine; on a virtual display when none is set.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
run_on_display "$@"
exec "$build/wine-run.sh" "$build/app/halvern.exe" "$@"
