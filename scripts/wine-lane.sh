#!/usr/bin/env bash
# Runs one Windows test entry as CTest asks (tests/CMakeLists.txt):
#   wine-lane.sh BUILD ENTRY EXE [ARGUMENTS...]
# in the lane CTest gave it from tests/lanes.json (scripts/test.sh passes
# that file; without it every entry takes lane 1, one after the other): a
# Wine prefix of the lane's own (BUILD/lanes/<lane>), an Xvfb display of its
# own, the simulated netsh as the prefix's netsh.exe, and a screenshot folder
# of the entry's own (VELNOR_SHOTS/ENTRY, by default beside the entries'
# results) with its watcher. Lanes run at once: the program's single-instance
# guard holds within one prefix. Everything started here ends with it, also
# when CTest ends the entry for running too long (see lib/wine-env.sh).
set -uo pipefail
build=$1 entry=$2 exe=$3
shift 3
top=$(cd "$(dirname "$0")/.." && pwd)
. "$top/scripts/lib/wine-env.sh"
# CTest names the lane as "id:<lane>,slots:1".
lane=${CTEST_RESOURCE_GROUP_0_LANES:-id:1}
lane=${lane#id:}
lane=${lane%%,*}
watcher=
trap '[ -n "$watcher" ] && kill "$watcher" 2>/dev/null; velnor_wine_stop' EXIT
dir=$build/lanes/$lane
velnor_wine_init "$dir" || exit 1
velnor_xvfb_start "$dir/xvfb" || exit 1
velnor_wine_install_netsh "$build/tools/netsh-sim/netsh.exe" || exit 1
shots=${VELNOR_SHOTS:-$build/test-results/screenshots}/$entry
mkdir -p "$shots"
bash "$top/scripts/shotwatch.sh" "$shots" &
watcher=$!
echo "(lane $lane)"
VELNOR_SHOT_DIR=$(velnor_winpath "$shots") wine "$exe" "$@"
