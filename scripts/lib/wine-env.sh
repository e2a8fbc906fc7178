# Sourced by the run, test, bench and fuzz scripts, the test lanes and the
# scripted checks: the locale they run under, a throw-away Wine prefix inside
# the build tree, an Xvfb display started and stopped by its own pid, and the
# simulated wireless service installed as the prefix's own netsh.exe.
# Never kills anything by name: what it ends, it ends by pid or by prefix.

velnor_top=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)

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

# Every prefix starts as a copy of one template, made once by wineboot
# (build/wine-template): copying a ready prefix costs a few seconds of disk,
# where each wineboot costs a quarter of a minute of both cores.
velnor_wine_template=$velnor_top/build/wine-template

# Brings WINEPREFIX to the current revision of its settings.
velnor_prefix_current() {
  local ready=$WINEPREFIX/.velnor-ready
  [ "$(cat "$ready" 2>/dev/null)" = "$VELNOR_PREFIX_REVISION" ] && return 0
  velnor_prefix_settings "$WINEPREFIX.reg" || { echo "wine: could not set up the prefix $WINEPREFIX" >&2; return 1; }
  echo "$VELNOR_PREFIX_REVISION" >"$ready"
}

# Makes the template, or brings it to the current revision of its settings,
# under the template's lock, so that lanes that start together make it once;
# then, given a TARGET, makes TARGET as a copy of it.
velnor_template_make() {
  local target=${1:-}
  mkdir -p "$velnor_wine_template"
  (
    flock 8 || exit 1
    export WINEPREFIX=$velnor_wine_template/prefix
    if [ ! -f "$WINEPREFIX/.velnor-ready" ]; then
      echo "wine: creating the template prefix in $WINEPREFIX"
      rm -rf "$WINEPREFIX"
      wineboot -i </dev/null >"$velnor_wine_template/wineboot.log" 2>&1
      wineserver -w
    fi
    velnor_prefix_current || exit 1
    [ -z "$target" ] || { cp -a "$WINEPREFIX" "$target.part" && mv "$target.part" "$target"; }
  ) 8>"$velnor_wine_template/lock"
}

# Makes WINEPREFIX as a copy of the template.
velnor_prefix_make() {
  local target=$WINEPREFIX
  echo "wine: creating the prefix in $target"
  rm -rf "$target" "$target.part"
  mkdir -p "$(dirname "$target")"
  velnor_template_make "$target"
}

# Sets up the prefix BUILD/wine/prefix for this shell. One shell at a time
# uses a prefix: a watcher outside this shell's process tree holds the
# prefix's lock while the shell runs, and when the shell ends without
# velnor_wine_stop (CTest kills an entry that ran out of its time outright,
# and Wine's processes are not the shell's children) it ends this prefix's
# processes and this shell's Xvfb, and only those, before the next user of
# the prefix may start.
velnor_wine_init() {
  local build=$1
  export WINEPREFIX=$build/wine/prefix
  velnor_wine_env || return 1
  velnor_wine_guard "$build/wine" || return 1
  if [ ! -f "$WINEPREFIX/.velnor-ready" ]; then
    velnor_prefix_make || return 1
  fi
  velnor_prefix_current
}

# What every Wine process of ours runs with.
velnor_wine_env() {
  # Wine stays quiet, but for its error channel of virtual memory: under load
  # it now and then cannot set up a new process ("failed to map the shared
  # user data: c0000018"). The process then never runs: a direct start fails
  # with ERROR_INTERNAL_ERROR, and a command that cmd.exe starts ends with
  # 9009 and writes nothing. A test that fails for that says so in its log.
  export WINEARCH=win64 WINEDEBUG=-all,err+virtual
  # No Mono/Gecko prompts, our netsh instead of Wine's stub, no menu entries in
  # the Linux home folder.
  export WINEDLLOVERRIDES="mscoree,mshtml=;netsh.exe=n;winemenubuilder.exe=d"
  velnor_use_locale "${VELNOR_LOCALE:-ja_JP.UTF-8}"
}

VELNOR_GUARD=
velnor_wine_guard() {
  local dir=$1 owner=$$ i
  mkdir -p "$dir"
  VELNOR_GUARD=$dir/guard.$owner
  rm -f "$VELNOR_GUARD".*
  # Started from a subshell that ends at once, so that the watcher is no
  # child of this shell; its output goes nowhere near CTest's pipe.
  (
    (
      exec 9>"$dir/lock" </dev/null >/dev/null 2>&1
      flock 9 || exit 1
      touch "$VELNOR_GUARD.held"
      tail -s 0.2 --pid="$owner" -f /dev/null
      if [ ! -e "$VELNOR_GUARD.stopped" ]; then
        wineserver -k
        timeout 20 wineserver -w
        velnor_end_pid_of Xvfb "$VELNOR_GUARD.xvfb"
      fi
      rm -f "$VELNOR_GUARD".*
    ) &
  )
  for i in $(seq 1200); do
    [ -e "$VELNOR_GUARD.held" ] && return 0
    sleep 0.05
  done
  echo "wine: the prefix in $dir is still held by another run" >&2
  return 1
}

# Ends the process whose pid the file FILE holds, if it still is a COMMAND.
velnor_end_pid_of() {
  local pid
  pid=$(cat "$2" 2>/dev/null) || return 0
  [ -n "$pid" ] && [ "$(cat "/proc/$pid/comm" 2>/dev/null)" = "$1" ] && kill "$pid" 2>/dev/null
  return 0
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
  [ -n "$VELNOR_GUARD" ] && echo "$VELNOR_XVFB_PID" >"$VELNOR_GUARD.xvfb"
  return 0
}

# Ends this prefix's processes and this shell's Xvfb; the prefix's watcher
# then lets go of it once this shell ends.
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
  [ -n "$VELNOR_GUARD" ] && touch "$VELNOR_GUARD.stopped"
  return 0
}

# A Linux path as Wine's Z: drive sees it.
velnor_winpath() {
  printf 'Z:%s' "$(printf '%s' "$1" | sed 's#/#\\#g')"
}
