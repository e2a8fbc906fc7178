#!/usr/bin/env bash
# Fetches the pugixml 1.13 source for the Windows build from Debian's source
# package, with a private apt state so that the machine's apt set-up is left
# alone, and checks it against the upstream tarball's hash. Never committed.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
deps=$top/build/_deps
dest=$deps/pugixml-1.13
sha=5c5ad5d7caeb791420408042a7d88c2c6180781bf218feca259fd9d840a888e1
tarball=pugixml_1.13.orig.tar.gz

[ -f "$dest/src/pugixml.cpp" ] && exit 0

apt=$deps/aptsrc
mkdir -p "$apt/lists/partial" "$apt/cache/archives/partial" "$apt/out"
if [ ! -f "$apt/out/$tarball" ] || ! echo "$sha  $apt/out/$tarball" | sha256sum -c --status; then
  if [ -f /etc/apt/sources.list.d/debian.sources ]; then
    sed 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources > "$apt/debian-src.sources"
    parts=(-o "Dir::Etc::SourceList=/dev/null" -o "Dir::Etc::SourceParts=$apt")
  else
    sed -n 's/^deb /deb-src /p' /etc/apt/sources.list > "$apt/sources.list"
    parts=(-o "Dir::Etc::SourceList=$apt/sources.list" -o "Dir::Etc::SourceParts=/dev/null")
  fi
  opts=("${parts[@]}" -o "Dir::State::Lists=$apt/lists" -o "Dir::Cache=$apt/cache" -o "APT::Sandbox::User=root")
  echo "fetch-pugixml: downloading Debian's pugixml 1.13 source package"
  apt-get "${opts[@]}" update -q >/dev/null
  # Any Debian revision of 1.13 will do: the check is on the upstream tarball.
  version=$(apt-cache "${opts[@]}" showsrc pugixml 2>/dev/null | sed -n 's/^Version: \(1\.13-.*\)$/\1/p' | head -n1)
  [ -n "$version" ] || { echo "fetch-pugixml: no pugixml 1.13 source package found" >&2; exit 1; }
  (cd "$apt/out" && apt-get "${opts[@]}" source --download-only -q "pugixml=$version" >/dev/null)
fi
echo "$sha  $apt/out/$tarball" | sha256sum -c --status || { echo "fetch-pugixml: hash mismatch for $tarball" >&2; exit 1; }
tar xzf "$apt/out/$tarball" -C "$deps"
test -f "$dest/src/pugixml.cpp"
