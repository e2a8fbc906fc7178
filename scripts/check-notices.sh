#!/usr/bin/env bash
# The release's licence check: reads the link map of velnor.exe, lists every
# library the executable took code from (archive members, and the start-up
# objects the compiler adds), and fails when one of them is named on no
# "Linked from:" line of the notices file. Velnor's own libraries and objects
# need no entry; pugixml, which the build compiles too, does.
#   scripts/check-notices.sh [link map] [notices file]
# Defaults: build/windows/src/velnor.map and THIRD-PARTY-NOTICES.txt.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
map=${1:-build/windows/src/velnor.map}
notices=${2:-THIRD-PARTY-NOTICES.txt}
[ -f "$map" ] || { echo "check-notices: no link map at $map (bash scripts/build.sh windows --target velnor)" >&2; exit 1; }
[ -f "$notices" ] || { echo "check-notices: no notices file at $notices" >&2; exit 1; }
python3 - "$map" "$notices" <<'PY'
import os, re, sys

map_path, notices_path = sys.argv[1], sys.argv[2]

# What the notices name: "Linked from:" and the indented lines under it.
named = set()
with open(notices_path, encoding='utf-8') as f:
    listing = False
    for line in f:
        if line.startswith('Linked from:'):
            listing = True
            line = line[len('Linked from:'):]
        elif not (listing and line[:1] in (' ', '\t') and line.strip()):
            listing = False
            continue
        named.update(line.split())

# GNU ld's map: the archive members it took, then the objects it loaded.
used = {}
section = None
with open(map_path, encoding='utf-8', errors='replace') as f:
    for line in f:
        line = line.rstrip('\n')
        if line.startswith('Archive member included'):
            section = 'archives'
            continue
        if section == 'archives' and line and not line[0].isspace():
            m = re.match(r'(\S+?\.a)\(', line)
            if m:
                used.setdefault(os.path.basename(m.group(1)), os.path.normpath(m.group(1)))
            else:
                section = None
        m = re.match(r'LOAD (\S+\.o(bj)?)$', line)
        if m:
            path = m.group(1)
            # Velnor's own objects come from the build tree (relative paths)
            # or from the link-time optimiser's output of them.
            if os.path.isabs(path) and not path.endswith('.ltrans.o'):
                used.setdefault(os.path.basename(path), os.path.normpath(path))

own = {name for name in used if re.fullmatch(r'libvelnor_\w+\.a', name)}
if not set(used) - own:
    print(f'check-notices: {map_path} lists no library at all; is it a GNU ld map of velnor.exe?')
    sys.exit(1)
missing = []
for name in sorted(used):
    if name in own:
        state = 'own code'
    elif name in named:
        state = 'noticed'
    else:
        state = 'NO NOTICE'
        missing.append(name)
    print(f'  {state:9}  {name}  ({used[name]})')
if missing:
    print(f'check-notices: no entry in {notices_path} for: {" ".join(missing)}')
    sys.exit(1)
print(f'check-notices: every library linked into the executable has its notice in {notices_path}')
PY
