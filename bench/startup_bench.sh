#!/usr/bin/env bash
# Times Vemtrix.exe's start with a current search of 25,000 results under
# Wine on a virtual display, against LoadSearch alone.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
cmake -S . -B build/win -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" >/dev/null
cmake --build build/win --target startup_bench Vemtrix >/dev/null
# shellcheck source=/dev/null
source "$root/scripts/wine-env.sh" build/win
program=$(cd build/win/setup && pwd)/Vemtrix.exe
wine build/win/bench/win/startup_bench.exe "Z:${program//\//\\}"
