# Sourced by the run and test scripts: a throw-away Wine prefix inside the
# build tree, an Xvfb display started and stopped by its own pid, and the
# simulated wireless service installed as the prefix's own netsh.exe.
# Never kills anything by name.

velnor_wine_init() {
  local build=$1
  export WINEPREFIX=$build/wine/prefix
  export WINEARCH=win64 WINEDEBUG=-all
  # No Mono/Gecko prompts, our netsh instead of Wine's stub, no menu entries in
  # the Linux home folder.
  export WINEDLLOVERRIDES="mscoree,mshtml=;netsh.exe=n;winemenubuilder.exe=d"
  export LC_ALL=${VELNOR_LOCALE:-ja_JP.UTF-8}
  if [ ! -f "$WINEPREFIX/.velnor-ready" ]; then
    echo "wine: creating the prefix in $WINEPREFIX"
    rm -rf "$WINEPREFIX"
    mkdir -p "$(dirname "$WINEPREFIX")"
    wineboot -i </dev/null >"$build/wine/wineboot.log" 2>&1
    wineserver -w
    # Unmanaged X11 windows: without a window manager every hide or destroy
    # of a managed window stalls for two seconds.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f </dev/null >/dev/null 2>&1
    wineserver -w
    touch "$WINEPREFIX/.velnor-ready"
  fi
}

# Installs the simulator as C:\windows\system32\netsh.exe.
velnor_wine_install_netsh() {
  local exe=$1
  cp -f "$exe" "$WINEPREFIX/drive_c/windows/system32/netsh.exe"
}

VELNOR_XVFB_PID=
velnor_xvfb_start() {
  local work=$1
  mkdir -p "$work"
  rm -f "$work/display"
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
  VELNOR_XVFB_PID=$!
  local i
  for i in $(seq 200); do
    [ -s "$work/display" ] && break
    sleep 0.05
  done
  [ -s "$work/display" ] || { echo "Xvfb did not start" >&2; return 1; }
  export DISPLAY=":$(cat "$work/display")"
}

velnor_wine_stop() {
  if [ -n "${WINEPREFIX:-}" ] && [ -d "$WINEPREFIX" ]; then
    wineserver -k 2>/dev/null || true
    timeout 20 wineserver -w 2>/dev/null || true
  fi
  if [ -n "$VELNOR_XVFB_PID" ]; then
    kill "$VELNOR_XVFB_PID" 2>/dev/null || true
    wait "$VELNOR_XVFB_PID" 2>/dev/null || true
    VELNOR_XVFB_PID=
  fi
}

# A Linux path as Wine's Z: drive sees it.
velnor_winpath() {
  printf 'Z:%s' "$(printf '%s' "$1" | sed 's#/#\\#g')"
}
