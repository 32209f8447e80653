#!/usr/bin/env bash
# Creates the Wine prefix given as $1 once (after the 32-bit Wine is installed,
# so 32-bit helpers run): Wine draws its own captions (no window manager on
# Xvfb) and Tahoma / MS Sans Serif link to a CJK font so Chinese labels show.
set -euo pipefail
prefix="$1"
[ -f "$prefix/.halvern-ready" ] && exit 0
mkdir -p "$prefix"
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY
wineboot -i >/dev/null 2>&1 || true
wineserver -w  # let the first start finish before writing to its registry
# A registry write can still fail while Wine's services start on a busy
# machine: try again for a while before giving up.
reg() {
  for attempt in 1 2 3 4 5 6 7 8; do
    wine reg add "$@" /f >/dev/null 2>&1 && return 0
    sleep "$attempt"
  done
  echo "wineprefix: could not write $1" >&2
  return 1
}
reg 'HKCU\Software\Wine\X11 Driver' /v Managed /d N
link='wqy-microhei.ttc,WenQuanYi Micro Hei\0SIMSUN.TTC,SimSun'
reg 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' /v Tahoma /t REG_MULTI_SZ /d "$link"
reg 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' /v 'Microsoft Sans Serif' /t REG_MULTI_SZ /d "$link"
wineserver -w
touch "$prefix/.halvern-ready"
