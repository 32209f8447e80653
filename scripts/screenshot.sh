#!/usr/bin/env bash
# Starts Halvern under Wine on a fresh virtual display and writes a PNG of the
# screen to $1 (default: build/halvern.png). Optional: $2 = seconds to wait
# before the shot, $3 = a tab index (0-4) to select first (see tools/SelectTab.cpp
# for the detail view). With HALVERN_SHOT_DEBUG=n a test helper sends n debug
# messages once Halvern runs.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${HALVERN_BUILD:-$root/build}"
out="${1:-$build/halvern.png}"
wait_s="${2:-4}"
tab="${3:-}"
if [ "${HALVERN_SHOT_INNER:-}" != 1 ]; then
  bash "$root/scripts/build.sh"
  export HALVERN_SHOT_INNER=1
  exec xvfb-run -a -s "-screen 0 1280x1024x24" bash "$0" "$out" "$wait_s" "$tab"
fi
"$build/wine-run.sh" "$build/app/halvern.exe" &
pid=$!
sleep "$wait_s"
if [ -n "${HALVERN_SHOT_DEBUG:-}" ]; then
  "$build/wine-run.sh" "$build/tests/helpers/helper64.exe" --debug "Halvern screenshot: hello from a helper" \
    --debug-count "$HALVERN_SHOT_DEBUG" </dev/null >/dev/null 2>&1 || true
fi
if [ -n "$tab" ]; then
  "$build/wine-run.sh" "$build/tools/select_tab.exe" $tab || true
  sleep 2
fi
import -window root "$out"
kill "$pid" 2>/dev/null || true
WINEPREFIX="$build/wineprefix" wineserver -k 2>/dev/null || true
echo "$out"
