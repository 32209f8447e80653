#!/usr/bin/env bash
# Measures every page of Halvern against the bare native work behind it,
# under Wine on a virtual display, and prints a table of medians; $1 rounds
# per case (default 5), then optionally the cases to run (startup,
# processes, handles, modules, objects, debug, debug-shown; the last two
# take ":<messages per round>", 100000 by default). Kept out of CI: it prints figures and never fails.
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
# One wineserver for the whole run, so no case pays for a cold start.
wineserver -p
trap 'wineserver -k >/dev/null 2>&1 || true' EXIT
"$build/wine-run.sh" cmd.exe /c exit </dev/null >/dev/null 2>&1 || true
"$build/wine-run.sh" "$build/bench/bench.exe" "${1:-5}" "${@:2}"
