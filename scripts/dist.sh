#!/usr/bin/env bash
# Builds what a Windows user downloads, in build/dist/:
#   velnor-<version>-win64.zip   velnor.exe, 使い方.txt, LICENSE,
#                                THIRD-PARTY-NOTICES.txt
#   velnor-<version>-setup.exe   the per-user installer (installer/velnor.nsi)
#   velnor-<version>-wintest.zip the test kit for a real Windows machine:
#                                run-tests.cmd, the test executables, test
#                                builds of the program, the simulated netsh,
#                                try-velnor.cmd with sample profiles, and the
#                                Japanese README.txt and checklist.txt, and
#                                THIRD-PARTY-NOTICES.txt
# The version is the one of project() in CMakeLists.txt.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"

bash scripts/setup.sh

kit_targets="kit_runner unit_tests win_tests e2e_tests velnor_kit velnor_notheme velnor_faults netsh_sim"
# shellcheck disable=SC2086
bash scripts/build.sh windows --target velnor $kit_targets

# No release without the licence of every library the executable holds.
bash scripts/check-notices.sh build/windows/src/velnor.map THIRD-PARTY-NOTICES.txt

# The version as CMake wrote it from project(); the checks of the release
# take it from build/dist/version.
version=$(sed -n 's/^#define VELNOR_VERSION_STRING "\([0-9][0-9.]*\)"$/\1/p' build/windows/generated/version.h)
[ -n "$version" ] || { echo "dist: build/windows/generated/version.h names no version" >&2; exit 1; }

exe=build/windows/src/velnor.exe
dist=$top/build/dist
stage=$dist/stage
rm -rf "$dist"
mkdir -p "$stage"
echo "$version" >"$dist/version"
cp "$exe" "$stage/velnor.exe"
cp docs/使い方.txt LICENSE THIRD-PARTY-NOTICES.txt "$stage/"

# Same bytes for the same inputs, as far as zip allows: fixed order, no extra
# fields, one timestamp (the last commit's, or the executable's outside git).
stamp=$(git log -1 --format=%ct 2>/dev/null || stat -c %Y "$exe")
chmod 644 "$stage"/*
touch -d "@$stamp" "$stage"/*
zipfile=$dist/velnor-$version-win64.zip
(cd "$stage" && printf '%s\n' velnor.exe 使い方.txt LICENSE THIRD-PARTY-NOTICES.txt | LC_ALL=C sort | LC_ALL=C.UTF-8 TZ=UTC zip -X -9 -q -@ "$zipfile")

setup=$dist/velnor-$version-setup.exe
makensis -V2 -INPUTCHARSET UTF8 "-DVERSION=$version" "-DSTAGEDIR=$stage" "-DOUTFILE=$setup" \
  "$top/installer/velnor.nsi"

# The test kit. Only test builds go in: its velnor.exe is the twin that can be
# pointed at the kit's own simulated netsh, never the shipped program.
kit=$dist/kit-stage
mkdir -p "$kit/bin/system" "$kit/sample"
b=build/windows
cp tests/kit/run-tests.cmd tests/kit/try-velnor.cmd tests/kit/README.txt tests/kit/checklist.txt \
  THIRD-PARTY-NOTICES.txt "$kit/"
cp tests/kit/sample-state.ini "$kit/sample/state.ini"
cp "$b/tests/kit-runner.exe" "$b/tests/unit_tests.exe" "$b/tests/win_tests.exe" "$b/tests/e2e_tests.exe" \
  "$b/src/velnor_notheme.exe" "$b/src/velnor_faults.exe" "$kit/bin/"
cp "$b/src/velnor_kit.exe" "$kit/bin/velnor.exe"
cp "$b/tools/netsh-sim/netsh.exe" "$kit/bin/system/netsh.exe"
x86_64-w64-mingw32-strip "$kit"/bin/*.exe "$kit/bin/system/netsh.exe"
# strip writes the current time into each PE header: put the one timestamp
# there instead (and no checksum, as the linker leaves it), so that the same
# build gives the same zip.
python3 - "$stamp" "$kit"/bin/*.exe "$kit/bin/system/netsh.exe" <<'PY'
import struct, sys
stamp = int(sys.argv[1])
for path in sys.argv[2:]:
    with open(path, 'r+b') as f:
        d = bytearray(f.read())
        pe, = struct.unpack_from('<I', d, 0x3c)
        assert d[pe:pe + 4] == b'PE\0\0', path
        struct.pack_into('<I', d, pe + 8, stamp & 0xFFFFFFFF)   # TimeDateStamp
        struct.pack_into('<I', d, pe + 24 + 64, 0)              # CheckSum
        f.seek(0)
        f.write(d)
PY
find "$kit" -type d -exec chmod 755 {} +
find "$kit" -type f -exec chmod 644 {} +
find "$kit" -exec touch -d "@$stamp" {} +
kitzip=$dist/velnor-$version-wintest.zip
(cd "$kit" && find . -type f | sed 's#^\./##' | LC_ALL=C sort | LC_ALL=C.UTF-8 TZ=UTC zip -X -9 -q -@ "$kitzip")

echo "dist: version $version"
(cd "$dist" && ls -l "velnor-$version-win64.zip" "velnor-$version-setup.exe" "velnor-$version-wintest.zip")
unzip -l "$zipfile"
unzip -l "$kitzip"
