# Sourced by the scripted checks (the release, the installer round trip, the
# test kit): one counter for their checks. Under CTest each check is also
# written, as it ends, into VELNOR_CHECKS_XML in the form the test
# executables write theirs, so that scripts/lib/tally.sh counts a scripted
# check as it counts every other entry, and a check that ran out of its time
# still counts what it did. Ends with the line "N passed, N failed".
passed=0 failed=0 checks_cases=()
checks_record() {
  local name
  name=$(printf '%s' "$1" | sed -e 's/&/\&amp;/g' -e 's/</\&lt;/g' -e 's/>/\&gt;/g' -e 's/"/\&quot;/g')
  checks_cases+=("    <testcase name=\"$name\" result=\"completed\">$2</testcase>")
  [ -n "${VELNOR_CHECKS_XML:-}" ] || return 0
  mkdir -p "$(dirname "$VELNOR_CHECKS_XML")"
  {
    printf '<?xml version="1.0" encoding="UTF-8"?>\n<testsuites>\n  <testsuite name="%s">\n' \
      "$(basename "$0" .sh)"
    printf '%s\n' "${checks_cases[@]}"
    printf '  </testsuite>\n</testsuites>\n'
  } >"$VELNOR_CHECKS_XML.part" && mv -f "$VELNOR_CHECKS_XML.part" "$VELNOR_CHECKS_XML"
}
ok() { passed=$((passed + 1)); echo "ok   $1"; checks_record "$1" ""; }
bad() { failed=$((failed + 1)); echo "FAIL $1"; checks_record "$1" '<failure message="failed"/>'; }
check() { local name=$1; shift; if "$@"; then ok "$name"; else bad "$name"; fi; }
finish() { echo "$passed passed, $failed failed"; [ "$failed" = 0 ]; exit; }

# Takes the release from build/dist (make dist), building it first unless
# this test run did (VELNOR_DIST_READY=1), or ends the checks with one failure
# and the log's tail. Sets `version` to the one the release was built with.
checks_build_release() {
  local log=$1
  if [ "${VELNOR_DIST_READY:-}" = 1 ]; then
    echo "(the release build of this test run: build/dist)" >"$log"
  elif ! bash scripts/dist.sh >"$log" 2>&1; then
    tail -20 "$log"
    bad "make dist (log: $log)"
    finish
  fi
  version=$(cat build/dist/version 2>/dev/null)
  [ -n "$version" ] || { bad "the release in build/dist names its version"; finish; }
}
