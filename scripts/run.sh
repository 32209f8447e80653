#!/usr/bin/env bash
# Builds Halvern and starts it under Wine; on a virtual display when none is set.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${HALVERN_BUILD:-$root/build}"
bash "$root/scripts/build.sh"
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$build/wine-run.sh" "$build/app/halvern.exe" "$@"
fi
exec "$build/wine-run.sh" "$build/app/halvern.exe" "$@"
