#!/usr/bin/env bash
# Installs what is missing, builds both targets and runs every test layer:
# core unit tests natively (sanitizers, ja_JP and en_US) and under Wine, the
# Win32 layer tests and the whole-program tests under Wine and Xvfb, then the
# installer round trip and the Windows test kit on one shared release build.
# Ends with one line "N passed, N failed" summed over all layers.
# Every layer has a bound: ctest ends a test entry that runs too long, and
# each scripted check runs under `timeout`; either counts as a failure.
set -uo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
began=$(date +%s)

bash scripts/setup.sh || exit 1
bash scripts/build.sh native || exit 1
bash scripts/build.sh windows || exit 1
echo "(setup and builds: $(($(date +%s) - began)) s)"

results=$top/build/test-results
rm -rf "$results" build/native/test-results build/windows/test-results
mkdir -p "$results"
. scripts/tally.sh

. scripts/wine-env.sh
velnor_use_locale ja_JP.UTF-8 || exit 1
# The native core tests need no display and no Wine: they run beside the
# Windows layers, whose whole-program tests mostly wait, and report after them.
step=$(date +%s)
check_bounded_entries build/native
(cd build/native && ctest --output-on-failure --output-junit "$results/native.xml") >"$results/native.log" 2>&1 &
native=$!

echo "== Windows tests under Wine"
watcher=
trap '[ -n "$watcher" ] && kill "$watcher" 2>/dev/null; [ -n "$native" ] && kill "$native" 2>/dev/null; velnor_wine_stop' EXIT
velnor_wine_init "$top/build/windows"
velnor_xvfb_start "$top/build/windows/xvfb"
velnor_wine_install_netsh "$top/build/windows/tools/netsh-sim/netsh.exe"
# The whole-program tests ask for a screenshot of each scenario.
shots=$results/screenshots
mkdir -p "$shots"
bash scripts/shotwatch.sh "$shots" &
watcher=$!
check_bounded_entries build/windows
(cd build/windows && VELNOR_SHOT_DIR=$(velnor_winpath "$shots") \
  ctest --output-on-failure --output-junit "$results/windows.xml")
tally_ctest "$results/windows.xml" build/windows/test-results
kill "$watcher" 2>/dev/null; wait "$watcher" 2>/dev/null; watcher=
velnor_wine_stop
echo "screenshots: $shots"
echo "(Windows layers: $(($(date +%s) - step)) s)"

echo "== native core tests (ja_JP, then en_US), run beside the Windows layers"
wait "$native"
native=
cat "$results/native.log"
tally_ctest "$results/native.xml" build/native/test-results

# One release build for both scripted checks.
echo "== the release build (make dist)"
step=$(date +%s)
if bash scripts/dist.sh >"$results/dist.log" 2>&1; then
  export VELNOR_DIST_READY=1
else
  tail -20 "$results/dist.log"
  echo "test: make dist failed (log: $results/dist.log)" >&2
fi

echo "(release build: $(($(date +%s) - step)) s)"

echo "== installer round trip under Wine"
step=$(date +%s)
scripted installer scripts/test-installer.sh 900
echo "(installer: $(($(date +%s) - step)) s)"

echo "== the Windows test kit under Wine"
step=$(date +%s)
scripted kit scripts/test-kit.sh 1200
echo "(kit: $(($(date +%s) - step)) s)"

echo "test: $(($(date +%s) - began)) s in all"
echo "$passed passed, $failed failed"
[ "$failed" = 0 ]
