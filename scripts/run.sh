#!/usr/bin/env bash
# Builds Velnor and starts it under Wine with the simulated wireless service
# and a few sample profiles. Without a display it runs under its own Xvfb and
# writes a screenshot to build/run/velnor.png instead.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
bash scripts/setup.sh
bash scripts/build.sh windows --target velnor netsh_sim
. scripts/wine-env.sh
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
for _ in $(seq 100); do
  # The window's X id, once Wine has mapped it.
  id=$(xwininfo -root -tree 2>/dev/null | awk '/"Velnor"/ { print $1; exit }')
  [ -n "$id" ] && break
  sleep 0.1
done
sleep 1
if [ -n "${id:-}" ]; then
  xwd -silent -id "$id" | xwdtopnm 2>/dev/null | pnmtopng >"$shot" 2>/dev/null
else
  xwd -silent -root | xwdtopnm 2>/dev/null | pnmtopng >"$shot" 2>/dev/null
fi
echo "run: screenshot written to $shot"
velnor_wine_stop
wait "$app" 2>/dev/null || true
