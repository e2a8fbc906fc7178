#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a bounded time
# (FUZZ_SECONDS, 60 by default), starting from the seeds in fuzz/seeds and
# keeping the corpus in the build tree. Each run prints its executions and
# the coverage reached; a finding fails the command and is kept.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
bash scripts/setup.sh
bash scripts/build.sh fuzz
seconds=${FUZZ_SECONDS:-60}
. scripts/lib/wine-env.sh
velnor_use_locale ja_JP.UTF-8
status=0
for target in build/fuzz/fuzz/*_fuzz; do
  [ -x "$target" ] || continue
  name=$(basename "$target")
  corpus=build/fuzz/corpus/$name
  mkdir -p "$corpus" "build/fuzz/crashes/$name"
  seeds=()
  [ -d "fuzz/seeds/$name" ] && seeds=("fuzz/seeds/$name")
  echo "== $name for ${seconds}s"
  # libFuzzer stops itself after the time given; the outer bound ends a run
  # that a slow input keeps past it.
  if ! timeout --kill-after=10 $((seconds + 60)) "$target" -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=10 \
      -artifact_prefix="build/fuzz/crashes/$name/" "$corpus" "${seeds[@]}" >"build/fuzz/$name.log" 2>&1; then
    status=1
    echo "$name: FAILED, see build/fuzz/$name.log and build/fuzz/crashes/$name/"
  fi
  grep -E '^(#[0-9]+ *DONE|Done)' "build/fuzz/$name.log" | tail -n 1 || true
done
exit $status
