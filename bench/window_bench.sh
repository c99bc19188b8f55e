#!/usr/bin/env bash
# Times the results list on a million results under Wine on a virtual display.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
cmake -S . -B build/win -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" >/dev/null
cmake --build build/win --target window_bench >/dev/null
# shellcheck source=/dev/null
source "$root/scripts/wine-env.sh" build/win
wine build/win/bench/win/window_bench.exe
