# Sourced (not run) by the scripts that run Windows programs under Wine:
#   source scripts/wine-env.sh BUILD_DIR
# Exports a quiet Wine environment with its prefix inside BUILD_DIR, starts a
# private virtual display when none is given, and creates the prefix once.
# Call wine_env_stop (or let the EXIT trap do it) to end the wineserver and
# the display.

_wine_build_dir=$(cd "${1:?usage: source scripts/wine-env.sh BUILD_DIR}" && pwd)

export WINEPREFIX="$_wine_build_dir/wineprefix"
# No menu and desktop entries on the host for the shortcuts tests create.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export WINEDEBUG=-all
export WINEARCH=win64

_wine_xvfb_pid=""
if [ -z "${VEMTRIX_KEEP_DISPLAY:-}" ] || [ -z "${DISPLAY:-}" ]; then
  # A display number nobody uses yet.
  _wine_display=90
  while [ -e "/tmp/.X11-unix/X$_wine_display" ] || [ -e "/tmp/.X$_wine_display-lock" ]; do
    _wine_display=$((_wine_display + 1))
  done
  Xvfb ":$_wine_display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  _wine_xvfb_pid=$!
  export DISPLAY=":$_wine_display"
  for _ in $(seq 1 100); do
    [ -e "/tmp/.X11-unix/X$_wine_display" ] && break
    sleep 0.1
  done
fi

wine_env_stop() {
  wineserver -k >/dev/null 2>&1 || true
  if [ -n "$_wine_xvfb_pid" ]; then kill "$_wine_xvfb_pid" >/dev/null 2>&1 || true; fi
  _wine_xvfb_pid=""
}
trap wine_env_stop EXIT

if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "wine: creating the prefix in $WINEPREFIX"
  wineboot --init >/dev/null 2>&1 || true
  wineserver -w
  # No crash dialog: a crashing test must fail, not wait for a click.
  wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1 || true
  wineserver -w
fi

# Wine links the user's shell folders (Desktop, Documents...) to the host's
# home folder; tests create shortcuts there, so keep them inside the prefix.
for _wine_link in "$WINEPREFIX"/drive_c/users/*/{Desktop,Documents,Downloads,Music,Pictures,Videos}; do
  if [ -L "$_wine_link" ]; then rm -f "$_wine_link" && mkdir -p "$_wine_link"; fi
done

# Wine's own Tahoma (the dialog font) and Marlett (caption buttons), from the
# fonts-wine package: a prefix does not pick them up by itself.
for _wine_font in marlett.ttf tahoma.ttf tahomabd.ttf; do
  if [ -f "/usr/share/wine/fonts/$_wine_font" ] && [ ! -f "$WINEPREFIX/drive_c/windows/Fonts/$_wine_font" ]; then
    cp "/usr/share/wine/fonts/$_wine_font" "$WINEPREFIX/drive_c/windows/Fonts/" || true
  fi
done

# Wine draws the windows' frames and captions itself (there is no window
# manager on the virtual display), so screenshots show whole windows.
if ! grep -q '"Decorated"="N"' "$WINEPREFIX/user.reg" 2>/dev/null; then
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /t REG_SZ /d N /f >/dev/null 2>&1 || true
  wineserver -w
fi

# Keep one wineserver running and warm, so each test does not pay for it.
wineserver -p
wine cmd /c exit >/dev/null 2>&1 </dev/null || true
