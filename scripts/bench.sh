#!/usr/bin/env bash
# Runs every benchmark and measurement script and gathers their
# "BENCH <name> <value> <unit>" lines into one table (build/bench/results.txt).
# Figures are for comparing side by side in one run, not absolute targets.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
bash scripts/setup.sh
bash scripts/build.sh bench
bash scripts/build.sh windows
. scripts/lib/wine-env.sh
velnor_use_locale ja_JP.UTF-8
out=$top/build/bench/results.raw
: >"$out"
for b in build/bench/bench/*_bench; do
  [ -x "$b" ] || continue
  echo "== $(basename "$b")"
  "$b" --benchmark_min_time="${BENCH_MIN_TIME:-0.5}" --benchmark_color=false --benchmark_repetitions=5 \
    --benchmark_report_aggregates_only=true | tee -a "$out"
done

echo "== run-and-wait under Wine"
trap velnor_wine_stop EXIT
velnor_wine_init "$top/build/windows"
# One display for every Wine run: a wineserver keeps the display it started with.
velnor_xvfb_start "$top/build/bench/xvfb"
velnor_wine_install_netsh "$top/build/windows/tools/netsh-sim/netsh.exe"
simdir=$top/build/bench/netsh-sim
mkdir -p "$simdir"
printf 'profile=Home\r\n' >"$simdir/state.ini"
NETSH_SIM_DIR=$(velnor_winpath "$simdir") wine build/windows/bench/exec_timing.exe 21 | tee -a "$out"

echo "== whole-process start-up and silent mode under Wine"
progdir=$top/build/bench/programs
rm -rf "$progdir" && mkdir -p "$progdir"
cp build/windows/src/velnor.exe build/windows/bench/minimal_listing.exe "$progdir/"
NETSH_SIM_DIR=$(velnor_winpath "$simdir") wine build/windows/bench/startup_timing.exe \
  "$(velnor_winpath "$progdir")" "$(velnor_winpath "$simdir")" 15 | tee -a "$out"
velnor_wine_stop
printf 'BENCH size/velnor_exe_stripped %s bytes\n' "$(stat -c %s build/windows/src/velnor.exe)" | tee -a "$out"

sed -n 's/^.*\(BENCH \)/\1/p' "$out" | awk '{ printf "%-60s %14s %s\n", $2, $3, $4 }' >"$top/build/bench/results.txt"
echo
echo "== all figures"
cat "$top/build/bench/results.txt"
