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
export LC_ALL=ja_JP.UTF-8
out=$top/build/bench/results.raw
: >"$out"
for b in build/bench/bench/*_bench; do
  [ -x "$b" ] || continue
  echo "== $(basename "$b")"
  "$b" --benchmark_min_time="${BENCH_MIN_TIME:-0.5}" | tee -a "$out"
done

echo "== run-and-wait under Wine"
. scripts/wine-env.sh
trap velnor_wine_stop EXIT
velnor_wine_init "$top/build/windows"
velnor_wine_install_netsh "$top/build/windows/tools/netsh-sim/netsh.exe"
simdir=$top/build/bench/netsh-sim
mkdir -p "$simdir"
printf 'profile=Home\r\n' >"$simdir/state.ini"
NETSH_SIM_DIR=$(velnor_winpath "$simdir") wine build/windows/bench/exec_timing.exe 21 | tee -a "$out"
velnor_wine_stop

grep '^BENCH ' "$out" | awk '{ printf "%-60s %14s %s\n", $2, $3, $4 }' >"$top/build/bench/results.txt"
echo
echo "== all figures"
cat "$top/build/bench/results.txt"
