#!/usr/bin/env bash
# Configures (once) and builds one preset: native, windows, fuzz or bench.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
preset=$1
shift || true
if [ "$preset" = windows ]; then bash scripts/fetch-pugixml.sh; fi
[ -f "build/$preset/build.ninja" ] || cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" "$@"
