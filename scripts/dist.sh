#!/usr/bin/env bash
# Builds what a Windows user downloads, in build/dist/:
#   velnor-<version>-win64.zip   velnor.exe, 使い方.txt, LICENSE
#   velnor-<version>-setup.exe   the per-user installer (installer/velnor.nsi)
# The version is the one of project() in CMakeLists.txt.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"

bash scripts/setup.sh

bash scripts/build.sh windows --target velnor

version=$(sed -n 's/^project(Velnor VERSION \([0-9][0-9]*\.[0-9][0-9]*\.[0-9][0-9]*\).*/\1/p' CMakeLists.txt)
[ -n "$version" ] || { echo "dist: no 'project(Velnor VERSION x.y.z' line in CMakeLists.txt" >&2; exit 1; }

exe=build/windows/src/velnor.exe
dist=$top/build/dist
stage=$dist/stage
rm -rf "$dist"
mkdir -p "$stage"
cp "$exe" "$stage/velnor.exe"
cp docs/使い方.txt LICENSE "$stage/"

# Same bytes for the same inputs, as far as zip allows: fixed order, no extra
# fields, one timestamp (the last commit's, or the executable's outside git).
stamp=$(git log -1 --format=%ct 2>/dev/null || stat -c %Y "$exe")
chmod 644 "$stage"/*
touch -d "@$stamp" "$stage"/*
zipfile=$dist/velnor-$version-win64.zip
(cd "$stage" && printf '%s\n' velnor.exe 使い方.txt LICENSE | LC_ALL=C sort | LC_ALL=C.UTF-8 TZ=UTC zip -X -9 -q -@ "$zipfile")

setup=$dist/velnor-$version-setup.exe
makensis -V2 -INPUTCHARSET UTF8 "-DVERSION=$version" "-DSTAGEDIR=$stage" "-DOUTFILE=$setup" \
  "$top/installer/velnor.nsi"

echo "dist: version $version"
(cd "$dist" && ls -l "velnor-$version-win64.zip" "velnor-$version-setup.exe")
unzip -l "$zipfile"
