#!/usr/bin/env bash
# The soak: uses Vemtrix.exe under Wine for MINUTES (default 15) as a
# restless user would, against the site simulator, whose faults it switches
# on and off at random, and fails when the window crashes, hangs (does not
# answer within 2 s after an action), shows a message box no action explains,
# or grows after the first minute (private memory by more than 10 %, handles,
# GDI or USER objects by more than 50).
#
#   scripts/soak.sh [MINUTES] [SEED]
#
# The seed is printed; the same seed gives the same actions in the same
# order. Like scripts/run.sh it runs in a private network namespace whose
# /etc/hosts points the sites' real host names at the simulator on port 80.
# The program folder is build/soak/program, made afresh each time.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

minutes=${1:-15}
seed=${2:-$(( (RANDOM << 15 | RANDOM) ))}
echo "soak: $minutes minutes, seed $seed (scripts/soak.sh $minutes $seed repeats it)"

cmake -S . -B build/win -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" >/dev/null
cmake --build build/win --target Vemtrix vemtrix_soak >/dev/null

rm -rf build/soak
python3 tools/run/prepare.py --sim tools/sitesim/sitesim.py --exe build/win/setup/Vemtrix.exe \
  --folder build/soak/program --soak

# shellcheck source=/dev/null
source "$root/scripts/wine-env.sh" build/win
# Wine makes its sockets in the wineserver: the namespace gets its own.
wineserver -k >/dev/null 2>&1 || true
wineserver -w >/dev/null 2>&1 || true

args=(python3 tools/run/in_netns.py --sim tools/sitesim/sitesim.py --folder build/soak/program
      --hosts build/soak/hosts.txt --mode soak --soak build/win/tests/win/vemtrix_soak.exe
      --seed "$seed" --minutes "$minutes")
status=0
if [ "$(id -u)" = 0 ]; then
  unshare --net --mount --fork "${args[@]}" || status=$?
else
  unshare --map-root-user --net --mount --fork "${args[@]}" || status=$?
fi
wine_env_stop
if [ "$status" != 0 ]; then echo "soak: failed (seed $seed)"; fi
exit "$status"
