#!/usr/bin/env bash
# Runs every test: set-up, native build and unit tests, the site simulator's
# tests and the command-line tool against it (the fault matrix among them),
# the thread sanitizer and the address and undefined-behaviour sanitizers on
# the native tests, the cross build, the Windows tests under Wine and a
# two-minute soak of the real window. Fails when any fails.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

"$root/scripts/setup.sh"

jobs=2
echo "== native build"
cmake -S . -B build/native -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build/native -j "$jobs"
echo "== native tests"
ctest --test-dir build/native --output-on-failure --timeout 300 -j "$jobs"

echo "== thread sanitizer: the engine's concurrent paths"
cmake -S . -B build/tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVEMTRIX_SANITIZE=thread \
  -DVEMTRIX_BUILD_BENCH=OFF >/dev/null
cmake --build build/tsan -j "$jobs" --target vemtrix_thread_tests
TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" build/tsan/tests/vemtrix_thread_tests --gtest_brief=1

echo "== address and undefined-behaviour sanitizers: the native unit and thread tests"
cmake -S . -B build/asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVEMTRIX_SANITIZE=address,undefined \
  -DVEMTRIX_BUILD_BENCH=OFF >/dev/null
cmake --build build/asan -j "$jobs" --target vemtrix_unit_tests vemtrix_thread_tests
export ASAN_OPTIONS="halt_on_error=1:detect_leaks=1" UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
build/asan/tests/vemtrix_unit_tests --gtest_brief=1
build/asan/tests/vemtrix_thread_tests --gtest_brief=1
unset ASAN_OPTIONS UBSAN_OPTIONS

echo "== cross build (Windows)"
cmake -S . -B build/win -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" >/dev/null
cmake --build build/win -j "$jobs"

echo "== Windows tests under Wine"
# shellcheck source=/dev/null
source "$root/scripts/wine-env.sh" build/win
ctest --test-dir build/win --output-on-failure --timeout 180
wine_env_stop

echo "== the soak: the real window used at random for two minutes"
# A fixed seed, so that a failure here can be repeated as it happened.
"$root/scripts/soak.sh" 2 20261210

echo "== all tests passed"
