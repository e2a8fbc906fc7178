#!/usr/bin/env bash
# Installs what is missing, builds both targets and runs every test entry:
# core unit tests natively (sanitizers, ja_JP and en_US), and in the Windows
# build the unit, Win32 layer and whole-program tests under Wine and Xvfb,
# the release, its installer round trip and the Windows test kit. The Windows
# test executables' entries share out three lanes, each lane a Wine prefix
# and a display of its own (tests/CMakeLists.txt), beside the release, the
# installer and the kit, which make prefixes of their own. The native build
# and its tests run beside them at a lower priority, in the processor time
# the lanes leave while their programs wait.
# Ends with one line "N passed, N failed" summed over all entries, counted
# from the XML each entry writes. Every entry has a bound of its own in
# CTest, after which CTest ends it and it counts as failed; --timeout bounds
# any entry registered without one.
set -uo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
began=$(date +%s)

bash scripts/setup.sh || exit 1
results=$top/build/test-results
rm -rf "$results" build/windows/test-results
mkdir -p "$results"
. scripts/lib/tally.sh
. scripts/lib/wine-env.sh

# The native half from the start, in a process group of its own, ended with
# everything it started if this script ends first.
native=
trap '[ -n "$native" ] && kill -- "-$native" 2>/dev/null' EXIT
setsid bash scripts/test-native.sh "$results" >"$results/native.log" 2>&1 &
native=$!
# The Wine prefixes' template is made beside the builds, not after them:
# wineboot mostly waits. A lane that starts before it is ready waits for it.
(velnor_wine_env && velnor_template_make) >build/wine-template.log 2>&1 &
template=$!
bash scripts/build.sh windows || exit 1
wait "$template" || { cat build/wine-template.log; echo "test: the Wine template could not be made" >&2; exit 1; }
echo "(setup and the Windows build: $(($(date +%s) - began)) s)"

step=$(date +%s)
velnor_use_locale ja_JP.UTF-8 || exit 1
export VELNOR_SHOTS=$results/screenshots
echo "== Windows entries in their lanes"
(cd build/windows && ctest -j 4 --resource-spec-file "$top/tests/lanes.json" --timeout 1500 --output-on-failure \
  --output-junit "$results/windows.xml")
echo "screenshots: $VELNOR_SHOTS"
echo "(Windows entries: $(($(date +%s) - step)) s)"

echo "== native build and core tests (ja_JP, then en_US)"
wait "$native"
native=
cat "$results/native.log"

echo "== counts"
tally_ctest "$results/windows.xml" build/windows/test-results
tally_ctest "$results/native.xml" build/native/test-results
echo "test: $(($(date +%s) - began)) s in all"
echo "$passed passed, $failed failed"
[ "$failed" = 0 ]
