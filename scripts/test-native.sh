#!/usr/bin/env bash
# The native half of make test (scripts/test.sh runs it beside the Windows
# half): builds the native preset and runs its tests under the sanitizers,
# in ja_JP and then en_US, writing ctest's JUnit file to RESULTS/native.xml.
#   test-native.sh RESULTS
# It runs at a lower priority than the Windows build and lanes: it takes the
# processor time they leave.
set -uo pipefail
results=$1
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
renice -n 10 $$ >/dev/null
began=$(date +%s)
bash scripts/build.sh native || exit 1
echo "(the native build: $(($(date +%s) - began)) s)"
. scripts/lib/wine-env.sh
velnor_use_locale ja_JP.UTF-8 || exit 1
rm -rf build/native/test-results
cd build/native && ctest --timeout 1500 --output-on-failure --output-junit "$results/native.xml"
