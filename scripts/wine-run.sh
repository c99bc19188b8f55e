#!/usr/bin/env bash
# Runs a Windows program under Wine: the emulator CTest uses for the cross
# build's tests. The environment comes from scripts/wine-env.sh.
if [ -z "${WINEPREFIX:-}" ]; then
  echo "wine-run.sh: no WINEPREFIX; source scripts/wine-env.sh BUILD_DIR first" >&2
  exit 97
fi
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=;winemenubuilder.exe=d}"
exec wine "$@"
