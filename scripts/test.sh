#!/usr/bin/env bash
# Builds Halvern and every test, then runs them all under Wine (on a virtual
# display when none is set) with one wineserver kept up for the whole run.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${HALVERN_BUILD:-$root/build}"
if [ "${1:-}" != "--inner" ]; then
  bash "$root/scripts/build.sh"
  if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1280x1024x24" bash "$0" --inner "$@"
  fi
else
  shift
fi
export WINEPREFIX="$build/wineprefix" WINEDEBUG=-all
wineserver -p
trap 'wineserver -k >/dev/null 2>&1 || true' EXIT
# Start Wine's service processes now, away from ctest's pipes: they keep the
# stderr of the process that starts them for as long as the wineserver lives,
# and ctest waits for a test's pipes to close.
"$build/wine-run.sh" cmd.exe /c exit </dev/null >/dev/null 2>&1 || true
ctest --test-dir "$build" --output-on-failure "$@"
