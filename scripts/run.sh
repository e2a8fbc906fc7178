#!/usr/bin/env bash
# Builds Velnor and starts it under Wine with the simulated wireless service
# and a few sample profiles. Without a display it runs under its own Xvfb and
# writes a screenshot to build/run/velnor.png instead.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
bash scripts/setup.sh
bash scripts/build.sh windows --target velnor netsh_sim
. scripts/lib/wine-env.sh
trap velnor_wine_stop EXIT
build=$top/build/windows
velnor_wine_init "$build"
velnor_wine_install_netsh "$build/tools/netsh-sim/netsh.exe"

run=$top/build/run
mkdir -p "$run/sim"
if [ ! -f "$run/sim/state.ini" ]; then
  printf '%s\r\n' '; sample scenario for make run: edit freely' 'profile=自宅' 'profile=Office 5G' \
    'profile=Cafe Guest' 'profile=ホテル' 'delay.connect=1500' >"$run/sim/state.ini"
fi
export NETSH_SIM_DIR
NETSH_SIM_DIR=$(velnor_winpath "$run/sim")
cp -f "$build/src/velnor.exe" "$run/velnor.exe"

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  echo "run: starting Velnor on $DISPLAY (the simulator's scenario is $run/sim/state.ini)"
  wine "$run/velnor.exe" "$@"
  exit 0
fi

velnor_xvfb_start "$run/xvfb"
echo "run: no display; starting Velnor under Xvfb $DISPLAY for a screenshot"
wine "$run/velnor.exe" "$@" &
app=$!
shot=$run/velnor.png
rm -f "$shot"

# The X id of Velnor's main window once X shows it: Wine creates the X window
# before it maps it, and a grab of a window that is not yet viewable fails.
viewable_window() {
  local id
  for id in $(xwininfo -root -tree 2>/dev/null | awk '/ "Velnor": / { print $1 }'); do
    xwininfo -id "$id" 2>/dev/null | grep -q 'Map State: IsViewable' && { echo "$id"; return 0; }
  done
  return 1
}
. scripts/lib/grab.sh

id=
for _ in $(seq 300); do
  kill -0 "$app" 2>/dev/null || break
  id=$(viewable_window) && break
  sleep 0.1
done
# Grabs until two in a row are the same, so that the picture shows the window
# after it has painted; a grab that fails (the window just changed) is retried.
taken=
if [ -n "$id" ]; then
  previous=
  for _ in $(seq 40); do
    sleep 0.25
    velnor_grab_window "$id" "$run/grab.png" || continue
    if [ -n "$previous" ] && cmp -s "$run/grab.png" "$previous"; then taken=1; break; fi
    cp "$run/grab.png" "$run/previous.png"
    previous=$run/previous.png
  done
  # Never settled: the last good grab still shows the window.
  [ -z "$taken" ] && [ -n "$previous" ] && cp "$previous" "$run/grab.png" && taken=1
  [ -n "$taken" ] && mv "$run/grab.png" "$shot"
  rm -f "$run/grab.png" "$run/previous.png"
fi
if [ -n "$taken" ]; then
  echo "run: screenshot written to $shot"
elif ! kill -0 "$app" 2>/dev/null; then
  echo "run: Velnor ended before its window could be photographed (no picture written)"
else
  echo "run: Velnor ran, but no screenshot could be taken of its window (no picture written)"
fi
velnor_wine_stop
wait "$app" 2>/dev/null || true
