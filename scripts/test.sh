#!/usr/bin/env bash
# Installs what is missing, builds both targets and runs every test layer:
# core unit tests natively (sanitizers) and under Wine, the Win32 layer tests
# and the whole-program tests under Wine and Xvfb. Ends with one line
# "N passed, N failed" summed over all layers.
set -uo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"

bash scripts/setup.sh || exit 1
bash scripts/build.sh native || exit 1
bash scripts/build.sh windows || exit 1

results=$top/build/test-results
rm -rf "$results"
mkdir -p "$results/native" "$results/windows"
passed=0 failed=0

# One numeric attribute of the <testsuites> element of a GoogleTest XML file.
attr() { grep -o -m1 '<testsuites [^>]*' "$2" | grep -o " $1=\"[0-9]*\"" | tr -dc 0-9; }

# Adds the counts of one layer's GoogleTest XML files; a test program that
# failed without reporting a failed case (a crash, a sanitizer report at exit)
# counts as one failure, and so does one that wrote no results.
tally() {
  local dir=$1 rc=$2 programs=$3 p f layer_failed=0 t fl d s
  for p in $programs; do
    f=$dir/$p.xml
    if [ ! -s "$f" ]; then
      echo "test: $p wrote no results" >&2
      layer_failed=$((layer_failed + 1))
      continue
    fi
    t=$(attr tests "$f"); fl=$(attr failures "$f"); d=$(attr disabled "$f")
    s=$(grep -c 'result="skipped"' "$f")
    passed=$((passed + ${t:-0} - ${fl:-0} - ${d:-0} - s))
    layer_failed=$((layer_failed + ${fl:-0}))
  done
  if [ "$rc" != 0 ] && [ "$layer_failed" = 0 ]; then layer_failed=1; fi
  failed=$((failed + layer_failed))
}

. scripts/wine-env.sh
velnor_use_locale ja_JP.UTF-8 || exit 1
echo "== native core tests"
(cd build/native && GTEST_OUTPUT="xml:$results/native/" ctest --output-on-failure --timeout 900)
tally "$results/native" $? "unit_tests"

# The locale-dependent forms (dates, times, numbers) once more under en_US.
echo "== native core tests under en_US"
mkdir -p "$results/native-en"
env LC_ALL=en_US.UTF-8 GTEST_OUTPUT="xml:$results/native-en/" build/native/tests/unit_tests >"$results/native-en.log" 2>&1
rc=$?
tail -n 3 "$results/native-en.log"
tally "$results/native-en" $rc "unit_tests"

echo "== Windows tests under Wine"
trap velnor_wine_stop EXIT
velnor_wine_init "$top/build/windows"
velnor_xvfb_start "$top/build/windows/xvfb"
velnor_wine_install_netsh "$top/build/windows/tools/netsh-sim/netsh.exe"
# The whole-program tests ask for a screenshot of each scenario.
shots=$results/screenshots
mkdir -p "$shots"
bash scripts/shotwatch.sh "$shots" &
watcher=$!
(cd build/windows && GTEST_OUTPUT="xml:$(velnor_winpath "$results/windows")\\" \
  VELNOR_SHOT_DIR=$(velnor_winpath "$shots") ctest --output-on-failure --timeout 1200)
tally "$results/windows" $? "unit_tests win_tests e2e_tests"
kill "$watcher" 2>/dev/null; wait "$watcher" 2>/dev/null
velnor_wine_stop
echo "screenshots: $shots"

# Adds the closing "N passed, N failed" line of a scripted check; a script
# that failed without counting a failure, or printed no such line, counts as
# one failure.
scripted() {
  local name=$1 script=$2 log=$results/$1.log rc last
  bash "$script" | tee "$log"
  rc=${PIPESTATUS[0]}
  last=$(tail -n 1 "$log")
  if [[ $last =~ ^([0-9]+)\ passed,\ ([0-9]+)\ failed ]]; then
    passed=$((passed + BASH_REMATCH[1]))
    failed=$((failed + BASH_REMATCH[2]))
    if [ "$rc" != 0 ] && [ "${BASH_REMATCH[2]}" = 0 ]; then failed=$((failed + 1)); fi
  else
    echo "test: $script printed no summary" >&2
    failed=$((failed + 1))
  fi
}

echo "== installer round trip under Wine"
scripted installer scripts/test-installer.sh

echo "== the Windows test kit under Wine"
scripted kit scripts/test-kit.sh

echo "$passed passed, $failed failed"
[ "$failed" = 0 ]
