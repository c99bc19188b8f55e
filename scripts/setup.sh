#!/usr/bin/env bash
# Installs, from Debian's packages, whatever the build and the tests need and is
# not there yet. Safe to run again: packages already present are left alone.
set -euo pipefail

packages=(
  build-essential g++ cmake make ninja-build python3
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  mingw-w64-tools
  wine wine64 fonts-wine xvfb xauth x11-utils
  googletest libgtest-dev libbenchmark-dev
  imagemagick iproute2 util-linux procps
  libssl-dev openssl ca-certificates
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "setup: everything is installed"
  exit 0
fi

echo "setup: installing ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
echo "setup: done"
