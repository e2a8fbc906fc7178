# Sourced by scripts/test.sh: counts what the layers report, from their XML
# (read with xmllint, never grepped), into `passed` and `failed`.
passed=0 failed=0

# count(XPATH) over one XML file; 0 when the file cannot be read.
xml_count() { xmllint --xpath "count($2)" "$1" 2>/dev/null || echo 0; }
xml_string() { xmllint --xpath "string($2)" "$1" 2>/dev/null; }

# Adds one ctest run: ctest's JUnit file names each test entry and whether it
# passed; the entry's own GoogleTest XML (DIR/<entry>.xml) gives its cases.
# An entry that ctest saw fail without a failed case of its own (a crash, a
# time-out, a sanitizer report at exit) counts as one failure, and so does
# one that wrote no results.
tally_ctest() {
  local junit=$1 dir=$2 entries i name xml p f entry_failed
  if [ ! -s "$junit" ]; then
    echo "test: ctest wrote no $junit" >&2
    failed=$((failed + 1))
    return
  fi
  entries=$(xml_count "$junit" '//testcase')
  for ((i = 1; i <= entries; i++)); do
    name=$(xml_string "$junit" "(//testcase)[$i]/@name")
    entry_failed=$(xml_count "$junit" "(//testcase)[$i][@status!='run' or failure]")
    xml=$dir/$name.xml
    p=0 f=0
    if [ -s "$xml" ]; then
      p=$(xml_count "$xml" '//testcase[@result="completed" and not(failure)]')
      f=$(xml_count "$xml" '//testcase[failure]')
    else
      echo "test: $name wrote no results" >&2
      f=1
    fi
    if [ "$entry_failed" != 0 ] && [ "$f" = 0 ]; then
      echo "test: $name failed without a failed case (a crash, a time-out or a report at exit)" >&2
      f=1
    fi
    echo "  $name: $p passed, $f failed"
    passed=$((passed + p))
    failed=$((failed + f))
  done
}

# Runs a scripted check (installer round trip, test kit) with a bound of
# SECONDS and adds its closing "N passed, N failed" line. A check that ran
# out of time, failed without counting a failure, or printed no such line
# counts as one failure. A check ended by its bound may leave Wine behind: the
# Wine servers of the build tree's prefixes are ended then.
scripted() {
  local name=$1 script=$2 seconds=$3 log=$results/$1.log rc last prefix
  timeout --kill-after=30 "$seconds" bash "$script" | tee "$log"
  rc=${PIPESTATUS[0]}
  if [ "$rc" = 124 ] || [ "$rc" = 137 ]; then
    echo "test: $script ran out of its $seconds s" | tee -a "$log" >&2
    for prefix in "$top"/build/*/wine/prefix "$top"/build/*/*/wine/prefix; do
      [ -f "$prefix/system.reg" ] && WINEPREFIX=$prefix wineserver -k 2>/dev/null
    done
  fi
  last=$(tail -n 1 "$log")
  if [[ $last =~ ^([0-9]+)\ passed,\ ([0-9]+)\ failed ]]; then
    passed=$((passed + BASH_REMATCH[1]))
    failed=$((failed + BASH_REMATCH[2]))
    if [ "$rc" != 0 ] && [ "${BASH_REMATCH[2]}" = 0 ]; then failed=$((failed + 1)); fi
  else
    echo "test: $script printed no summary" >&2
    failed=$((failed + 1))
  fi
}

# Counts one check: every test entry of the ctest tree DIR has a bound of its
# own (its TIMEOUT property), so that no layer can wait without end.
check_bounded_entries() {
  local dir=$1 unbounded
  unbounded=$(cd "$dir" && ctest --show-only=json-v1 | python3 -c '
import json, sys
tests = json.load(sys.stdin)["tests"]
props = lambda t: {p["name"]: p["value"] for p in t.get("properties", [])}
print(" ".join(t["name"] for t in tests if not props(t).get("TIMEOUT")) or ("-" if tests else "no tests"))')
  if [ "$unbounded" = - ]; then
    passed=$((passed + 1))
  else
    echo "test: entries of $dir without a time-out: $unbounded" >&2
    failed=$((failed + 1))
  fi
}
