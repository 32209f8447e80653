# Sourced by the scripts that run Halvern's programs under Wine.
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${HALVERN_BUILD:-$root/build}"

# Builds, then runs the calling script again on a virtual display when none
# is set; that second run does neither.
run_on_display() {
  if [ -z "${HALVERN_ON_DISPLAY:-}" ]; then
    bash "$root/scripts/build.sh"
    if [ -z "${DISPLAY:-}" ]; then
      HALVERN_ON_DISPLAY=1 exec xvfb-run -a -s "-screen 0 1280x1024x24" bash "$0" "$@"
    fi
  fi
}

# One wineserver for the rest of the script, so no program pays for a cold
# start. Wine's service processes are started first, away from our pipes:
# they keep the stderr of the process that starts them for as long as the
# wineserver lives, and ctest waits for a test's pipes to close.
keep_wineserver() {
  export WINEPREFIX="$build/wineprefix" WINEDEBUG=-all
  # A server already running for this prefix (Halvern started by hand, or one
  # still closing down) is used as it is, and left running at the end.
  if wineserver -p 2>/dev/null; then
    trap 'wineserver -k >/dev/null 2>&1 || true' EXIT
  fi
  "$build/wine-run.sh" cmd.exe /c exit </dev/null >/dev/null 2>&1 || true
}
