#!/usr/bin/env bash
# Installs what the build and the tests need on a fresh Debian 12 machine.
# Idempotent and quick when everything is already present.
set -euo pipefail

packages=(
  mingw-w64 wine wine64 fonts-wine xvfb fonts-ipafont-gothic x11-apps x11-utils netpbm locales
  g++ git googletest libgtest-dev libpugixml-dev libbenchmark-dev cmake ninja-build make
  clang libclang-rt-14-dev dpkg-dev nsis zip unzip python3
  libxml2-utils libxml2-dev
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

SUDO=
[ "$(id -u)" = 0 ] || SUDO=sudo

# apt's own chatter (progress, "debconf: delaying package configuration")
# reads like trouble to a newcomer: it goes to a log, shown only on failure.
if [ ${#missing[@]} -gt 0 ]; then
  top=$(cd "$(dirname "$0")/.." && pwd)
  log=$top/build/setup-apt.log
  mkdir -p "$top/build"
  echo "setup: installing ${missing[*]} (log: $log)"
  export DEBIAN_FRONTEND=noninteractive
  if ! { $SUDO apt-get update -q && $SUDO apt-get -o DPkg::Lock::Timeout=600 install -y -q \
           --no-install-recommends "${missing[@]}"; } >"$log" 2>&1; then
    tail -n 20 "$log" >&2
    echo "setup: installing the packages failed (the whole log: $log)" >&2
    exit 1
  fi
fi

# Real glibc locales: without them Wine reports en-US and cannot open files with Japanese names.
need_gen=0
for l in ja_JP.utf8 en_US.utf8; do
  locale -a 2>/dev/null | grep -qx "$l" || need_gen=1
done
if [ $need_gen = 1 ]; then
  echo "setup: generating ja_JP.UTF-8 and en_US.UTF-8"
  $SUDO sed -i -e 's/^# *ja_JP.UTF-8 UTF-8/ja_JP.UTF-8 UTF-8/' \
               -e 's/^# *en_US.UTF-8 UTF-8/en_US.UTF-8 UTF-8/' /etc/locale.gen
  grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
  grep -q '^en_US.UTF-8 UTF-8' /etc/locale.gen || echo 'en_US.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
  $SUDO locale-gen >/dev/null
  for l in ja_JP.utf8 en_US.utf8; do
    locale -a 2>/dev/null | grep -qx "$l" || { echo "setup: the locale $l could not be generated" >&2; exit 1; }
  done
fi
