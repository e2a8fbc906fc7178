# Sourced by the run, test, bench and fuzz scripts: the locale they run under,
# a throw-away Wine prefix inside the build tree, an Xvfb display started and
# stopped by its own pid, and the simulated wireless service installed as the
# prefix's own netsh.exe.
# Never kills anything by name.

# What the throw-away prefix holds beyond what wineboot makes. Bump the
# revision when it changes: a prefix made before gets the new settings on its
# next use instead of being made again.
VELNOR_PREFIX_REVISION=3
velnor_prefix_settings() {
  local reg=$1 fonts=/usr/share/wine/fonts face
  # Wine's own fonts (Marlett draws the caption buttons, Tahoma and others)
  # come from fonts-wine, but this Wine does not put them into a prefix.
  if [ ! -f "$fonts/marlett.ttf" ]; then
    echo "wine: Wine's fonts are missing (package fonts-wine): run scripts/setup.sh" >&2
    return 1
  fi
  cp -f "$fonts"/* "$WINEPREFIX/drive_c/windows/Fonts/" || return 1
  # Unmanaged X11 windows: without a window manager every hide or destroy of a
  # managed window stalls for two seconds. No debugger for a crash: Wine's
  # default starts winedbg, whose crash dialog waits for a click that never
  # comes, so a crashed test would hang its whole layer; with an empty
  # debugger the crashed process ends at once, as a failure. The Japanese UI
  # faces come out in the proportional IPA P Gothic, as a Japanese Windows
  # shows its UI, instead of falling back to a monospaced Gothic.
  {
    printf '%s\r\n' 'REGEDIT4' '' '[HKEY_CURRENT_USER\Software\Wine\X11 Driver]' '"Managed"="N"' '' \
      '[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\AeDebug]' '"Auto"="1"' '"Debugger"=""' '' \
      '[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes]'
    for face in 'MS UI Gothic' 'Meiryo UI' 'Yu Gothic UI' 'MS Shell Dlg'; do
      printf '"%s"="IPAPGothic"\r\n' "$face"
    done
  } >"$reg"
  wine reg import "$(velnor_winpath "$reg")" </dev/null >/dev/null 2>&1 || return 1
  wineserver -w
}

velnor_wine_init() {
  local build=$1 ready
  export WINEPREFIX=$build/wine/prefix
  # Wine stays quiet, but for its error channel of virtual memory: under load
  # it now and then cannot set up a new process ("failed to map the shared
  # user data: c0000018"). The process then never runs: a direct start fails
  # with ERROR_INTERNAL_ERROR, and a command that cmd.exe starts ends with
  # 9009 and writes nothing. A test that fails for that says so in its log.
  export WINEARCH=win64 WINEDEBUG=-all,err+virtual
  # No Mono/Gecko prompts, our netsh instead of Wine's stub, no menu entries in
  # the Linux home folder.
  export WINEDLLOVERRIDES="mscoree,mshtml=;netsh.exe=n;winemenubuilder.exe=d"
  velnor_use_locale "${VELNOR_LOCALE:-ja_JP.UTF-8}" || return 1
  ready=$WINEPREFIX/.velnor-ready
  if [ ! -f "$ready" ]; then
    echo "wine: creating the prefix in $WINEPREFIX"
    rm -rf "$WINEPREFIX"
    mkdir -p "$(dirname "$WINEPREFIX")"
    wineboot -i </dev/null >"$build/wine/wineboot.log" 2>&1
    wineserver -w
  fi
  if [ "$(cat "$ready" 2>/dev/null)" != "$VELNOR_PREFIX_REVISION" ]; then
    velnor_prefix_settings "$build/wine/prefix.reg" || { echo "wine: could not set up the prefix" >&2; return 1; }
    echo "$VELNOR_PREFIX_REVISION" >"$ready"
  fi
}

# Sets the locale for everything started from this shell. The shell itself
# may not switch: a shell that looked for locales before the set-up made them
# keeps failing to find them (glibc remembers) and warns, harmlessly, since it
# runs nothing that depends on it. So its warning is silenced, and the locale
# is checked by a fresh process instead.
velnor_use_locale() {
  local want=$1 norm
  norm=$(printf '%s' "$want" | sed 's/\.UTF-8$/.utf8/I')
  if ! locale -a 2>/dev/null | grep -qix -e "$want" -e "$norm"; then
    echo "the locale $want is missing: run scripts/setup.sh" >&2
    return 1
  fi
  export LC_ALL="$want" 2>/dev/null
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
