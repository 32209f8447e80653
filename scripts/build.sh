#!/usr/bin/env bash
# Installs what is missing, configures and builds the tree in $HALVERN_BUILD
# (default: build/ in the checkout), and prepares its Wine prefix.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${HALVERN_BUILD:-$root/build}"
bash "$root/scripts/setup.sh"
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
        -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build "$build" -j "$(nproc)" -- --no-print-directory >/dev/null
bash "$root/scripts/wineprefix.sh" "$build/wineprefix"
