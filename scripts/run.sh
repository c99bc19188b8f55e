#!/usr/bin/env bash
# Runs Vemtrix against the simulated sites, as a user would meet it.
#
# Builds what is missing, puts Vemtrix.exe in a program folder in
# build/run/program, starts the site simulator on port 80 in a private network
# namespace whose /etc/hosts points the sites' real host names at it, and
# starts Vemtrix.exe under Wine there. The first time, the folder holds only
# the program: it offers its installation (No runs it where it is), builds
# its catalogs from the simulated sites in its download dialog and opens its
# main window; later runs go straight to the window.
#
# With a display ($DISPLAY set) the program opens on it. Without one, a
# virtual display is used and a short tour runs instead: the first run's
# offer and download are answered, the sample search (build/run/sample.vem)
# is opened, Go! is pressed, the run is awaited, the search is saved, a
# screenshot of each page goes to build/run/screenshots/ and the number of
# results is printed.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

missing=0
for tool in cmake ninja g++ x86_64-w64-mingw32-g++-posix wine Xvfb python3 unshare; do
  command -v "$tool" >/dev/null 2>&1 || missing=1
done
if [ "$missing" = 1 ]; then "$root/scripts/setup.sh"; fi

echo "run: building"
cmake -S . -B build/win -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" >/dev/null
cmake --build build/win --target Vemtrix vemtrix_tour >/dev/null

mode=window
if [ -z "${DISPLAY:-}" ]; then mode=tour; fi

python3 tools/run/prepare.py --sim tools/sitesim/sitesim.py --exe build/win/setup/Vemtrix.exe \
  --folder build/run/program

if [ "$mode" = window ]; then export VEMTRIX_KEEP_DISPLAY=1; fi
# shellcheck source=/dev/null
source "$root/scripts/wine-env.sh" build/win
# Wine makes its sockets in the wineserver: the namespace gets its own.
wineserver -k >/dev/null 2>&1 || true
wineserver -w >/dev/null 2>&1 || true

exec_args=(python3 tools/run/in_netns.py --sim tools/sitesim/sitesim.py --folder build/run/program
           --hosts build/run/hosts.txt --mode "$mode" --tour build/win/tests/win/vemtrix_tour.exe
           --sample build/run/sample.vem --screenshots build/run/screenshots)
if [ "$(id -u)" = 0 ]; then
  unshare --net --mount --fork "${exec_args[@]}"
else
  unshare --map-root-user --net --mount --fork "${exec_args[@]}"
fi
