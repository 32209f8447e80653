#!/usr/bin/env bash
# Installs what building and testing Halvern needs on a Debian machine.
# Quiet and quick when everything is already there.
set -euo pipefail

need=()
have_pkg() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

for p in cmake make g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix binutils-mingw-w64-x86-64 \
         binutils-mingw-w64-i686 wine wine64 xvfb xauth x11-utils imagemagick fonts-wqy-microhei googletest \
         python3; do
  have_pkg "$p" || need+=("$p")
done
have_pkg wine32:i386 || need+=("wine32:i386")

if [ ${#need[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  echo "setup: installing ${need[*]}" >&2
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $SUDO dpkg --add-architecture i386
  fi
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq >/dev/null
  $SUDO apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
fi
