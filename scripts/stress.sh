#!/usr/bin/env bash
# Shows and hides every page of Halvern 1,000 times (or $1 times) under Wine
# and fails when the handle, GDI or USER object count or the private bytes grew.
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
"$build/wine-run.sh" "$build/bench/stress.exe" "${1:-1000}"
