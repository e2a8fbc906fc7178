#!/usr/bin/env bash
# Rebuilds src/app/velnor.ico from make_icon.cpp and checks the result.
#   bash tools/make-icon/make-icon.sh [--preview]
# --preview also writes build/tools/icon-preview-256.png and build/tools/icon-preview-strip.png.
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
cd "$top"
out=build/tools
mkdir -p "$out"
cxx=${CXX_HOST:-g++}
# No fused multiply-add, so the drawing rounds the same on every x86-64 host.
flags=(-std=c++20 -O2 -ffp-contract=off -Wall -Wextra)
"$cxx" "${flags[@]}" -o "$out/make_icon" tools/make-icon/make_icon.cpp
"$cxx" "${flags[@]}" -o "$out/check_icon" tools/make-icon/check_icon.cpp
if [ "${1:-}" = --preview ]; then
  "$out/make_icon" src/app/velnor.ico "$out"
else
  "$out/make_icon" src/app/velnor.ico
fi
"$out/check_icon" src/app/velnor.ico
