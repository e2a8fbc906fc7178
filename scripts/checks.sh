# Sourced by the scripted checks (installer round trip, test kit): counting
# checks, the release build they start from, and the closing line
# "N passed, N failed".
passed=0 failed=0
ok() { passed=$((passed + 1)); echo "ok   $1"; }
bad() { failed=$((failed + 1)); echo "FAIL $1"; }
check() { local name=$1; shift; if "$@"; then ok "$name"; else bad "$name"; fi; }
finish() { echo "$passed passed, $failed failed"; [ "$failed" = 0 ]; exit; }

# Builds the release into build/dist (make dist), or ends the checks with one
# failure and the log's tail. Sets `version`. Under scripts/test.sh, which
# builds it once for every check (VELNOR_DIST_READY=1), it is taken as built.
checks_build_release() {
  local log=$1
  if [ "${VELNOR_DIST_READY:-}" = 1 ]; then
    echo "(the release build of this test run: build/dist)" >"$log"
  elif ! bash scripts/dist.sh >"$log" 2>&1; then
    tail -20 "$log"
    bad "make dist (log: $log)"
    finish
  fi
  version=$(sed -n 's/^project(Velnor VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
}
